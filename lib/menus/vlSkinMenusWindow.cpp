// One level of an open popup menu: building the rows, size and placement inside the work area,
// the window image (skin frame or built-in look), scrolling, mouse tracking, keys and the rows'
// effect timer.
//
// A level in the skin look (window coordinates):
//
//   +--------------------------------------+
//   |  frame (the popup-window picture,    |
//   |  nine parts moved to the size)       |
//   |   +------------------------------+   | NewItemsRect.Top
//   |   | ^ up marker (scrolling only) | 10 |
//   |   | row                          |    |
//   |   | row ...                      |    |
//   |   | v down marker                | 10 |
//   |   +------------------------------+   | NewItemsRect.Bottom
//   +--------------------------------------+
//
// The built-in look has a 2-pixel frame and a light glyph column at the left.

#include <algorithm>

#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Painting.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

constexpr int kMarker = 10;          // height of a scroll marker
constexpr UINT kMouseInterval = 50;  // mouse tracking
constexpr UINT kScrollInterval = 100;
constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kFadeInterval = 6;  // more than 5 ms between fade steps

// A canvas over a device context for one drawing pass.
class ContextCanvas {
 public:
  explicit ContextCanvas(HDC DC) { canvas_.SetHandle(DC); }
  ~ContextCanvas() { canvas_.SetHandle(nullptr); }
  ContextCanvas(const ContextCanvas&) = delete;
  ContextCanvas& operator=(const ContextCanvas&) = delete;
  TCanvas* Get() { return &canvas_; }

 private:
  TCanvas canvas_;
};

void FillFrame(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(Color);
  C->FrameRect(R);
}

void FillArea(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(Color);
  C->FillRect(R);
}

}  // namespace

// ---- Construction -------------------------------------------------------------------------------

TvlSkinPopupWindow::TvlSkinPopupWindow(TvlSkinMenu* AParentMenu, TvlDataSkinPopupWindow* AData)
    : TCustomControl(nullptr), FParentMenu(AParentMenu), FFont(std::make_unique<TFont>()) {
  SetVisible(false);
  MouseTimer = vlNewStoppedTimer(this, kMouseInterval, [this](TObject*) { MouseTimerProc(); });
  MorphTimer = vlNewStoppedTimer(this, 20, [this](TObject*) { MorphTimerProc(); });
  FadeTimer = vlNewStoppedTimer(this, kFadeInterval, [this](TObject*) { FadeStep(); });
  TvlSkinData* sd = AParentMenu ? AParentMenu->SkinData : nullptr;
  // The skin look needs the window picture itself; an index naming no picture gives the
  // built-in look.
  if (AData && sd && !sd->Empty && AData->WindowPictureIndex != -1) {
    WindowPicture = vlSkinPicture(sd, AData->WindowPictureIndex);
    if (WindowPicture) {
      PW = AData;
      SD = sd;
      MaskPicture = vlSkinPicture(sd, AData->MaskPictureIndex);
    }
  }
}

TvlSkinPopupWindow::~TvlSkinPopupWindow() {
  // The rows first: they refer to the level.
  ItemList.clear();
  if (HandleAllocated()) KillTimer(Handle(), kScrollTimer);
}

void SetDropDownWindowParams(TCreateParams& P) {
  P.Style = WS_POPUP;
  P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  P.WndParent = nullptr;
  P.WindowClass.style |= CS_SAVEBITS;
  if (IsXPOrLater()) P.WindowClass.style |= CS_DROPSHADOW;
}

void TvlSkinPopupWindow::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  SetDropDownWindowParams(P);
}

void TvlSkinPopupWindow::WndProc(TMessage& M) {
  // The chain may drop this level while one of its handlers runs; it goes after the handler.
  std::shared_ptr<TvlSkinPopupWindow> keep = FSelf.lock();
  switch (M.Msg) {
    case WM_MOUSEACTIVATE: M.Result = MA_NOACTIVATE; return;
    case WM_ERASEBKGND: M.Result = 1; return;  // Paint covers every pixel
    case WM_TIMER:
      TCustomControl::WndProc(M);
      if (M.WParam == kScrollTimer) ScrollTimerTick();
      return;
    default: TCustomControl::WndProc(M);
  }
}

// ---- Building -----------------------------------------------------------------------------------

