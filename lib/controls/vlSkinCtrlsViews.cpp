// The skinned tree and list views (TvlSkinCustomTreeView, TvlSkinCustomListView).

#include "lib/controls/vlSkinCtrlsViews.h"

#include <algorithm>

#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

// A bar that counts pixels (a view's sideways scrolling) steps a few characters an arrow click
// and a view's width a page.
void SetPixelSteps(TvlSkinScrollBar* Bar, int Page) {
  constexpr int kPixelLine = 16;
  Bar->SetSmallChange(kPixelLine);
  Bar->SetLargeChange(std::max(Page - kPixelLine, kPixelLine));
}

}  // namespace

// ---- TvlSkinView -------------------------------------------------------------------------------

template <class Base>
TvlSkinView<Base>::TvlSkinView(TComponent* AOwner, std::string Name)
    : Base(AOwner), FSkinDataName(std::move(Name)), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetStyle(TFontStyles{});
  FDefaultFont->SetHeight(14);
}

template <class Base>
TvlSkinView<Base>::~TvlSkinView() {
  for (TvlSkinScrollBar* bar : {FVScrollBar, FHScrollBar})
    if (bar) bar->OnChange = nullptr;
  this->ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr));
  this->ReplaceReference(FVScrollBar, static_cast<TvlSkinScrollBar*>(nullptr));
  this->ReplaceReference(FHScrollBar, static_cast<TvlSkinScrollBar*>(nullptr));
}

template <class Base>
void TvlSkinView<Base>::SetSkinData(TvlSkinData* Value) {
  this->ReplaceReference(FSD, Value);
  if (FSD && !FSD->Empty) ChangeSkinData();
}

template <class Base>
void TvlSkinView<Base>::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (FIndex == -1) this->Font()->Assign(Value);
}

template <class Base>
void TvlSkinView<Base>::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FIndex == -1) this->SetColor(Value);
}

template <class Base>
void TvlSkinView<Base>::AttachBar(TvlSkinScrollBar*& Field, TvlSkinScrollBar* Value, int Kind) {
  this->ReplaceReference(Field, Value);
  if (Value) {
    Value->SetEnabled(true);
    Value->SetVisible(false);
    Value->OnChange = [this, Kind](TObject*) { BarScrolled(Kind == SB_VERT ? FVScrollBar : FHScrollBar, Kind); };
  }
  SyncScrollBars();
}

template <class Base>
void TvlSkinView<Base>::SetVScrollBar(TvlSkinScrollBar* Value) {
  AttachBar(FVScrollBar, Value, SB_VERT);
}

template <class Base>
void TvlSkinView<Base>::SetHScrollBar(TvlSkinScrollBar* Value) {
  AttachBar(FHScrollBar, Value, SB_HORZ);
}

template <class Base>
void TvlSkinView<Base>::ApplySkin() {
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  TFont* font = this->Font();
  if (FIndex == -1) {
    this->SetColor(FDefaultColor);
    font->Assign(FDefaultFont.get());
  } else {
    TvlDataSkinControl* e = vlControlElement(FSD, FIndex);
    auto apply = [&](const auto* d) {
      if (UseSkinFont) {
        font->SetName(d->FontName);
        font->SetStyle(d->FontStyle);
        font->SetHeight(d->FontHeight);
      } else {
        font->Assign(FDefaultFont.get());
      }
      font->SetColor(d->FontColor);
      this->SetColor(d->BGColor);
    };
    if (auto* tree = dynamic_cast<TvlDataSkinTreeView*>(e))
      apply(tree);
    else if (auto* list = dynamic_cast<TvlDataSkinListView*>(e))
      apply(list);
  }
  ApplySkinCharset(font, FSD, FDefaultFont.get());
}

template <class Base>
bool TvlSkinView<Base>::ShowBar(TvlSkinScrollBar* Bar, bool Visible) {
  if (!Bar || Bar->Visible() == Visible) return false;
  FInCheckScrollBars = true;
  Bar->SetVisible(Visible);
  FInCheckScrollBars = false;
  return true;
}

template <class Base>
void TvlSkinView<Base>::AfterSync(bool Changed) {
  if (FVScrollBar && FHScrollBar && FHScrollBar->Both() != FVScrollBar->Visible())
    FHScrollBar->SetBoth(FVScrollBar->Visible());
  if (!Changed || this->Align() == TAlign::alNone || !this->Parent()) return;
  // A bar came or went: the parent lays the view and the bars out again.
  FInCheckScrollBars = true;
  this->Parent()->Realign();
  FInCheckScrollBars = false;
}

