#include "lib/data/vlSkinData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlzlibcompress.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/core/Exceptions.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/Window.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Paint(TBitmap* bitmap, TPixelFormat format, int w, int h, int seed) {
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(w, h);
  const int bytes = format == TPixelFormat::pf24bit ? 3 : 4;
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<std::uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < w * bytes; ++x) row[x] = static_cast<std::uint8_t>(seed * 31 + y * 7 + x);
  }
}

bool SamePixels(TBitmap* a, TBitmap* b) {
  if (a->Width() != b->Width() || a->Height() != b->Height() || a->PixelFormat() != b->PixelFormat()) return false;
  const int bytes = a->PixelFormat() == TPixelFormat::pf24bit ? 3 : 4;
  for (int y = 0; y < a->Height(); ++y)
    if (std::memcmp(a->ScanLine(y), b->ScanLine(y), static_cast<std::size_t>(a->Width()) * bytes) != 0) return false;
  return true;
}

// A small skin: a frame picture and mask, two further pictures, three control elements and two
// frame objects.
void FillFixture(TvlSkinData& skin) {
  Paint(skin.FPicture.get(), TPixelFormat::pf24bit, 20, 10, 1);
  Paint(skin.FMask.get(), TPixelFormat::pf24bit, 20, 10, 2);
  skin.FPictureName = "frame.bmp";
  skin.FMaskName = "mask.bmp";
  for (int i = 0; i < 2; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    Paint(bitmap.get(), i == 0 ? TPixelFormat::pf24bit : TPixelFormat::pf32bit, 8 + i, 6, 3 + i);
    skin.FActivePictures.push_back(std::move(bitmap));
  }
  skin.FActivePicturesNames->Add("buttons.bmp");
  skin.FActivePicturesNames->Add("glow.bmp");
  skin.SkinName = "Fixture";
  skin.SkinAuthor = "Tests";
  skin.ClRect = TRect{3, 3, 17, 8};
  skin.LTPoint = TPoint{3, 3};
  skin.RTPoint = TPoint{17, 3};
  skin.LBPoint = TPoint{3, 8};
  skin.RBPoint = TPoint{17, 8};
  skin.BorderW = 3;
  // Already in the normal form reading gives (mask area and hit-test points from the geometry).
  skin.MaskRectArea = skin.ClRect;
  skin.HitTestLTPoint = skin.LTPoint;
  skin.HitTestRTPoint = skin.RTPoint;
  skin.HitTestLBPoint = skin.LBPoint;
  skin.HitTestRBPoint = skin.RBPoint;

  auto button = std::make_unique<TvlDataSkinButtonControl>("button");
  button->PictureIndex = 0;
  button->SkinRect = TRect{0, 0, 8, 3};
  button->ActiveSkinRect = TRect{0, 3, 8, 6};
  button->FontName = "Tahoma";
  skin.CtrlList.push_back(std::move(button));
  auto panel = std::make_unique<TvlDataSkinPanelControl>("panel");
  panel->Alignment = TAlignment::taLeftJustify;
  skin.CtrlList.push_back(std::move(panel));
  skin.CtrlList.push_back(std::make_unique<TvlDataSkinUpDownControl>("hupdown"));

  auto close = std::make_unique<TvlDataSkinStdButton>("closebutton");
  close->Command = TvlStdCommand::cmClose;
  close->SkinRect = TRect{1, 1, 5, 5};
  skin.ObjectList.push_back(std::move(close));
  skin.ObjectList.push_back(std::make_unique<TvlDataSkinCaption>("caption"));
  skin.FSkinColors->SetColorsToDefault();
  skin.Empty = false;
}