void TvlSkinPopupWindow::ApplyLevelFont() {
  TvlSkinMenu* chain = ParentMenu();
  if (chain) chain->ApplyItemFont(FFont.get(), PW && chain->FUseSkinFont ? DSMI : nullptr);
}

void TvlSkinPopupWindow::AddItems(TMenuItem* AItem, int From) {
  if (!AItem) return;
  for (int i = std::max(0, From); i < AItem->Count(); ++i) {
    TMenuItem* child = AItem->Items(i);
    if (!child->Visible()) continue;
    if (TBasicAction* a = child->Action()) {
      TWeak<TMenuItem> alive(child);
      a->Update();
      if (!alive) continue;
    }
    ItemList.push_back(std::make_unique<TvlSkinMenuItem>(this, child, DSMI));
  }
}

void TvlSkinPopupWindow::CreateItems(TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool Two) {
  TvlSkinMenu* chain = ParentMenu();
  // 1. The rows' description: the first menu-item description of the skin, when its picture
  //    exists (without it the rows take the built-in look inside the skin's frame).
  DSMI = nullptr;
  if (PW && SD) {
    for (const auto& o : SD->ObjectList)
      if (auto* d = dynamic_cast<TvlDataSkinMenuItem*>(o.get())) {
        if (vlSkinPicture(SD, d->ActivePictureIndex)) DSMI = d;
        break;
      }
  }
  // 2. Font.
  ApplyLevelFont();
  // 3. Redundant separators and the menu's images.
  if (TMenu* menu = AItem ? AItem->GetParentMenu() : nullptr) {
    if (menu->AutoLineReduction() == TMenuAutoFlag::maAutomatic) AItem->RethinkLines();
    ImgL = menu->Images();
  }
  // 4. Rows.
  AddItems(AItem, StartIndex);
  if (Two) AddItems(AItem2, StartIndex - (AItem ? AItem->Count() : 0));
  // 5. Size.
  VisibleStartIndex = 0;
  VisibleCount = static_cast<int>(ItemList.size());
  Scroll = Scroll2 = false;
  const int w = CalcWidth();
  int h = CalcHeight(Two);
  const int workHeight = chain ? RectHeight(chain->WorkArea) : h;
  if (h > workHeight) {
    h = workHeight;
    Scroll = true;
  }
  SetBounds(Left(), Top(), w, h);
  // 6. Geometry.
  if (PW) {
    const int dw = w - WindowPicture->Width(), dh = h - WindowPicture->Height();
    NewLTPoint = PW->LTPoint;
    NewRTPoint = TPoint{dw + PW->RTPoint.X, PW->RTPoint.Y};
    NewLBPoint = TPoint{PW->LBPoint.X, dh + PW->LBPoint.Y};
    NewRBPoint = TPoint{dw + PW->RBPoint.X, dh + PW->RBPoint.Y};
    NewItemsRect = TRect{PW->ItemsRect.Left, PW->ItemsRect.Top, dw + PW->ItemsRect.Right, dh + PW->ItemsRect.Bottom};
  } else {
    NewItemsRect = TRect{2, 2, w - 2, h - 2};
  }
  // 7. Layout and region.
  LayoutItems();
  if (PW && MaskPicture) SetMenuRegion();
}

int TvlSkinPopupWindow::ItemHeight(const TvlSkinMenuItem* Item) const {
  const bool line = Item->IsSeparator();
  if (DSMI) return RectHeight(line ? DSMI->DividerRect : DSMI->SkinRect);
  TvlSkinMenu* chain = ParentMenu();
  return line ? 4 : (chain ? chain->FDefaultMenuItemHeight : 20);
}

int TvlSkinPopupWindow::CalcWidth() {
  TBitmap scratch;
  scratch.SetPixelFormat(TPixelFormat::pf32bit);
  scratch.SetSize(1, 1);
  TCanvas* c = scratch.Canvas();
  c->SetFont(FFont.get());
  int t = 0;
  for (const auto& item : ItemList) {
    TMenuItem* m = item->MenuItem();
    if (!m) continue;
    std::string text = m->Caption();
    if (m->ShortCut() != scNone) text += "  " + ShortCutToText(m->ShortCut());
    TRect r{0, 0, 0, 0};
    DrawTextWide(c, text, r, DT_CALCRECT);
    t = std::max(t, RectWidth(r) + 2);
  }
  GlyphWidth = ImgL ? ImgL->Width() + 5 : 19;
  t += GlyphWidth + 19;
  if (!PW) return t + 10;
  const int frame = WindowPicture->Width() + PW->ItemsRect.Left - PW->ItemsRect.Right;
  if (!DSMI) return frame + t + 10;
  return frame + t + DSMI->TextRct.Left + RectWidth(DSMI->SkinRect) - DSMI->TextRct.Right;
}

