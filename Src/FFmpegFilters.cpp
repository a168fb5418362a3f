// The video filter graph of an encoded video output: crop, scale and the user's chain between the
// decoder's pictures and the encoder.

#include <cmath>
#include <utility>

#include "Src/AVFilterStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"

namespace {

struct TInOutDeleter {
  void operator()(AVFilterInOut* AInOut) const { av::avfilter_inout_free(&AInOut); }
};
using TInOut = std::unique_ptr<AVFilterInOut, TInOutDeleter>;

TInOut MakeInOut(const char* AName, AVFilterContext* AFilter) {
  TInOut inout(av::avfilter_inout_alloc());
  if (!inout) return inout;
  inout->name = av::av_strdup(AName);
  inout->filter_ctx = AFilter;
  inout->pad_idx = 0;
  inout->next = nullptr;
  return inout;
}

}  // namespace

TVideoFilterGraph::~TVideoFilterGraph() { Reset(); }

void TVideoFilterGraph::Reset() {
  if (graph && av::avfilter_graph_free) av::avfilter_graph_free(&graph);
  graph = nullptr;
  src = sink = nullptr;
}

std::string UprightFilters(const AVStream* AStream, bool& ASidesSwapped) {
  ASidesSwapped = false;
  const int32_t* m = nullptr;
  for (int i = 0; AStream && i < AStream->nb_side_data; ++i)
    if (AStream->side_data[i].type == AV_PKT_DATA_DISPLAYMATRIX && AStream->side_data[i].size >= 9 * 4)
      m = reinterpret_cast<const int32_t*>(AStream->side_data[i].data);
  if (!m) return std::string();
  // The matrix's first two columns are 16.16 fixed point; the angle it turns the picture by when
  // shown, counter-clockwise, in whole degrees from 0 to 359.
  const double a = m[0] / 65536.0, b = m[1] / 65536.0, c = m[3] / 65536.0, d = m[4] / 65536.0;
  const double scale0 = std::hypot(a, c), scale1 = std::hypot(b, d);
  if (scale0 == 0.0 || scale1 == 0.0) return std::string();
  double theta = std::round(std::atan2(b / scale1, a / scale0) * 180.0 / M_PI);
  theta -= 360.0 * std::floor(theta / 360.0 + 0.9 / 360.0);
  if (std::fabs(theta - 90.0) < 1.0) {
    ASidesSwapped = true;
    return m[3] > 0 ? "transpose=cclock_flip" : "transpose=clock";
  }
  if (std::fabs(theta - 270.0) < 1.0) {
    ASidesSwapped = true;
    return m[3] < 0 ? "transpose=clock_flip" : "transpose=cclock";
  }
  std::string chain;
  if (std::fabs(theta - 180.0) < 1.0) {
    if (m[0] < 0) chain = "hflip";
    if (m[4] < 0) chain += chain.empty() ? "vflip" : ",vflip";
  } else if (std::fabs(theta) < 1.0) {
    if (m[4] < 0) chain = "vflip";
  }
  return chain;
}

std::string TCustomFFmpeg::VideoFilterDescription(int AInWidth, int AInHeight, int AOutWidth, int AOutHeight,
                                                  const std::string& AUpright) const {
  std::string chain;
  auto add = [&](const std::string& AFilter) { chain += (chain.empty() ? "" : ",") + AFilter; };
  const int croppedWidth = AInWidth - Fframe_leftBand - Fframe_rightBand;
  const int croppedHeight = AInHeight - Fframe_topBand - Fframe_bottomBand;
  if (Fdo_deinterlace) add("yadif");
  if (Fframe_topBand || Fframe_bottomBand || Fframe_leftBand || Fframe_rightBand)
    add(Printf("crop=%d:%d:%d:%d", croppedWidth, croppedHeight, Fframe_leftBand, Fframe_topBand));
  int uprightWidth = croppedWidth, uprightHeight = croppedHeight;
  if (!AUpright.empty()) {
    add(AUpright);
    if (AUpright.rfind("transpose", 0) == 0) std::swap(uprightWidth, uprightHeight);
  }
  if (uprightWidth != AOutWidth || uprightHeight != AOutHeight) add(Printf("scale=%d:%d", AOutWidth, AOutHeight));
  if (!Fvfilters.empty()) add(Fvfilters);
  return chain.empty() ? "null" : chain;
}

