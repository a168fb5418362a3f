// Drawing objects, device contexts and their state: the handle tables, object creation and
// selection, SaveDC/RestoreDC, origins, clipping, modes and the region calls.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>
#include <unordered_map>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/FontEngine.h"

using namespace gdi_detail;

namespace {

struct Tables {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
  std::unordered_map<std::uintptr_t, std::shared_ptr<DeviceContext>> dcs;
  std::uintptr_t next = 0x10000;
  std::vector<HGDIOBJ> stock;      // by stock index; nullptr where none
  std::vector<HGDIOBJ> sysBrushes; // by COLOR_* index
  std::shared_ptr<PixelSurface> screen;
  TSize screenSize{1024, 768};
  HDC screenDC = nullptr;
};

// The one set of handle tables of the process.
Tables& TheTables() {
  static Tables tables;
  return tables;
}

std::uintptr_t Key(const void* h) { return reinterpret_cast<std::uintptr_t>(h); }

HGDIOBJ AddLocked(Tables& t, std::shared_ptr<Object> object) {
  t.next += 8;
  t.objects[t.next] = std::move(object);
  return reinterpret_cast<HGDIOBJ>(t.next);
}

std::shared_ptr<Object> MakeBrush(const LOGBRUSH& lb) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Brush;
  o->brush = lb;
  return o;
}

std::shared_ptr<Object> MakePen(const LOGPEN& lp) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Pen;
  o->pen = lp;
  return o;
}

std::shared_ptr<Object> MakeFont(const LOGFONT& lf) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Font;
  o->font = lf;
  return o;
}

void EnsureStock(Tables& t) {
  if (!t.stock.empty()) return;
  t.stock.assign(20, nullptr);
  auto add = [&](int index, std::shared_ptr<Object> o) {
    o->stock = true;
    t.stock[static_cast<std::size_t>(index)] = AddLocked(t, std::move(o));
  };
  add(WHITE_BRUSH, MakeBrush({BS_SOLID, RGB(255, 255, 255), 0}));
  add(LTGRAY_BRUSH, MakeBrush({BS_SOLID, RGB(192, 192, 192), 0}));
  add(GRAY_BRUSH, MakeBrush({BS_SOLID, RGB(128, 128, 128), 0}));
  add(DKGRAY_BRUSH, MakeBrush({BS_SOLID, RGB(64, 64, 64), 0}));
  add(BLACK_BRUSH, MakeBrush({BS_SOLID, 0, 0}));
  add(NULL_BRUSH, MakeBrush({BS_NULL, 0, 0}));
  add(WHITE_PEN, MakePen({PS_SOLID, {1, 0}, RGB(255, 255, 255)}));
  add(BLACK_PEN, MakePen({PS_SOLID, {1, 0}, 0}));
  add(NULL_PEN, MakePen({PS_NULL, {1, 0}, 0}));
  LOGFONT system;
  system.lfHeight = -12;
  system.lfWeight = FW_BOLD;
  system.lfFaceName = "MS Sans Serif";
  add(SYSTEM_FONT, MakeFont(system));
  LOGFONT gui;
  gui.lfHeight = -11;
  gui.lfFaceName = "MS Sans Serif";
  add(DEFAULT_GUI_FONT, MakeFont(gui));
  auto mono = std::make_shared<Object>();
  mono->kind = Kind::Bitmap;
  mono->surface = PixelSurface::Create(1, 1, 1);
  add(19, std::move(mono));  // the placeholder bitmap of a fresh memory DC
}

HGDIOBJ Stock(Tables& t, int index) {
  EnsureStock(t);
  return t.stock[static_cast<std::size_t>(index)];
}

// Puts the defaults of a fresh DC into its state: stock brush, pen, font and, for a memory DC,
// the monochrome placeholder bitmap.
void InitState(Tables& t, DeviceContext& dc, bool memory) {
  auto pick = [&](int index, HGDIOBJ& h, std::shared_ptr<Object>& o) {
    h = Stock(t, index);
    o = t.objects[Key(h)];
  };
  pick(WHITE_BRUSH, dc.state.hBrush, dc.state.brush);
  pick(BLACK_PEN, dc.state.hPen, dc.state.pen);
  pick(SYSTEM_FONT, dc.state.hFont, dc.state.font);
  if (memory) {
    pick(19, dc.state.hBitmap, dc.state.bitmap);
    dc.surface = dc.state.bitmap->surface;
  }
}

