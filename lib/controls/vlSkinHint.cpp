// Skinned tooltips: the hint window (size, placement, region, fade-in, painting in the skin or
// the built-in look) and the hint component (installation, settings, tooltips on demand).
//
// Skin look (window coordinates): the hint picture is composed as a nine-part image for the
// tooltip's size; NewClRect is the description's ClRect grown by the same amount and holds the
// text (title and image above and beside it in the extended layout).

#include "lib/controls/vlSkinHint.h"

#include <algorithm>

#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Screen.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

constexpr UINT kFadeInterval = 4;  // more than 3 ms between fade steps
constexpr int kShortPause = 100;

// The handler the component puts in the application's OnShowHint. Recognised by its type, so a
// component takes out only its own; once the component is gone it hands every tooltip to the
// handler it replaced.
struct ShowHintForwarder {
  TWeak<TvlSkinHint> Owner;
  TShowHintEvent Previous;
  void operator()(std::string& HintStr, bool& CanShow, THintInfo& HintInfo) const {
    if (TvlSkinHint* h = Owner.Get())
      h->ShowHintHandler(HintStr, CanShow, HintInfo);
    else if (Previous)
      Previous(HintStr, CanShow, HintInfo);
  }
};

bool IsOurs(const TShowHintEvent& Handler, const TvlSkinHint* Hint) {
  const ShowHintForwarder* f = Handler.target<ShowHintForwarder>();
  return f && f->Owner.Get() == Hint;
}

TSize TextSize(TCanvas* C, const std::string& Text) {
  TRect r{0, 0, 0, 0};
  DrawTextWide(C, Text, r, DT_CALCRECT);
  return TSize{RectWidth(r), RectHeight(r)};
}

// The skin of a tooltip with these settings: their skin when it is loaded and has a hint picture,
// else nullptr (the built-in look).
TvlSkinData* SkinLookOf(TvlSkinHint* Settings) {
  TvlSkinData* sd = Settings->SkinData();
  if (!sd || sd->Empty || !sd->HintWindow) return nullptr;
  return vlSkinPicture(sd, sd->HintWindow->WindowPictureIndex) ? sd : nullptr;
}

bool HasImage(TCustomImageList* List, int Index) { return List && Index >= 0 && Index < List->Count(); }

// The work area a tooltip keeps inside: the active form's monitor, else the visible main form's,
// else the screen from (0, 0).
TRect HintWorkArea() {
  TRect r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  TCustomForm* form = Screen()->ActiveForm();
  if (!form) {
    auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm());
    if (main && main->Visible()) form = main;
  }
  if (form && form->HandleAllocated()) GetMonitorWorkArea(form->Handle(), true, r);
  return r;
}

}  // namespace

TvlSkinHint* vlFindHintComponent() {
  TComponent* main = Application()->MainForm();
  if (!main) return nullptr;
  for (int i = 0; i < main->ComponentCount(); ++i)
    if (auto* h = dynamic_cast<TvlSkinHint*>(main->Components(i)); h && h->Active()) return h;
  return nullptr;
}

// ---- The window ---------------------------------------------------------------------------------

TvlSkinHintWindow::TvlSkinHintWindow(TComponent* AOwner) : THintWindow(AOwner) {
  FFadeTimer = new TTimer(this);
  FFadeTimer->SetEnabled(false);
  FFadeTimer->SetInterval(kFadeInterval);
  FFadeTimer->OnTimer = [this](TObject*) { FadeStep(); };
}

TvlSkinHintWindow::~TvlSkinHintWindow() = default;

void TvlSkinHintWindow::CreateParams(TCreateParams& P) {
  THintWindow::CreateParams(P);
  P.Style &= ~WS_BORDER;
  if (IsXPOrLater()) P.WindowClass.style |= CS_DROPSHADOW;
}

void TvlSkinHintWindow::Dispatch(TMessage& M) {
  if (M.Msg == WM_NCPAINT) return;  // no border
  if (M.Msg == WM_ERASEBKGND) {
    M.Result = 1;
    return;
  }
  THintWindow::Dispatch(M);
}

TBitmap* TvlSkinHintWindow::SkinPicture() const {
  return FSD && FSD->HintWindow ? vlSkinPicture(FSD, FSD->HintWindow->WindowPictureIndex) : nullptr;
}

