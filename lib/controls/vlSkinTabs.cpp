#include "lib/controls/vlSkinTabs.h"

#include <algorithm>
#include <utility>

#include "lib/data/vlDataSkinControls.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/ImageList.h"

using namespace vlskinctrls_detail;

// ---- Tab sheet -----------------------------------------------------------------------------------

TvlSkinCustomTabSheet::TvlSkinCustomTabSheet(TComponent* AOwner)
    : TTabSheet(AOwner), FWallPaper(std::make_unique<TBitmap>()) {
  TControlStyle s = ControlStyle();
  s.Include(TControlStyleFlag::csAcceptsControls);
  s.Include(TControlStyleFlag::csNoDesignVisible);
  SetControlStyle(s);
  SetVisible(false);
}

TvlSkinCustomTabSheet::~TvlSkinCustomTabSheet() { SetPageControl(nullptr); }

void TvlSkinCustomTabSheet::SetWallPaper(TBitmap* Value) {
  if (Value != nullptr) FWallPaper->Assign(Value);
  else FWallPaper = std::make_unique<TBitmap>();
}

TvlSkinPageControl* TvlSkinCustomTabSheet::SkinPageControl() const {
  return dynamic_cast<TvlSkinPageControl*>(PageControl());
}

void TvlSkinCustomTabSheet::PaintBG(HDC DC) {
  if (Width() < 1 || Height() < 1 || Parent() == nullptr) return;
  TvlSkinPageControl* pc = SkinPageControl();
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  if (!FWallPaper->Empty()) {
    TileOver(&b, FWallPaper.get(), Width(), Height());
  } else if (pc != nullptr) {
    pc->PaintPagesBG(b.Canvas(), Width(), Height());
  } else {
    b.Canvas()->Brush()->SetColor(clBtnFace);
    b.Canvas()->FillRect(TRect{0, 0, Width(), Height()});
  }
  TCanvas c;
  c.SetHandle(DC);
  c.Draw(0, 0, &b);
  c.SetHandle(nullptr);
}

void TvlSkinCustomTabSheet::WMEraseBkgnd(TMessage& Message) {
  PaintBG(reinterpret_cast<HDC>(Message.WParam));
  Message.Result = 1;
}

void TvlSkinCustomTabSheet::WndProc(TMessage& Message) {
  if (Message.Msg == WM_vlPaintFrameToDC) {
    Message.Result = vlPaintFrameToDCAnswer;
    return;
  }
  TTabSheet::WndProc(Message);
  if (Message.Msg == WM_SIZE) {
    Invalidate();
    TvlSkinPageControl* pc = SkinPageControl();
    if (pc != nullptr && pc->FIndex >= 0 && pc->StretchEffect)
      for (int i = 0; i < ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w != nullptr && w->HandleAllocated())
          w->Perform(WM_vlParentMoved, 0, 0);
  }
}

// ---- Page control: skin --------------------------------------------------------------------------

TvlSkinPageControl::TvlSkinPageControl(TComponent* AOwner)
    : TPageControl(AOwner), FTempImages(std::make_unique<TCustomImageList>(nullptr)),
      FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetStyle({});
  FDefaultFont->SetColor(clBtnText);
  FDefaultFont->SetHeight(14);
  Font()->Assign(FDefaultFont.get());
  FTempImages->SetSize(1, 1);
  TPageControl::SetImages(FTempImages.get());
}

TvlSkinPageControl::~TvlSkinPageControl() {
  TPageControl::SetImages(nullptr);
}

void TvlSkinPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TPageControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FSkinUpDown) FSkinUpDown = nullptr;
}

void TvlSkinPageControl::SetSkinData(TvlSkinData* Value) {
  if (FSD != nullptr) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD != nullptr) FSD->FreeNotification(this);
  if (FSD != nullptr && !FSD->Empty) ChangeSkinData();
}

TvlDataSkinTabControl* TvlSkinPageControl::Element() const {
  return dynamic_cast<TvlDataSkinTabControl*>(vlControlElement(FSD, FIndex));
}