HDC AddDC(Tables& t, std::shared_ptr<DeviceContext> dc) {
  t.next += 8;
  t.dcs[t.next] = std::move(dc);
  return reinterpret_cast<HDC>(t.next);
}

int Complexity(const Region& r) {
  if (r.IsEmpty()) return NULLREGION;
  return r.IsRect() ? SIMPLEREGION : COMPLEXREGION;
}

TRect Normalized(int l, int t, int r, int b) {
  return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// Runs f on the region object of hrgn under the table lock; false for a stale handle.
template <typename F>
bool WithRegion(HRGN hrgn, F&& f) {
  auto o = FindObject(hrgn, Kind::Region);
  if (!o) return false;
  f(o->region);
  return true;
}

}  // namespace

// ---- Internal helpers -------------------------------------------------------------------------

namespace gdi_detail {

std::shared_ptr<Object> FindObject(const void* handle, Kind kind) {
  if (!handle) return nullptr;
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(Key(handle));
  if (it == t.objects.end() || it->second->kind != kind) return nullptr;
  return it->second;
}

std::shared_ptr<DeviceContext> FindDC(HDC hdc) {
  if (!hdc) return nullptr;
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.dcs.find(Key(hdc));
  return it == t.dcs.end() ? nullptr : it->second;
}

HGDIOBJ AddObject(std::shared_ptr<Object> object) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  return AddLocked(t, std::move(object));
}

std::shared_ptr<Object> FindBrushOrSysColor(HBRUSH hbr) {
  const std::uintptr_t v = Key(hbr);
  if (v >= 1 && v <= 31) return FindObject(GetSysColorBrush(static_cast<int>(v - 1)), Kind::Brush);
  return FindObject(hbr, Kind::Brush);
}

std::shared_ptr<FontInstance> FontOf(DeviceContext& dc) {
  Object& font = *dc.state.font;
  // Objects are immutable after creation except for this cache, filled on the drawing thread.
  static std::mutex cacheLock;
  std::lock_guard<std::mutex> guard(cacheLock);
  if (!font.instance) font.instance = FontInstance::Get(font.font);
  return font.instance;
}

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return {};
  return r;
}

Region DeviceContext::ClipRegion() const {
  if (!surface) return {};
  Region r(TRect{0, 0, surface->Width(), surface->Height()});
  if (baseClip) r = Region::Combine(r, *baseClip, TRegionOp::And);
  if (state.clip) r = Region::Combine(r, state.clip->Offsetted(deviceOrigin.X, deviceOrigin.Y), TRegionOp::And);
  return r;
}

const std::vector<TRect>& DeviceContext::ClipRects() {
  if (!clipValid_) {
    if (!surface)
      clipRects_.clear();
    else if (!baseClip && !state.clip)
      clipRects_ = {TRect{0, 0, surface->Width(), surface->Height()}};
    else
      clipRects_ = ClipRegion().Rects();
    clipValid_ = true;
  }
  return clipRects_;
}

}  // namespace gdi_detail

// ---- Bitmaps ----------------------------------------------------------------------------------

HBITMAP CreateBitmapFromSurface(std::shared_ptr<PixelSurface> surface) {
  if (!surface) return nullptr;
  auto o = std::make_shared<Object>();
  o->kind = Kind::Bitmap;
  o->surface = std::move(surface);
  return reinterpret_cast<HBITMAP>(AddObject(std::move(o)));
}

std::shared_ptr<PixelSurface> GetBitmapSurface(HBITMAP hbm) {
  auto o = FindObject(hbm, Kind::Bitmap);
  return o ? o->surface : nullptr;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT, void** ppvBits, HANDLE, DWORD) {
  if (ppvBits) *ppvBits = nullptr;
  if (!pbmi) return nullptr;
  const BITMAPINFOHEADER& h = pbmi->bmiHeader;
  if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && h.biBitCount == 32)) return nullptr;
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  auto surface = PixelSurface::Create(h.biWidth, height, h.biBitCount);
  if (!surface) return nullptr;
  if (ppvBits) *ppvBits = surface->Bits();
  return CreateBitmapFromSurface(std::move(surface));
}