template <class Base>
void TvlSkinView<Base>::RealignBars() {
  for (TvlSkinScrollBar* bar : {FVScrollBar, FHScrollBar})
    if (bar && bar->Align() != TAlign::alNone && bar->Parent()) bar->Parent()->Realign();
}

template <class Base>
void TvlSkinView<Base>::Notification(TComponent* AComponent, TOperation Operation) {
  Base::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

template <class Base>
void TvlSkinView<Base>::CreateParams(TCreateParams& Params) {
  Base::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
}

template <class Base>
void TvlSkinView<Base>::CMVisibleChanged(TMessage& Message) {
  Base::CMVisibleChanged(Message);
  for (TvlSkinScrollBar* bar : {FVScrollBar, FHScrollBar})
    if (bar) bar->SetVisible(this->Visible());
}

template <class Base>
bool TvlSkinView<Base>::FramelessMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:  // the client area is the whole window
    case WM_NCPAINT:
      Message.Result = 0;
      return true;
    case WM_NCHITTEST:  // no system bars to hit either
      Message.Result = HTCLIENT;
      return true;
    case WM_vlPaintFrameToDC:
      Message.Result = vlPaintFrameToDCAnswer;
      return true;
    default: return false;
  }
}

template class TvlSkinView<TCustomTreeView>;
template class TvlSkinView<TCustomListView>;

// ---- TvlSkinCustomTreeView ---------------------------------------------------------------------

TvlSkinCustomTreeView::TvlSkinCustomTreeView(TComponent* AOwner) : TvlSkinView(AOwner, "treeview") {}

void TvlSkinCustomTreeView::ChangeSkinData() {
  if (Loading()) return;
  ApplySkin();
  for (TCustomImageList* list : {Images(), StateImages()})
    if (list) list->SetBkColor(Color());
  SyncScrollBars();
  RealignBars();
}

void TvlSkinCustomTreeView::SyncScrollBars() {
  if (Loading() || FInCheckScrollBars || !HandleAllocated()) return;
  bool changed = false;
  if (FVScrollBar) {
    const TScrollState s = ScrollInfo(SB_VERT);
    const int page = static_cast<int>(Perform(TVM_GETVISIBLECOUNT, 0, 0));
    const int count = static_cast<int>(Perform(TVM_GETCOUNT, 0, 0));
    const bool visible = s.Max > 0 && page <= s.Max && s.Max < count && Visible();
    changed |= ShowBar(FVScrollBar, visible);
    if (visible) FVScrollBar->SetRange(s.Min, s.Max, s.Pos, page);
    FVScrollBar->SetSmallChange(1);
    FVScrollBar->SetLargeChange(std::max(page, 1));
  }
  if (FHScrollBar) {
    const TScrollState s = ScrollInfo(SB_HORZ);
    const bool visible = s.Max > Width() && Visible();
    changed |= ShowBar(FHScrollBar, visible);
    if (visible) FHScrollBar->SetRange(s.Min, s.Max, s.Pos, Width());
    SetPixelSteps(FHScrollBar, Width());
  }
  AfterSync(changed);
}

void TvlSkinCustomTreeView::BarScrolled(TvlSkinScrollBar* Bar, int Kind) {
  if (!Bar || !HandleAllocated()) return;
  ScrollToThumbPosition(this, Kind, Bar->Position(), true);
}

void TvlSkinCustomTreeView::Loaded() {
  TCustomTreeView::Loaded();
  ChangeSkinData();
}

void TvlSkinCustomTreeView::WndProc(TMessage& Message) {
  if (FramelessMessage(Message)) return;
  TWeak<TControl> self(this);
  TCustomTreeView::WndProc(Message);
  if (!self) return;
  switch (Message.Msg) {
    case WM_SIZE:
    case WM_PAINT:
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONUP: SyncScrollBars(); break;
    default: break;
  }
}

void TvlSkinCustomTreeView::Change(TTreeNode* Node) {
  TCustomTreeView::Change(Node);
  SyncScrollBars();
}

// ---- TvlSkinCustomListView ---------------------------------------------------------------------