void TvlSkinPageControl::GetSkinData() {
  BGPictureIndex = -1;
  FIndex = vlFindControlElement(FSD, FSkinDataName);
  TvlDataSkinTabControl* e = Element();
  if (e == nullptr) {
    FIndex = -1;
    return;
  }
  Picture = vlSkinPicture(FSD, e->PictureIndex);
  SkinRect = e->SkinRect;
  ClRect = e->ClRect;
  TabRect = e->TabRect;
  ActiveTabRect = IsNullRect(e->ActiveTabRect) ? e->TabRect : e->ActiveTabRect;
  FocusTabRect = IsNullRect(e->FocusTabRect) ? ActiveTabRect : e->FocusTabRect;
  MouseInTabRect = e->MouseInTabRect;
  TabsBGRect = e->TabsBGRect;
  LTPoint = e->LTPoint, RTPoint = e->RTPoint, LBPoint = e->LBPoint, RBPoint = e->RBPoint;
  TabLeftOffset = e->TabLeftOffset, TabRightOffset = e->TabRightOffset;
  FontName = e->FontName, FontStyle = e->FontStyle, FontHeight = e->FontHeight;
  FontColor = e->FontColor, ActiveFontColor = e->ActiveFontColor;
  FocusFontColor = e->FocusFontColor, MouseInFontColor = e->MouseInFontColor;
  UpDown = e->UpDown;
  BGPictureIndex = e->BGPictureIndex;
  TabStretchEffect = e->TabStretchEffect;
  ShowFocus = e->ShowFocus, FocusOffsetX = e->FocusOffsetX, FocusOffsetY = e->FocusOffsetY;
  StretchEffect = e->StretchEffect, StretchType = e->StretchType;
  LeftStretch = e->LeftStretch, TopStretch = e->TopStretch, RightStretch = e->RightStretch;
  BottomStretch = e->BottomStretch;
  // The fallbacks of the hover and pressed close images stay with this control: the skin's
  // description is shared and is written back as it was read.
  CloseButtonRect = e->CloseButtonRect;
  ClosebuttonActiveRect = IsNullRect(e->CloseButtonActiveRect) ? CloseButtonRect : e->CloseButtonActiveRect;
  CloseButtonDownRect = IsNullRect(e->CloseButtonDownRect) ? ClosebuttonActiveRect : e->CloseButtonDownRect;
  ButtonTransparent = e->ButtonTransparent;
  ButtonTransparentColor = e->ButtonTransparentColor;
}

int TvlSkinPageControl::RequestedTabHeight() const {
  // The tab control keeps the size set last as its TabHeight; only a height set from outside
  // counts as asked for.
  return TabHeight() == FItemHeightSet ? 0 : TabHeight();
}

int TvlSkinPageControl::ItemHeightNow() const {
  if (RequestedTabHeight() > 0) return RequestedTabHeight();
  if (FIndex < 0) return FDefaultItemHeight;
  return RectHeight(TabRect) > 0 ? RectHeight(TabRect) : FDefaultItemHeight;
}

void TvlSkinPageControl::SetItemSize() {
  if (FHideTabs) return;
  const int h = ItemHeightNow();
  FItemHeightSet = h;
  Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(static_cast<WORD>(TabWidth()), static_cast<WORD>(h)));
}

void TvlSkinPageControl::SetReservedRoom(int Delta) {
  const bool vertical = Vertical();
  int w = FTempImages->Width(), h = FTempImages->Height();
  if (vertical) h = std::max(1, h + Delta);
  else w = std::max(1, w + Delta);
  FTempImages->SetSize(w, h);
  TPageControl::SetImages(nullptr);
  TPageControl::SetImages(FTempImages.get());
}

void TvlSkinPageControl::ChangeSkinData() {
  GetSkinData();
  TvlDataSkinTabControl* e = Element();
  if (FShowCloseButtons) {
    const int size = (e != nullptr && !IsNullRect(CloseButtonRect)) ? RectWidth(CloseButtonRect) : 14;
    SetReservedRoom(size - FCloseSize);
    FCloseSize = size;
  }
  if (e == nullptr) {
    Font()->Assign(FDefaultFont.get());
    ApplySkinCharset(Font(), FSD, FDefaultFont.get());
  } else {
    ApplyElementFont(Font(), FSD, FontName, FontStyle, FontHeight, FontColor, FDefaultFont.get(), UseSkinFont);
    Font()->SetColor(FontColor);
  }
  SetItemSize();
  if (FSkinUpDown != nullptr) {
    delete FSkinUpDown;
    FSkinUpDown = nullptr;
  }
  PlacePages();
  CheckUpDown();
  Invalidate();
  if (ActivePage() != nullptr) ActivePage()->Invalidate();
}

void TvlSkinPageControl::UpDateTabs() {
  SetItemSize();
  if (MultiLine() && FSkinUpDown != nullptr) {
    delete FSkinUpDown;
    FSkinUpDown = nullptr;
  }
  PlacePages();
}