HBITMAP CreateCompatibleBitmap(HDC, int cx, int cy) {
  return CreateBitmapFromSurface(PixelSurface::Create(cx, cy, 32));
}

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  if (nPlanes != 1 || (nBitCount != 1 && nBitCount != 32)) return nullptr;
  auto surface = PixelSurface::Create(nWidth, nHeight, static_cast<int>(nBitCount));
  if (!surface) return nullptr;
  if (lpBits) {
    // Source rows are aligned to 2 bytes (monochrome) or are whole 4-byte pixels.
    const std::size_t srcRow = nBitCount == 1 ? ((static_cast<std::size_t>(nWidth) + 15) / 16) * 2
                                              : static_cast<std::size_t>(nWidth) * 4;
    const std::size_t copy = std::min(srcRow, surface->Stride());
    for (int y = 0; y < nHeight; ++y)
      std::memcpy(surface->Row(y), static_cast<const std::uint8_t*>(lpBits) + srcRow * static_cast<std::size_t>(y), copy);
  }
  return CreateBitmapFromSurface(std::move(surface));
}

// ---- Objects ----------------------------------------------------------------------------------

HGDIOBJ GetStockObject(int i) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  EnsureStock(t);
  if (i < 0 || i >= 19) return nullptr;
  return t.stock[static_cast<std::size_t>(i)];
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return reinterpret_cast<HBRUSH>(AddObject(MakeBrush({BS_SOLID, color & 0xFFFFFF, 0})));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
  if (!plbrush) return nullptr;
  LOGBRUSH lb = *plbrush;
  if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_NULL) lb.lbStyle = BS_SOLID;  // patterns draw solid
  return reinterpret_cast<HBRUSH>(AddObject(MakeBrush(lb)));
}

HBRUSH GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex > 30) return nullptr;
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  if (t.sysBrushes.empty()) t.sysBrushes.assign(31, nullptr);
  HGDIOBJ& h = t.sysBrushes[static_cast<std::size_t>(nIndex)];
  if (!h) {
    auto o = MakeBrush({BS_SOLID, GetSysColor(nIndex), 0});
    o->stock = true;
    h = AddLocked(t, std::move(o));
  }
  return reinterpret_cast<HBRUSH>(h);
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) return nullptr;
  return reinterpret_cast<HPEN>(
      AddObject(MakePen({static_cast<UINT>(iStyle), {std::max(cWidth, 0), 0}, color & 0xFFFFFF})));
}

HPEN CreatePenIndirect(const LOGPEN* plpen) {
  if (!plpen) return nullptr;
  return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.X, plpen->lopnColor);
}

HFONT CreateFontIndirect(const LOGFONT* lplf) {
  if (!lplf) return nullptr;
  return reinterpret_cast<HFONT>(AddObject(MakeFont(*lplf)));
}

BOOL DeleteObject(HGDIOBJ ho) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(Key(ho));
  if (it == t.objects.end()) return FALSE;
  if (it->second->stock) return TRUE;
  t.objects.erase(it);  // a DC that still has it selected keeps it alive through its own reference
  return TRUE;
}

