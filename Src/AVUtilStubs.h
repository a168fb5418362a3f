#pragma once
// Run-time references to the functions of libavutil.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/fifo.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/dict.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libavutil/time.h>
#include <libavutil/parseutils.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/avstring.h>
#include <libavutil/log.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_AVUTIL_FUNCTIONS(X) \
  X(av_compare_ts) \
  X(av_fifo_alloc2) \
  X(av_fifo_freep2) \
  X(av_fifo_read) \
  X(av_fifo_write) \
  X(av_fifo_grow2) \
  X(av_fifo_can_read) \
  X(av_fifo_can_write) \
  X(av_find_nearest_q_idx) \
  X(av_free) \
  X(av_freep) \
  X(av_gcd) \
  X(av_get_pix_fmt) \
  X(av_log) \
  X(av_log_default_callback) \
  X(av_log_get_level) \
  X(av_log_set_callback) \
  X(av_log_set_level) \
  X(av_log_format_line2) \
  X(av_malloc) \
  X(av_mallocz) \
  X(av_realloc) \
  X(av_reduce) \
  X(av_rescale) \
  X(av_rescale_q) \
  X(av_rescale_rnd) \
  X(av_rescale_q_rnd) \
  X(av_strdup) \
  X(av_strlcpy) \
  X(av_strstart) \
  X(av_pix_fmt_desc_get) \
  X(av_get_pix_fmt_name) \
  X(av_frame_alloc) \
  X(av_frame_free) \
  X(av_frame_unref) \
  X(av_frame_ref) \
  X(av_frame_clone) \
  X(av_frame_get_buffer) \
  X(av_image_get_buffer_size) \
  X(av_image_fill_arrays) \
  X(av_image_copy) \
  X(av_image_alloc) \
  X(av_dict_get) \
  X(av_dict_set) \
  X(av_dict_free) \
  X(av_dict_count) \
  X(av_dict_copy) \
  X(av_get_sample_fmt_name) \
  X(av_get_sample_fmt) \
  X(av_get_bytes_per_sample) \
  X(av_samples_get_buffer_size) \
  X(av_samples_alloc) \
  X(av_opt_find) \
  X(av_opt_next) \
  X(av_opt_get) \
  X(av_opt_get_int) \
  X(av_opt_set) \
  X(av_opt_set_int) \
  X(av_opt_set_dict) \
  X(av_strerror) \
  X(av_gettime) \
  X(av_usleep) \
  X(av_parse_video_size) \
  X(av_parse_video_rate) \
  X(av_parse_time) \
  X(av_channel_layout_default) \
  X(av_channel_layout_uninit) \
  X(av_channel_layout_copy) \
  X(av_channel_layout_describe) \
  X(av_channel_layout_compare) \
  X(av_get_picture_type_char) \
  X(av_d2q) \
  X(av_fast_malloc) \
  X(av_fast_realloc) \
  X(av_get_pix_fmt_string) \
  X(av_get_sample_fmt_string)

namespace av {
FFLOADER_AVUTIL_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindAVUtilFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindAVUtilFunctions();