void TvlSkinHintWindow::PrepareFont(TFont* F) const {
  TvlSkinHint* h = FspHint.Get();
  if (!h) return;
  if (FSD && h->UseSkinFont) {
    const TvlDataSkinHintWindow& d = *FSD->HintWindow;
    F->SetHeight(d.FontHeight);
    F->SetName(d.FontName);
    F->SetStyle(d.FontStyle);
  } else {
    F->Assign(h->DefaultFont());
  }
  TvlSkinData* sd = h->SkinData();
  if (sd && sd->ResourceStrData())
    F->SetCharset(sd->ResourceStrData()->CharSet);
  else
    F->SetCharset(h->DefaultFont()->Charset());
}

void TvlSkinHintWindow::FitSkinGeometry(int& W, int& H) {
  TBitmap* picture = SkinPicture();
  if (!picture) {
    W += 4;
    H += 4;
    return;
  }
  const TvlDataSkinHintWindow& d = *FSD->HintWindow;
  const int pw = picture->Width(), ph = picture->Height();
  H += d.ClRect.Top + ph - d.ClRect.Bottom;
  int dw = W - pw, dh = H - ph;
  // The corners keep their size: a small tooltip grows until the corner points no longer cross.
  if (d.RTPoint.X + dw < d.LTPoint.X) {
    W += d.LTPoint.X - d.RTPoint.X - dw;
    dw = W - pw;
  }
  if (d.RBPoint.X + dw < d.LBPoint.X) {
    W += d.LBPoint.X - d.RBPoint.X - dw;
    dw = W - pw;
  }
  if (d.LBPoint.Y + dh < d.LTPoint.Y) {
    H += d.LTPoint.Y - d.LBPoint.Y - dh;
    dh = H - ph;
  }
  if (d.RBPoint.Y + dh < d.RTPoint.Y) {
    H += d.RTPoint.Y - d.RBPoint.Y - dh;
    dh = H - ph;
  }
  NewClRect = TRect{d.ClRect.Left, d.ClRect.Top, d.ClRect.Right + dw, d.ClRect.Bottom + dh};
  NewLTPoint = d.LTPoint;
  NewRTPoint = TPoint{d.RTPoint.X + dw, d.RTPoint.Y};
  NewLBPoint = TPoint{d.LBPoint.X, d.LBPoint.Y + dh};
  NewRBPoint = TPoint{d.RBPoint.X + dw, d.RBPoint.Y + dh};
}

TSize TvlSkinHintWindow::CalcHintSize(TCanvas* C, const std::string& Text) {
  const TSize t = TextSize(C, Text);
  int w = t.cx, h = t.cy;
  if (TBitmap* picture = SkinPicture()) {
    const TvlDataSkinHintWindow& d = *FSD->HintWindow;
    w += d.ClRect.Left + picture->Width() - d.ClRect.Right + 5;
  }
  FitSkinGeometry(w, h);
  return TSize{w, h};
}

TSize TvlSkinHintWindow::CalcHintSizeEx(TCanvas* C, const std::string& Text, const std::string& Title,
                                        TCustomImageList* ImageList, int ImageIndex) {
  const TSize t = TextSize(C, Text);
  int w = t.cx, h = t.cy, titleHeight = 0;
  if (!Title.empty()) {
    const TFontStyles plain = C->Font()->Style();
    TFontStyles bold = plain;
    bold.Include(TFontStyle::fsBold);
    C->Font()->SetStyle(bold);
    const TSize title = TextSize(C, Title);
    C->Font()->SetStyle(plain);
    h += title.cy + 10;
    w = std::max(w, title.cx);
    titleHeight = title.cy;
  }
  if (HasImage(ImageList, ImageIndex)) {
    w += ImageList->Width() + 10;
    h = std::max(h, ImageList->Height() + titleHeight + 5);
  }
  if (TBitmap* picture = SkinPicture()) {
    const TvlDataSkinHintWindow& d = *FSD->HintWindow;
    w += d.ClRect.Left + picture->Width() - d.ClRect.Right + 10;
  }
  FitSkinGeometry(w, h);
  return TSize{w, h};
}