void TvlSkinPageControl::SetDefaultItemHeight(int Value) {
  FDefaultItemHeight = Value;
  if (FIndex < 0) {
    SetItemSize();
    PlacePages();
  }
}

// ---- Page control: properties --------------------------------------------------------------------

void TvlSkinPageControl::SetTabExtendedDraw(bool Value) {
  FTabExtendedDraw = Value;
  Invalidate();
}

void TvlSkinPageControl::SetTabMargin(int Value) {
  if (Value == FTabMargin || Value < -1) return;
  FTabMargin = Value;
  Invalidate();
}

void TvlSkinPageControl::SetTabSpacing(int Value) {
  if (Value == FTabSpacing) return;
  FTabSpacing = Value;
  Invalidate();
}

void TvlSkinPageControl::SetTabLayout(TvlButtonLayout Value) {
  if (Value == FTabLayout) return;
  FTabLayout = Value;
  Invalidate();
}

void TvlSkinPageControl::SetTextInHorizontal(bool Value) {
  FTextInHorizontal = Value;
  Invalidate();
}

void TvlSkinPageControl::SetTabsBGTransparent(bool Value) {
  if (Value == FTabsBGTransparent) return;
  FTabsBGTransparent = Value;
  Invalidate();
}

void TvlSkinPageControl::SetTabsInCenter(bool Value) {
  if (TabWidth() == 0) return;
  FTabsInCenter = Value;
  if (Value) {
    SetTabPosition(TTabPosition::tpTop);
    SetMultiLine(false);
    FTabsBGTransparent = true;
  }
  Invalidate();
}

void TvlSkinPageControl::SetTabsOffset(int Value) {
  FTabsOffset = Value;
  if (Value > 0) {
    SetTabPosition(TTabPosition::tpTop);
    SetMultiLine(false);
    FTabsBGTransparent = true;
  }
  Invalidate();
}

int TvlSkinPageControl::TabsOffset() const {
  if (FTabsOffset > 0) return FTabsOffset;
  if (TabWidth() == 0) return 0;
  return std::max(0, Width() / 2 - (VisibleTabCount() * TabWidth()) / 2);
}

void TvlSkinPageControl::SetShowCloseButtons(bool Value) {
  if (Value == FShowCloseButtons) return;
  FShowCloseButtons = Value;
  SetReservedRoom(Value ? FCloseSize : -FCloseSize);
  Invalidate();
}

void TvlSkinPageControl::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  const bool vertical = Vertical();
  const int old = FImages == nullptr ? 0 : (vertical ? FImages->Height() : FImages->Width());
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages != nullptr) FImages->FreeNotification(this);
  const int now = FImages == nullptr ? 0 : (vertical ? FImages->Height() : FImages->Width());
  SetReservedRoom(now - old);
  Invalidate();
}

// ---- Page control: tabs ----------------------------------------------------------------------------

bool TvlSkinPageControl::Vertical() const {
  return TabPosition() == TTabPosition::tpLeft || TabPosition() == TTabPosition::tpRight;
}

int TvlSkinPageControl::VisibleTabCount() const {
  int n = 0;
  for (int i = 0; i < PageCount(); ++i)
    if (Pages(i)->TabVisible()) ++n;
  return n;
}

TvlSkinCustomTabSheet* TvlSkinPageControl::PageOfTab(int VisibleIndex) const {
  for (int i = 0; i < PageCount(); ++i)
    if (Pages(i)->TabIndex() == VisibleIndex) return dynamic_cast<TvlSkinCustomTabSheet*>(Pages(i));
  return nullptr;
}

