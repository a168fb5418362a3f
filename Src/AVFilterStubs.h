#pragma once
// Run-time references to the functions of libavfilter.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersrc.h>
#include <libavfilter/buffersink.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_AVFILTER_FUNCTIONS(X) \
  X(av_filter_iterate) \
  X(avfilter_get_by_name) \
  X(avfilter_graph_alloc) \
  X(avfilter_graph_alloc_filter) \
  X(avfilter_graph_create_filter) \
  X(avfilter_init_str) \
  X(avfilter_graph_parse2) \
  X(avfilter_graph_parse_ptr) \
  X(avfilter_graph_config) \
  X(avfilter_graph_free) \
  X(avfilter_graph_request_oldest) \
  X(avfilter_graph_send_command) \
  X(avfilter_link) \
  X(avfilter_inout_alloc) \
  X(avfilter_inout_free) \
  X(av_buffersrc_parameters_alloc) \
  X(av_buffersrc_parameters_set) \
  X(av_buffersrc_add_frame) \
  X(av_buffersrc_add_frame_flags) \
  X(av_buffersrc_close) \
  X(av_buffersrc_get_nb_failed_requests) \
  X(av_buffersink_get_frame) \
  X(av_buffersink_get_frame_flags) \
  X(av_buffersink_set_frame_size) \
  X(av_buffersink_get_time_base) \
  X(av_buffersink_get_format) \
  X(av_buffersink_get_w) \
  X(av_buffersink_get_h) \
  X(av_buffersink_get_sample_rate)

namespace av {
FFLOADER_AVFILTER_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindAVFilterFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindAVFilterFunctions();
