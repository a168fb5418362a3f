// Icon handles: icons from icon files and PNG data, copies at other sizes (best entry or
// scaled), drawing with DrawIconEx, the standard icons, ownership between TIcon and its handle,
// and image-list handles as the list and tree views' messages take them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "tests/platform/SurfaceFixture.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "tests/support/ImageCompare.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/ListView.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/controls/TreeView.h"

namespace {

std::vector<std::uint8_t> Solid(int w, int h, std::uint32_t bgra) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
  for (std::size_t i = 0; i < px.size(); i += 4) std::memcpy(px.data() + i, &bgra, 4);
  return px;
}

std::vector<std::uint8_t> StreamBytes(TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return {p, p + s.Size()};
}

// An icon file with one solid 32-bit entry per (side, colour), in that order.
std::vector<std::uint8_t> IconFile(const std::vector<std::pair<int, std::uint32_t>>& entries) {
  std::vector<std::vector<std::uint8_t>> singles;
  for (auto [side, colour] : entries) {
    TIcon icon;
    icon.SetPixels(side, side, Solid(side, side, colour));
    TMemoryStream s;
    icon.SaveToStream(&s);
    singles.push_back(StreamBytes(s));
  }
  std::vector<std::uint8_t> out = {0, 0, 1, 0, static_cast<std::uint8_t>(entries.size()), 0};
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const auto& one : singles) {
    std::vector<std::uint8_t> dir(one.begin() + 6, one.begin() + 22);
    std::memcpy(dir.data() + 12, &offset, 4);
    out.insert(out.end(), dir.begin(), dir.end());
    offset += static_cast<std::uint32_t>(one.size() - 22);
  }
  for (const auto& one : singles) out.insert(out.end(), one.begin() + 22, one.end());
  return out;
}

std::uint32_t PixelOf(HICON h, int x, int y, int* w = nullptr, int* hgt = nullptr) {
  int width = 0, height = 0;
  std::vector<std::uint8_t> px;
  if (!GetIconPixels(h, width, height, px)) return 0xDEADBEEF;
  if (w) *w = width;
  if (hgt) *hgt = height;
  std::uint32_t v;
  std::memcpy(&v, px.data() + (static_cast<std::size_t>(y) * width + x) * 4, 4);
  return v;
}

constexpr std::uint32_t kRed16 = 0xFFFF0000, kGreen32 = 0xFF00FF00, kBlue48 = 0xFF0000FF;

TEST(IconHandles, CopiesTakeTheBestEntryOfTheOriginalDataOrScale) {
  const std::vector<std::uint8_t> file = IconFile({{16, kRed16}, {32, kGreen32}, {48, kBlue48}});
  HICON icon = CreateIconFromImageData(file.data(), file.size());
  ASSERT_NE(icon, nullptr);
  int w = 0, h = 0;
  EXPECT_EQ(PixelOf(icon, 0, 0, &w, &h), kBlue48) << "no size asked: the largest entry";
  EXPECT_EQ(w, 48);

  struct Case {
    int side;
    UINT flags;
    std::uint32_t colour;  // which entry the copy came from
  };
  const Case cases[] = {
      {16, LR_COPYFROMRESOURCE, kRed16},    // exact entry
      {32, LR_COPYFROMRESOURCE, kGreen32},  // exact entry
      {24, LR_COPYFROMRESOURCE, kGreen32},  // the smallest larger entry, scaled down
      {64, LR_COPYFROMRESOURCE, kBlue48},   // none large enough: the largest, scaled up
      {16, 0, kBlue48},                     // without the flag the image itself is scaled
      {0, LR_COPYFROMRESOURCE, kBlue48},    // 0 keeps the size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.side) + (c.flags ? " from resource" : " scaled"));
    HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, c.side, c.side, c.flags));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(PixelOf(copy, 0, 0, &w, &h), c.colour);
    EXPECT_EQ(w, c.side ? c.side : 48);
    EXPECT_EQ(h, w);
    // A copy of a copy still knows the original data.
    HICON again = static_cast<HICON>(CopyImage(copy, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
    EXPECT_EQ(PixelOf(again, 3, 3), kRed16);
    EXPECT_TRUE(DestroyIcon(again));
    EXPECT_TRUE(DestroyIcon(copy));
  }

  // LR_COPYDELETEORG frees the original; a freed handle is unknown to every call.
  HICON moved = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 16, 16, LR_COPYDELETEORG));
  ASSERT_NE(moved, nullptr);
  std::vector<std::uint8_t> px;
  EXPECT_FALSE(GetIconPixels(icon, w, h, px));
  EXPECT_EQ(CopyImage(icon, IMAGE_ICON, 16, 16, 0), nullptr);
  EXPECT_FALSE(DestroyIcon(icon));
  TestSurface s(4, 4);
  EXPECT_FALSE(DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_TRUE(DestroyIcon(moved));
  EXPECT_EQ(CopyImage(moved, IMAGE_BITMAP, 16, 16, 0), nullptr);
}

