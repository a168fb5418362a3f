// The audio output path: volume, drift handling, conversion of layout, rate and sample format,
// the per-stream sample queue and encoding in the encoder's frame size.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Src/AVCodecStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegTranscode.h"
#include "Src/SwResampleStubs.h"

namespace {

bool IsPlanar(AVSampleFormat AFormat) {
  return (AFormat >= AV_SAMPLE_FMT_U8P && AFormat <= AV_SAMPLE_FMT_DBLP) || AFormat == AV_SAMPLE_FMT_S64P;
}

AVSampleFormat Packed(AVSampleFormat AFormat) {
  switch (AFormat) {
    case AV_SAMPLE_FMT_U8P: return AV_SAMPLE_FMT_U8;
    case AV_SAMPLE_FMT_S16P: return AV_SAMPLE_FMT_S16;
    case AV_SAMPLE_FMT_S32P: return AV_SAMPLE_FMT_S32;
    case AV_SAMPLE_FMT_FLTP: return AV_SAMPLE_FMT_FLT;
    case AV_SAMPLE_FMT_DBLP: return AV_SAMPLE_FMT_DBL;
    case AV_SAMPLE_FMT_S64P: return AV_SAMPLE_FMT_S64;
    default: return AFormat;
  }
}

template <typename T>
void ScaleSamples(uint8_t* AData, int ACount, int AVolume, double AMin, double AMax) {
  auto* p = reinterpret_cast<T*>(AData);
  for (int i = 0; i < ACount; ++i) {
    double v = static_cast<double>(p[i]) * AVolume / 256.0;
    if (v < AMin) v = AMin;
    if (v > AMax) v = AMax;
    p[i] = static_cast<T>(v);
  }
}

// Bytes of silence of a sample format (unsigned 8-bit is centred on 0x80).
uint8_t SilenceByte(AVSampleFormat AFormat) {
  return AFormat == AV_SAMPLE_FMT_U8 || AFormat == AV_SAMPLE_FMT_U8P ? 0x80 : 0;
}

}  // namespace

void TTranscoder::ApplyVolume(AVFrame* AFrame) const {
  const auto format = static_cast<AVSampleFormat>(AFrame->format);
  const bool planar = IsPlanar(format);
  const int channels = AFrame->ch_layout.nb_channels;
  const int planes = planar ? channels : 1;
  const int count = AFrame->nb_samples * (planar ? 1 : channels);
  const int volume = E.Faudio_volume;
  for (int p = 0; p < planes; ++p) {
    uint8_t* data = AFrame->extended_data[p];
    switch (Packed(format)) {
      case AV_SAMPLE_FMT_U8: {
        for (int i = 0; i < count; ++i) {
          const int v = ((data[i] - 128) * volume + 128) / 256 + 128;
          data[i] = static_cast<uint8_t>(std::clamp(v, 0, 255));
        }
        break;
      }
      case AV_SAMPLE_FMT_S16: {
        auto* s = reinterpret_cast<int16_t*>(data);
        for (int i = 0; i < count; ++i) s[i] = static_cast<int16_t>(std::clamp((s[i] * volume + 128) >> 8, -32768, 32767));
        break;
      }
      case AV_SAMPLE_FMT_S32: ScaleSamples<int32_t>(data, count, volume, INT32_MIN, INT32_MAX); break;
      case AV_SAMPLE_FMT_S64: ScaleSamples<int64_t>(data, count, volume, -9.2e18, 9.2e18); break;
      case AV_SAMPLE_FMT_FLT: ScaleSamples<float>(data, count, volume, -1e30, 1e30); break;
      case AV_SAMPLE_FMT_DBL: ScaleSamples<double>(data, count, volume, -1e300, 1e300); break;
      default: break;
    }
  }
}

