#pragma once
// Run-time references to the functions of libswresample (audio sample conversion and resampling).
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libswresample/swresample.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_SWRESAMPLE_FUNCTIONS(X) \
  X(swr_alloc) \
  X(swr_alloc_set_opts2) \
  X(swr_init) \
  X(swr_is_initialized) \
  X(swr_close) \
  X(swr_free) \
  X(swr_convert) \
  X(swr_convert_frame) \
  X(swr_get_delay) \
  X(swr_set_compensation) \
  X(swr_get_class)

namespace av {
FFLOADER_SWRESAMPLE_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindSwResampleFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindSwResampleFunctions();
