// Every preset of the catalogue through the window, as a user reaches it: chosen before the file
// is added, and switched on a row added under another preset. Each output is checked with
// ffprobe (container, codecs, picture size, frame rate, sample rate, duration, disc norms) and
// decoded by the command-line tool. Besides: subtitles of the input, a portrait clip tagged as
// turned, and the same file added again after its row was switched.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>

#include "app/OptionLists.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "app/PresetCatalogue.h"
#include "app/PresetParameters.h"
#include "tests/Src/ConvexaTestSupport.h"
#include "tests/Src/MediaFixtures.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/app/PresetJobs.h"

namespace {

using namespace main_window;
using convexatest::PumpUntil;
using enum TJobSubItem;

// A copy of File at Path (the clips folder), so the outputs are named after it.
std::string CopyTo(const std::string& File, const fs::path& Path) {
  fs::copy_file(File, Path, fs::copy_options::overwrite_existing);
  return Path.string();
}

constexpr int kSourceWidth = 160, kSourceHeight = 120;
constexpr double kSourceRate = 30, kSourceSeconds = 2;

// The clip every preset converts: small, two seconds, at a rate no preset writes by default, so a
// preset that keeps the source's rate shows it.
std::string Clip() {
  return fixtures::Make("presets-160x120-30.mp4",
                        "-f lavfi -i testsrc=size=160x120:rate=30:duration=2 -f lavfi -i "
                        "sine=frequency=440:duration=2:sample_rate=44100 -ac 2 -c:v mpeg4 -q:v 4 -c:a aac -f mp4");
}

// What a preset's file must hold.
struct TExpected {
  std::string Format;  // ffprobe's format_name
  std::string Video;   // codec_name; empty: no video stream
  std::string Audio;
  int Width = 0, Height = 0;
  double Rate = 0;
  int SampleRate = 0;
};

// The codec an encoder name writes.
std::string CodecOfEncoder(std::string_view Encoder) {
  static const std::map<std::string_view, std::string> codecs = {
      {"libxvid", "mpeg4"},   {"libx264", "h264"}, {"msmpeg4", "msmpeg4v3"}, {"libmp3lame", "mp3"},
      {"libfaac", "aac"},     {"libvorbis", "vorbis"}};
  const auto found = codecs.find(Encoder);
  return found != codecs.end() ? found->second : std::string(Encoder);
}

// Per extension: ffprobe's format name, and the codecs the format takes when a preset names none.
struct TContainer {
  std::string_view Ext, Format, Video, Audio;
};
constexpr TContainer kContainers[] = {
    {".avi", "avi", "mpeg4", "mp3"},
    {".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac"},
    {".m4a", "mov,mp4,m4a,3gp,3g2,mj2", "", "aac"},
    {".mov", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac"},
    {".3gp", "mov,mp4,m4a,3gp,3g2,mj2", "h263", "amr_nb"},
    {".mkv", "matroska,webm", "h264", "vorbis"},
    {".mpg", "mpeg", "mpeg1video", "mp2"},
    {".vob", "mpeg", "mpeg2video", "mp2"},
    {".flv", "flv", "flv1", "mp3"},
    {".swf", "swf", "flv1", "mp3"},
    {".asf", "asf", "msmpeg4v3", "wmav2"},
    {".wmv", "asf", "msmpeg4v3", "wmav2"},
    {".wma", "asf", "", "wmav2"},
    {".rm", "rm", "rv10", "ac3"},
    {".ra", "rm", "", "ac3"},
    {".mp3", "mp3", "", "mp3"},
    {".mp2", "mp3", "", "mp2"},
    {".wav", "wav", "", "pcm_s16le"},
    {".aac", "aac", "", "aac"},
    {".ogg", "ogg", "", "vorbis"},
    {".ac3", "ac3", "", "ac3"},
    {".aiff", "aiff", "", "pcm_s16be"},
    {".flac", "flac", "", "flac"},
};

const TContainer& ContainerOf(std::string_view Ext) {
  for (const TContainer& c : kContainers)
    if (c.Ext == Ext) return c;
  throw std::invalid_argument("no container for " + std::string(Ext));
}

// The text each chooser shows by default for a preset. The presets without lists of their own
// keep what the category's first preset showed, which is how the user reaches them.
std::string DefaultText(int PresetCode, TOptionKind Kind) {
  const TOptionEntry* entry = FindOptionEntry(PresetCode);
  if (!entry) entry = FindOptionEntry(PresetCode / 100 * 100);
  const TOptionChoice& choice = entry->Lists[static_cast<int>(Kind)];
  return std::string(FindOptionTemplate(choice.Template)->Items[choice.Default]);
}

// The disc norms (PAL): size, rate, codecs and sample rate a player takes.
TExpected DiscNorm(std::string_view Target) {
  if (Target == "dvd") return {"mpeg", "mpeg2video", "ac3", 720, 576, 25, 48000};
  if (Target == "svcd") return {"mpeg", "mpeg2video", "mp2", 480, 576, 25, 44100};
  return {"mpeg", "mpeg1video", "mp2", 352, 288, 25, 44100};
}

TExpected ExpectedOf(int PresetCode) {
  const TPresetParameters p = *FindPresetParameters(PresetCode);
  if (p.Kind == TPresetKind::pkDisc) return DiscNorm(p.TargetType);
  // The file's extension decides its container; it is the one in the preset's name.
  const TContainer& container = ContainerOf(OutputExtensionOfName(*PresetNameOfCode(PresetCode)));
  TExpected e;
  e.Format = container.Format;
  e.Audio = p.AudioCodec.empty() ? std::string(container.Audio) : CodecOfEncoder(p.AudioCodec);
  e.SampleRate = std::atoi(DefaultText(PresetCode, TOptionKind::okSampleRate).c_str());
  if (p.DisableVideo) return e;
  e.Video = p.VideoCodec.empty() ? std::string(container.Video) : CodecOfEncoder(p.VideoCodec);
  const std::string size = DefaultText(PresetCode, TOptionKind::okResolution);
  const size_t star = size.find('*');
  e.Width = star == std::string::npos ? kSourceWidth : std::atoi(size.c_str());
  e.Height = star == std::string::npos ? kSourceHeight : std::atoi(size.c_str() + star + 1);
  const std::string rate = DefaultText(PresetCode, TOptionKind::okFrameRate);
  e.Rate = rate == "保持原帧速率" ? kSourceRate : std::atof(rate.c_str());
  return e;
}

// Checks one output against what its preset asks for; Label names the case in failures.
void ExpectOutput(const std::string& File, const TExpected& Expected, const std::string& Label) {
  SCOPED_TRACE(Label + ": " + File);
  ASSERT_TRUE(fs::exists(File));
  auto info = fixtures::Probe(File, "-count_frames");
  const auto value = [&info](const std::string& Key) { return info[Key]; };
  EXPECT_EQ(value("format.format_name"), Expected.Format);
  std::string video, audio;
  int videoIndex = -1, audioIndex = -1;
  for (int i = 0; !value("streams.stream." + std::to_string(i) + ".codec_type").empty(); ++i) {
    const std::string type = value("streams.stream." + std::to_string(i) + ".codec_type");
    if (type == "video") videoIndex = i;
    if (type == "audio") audioIndex = i;
  }
  const auto stream = [&](int Index, const std::string& Key) {
    return value("streams.stream." + std::to_string(Index) + "." + Key);
  };
  // A Flash file with pictures states no length: its pictures at their rate tell it.
  const std::string duration = value("format.duration");
  const double seconds = duration != "N/A" || videoIndex < 0
                             ? std::atof(duration.c_str())
                             : std::atof(stream(videoIndex, "nb_read_frames").c_str()) / Expected.Rate;
  EXPECT_NEAR(seconds, kSourceSeconds, 0.5);
  EXPECT_EQ(videoIndex >= 0 ? stream(videoIndex, "codec_name") : "", Expected.Video);
  EXPECT_EQ(audioIndex >= 0 ? stream(audioIndex, "codec_name") : "", Expected.Audio);
  if (videoIndex >= 0 && !Expected.Video.empty()) {
    EXPECT_EQ(stream(videoIndex, "width"), std::to_string(Expected.Width));
    EXPECT_EQ(stream(videoIndex, "height"), std::to_string(Expected.Height));
    // Pictures per second of the clip's length: the rate the file was written at.
    const double frames = std::atof(stream(videoIndex, "nb_read_frames").c_str());
    EXPECT_NEAR(frames / kSourceSeconds, Expected.Rate, 1.6) << frames << " pictures";
  }
  if (audioIndex >= 0) EXPECT_EQ(stream(audioIndex, "sample_rate"), std::to_string(Expected.SampleRate));
  EXPECT_EQ(fixtures::DecodeErrors(File), "");
}

class PresetOutputsTest : public MainWindowWorld {
 protected:
  void SetUp() override {
    MainWindowWorld::SetUp();
    if (HasFatalFailure()) return;
    StartWithFolders();
    main->Show();
    skinned_test_form::Pump();
  }

  // Picks the preset in the two lists, as the user does; a selected row takes it.
  void Choose(int PresetCode) {
    preset_jobs::ChoosePreset(*main->vlSkinOfficeComboBox2, *main->vlSkinOfficeComboBox1, PresetCode);
  }
  // With no row selected, picks the preset and adds File; whether a row was added. The new row is
  // selected, as after every add.
  bool Add(const std::string& File, int PresetCode) {
    main->SelectRow(-1);
    Choose(PresetCode);
    const int rows = main->Jobs().Count();
    dialogs.files.push_back({File});
    main->btnAddClick();
    return main->Jobs().Count() == rows + 1;
  }
  // Starts the batch at two threads and waits for its end.
  void Convert() {
    windows.Form5->vlSkinComboBox2->Pick(1);
    main->Conversion().Start();
    ASSERT_TRUE(PumpUntil([this] { return main->Conversion().State() == TConversionState::csEnded; }, 240000));
  }
  [[nodiscard]] std::string Output(int Row) { return (output / Column(Row, jsOutputName)).string(); }
  [[nodiscard]] bool Logged(const std::string& Text) const {
    for (const std::string& line : LogLines())
      if (line.find(Text) != std::string::npos) return true;
    return false;
  }
  [[nodiscard]] bool Warned(const std::string& Text) const {
    for (const std::string& message : dialogs.messages)
      if (message.find(Text) != std::string::npos) return true;
    return false;
  }
};

// ---- every preset, both ways ------------------------------------------------------------------

// A case converts at most four presets of one category, so each stays short.
struct TPresetChunk {
  int Category, First, Count;
};
constexpr int kChunkSize = 4;

std::vector<TPresetChunk> PresetChunks() {
  std::vector<TPresetChunk> chunks;
  const auto categories = PresetCategories();
  for (int c = 0; c < static_cast<int>(categories.size()); ++c) {
    const int presets = static_cast<int>(PresetNamesOfGroup(categories[c].PresetGroup).size());
    for (int first = 0; first < presets; first += kChunkSize)
      chunks.push_back({c, first, std::min(kChunkSize, presets - first)});
  }
  return chunks;
}

class PresetTableTest : public PresetOutputsTest, public testing::WithParamInterface<TPresetChunk> {};

// Up to four presets of a category per case: each preset chosen before adding the clip, and switched on a row added
// under another preset (MPEG-1, or AVI for the MPEG category). Both files must be the preset's.
// The AMR preset has no encoder here: its add is refused, and its switched row fails, both
// saying so in Chinese.
TEST_P(PresetTableTest, EveryPresetGivesItsFileChosenOrSwitched) {
  const TPresetCategory& category = PresetCategories()[GetParam().Category];
  const std::string clip = CopyTo(Clip(), clips / "clip.mp4");
  const int other = category.PresetGroup == 13 ? 1500 : 1300;
  struct TRowCase {
    int Row, Preset;
    const char* Way;
  };
  std::vector<TRowCase> cases;
  for (int index = GetParam().First; index < GetParam().First + GetParam().Count; ++index) {
    const int code = MakePresetCode(category.PresetGroup, index);
    if (Add(clip, code)) {
      cases.push_back({main->Jobs().Count() - 1, code, "chosen"});
    } else {
      EXPECT_EQ(code, 112) << "the add under " << code << " was refused: " << testing::PrintToString(LogLines());
      EXPECT_TRUE(Logged("此系统的 FFmpeg 没有 AMR-NB 编码器"));
    }
    ASSERT_TRUE(Add(clip, other)) << testing::PrintToString(LogLines());
    Choose(code);
    cases.push_back({main->Jobs().Count() - 1, code, "switched"});
  }
  Convert();
  for (const TRowCase& c : cases) {
    const std::string label = std::to_string(c.Preset) + " " + c.Way;
    if (c.Preset == 112) {
      EXPECT_TRUE(Warned("此系统的 FFmpeg 没有 AMR-NB 编码器")) << testing::PrintToString(dialogs.messages);
      EXPECT_FALSE(fs::exists(Output(c.Row))) << label;
      continue;
    }
    EXPECT_EQ(Column(c.Row, jsProgress), "100%") << label;
    ExpectOutput(Output(c.Row), ExpectedOf(c.Preset), label);
  }
}

std::string ChunkName(const testing::TestParamInfo<TPresetChunk>& Info) {
  const int group = PresetCategories()[Info.param.Category].PresetGroup;
  return "Presets" + std::to_string(MakePresetCode(group, Info.param.First)) + "To" +
         std::to_string(MakePresetCode(group, Info.param.First + Info.param.Count - 1));
}

INSTANTIATE_TEST_SUITE_P(Categories, PresetTableTest, testing::ValuesIn(PresetChunks()), ChunkName);

// ---- subtitles, turned pictures, adding again --------------------------------------------------

// Text subtitles go into MKV as ASS and into MP4 as timed text; AVI cannot carry them and goes
// without, with a log line. No task fails for a subtitle.
TEST_F(PresetOutputsTest, TextSubtitlesAreCarriedWhereTheContainerCanAndLeftOutElsewhere) {
  const fs::path srt = fixtures::Folder() / "presets-subtitles.srt";
  if (!fs::exists(srt))
    std::ofstream(srt) << "1\n00:00:00,200 --> 00:00:01,000\nfirst\n\n2\n00:00:01,100 --> 00:00:01,800\nsecond\n";
  const std::string subtitled = CopyTo(
      fixtures::Make("presets-subtitled.mkv", "-f lavfi -i testsrc=size=160x120:rate=30:duration=2 -f lavfi -i "
                                              "sine=duration=2 -i " + fixtures::Quoted(srt.string()) +
                                              " -map 0 -map 1 -map 2 -c:v mpeg4 -c:a libvorbis -c:s srt -f matroska"),
      clips / "subtitled.mkv");
  const struct {
    int Preset;
    const char* Subtitle;  // codec of the output's subtitle stream; empty: none
  } cases[] = {{1600, "ass"}, {1303, "mov_text"}, {1500, ""}};
  for (const auto& c : cases) ASSERT_TRUE(Add(subtitled, c.Preset)) << testing::PrintToString(LogLines());
  Convert();
  EXPECT_TRUE(dialogs.messages.empty()) << testing::PrintToString(dialogs.messages);
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(cases[row].Preset);
    EXPECT_EQ(Column(row, jsProgress), "100%");
    auto info = fixtures::Probe(Output(row), "-select_streams s");
    EXPECT_EQ(info["streams.stream.0.codec_name"], cases[row].Subtitle);
    EXPECT_EQ(fixtures::DecodeErrors(Output(row)), "");
  }
  EXPECT_TRUE(Logged("Subtitles are left out of"));
}

// A landscape picture tagged to be shown turned a quarter (a phone's portrait video) comes out
// standing, as the command-line tool writes it, without the tag: kept at its size it is 120x160,
// and a preset's fixed size is fitted the way round it stands (320*240 becomes 240x320).
TEST_F(PresetOutputsTest, APictureTaggedAsTurnedComesOutUpright) {
  const std::string turned = CopyTo(
      fixtures::Make("presets-turned.mp4", "-i " + fixtures::Quoted(Clip()) + " -c copy -metadata:s:v:0 rotate=90 -f mp4"),
      clips / "turned.mp4");
  ASSERT_TRUE(Add(turned, 1600));  // mpeg4 in MKV at the source's size
  ASSERT_TRUE(Add(turned, 1000));  // mpeg4 in MP4 at 320*240
  Convert();
  const fs::path reference = root / "reference.mkv";
  fixtures::Run("ffmpeg -nostdin -v error -y -i " + fixtures::Quoted(turned) + " -an -c:v mpeg4 -q:v 2 " +
                fixtures::Quoted(reference.string()));
  const struct {
    int Width, Height;
  } sizes[] = {{120, 160}, {240, 320}};
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row);
    auto info = fixtures::Probe(Output(row), "-select_streams v");
    EXPECT_EQ(info["streams.stream.0.width"], std::to_string(sizes[row].Width));
    EXPECT_EQ(info["streams.stream.0.height"], std::to_string(sizes[row].Height));
    EXPECT_EQ(info.count("streams.stream.0.tags.rotate"), 0u);
    EXPECT_EQ(info.count("streams.stream.0.side_data_list.side_data.0.rotation"), 0u);
  }
  // The picture itself stands as the tool's: the first pictures differ by little more than the
  // coding, where a picture turned the wrong way round differs everywhere.
  const std::string ours = fixtures::DecodedBGR(Output(0), 1), theirs = fixtures::DecodedBGR(reference.string(), 1);
  ASSERT_EQ(ours.size(), theirs.size());
  ASSERT_FALSE(ours.empty());
  double difference = 0;
  for (size_t i = 0; i < ours.size(); ++i)
    difference += std::abs(static_cast<int>(static_cast<unsigned char>(ours[i])) -
                           static_cast<int>(static_cast<unsigned char>(theirs[i])));
  EXPECT_LT(difference / static_cast<double>(ours.size()), 12.0);
}