void ExpectFixture(TvlSkinData& skin) {
  EXPECT_FALSE(skin.Empty);
  EXPECT_EQ(skin.SkinName, "Fixture");
  EXPECT_EQ(skin.BorderW, 3);
  ASSERT_EQ(skin.CtrlList.size(), 3u);
  const int index = skin.GetControlIndex("button");
  ASSERT_EQ(index, 0);
  auto* button = dynamic_cast<TvlDataSkinButtonControl*>(skin.CtrlList[index].get());
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->SkinRect, (TRect{0, 0, 8, 3}));
  EXPECT_EQ(button->ActiveSkinRect, (TRect{0, 3, 8, 6}));
  EXPECT_EQ(button->FontName, "Tahoma");
  EXPECT_EQ(skin.GetControlIndex("Button"), -1);
  EXPECT_EQ(skin.GetControlIndex("panel"), 1);
  EXPECT_EQ(skin.GetControlIndex("hupdown"), 2);
  EXPECT_EQ(skin.GetIndex("closebutton"), 0);
  EXPECT_EQ(skin.GetIndex("caption"), 1);
  ASSERT_EQ(skin.FActivePictures.size(), 2u);
  ASSERT_EQ(skin.FActivePicturesNames->Count(), 2);
  EXPECT_EQ(skin.FActivePicturesNames->Strings(1), "glow.bmp");
  TvlSkinData reference(nullptr);
  FillFixture(reference);
  EXPECT_TRUE(SamePixels(skin.FPicture.get(), reference.FPicture.get()));
  EXPECT_TRUE(SamePixels(skin.FMask.get(), reference.FMask.get()));
  EXPECT_TRUE(skin.FInActivePicture->Empty());
  EXPECT_TRUE(SamePixels(skin.FActivePictures[0].get(), reference.FActivePictures[0].get()));
  EXPECT_TRUE(SamePixels(skin.FActivePictures[1].get(), reference.FActivePictures[1].get()));
}

// Records every skin message the container sends; installs fake forms in the directory.
class MessageRecorder {
 public:
  struct Sent {
    HWND to;
    UINT message;
    friend bool operator==(const Sent&, const Sent&) = default;
  };

  MessageRecorder() : saved_(vlFormDirectory()) {
    vlFormDirectory().ScreenForms = [this] { return forms; };
    vlFormDirectory().FormHandle = [this](TComponent* c) -> HWND { return c == ownerForm ? ownerHandle : nullptr; };
    vlFormDirectory().Send = [this](HWND to, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      EXPECT_EQ(lParam, 1000);
      EXPECT_NE(wParam, 0u);
      sent.push_back({to, message});
      return 0;
    };
  }
  ~MessageRecorder() { vlFormDirectory() = saved_; }

  std::vector<TvlScreenForm> forms;
  TComponent* ownerForm = nullptr;
  HWND ownerHandle = nullptr;
  std::vector<Sent> sent;

 private:
  TvlFormDirectory saved_;
};

HWND Window(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

fs::path TempDir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() /
                 ("vlskin-" + name + "-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  return dir;
}

// The stored skin of the fixture.
std::unique_ptr<TvlCompressedStoredSkin> PackedFixture() {
  TvlSkinData skin(nullptr);
  FillFixture(skin);
  auto stored = std::make_unique<TvlCompressedStoredSkin>(nullptr);
  stored->LoadFromSkinData(&skin);
  return stored;
}

void AppendInt32(Bytes& b, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

Bytes SmallBmp() {
  bmp::Image image;
  image.width = 2;
  image.height = 2;
  image.bitsPerPixel = 24;
  image.bgra.assign(16, 0x40);
  return bmp::Encode(image);
}

const char* const kDescription =
    "[VERSION]\r\nver=1\r\nskinname=Hostile\r\n[PICTURES]\r\npicture=\r\nactivepicturescount=1\r\n0=a.bmp\r\n"
    "[FORMINFO]\r\nborderwidth=1\r\n[SKINOBJECTS]\r\ncount=0\r\n[SKINCONTROLS]\r\ncount=1\r\n0=edit:edit\r\n"
    "[edit]\r\nskinrect=0,0,2,2\r\n";

std::string WithControlCount(const std::string& count) {
  std::string text = kDescription;
  const std::string from = "count=1\r\n0=edit:edit";
  text.replace(text.find(from), from.size(), "count=" + count + "\r\n0=edit:edit");
  return text;
}

// A payload: version, three flags (all "no picture"), further pictures, description.
Bytes Payload(std::int32_t version, std::int32_t count, const std::vector<Bytes>& pictures, const std::string& text) {
  Bytes b;
  AppendInt32(b, version);
  b.insert(b.end(), {1, 1, 1});
  if (version == 2) b.insert(b.end(), {1, 1});
  AppendInt32(b, count);
  for (const Bytes& p : pictures) b.insert(b.end(), p.begin(), p.end());
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

Bytes Compress(const Bytes& payload) {
  TMemoryStream source, dest;
  if (!payload.empty()) source.WriteBuffer(payload.data(), static_cast<std::int64_t>(payload.size()));
  CompressMemoryStream(&source, &dest);
  return BytesOf(dest);
}

Bytes Container(std::int32_t version, std::int32_t length, const Bytes& zlib) {
  Bytes b;
  AppendInt32(b, version);
  AppendInt32(b, length);
  b.insert(b.end(), zlib.begin(), zlib.end());
  return b;
}

Bytes Container(const Bytes& zlib) { return Container(3, static_cast<std::int32_t>(zlib.size()), zlib); }

void LoadContainer(TvlSkinData& skin, const Bytes& container) {
  TMemoryStream in;
  if (!container.empty()) in.WriteBuffer(container.data(), static_cast<std::int64_t>(container.size()));
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromCompressStream(&in);
  skin.LoadCompressedStoredSkin(&stored);
}

}  // namespace

TEST(SkinData, PackedFixtureHasTheContainerHeader) {
  auto stored = PackedFixture();
  TMemoryStream out;
  stored->SaveToCompressStream(&out);
  const Bytes b = BytesOf(out);
  ASSERT_GT(b.size(), 10u);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), (Bytes{3, 0, 0, 0}));
  const std::uint32_t length = b[4] | b[5] << 8 | b[6] << 16 | static_cast<std::uint32_t>(b[7]) << 24;
  EXPECT_EQ(length, b.size() - 8);
  EXPECT_EQ(b[8], 0x78);
  EXPECT_EQ(b[9], 0xDA);
}