void TvlSkinHintWindow::SetHintRegion() {
  HWND h = Handle();
  TBitmap* mask = FSD ? vlSkinPicture(FSD, FSD->HintWindow->MaskPictureIndex) : nullptr;
  HRGN rgn = nullptr;
  if (mask) {
    const TvlDataSkinHintWindow& d = *FSD->HintWindow;
    const TvlNinePartGeometry g{d.LTPoint,  d.RTPoint,  d.LBPoint,  d.RBPoint,  d.ClRect,
                                NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
    CreateSkinRegion(rgn, g, mask, Width(), Height());
  }
  if (rgn) {
    SetWindowRgn(h, rgn, FALSE);  // the window owns it from here on
    FRegionSet = true;
  } else if (FRegionSet) {
    SetWindowRgn(h, nullptr, FALSE);
    FRegionSet = false;
  }
}

void TvlSkinHintWindow::ShowAt(TRect R) {
  TvlSkinHint* settings = FspHint.Get();
  const int w = RectWidth(R), h = RectHeight(R);
  // The tooltip flips to the other side of its anchor rather than being clamped.
  const TRect area = HintWorkArea();
  if (R.Right > area.Right) R = TRect{R.Left - w - 2, R.Top, R.Right - w - 2, R.Bottom};
  if (R.Bottom > area.Bottom) R = TRect{R.Left, R.Top - h - 2, R.Right, R.Bottom - h - 2};
  SetBoundsRect(R);
  HWND hw = Handle();
  if (IsWin2000OrLater()) {
    const auto ex = static_cast<DWORD>(GetWindowLong(hw, GWL_EXSTYLE));
    if (settings->AlphaBlend && !FOldAlphaBlend)
      SetWindowLong(hw, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    else if (!settings->AlphaBlend && FOldAlphaBlend)
      SetWindowLong(hw, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    FOldAlphaBlend = settings->AlphaBlend;
    if (settings->AlphaBlend && settings->AlphaBlendAnimation) SetWindowAlpha(hw, 0);
    if (settings->AlphaBlend && settings->AlphaBlendValue != FOldAlphaBlendValue) {
      if (!settings->AlphaBlendAnimation) SetWindowAlpha(hw, settings->AlphaBlendValue);
      FOldAlphaBlendValue = settings->AlphaBlendValue;
    }
  }
  SetHintRegion();
  SetWindowPos(hw, HWND_TOPMOST, R.Left, R.Top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  Invalidate();
  if (IsWin2000OrLater() && settings->AlphaBlend && settings->AlphaBlendAnimation) {
    // The fade-in steps on the clock; nothing waits for it.
    FFadeAlpha = 0;
    FFadeEnd = settings->AlphaBlendValue;
    FFadeTimer->SetEnabled(true);
  } else {
    FFadeTimer->SetEnabled(false);
  }
}

void TvlSkinHintWindow::FadeStep() {
  const int step = std::max(1, FFadeEnd / 15);
  FFadeAlpha = std::min(FFadeEnd, FFadeAlpha + step);
  Invalidate();
  if (HandleAllocated()) SetWindowAlpha(Handle(), static_cast<BYTE>(FFadeAlpha));
  if (FFadeAlpha >= FFadeEnd) FFadeTimer->SetEnabled(false);
}

TSize TvlSkinHintWindow::PrepareText(TvlSkinHint* Settings, const std::string& AHint, const std::string& Title,
                                     TCustomImageList* ImageList, int ImageIndex) {
  FSD = SkinLookOf(Settings);
  const std::string text = Settings->ApplyLineSeparator(AHint);
  SetCaption(text);
  TBitmap measure;
  measure.SetSize(1, 1);
  PrepareFont(measure.Canvas()->Font());
  if (AExtendedStyle) return CalcHintSizeEx(measure.Canvas(), text, Title, ImageList, ImageIndex);
  return CalcHintSize(measure.Canvas(), text);
}

void TvlSkinHintWindow::ActivateHint(TRect Rect, const std::string& AHint) {
  AExtendedStyle = false;
  FspHint = vlFindHintComponent();
  TvlSkinHint* settings = FspHint.Get();
  if (!settings) return;
  if (!settings->FHintTitle.empty() || settings->HintImageList()) {
    ActivateHintEx(Rect, settings->FHintTitle, AHint, settings->FHintImageIndex, settings->HintImageList());
    return;
  }
  const TSize size = PrepareText(settings, AHint, std::string(), nullptr, -1);
  ShowAt(TRect{Rect.Left, Rect.Top, Rect.Left + size.cx, Rect.Top + size.cy});
}

void TvlSkinHintWindow::ActivateHintEx(TRect Rect, const std::string& AHintTitle, const std::string& AHint,
                                       int AImageIndex, TCustomImageList* AImageList) {
  AExtendedStyle = true;
  FspHint = vlFindHintComponent();
  TvlSkinHint* settings = FspHint.Get();
  if (!settings || !settings->Active()) return;
  const TSize size = PrepareText(settings, AHint, AHintTitle, AImageList, AImageIndex);
  ShowAt(TRect{Rect.Left, Rect.Top, Rect.Left + size.cx, Rect.Top + size.cy});
}

void TvlSkinHintWindow::ActivateHintFromRect(TRect ARect, const std::string& AHint, bool ATop) {
  AExtendedStyle = false;
  FspHint = vlFindHintComponent();
  TvlSkinHint* settings = FspHint.Get();
  if (!settings || !settings->Active()) return;
  const TSize size = PrepareText(settings, AHint, std::string(), nullptr, -1);
  const int x = ARect.Left + RectWidth(ARect) / 2 - size.cx / 2;
  const int y = ATop ? ARect.Top - size.cy : ARect.Bottom;
  ShowAt(TRect{x, y, x + size.cx, y + size.cy});
}

// ---- Painting -----------------------------------------------------------------------------------

void TvlSkinHintWindow::PaintBackground(TBitmap* B) {
  const int w = Width(), h = Height();
  if (TBitmap* picture = SkinPicture()) {
    const TvlDataSkinHintWindow& d = *FSD->HintWindow;
    const TvlNinePartGeometry g{d.LTPoint,  d.RTPoint,  d.LBPoint,  d.RBPoint,  d.ClRect,
                                NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
    ComposeSkinImage(g, B, picture, TRect{0, 0, picture->Width(), picture->Height()}, w, h,
                     TvlStretchSides{d.LeftStretch, d.TopStretch, d.RightStretch, d.BottomStretch},
                     TvlClientFill{true, d.StretchEffect, d.StretchType});
    return;
  }
  B->SetPixelFormat(TPixelFormat::pf32bit);
  B->SetSize(w, h);
  if (B->Empty()) return;
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(clInfoBk);
  c->FillRect(TRect{0, 0, w, h});
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(TRect{0, 0, w, h});
}

void TvlSkinHintWindow::PaintEx(TBitmap* B) {
  TvlSkinHint* settings = FspHint.Get();
  TCanvas* c = B->Canvas();
  const std::string& title = settings->FHintTitle;
  TCustomImageList* images = settings->HintImageList();
  const int index = settings->FHintImageIndex;
  const bool image = HasImage(images, index);
  const TFontStyles plain = c->Font()->Style();
  TFontStyles bold = plain;
  bold.Include(TFontStyle::fsBold);
  const std::string& text = Caption();
  // The area the parts are laid out in: the skin's text area, or inside the built-in frame.
  const TRect area = FSD ? NewClRect : TRect{2, 2, Width() - 2, Height() - 2};
  const int inset = FSD ? 5 : 0;
  int y0 = 0, x0 = 0;
  if (!title.empty()) {
    c->Font()->SetStyle(bold);
    TRect r{area.Left + inset, area.Top, area.Left + inset, area.Top};
    DrawTextWide(c, title, r, DT_CALCRECT);
    DrawTextWide(c, title, r, 0);
    c->Font()->SetStyle(plain);
    y0 = RectHeight(r) + 5;
  }
  if (image) {
    const int x = area.Left + inset;
    const int y = !title.empty() ? area.Top + y0 : area.Top + (RectHeight(area) - images->Height()) / 2;
    images->Draw(c, x, y, index, true);
    x0 = x + images->Width() + 5;
  }
  const TSize t = TextSize(c, text);
  if (FSD) {
    const int x = image ? x0 : area.Left + 5;
    const int y = !title.empty() ? area.Top + y0 : area.Top + (RectHeight(area) - t.cy) / 2;
    TRect r{x, y, x + t.cx, y + t.cy};
    DrawTextWide(c, text, r, 0);
  } else {
    TRect r{area.Left + x0, area.Top + y0, area.Right, area.Bottom};
    DrawTextWide(c, text, r, 0);
  }
}

void TvlSkinHintWindow::Paint() {
  TvlSkinHint* settings = FspHint.Get();
  if (!settings) return;
  TBitmap buffer;
  PaintBackground(&buffer);
  if (buffer.Empty()) return;
  TCanvas* c = buffer.Canvas();
  PrepareFont(c->Font());
  c->Font()->SetColor(FSD ? FSD->HintWindow->FontColor : clInfoText);
  // Text drawn straight on the context leaves the background as it is. (The canvas selects its
  // brush only for its own drawing, so the mode is set on the context too.)
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(c->Handle(), TRANSPARENT);
  if (AExtendedStyle) {
    PaintEx(&buffer);
  } else if (FSD) {
    const TSize t = TextSize(c, Caption());
    const int x = NewClRect.Left + (RectWidth(NewClRect) - t.cx) / 2;
    const int y = NewClRect.Top + (RectHeight(NewClRect) - t.cy) / 2;
    TRect r{x, y, x + t.cx, y + t.cy};
    DrawTextWide(c, Caption(), r, 0);
  } else {
    TRect r{2, 2, Width() - 2, Height() - 2};
    DrawTextWide(c, Caption(), r, 0);
  }
  BitBlt(Canvas()->Handle(), 0, 0, buffer.Width(), buffer.Height(), c->Handle(), 0, 0, SRCCOPY);
}

// ---- The component ------------------------------------------------------------------------------

TvlSkinHint::TvlSkinHint(TComponent* AOwner) : TComponent(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  HW = new TvlSkinHintWindow(this);
  HW->SetVisible(false);
  HintTimer = new TTimer(this);
  HintTimer->SetEnabled(false);
  HintTimer->OnTimer = [this](TObject*) {
    HintTimer->SetEnabled(false);
    // The action may re-arm the timer.
    std::function<void()> action = std::move(FTimerAction);
    FTimerAction = nullptr;
    if (action) action();
  };
  if (ComponentState().Contains(TComponentStateFlag::csDesigning)) return;
  Application()->InstallHintWindowClass([](TComponent* Owner) { return new TvlSkinHintWindow(Owner); }, this);
  InstallShowHintHandler();
  Application()->SetHintShortPause(kShortPause);
}

TvlSkinHint::~TvlSkinHint() {
  HintTimer->SetEnabled(false);
  TApplication* app = Application();
  app->RemoveHintWindowClass(this);
  if (IsOurs(app->OnShowHint, this)) {
    const ShowHintForwarder* f = app->OnShowHint.target<ShowHintForwarder>();
    TShowHintEvent previous = f->Previous;
    app->OnShowHint = std::move(previous);
  }
}

void TvlSkinHint::InstallShowHintHandler() {
  TApplication* app = Application();
  if (IsOurs(app->OnShowHint, this)) return;
  app->OnShowHint = ShowHintForwarder{TWeak<TvlSkinHint>(this), app->OnShowHint};
}

void TvlSkinHint::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSD) FSD = nullptr;
}

void TvlSkinHint::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value); }

void TvlSkinHint::SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }

