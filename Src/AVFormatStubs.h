#pragma once
// Run-time references to the functions of libavformat.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_AVFORMAT_FUNCTIONS(X) \
  X(avformat_alloc_context) \
  X(avformat_free_context) \
  X(avformat_open_input) \
  X(avformat_close_input) \
  X(avformat_find_stream_info) \
  X(av_find_input_format) \
  X(av_find_best_stream) \
  X(av_guess_format) \
  X(av_guess_codec) \
  X(av_guess_frame_rate) \
  X(av_read_frame) \
  X(av_read_pause) \
  X(av_read_play) \
  X(av_seek_frame) \
  X(avformat_seek_file) \
  X(avformat_alloc_output_context2) \
  X(avformat_new_stream) \
  X(av_new_program) \
  X(av_program_add_stream_index) \
  X(av_find_program_from_stream) \
  X(avformat_query_codec) \
  X(avformat_write_header) \
  X(av_interleaved_write_frame) \
  X(av_write_frame) \
  X(av_write_trailer) \
  X(av_dump_format) \
  X(av_sdp_create) \
  X(av_pkt_dump_log2) \
  X(avformat_get_class) \
  X(avformat_match_stream_specifier) \
  X(av_stream_get_end_pts) \
  X(av_filename_number_test) \
  X(av_demuxer_iterate) \
  X(av_muxer_iterate) \
  X(av_codec_get_id) \
  X(av_codec_get_tag) \
  X(avformat_network_init) \
  X(avformat_network_deinit) \
  X(avio_alloc_context) \
  X(avio_context_free) \
  X(avio_open) \
  X(avio_open2) \
  X(avio_close) \
  X(avio_closep) \
  X(avio_size) \
  X(avio_seek) \
  X(avio_flush) \
  X(avio_feof) \
  X(avio_read) \
  X(avio_write) \
  X(avio_enum_protocols) \
  X(avio_find_protocol_name)

namespace av {
FFLOADER_AVFORMAT_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindAVFormatFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindAVFormatFunctions();