TEST(SkinData, CompressedFileRoundTripIsByteIdentical) {
  const fs::path dir = TempDir("compressed");
  TvlSkinData original(nullptr);
  FillFixture(original);
  original.SaveToCompressedFile(dir / "a.skn");

  TvlSkinData loaded(nullptr);
  loaded.LoadFromCompressedFile(dir / "a.skn");
  ExpectFixture(loaded);
  loaded.SaveToCompressedFile(dir / "b.skn");
  EXPECT_EQ(FileBytes(dir / "a.skn"), FileBytes(dir / "b.skn"));
  fs::remove_all(dir);
}

TEST(SkinData, FolderRoundTripAndRepacking) {
  const fs::path dir = TempDir("folder");
  TvlSkinData original(nullptr);
  FillFixture(original);
  original.StoreToDisk(dir / "skin.ini");
  for (const char* name : {"skin.ini", "frame.bmp", "mask.bmp", "buttons.bmp", "glow.bmp"})
    EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_FALSE(fs::exists(dir / ".bmp"));

  TvlSkinData loaded(nullptr);
  loaded.LoadFromFile(dir / "skin.ini");
  ExpectFixture(loaded);

  // Packing the folder gives a stored skin that loads the same skin.
  TvlCompressedStoredSkin fromFolder(nullptr);
  fromFolder.LoadFromIniFile(dir / "skin.ini");
  ASSERT_FALSE(fromFolder.Empty());
  TvlSkinData repacked(nullptr);
  repacked.LoadCompressedStoredSkin(&fromFolder);
  ExpectFixture(repacked);
  fs::remove_all(dir);
}

