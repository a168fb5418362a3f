#pragma once
// Run-time references to the functions of the C runtime library the framework calls by reference.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_CRT_FUNCTIONS(X) \
  X(fclose) \
  X(fopen) \
  X(fprintf) \
  X(fread) \
  X(fseek) \
  X(ftell) \
  X(fwrite) \
  X(snprintf) \
  X(strtod) \
  X(strtok_r) \
  X(strtol) \
  X(vsnprintf)

namespace crt {
FFLOADER_CRT_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace crt

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindMsvcrtFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindMsvcrtFunctions();
