// The sound of a playback: SDL's audio thread calls AudioCallback whenever the device needs bytes.
// The callback never waits for packets: an empty queue plays silence, so closing the device
// cannot hang on it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Src/FFPlay.h"
#include "Src/FFmpegLogger.h"
#include "Src/libsdl.h"
#include "platform/core/SysUtils.h"

namespace playback {

void FreeAudioConverter(TVideoState& S) {
  if (S.swr_ctx) av::swr_free(&S.swr_ctx);
  S.swr_src_fmt = -1;
  S.swr_src_rate = 0;
  S.swr_src_channels = 0;
}

namespace {

// (Re)makes the converter from the decoder's output to signed 16-bit interleaved samples in the
// device's channel count and rate. False (logged) when none can be had.
bool PrepareConverter(TVideoState& S, const AVFrame* AFrame) {
  if (S.swr_ctx && S.swr_src_fmt == AFrame->format && S.swr_src_rate == AFrame->sample_rate &&
      S.swr_src_channels == AFrame->ch_layout.nb_channels)
    return true;
  FreeAudioConverter(S);
  AVChannelLayout outLayout{};
  av::av_channel_layout_default(&outLayout, S.audio_channels);
  AVChannelLayout inLayout{};
  if (AFrame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av::av_channel_layout_default(&inLayout, AFrame->ch_layout.nb_channels);
  else
    av::av_channel_layout_copy(&inLayout, &AFrame->ch_layout);
  const int ret = av::swr_alloc_set_opts2(&S.swr_ctx, &outLayout, AV_SAMPLE_FMT_S16, S.audio_rate, &inLayout,
                                          AVSampleFormat(AFrame->format), AFrame->sample_rate, 0, nullptr);
  av::av_channel_layout_uninit(&inLayout);
  av::av_channel_layout_uninit(&outLayout);
  if (ret < 0 || av::swr_init(S.swr_ctx) < 0) {
    const char* from = av::av_get_sample_fmt_name(AVSampleFormat(AFrame->format));
    S.Owner->ReportError(Format("Cannot convert %s sample format to %s sample format", from ? from : "?", "s16"),
                         false);
    FreeAudioConverter(S);
    return false;
  }
  S.swr_src_fmt = AFrame->format;
  S.swr_src_rate = AFrame->sample_rate;
  S.swr_src_channels = AFrame->ch_layout.nb_channels;
  return true;
}

// Converts the decoded frame into audio_buf1; the byte count or -1.
int ConvertFrame(TVideoState& S, const AVFrame* AFrame) {
  if (!PrepareConverter(S, AFrame)) return -1;
  const int outCount =
      static_cast<int>(int64_t(AFrame->nb_samples) * S.audio_rate / std::max(AFrame->sample_rate, 1)) + 256;
  const int n = 2 * S.audio_channels;
  if (S.audio_buf1.size() < size_t(outCount) * n) S.audio_buf1.resize(size_t(outCount) * n);
  uint8_t* out = S.audio_buf1.data();
  const int samples = av::swr_convert(S.swr_ctx, &out, outCount, const_cast<const uint8_t**>(AFrame->extended_data),
                                      AFrame->nb_samples);
  if (samples < 0) {
    S.Owner->ReportError("Could not convert the sound for the audio device", false);
    return -1;
  }
  return samples * n;
}

// Bytes of 16-bit samples now in audio_buf, or -1 (paused, aborted, or nothing queued).
int DecodeAudioFrame(TVideoState& S, double& APts) {
  for (;;) {
    if (S.paused || S.audioq->Aborted()) return -1;
    const int got = av::avcodec_receive_frame(S.audio_dec, S.audio_frame);
    if (got == 0) {
      if (S.audio_frame->best_effort_timestamp != NoTimestamp)
        S.audio_clock = S.audio_frame->best_effort_timestamp * av_q2d(S.audio_st->time_base);
      const int bytes = ConvertFrame(S, S.audio_frame);
      av::av_frame_unref(S.audio_frame);
      if (bytes <= 0) continue;
      S.audio_buf = S.audio_buf1.data();
      APts = S.audio_clock;
      S.audio_clock += static_cast<double>(bytes) / (2.0 * S.audio_channels * S.audio_rate);
      return bytes;
    }
    AVPacket* pkt = nullptr;
    if (S.audioq->Get(pkt, false) <= 0) return -1;
    if (S.audioq->IsFlushPacket(pkt)) {
      av::avcodec_flush_buffers(S.audio_dec);
      continue;
    }
    if (av::avcodec_send_packet(S.audio_dec, pkt) < 0)
      GetLogger()->Log(S.Owner, TLogLevel::llInfo, "A sound packet could not be decoded, skipped");
    av::av_packet_free(&pkt);
  }
}

// The byte count to play of a frame of ASize bytes: resized only when audio follows another master.
int SynchronizeAudio(TVideoState& S, int ASize) {
  if (!((S.av_sync_type == AV_SYNC_VIDEO_MASTER && S.video_stream >= 0) || S.av_sync_type == AV_SYNC_EXTERNAL_CLOCK))
    return ASize;
  const double diff = GetAudioClock(S) - GetMasterClock(S);
  if (diff >= NoSyncThreshold) {
    S.audio_diff_avg_count = 0;
    S.audio_diff_cum = 0;
    return ASize;
  }
  S.audio_diff_cum = diff + S.audio_diff_avg_coef * S.audio_diff_cum;
  if (S.audio_diff_avg_count < AudioDiffAvgNb) {
    ++S.audio_diff_avg_count;
    return ASize;
  }
  const double average = S.audio_diff_cum * (1.0 - S.audio_diff_avg_coef);
  if (std::fabs(average) < S.audio_diff_threshold) return ASize;
  const int n = 2 * S.audio_channels;
  const int wanted = CorrectedAudioSize(ASize, n, diff, S.audio_rate);
  if (wanted <= ASize) return wanted;
  // Grow: repeat the last sample frame.
  S.audio_buf2.resize(wanted);
  std::memcpy(S.audio_buf2.data(), S.audio_buf, ASize);
  for (int at = ASize; at < wanted; at += n) std::memcpy(S.audio_buf2.data() + at, S.audio_buf + ASize - n, n);
  S.audio_buf = S.audio_buf2.data();
  return wanted;
}

void UpdateSampleDisplay(TVideoState& S, const uint8_t* ASamples, int ASize) {
  const auto* src = reinterpret_cast<const int16_t*>(ASamples);
  int count = ASize / 2;
  while (count > 0) {
    const int len = std::min(count, SampleArraySize - S.sample_array_index);
    std::memcpy(&S.sample_array[S.sample_array_index], src, size_t(len) * 2);
    src += len;
    S.sample_array_index += len;
    if (S.sample_array_index >= SampleArraySize) S.sample_array_index = 0;
    count -= len;
  }
}

}  // namespace

void AudioCallback(void* AState, Uint8* AStream, int ALen) {
  TVideoState& S = *static_cast<TVideoState*>(AState);
  TCustomPlayer* P = S.Owner;
  // Paused, the device thread waits here for the resume (or the close) instead of coming for
  // silence every device buffer. The audio lock is not held meanwhile.
  const auto idle = [&] { return PlaybackIdle(S) && S.audio_stream >= 0; };
  while (idle()) WaitWhile(S, idle, PausedNapMs);
  const double callbackTime = WallClock();
  P->Faudio_callback_time = static_cast<int64_t>(callbackTime * 1000000.0);
  std::lock_guard lock(S.audio_lock);
  // The component is being closed: the device is about to stop.
  if (!S.audio_dec || !S.audioq || S.audioq->Aborted()) {
    std::memset(AStream, 0, size_t(std::max(ALen, 0)));
    return;
  }
  Uint8* const streamStart = AStream;
  const int streamBytes = ALen;
  if (!S.audio_frame) S.audio_frame = av::av_frame_alloc();
  if (S.silence.size() < 1024) S.silence.assign(1024, 0);
  while (ALen > 0) {
    if (S.audio_buf_index >= S.audio_buf_size) {
      double pts = 0;
      const int size = DecodeAudioFrame(S, pts);
      if (S.audioq->Aborted()) return;
      if (size < 0) {
        S.audio_buf = S.silence.data();
        S.audio_buf_size = 1024;
        S.audio_buf_silent = true;
      } else {
        S.audio_buf_silent = false;
        if (S.show_audio) UpdateSampleDisplay(S, S.audio_buf, size);
        S.audio_buf_size = static_cast<unsigned>(SynchronizeAudio(S, size));
      }
      S.audio_buf_index = 0;
    }
    const int count = std::min<int>(ALen, static_cast<int>(S.audio_buf_size - S.audio_buf_index));
    if (P->Mute())
      std::memset(AStream, 0, count);
    else
      sdl::SDL_MixAudio(AStream, S.audio_buf + S.audio_buf_index, static_cast<Uint32>(count), P->AudioVolume());
    S.audio_buf_index += count;
    ALen -= count;
    AStream += count;
  }
  S.audio_callback_clock = callbackTime;
  S.audio_write_bytes = streamBytes;
  if (P->Probe.Sound)
    P->Probe.Sound(streamStart, streamBytes, callbackTime, S.audio_hw_buf_size, 2 * S.audio_channels * S.audio_rate);
}

}  // namespace playback