void TvlSkinHint::SetLineSeparator(const std::string& Value) {
  if (Value.find_first_of("\r\n") != std::string::npos) return;
  FLineSeparator = Value;
}

void TvlSkinHint::SetActive(bool Value) {
  FActive = Value;
  if (!Value) return;
  if (TComponent* main = Application()->MainForm()) {
    for (int i = 0; i < main->ComponentCount(); ++i)
      if (auto* other = dynamic_cast<TvlSkinHint*>(main->Components(i)); other && other != this && other->Active())
        other->SetActive(false);
  }
  if (!ComponentState().Contains(TComponentStateFlag::csDesigning)) InstallShowHintHandler();
}

std::string TvlSkinHint::ApplyLineSeparator(const std::string& Text) const {
  if (FLineSeparator.empty()) return Text;
  // Each separator becomes a line feed followed by a carriage return, one line break.
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = Text.find(FLineSeparator, from)) != std::string::npos; from = at + FLineSeparator.size()) {
    out.append(Text, from, at - from);
    out += "\n\r";
  }
  out.append(Text, from, std::string::npos);
  return out;
}

void TvlSkinHint::ShowHintHandler(std::string& HintStr, bool& CanShow, THintInfo& HintInfo) {
  ClearTitleAndImage();
  if (auto* w = dynamic_cast<TvlSkinControl*>(HintInfo.HintControl)) {
    FHintTitle = w->HintTitle;
    FHintImageIndex = w->HintImageIndex;
    FHintImageList = w->HintImageList();
  } else if (auto* g = dynamic_cast<TvlGraphicSkinControl*>(HintInfo.HintControl)) {
    FHintTitle = g->HintTitle;
    FHintImageIndex = g->HintImageIndex;
    FHintImageList = g->HintImageList();
  }
  if (OnShowHint) OnShowHint(HintStr, CanShow, HintInfo);
}

