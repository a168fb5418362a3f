#pragma once
// Run-time references to the functions of libswscale.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libswscale/swscale.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_SWSCALE_FUNCTIONS(X) \
  X(sws_alloc_context) \
  X(sws_init_context) \
  X(sws_freeContext) \
  X(sws_getContext) \
  X(sws_getCachedContext) \
  X(sws_scale) \
  X(sws_get_class)

namespace av {
FFLOADER_SWSCALE_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindSwScaleFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindSwScaleFunctions();
