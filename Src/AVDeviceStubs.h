#pragma once
// Run-time references to the functions of libavdevice.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_AVDEVICE_FUNCTIONS(X) \
  X(avdevice_register_all)

namespace av {
FFLOADER_AVDEVICE_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindAVDeviceFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindAVDeviceFunctions();