void TvlSkinHint::SetHintImageList(TCustomImageList* Value) { FHintImageList = Value; }

void TvlSkinHint::ClearTitleAndImage() {
  FHintTitle.clear();
  FHintImageIndex = 0;
  FHintImageList = nullptr;
}

bool TvlSkinHint::IsVisible() const { return HW->Visible(); }

int TvlSkinHint::GetCursorHeightMargin() const {
  // FIXME: the platform's cursors are shapes of the display without pictures, so the cursor's
  // mask cannot be read; the system cursor height is the answer for a cursor without one.
  return GetSystemMetrics(SM_CYCURSOR);
}

void TvlSkinHint::Arm(UINT Ms, std::function<void()> Action) {
  // A full interval from now, whatever was pending.
  HintTimer->SetEnabled(false);
  FTimerAction = std::move(Action);
  HintTimer->SetInterval(std::max<UINT>(1, Ms));
  HintTimer->SetEnabled(true);
}

void TvlSkinHint::ActivateHint(TPoint P, const std::string& AHint) {
  ClearTitleAndImage();
  HW->ActivateHint(TRect{P.X, P.Y, P.X, P.Y}, AHint);
  HW->SetVisible(true);
}

void TvlSkinHint::ActivateHintEx(TPoint P, const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                                 TCustomImageList* AImageList) {
  FHintTitle = AHintTitle;
  FHintImageIndex = AImageIndex;
  FHintImageList = AImageList;
  HW->ActivateHintEx(TRect{P.X, P.Y, P.X, P.Y}, AHintTitle, AHint, AImageIndex, AImageList);
  HW->SetVisible(true);
}