int GetObject(HGDIOBJ h, int c, void* pv) {
  Tables& t = TheTables();
  std::shared_ptr<Object> o;
  {
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(Key(h));
    if (it == t.objects.end()) return 0;
    o = it->second;
  }
  auto put = [&](const auto& value) -> int {
    const int size = static_cast<int>(sizeof(value));
    if (!pv) return size;
    if (c < size) return 0;
    std::memcpy(pv, &value, sizeof(value));
    return size;
  };
  switch (o->kind) {
    case Kind::Bitmap: {
      const PixelSurface& s = *o->surface;
      DIBSECTION ds;
      ds.dsBm.bmWidth = s.Width();
      ds.dsBm.bmHeight = s.Height();
      ds.dsBm.bmWidthBytes = static_cast<LONG>(s.Stride());
      ds.dsBm.bmBitsPixel = static_cast<WORD>(s.BitsPerPixel());
      ds.dsBm.bmBits = s.Bits();
      ds.dsBmih.biWidth = s.Width();
      ds.dsBmih.biHeight = -s.Height();
      ds.dsBmih.biBitCount = static_cast<WORD>(s.BitsPerPixel());
      ds.dsBmih.biSizeImage = static_cast<DWORD>(s.ByteSize());
      if (pv && c >= static_cast<int>(sizeof(DIBSECTION))) return put(ds);
      return put(ds.dsBm);
    }
    case Kind::Brush:
      return put(o->brush);
    case Kind::Pen:
      return put(o->pen);
    case Kind::Font:
      if (!pv) return static_cast<int>(sizeof(LOGFONT));
      if (c < static_cast<int>(sizeof(LOGFONT))) return 0;
      *static_cast<LOGFONT*>(pv) = o->font;  // not a plain copy: the face name is a string
      return static_cast<int>(sizeof(LOGFONT));
    case Kind::Region:
      return 0;
  }
  return 0;
}

// ---- Device contexts --------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  auto dc = std::make_shared<DeviceContext>();
  InitState(t, *dc, true);
  return AddDC(t, std::move(dc));
}

HDC CreateSurfaceDC(std::shared_ptr<PixelSurface> surface, TPoint origin, const Region* clip) {
  if (!surface || surface->BitsPerPixel() != 32) return nullptr;
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  auto dc = std::make_shared<DeviceContext>();
  InitState(t, *dc, false);
  dc->surface = std::move(surface);
  dc->external = true;
  dc->deviceOrigin = origin;
  if (clip) dc->baseClip = *clip;
  return AddDC(t, std::move(dc));
}

BOOL DeleteDC(HDC hdc) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.dcs.find(Key(hdc));
  if (it == t.dcs.end() || hdc == t.screenDC) return FALSE;
  // Let go of the bitmap so another DC may select it (only the current state's bitmap is
  // marked as selected).
  const auto& bitmap = it->second->state.bitmap;
  if (bitmap && bitmap->selectedInto == hdc) bitmap->selectedInto = nullptr;
  t.dcs.erase(it);
  return TRUE;
}

TSize GetScreenSize() {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  return t.screenSize;
}

void SetScreenSize(TSize size) {
  if (!PixelSurface::SizeAllowed(size.cx, size.cy)) return;
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  t.screenSize = size;
  t.screen.reset();
  if (t.screenDC) {
    t.dcs.erase(Key(t.screenDC));
    t.screenDC = nullptr;
  }
}

namespace {

TWindowDCHandlers& TheWindowDCHandlers() {
  static TWindowDCHandlers handlers;
  return handlers;
}

}  // namespace

TWindowDCHandlers SetWindowDCHandlers(TWindowDCGetter Get, TWindowDCReleaser Release) {
  return std::exchange(TheWindowDCHandlers(), TWindowDCHandlers{std::move(Get), std::move(Release)});
}

HDC GetDC(HWND hWnd) {
  if (hWnd) {
    const auto& handlers = TheWindowDCHandlers();
    return handlers.Get ? handlers.Get(hWnd) : nullptr;
  }
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  if (!t.screenDC) {
    if (!t.screen) t.screen = PixelSurface::Create(t.screenSize.cx, t.screenSize.cy, 32);
    if (!t.screen) return nullptr;
    auto dc = std::make_shared<DeviceContext>();
    InitState(t, *dc, false);
    dc->surface = t.screen;
    dc->external = true;
    t.screenDC = AddDC(t, std::move(dc));
  }
  return t.screenDC;
}

int ReleaseDC(HWND hWnd, HDC hdc) {
  if (hWnd) {
    const auto& handlers = TheWindowDCHandlers();
    return handlers.Release ? handlers.Release(hWnd, hdc) : 0;
  }
  // The screen DC is shared and stays; its state goes back to the defaults for the next user.
  {
    Tables& t = TheTables();
    std::lock_guard<std::mutex> guard(t.lock);
    if (hdc != t.screenDC) return 0;
  }
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  dc->saved.clear();
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  dc->state = DcState{};
  InitState(t, *dc, false);
  dc->ClipChanged();
  return 1;
}