void TCustomFFmpeg::ConfigureVideoFilters(const AVCodecContext* ADecoder, AVRational ATimeBase,
                                          AVCodecContext* AEncoder, TVideoFilterGraph& AGraph, int AThreads) {
  AGraph.Reset();
  // The first thing the libraries say about a failing step (an unknown filter of the chain, an
  // option a filter refuses) is what the user reads.
  const TLibraryErrorCapture cause;
  auto fail = [&](const std::string& AText) {
    AGraph.Reset();
    throw FFmpegException(cause.WithCause("Error opening filters: " + AText));
  };
  AGraph.graph = av::avfilter_graph_alloc();
  if (!AGraph.graph) fail("Cannot allocate the video filter graph");
  // The graph (its scaler included) runs the threads the job was given: a job sharing the machine
  // with others stays within its share.
  AGraph.graph->nb_threads = AThreads;  // 0: one per processor

  const AVRational sar = ADecoder->sample_aspect_ratio.num ? ADecoder->sample_aspect_ratio : AVRational{0, 1};
  const std::string srcArgs = Printf("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                                     ADecoder->width, ADecoder->height, ADecoder->pix_fmt, ATimeBase.num,
                                     ATimeBase.den ? ATimeBase.den : 1, sar.num, sar.den);
  if (av::avfilter_graph_create_filter(&AGraph.src, av::avfilter_get_by_name("buffer"), "src", srcArgs.c_str(),
                                       nullptr, AGraph.graph) < 0)
    fail("Cannot create the video filter source");
  if (av::avfilter_graph_create_filter(&AGraph.sink, av::avfilter_get_by_name("buffersink"), "out", nullptr,
                                       nullptr, AGraph.graph) < 0)
    fail("Cannot create the video filter output");

  int64_t swsFlags = Fsws_flags;
  if (FOptions.sws_opts) av::av_opt_get_int(FOptions.sws_opts, "sws_flags", 0, &swsFlags);
  AGraph.graph->scale_sws_opts = av::av_strdup(Printf("flags=0x%X", static_cast<unsigned>(swsFlags)).c_str());

  std::string description =
      VideoFilterDescription(ADecoder->width, ADecoder->height, AEncoder->width, AEncoder->height, AGraph.upright);
  // The encoder takes exactly one pixel format; the chain ends converting to it.
  if (const char* name = av::av_get_pix_fmt_name(AEncoder->pix_fmt)) description += std::string(",format=") + name;

  TInOut outputs = MakeInOut("in", AGraph.src);
  TInOut inputs = MakeInOut("out", AGraph.sink);
  if (!outputs || !inputs) fail("Cannot allocate the video filter graph");
  AVFilterInOut* in = inputs.release();
  AVFilterInOut* out = outputs.release();
  const int parsed = av::avfilter_graph_parse_ptr(AGraph.graph, description.c_str(), &in, &out, nullptr);
  av::avfilter_inout_free(&in);
  av::avfilter_inout_free(&out);
  if (parsed < 0) fail(Printf("Invalid video filter chain \"%s\"", description.c_str()));
  if (av::avfilter_graph_config(AGraph.graph, nullptr) < 0)
    fail(Printf("Cannot configure the video filter chain \"%s\"", description.c_str()));
  AEncoder->width = av::av_buffersink_get_w(AGraph.sink);
  AEncoder->height = av::av_buffersink_get_h(AGraph.sink);
}

int TCustomFFmpeg::GetFilteredVideoPicture(TVideoFilterGraph& AGraph, AVFrame* AFrame) {
  if (!AGraph.sink || !AFrame) return -1;
  return av::av_buffersink_get_frame(AGraph.sink, AFrame) >= 0 ? 1 : -1;
}