void TvlSkinHint::ShowAtCursor(bool Extended) {
  TPoint p;
  GetCursorPos(&p);
  p.Y += GetCursorHeightMargin();
  const TRect at{p.X, p.Y, p.X, p.Y};
  if (Extended)
    HW->ActivateHintEx(at, FHintTitle, HintText, FHintImageIndex, HintImageList());
  else
    HW->ActivateHint(at, HintText);
  HW->SetVisible(true);
  Arm(static_cast<UINT>(Application()->HintHidePause()), [this] { HideHint(); });
}

void TvlSkinHint::ActivateHint2(const std::string& AHint) {
  HintText = AHint;
  ClearTitleAndImage();
  Arm(static_cast<UINT>(Application()->HintPause()), [this] { ShowAtCursor(false); });
}

void TvlSkinHint::ActivateHint3(TRect AFromRect, const std::string& AHint, bool ATop) {
  HintText = AHint;
  ClearTitleAndImage();
  FromRect = AFromRect;
  Top = ATop;
  Arm(static_cast<UINT>(Application()->HintPause()), [this] {
    HW->ActivateHintFromRect(FromRect, HintText, Top);
    HW->SetVisible(true);
    Arm(static_cast<UINT>(Application()->HintHidePause()), [this] { HideHint(); });
  });
}

void TvlSkinHint::ActivateHintEx2(const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                                  TCustomImageList* AImageList) {
  FHintTitle = AHintTitle;
  FHintImageIndex = AImageIndex;
  FHintImageList = AImageList;
  HintText = AHint;
  Arm(static_cast<UINT>(Application()->HintPause()), [this] { ShowAtCursor(true); });
}

void TvlSkinHint::HideHint() {
  HintTimer->SetEnabled(false);
  FTimerAction = nullptr;
  if (!HW->Visible()) return;
  HW->SetVisible(false);
  if (HW->HandleAllocated())
    SetWindowPos(HW->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  ClearTitleAndImage();
}