int TvlSkinPopupWindow::CalcHeight(bool Two) {
  const int frame = PW ? WindowPicture->Height() + PW->ItemsRect.Top - PW->ItemsRect.Bottom : (Two ? 6 : 4);
  int sum = 0;
  for (std::size_t i = static_cast<std::size_t>(VisibleStartIndex); i < ItemList.size(); ++i) sum += ItemHeight(ItemList[i].get());
  TvlSkinMenu* chain = ParentMenu();
  const int limit = chain ? chain->MaxMenuItemsInWindow : 0;
  if (limit > 0 && static_cast<int>(ItemList.size()) > limit) {
    const int h = DSMI ? RectHeight(DSMI->SkinRect) : (chain ? chain->FDefaultMenuItemHeight : 20);
    Scroll = Scroll2 = true;
    return h * limit + frame + 2 * kMarker;
  }
  return sum + frame;
}

void TvlSkinPopupWindow::LayoutItems() {
  int y = NewItemsRect.Top + (Scroll ? kMarker : 0);
  const int limit = NewItemsRect.Bottom - (Scroll ? kMarker : 0);
  VisibleCount = 0;
  for (std::size_t i = static_cast<std::size_t>(VisibleStartIndex); i < ItemList.size(); ++i) {
    TvlSkinMenuItem* item = ItemList[i].get();
    const int h = ItemHeight(item);
    item->ObjectRect = TRect{NewItemsRect.Left, y, NewItemsRect.Right, y + h};
    y += h;
    if (item->ObjectRect.Bottom > limit) break;
    item->FVisible = true;
    ++VisibleCount;
  }
  if (!Scroll) return;
  for (std::size_t i = 0; i < ItemList.size(); ++i) {
    const int n = static_cast<int>(i);
    if (n < VisibleStartIndex || n >= VisibleStartIndex + VisibleCount) ItemList[i]->FVisible = false;
  }
}

int TvlSkinPopupWindow::GetLastPageStartIndex() const {
  int room = NewItemsRect.Bottom - kMarker, counted = 0;
  for (auto it = ItemList.rbegin(); it != ItemList.rend(); ++it) {
    room -= ItemHeight(it->get());
    if (room < kMarker) break;
    ++counted;
  }
  return static_cast<int>(ItemList.size()) - counted;
}

void TvlSkinPopupWindow::SetMenuRegion() {
  HRGN rgn = nullptr;
  const TvlNinePartGeometry g{PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect,
                              NewLTPoint,  NewRTPoint,  NewLBPoint,  NewRBPoint,  NewItemsRect};
  CreateSkinRegion(rgn, g, MaskPicture, Width(), Height());
  if (!rgn) return;
  // The window owns the region from here on.
  SetWindowRgn(Handle(), rgn, TRUE);
  FRegionSet = true;
}

// ---- Placement and showing ------------------------------------------------------------------------

