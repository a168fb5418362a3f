// Loading a compressed skin of realistic size (8 pictures of a few hundred kilobytes, about 2,000
// description lines) and looking up 10,000 element names. Target: the load under 20 ms.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlSkinData.h"
#include "platform/core/IniFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void BuildSkin(TvlSkinData& skin) {
  for (int i = 0; i < 8; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(i % 2 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    bitmap->SetSize(320, 300);
    const int bytes = i % 2 ? 4 : 3;
    for (int y = 0; y < bitmap->Height(); ++y) {
      auto* row = static_cast<std::uint8_t*>(bitmap->ScanLine(y));
      for (int x = 0; x < bitmap->Width() * bytes; ++x) row[x] = static_cast<std::uint8_t>((x / 7 + y / 5 + i * 13) & 0xFF);
    }
    skin.FActivePictures.push_back(std::move(bitmap));
    skin.FActivePicturesNames->Add("picture" + std::to_string(i) + ".bmp");
  }
  const auto words = vlControlTypeWords();
  for (int i = 0; i < 70; ++i) {
    auto control = vlCreateControlDescription(words[i % words.size()], "element" + std::to_string(i));
    control->PictureIndex = i % 8;
    control->SkinRect = TRect{i, i, i + 20, i + 10};
    skin.CtrlList.push_back(std::move(control));
  }
  const auto objectWords = vlObjectTypeWords();
  for (int i = 0; i < 16; ++i)
    skin.ObjectList.push_back(vlCreateObjectDescription(objectWords[i % objectWords.size()], "object" + std::to_string(i)));
}

}  // namespace

int main() {
  TvlSkinData source(nullptr);
  BuildSkin(source);
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromSkinData(&source);
  TMemIniFile lines("");
  source.WriteSkinDescription(&lines);
  TStringList text;
  lines.GetStrings(&text);
  std::printf("compressed skin: %lld bytes, %d description lines\n",
              static_cast<long long>(stored.CompressedStream()->Size()), text.Count());

  std::vector<double> loads;
  TvlSkinData skin(nullptr);
  for (int run = 0; run < 15; ++run) {
    const auto start = Clock::now();
    skin.LoadCompressedStoredSkin(&stored);
    loads.push_back(Milliseconds(Clock::now() - start));
  }
  std::sort(loads.begin(), loads.end());
  std::printf("load: median %.2f ms, best %.2f ms (target < 20 ms)\n", loads[loads.size() / 2], loads.front());

  const auto start = Clock::now();
  long found = 0;
  for (int i = 0; i < 10000; ++i) found += skin.GetControlIndex("element" + std::to_string(i % 100)) >= 0;
  std::printf("10000 lookups: %.2f ms (%ld found)\n", Milliseconds(Clock::now() - start), found);
  return 0;
}