std::shared_ptr<PixelSurface> GetDCSurface(HDC hdc) {
  auto dc = FindDC(hdc);
  return dc ? dc->surface : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  auto dc = FindDC(hdc);
  if (!dc) return nullptr;
  Tables& t = TheTables();
  std::unique_lock<std::mutex> guard(t.lock);
  auto it = t.objects.find(Key(h));
  if (it == t.objects.end()) return nullptr;
  std::shared_ptr<Object> o = it->second;
  DcState& s = dc->state;
  auto swap = [](HGDIOBJ& slot, std::shared_ptr<Object>& ref, HGDIOBJ h2, std::shared_ptr<Object> o2) {
    HGDIOBJ old = slot;
    slot = h2;
    ref = std::move(o2);
    return old;
  };
  switch (o->kind) {
    case Kind::Brush:
      return swap(s.hBrush, s.brush, h, o);
    case Kind::Pen:
      return swap(s.hPen, s.pen, h, o);
    case Kind::Font:
      return swap(s.hFont, s.font, h, o);
    case Kind::Bitmap: {
      if (dc->external) return nullptr;
      if (o->selectedInto && o->selectedInto != hdc && !o->stock) return nullptr;
      if (s.bitmap && !s.bitmap->stock) s.bitmap->selectedInto = nullptr;
      if (!o->stock) o->selectedInto = hdc;
      dc->surface = o->surface;
      dc->ClipChanged();
      return swap(s.hBitmap, s.bitmap, h, o);
    }
    case Kind::Region: {
      Region copy = o->region;
      guard.unlock();
      dc->state.clip = std::move(copy);
      dc->ClipChanged();
      return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(Complexity(*dc->state.clip)));
    }
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  auto dc = FindDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->state.hPen;
    case OBJ_BRUSH: return dc->state.hBrush;
    case OBJ_FONT: return dc->state.hFont;
    case OBJ_BITMAP: return dc->state.hBitmap;
    default: return nullptr;
  }
}

int SaveDC(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->saved.size());
  const int level = nSavedDC < 0 ? depth + 1 + nSavedDC : nSavedDC;
  if (level < 1 || level > depth || nSavedDC == 0) return FALSE;
  DcState restored = dc->saved[static_cast<std::size_t>(level - 1)];
  dc->saved.resize(static_cast<std::size_t>(level - 1));
  Tables& t = TheTables();
  std::lock_guard<std::mutex> guard(t.lock);
  if (restored.bitmap != dc->state.bitmap && !dc->external) {
    // The restored bitmap comes back only when no other DC took it meanwhile.
    Object* back = restored.bitmap.get();
    if (back && !back->stock && back->selectedInto && back->selectedInto != hdc) return FALSE;
    if (dc->state.bitmap && !dc->state.bitmap->stock) dc->state.bitmap->selectedInto = nullptr;
    if (back && !back->stock) back->selectedInto = hdc;
    dc->surface = back ? back->surface : nullptr;
  }
  dc->state = std::move(restored);
  dc->ClipChanged();
  return TRUE;
}

namespace {

template <typename F>
BOOL WithDC(HDC hdc, F&& f) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  f(*dc);
  return TRUE;
}

}  // namespace

BOOL SetWindowOrgEx(HDC hdc, int x, int y, TPoint* lppt) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppt) *lppt = dc.state.windowOrg;
    dc.state.windowOrg = {x, y};
  });
}

BOOL GetWindowOrgEx(HDC hdc, TPoint* lppoint) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppoint) *lppoint = dc.state.windowOrg;
  });
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, TPoint* lppt) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppt) *lppt = dc.state.viewportOrg;
    dc.state.viewportOrg = {x, y};
  });
}

BOOL GetViewportOrgEx(HDC hdc, TPoint* lppoint) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppoint) *lppoint = dc.state.viewportOrg;
  });
}

BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, TPoint* lppt) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppt) *lppt = dc.state.viewportOrg;
    dc.state.viewportOrg.X += x;
    dc.state.viewportOrg.Y += y;
  });
}

BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, TPoint* lppt) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppt) *lppt = dc.state.windowOrg;
    dc.state.windowOrg.X += x;
    dc.state.windowOrg.Y += y;
  });
}