TvlSkinCustomListView::TvlSkinCustomListView(TComponent* AOwner) : TvlSkinView(AOwner, "listview") {
  Font()->Assign(FDefaultFont.get());
}

TvlSkinCustomListView::~TvlSkinCustomListView() { DetachHeader(); }

void TvlSkinCustomListView::ChangeSkinData() {
  ApplySkin();
  SyncScrollBars();
  RealignBars();
  if (ViewStyle() == TViewStyle::vsReport && FHeaderHandle && IsWindow(FHeaderHandle))
    InvalidateRect(FHeaderHandle, nullptr, TRUE);
}

int TvlSkinCustomListView::ItemHeight() const {
  if (Items()->Count() > 0) {
    const int h = ItemRect(0, TDisplayCode::drBounds).Height();
    if (h > 0) return h;
  }
  return ViewStyle() == TViewStyle::vsReport || ViewStyle() == TViewStyle::vsList ? RowHeight() : 0;
}

void TvlSkinCustomListView::SyncScrollBars() {
  if (!HandleAllocated() || FromSB || Width() <= 5 || Height() <= 5 || FInCheckScrollBars) return;
  bool changed = false;
  auto show = [&](TvlSkinScrollBar* bar, bool visible) { changed |= ShowBar(bar, visible); };
  const TScrollState v = ScrollInfo(SB_VERT), h = ScrollInfo(SB_HORZ);
  switch (ViewStyle()) {
    case TViewStyle::vsIcon:
    case TViewStyle::vsSmallIcon: {
      const int step = std::max(1, ItemHeight() / 2);
      if (FVScrollBar) {
        show(FVScrollBar, v.Max > Height() && Visible());
        FVScrollBar->SetSmallChange(step);
        FVScrollBar->SetLargeChange(step);
        FVScrollBar->SetRange(v.Min, v.Max, v.Pos, Height());
        FOldVScrollBarPos = FVScrollBar->Position();
      }
      if (FHScrollBar) {
        show(FHScrollBar, h.Max > Width() && Visible());
        FHScrollBar->SetSmallChange(step);
        FHScrollBar->SetLargeChange(step);
        FHScrollBar->SetRange(h.Min, h.Max, h.Pos, Width());
        FOldHScrollBarPos = FHScrollBar->Position();
      }
      break;
    }
    case TViewStyle::vsList: {
      if (FVScrollBar) show(FVScrollBar, false);
      if (FHScrollBar) {
        const int itemWidth = Items()->Count() > 0 ? std::max(1, ItemRect(0, TDisplayCode::drBounds).Width()) : 1;
        const int page = Width() / itemWidth;
        const int perPage = static_cast<int>(Perform(LVM_GETCOUNTPERPAGE, 0, 0));
        const int count = static_cast<int>(Perform(LVM_GETITEMCOUNT, 0, 0));
        show(FHScrollBar, perPage < count && Visible());
        FHScrollBar->SetRange(h.Min, h.Max, h.Pos, page);
        FHScrollBar->SetSmallChange(1);
        FHScrollBar->SetLargeChange(1);
        FOldHScrollBarPos = FHScrollBar->Position();
      }
      break;
    }
    case TViewStyle::vsReport: {
      if (FVScrollBar) {
        const int perPage = static_cast<int>(Perform(LVM_GETCOUNTPERPAGE, 0, 0));
        show(FVScrollBar, perPage < v.Max + 1 && Visible());
        FVScrollBar->SetRange(v.Min, v.Max, v.Pos, perPage);
        FOldVScrollBarPos = FVScrollBar->Position();
        FVScrollBar->SetSmallChange(1);
        FVScrollBar->SetLargeChange(std::max(perPage, 1));
      }
      if (FHScrollBar) {
        show(FHScrollBar, h.Max > Width() && Visible());
        FHScrollBar->SetRange(h.Min, h.Max, h.Pos, Width());
        SetPixelSteps(FHScrollBar, Width());
        FOldHScrollBarPos = FHScrollBar->Position();
      }
      break;
    }
  }
  AfterSync(changed);
}