TEST(IconHandles, PngDataFilesResourcesAndBadDataLoad) {
  // A bare PNG makes an icon, through the handle calls and through TIcon.
  pngcodec::Image png;
  png.width = 20;
  png.height = 10;
  png.bgra = Solid(20, 10, 0x80102030);
  const std::vector<std::uint8_t> pngBytes = pngcodec::Encode(png);
  HICON fromPng = CreateIconFromImageData(pngBytes.data(), pngBytes.size());
  int w = 0, h = 0;
  EXPECT_EQ(PixelOf(fromPng, 19, 9, &w, &h), 0x80102030u);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  DestroyIcon(fromPng);
  TIcon icon;
  TMemoryStream stream;
  stream.WriteBuffer(pngBytes.data(), static_cast<std::int64_t>(pngBytes.size()));
  stream.SetPosition(0);
  icon.LoadFromStream(&stream);
  EXPECT_EQ(icon.Width(), 20);
  EXPECT_EQ(stream.Position(), stream.Size());

  // Files, with the size asked for; a missing or corrupt file gives nothing.
  const std::string dir = testing::TempDir() + "icons-" + std::to_string(::getpid());
  ForceDirectories(dir);
  const std::string good = dir + "/app.ico", bad = dir + "/bad.ico";
  const std::vector<std::uint8_t> file = IconFile({{16, kRed16}, {32, kGreen32}});
  {
    TFileStream f(good, fmCreate);
    f.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
    TFileStream g(bad, fmCreate);
    g.WriteBuffer(file.data(), 30);  // the directory promises more than there is
  }
  HICON small = static_cast<HICON>(LoadImage(nullptr, good.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
  EXPECT_EQ(PixelOf(small, 0, 0), kRed16);
  HICON deflt = static_cast<HICON>(LoadImage(nullptr, good.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  EXPECT_EQ(PixelOf(deflt, 0, 0), kGreen32);
  EXPECT_EQ(LoadImage(nullptr, bad.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImage(nullptr, (dir + "/none.ico").c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImage(nullptr, "NO_SUCH_ICON", IMAGE_ICON, 0, 0, 0), nullptr);
  EXPECT_EQ(CreateIconFromImageData(file.data(), 30), nullptr);
  DestroyIcon(small);
  DestroyIcon(deflt);
  std::remove(good.c_str());
  std::remove(bad.c_str());
  RemoveDir(dir);

  // A resource of the program holding an icon file.
  static const std::vector<std::uint8_t> kResource = IconFile({{16, kRed16}, {32, kGreen32}});
  static const TResourceRegistration reg("TESTICON", RT_GROUP_ICON, kResource.data(), kResource.size());
  HICON res = LoadIcon(HInstance(), "TESTICON");
  EXPECT_EQ(PixelOf(res, 0, 0, &w), kGreen32);
  EXPECT_EQ(w, 32);
  EXPECT_TRUE(DestroyIcon(res));  // shared: succeeds and stays
  EXPECT_EQ(PixelOf(res, 0, 0), kGreen32);
}

TEST(IconHandles, DrawIconExBlendsScalesMasksAndFillsFirst) {
  std::vector<std::uint8_t> px = Solid(4, 4, 0xFF0000FF);  // opaque blue ...
  for (int x = 0; x < 4; ++x) std::memset(px.data() + x * 4, 0, 4);  // ... under a clear top row
  HICON icon = CreateIconFromPixels(4, 4, px.data());
  ASSERT_NE(icon, nullptr);
  TestSurface s(10, 10);
  struct Case {
    const char* what;
    int cx;
    UINT flags;
    bool brush;
    std::uint32_t top, body;  // a pixel of the clear row and of the blue body
  };
  const Case cases[] = {
      {"normal: clear pixels keep the background", 0, DI_NORMAL, false, 0x00FFFF00, 0x0000FF},
      {"image only: colours copied opaque", 0, DI_IMAGE, false, 0x000000, 0x0000FF},
      {"mask: clear white, opaque black", 0, DI_MASK, false, 0xFFFFFF, 0x000000},
      {"brush fills the rectangle first", 0, DI_NORMAL, true, 0xFF0000, 0x0000FF},
      {"scaled to 8 x 8", 8, DI_NORMAL, false, 0x00FFFF00, 0x0000FF},
  };
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    s.Fill(0xFFFFFF00);
    ASSERT_TRUE(DrawIconEx(s.dc, 1, 1, icon, c.cx, c.cx, 0, c.brush ? red : nullptr, c.flags));
    const int side = c.cx ? c.cx : 4;
    EXPECT_EQ(s.At(1, 1) & 0xFFFFFF, c.top & 0xFFFFFF);
    EXPECT_EQ(s.At(side, side) & 0xFFFFFF, c.body & 0xFFFFFF);
    EXPECT_EQ(s.At(side + 1, side + 1) & 0xFFFFFF, 0xFFFF00u) << "nothing beyond the icon";
  }
  DeleteObject(red);
  DestroyIcon(icon);
}

TEST(IconHandles, StandardIconsAreSharedAndDrawnAtEverySize) {
  const int ids[] = {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
  TestSurface sheet(5 * 52, 52);
  sheet.Fill(0xFFFFFFFF);
  std::vector<std::uint32_t> centres;
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(ids[i]);
    HICON big = LoadIcon(nullptr, ids[i]);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(LoadIcon(nullptr, ids[i]), big) << "one shared handle";
    EXPECT_TRUE(DestroyIcon(big));
    int w = 0, h = 0;
    EXPECT_NE(PixelOf(big, 0, 0, &w, &h), 0xDEADBEEF) << "a shared icon outlives DestroyIcon";
    EXPECT_EQ(w, 32);
    // Corners are clear, the middle opaque; each kind has its own colour somewhere off centre.
    EXPECT_EQ(PixelOf(big, 0, 31) >> 24, 0u);
    EXPECT_EQ(PixelOf(big, 16, 20) >> 24, 255u);
    centres.push_back(PixelOf(big, 8, 16));
    // A small one drawn anew, not scaled: through LoadImage and through CopyImage.
    HICON small = static_cast<HICON>(LoadImage(nullptr, ids[i], IMAGE_ICON, 16, 16, 0));
    HICON copied = static_cast<HICON>(CopyImage(big, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
    int sw = 0;
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(GetIconPixels(small, sw, h, a));
    ASSERT_TRUE(GetIconPixels(copied, sw, h, b));
    EXPECT_EQ(sw, 16);
    EXPECT_EQ(a, b);
    DestroyIcon(small);
    DestroyIcon(copied);
    HICON big48 = static_cast<HICON>(LoadImage(nullptr, ids[i], IMAGE_ICON, 48, 48, 0));
    DrawIconEx(sheet.dc, i * 52 + 2, 2, big48, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(big48);
  }
  for (std::size_t i = 1; i < centres.size(); ++i) EXPECT_NE(centres[i], centres[i - 1]);
  EXPECT_EQ(LoadIcon(nullptr, 1234), nullptr);
  SaveSurfacePng(testing::TempDir() + "standard-icons.png", sheet.surface->Row(0), sheet.surface->Width(),
                 sheet.surface->Height(), static_cast<int>(sheet.surface->Stride()));
}

TEST(IconHandles, TIconOwnsItsHandleUntilReleased) {
  HICON taken = nullptr;
  {
    TIcon icon;
    EXPECT_EQ(icon.Handle(), nullptr) << "an empty icon has no handle";
    icon.SetPixels(2, 2, Solid(2, 2, 0xFF112233));
    HICON h = icon.Handle();
    EXPECT_EQ(icon.Handle(), h);
    EXPECT_EQ(PixelOf(h, 1, 1), 0xFF112233u);
    // A new image frees the old handle.
    icon.SetPixels(3, 3, Solid(3, 3, 0xFF445566));
    EXPECT_EQ(PixelOf(h, 0, 0), 0xDEADBEEF);
    // Taking another handle over: its image, freed with the icon.
    HICON other = CreateIconFromPixels(5, 5, Solid(5, 5, 0xFF778899).data());
    icon.SetHandle(other);
    EXPECT_EQ(icon.Width(), 5);
    EXPECT_EQ(icon.Pixels()[0], 0x99);
    EXPECT_EQ(icon.Handle(), other);
    taken = icon.ReleaseHandle();
    EXPECT_EQ(taken, other);
    EXPECT_FALSE(icon.HandleAllocated());
    EXPECT_EQ(icon.Width(), 5) << "the icon keeps its image";
  }
  EXPECT_EQ(PixelOf(taken, 0, 0), 0xFF778899u) << "a released handle outlives the icon";
  EXPECT_TRUE(DestroyIcon(taken));

  // An icon read from a file hands its data on: a copy at 16 takes the 16 entry.
  const std::vector<std::uint8_t> file = IconFile({{16, kRed16}, {32, kGreen32}});
  TIcon icon;
  TMemoryStream s;
  s.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  s.SetPosition(0);
  icon.LoadFromStream(&s);
  HICON small = static_cast<HICON>(CopyImage(icon.Handle(), IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
  EXPECT_EQ(PixelOf(small, 0, 0), kRed16);
  DestroyIcon(small);
}

class ImageListHandles : public FormWorld {};

TEST_F(ImageListHandles, NameTheListWhileItLivesAndReachTheViews) {
  auto* list = new TImageList(nullptr);
  HIMAGELIST h = list->Handle();
  EXPECT_EQ(list->Handle(), h);
  EXPECT_EQ(TCustomImageList::FromHandle(h), list);
  HICON icon = CreateIconFromPixels(32, 32, Solid(32, 32, 0xFF00FF00).data());
  EXPECT_EQ(ImageList_AddIcon(h, icon), 0) << "scaled to the 16 x 16 cells";
  EXPECT_EQ(ImageList_GetImageCount(h), 1);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(h, &cx, &cy));
  EXPECT_EQ(cx, 16);
  HICON back = ImageList_GetIcon(h, 0, 0);
  EXPECT_EQ(PixelOf(back, 15, 15), 0xFF00FF00u);
  EXPECT_EQ(ImageList_ReplaceIcon(h, 5, icon), -1);
  TestSurface s(20, 20);
  EXPECT_TRUE(ImageList_Draw(h, 0, s.dc, 2, 2, ILD_NORMAL));
  EXPECT_EQ(s.At(10, 10) & 0xFFFFFF, 0x00FF00u);
  EXPECT_FALSE(ImageList_Draw(h, 1, s.dc, 2, 2, ILD_NORMAL));
  // The background colour by handle: none at first, a colour, none again.
  EXPECT_EQ(ImageList_SetBkColor(h, RGB(1, 2, 3)), CLR_NONE);
  EXPECT_EQ(list->BkColor(), static_cast<TColor>(RGB(1, 2, 3)));
  EXPECT_EQ(ImageList_SetBkColor(h, CLR_NONE), RGB(1, 2, 3));
  EXPECT_EQ(list->BkColor(), clNone);
  EXPECT_EQ(ImageList_SetBkColor(nullptr, RGB(1, 2, 3)), CLR_NONE);
  DestroyIcon(icon);
  DestroyIcon(back);

  // The views take lists by message, as they do by property, and answer the old handle.
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* lv = new TListView(form);
  lv->SetParent(form);
  auto* tv = new TTreeView(form);
  tv->SetParent(form);
  auto* other = new TImageList(nullptr);
  struct Case {
    const char* what;
    HWND window;
    UINT set, get;
    WPARAM which;
    std::function<TCustomImageList*()> property;
  };
  const Case cases[] = {
      {"list small", lv->Handle(), LVM_SETIMAGELIST, LVM_GETIMAGELIST, LVSIL_SMALL, [&] { return lv->SmallImages(); }},
      {"list normal", lv->Handle(), LVM_SETIMAGELIST, LVM_GETIMAGELIST, LVSIL_NORMAL, [&] { return lv->LargeImages(); }},
      {"tree normal", tv->Handle(), TVM_SETIMAGELIST, TVM_GETIMAGELIST, TVSIL_NORMAL, [&] { return tv->Images(); }},
      {"tree state", tv->Handle(), TVM_SETIMAGELIST, TVM_GETIMAGELIST, TVSIL_STATE, [&] { return tv->StateImages(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SendMessage(c.window, c.set, c.which, reinterpret_cast<LPARAM>(h)), 0);
    EXPECT_EQ(c.property(), list);
    EXPECT_EQ(SendMessage(c.window, c.get, c.which, 0), reinterpret_cast<LRESULT>(h));
    EXPECT_EQ(SendMessage(c.window, c.set, c.which, reinterpret_cast<LPARAM>(other->Handle())),
              reinterpret_cast<LRESULT>(h));
    EXPECT_EQ(c.property(), other);
    SendMessage(c.window, c.set, c.which, 0);
    EXPECT_EQ(c.property(), nullptr);
  }
  delete other;

  // A freed list's handle names nothing, and is never handed out again.
  SendMessage(lv->Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(h));
  delete list;
  EXPECT_EQ(lv->SmallImages(), nullptr);
  EXPECT_EQ(TCustomImageList::FromHandle(h), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(h), 0);
  TImageList fresh(nullptr);
  EXPECT_NE(fresh.Handle(), h);
  EXPECT_EQ(SendMessage(lv->Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(h)), 0);
  EXPECT_EQ(lv->SmallImages(), nullptr);
}

}  // namespace
