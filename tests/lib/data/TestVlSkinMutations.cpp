// Mutated compressed skins and descriptions, generated from a valid skin with a fixed seed: each
// either loads or fails with one of the runtime's exceptions; nothing else may escape, and the
// sanitizers watch every read.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlzlibcompress.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/core/Exceptions.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

// A valid payload: two pictures and a description with several kinds.
Bytes ValidPayload() {
  TvlSkinData skin(nullptr);
  skin.FPicture->SetPixelFormat(TPixelFormat::pf24bit);
  skin.FPicture->SetSize(6, 5);
  skin.FPictureName = "f.bmp";
  auto picture = std::make_unique<TBitmap>();
  picture->SetPixelFormat(TPixelFormat::pf32bit);
  picture->SetSize(3, 4);
  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePicturesNames->Add("p.bmp");
  skin.ClRect = TRect{1, 1, 5, 4};
  skin.CtrlList.push_back(std::make_unique<TvlDataSkinButtonControl>("button"));
  skin.CtrlList.push_back(std::make_unique<TvlDataSkinListBox>("listbox"));
  skin.CtrlList.push_back(std::make_unique<TvlDataSkinUpDownControl>("updown"));
  skin.ObjectList.push_back(std::make_unique<TvlDataSkinStdButton>("close"));
  skin.ObjectList.push_back(std::make_unique<TvlDataSkinMenuItem>("item"));
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromSkinData(&skin);
  TMemoryStream payload;
  stored.DeCompressToStream(&payload);
  return BytesOf(payload);
}

Bytes Compress(const Bytes& payload) {
  TMemoryStream source, dest;
  if (!payload.empty()) source.WriteBuffer(payload.data(), static_cast<std::int64_t>(payload.size()));
  CompressMemoryStream(&source, &dest);
  return BytesOf(dest);
}

Bytes Container(const Bytes& zlib) {
  Bytes b = {3, 0, 0, 0};
  const auto n = static_cast<std::uint32_t>(zlib.size());
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  b.insert(b.end(), zlib.begin(), zlib.end());
  return b;
}

void Mutate(Bytes& b, std::mt19937& rng) {
  if (b.empty()) return;
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  static constexpr std::uint8_t kInteresting[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, '-', ',', ':', '=', '[', '\n'};
  switch (pick(6)) {
    case 0: b[pick(b.size())] ^= static_cast<std::uint8_t>(1u << pick(8)); break;
    case 1: b[pick(b.size())] = kInteresting[pick(std::size(kInteresting))]; break;
    case 2: b.resize(pick(b.size())); break;
    case 3: b.insert(b.begin() + static_cast<std::ptrdiff_t>(pick(b.size())), kInteresting[pick(std::size(kInteresting))]); break;
    case 4: {  // a 32-bit field anywhere set to a hostile size
      static constexpr std::uint32_t kSizes[] = {0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000000, 0};
      if (b.size() < 4) break;
      const std::size_t at = pick(b.size() - 3);
      const std::uint32_t v = kSizes[pick(std::size(kSizes))];
      for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
      break;
    }
    default: {  // a digit run somewhere in the text made huge
      const std::size_t at = pick(b.size());
      const std::string big = "99999999999";
      b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), big.begin(), big.end());
      break;
    }
  }
}

// Loads the container; answers whether it loaded. Only the runtime's exceptions may escape.
bool Load(const Bytes& container) {
  TvlSkinData skin(nullptr);
  TMemoryStream in;
  if (!container.empty()) in.WriteBuffer(container.data(), static_cast<std::int64_t>(container.size()));
  try {
    TvlCompressedStoredSkin stored(nullptr);
    stored.LoadFromCompressStream(&in);
    skin.LoadCompressedStoredSkin(&stored);
  } catch (const Exception&) {
    EXPECT_FALSE(skin.ChangeSkinDataProcess);
    return false;
  }
  for (const auto& control : skin.CtrlList) EXPECT_GE(skin.GetControlIndex(control->IDName), 0);
  return !skin.Empty;
}

}  // namespace

TEST(SkinMutations, MutatedPayloadsLoadOrFailCleanly) {
  const Bytes payload = ValidPayload();
  ASSERT_TRUE(Load(Container(Compress(payload))));
  std::mt19937 rng(20240611);
  int loaded = 0;
  for (int i = 0; i < 1500; ++i) {
    Bytes mutated = payload;
    const int rounds = 1 + static_cast<int>(rng() % 4);
    for (int r = 0; r < rounds; ++r) Mutate(mutated, rng);
    SCOPED_TRACE(i);
    if (Load(Container(Compress(mutated)))) ++loaded;
  }
  // Mutations of the description text mostly still load; a run where nothing loads would mean
  // the generator never reached the parser.
  EXPECT_GT(loaded, 0);
}

TEST(SkinMutations, MutatedContainersLoadOrFailCleanly) {
  const Bytes container = Container(Compress(ValidPayload()));
  std::mt19937 rng(77);
  for (int i = 0; i < 1500; ++i) {
    Bytes mutated = container;
    Mutate(mutated, rng);
    SCOPED_TRACE(i);
    (void)Load(mutated);
  }
}