// A row switched to another preset gives up the file its task was to write: the same file added
// again under the first preset takes that name, and every row converts into its own file.
TEST_F(PresetOutputsTest, AFileAddedAgainAfterItsRowWasSwitchedTakesTheFreedName) {
  const std::string clip = CopyTo(Clip(), clips / "clip.mp4");
  ASSERT_TRUE(Add(clip, 1300));
  Choose(1100);  // the added row is selected: it becomes an FLV job
  EXPECT_EQ(Column(0, jsOutputName), "clip.flv");
  ASSERT_TRUE(Add(clip, 1300)) << testing::PrintToString(LogLines());
  EXPECT_EQ(Column(1, jsOutputName), "clip.mpg");
  Choose(1303);  // the second row becomes an MPEG-4 job, and back to the first name's preset
  ASSERT_TRUE(Add(clip, 1300)) << testing::PrintToString(LogLines());
  EXPECT_EQ(Column(2, jsOutputName), "clip.mpg");
  ASSERT_TRUE(Add(clip, 1000)) << testing::PrintToString(LogLines());
  // Renamed by hand, a row frees its name too.
  main->SelectRow(3);
  main->vlSkinButton21Click();
  main->edt->SetText("renamed");
  main->edtExit();
  ASSERT_TRUE(Add(clip, 1000)) << testing::PrintToString(LogLines());
  Convert();
  EXPECT_TRUE(dialogs.messages.empty()) << testing::PrintToString(dialogs.messages);
  std::set<std::string> names;
  for (int row = 0; row < main->Jobs().Count(); ++row) {
    EXPECT_EQ(Column(row, jsProgress), "100%") << row;
    EXPECT_TRUE(fs::exists(Output(row))) << Output(row);
    names.insert(Column(row, jsOutputName));
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(main->Jobs().Count()));
}

}  // namespace