// ---- Clipping ---------------------------------------------------------------------------------

namespace {

// Device rectangle of a logical one (window and viewport origins applied, device origin not).
TRect ToDevice(const DeviceContext& dc, TRect r) {
  const int dx = dc.state.viewportOrg.X - dc.state.windowOrg.X;
  const int dy = dc.state.viewportOrg.Y - dc.state.windowOrg.Y;
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// The user clip, or when there is none everything the DC can draw on, in device coordinates.
Region CurrentClip(const DeviceContext& dc) {
  if (dc.state.clip) return *dc.state.clip;
  return dc.ClipRegion().Offsetted(-dc.deviceOrigin.X, -dc.deviceOrigin.Y);
}

int CombineClip(HDC hdc, const Region& with, TRegionOp op) {
  auto dc = FindDC(hdc);
  if (!dc) return RGN_ERROR;
  dc->state.clip = Region::Combine(CurrentClip(*dc), with, op);
  dc->ClipChanged();
  return Complexity(*dc->state.clip);
}

}  // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = FindDC(hdc);
  if (!dc) return RGN_ERROR;
  return CombineClip(hdc, Region(ToDevice(*dc, Normalized(left, top, right, bottom))), TRegionOp::And);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = FindDC(hdc);
  if (!dc) return RGN_ERROR;
  return CombineClip(hdc, Region(ToDevice(*dc, Normalized(left, top, right, bottom))), TRegionOp::Diff);
}