void TvlSkinCustomListView::BarScrolled(TvlSkinScrollBar* Bar, int Kind) {
  if (!Bar || !HandleAllocated()) return;
  FromSB = true;
  const bool rows = ViewStyle() == TViewStyle::vsReport || ViewStyle() == TViewStyle::vsList;
  if (Kind == SB_VERT) {
    const int delta = Bar->Position() - FOldVScrollBarPos;
    Scroll(0, rows ? delta * ItemHeight() : delta);
    FOldVScrollBarPos = Bar->Position();
  } else {
    const int delta = Bar->Position() - FOldHScrollBarPos;
    if (ViewStyle() == TViewStyle::vsList) {
      for (int i = 0; i < std::abs(delta); ++i)
        Perform(WM_HSCROLL, static_cast<WPARAM>(delta < 0 ? SB_LINELEFT : SB_LINERIGHT), 0);
    } else {
      Scroll(delta, 0);
    }
    FOldHScrollBarPos = Bar->Position();
  }
  FromSB = false;
}

namespace {

// Share parts in 256 of A over B, per channel.
TColor MixColours(TColor A, TColor B, int Share) {
  const COLORREF a = ColorToRGB(A), b = ColorToRGB(B);
  const auto mix = [Share](int X, int Y) { return static_cast<BYTE>((X * Share + Y * (256 - Share)) / 256); };
  return static_cast<TColor>(
      RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b))));
}

}  // namespace

TListSelectionLook TvlSkinCustomListView::SelectionLook(bool HasFocus) const {
  TvlSkinColors* colours = FIndex != -1 && FSD ? FSD->SkinColors() : nullptr;
  if (!colours) return TCustomListView::SelectionLook(HasFocus);
  if (HasFocus) return {colours->FcHighLight, colours->FcHighLightText};
  // The skin has no colours for a selection without the focus: a light shade of its highlight
  // keeps the row marked without drawing the eye.
  return {MixColours(colours->FcHighLight, Color(), 56), Font()->Color()};
}

void TvlSkinCustomListView::Loaded() {
  FInCheckScrollBars = true;
  TCustomListView::Loaded();
  FInCheckScrollBars = false;
  ChangeSkinData();
}

void TvlSkinCustomListView::Change(TListItem* Item, TItemChange Change) {
  TCustomListView::Change(Item, Change);
  if (!FInCheckScrollBars) SyncScrollBars();
}

void TvlSkinCustomListView::WndProc(TMessage& Message) {
  if (FramelessMessage(Message)) return;
  switch (Message.Msg) {
    case WM_vlPaintHeaderToDC:
      if (FHeaderHandle && Message.WParam) PaintHeader(reinterpret_cast<HDC>(Message.WParam));
      return;
    case WM_PARENTNOTIFY:
      if (LOWORD(static_cast<DWORD>(Message.WParam)) == WM_CREATE) {
        auto child = reinterpret_cast<HWND>(Message.LParam);
        if (GetClassName(child) == kHeaderClassName && ShowColumnHeaders()) {
          DetachHeader();
          AttachHeader(child);
        }
      }
      break;
    default: break;
  }
  TWeak<TControl> self(this);
  TCustomListView::WndProc(Message);
  if (!self) return;
  switch (Message.Msg) {
    case WM_SIZE:
      if (!FInCheckScrollBars && Items()->Count() > 0) {
        SyncScrollBars();
        if (ViewStyle() == TViewStyle::vsReport && FHeaderHandle) InvalidateRect(FHeaderHandle, nullptr, FALSE);
      }
      break;
    case WM_PAINT:
      if (!FInCheckScrollBars) SyncScrollBars();
      break;
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONUP: SyncScrollBars(); break;
    default: break;
  }
}

// ---- List view header ----------------------------------------------------------------------------

void TvlSkinCustomListView::AttachHeader(HWND Header) {
  FHeaderHandle = Header;
  FDefHeaderProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(Header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TvlSkinCustomListView::HeaderProcedure)));
}

void TvlSkinCustomListView::DetachHeader() {
  if (FHeaderHandle && IsWindow(FHeaderHandle) && FDefHeaderProc)
    SetWindowLongPtr(FHeaderHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefHeaderProc));
  FHeaderHandle = nullptr;
  FDefHeaderProc = nullptr;
}

LRESULT TvlSkinCustomListView::HeaderProcedure(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  // The header's view is its parent; it keeps the procedure it replaced.
  auto* view = dynamic_cast<TvlSkinCustomListView*>(FindControl(GetParent(hWnd)));
  if (!view || view->FHeaderHandle != hWnd || !view->FDefHeaderProc) return DefWindowProc(hWnd, Msg, wParam, lParam);
  return view->HeaderMessage(hWnd, Msg, wParam, lParam);
}

