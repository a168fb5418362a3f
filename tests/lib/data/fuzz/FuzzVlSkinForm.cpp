// libFuzzer target for a skin applied to the windows. The input is a skin description text; it is
// loaded with the pictures of the test skin (tests/lib/FixtureSkin.h, every variant's elements,
// frame, menus and layered frame) through the compressed-skin load, which broadcasts the change
// to a form holding one control of every skinned kind (tests/lib/EveryControlForm.h); then the
// frame and each control paint once on the headless display. Every input must load or fail
// with one of the runtime's exceptions, and paint without a sanitizer report.
//
// The tests build it with tests/FuzzReplay.cpp in place of the fuzzing engine and replay
// corpus-form/ under the sanitizers. To fuzz, build it with clang from the repository's folder and
// start from the corpus, e.g. for 30 minutes:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. -Itests
//     tests/lib/data/fuzz/FuzzVlSkinForm.cpp lib/*/*.cpp platform/*/*.cpp tests/support/*.cpp
//     $(pkg-config --cflags --libs freetype2 fontconfig libpng libjpeg zlib x11 xext)
//     -lpthread -ldl -o /tmp/fuzz-vlskinform          (one command, written on four lines)
//   mkdir -p /tmp/fuzz-form && /tmp/fuzz-vlskinform -max_total_time=1800 -rss_limit_mb=4096
//     -max_len=16384 /tmp/fuzz-form tests/lib/data/fuzz/corpus-form
// Started with the two arguments "--write-seed <file>" it writes the seed, the test skin's
// description, and ends.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tests/lib/EveryControlForm.h"
#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinDescriptionText.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlSkinDescription.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/core/Exceptions.h"
#include "platform/windowing/HeadlessDisplay.h"

namespace {

// The test skin with every part the form can show.
skin_description_text::TSplitSkin TestSkin() {
  TvlSkinData scratch(nullptr);
  fixture_skin::Fill(scratch);
  fixture_skin::AddFrame(scratch);
  fixture_skin::AddMenus(scratch);
  fixture_skin::AddLayeredFrame(scratch);
  return skin_description_text::Split(&scratch);
}

struct World {
  World() {
    THeadlessDisplay* display = HeadlessDisplay();
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    fixture_skin::RegisterSliderPictures();
    vlUtilsStartup();
    pictures = TestSkin().Pictures;
    form = every_control_form::Make(&skin);
    every_control_form::Pump();
    // Refusal lines are expected by the thousand here.
    vlSetSkinLogSink([](const std::string&) {});
  }

  TScopedTestClock clock;
  TApplication app{nullptr};
  TvlSkinData skin{nullptr};
  std::string pictures;
  std::unique_ptr<TForm> form;
};

World& TheWorld() {
  static World* world = new World();  // lives to the end: the form must not outlive the display
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& w = TheWorld();
  try {
    skin_description_text::Load(w.skin, w.pictures, data, size);
  } catch (const Exception&) {
    // A clear refusal is the expected answer to a broken skin; the previous skin stays.
  }
  every_control_form::PaintAll(w.form.get());
  return 0;
}

// Writes the seed: the test skin's description as the loader reads it.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (*argc == 3 && std::strcmp((*argv)[1], "--write-seed") == 0) {
    TScopedTestClock clock;
    const std::string text = TestSkin().Description;
    std::FILE* out = std::fopen((*argv)[2], "wb");
    if (!out) return 1;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    std::exit(0);
  }
  return 0;
}