TRect TvlSkinPageControl::ItemRect(int Index) {
  TRect r{};
  Perform(TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return r;
}

void TvlSkinPageControl::HideTabs() {
  if (FOldTabHeight != -1 || VisibleTabCount() == 0) return;
  FHideTabs = true;
  FOLdTabPosition = TabPosition();
  FOldMultiLine = MultiLine();
  if (Vertical()) SetTabPosition(TTabPosition::tpTop);
  SetMultiLine(false);
  FOldTabHeight = TabHeight();
  SetTabHeight(1);
  if (FSkinUpDown != nullptr) {
    delete FSkinUpDown;
    FSkinUpDown = nullptr;
  }
  PlacePages();
}

void TvlSkinPageControl::ShowTabs() {
  if (FOldTabHeight == -1) return;
  SetTabPosition(FOLdTabPosition);
  SetMultiLine(FOldMultiLine);
  FHideTabs = false;
  const int old = FOldTabHeight;
  FOldTabHeight = -1;
  SetTabHeight(old);
  if (old <= 0) {
    GetSkinData();
    SetItemSize();
  }
  if (!MultiLine()) CheckUpDown();
  PlacePages();
}

void TvlSkinPageControl::HideBorderAndTabs() {
  SetTabPosition(TTabPosition::tpTop);
  FHideTabs = true;
  FHideBorder = true;
  if (FSkinUpDown != nullptr) {
    delete FSkinUpDown;
    FSkinUpDown = nullptr;
  }
  PlacePages();
}

void TvlSkinPageControl::ShowBorderAndTabs() {
  FHideTabs = false;
  FHideBorder = false;
  ShowTabs();
  PlacePages();
}

// ---- Page control: geometry ------------------------------------------------------------------------

TRect TvlSkinPageControl::FrameRect() const {
  TRect band = DisplayRect();
  // The platform keeps a 2-pixel margin inside the tab band's edge.
  band = TRect{band.Left - 2, band.Top - 2, band.Right + 2, band.Bottom + 2};
  if (FHideTabs || FHideBorder) band = ClientRect();
  return band;
}

TRect TvlSkinPageControl::PagesRect() const {
  if (FHideBorder) return ClientRect();
  const TRect f = FrameRect();
  if (FIndex >= 0) {
    const int r = RectWidth(SkinRect) - ClRect.Right, b = RectHeight(SkinRect) - ClRect.Bottom;
    return TRect{f.Left + ClRect.Left, f.Top + ClRect.Top, f.Right - r, f.Bottom - b};
  }
  return TRect{f.Left + 1, f.Top + 1, f.Right - 1, f.Bottom - 1};
}

void TvlSkinPageControl::PlacePages() {
  if (FPlacing) return;
  FPlacing = true;
  const TRect r = PagesRect();
  for (int i = 0; i < PageCount(); ++i)
    if (Pages(i)->BoundsRect() != r) Pages(i)->SetBoundsRect(r);
  FPlacing = false;
  Invalidate();
}

void TvlSkinPageControl::TabsLaidOut() {
  TPageControl::TabsLaidOut();
  // The skinned up-down stands in for the platform's scroller.
  if (const HWND scroller = ScrollerHandle(); scroller != nullptr)
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w != nullptr && w != FSkinUpDown &&
                                                             w->HandleAllocated() && w->Handle() == scroller)
        w->Hide();
  if (FIndex < 0 && FSD != nullptr) GetSkinData();
  PlacePages();
  if (!MultiLine() && HandleAllocated() && !FCheckingUpDown) {
    FCheckingUpDown = true;
    CheckUpDown();
    FCheckingUpDown = false;
  }
}

void TvlSkinPageControl::Change() {
  if (FSkinUpDown != nullptr) FSkinUpDown->SetPosition(HiddenOnTheLeft());
  TPageControl::Change();
  PlacePages();
  if (ActivePage() != nullptr) ActivePage()->Invalidate();
}

int TvlSkinPageControl::HiddenOnTheLeft() {
  int n = 0;
  for (int i = 0; i < VisibleTabCount(); ++i)
    if (TPageControl::TabRect(i).Right <= 0) ++n;
  return n;
}

int TvlSkinPageControl::NotFullyShown() {
  int n = 0;
  for (int i = 0; i < VisibleTabCount(); ++i) {
    const int right = TPageControl::TabRect(i).Right;
    if (right <= 0 || right > Width() - 3) ++n;
  }
  return n;
}

void TvlSkinPageControl::CheckUpDown() {
  const int notShown = NotFullyShown();
  if ((notShown == 0 || MultiLine()) && FSkinUpDown != nullptr) {
    delete FSkinUpDown;
    FSkinUpDown = nullptr;
  }
  if (notShown > 0 && !MultiLine() && FSkinUpDown == nullptr && !FHideTabs && !Vertical()) {
    FSkinUpDown = new TvlSkinUpDown(this);
    FSkinUpDown->SetParent(this);
    FSkinUpDown->UseSkinSize = false;
    FSkinUpDown->SetOrientation(TUDOrientation::udHorizontal);
    FSkinUpDown->SetMin(0);
    FSkinUpDown->SetMax(notShown);
    FSkinUpDown->Increment = 1;
    FSkinUpDown->SetBounds(0, 0, 2 * FDefaultItemHeight, FDefaultItemHeight);
    if (!UpDown.empty()) FSkinUpDown->SetSkinDataName(UpDown);
    FSkinUpDown->SetSkinData(FSD);
    FSkinUpDown->SetPosition(HiddenOnTheLeft());
    FSkinUpDown->OnChange = [this](TObject* Sender) { UpDownChange(Sender); };
  }
  if (FSkinUpDown != nullptr) {
    FSkinUpDown->SetMax(notShown);
    const int top = TabPosition() == TTabPosition::tpTop ? 0 : Height() - FSkinUpDown->Height();
    FSkinUpDown->SetBounds(Width() - FSkinUpDown->Width(), top, FSkinUpDown->Width(), FSkinUpDown->Height());
    FSkinUpDown->Show();
  }
}