void TTranscoder::DoAudioOut(TAVOutputStream& AOst, TAVInputStream& AIst, AVFrame* AFrame) {
  AVCodecContext* enc = AOst.enc;
  const int inChannels = AFrame->ch_layout.nb_channels;
  if (AFrame->nb_samples <= 0 || inChannels <= 0 || AFrame->sample_rate <= 0) return;

  // The converter follows the decoded format; a change of it makes a new one.
  if (!AOst.swr || AOst.swr_in_rate != AFrame->sample_rate || AOst.swr_in_format != AFrame->format ||
      AOst.swr_in_channels != inChannels) {
    if (AOst.swr) av::swr_free(&AOst.swr);
    AVChannelLayout inLayout{};
    if (AFrame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av::av_channel_layout_default(&inLayout, inChannels);
    else
      av::av_channel_layout_copy(&inLayout, &AFrame->ch_layout);
    const int made = av::swr_alloc_set_opts2(&AOst.swr, &enc->ch_layout, enc->sample_fmt, enc->sample_rate, &inLayout,
                                             static_cast<AVSampleFormat>(AFrame->format), AFrame->sample_rate, 0,
                                             nullptr);
    av::av_channel_layout_uninit(&inLayout);
    if (made < 0 || av::swr_init(AOst.swr) < 0) {
      if (AOst.swr) av::swr_free(&AOst.swr);
      throw FFmpegException(Printf("Can not resample %d channels @ %d Hz to %d channels @ %d Hz", inChannels,
                                     AFrame->sample_rate, enc->ch_layout.nb_channels, enc->sample_rate));
    }
    AOst.swr_in_rate = AFrame->sample_rate;
    AOst.swr_in_format = AFrame->format;
    AOst.swr_in_channels = inChannels;
    if (AOst.fifo.empty())
      AOst.fifo.resize(IsPlanar(enc->sample_fmt) ? enc->ch_layout.nb_channels : 1);
  }

  const int outRate = enc->sample_rate;
  const double syncIpts = static_cast<double>(AOst.sync_ist->pts - E.Fstart_time) / 1000000.0;
  const int64_t pending = AOst.fifo_samples + av::swr_get_delay(AOst.swr, outRate);
  int dropOutput = 0;      // output samples to drop from the start of this frame
  int silenceOutput = 0;   // output samples of silence to put before it
  if (E.Faudio_sync_method != 0) {
    const double delta = syncIpts * outRate - static_cast<double>(AOst.sync_opts) - static_cast<double>(pending);
    if (std::fabs(delta) > 50) {
      if (AIst.is_start || std::fabs(delta) > outRate * E.Faudio_drift_threshold) {
        if (delta < 0) {
          dropOutput = static_cast<int>(-delta);
          if (E.Fverbose > 2) Log(TLogLevel::llVerbose, Printf("discarding %d audio samples", dropOutput));
        } else {
          silenceOutput = static_cast<int>(delta);
          if (E.Fverbose > 2)
            Log(TLogLevel::llVerbose, Printf("adding %d audio samples of silence", silenceOutput));
        }
        AIst.is_start = false;
      } else if (E.Faudio_sync_method > 1) {
        const int comp = std::clamp(static_cast<int>(delta), -E.Faudio_sync_method, E.Faudio_sync_method);
        if (E.Fverbose > 2)
          Log(TLogLevel::llVerbose,
              Printf("compensating audio timestamp drift:%f compensation:%d in:%d", delta, comp, outRate));
        av::swr_set_compensation(AOst.swr, comp, outRate);
      }
    }
  }
  const bool starting = !AOst.audio_started;
  if (starting && E.Faudio_sync_method == 0) {
    // The first samples start at their input time. Sound from before the output's start (an input
    // sought to the key frame before its start position) is cut off: the output's sound begins
    // with the sample due at its time 0.
    AOst.sync_opts = std::max<int64_t>(0, std::llround(syncIpts * outRate));
    if (syncIpts < 0) dropOutput = std::max(dropOutput, static_cast<int>(std::min<double>(-syncIpts * outRate, INT32_MAX)));
  }

  // Convert into the stream's buffer, planes side by side.
  const auto outFormat = enc->sample_fmt;
  const int outChannels = enc->ch_layout.nb_channels;
  const int bps = av::av_get_bytes_per_sample(outFormat);
  const bool planar = IsPlanar(outFormat);
  const int capacity = static_cast<int>(av::av_rescale_rnd(av::swr_get_delay(AOst.swr, AFrame->sample_rate) +
                                                               AFrame->nb_samples,
                                                           outRate, AFrame->sample_rate, AV_ROUND_UP)) +
                       std::max(E.Faudio_sync_method, 0) + 64;
  const size_t planeBytes = static_cast<size_t>(capacity) * bps * (planar ? 1 : outChannels);
  const int planes = planar ? outChannels : 1;
  if (AOst.convert_buf.size() < planeBytes * planes) AOst.convert_buf.resize(planeBytes * planes);
  uint8_t* out[AV_NUM_DATA_POINTERS * 8] = {};
  for (int p = 0; p < planes && p < static_cast<int>(std::size(out)); ++p) out[p] = AOst.convert_buf.data() + p * planeBytes;
  const int converted = av::swr_convert(AOst.swr, out, capacity, const_cast<const uint8_t**>(AFrame->extended_data),
                                        AFrame->nb_samples);
  if (converted < 0) {
    const std::string text = AVErrorText("Could not convert the sound for the encoder", converted);
    if (E.Fexit_on_error) throw FFmpegException(text);
    Log(TLogLevel::llError, text);
    return;
  }
  const int sampleBytes = bps * (planar ? 1 : outChannels);
  int first = std::min(dropOutput, converted);
  // A frame wholly before the output's start starts nothing.
  if (starting && first >= converted && silenceOutput == 0) return;
  AOst.audio_started = true;
  if (AOst.fifo.size() != static_cast<size_t>(planes)) AOst.fifo.resize(planes);
  for (int p = 0; p < planes; ++p) {
    std::vector<uint8_t>& queue = AOst.fifo[p];
    queue.insert(queue.end(), static_cast<size_t>(silenceOutput) * sampleBytes, SilenceByte(outFormat));
    queue.insert(queue.end(), out[p] + static_cast<size_t>(first) * sampleBytes,
                 out[p] + static_cast<size_t>(converted) * sampleBytes);
  }
  AOst.fifo_samples += silenceOutput + converted - first;
  EncodeAudioFifo(AOst, false);
}

void TTranscoder::EncodeAudioFifo(TAVOutputStream& AOst, bool AFinal) {
  AVCodecContext* enc = AOst.enc;
  if (AOst.fifo.empty()) return;
  if (AFinal && AOst.swr && AOst.audio_started) {
    // What the converter still holds joins the queue first.
    const int planes = static_cast<int>(AOst.fifo.size());
    const int bps = av::av_get_bytes_per_sample(enc->sample_fmt);
    const int sampleBytes = bps * (planes == 1 ? enc->ch_layout.nb_channels : 1);
    const int capacity = static_cast<int>(av::swr_get_delay(AOst.swr, enc->sample_rate)) + 64;
    std::vector<std::vector<uint8_t>> rest(planes, std::vector<uint8_t>(static_cast<size_t>(capacity) * sampleBytes));
    uint8_t* out[64] = {};
    for (int p = 0; p < planes && p < 64; ++p) out[p] = rest[p].data();
    const int n = av::swr_convert(AOst.swr, out, capacity, nullptr, 0);
    if (n > 0) {
      for (int p = 0; p < planes; ++p) AOst.fifo[p].insert(AOst.fifo[p].end(), out[p], out[p] + static_cast<size_t>(n) * sampleBytes);
      AOst.fifo_samples += n;
    }
  }
  const bool variable = enc->frame_size <= 1 || (enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
  const bool smallLast = variable || (enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
  const int planes = static_cast<int>(AOst.fifo.size());
  const int bps = av::av_get_bytes_per_sample(enc->sample_fmt);
  const int sampleBytes = bps * (planes == 1 ? enc->ch_layout.nb_channels : 1);
  if (!AOst.audio_frame) AOst.audio_frame = av::av_frame_alloc();
  if (!AOst.audio_frame) throw FFmpegException("Out of memory in do_audio_out");
  while (AOst.fifo_samples > 0) {
    int take;
    int frameSamples;
    if (enc->frame_size <= 1) {
      take = frameSamples = AOst.fifo_samples;
    } else if (AOst.fifo_samples >= enc->frame_size) {
      take = frameSamples = enc->frame_size;
    } else if (AFinal) {
      take = AOst.fifo_samples;
      frameSamples = smallLast ? take : enc->frame_size;
    } else {
      break;
    }
    AVFrame* frame = AOst.audio_frame;
    av::av_frame_unref(frame);
    frame->nb_samples = frameSamples;
    frame->format = enc->sample_fmt;
    frame->sample_rate = enc->sample_rate;
    av::av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
    if (av::av_frame_get_buffer(frame, 0) < 0) throw FFmpegException("Out of memory in do_audio_out");
    for (int p = 0; p < planes; ++p) {
      const size_t bytes = static_cast<size_t>(take) * sampleBytes;
      std::memcpy(frame->extended_data[p], AOst.fifo[p].data(), bytes);
      if (frameSamples > take)
        std::memset(frame->extended_data[p] + bytes, SilenceByte(enc->sample_fmt),
                    static_cast<size_t>(frameSamples - take) * sampleBytes);
      AOst.fifo[p].erase(AOst.fifo[p].begin(), AOst.fifo[p].begin() + static_cast<std::ptrdiff_t>(bytes));
    }
    AOst.fifo_samples -= take;
    frame->pts = AOst.sync_opts;
    AOst.sync_opts += frameSamples;
    ++AOst.frame_number;
    EncodeAndWrite(AOst, frame);
  }
}
