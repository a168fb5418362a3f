// libFuzzer target for the compressed skin container, its payload and the skin description
// parser. The first input byte chooses what the rest is:
//   0  a container (version, length, zlib stream) as stored in a skin file
//   1  a payload, deflated here first so the fuzzer reaches the picture and description readers
//   2  a description text, read as a skin description with every section and list
// Every input must either load or fail with one of the runtime's exceptions.
//
// The tests build it with tests/FuzzReplay.cpp in place of the fuzzing engine and replay
// corpus/ (one small seed of each kind and a truncated container) under the sanitizers. To fuzz,
// build it with clang from the repository's folder and start from the corpus, e.g. for 60 s:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. tests/lib/data/fuzz/FuzzVlSkin.cpp
//     lib/*/*.cpp platform/*/*.cpp tests/support/*.cpp $(pkg-config --cflags --libs freetype2 fontconfig libpng libjpeg zlib x11 xext)
//     -lpthread -ldl -o /tmp/fuzz-vlskin          (one command, written on three lines)
//   mkdir -p /tmp/fuzz-corpus && /tmp/fuzz-vlskin -max_total_time=60 -rss_limit_mb=2048 /tmp/fuzz-corpus tests/lib/data/fuzz/corpus

#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlzlibcompress.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"

namespace {

void LoadContainer(const std::uint8_t* data, std::size_t size) {
  TMemoryStream in;
  if (size > 0) in.WriteBuffer(data, static_cast<std::int64_t>(size));
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromCompressStream(&in);
  TvlSkinData skin(nullptr);
  skin.LoadCompressedStoredSkin(&stored);
}

void LoadPayload(const std::uint8_t* data, std::size_t size) {
  TMemoryStream payload, packed;
  if (size > 0) payload.WriteBuffer(data, static_cast<std::int64_t>(size));
  CompressMemoryStream(&payload, &packed);
  TvlCompressedStoredSkin stored(nullptr);
  packed.SetPosition(0);
  stored.ReadCompressedData(&packed);
  TvlSkinData skin(nullptr);
  skin.LoadCompressedStoredSkin(&stored);
}

void ReadDescription(const std::uint8_t* data, std::size_t size) {
  TStringList lines;
  lines.SetText(std::string(reinterpret_cast<const char*>(data), size));
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  TvlSkinContent skin;
  skin.ReadVersionAndPictureNames(&ini);
  ReadIniStrings(&ini, "PICTURES", "activepictures", skin.FActivePicturesNames.get());
  skin.ReadSections(&ini);
  TMemIniFile out("");
  skin.WriteSkinDescription(&out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  try {
    switch (data[0] % 3) {
      case 0: LoadContainer(data + 1, size - 1); break;
      case 1: LoadPayload(data + 1, size - 1); break;
      default: ReadDescription(data + 1, size - 1); break;
    }
  } catch (const Exception&) {
    // A clear refusal is the expected answer to a broken skin.
  }
  return 0;
}