TEST(SkinData, StoredSkinsAndSkinListsSendTheChangeMessages) {
  MessageRecorder recorder;
  recorder.forms = {{Window(1), "TForm1"}};
  auto list = std::make_unique<TvlCompressedSkinList>(nullptr);
  TvlSkinListItem* item = list->Skins()->Add();
  EXPECT_EQ(item->Name, "vlSkin0");
  EXPECT_EQ(list->Skins()->Add()->Name, "vlSkin1");
  list->Skins()->Delete(1);
  {
    TvlSkinData source(nullptr);
    FillFixture(source);
    item->Skin()->LoadFromSkinData(&source);
  }

  TvlSkinData skin(nullptr);
  skin.SetSkinIndex(0);  // the index it already has: nothing happens
  EXPECT_TRUE(recorder.sent.empty());
  skin.SetSkinIndex(1);  // no list yet: only stored
  skin.SetSkinList(list.get());
  EXPECT_TRUE(skin.Empty);  // index 1 lies outside the one-item list
  EXPECT_TRUE(recorder.sent.empty());
  skin.SetSkinIndex(0);
  ExpectFixture(skin);
  using S = MessageRecorder::Sent;
  EXPECT_EQ(recorder.sent, (std::vector<S>{{Window(1), 1225}, {Window(1), 1226}, {Window(1), 1227}}));
  skin.SetSkinIndex(1);  // ignored
  EXPECT_EQ(skin.SkinIndex(), 0);

  recorder.sent.clear();
  TvlCompressedStoredSkin stored(nullptr);
  TMemoryStream data;
  item->WriteSkin(&data);
  stored.LoadFromCompressStream(&data);
  skin.SetCompressedStoredSkin(&stored);
  EXPECT_EQ(recorder.sent.size(), 3u);
  ExpectFixture(skin);

  recorder.sent.clear();
  skin.ClearSkin();
  EXPECT_TRUE(skin.Empty);
  EXPECT_EQ(skin.GetControlIndex("button"), -1);
  EXPECT_EQ(recorder.sent, (std::vector<S>{{Window(1), 1225}, {Window(1), 1226}, {Window(1), 1227}}));
  skin.SetSkinList(nullptr);

  // A copied list carries the same skins.
  TvlCompressedSkinList copy(nullptr);
  copy.SetSkins(list->Skins());
  ASSERT_EQ(copy.Skins()->Count(), 1);
  EXPECT_EQ(copy.Skins()->GetItem(0)->Name, "vlSkin0");
  TvlSkinData fromCopy(nullptr);
  fromCopy.SetSkinList(&copy);
  ExpectFixture(fromCopy);
  EXPECT_THROW((void)copy.Skins()->GetItem(1), EListError);
}