LRESULT TvlSkinCustomListView::HeaderMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_WINDOWPOSCHANGING:
      // The header reaches past the view's edge, so no end of it shows while scrolling.
      if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) pos->cx += 25;
      return 0;
    case WM_PAINT:
      if (wParam) {
        PaintHeader(reinterpret_cast<HDC>(wParam));
      } else {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(hWnd, &ps)) PaintHeader(dc);
        EndPaint(hWnd, &ps);
      }
      return 0;
    case WM_ERASEBKGND: return 1;
    default: break;
  }
  const WNDPROC previous = FDefHeaderProc;
  TWeak<TControl> self(this);
  const LRESULT result = CallWindowProc(previous, hWnd, Msg, wParam, lParam);
  if (!self) return result;
  switch (Msg) {
    case WM_MOUSEMOVE:
      if (FDevDown) InvalidateRect(hWnd, nullptr, FALSE);
      break;
    case WM_LBUTTONDOWN: {
      const TPoint p{static_cast<short>(LOWORD(static_cast<DWORD>(lParam))),
                     static_cast<short>(HIWORD(static_cast<DWORD>(lParam)))};
      FActiveSection = -1;
      const int count = static_cast<int>(SendMessage(hWnd, HDM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < count && FActiveSection == -1; ++i)
        if (SectionRect(i).Contains(p)) FActiveSection = i;
      HDHITTESTINFO info;
      info.pt = p;
      SendMessage(hWnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
      FDevDown = info.flags == HHT_ONDIVIDER;
      FHeaderDown = !FDevDown;
      InvalidateRect(hWnd, nullptr, FALSE);
      break;
    }
    case WM_LBUTTONUP:
      FHeaderDown = false;
      FDevDown = false;
      FActiveSection = -1;
      InvalidateRect(hWnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      FHeaderHandle = nullptr;
      FDefHeaderProc = nullptr;
      break;
    default: break;
  }
  return result;
}

void TvlSkinCustomListView::GetHeaderSkin() {
  FHIndex = vlFindControlElement(FSD, FHeaderSkinDataName);
  HPicture = nullptr;
  auto* d = FHIndex == -1 ? nullptr : dynamic_cast<TvlDataSkinButtonControl*>(vlControlElement(FSD, FHIndex));
  // A header element of another kind has no picture: the built-in look.
  if (!d) return;
  HLTPt = d->LTPoint;
  HRTPt = d->RTPoint;
  HLBPt = d->LBPoint;
  HRBPt = d->RBPoint;
  HSkinRect = d->SkinRect;
  HClRect = d->ClRect;
  HStretchEffect = d->StretchEffect;
  HSides = TvlStretchSides{d->LeftStretch, d->TopStretch, d->RightStretch, d->BottomStretch};
  HStretchType = d->StretchType;
  HPicture = vlSkinPicture(FSD, d->PictureIndex);
  HFontColor = d->FontColor;
  HDownFontColor = d->DownFontColor;
  HActiveSkinRect = IsNullRect(d->ActiveSkinRect) ? d->SkinRect : d->ActiveSkinRect;
  HDownSkinRect = IsNullRect(d->DownSkinRect) ? HActiveSkinRect : d->DownSkinRect;
  if (!RectInsidePicture(HSkinRect, HPicture)) HPicture = nullptr;
}

TRect TvlSkinCustomListView::SectionRect(int Index) const {
  TRect r{};
  if (FHeaderHandle) SendMessage(FHeaderHandle, HDM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return r;
}

void TvlSkinCustomListView::DrawHeaderFace(TBitmap* B, bool Pressed, bool OpenRight) {
  const int w = B->Width(), h = B->Height();
  if (!HPicture) {
    DrawBuiltinFace(B->Canvas(), TRect{0, 0, w, h}, Pressed ? clNavy : clBtnShadow,
                    Pressed ? kBuiltinDownFill : clBtnFace);
    return;
  }
  const TRect image = Pressed ? HDownSkinRect : HSkinRect;
  const int dw = w - HSkinRect.Width(), dh = h - HSkinRect.Height();
  TBitmap face;
  if (HLBPt.X != 0 || HLBPt.Y != 0) {
    const auto g = TvlNinePartGeometry::Grown(HLTPt, HRTPt, HLBPt, HRBPt, HClRect, dw, dh);
    const TvlClientFill fill{.Draw = true, .Stretch = HStretchEffect, .Type = HStretchType};
    if (OpenRight)
      ComposeSkinImageOpenRight(g, &face, HPicture, image, w, h, HSides, fill);
    else
      ComposeSkinImage(g, &face, HPicture, image, w, h, HSides, fill);
  } else if (OpenRight) {
    ComposeSkinStripOpenRight(HLTPt.X, image.Width() - HRTPt.X, &face, HPicture, image, w, image.Height(),
                              HStretchEffect);
  } else {
    ComposeSkinStrip(HLTPt.X, image.Width() - HRTPt.X, &face, HPicture, image, w, image.Height(), HStretchEffect);
  }
  if (!face.Empty()) B->Canvas()->StretchDraw(TRect{0, 0, w, h}, &face);
}

void TvlSkinCustomListView::DrawSection(HDC DC, int Index, const TRect& R, bool Pressed) {
  if (IsNullRect(R) || Index >= Columns()->Count()) return;
  TBitmap b;
  PrepareBitmap(&b, R.Width(), R.Height());
  if (b.Empty()) return;
  DrawHeaderFace(&b, Pressed, false);
  TCanvas* c = b.Canvas();
  c->Font()->Assign(Font());
  c->Font()->SetColor(HPicture ? (Pressed ? HDownFontColor : HFontColor) : clBtnText);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  TListColumn* column = Columns()->Items(Index);
  const TRect local{0, 0, R.Width(), R.Height()};
  if (OnDrawHeaderSection) {
    OnDrawHeaderSection(c, column, Pressed, local);
  } else {
    const TRect inner{5, 0, R.Width() - 5, R.Height()};
    std::string text = column->Caption();
    TCustomImageList* images = SmallImages();
    const bool image = images && column->ImageIndex() >= 0 && column->ImageIndex() < images->Count();
    const int imageWidth = image ? images->Width() : 0;
    const std::string whole = text;
    FitTextWithEllipsis(c, text, inner.Width() - (image ? imageWidth + 10 : 0));
    const int textWidth = c->TextWidth(text), textHeight = c->TextHeight(text.empty() ? "Wg" : text);
    int x = inner.Left;
    // A shortened caption is always drawn from the left.
    if (text == whole) {
      const int content = textWidth + (image ? imageWidth + 10 : 0);
      if (column->Alignment() == TAlignment::taRightJustify) x = inner.Right - content;
      if (column->Alignment() == TAlignment::taCenter) x = inner.Left + inner.Width() / 2 - content / 2;
    }
    if (image) {
      images->Draw(c, x, inner.Top + inner.Height() / 2 - images->Height() / 2, column->ImageIndex());
      x += imageWidth + 10;
    }
    c->TextRect(inner, x, inner.Top + inner.Height() / 2 - textHeight / 2, text);
  }
  BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), c->Handle(), 0, 0, SRCCOPY);
}

void TvlSkinCustomListView::PaintHeader(HDC DC) {
  if (!FHeaderHandle || !DC) return;
  GetHeaderSkin();
  const int count = static_cast<int>(SendMessage(FHeaderHandle, HDM_GETITEMCOUNT, 0, 0));
  int right = 0;
  for (int i = 0; i < count; ++i) {
    const TRect r = SectionRect(i);
    DrawSection(DC, i, r, i == FActiveSection && FHeaderDown);
    right = std::max(right, r.Right);
  }
  TRect window{};
  GetClientRect(FHeaderHandle, &window);
  // The rest of the header right of the last section, open at its right end.
  const TRect rest{right, 0, window.Right + 1, window.Bottom};
  if (IsNullRect(rest)) return;
  TBitmap b;
  PrepareBitmap(&b, rest.Width(), rest.Height());
  if (b.Empty()) return;
  if (HPicture)
    DrawHeaderFace(&b, false, true);
  else
    DrawBuiltinFace(b.Canvas(), TRect{0, 0, rest.Width(), rest.Height()}, clBtnShadow, clBtnFace);
  BitBlt(DC, rest.Left, rest.Top, rest.Width(), rest.Height(), b.Canvas()->Handle(), 0, 0, SRCCOPY);
}