void TvlSkinPopupWindow::Place(const TRect& R, bool PopupByItem, bool PopupUp) {
  TvlSkinMenu* chain = ParentMenu();
  const TRect wa = chain ? chain->WorkArea : TRect{0, 0, Width(), Height()};
  const int w = Width(), h = Height();
  const int midY = wa.Top + RectHeight(wa) / 2;
  bool beside = false;
  int y;
  if (Scroll && !Scroll2) {
    y = wa.Top;
  } else if (PopupByItem) {
    // The first row lines up with the parent row; at the bottom it opens upward.
    y = R.Top - NewItemsRect.Top;
    if (y + h > wa.Bottom) y = R.Top < midY ? wa.Bottom - h : std::max(wa.Top, R.Bottom - h + NewItemsRect.Top);
  } else if (PopupUp) {
    y = R.Top - h;
    if (R.Top - h < wa.Top) {
      if (R.Top < midY) {
        if (R.Bottom + h <= wa.Bottom) {
          y = R.Bottom;
        } else {
          y = wa.Bottom - h;
          beside = true;
        }
      } else {
        y = wa.Top;
        beside = true;
      }
    }
  } else {
    y = R.Bottom;
    if (R.Bottom + h > wa.Bottom) {
      if (R.Top < midY) {
        y = wa.Bottom - h;
        beside = true;
      } else if (R.Top - h >= wa.Top) {
        y = R.Top - h;
      } else {
        y = wa.Top;
        beside = true;
      }
    }
  }
  int x;
  if (PopupByItem || (Scroll && !Scroll2) || beside) {
    x = R.Right + 1 + w <= wa.Right ? R.Right + 1 : R.Left - w - 1;
  } else {
    x = R.Left;
    if (R.Left + w > wa.Right)
      x = wa.Right - w;
    else if (R.Left < wa.Left)
      x = wa.Left;
  }
  ShowX = x;
  ShowY = y;
}