int SelectClipRgn(HDC hdc, HRGN hrgn) { return ExtSelectClipRgn(hdc, hrgn, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode) {
  auto dc = FindDC(hdc);
  if (!dc) return RGN_ERROR;
  if (!hrgn) {
    if (mode != RGN_COPY) return RGN_ERROR;
    dc->state.clip.reset();
    dc->ClipChanged();
    return Complexity(dc->ClipRegion());
  }
  auto o = FindObject(hrgn, Kind::Region);
  if (!o) return RGN_ERROR;
  Region rgn = o->region;
  switch (mode) {
    case RGN_COPY:
      dc->state.clip = std::move(rgn);
      dc->ClipChanged();
      return Complexity(*dc->state.clip);
    case RGN_AND: return CombineClip(hdc, rgn, TRegionOp::And);
    case RGN_OR: return CombineClip(hdc, rgn, TRegionOp::Or);
    case RGN_XOR: return CombineClip(hdc, rgn, TRegionOp::Xor);
    case RGN_DIFF: return CombineClip(hdc, rgn, TRegionOp::Diff);
    default: return RGN_ERROR;
  }
}

int OffsetClipRgn(HDC hdc, int x, int y) {
  auto dc = FindDC(hdc);
  if (!dc) return RGN_ERROR;
  if (!dc->state.clip) return Complexity(dc->ClipRegion());
  dc->state.clip->Offset(x, y);
  dc->ClipChanged();
  return Complexity(*dc->state.clip);
}

int GetClipBox(HDC hdc, TRect* lprect) {
  auto dc = FindDC(hdc);
  if (!dc || !lprect) return RGN_ERROR;
  const Region r = dc->ClipRegion();
  TRect b = r.Bounds();
  const TPoint off = dc->Offset();
  if (!r.IsEmpty()) b = {b.Left - off.X, b.Top - off.Y, b.Right - off.X, b.Bottom - off.Y};
  *lprect = b;
  return Complexity(r);
}

int GetClipRgn(HDC hdc, HRGN hrgn) {
  auto dc = FindDC(hdc);
  auto o = FindObject(hrgn, Kind::Region);
  if (!dc || !o) return -1;
  if (!dc->state.clip) return 0;
  o->region = *dc->state.clip;
  return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  const TPoint off = dc->Offset();
  for (const TRect& r : dc->ClipRects())
    if (r.Contains({x + off.X, y + off.Y})) return TRUE;
  return FALSE;
}

BOOL RectVisible(HDC hdc, const TRect* lprect) {
  auto dc = FindDC(hdc);
  if (!dc || !lprect) return FALSE;
  const TPoint off = dc->Offset();
  const TRect r{lprect->Left + off.X, lprect->Top + off.Y, lprect->Right + off.X, lprect->Bottom + off.Y};
  for (const TRect& c : dc->ClipRects())
    if (!Intersect(c, r).IsEmpty()) return TRUE;
  return FALSE;
}

// ---- Modes ------------------------------------------------------------------------------------

namespace {

template <typename T, typename Get>
T Exchange(HDC hdc, T value, T failure, Get&& field) {
  auto dc = FindDC(hdc);
  if (!dc) return failure;
  T& slot = field(dc->state);
  T old = slot;
  slot = value;
  return old;
}

template <typename T, typename Get>
T Read(HDC hdc, T failure, Get&& field) {
  auto dc = FindDC(hdc);
  return dc ? field(dc->state) : failure;
}

}  // namespace

int SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return Exchange(hdc, mode, 0, [](DcState& s) -> int& { return s.bkMode; });
}
int GetBkMode(HDC hdc) { return Read(hdc, 0, [](DcState& s) { return s.bkMode; }); }
COLORREF SetBkColor(HDC hdc, COLORREF color) {
  return Exchange(hdc, color & 0xFFFFFF, CLR_INVALID, [](DcState& s) -> COLORREF& { return s.bkColor; });
}
COLORREF GetBkColor(HDC hdc) { return Read(hdc, CLR_INVALID, [](DcState& s) { return s.bkColor; }); }
COLORREF SetTextColor(HDC hdc, COLORREF color) {
  return Exchange(hdc, color & 0xFFFFFF, CLR_INVALID, [](DcState& s) -> COLORREF& { return s.textColor; });
}
COLORREF GetTextColor(HDC hdc) { return Read(hdc, CLR_INVALID, [](DcState& s) { return s.textColor; }); }
UINT SetTextAlign(HDC hdc, UINT align) {
  return Exchange(hdc, align, 0xFFFFFFFFu, [](DcState& s) -> UINT& { return s.textAlign; });
}
UINT GetTextAlign(HDC hdc) { return Read(hdc, 0xFFFFFFFFu, [](DcState& s) { return s.textAlign; }); }
int SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return Exchange(hdc, rop2, 0, [](DcState& s) -> int& { return s.rop2; });
}
int GetROP2(HDC hdc) { return Read(hdc, 0, [](DcState& s) { return s.rop2; }); }
int SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return Exchange(hdc, mode, 0, [](DcState& s) -> int& { return s.stretchMode; });
}
int GetStretchBltMode(HDC hdc) { return Read(hdc, 0, [](DcState& s) { return s.stretchMode; }); }
int SetPolyFillMode(HDC hdc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return Exchange(hdc, mode, 0, [](DcState& s) -> int& { return s.polyFillMode; });
}
BOOL SetBrushOrgEx(HDC hdc, int x, int y, TPoint* lppt) {
  return WithDC(hdc, [&](DeviceContext& dc) {
    if (lppt) *lppt = dc.state.brushOrg;
    dc.state.brushOrg = {x, y};
  });
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!FindDC(hdc)) return 0;
  const TSize screen = GetScreenSize();
  switch (index) {
    case HORZRES: return screen.cx;
    case VERTRES: return screen.cy;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

// ---- Regions ----------------------------------------------------------------------------------

HRGN CreateRegionHandle(const Region& region) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Region;
  o->region = region;
  return reinterpret_cast<HRGN>(AddObject(std::move(o)));
}

Region GetRegion(HRGN hrgn) {
  auto o = FindObject(hrgn, Kind::Region);
  return o ? o->region : Region{};
}

HRGN CreateRectRgn(int x1, int y1, int x2, int y2) { return CreateRegionHandle(Region(Normalized(x1, y1, x2, y2))); }

HRGN CreateRectRgnIndirect(const TRect* lprect) {
  if (!lprect) return nullptr;
  return CreateRectRgn(lprect->Left, lprect->Top, lprect->Right, lprect->Bottom);
}

HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  return CreateRegionHandle(Region::FromRoundRect(Normalized(x1, y1, x2, y2), w, h));
}

HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) {
  return CreateRegionHandle(Region::FromEllipse(Normalized(x1, y1, x2, y2)));
}

