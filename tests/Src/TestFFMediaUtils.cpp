#include "Src/FFMediaUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "MediaFixtures.h"
#include "Src/AVCodecStubs.h"
#include "Src/AVUtilStubs.h"
#include "Src/FFmpegLoader.h"

namespace {

class MediaUtils : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(FFLoader().Load(ProbeLibraries)) << FFLoader().LastErrMsg(); }
  static void TearDownTestSuite() { FFLoader().Unload(ProbeLibraries); }
};

TEST_F(MediaUtils, Texts) {
  struct TErrorCase {
    int Code;
    std::string Text;
  };
  // The libraries' own words, which on this system name the right cause for every errno value.
  const TErrorCase errors[] = {
      {AVERROR(ENOENT), "f.mp4: No such file or directory"},
      {AVERROR(EISDIR), "f.mp4: Is a directory"},
      {AVERROR(EROFS), "f.mp4: Read-only file system"},
      {AVERROR(ENOSPC), "f.mp4: No space left on device"},
      {AVERROR(EACCES), "f.mp4: Permission denied"},
      {AVERROR(EINVAL), "f.mp4: Invalid argument"},
      {AVERROR(EPIPE), "f.mp4: Broken pipe"},
      {AVERROR_INVALIDDATA, "f.mp4: Invalid data found when processing input"},
      {AVERROR_EOF, "f.mp4: End of file"},
      {AVERROR(ENOMEM), "f.mp4: Cannot allocate memory"},
      {AVERROR_ENCODER_NOT_FOUND, "f.mp4: Encoder not found"},
      {NotARegularFileError,
       "f.mp4: Not a regular file (a pipe, socket or character device is read only through a stream protocol "
       "such as \"pipe:\")"},
      {FFERRTAG('X', 'Y', 'Z', 'W'), Printf("f.mp4: Error number %d occurred", FFERRTAG('X', 'Y', 'Z', 'W'))},
  };
  for (const TErrorCase& c : errors) {
    SCOPED_TRACE(c.Code);
    EXPECT_EQ(AVErrorText("f.mp4", c.Code), c.Text);
  }

  EXPECT_EQ(FormatMicroseconds(3723004000LL), "01:02:03.004");
  EXPECT_EQ(FormatMicroseconds(100LL * 3600 * 1000000), "100:00:00.000");
  EXPECT_EQ(FormatMicroseconds(NoTimestamp), "N/A");
  EXPECT_EQ(FrameDurationMicroseconds({30000, 1001}), 33366);
  EXPECT_EQ(FrameDurationMicroseconds({0, 1}), 40000);
  EXPECT_EQ(FrameDurationMicroseconds({25, 0}), 40000);

  const char* types[] = {"Video", "Audio", "Data", "Subtitle", "Attachment", "Unknown"};
  for (int t = 0; t < 6; ++t) EXPECT_EQ(MediaTypeName(t), types[t]);
  EXPECT_EQ(MediaTypeName(-1), "Unknown");
}

TEST_F(MediaUtils, CodecDisplayNames) {
  using enum TCodecNaming;
  struct TCase {
    AVCodecID Id;
    uint32_t Tag;
    TCodecNaming Naming;
    const char* Name;
  };
  const TCase cases[] = {
      {AV_CODEC_ID_MPEG4, 0, cnDecoder, "mpeg4(MPEG-4 part 2)"},
      // The codec's own name where the decoder's differs, as users and the command-line probe
      // know it; the decoder's and the encoder's when asked for.
      {AV_CODEC_ID_MP3, 0, cnCodec, "mp3(MP3 (MPEG audio layer 3))"},
      {AV_CODEC_ID_MP3, 0, cnDecoder, "mp3float(MP3 (MPEG audio layer 3))"},
      {AV_CODEC_ID_MP3, 0, cnEncoder, "libmp3lame(libmp3lame MP3 (MPEG audio layer 3))"},
      {AV_CODEC_ID_MSMPEG4V3, 0, cnCodec, "msmpeg4v3(MPEG-4 part 2 Microsoft variant version 3)"},
      {AV_CODEC_ID_MSMPEG4V3, 0, cnDecoder, "msmpeg4(MPEG-4 part 2 Microsoft variant version 3)"},
      {AV_CODEC_ID_SUBRIP, 0, cnCodec, "subrip(SubRip subtitle)"},
      {AV_CODEC_ID_SUBRIP, 0, cnDecoder, "srt(SubRip subtitle)"},
      {AV_CODEC_ID_MPEG2TS, 0, cnCodec, "mpeg2ts"},
      {AV_CODEC_ID_MPEG2TS, 0, cnDecoder, "mpeg2ts"},
      {AV_CODEC_ID_NONE, MKTAG('X', 'V', 'I', 'D'), cnCodec, "XVID / 0x44495658"},
      {AV_CODEC_ID_NONE, 0x0001, cnDecoder, "0x0001"},
  };
  AVCodecParameters* p = av::avcodec_parameters_alloc();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    p->codec_id = c.Id;
    p->codec_tag = c.Tag;
    EXPECT_EQ(CodecDisplayName(p, c.Naming), c.Name);
  }
  av::avcodec_parameters_free(&p);
}

