#include "platform/windowing/LayeredWindow.h"

#include <algorithm>

#include "platform/windowing/Display.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/WindowNode.h"
#include "platform/windowing/WindowTree.h"

using namespace wnd_detail;

namespace {

bool IsLayered(HWND h) { return (ExStyleOf(h) & WS_EX_LAYERED) != 0; }

std::uint32_t Premultiply(std::uint32_t bgra, unsigned alpha) {
  auto mul = [&](unsigned c) { return (c * alpha + 127) / 255; };
  unsigned b = mul(bgra & 0xFF), g = mul((bgra >> 8) & 0xFF), r = mul((bgra >> 16) & 0xFF);
  return (alpha << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags) {
  if (!IsWindow(hwnd) || !IsLayered(hwnd)) return FALSE;
  std::vector<DWORD> wake;
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hwnd);
    if (!n) return FALSE;
    n->layered.attributes = true;
    n->layered.flags = dwFlags;
    n->layered.alpha = bAlpha;
    n->layered.key = crKey;
    n->layered.image.reset();  // back to showing the painted buffer
    if (!n->parent) n->dirty = Region(TRect{0, 0, n->rect.Width(), n->rect.Height()});
  }
  Display().WindowChanged(hwnd);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha, DWORD* pdwFlags) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hwnd);
  if (!n || !IsLayered(hwnd) || !n->layered.attributes) return FALSE;
  if (pcrKey) *pcrKey = n->layered.key;
  if (pbAlpha) *pbAlpha = n->layered.alpha;
  if (pdwFlags) *pdwFlags = n->layered.flags;
  return TRUE;
}

