#pragma once
// Run-time references to the functions of libavcodec.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <cstdint>  // before the library headers, which need its constant macros

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
}

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_AVCODEC_FUNCTIONS(X) \
  X(avcodec_find_decoder) \
  X(avcodec_find_decoder_by_name) \
  X(avcodec_find_encoder) \
  X(avcodec_find_encoder_by_name) \
  X(av_codec_iterate) \
  X(av_codec_is_encoder) \
  X(av_codec_is_decoder) \
  X(avcodec_descriptor_get) \
  X(avcodec_descriptor_get_by_name) \
  X(avcodec_get_name) \
  X(avcodec_get_class) \
  X(avcodec_alloc_context3) \
  X(avcodec_free_context) \
  X(avcodec_parameters_alloc) \
  X(avcodec_parameters_free) \
  X(avcodec_parameters_copy) \
  X(avcodec_parameters_to_context) \
  X(avcodec_parameters_from_context) \
  X(avcodec_open2) \
  X(avcodec_close) \
  X(avcodec_send_packet) \
  X(avcodec_receive_frame) \
  X(avcodec_send_frame) \
  X(avcodec_receive_packet) \
  X(avcodec_flush_buffers) \
  X(avcodec_decode_subtitle2) \
  X(avcodec_encode_subtitle) \
  X(avsubtitle_free) \
  X(avcodec_string) \
  X(avcodec_align_dimensions2) \
  X(av_get_bits_per_sample) \
  X(av_get_audio_frame_duration2) \
  X(av_packet_alloc) \
  X(av_packet_free) \
  X(av_packet_unref) \
  X(av_packet_ref) \
  X(av_packet_move_ref) \
  X(av_packet_clone) \
  X(av_packet_rescale_ts) \
  X(av_new_packet) \
  X(av_grow_packet) \
  X(av_shrink_packet) \
  X(av_bsf_get_by_name) \
  X(av_bsf_alloc) \
  X(av_bsf_init) \
  X(av_bsf_send_packet) \
  X(av_bsf_receive_packet) \
  X(av_bsf_free) \
  X(av_parser_init) \
  X(av_parser_parse2) \
  X(av_parser_close) \
  X(av_packet_get_side_data)

namespace av {
FFLOADER_AVCODEC_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace av

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindAVCodecFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindAVCodecFunctions();