HRGN CreatePolygonRgn(const TPoint* pptl, int cPoint, int iMode) {
  if (!pptl || cPoint < 0) return nullptr;
  std::vector<TPoint> points(pptl, pptl + cPoint);
  return CreateRegionHandle(
      Region::FromPolygon(points, iMode == WINDING ? TFillRule::Winding : TFillRule::Alternate));
}

HRGN ExtCreateRegion(const void* lpXform, DWORD nCount, const RGNDATA* lpData) {
  if (lpXform || !lpData || nCount < sizeof(RGNDATAHEADER)) return nullptr;
  const RGNDATAHEADER& h = lpData->rdh;
  if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
  if (h.nCount > (nCount - sizeof(RGNDATAHEADER)) / sizeof(TRect)) return nullptr;
  std::vector<TRect> rects(h.nCount);
  if (h.nCount) std::memcpy(rects.data(), lpData->Buffer, h.nCount * sizeof(TRect));
  for (TRect& r : rects) r = Normalized(r.Left, r.Top, r.Right, r.Bottom);
  return CreateRegionHandle(Region::FromRects(rects));
}

int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  auto dst = FindObject(hrgnDst, Kind::Region);
  auto a = FindObject(hrgnSrc1, Kind::Region);
  if (!dst || !a || iMode < RGN_AND || iMode > RGN_COPY) return RGN_ERROR;
  if (iMode == RGN_COPY) {
    dst->region = a->region;
    return Complexity(dst->region);
  }
  auto b = FindObject(hrgnSrc2, Kind::Region);
  if (!b) return RGN_ERROR;
  static constexpr TRegionOp kOps[] = {TRegionOp::And, TRegionOp::Or, TRegionOp::Xor, TRegionOp::Diff};
  dst->region = Region::Combine(a->region, b->region, kOps[iMode - RGN_AND]);
  return Complexity(dst->region);
}

int OffsetRgn(HRGN hrgn, int x, int y) {
  int result = RGN_ERROR;
  WithRegion(hrgn, [&](Region& r) {
    r.Offset(x, y);
    result = Complexity(r);
  });
  return result;
}

BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
  return WithRegion(hrgn, [&](Region& r) { r = Region(Normalized(left, top, right, bottom)); }) ? TRUE : FALSE;
}

BOOL PtInRegion(HRGN hrgn, int x, int y) {
  bool in = false;
  WithRegion(hrgn, [&](Region& r) { in = r.Contains({x, y}); });
  return in ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN hrgn, const TRect* lprect) {
  if (!lprect) return FALSE;
  bool in = false;
  WithRegion(hrgn, [&](Region& r) {
    in = r.Intersects(Normalized(lprect->Left, lprect->Top, lprect->Right, lprect->Bottom));
  });
  return in ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2) {
  auto a = FindObject(hrgn1, Kind::Region);
  auto b = FindObject(hrgn2, Kind::Region);
  if (!a || !b) return FALSE;
  return a->region == b->region ? TRUE : FALSE;
}

int GetRgnBox(HRGN hrgn, TRect* lprc) {
  int result = RGN_ERROR;
  WithRegion(hrgn, [&](Region& r) {
    if (lprc) *lprc = r.Bounds();
    result = Complexity(r);
  });
  return result;
}

DWORD GetRegionData(HRGN hrgn, DWORD nCount, RGNDATA* lpRgnData) {
  auto o = FindObject(hrgn, Kind::Region);
  if (!o) return 0;
  const std::vector<TRect> rects = o->region.Rects();
  const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(TRect));
  if (!lpRgnData || nCount < needed) return needed;
  RGNDATAHEADER h;
  h.nCount = static_cast<DWORD>(rects.size());
  h.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(TRect));
  h.rcBound = o->region.Bounds();
  std::memcpy(&lpRgnData->rdh, &h, sizeof h);
  if (!rects.empty()) std::memcpy(lpRgnData->Buffer, rects.data(), rects.size() * sizeof(TRect));
  return needed;
}

std::size_t LiveGdiObjectCount() {
  Tables& t = TheTables();
  std::lock_guard lock(t.lock);
  return t.objects.size();
}

std::size_t LiveDCCount() {
  Tables& t = TheTables();
  std::lock_guard lock(t.lock);
  return t.dcs.size();
}