TEST_F(MediaUtils, GenericOptionsGoToTheirTemplatesAndApply) {
  TFFOptions opts;
  AllocFFOptions(opts, SWS_BICUBIC);
  EXPECT_TRUE(SetFFOption(opts, " b ", " 500k "));
  EXPECT_TRUE(SetFFOption(opts, "ar", "22050"));
  EXPECT_TRUE(SetFFOption(opts, "vbf", "3")) << "v + a video codec option";
  EXPECT_TRUE(SetFFOption(opts, "probesize", "65536")) << "a format option";
  EXPECT_FALSE(SetFFOption(opts, "nonsense", "1"));
  EXPECT_FALSE(SetFFOption(opts, "b", "not a number"));
  EXPECT_FALSE(SetFFOption(opts, "", "1"));

  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 500000);
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_AUDIO]->sample_rate, 22050);
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->sample_rate, 0) << "an audio option stays off the video template";
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->max_b_frames, 3);
  EXPECT_EQ(opts.avformat_opts->probesize, 65536);

  AVCodecContext* target = av::avcodec_alloc_context3(nullptr);
  ApplyFFOptions(opts, target, opts.avcodec_opts[AVMEDIA_TYPE_VIDEO],
                 AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  EXPECT_EQ(target->bit_rate, 500000);
  EXPECT_EQ(target->max_b_frames, 3);
  EXPECT_EQ(target->sample_rate, 0) << "audio options do not carry the video flag";
  av::avcodec_free_context(&target);
  FreeFFOptions(opts);
  EXPECT_TRUE(opts.opt_names.empty());
}

TEST_F(MediaUtils, ReadWholeFile) {
  const auto dir = fixtures::ScratchFolder("readwhole");
  std::ofstream(dir / "a.txt") << "pass one statistics";
  std::string data;
  EXPECT_EQ(ReadWholeFile((dir / "a.txt").string(), data), 0);
  EXPECT_EQ(data, "pass one statistics");
  EXPECT_EQ(ReadWholeFile((dir / "missing.txt").string(), data), -1);
  std::filesystem::remove_all(dir);
}

// Pictures of every kind end in the same 24-bit rows: B, G, R per pixel.
TEST_F(MediaUtils, PictureToBitmapCopiesOrConverts) {
  struct TCase {
    const char* Name;
    int Width;
    int Height;
    int ExtraStride;  // bytes of padding per picture line
  };
  const TCase cases[] = {
      {"even size, line matches the bitmap: copied", 4, 2, 0},
      {"odd width: converted", 3, 2, 0},
      {"padded lines: converted", 4, 2, 16},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const int stride = c.Width * 3 + c.ExtraStride;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride * c.Height), 0xEE);
    for (int y = 0; y < c.Height; ++y)
      for (int x = 0; x < c.Width; ++x)
        for (int k = 0; k < 3; ++k) pixels[y * stride + x * 3 + k] = static_cast<uint8_t>(40 * x + 100 * y + 10 * k);
    const uint8_t* data[4] = {pixels.data()};
    const int linesize[4] = {stride};
    TRGBConvertContext ctx;
    ASSERT_TRUE(PictureToBitmap(ctx, data, linesize, AV_PIX_FMT_BGR24, c.Width, c.Height));
    ASSERT_NE(ctx.Bitmap, nullptr);
    EXPECT_EQ(ctx.Bitmap->Width(), c.Width);
    EXPECT_EQ(ctx.Bitmap->PixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < c.Height; ++y) {
      const auto* row = static_cast<const uint8_t*>(ctx.Bitmap->ScanLine(y));
      for (int x = 0; x < c.Width * 3; ++x) EXPECT_NEAR(row[x], pixels[y * stride + x], 1) << "row " << y << " byte " << x;
    }
  }
}

TEST_F(MediaUtils, PictureToBitmapFromPlanarYuv) {
  // A mid-grey picture in the decoders' most common format.
  const int w = 8, h = 6;
  std::vector<uint8_t> y(w * h, 126), u(w * h / 4, 128), v(w * h / 4, 128);
  const uint8_t* data[4] = {y.data(), u.data(), v.data()};
  const int linesize[4] = {w, w / 2, w / 2};
  TRGBConvertContext ctx;
  ASSERT_TRUE(PictureToBitmap(ctx, data, linesize, AV_PIX_FMT_YUV420P, w, h));
  for (int row = 0; row < h; ++row) {
    const auto* p = static_cast<const uint8_t*>(ctx.Bitmap->ScanLine(row));
    for (int x = 0; x < w * 3; ++x) EXPECT_NEAR(p[x], 128, 3);
  }
  ResetRGBConvertContext(ctx);
  EXPECT_EQ(ctx.Bitmap, nullptr);
  EXPECT_EQ(ctx.RGBBufSize, 0);
}

}  // namespace