void TvlSkinPopupWindow::ShowLevel(const TRect& R, bool PopupByItem, bool PopupUp) {
  TvlSkinMenu* chain = ParentMenu();
  Place(R, PopupByItem, PopupUp);
  SetBounds(ShowX, ShowY, Width(), Height());
  HWND h = Handle();
  const bool fade = chain && chain->AlphaBlend && chain->AlphaBlendAnimation && chain->FFirst;
  if (chain && chain->AlphaBlend && IsWin2000OrLater()) {
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetWindowAlpha(h, fade ? 0 : chain->AlphaBlendValue);
  }
  SetWindowPos(h, HWND_TOPMOST, ShowX, ShowY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  if (fade && IsWin2000OrLater()) {
    // The fade-in steps on the clock; nothing waits for it.
    FFadeEnd = chain->AlphaBlendValue;
    FFadeAlpha = 0;
    FadeTimer->SetEnabled(true);
  }
  MouseTimer->SetEnabled(true);
  ActiveItem = -1;
  for (std::size_t i = 0; i < ItemList.size(); ++i) {
    TvlSkinMenuItem* item = ItemList[i].get();
    if (!item->Selectable()) continue;
    item->WaitCommand = true;
    ActiveItem = static_cast<int>(i);
    item->MouseEnter(true);
    break;
  }
}

void TvlSkinPopupWindow::FadeStep() {
  const int step = std::max(1, FFadeEnd / 15);
  FFadeAlpha = std::min(FFadeEnd, FFadeAlpha + step);
  if (HandleAllocated()) SetWindowAlpha(Handle(), static_cast<BYTE>(FFadeAlpha));
  if (FFadeAlpha >= FFadeEnd) FadeTimer->SetEnabled(false);
}

void TvlSkinPopupWindow::Show(TRect R, TMenuItem* AItem, int StartIndex, bool PopupByItem, bool PopupUp) {
  CreateItems(AItem, nullptr, StartIndex, false);
  ShowLevel(R, PopupByItem, PopupUp);
}

void TvlSkinPopupWindow::Show2(TRect R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                               bool PopupUp) {
  CreateItems(AItem, AItem2, StartIndex, true);
  ShowLevel(R, PopupByItem, PopupUp);
}

void TvlSkinPopupWindow::Hide() {
  MouseTimer->SetEnabled(false);
  MorphTimer->SetEnabled(false);
  FadeTimer->SetEnabled(false);
  if (HandleAllocated()) {
    KillTimer(Handle(), kScrollTimer);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  }
  SetVisible(false);
}

// ---- Painting -----------------------------------------------------------------------------------

void TvlSkinPopupWindow::CreateWindowImage(TBitmap* B, bool DrawClient) {
  const int w = Width(), h = Height();
  if (PW) {
    const TvlNinePartGeometry g{PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect,
                                NewLTPoint,  NewRTPoint,  NewLBPoint,  NewRBPoint,  NewItemsRect};
    ComposeSkinImage(g, B, WindowPicture, TRect{0, 0, WindowPicture->Width(), WindowPicture->Height()}, w, h,
                     TvlStretchSides{PW->LeftStretch, PW->TopStretch, PW->RightStretch, PW->BottomStretch},
                     TvlClientFill{DrawClient, PW->StretchEffect, PW->StretchType});
    return;
  }
  B->SetPixelFormat(TPixelFormat::pf32bit);
  B->SetSize(w, h);
  if (B->Empty()) return;
  TCanvas* c = B->Canvas();
  const int column = ImgL ? GlyphWidth + 2 : 21;
  FillArea(c, TRect{0, 0, column, h}, clBtnFace);
  FillArea(c, TRect{column, 0, w, h}, clWindow);
  FillFrame(c, TRect{0, 0, w, h}, clBtnShadow);
  FillFrame(c, TRect{1, 1, w - 1, h - 1}, clWindow);
}

void TvlSkinPopupWindow::DrawMarkerBackground(TCanvas* C, const TRect& R) {
  if (!SD) return;
  int index = SD->GetIndex("menuitem");
  if (index < 0) index = SD->GetIndex("MENUITEM");
  auto* item = index >= 0 ? dynamic_cast<TvlDataSkinMenuItem*>(SD->ObjectList[static_cast<std::size_t>(index)].get())
                          : nullptr;
  if (!item || IsNullRect(R)) return;
  TBitmap b;
  if (DSMI && DSMI->InActiveTransparent && FPaintBuffer && !FPaintBuffer->Empty()) {
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(RectWidth(R), RectHeight(R));
    if (!b.Empty()) b.Canvas()->CopyRect(TRect{0, 0, b.Width(), b.Height()}, FPaintBuffer->Canvas(), R);
  } else {
    TBitmap* picture = vlSkinPicture(SD, item->ActivePictureIndex);
    if (!picture) return;
    ComposeSkinStrip(item->ItemLO, item->ItemRO, &b, picture, item->SkinRect, RectWidth(R), RectHeight(item->SkinRect),
                     item->InActiveStretchEffect);
  }
  if (b.Empty()) return;
  C->CopyRect(TRect{R.Left, R.Top, R.Left + b.Width(), R.Top + std::min(b.Height(), RectHeight(R))}, b.Canvas(),
              TRect{0, 0, b.Width(), std::min(b.Height(), RectHeight(R))});
}

void TvlSkinPopupWindow::DrawMarker(TCanvas* C, const TRect& R, bool Hot, int Direction) {
  TColor color;
  if (PW) {
    DrawMarkerBackground(C, R);
    color = static_cast<TColor>(Hot ? PW->ScrollMarkerActiveColor : PW->ScrollMarkerColor);
  } else {
    color = Hot ? clBtnText : clBtnShadow;
  }
  DrawArrowGlyph(C, R, color, Direction);
}

void TvlSkinPopupWindow::DrawUpMarker(TCanvas* C) {
  const TRect r = PW ? TRect{NewItemsRect.Left, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Top + kMarker}
                     : TRect{3, 3, Width() - 3, 13};
  DrawMarker(C, r, ScrollCode == 1, 3);
}

void TvlSkinPopupWindow::DrawDownMarker(TCanvas* C) {
  const TRect r = PW ? TRect{NewItemsRect.Left, NewItemsRect.Bottom - kMarker, NewItemsRect.Right, NewItemsRect.Bottom}
                     : TRect{3, Height() - 10, Width() - 3, Height() - 3};
  DrawMarker(C, r, ScrollCode == 2, 4);
}

void TvlSkinPopupWindow::PaintMenu(HDC DC) {
  TBitmap b;
  CreateWindowImage(&b, Scroll);
  if (b.Empty()) return;
  if (PW && DSMI && DSMI->InActiveTransparent) {
    FPaintBuffer = std::make_unique<TBitmap>();
    CreateWindowImage(FPaintBuffer.get(), true);
  }
  TCanvas* c = b.Canvas();
  int lastBottom = NewItemsRect.Top + (Scroll ? kMarker : 0);
  const int end = std::min(static_cast<int>(ItemList.size()), VisibleStartIndex + VisibleCount);
  for (int i = VisibleStartIndex; i < end; ++i) {
    ItemList[static_cast<std::size_t>(i)]->Draw(c);
    lastBottom = ItemList[static_cast<std::size_t>(i)]->ObjectRect.Bottom;
  }
  if (Scroll) {
    DrawUpMarker(c);
    DrawDownMarker(c);
    if (lastBottom < NewItemsRect.Bottom - kMarker)
      DrawMarkerBackground(c, TRect{NewItemsRect.Left, lastBottom, NewItemsRect.Right, NewItemsRect.Bottom - kMarker});
  }
  BitBlt(DC, 0, 0, b.Width(), b.Height(), c->Handle(), 0, 0, SRCCOPY);
}

void TvlSkinPopupWindow::Paint() { PaintMenu(Canvas()->Handle()); }

void TvlSkinPopupWindow::DrawItemNow(TvlSkinMenuItem* Item) {
  if (!HandleAllocated() || !Item) return;
  HDC dc = GetDC(Handle());
  if (!dc) return;
  {
    ContextCanvas c(dc);
    Item->Draw(c.Get());
  }
  ReleaseDC(Handle(), dc);
}

void TvlSkinPopupWindow::RedrawMarkers() {
  if (!HandleAllocated() || !Scroll) return;
  HDC dc = GetDC(Handle());
  if (!dc) return;
  {
    ContextCanvas c(dc);
    DrawUpMarker(c.Get());
    DrawDownMarker(c.Get());
  }
  ReleaseDC(Handle(), dc);
}

void TvlSkinPopupWindow::Invalidated() {
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

// ---- Rows, effects and mouse ------------------------------------------------------------------------

void TvlSkinPopupWindow::CollapseLevel() {
  TWeak<TvlSkinPopupWindow> alive(this);
  if (TvlSkinMenu* chain = ParentMenu()) {
    const int below = chain->IndexOfPopup(this) + 1;
    if (below < chain->LevelCount()) chain->CloseLevels(below);
  }
  if (!alive) return;
  for (const auto& item : ItemList) {
    if (!item->Down) continue;
    item->Down = false;
    if (item->EnableAnimation() && !item->MI->InActiveAnimation) {
      item->CurrentFrame = 0;
      DrawItemNow(item.get());
    } else {
      item->RedrawItem();
    }
  }
}

void TvlSkinPopupWindow::MorphTimerProc() {
  if (!PW) {
    MorphTimer->SetEnabled(false);
    return;
  }
  bool stepped = false;
  for (const auto& item : ItemList) {
    if (item->EnableMorphing()) {
      if (!item->CanMorphing()) continue;
      item->DoMorphing();
      stepped = true;
    } else if (item->EnableAnimation()) {
      const bool on = item->Active || item->Down;
      if (on && item->CurrentFrame <= item->MI->FrameCount) {
        ++item->CurrentFrame;
      } else if (!on && item->CurrentFrame > 0) {
        --item->CurrentFrame;
      } else {
        continue;
      }
      DrawItemNow(item.get());
      stepped = true;
    }
  }
  if (!stepped) MorphTimer->SetEnabled(false);
}

void TvlSkinPopupWindow::MouseTimerProc() {
  if (!HandleAllocated()) return;
  TPoint screen;
  GetCursorPos(&screen);
  const TPoint p = ScreenToClient(screen);
  if (p.X != OMX || p.Y != OMY) {
    if (WindowFromPoint(screen) == Handle()) {
      TWeak<TvlSkinPopupWindow> alive(this);
      TestActive(p.X, p.Y);
      if (!alive) return;
    } else if (Scroll && ScrollCode != 0) {
      // The pointer left the level: the scroll timer keeps ticking without effect.
      ScrollCode = 0;
      RedrawMarkers();
    }
  }
  OMX = p.X;
  OMY = p.Y;
}

void TvlSkinPopupWindow::TestActive(int X, int Y) {
  const TPoint p{X, Y};
  if (Scroll) {
    const TRect up{NewItemsRect.Left, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Top + kMarker};
    const TRect down{NewItemsRect.Left, NewItemsRect.Bottom - kMarker, NewItemsRect.Right, NewItemsRect.Bottom};
    if (up.Contains(p) && ScrollCode == 0 && CanScroll(1)) {
      ScrollCode = 1;
      RedrawMarkers();
      StartScroll();
    } else if (down.Contains(p) && ScrollCode == 0 && CanScroll(2)) {
      ScrollCode = 2;
      RedrawMarkers();
      StartScroll();
    } else if (ScrollCode != 0 && !up.Contains(p) && !down.Contains(p)) {
      StopScroll();
    }
  }
  const int count = static_cast<int>(ItemList.size());
  if (count == 0) return;
  OldActiveItem = ActiveItem;
  for (int i = 0; i < count; ++i) {
    TvlSkinMenuItem* item = ItemList[static_cast<std::size_t>(i)].get();
    if (item->FVisible && item->ObjectRect.Contains(p)) {
      ActiveItem = i;
      break;
    }
  }
  if (ActiveItem >= count) ActiveItem = -1;
  if (OldActiveItem >= count) OldActiveItem = -1;
  if (ActiveItem == OldActiveItem) {
    if (ActiveItem == -1) return;
    TvlSkinMenuItem* item = ItemList[static_cast<std::size_t>(ActiveItem)].get();
    if (item->WaitCommand) {
      // The pointer moved onto a row the keyboard had highlighted: now its submenu may open.
      item->WaitCommand = false;
      if (TMenuItem* m = item->MenuItem(); m && m->Count() > 0) item->MouseEnter(false);
    }
    return;
  }
  TWeak<TvlSkinPopupWindow> alive(this);
  if (OldActiveItem != -1) {
    TvlSkinMenuItem* old = ItemList[static_cast<std::size_t>(OldActiveItem)].get();
    if (old->Selectable()) old->MouseLeave();
  }
  if (!alive || ActiveItem == -1) return;
  TvlSkinMenuItem* item = ItemList[static_cast<std::size_t>(ActiveItem)].get();
  if (item->Selectable()) item->MouseEnter(false);
}

void TvlSkinPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TvlSkinPopupWindow> alive(this);
  TestActive(X, Y);
  if (!alive || Button != TMouseButton::mbLeft || ActiveItem == -1) return;
  TvlSkinMenuItem* item = ItemList[static_cast<std::size_t>(ActiveItem)].get();
  if (!item->FVisible || !item->ObjectRect.Contains(TPoint{X, Y}) || item->IsSeparator()) return;
  item->MouseDown(X, Y);
  (void)Shift;
}

// ---- Scrolling ----------------------------------------------------------------------------------

bool TvlSkinPopupWindow::CanScroll(int Code) const {
  if (Code == 1) return VisibleStartIndex > 0;
  if (Code == 2) return VisibleStartIndex + VisibleCount - 1 < static_cast<int>(ItemList.size()) - 1;
  return false;
}

void TvlSkinPopupWindow::ScrollUp(bool Wrap) {
  const int before = VisibleStartIndex;
  if (VisibleStartIndex > 0)
    --VisibleStartIndex;
  else if (Wrap)
    VisibleStartIndex = GetLastPageStartIndex();
  if (VisibleStartIndex == before) return;
  LayoutItems();
  Invalidated();
}

void TvlSkinPopupWindow::ScrollDown(bool Wrap) {
  const int before = VisibleStartIndex;
  if (CanScroll(2))
    ++VisibleStartIndex;
  else if (Wrap)
    VisibleStartIndex = 0;
  if (VisibleStartIndex == before) return;
  LayoutItems();
  Invalidated();
}

void TvlSkinPopupWindow::StartScroll() {
  TWeak<TvlSkinPopupWindow> alive(this);
  if (TvlSkinMenu* chain = ParentMenu()) {
    const int below = chain->IndexOfPopup(this) + 1;
    if (below < chain->LevelCount()) chain->CloseLevels(below);
  }
  if (!alive || !HandleAllocated()) return;
  KillTimer(Handle(), kScrollTimer);
  SetTimer(Handle(), kScrollTimer, kScrollInterval, nullptr);
}

void TvlSkinPopupWindow::StopScroll() {
  ScrollCode = 0;
  RedrawMarkers();
  if (HandleAllocated()) KillTimer(Handle(), kScrollTimer);
}

void TvlSkinPopupWindow::ScrollTimerTick() {
  if (ScrollCode == 1 && CanScroll(1)) {
    ScrollUp(false);
  } else if (ScrollCode == 2 && CanScroll(2)) {
    ScrollDown(false);
  } else if (ScrollCode != 0) {
    StopScroll();
  }
}

// ---- Keys ---------------------------------------------------------------------------------------

void TvlSkinPopupWindow::KeyMove(int Direction) {
  const int count = static_cast<int>(ItemList.size());
  if (count == 0) return;
  const auto lastVisible = [&](int i) { return Scroll && ScrollCode == 0 && VisibleStartIndex + VisibleCount == i + 1; };
  const auto firstVisible = [&](int i) { return Scroll && ScrollCode == 0 && i == VisibleStartIndex; };
  if (Direction > 0 && ActiveItem != -1 && lastVisible(ActiveItem)) ScrollDown(true);
  if (Direction < 0 && ActiveItem != -1 && firstVisible(ActiveItem)) ScrollUp(true);
  OldActiveItem = ActiveItem;
  if (Direction > 0) {
    int i = ActiveItem == -1 ? 0 : ActiveItem + 1;
    if (i == count) i = 0;
    for (; i < count; ++i) {
      if (ItemList[static_cast<std::size_t>(i)]->Selectable()) {
        ActiveItem = i;
        break;
      }
      if (lastVisible(i)) ScrollDown(true);
    }
  } else {
    int i = ActiveItem == -1 ? count - 1 : ActiveItem - 1;
    if (i == -1) i = count - 1;
    for (; i >= 0; --i) {
      if (ItemList[static_cast<std::size_t>(i)]->Selectable()) {
        ActiveItem = i;
        break;
      }
      if (firstVisible(i)) ScrollUp(true);
    }
  }
  if (ActiveItem == OldActiveItem) return;
  TWeak<TvlSkinPopupWindow> alive(this);
  if (ActiveItem >= 0) ItemList[static_cast<std::size_t>(ActiveItem)]->MouseEnter(true);
  if (alive && OldActiveItem >= 0) ItemList[static_cast<std::size_t>(OldActiveItem)]->MouseLeave();
}

void TvlSkinPopupWindow::PopupKeyDown(int CharCode) {
  if (!Visible()) return;
  TvlSkinMenu* chain = ParentMenu();
  const int count = static_cast<int>(ItemList.size());
  // 1. An accelerator picks its row and runs it.
  if (Enabled()) {
    for (int i = 0; i < count; ++i) {
      TvlSkinMenuItem* item = ItemList[static_cast<std::size_t>(i)].get();
      TMenuItem* m = item->MenuItem();
      if (!m || !IsAccel(static_cast<WORD>(CharCode), m->Caption())) continue;
      TWeak<TvlSkinPopupWindow> alive(this);
      item->MouseEnter(false);
      if (!alive) return;
      OldActiveItem = ActiveItem;
      ActiveItem = i;
      if (OldActiveItem != -1 && OldActiveItem != i) ItemList[static_cast<std::size_t>(OldActiveItem)]->MouseLeave();
      if (alive) item->MouseDown(0, 0);
      return;
    }
  }
  const auto active = [&]() -> TvlSkinMenuItem* {
    return ActiveItem >= 0 && ActiveItem < count ? ItemList[static_cast<std::size_t>(ActiveItem)].get() : nullptr;
  };
  switch (CharCode) {
    case VK_RETURN:
      if (TvlSkinMenuItem* item = active()) item->MouseDown(0, 0);
      return;
    case VK_ESCAPE:
    case VK_LEFT: {
      if (!chain) return;
      const int levels = chain->LevelCount();
      if (levels < 2 && CharCode == VK_LEFT) return;
      if (levels >= 2) {
        TvlSkinPopupWindow* previous = chain->Level(levels - 2);
        if (previous->ActiveItem >= 0 && previous->ActiveItem < static_cast<int>(previous->ItemList.size())) {
          TvlSkinMenuItem* parentRow = previous->ItemList[static_cast<std::size_t>(previous->ActiveItem)].get();
          parentRow->Down = false;
          parentRow->RedrawItem();
        }
      }
      chain->CloseLevels(levels - 1);
      return;
    }
    case VK_RIGHT:
      if (TvlSkinMenuItem* item = active(); item && item->MenuItem() && item->MenuItem()->Count() > 0)
        item->MouseDown(0, 0);
      return;
    case VK_DOWN: KeyMove(1); return;
    case VK_UP: KeyMove(-1); return;
    default: return;
  }
}