TEST(SkinData, BroadcastOrder) {
  struct Case {
    const char* name;
    bool layered;
    int layerPicture;
    std::vector<std::uintptr_t> expected;
  };
  // Screen forms: 1, owner 2, layered border window 3, 4.
  const Case cases[] = {
      {"owner first", false, -1, {2, 1, 4}},
      {"owner first even with a layer picture", false, 0, {2, 1, 4}},
      {"layered borders without a layer picture", true, -1, {1, 2, 4}},
      {"layered borders with a layer picture", true, 0, {4, 2, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MessageRecorder recorder;
    TComponent form(nullptr);
    auto* skin = new TvlSkinData(&form);  // the form owns and frees it
    recorder.ownerForm = &form;
    recorder.ownerHandle = Window(2);
    recorder.forms = {{Window(1), "TForm1"}, {Window(2), "TForm2"}, {Window(3), "TvlFormLayerWindow"}, {Window(4), "TForm5"}};
    skin->SetShowLayeredBorders(c.layered);
    recorder.sent.clear();
    skin->LayerFrame->PictureIndex = c.layerPicture;
    skin->SendSkinDataMessage(1226);
    std::vector<MessageRecorder::Sent> expected;
    for (std::uintptr_t w : c.expected) expected.push_back({Window(w), 1226});
    EXPECT_EQ(recorder.sent, expected);
  }
}

TEST(SkinData, ChangeMessagesReachRealWindowsInOrder) {
  struct Received {
    int window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
  };
  std::vector<Received> received;
  auto recorder = [&](int window) {
    return [&received, window](TMessage& m) {
      if (m.Msg >= 1225 && m.Msg <= 1227) received.push_back({window, m.Msg, m.WParam, m.LParam});
    };
  };
  HWND first = AllocateHWnd(recorder(1));
  HWND layer = AllocateHWnd(recorder(2));
  HWND second = AllocateHWnd(recorder(3));
  const TvlFormDirectory saved = vlFormDirectory();
  vlFormDirectory().ScreenForms = [&] {
    return std::vector<TvlScreenForm>{{first, "TForm1"}, {layer, "TvlFormLayerWindow"}, {second, "TForm2"}};
  };
  {
    TvlSkinData skin(nullptr);
    auto stored = PackedFixture();
    skin.LoadCompressedStoredSkin(stored.get());
    const auto w = reinterpret_cast<WPARAM>(&skin);
    EXPECT_EQ(received, (std::vector<Received>{{1, 1225, w, 1000}, {3, 1225, w, 1000}, {1, 1226, w, 1000},
                                               {3, 1226, w, 1000}, {1, 1227, w, 1000}, {3, 1227, w, 1000}}));
  }
  vlFormDirectory() = saved;
  DeallocateHWnd(first);
  DeallocateHWnd(layer);
  DeallocateHWnd(second);
}

TEST(SkinData, PropertyMessages) {
  MessageRecorder recorder;
  recorder.forms = {{Window(7), "TForm1"}};
  TvlSkinData skin(nullptr);
  skin.SetSkinnableForm(true);  // unchanged
  skin.SetShowLayeredBorders(true);
  EXPECT_TRUE(recorder.sent.empty());
  skin.SetSkinnableForm(false);
  skin.SetShowLayeredBorders(false);
  auto* table = new TvlResourceStrData(nullptr);
  skin.SetResourceStrData(table);
  using S = MessageRecorder::Sent;
  EXPECT_EQ(recorder.sent, (std::vector<S>{{Window(7), 1294}, {Window(7), 1427}, {Window(7), 1274}}));
  TObject::Free(table);  // the container hears of it and drops its reference
  EXPECT_EQ(skin.ResourceStrData(), nullptr);
}

TEST(SkinData, LookupsOnAnEmptyContainer) {
  TvlSkinData skin(nullptr);
  EXPECT_TRUE(skin.Empty);
  EXPECT_EQ(skin.GetControlIndex("button"), -1);
  EXPECT_EQ(skin.GetIndex(""), -1);
  skin.CtrlList.push_back(std::make_unique<TvlDataSkinPanelControl>("button"));
  skin.CtrlList.push_back(std::make_unique<TvlDataSkinButtonControl>("button"));
  EXPECT_EQ(skin.GetControlIndex("button"), 0);  // the first of two with the name
  EXPECT_EQ(skin.GetControlIndex("butto"), -1);
  EXPECT_EQ(skin.FSkinColors->FcBtnFace, 0);  // no clear yet
  skin.ClearAll();
  EXPECT_EQ(skin.FSkinColors->FcBtnFace, clBtnFace);
  EXPECT_THROW(skin.DeleteBitMap(0), EListError);
}

TEST(SkinData, DescriptionReadsBackNormalised) {
  const fs::path dir = TempDir("forminfo");
  {
    std::ofstream ini(dir / "skin.ini");
    ini << "[VERSION]\nver=1\n[PICTURES]\nmask=m.bmp\n[FORMINFO]\nlefttoppoint=5,5\nrightbottompoint=50,60\n"
           "clientrect=10,20,100,80\nmaskrectarea=15,5,90,70\n[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\ncount=0\n";
  }
  {
    TvlSkinData writer(nullptr);
    Paint(writer.FMask.get(), TPixelFormat::pf24bit, 4, 4, 9);
    writer.FMaskName = "m.bmp";
    writer.StoreToDisk(dir / "other.ini");
  }
  TvlSkinData skin(nullptr);
  skin.LoadFromFile(dir / "skin.ini");
  EXPECT_EQ(skin.MaskRectArea, (TRect{10, 5, 100, 80}));
  EXPECT_EQ(skin.LTPoint, (TPoint{10, 20}));
  EXPECT_EQ(skin.HitTestLTPoint, (TPoint{5, 5}));  // from the corner point as read
  skin.SaveToFile(dir / "skin.ini");
  TvlSkinData again(nullptr);
  again.LoadFromFile(dir / "skin.ini");
  EXPECT_EQ(again.MaskRectArea, skin.MaskRectArea);
  EXPECT_EQ(again.LTPoint, skin.LTPoint);
  EXPECT_EQ(again.RBPoint, skin.RBPoint);
  fs::remove_all(dir);
}

TEST(SkinData, IniFilesThatAreNotSkinsChangeNothingAndForeignSectionsSurvive) {
  MessageRecorder recorder;
  recorder.forms = {{Window(1), "TForm1"}};
  const fs::path dir = TempDir("notskin");
  {
    std::ofstream ini(dir / "other.ini");
    ini << "[Options]\nThread_Count=2\n[VERSION]\nver=1\n";
  }
  TvlSkinData skin(nullptr);
  FillFixture(skin);
  skin.LoadFromFile(dir / "other.ini");
  ExpectFixture(skin);
  EXPECT_TRUE(recorder.sent.empty());
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromIniFile(dir / "other.ini");
  EXPECT_TRUE(stored.Empty());

  skin.SaveToFile(dir / "other.ini");
  TMemIniFile written(dir / "other.ini");
  EXPECT_EQ(written.ReadString("Options", "Thread_Count", ""), "2");
  EXPECT_EQ(written.ReadString("SKINCONTROLS", "0", ""), "button:button");
  EXPECT_EQ(written.ReadString("SKINCONTROLS", "2", ""), "hupdown:updown");
  EXPECT_EQ(written.ReadString("SKINOBJECTS", "0", ""), "closebutton:stdbutton");
  EXPECT_EQ(written.ReadString("VERSION", "ver", ""), "1");
  fs::remove_all(dir);
}

TEST(SkinData, PayloadVariantsLoad) {
  const Bytes picture = SmallBmp();
  struct Case {
    const char* name;
    Bytes payload;
    std::size_t pictures;
  };
  const Case cases[] = {
      {"version 3", Payload(3, 1, {picture}, kDescription), 1},
      {"version 2 with two extra pictures", Payload(2, 1, {picture}, kDescription), 1},
      {"version 0", Payload(0, 1, {picture}, kDescription), 1},
      {"negative picture count", Payload(3, -5, {}, kDescription), 0},
      {"lying list count", Payload(3, 0, {}, WithControlCount("2147483647")), 0},
      {"count beyond 32 bits", Payload(3, 0, {}, WithControlCount("2147483648")), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TvlSkinData skin(nullptr);
    LoadContainer(skin, Container(Compress(c.payload)));
    EXPECT_FALSE(skin.Empty);
    EXPECT_EQ(skin.SkinName, "Hostile");
    EXPECT_EQ(skin.FActivePictures.size(), c.pictures);
  }
}

TEST(SkinData, HostileSkinsFailCleanlyAndKeepTheOldSkin) {
  const Bytes picture = SmallBmp();
  const Bytes good = Compress(Payload(3, 1, {picture}, kDescription));
  Bytes lyingBmp = picture;
  lyingBmp[2] = 0xFF;  // bfSize far beyond the data
  lyingBmp[5] = 0x7F;
  Bytes corrupt = good;
  corrupt[good.size() / 2] ^= 0xFF;
  corrupt[good.size() / 2 + 1] ^= 0xA5;
  std::string badRect = kDescription;
  badRect.replace(badRect.find("skinrect=0,0,2,2"), 16, "skinrect=1,2");
  struct Case {
    const char* name;
    Bytes container;
  };
  const Case cases[] = {
      {"truncated header", Bytes{3, 0, 0}},
      {"length beyond the data", Container(3, static_cast<std::int32_t>(good.size() + 100), good)},
      {"negative length", Container(3, -1, good)},
      {"truncated zlib stream", Container(Bytes(good.begin(), good.begin() + good.size() / 2))},
      {"corrupt zlib stream", Container(corrupt)},
      {"payload version 4", Container(Compress(Payload(4, 1, {picture}, kDescription)))},
      {"payload shorter than its version", Container(Compress(Bytes{3, 0}))},
      {"picture count 2^31-1", Container(Compress(Payload(3, 0x7FFFFFFF, {picture}, kDescription)))},
      {"fewer pictures than counted", Container(Compress(Payload(3, 3, {picture}, kDescription)))},
      {"bad BMP", Container(Compress(Payload(3, 1, {Bytes(40, 0x11)}, kDescription)))},
      {"BMP with a lying size", Container(Compress(Payload(3, 1, {lyingBmp}, kDescription)))},
      {"malformed rectangle", Container(Compress(Payload(3, 1, {picture}, badRect)))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MessageRecorder recorder;
    recorder.forms = {{Window(1), "TForm1"}};
    TvlSkinData skin(nullptr);
    auto stored = PackedFixture();
    skin.LoadCompressedStoredSkin(stored.get());
    recorder.sent.clear();
    EXPECT_ANY_THROW(LoadContainer(skin, c.container));
    EXPECT_TRUE(recorder.sent.empty());
    EXPECT_FALSE(skin.ChangeSkinDataProcess);
    ExpectFixture(skin);
  }
}

TEST(SkinData, ContainerVersionAboveThreeIsNoSkin) {
  MessageRecorder recorder;
  recorder.forms = {{Window(1), "TForm1"}};
  const fs::path dir = TempDir("v4");
  const Bytes container = Container(4, 2, Bytes{0x78, 0xDA});
  { std::ofstream(dir / "v4.skn", std::ios::binary).write(reinterpret_cast<const char*>(container.data()), container.size()); }
  TvlSkinData skin(nullptr);
  skin.LoadFromCompressedFile(dir / "v4.skn");
  EXPECT_TRUE(skin.Empty);
  EXPECT_TRUE(recorder.sent.empty());

  TvlCompressedStoredSkin empty(nullptr);
  TMemoryStream header;
  empty.SaveToCompressStream(&header);
  EXPECT_EQ(BytesOf(header), (Bytes{3, 0, 0, 0, 0, 0, 0, 0}));
  empty.SaveToCompressFile(dir / "none.skn");
  EXPECT_FALSE(fs::exists(dir / "none.skn"));
  fs::remove_all(dir);
}

TEST(SkinData, FolderSkinsWithBadPictureNamesAreRefused) {
  const fs::path dir = TempDir("names");
  const Bytes picture = SmallBmp();
  { std::ofstream(dir / "a.bmp", std::ios::binary).write(reinterpret_cast<const char*>(picture.data()), picture.size()); }
  struct Case {
    const char* name;
    const char* pictures;
  };
  const Case cases[] = {
      {"parent folder", "activepicturescount=1\n0=../a.bmp\n"},
      {"dot dot", "activepicturescount=1\n0=..\n"},
      {"absolute path", "activepicturescount=1\n0=/etc/passwd\n"},
      {"missing file", "activepicturescount=1\n0=b.bmp\n"},
  };
  TvlSkinData skin(nullptr);
  FillFixture(skin);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      std::ofstream ini(dir / "skin.ini");
      ini << "[VERSION]\nver=1\n[PICTURES]\npicture=\n" << c.pictures
          << "[FORMINFO]\nborderwidth=9\n[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\ncount=0\n";
    }
    EXPECT_ANY_THROW(skin.LoadFromFile(dir / "skin.ini"));
    ExpectFixture(skin);
    TvlCompressedStoredSkin stored(nullptr);
    EXPECT_ANY_THROW(stored.LoadFromIniFile(dir / "skin.ini"));
  }
  // A description naming fewer pictures than the skin holds still stores the named ones.
  skin.FActivePicturesNames->Delete(1);
  skin.StoreToDisk(dir / "out.ini");
  EXPECT_TRUE(fs::exists(dir / "buttons.bmp"));
  fs::remove_all(dir);
}

namespace {

// With no recorder installed, the container reaches the platform screen's forms: its owner form
// first (without layered borders), then the other forms with a window, in the screen's order.
TEST(SkinChangeBroadcast, ReachesTheScreensFormsOwnerFirst) {
  (void)HeadlessDisplay();
  struct Received {
    std::string form;
    UINT message;
    bool operator==(const Received&) const = default;
  };
  std::vector<Received> received;
  auto record = [&received](TForm* form, std::string name) {
    form->AddWindowProcHook([&received, name](TMessage& m, const TWndMethod& next) {
      if (m.Msg >= 1225 && m.Msg <= 1227) received.push_back({name, m.Msg});
      next(m);
    });
  };
  TForm* first = TForm::CreateNew(nullptr);
  TForm* owner = TForm::CreateNew(nullptr);
  TForm* windowless = TForm::CreateNew(nullptr);
  first->HandleNeeded();
  owner->HandleNeeded();
  record(first, "first");
  record(owner, "owner");
  record(windowless, "windowless");
  {
    auto* skin = new TvlSkinData(owner);
    skin->SetShowLayeredBorders(false);  // with layered borders the owner gets no message of its own
    auto stored = PackedFixture();
    skin->LoadCompressedStoredSkin(stored.get());
  }
  EXPECT_EQ(received, (std::vector<Received>{{"owner", 1225}, {"first", 1225}, {"owner", 1226}, {"first", 1226},
                                             {"owner", 1227}, {"first", 1227}}));
  EXPECT_FALSE(windowless->HandleAllocated()) << "a skin change makes no form create its window";
  delete windowless;
  delete owner;
  delete first;
}

}  // namespace