void TvlSkinPageControl::UpDownChange(TObject*) {
  if (FSkinUpDown == nullptr) return;
  FSkinUpDown->SetMax(NotFullyShown());
  Perform(WM_HSCROLL, static_cast<WPARAM>(MAKELPARAM(SB_THUMBPOSITION, static_cast<WORD>(FSkinUpDown->Position()))), 0);
}

// ---- Page control: messages ------------------------------------------------------------------------

void TvlSkinPageControl::WndProc(TMessage& Message) {
  const bool shifted = Shifted();
  switch (Message.Msg) {
    case WM_vlPaintFrameToDC: Message.Result = vlPaintFrameToDCAnswer; return;
    case WM_vlParentMoved:
      if (FTabsBGTransparent) Invalidate();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      if (shifted) {
        const auto lp = static_cast<std::uintptr_t>(Message.LParam);
        const int x = static_cast<short>(LOWORD(lp)) - TabsOffset(), y = static_cast<short>(HIWORD(lp));
        Message.LParam = MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
      }
      break;
    case TCM_HITTEST:
      if (shifted && Message.LParam != 0) reinterpret_cast<TCHITTESTINFO*>(Message.LParam)->pt.X -= TabsOffset();
      break;
    case WM_SIZE: GetSkinData(); break;
    default: break;
  }
  TPageControl::WndProc(Message);
  switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (shifted) Invalidate();
      break;
    case TCM_GETITEMRECT:
      if (Message.Result != 0 && shifted && TabPosition() == TTabPosition::tpTop) {
        auto* r = reinterpret_cast<TRect*>(Message.LParam);
        const int dx = TabsOffset();
        *r = TRect{r->Left + dx, r->Top, r->Right + dx, r->Bottom};
      }
      break;
    case TCM_SETCURSEL:
      if (!Loading()) Invalidate();
      break;
    case WM_SIZE:
      if (!MultiLine()) CheckUpDown();
      PlacePages();
      break;
    case WM_HSCROLL: Invalidate(); break;
    case WM_MOUSEWHEEL: {
      if (!FMouseWheelSupport) break;
      const int delta = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(Message.WParam)));
      const int from = ActivePageIndex();
      const int step = delta < 0 ? 1 : -1;
      if (delta == 0 || from < 0) break;
      for (int i = from + step; i >= 0 && i < PageCount(); i += step)
        if (Pages(i)->TabVisible()) {
          SetActivePageIndex(i);
          break;
        }
      break;
    }
    default: break;
  }
}

void TvlSkinPageControl::WMEraseBkgnd(TMessage& Message) {
  if (ActivePage() != nullptr && ActivePage()->TabVisible()) {
    Message.Result = 1;
    return;
  }
  GetSkinData();
  if (FIndex < 0) {
    TPageControl::WMEraseBkgnd(Message);
    return;
  }
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  PaintPagesBG(b.Canvas(), Width(), Height());
  TCanvas c;
  c.SetHandle(reinterpret_cast<HDC>(Message.WParam));
  c.Draw(0, 0, &b);
  c.SetHandle(nullptr);
  Message.Result = 1;
}

void TvlSkinPageControl::PaintPagesBG(TCanvas* C, int W, int H) {
  GetSkinData();
  TBitmap piece;
  if (FIndex >= 0) {
    TBitmap* bg = vlSkinPicture(FSD, BGPictureIndex);
    bool have = false;
    if (bg != nullptr) {
      piece.Assign(bg);
      have = true;
    } else if (Picture != nullptr) {
      const TRect cl{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                     SkinRect.Top + ClRect.Bottom};
      have = CopyPiece(&piece, Picture, cl);
    }
    if (have) {
      TBitmap over;
      if (StretchEffect) StretchOver(&over, &piece, W, H, StretchType);
      else TileOver(&over, &piece, W, H);
      C->Draw(0, 0, &over);
      return;
    }
  }
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect{0, 0, W, H});
}