BOOL UpdateLayeredWindow(HWND hWnd, HDC, const TPoint* pptDst, const TSize* psize, HDC hdcSrc,
                         const TPoint* pptSrc, COLORREF crKey, const BLENDFUNCTION* pblend, DWORD dwFlags) {
  if (!IsWindow(hWnd) || !IsLayered(hWnd)) return FALSE;
  TRect wr;
  GetWindowRect(hWnd, &wr);
  int x = pptDst ? pptDst->X : wr.Left, y = pptDst ? pptDst->Y : wr.Top;
  int w = psize ? psize->cx : wr.Width(), h = psize ? psize->cy : wr.Height();
  if (w != wr.Width() || h != wr.Height() || x != wr.Left || y != wr.Top) {
    SetWindowPos(hWnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  std::shared_ptr<PixelSurface> image;
  if (hdcSrc) {
    auto src = GetDCSurface(hdcSrc);
    if (!src || w <= 0 || h <= 0) return FALSE;
    TPoint origin;
    GetViewportOrgEx(hdcSrc, &origin);  // the DC's own origin shifts the source point too
    TPoint sp = pptSrc ? *pptSrc : TPoint{};
    image = PixelSurface::Create(w, h, 32);
    if (!image) return FALSE;
    for (int row = 0; row < h; ++row) {
      for (int col = 0; col < w; ++col) {
        image->Row32(row)[col] = src->PixelAt(sp.X + origin.X + col, sp.Y + origin.Y + row);
      }
    }
  }
  {
    std::lock_guard lock(TreeLock());
    TWindowNode* n = Node(hWnd);
    if (!n) return FALSE;
    if (image) n->layered.image = std::move(image);
    n->layered.attributes = false;
    n->layered.constant = pblend ? pblend->SourceConstantAlpha : 255;
    n->layered.perPixel = pblend && (pblend->AlphaFormat & AC_SRC_ALPHA) && (dwFlags & ULW_ALPHA);
    n->layered.key = crKey;
    n->layered.flags = (dwFlags & ULW_COLORKEY) ? LWA_COLORKEY : 0;
    if (!n->parent) n->dirty = Region(TRect{0, 0, w, h});
  }
  Display().WindowChanged(hWnd);
  bool visible;
  {
    std::lock_guard lock(TreeLock());
    visible = ReallyVisible(hWnd) && Node(hWnd) && !Node(hWnd)->parent;
  }
  if (visible) Display().Present(hWnd, Region(TRect{0, 0, w, h}));
  return TRUE;
}

std::shared_ptr<PixelSurface> ComposeTopLevel(HWND hTop) {
  std::lock_guard lock(TreeLock());
  TWindowNode* n = Node(hTop);
  if (!n || n->parent || !ReallyVisible(hTop)) return nullptr;
  int w = n->rect.Width(), h = n->rect.Height();
  if (w <= 0 || h <= 0) return nullptr;
  auto out = PixelSurface::Create(w, h, 32);
  if (!out) return nullptr;
  const bool layered = IsLayered(hTop);
  const TLayeredState& l = n->layered;
  const std::shared_ptr<PixelSurface>& src = layered && l.image ? l.image : n->back;
  if (!src) return out;
  const std::uint32_t keyPixel = ((l.key & 0xFF) << 16) | (l.key & 0xFF00) | ((l.key >> 16) & 0xFF);
  for (int y = 0; y < h && y < src->Height(); ++y) {
    const std::uint32_t* s = src->Row32(y);
    std::uint32_t* d = out->Row32(y);
    for (int x = 0; x < w && x < src->Width(); ++x) {
      std::uint32_t p = s[x];
      unsigned alpha = 255;
      if (layered) {
        if ((l.flags & LWA_COLORKEY) && (p & 0xFFFFFF) == keyPixel) continue;
        if (l.image) {
          alpha = l.perPixel ? ((p >> 24) * l.constant + 127) / 255 : l.constant;
        } else if (l.attributes && (l.flags & LWA_ALPHA)) {
          alpha = l.alpha;
        }
      }
      d[x] = Premultiply(p, alpha);
    }
  }
  if (n->window_region) {
    Region outside = Region::Combine(Region(TRect{0, 0, w, h}), *n->window_region, TRegionOp::Diff);
    for (const TRect& r : outside.Rects()) {
      for (int y = std::max(0, r.Top); y < std::min(h, r.Bottom); ++y) {
        std::fill(out->Row32(y) + std::max(0, r.Left), out->Row32(y) + std::min(w, r.Right), 0u);
      }
    }
  }
  return out;
}

std::shared_ptr<PixelSurface> ComposeScreen(COLORREF Background) {
  int sx = GetSystemMetrics(SM_XVIRTUALSCREEN), sy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int sw = GetSystemMetrics(SM_CXVIRTUALSCREEN), sh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  auto screen = PixelSurface::Create(std::max(1, sw), std::max(1, sh), 32);
  if (!screen) return nullptr;
  std::uint32_t bg = 0xFF000000u | ((Background & 0xFF) << 16) | (Background & 0xFF00) | ((Background >> 16) & 0xFF);
  for (int y = 0; y < screen->Height(); ++y) std::fill_n(screen->Row32(y), screen->Width(), bg);
  std::vector<std::pair<HWND, TRect>> tops;
  {
    std::lock_guard lock(TreeLock());
    for (auto it = TopLevels().rbegin(); it != TopLevels().rend(); ++it) {
      TWindowNode* n = Node(*it);
      if (!n->message_only && ReallyVisible(*it)) tops.emplace_back(*it, n->rect);
    }
  }
  for (auto& [h, r] : tops) {
    auto img = ComposeTopLevel(h);
    if (!img) continue;
    for (int y = 0; y < img->Height(); ++y) {
      int ty = r.Top + y - sy;
      if (ty < 0 || ty >= screen->Height()) continue;
      const std::uint32_t* s = img->Row32(y);
      std::uint32_t* d = screen->Row32(ty);
      for (int x = 0; x < img->Width(); ++x) {
        int tx = r.Left + x - sx;
        if (tx < 0 || tx >= screen->Width()) continue;
        std::uint32_t p = s[x];
        unsigned a = p >> 24;
        if (a == 0) continue;
        if (a == 255) {
          d[tx] = p;
          continue;
        }
        std::uint32_t q = d[tx];
        auto blend = [&](int shift) {
          unsigned sc = (p >> shift) & 0xFF, dc = (q >> shift) & 0xFF;
          return (sc + (dc * (255 - a) + 127) / 255) & 0xFF;
        };
        d[tx] = 0xFF000000u | (blend(16) << 16) | (blend(8) << 8) | blend(0);
      }
    }
  }
  return screen;
}
