#include "lib/menus/vlSkinMenusImages.h"

#include <algorithm>

#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlDataSkinObjects.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

namespace {

// The skin's button description for entry frames and captions, nullptr when none.
TvlDataSkinButtonControl* FrameButton(TvlSkinData* sd) {
  if (sd == nullptr || sd->Empty) return nullptr;
  if (auto* b = dynamic_cast<TvlDataSkinButtonControl*>(
          vlControlElement(sd, vlFindControlElement(sd, {"menuitembutton", "resizebutton"}))))
    return vlSkinPicture(sd, b->PictureIndex) != nullptr ? b : nullptr;
  return nullptr;
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------------------

void TvlImagesMenuItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TvlImagesMenuItem*>(Source)) {
    ImageIndex = s->ImageIndex;
    Caption = s->Caption;
    Button = s->Button;
    Hint = s->Hint;
    return;
  }
  TCollectionItem::Assign(Source);
}

TvlImagesMenuItems::TvlImagesMenuItems(TvlSkinImagesMenu* AImagesMenu)
    : TCollection(CollectionItemClass<TvlImagesMenuItem>()), ImagesMenu(AImagesMenu) {}

TPersistent* TvlImagesMenuItems::GetOwner() const { return ImagesMenu; }

// ---- Menu ----------------------------------------------------------------------------------------

TvlSkinImagesMenu::TvlSkinImagesMenu(TComponent* AOwner)
    : TComponent(AOwner), FImagesItems(std::make_unique<TvlImagesMenuItems>(this)),
      FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("Arial");
  FDefaultFont->SetStyle({});
  FDefaultFont->SetHeight(14);
}

TvlSkinImagesMenu::~TvlSkinImagesMenu() {
  if (FPopupWindow) {
    // A popup still open goes without events; one still running a handler outlives this call.
    FPopupWindow->ImagesMenu = nullptr;
    FPopupWindow->Hide(false);
    FPopupWindow.reset();
  }
}

void TvlSkinImagesMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (AComponent == FSkinData) FSkinData = nullptr;
}

void TvlSkinImagesMenu::SetImages(TCustomImageList* Value) {
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages != nullptr) FImages->FreeNotification(this);
}

void TvlSkinImagesMenu::SetSkinData(TvlSkinData* Value) {
  if (FSkinData != nullptr) FSkinData->RemoveFreeNotification(this);
  FSkinData = Value;
  if (FSkinData != nullptr) FSkinData->FreeNotification(this);
}

void TvlSkinImagesMenu::SetImagesItems(TvlImagesMenuItems* Value) {
  if (Value != nullptr) FImagesItems->Assign(Value);
}

void TvlSkinImagesMenu::SetColumnsCount(int Value) {
  if (Value >= 1 && Value <= 50) FColumnsCount = Value;
}

void TvlSkinImagesMenu::SetDefaultFont(TFont* Value) {
  if (Value != nullptr) FDefaultFont->Assign(Value);
}

TvlImagesMenuItem* TvlSkinImagesMenu::SelectedItem() const {
  if (ItemIndex < 0 || ItemIndex >= FImagesItems->Count()) return nullptr;
  return FImagesItems->Item(ItemIndex);
}

void TvlSkinImagesMenu::Popup(int X, int Y) { PopupFromRect(TRect{X, Y, X, Y}); }

void TvlSkinImagesMenu::PopupFromRect(const TRect& R) {
  if (FPopupWindow) FPopupWindow->Hide(false);
  TWeak<TComponent> self(this);
  if (OnMenuPopup) OnMenuPopup(this);
  if (!self || FImages == nullptr || FImages->Count() == 0) return;
  FOldItemIndex = ItemIndex;
  auto window = std::shared_ptr<TvlSkinImagesMenuPopupWindow>(new TvlSkinImagesMenuPopupWindow(this));
  window->FSelf = window;
  FPopupWindow = window;
  window->Show(R);
}

void TvlSkinImagesMenu::Hide() {
  if (FPopupWindow) FPopupWindow->Hide(false);
}

void TvlSkinImagesMenu::PopupWindowClosed(bool ProcessEvents) {
  // The window may be running one of its handlers: it keeps itself alive until that returns.
  FPopupWindow.reset();
  TWeak<TComponent> self(this);
  if (OnInternalMenuClose) OnInternalMenuClose(this);
  if (self && OnMenuClose) OnMenuClose(this);
  if (!self || !ProcessEvents || ItemIndex == -1) return;
  if (TvlImagesMenuItem* item = SelectedItem(); item != nullptr && item->OnClick) item->OnClick(this);
  if (self && OnItemClick) OnItemClick(this);
  if (self && ItemIndex != FOldItemIndex) {
    if (OnInternalChange) OnInternalChange(this);
    if (self && OnChange) OnChange(this);
  }
}

// ---- Popup window: layout ------------------------------------------------------------------------

TvlSkinImagesMenuPopupWindow::TvlSkinImagesMenuPopupWindow(TvlSkinImagesMenu* AImagesMenu)
    : TCustomControl(nullptr), ImagesMenu(AImagesMenu) {
  SetVisible(false);
}

TvlSkinImagesMenuPopupWindow::~TvlSkinImagesMenuPopupWindow() {
  if (FHooked && Application() != nullptr) Application()->RemoveMessageHook(this);
}

void TvlSkinImagesMenuPopupWindow::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  SetDropDownWindowParams(P);
}

void TvlSkinImagesMenuPopupWindow::CalcItemRects() {
  TCustomImageList* images = ImagesMenu->Images();
  TvlSkinData* sd = ImagesMenu->SkinData();
  const int cw = images->Width() + 10, ch = images->Height() + 10;
  const int rw = ImagesMenu->ColumnsCount() * cw;
  int l = 5, y = 5;
  if (FSkinSupport) {
    l = sd->PopupWindow->ItemsRect.Left;
    y = sd->PopupWindow->ItemsRect.Top;
  }
  int labelHeight = ch;
  if (sd != nullptr && !sd->Empty)
    if (TvlDataSkinControl* label = vlControlElement(sd, vlFindControlElement(sd, "label")))
      labelHeight = RectHeight(label->SkinRect);
  int x = l;
  TvlImagesMenuItems* items = ImagesMenu->ImagesItems();
  for (int i = 0; i < items->Count(); ++i) {
    TvlImagesMenuItem* it = items->Item(i);
    if (it->Header || it->Button) {
      if (x != l) y += ch + 1;
      const int h = it->Header ? labelHeight : ch;
      it->ItemRect = TRect{l, y, l + rw, y + h};
      y += h + 1;
      x = l;
      continue;
    }
    it->ItemRect = TRect{x, y, x + cw, y + ch};
    x += cw;
    if (x + cw > l + rw) {
      x = l;
      y += ch + 1;
    }
  }
}

void TvlSkinImagesMenuPopupWindow::CalcWindowSize() {
  TvlSkinData* sd = ImagesMenu->SkinData();
  TvlDataSkinPopupWindow* pw = sd != nullptr && !sd->Empty ? sd->PopupWindow.get() : nullptr;
  WindowPicture = pw != nullptr ? vlSkinPicture(sd, pw->WindowPictureIndex) : nullptr;
  MaskPicture = pw != nullptr ? vlSkinPicture(sd, pw->MaskPictureIndex) : nullptr;
  // A picture index outside the skin's list means no picture: the built-in look.
  FSkinSupport = WindowPicture != nullptr;
  CalcItemRects();
  TvlImagesMenuItems* items = ImagesMenu->ImagesItems();
  const int cwAll = ImagesMenu->ColumnsCount() * (ImagesMenu->Images()->Width() + 10);
  int d = 0;
  if (items->Count() > 0) d = items->Item(items->Count() - 1)->ItemRect.Bottom - items->Item(0)->ItemRect.Top;
  int w, h;
  if (FSkinSupport) {
    w = WindowPicture->Width() + cwAll - RectWidth(pw->ItemsRect);
    h = WindowPicture->Height() + d - RectHeight(pw->ItemsRect);
    const int dw = w - WindowPicture->Width(), dh = h - WindowPicture->Height();
    NewLTPoint = pw->LTPoint;
    NewRTPoint = TPoint{dw + pw->RTPoint.X, pw->RTPoint.Y};
    NewLBPoint = TPoint{pw->LBPoint.X, dh + pw->LBPoint.Y};
    NewRBPoint = TPoint{dw + pw->RBPoint.X, dh + pw->RBPoint.Y};
    NewItemsRect = TRect{pw->ItemsRect.Left, pw->ItemsRect.Top, dw + pw->ItemsRect.Right, dh + pw->ItemsRect.Bottom};
  } else {
    w = cwAll + 10;
    h = d + 10;
  }
  SetBounds(Left(), Top(), w, h);
  if (FSkinSupport && MaskPicture != nullptr) {
    HRGN rgn = nullptr;
    const TvlNinePartGeometry g{pw->LTPoint, pw->RTPoint, pw->LBPoint, pw->RBPoint, pw->ItemsRect,
                                NewLTPoint,  NewRTPoint,  NewLBPoint,  NewRBPoint,  NewItemsRect};
    CreateSkinRegion(rgn, g, MaskPicture, w, h);
    if (rgn != nullptr) SetWindowRgn(Handle(), rgn, TRUE);
  }
}

// ---- Popup window: showing and hiding ------------------------------------------------------------

void TvlSkinImagesMenuPopupWindow::Show(const TRect& PopupRect) {
  CalcWindowSize();
  TRect wa{0, 0, 0, 0};
  HWND anchor = nullptr;
  if (Screen() != nullptr && Screen()->ActiveForm() != nullptr && Screen()->ActiveForm()->HandleAllocated())
    anchor = Screen()->ActiveForm()->Handle();
  else if (auto* main = dynamic_cast<TWinControl*>(Application() ? Application()->MainForm() : nullptr);
           main != nullptr && main->Visible() && main->HandleAllocated())
    anchor = main->Handle();
  else if (auto* owner = dynamic_cast<TWinControl*>(ImagesMenu->Owner()); owner != nullptr && owner->HandleAllocated())
    anchor = owner->Handle();
  GetDesktopWorkArea(true, wa);
  if (anchor != nullptr) GetMonitorWorkArea(anchor, true, wa);
  int x = PopupRect.Left, y = PopupRect.Bottom;
  if (y + Height() > wa.Bottom) y = y - Height() - PopupRect.Height();
  if (x + Width() > wa.Right) x -= x + Width() - wa.Right;
  x = std::max(x, wa.Left);
  y = std::max(y, wa.Top);
  SetBounds(x, y, Width(), Height());
  HWND h = Handle();
  if (ImagesMenu->AlphaBlend && IsWin2000OrLater()) {
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetWindowAlpha(h, static_cast<BYTE>(std::clamp(ImagesMenu->AlphaBlendValue, 0, 255)));
  }
  SetWindowPos(h, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  Application()->AddMessageHook([this](MSG& m, bool& handled) { AppMessage(m, handled); }, this);
  FHooked = true;
  SetCapture(h);
}

void TvlSkinImagesMenuPopupWindow::Hide(bool AProcessEvents) {
  std::shared_ptr<TvlSkinImagesMenuPopupWindow> keep = FSelf.lock();
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  SetVisible(false);
  if (FHooked) {
    Application()->RemoveMessageHook(this);
    FHooked = false;
  }
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  TvlSkinImagesMenu* menu = ImagesMenu;
  ImagesMenu = nullptr;
  if (menu != nullptr) menu->PopupWindowClosed(AProcessEvents);
}

void TvlSkinImagesMenuPopupWindow::AppMessage(MSG& Msg, bool& Handled) {
  switch (Msg.message) {
    case WM_MOVE: case WM_SIZE: case WM_ACTIVATE: case WM_KILLFOCUS: case WM_CANCELMODE:
    case WM_MOUSEACTIVATE: case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
    case WM_SYSKEYDOWN: case WM_SYSCHAR: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_PARENTNOTIFY: {
      std::shared_ptr<TvlSkinImagesMenuPopupWindow> keep = FSelf.lock();
      Hide(false);
      return;
    }
    case WM_KEYDOWN: {
      std::shared_ptr<TvlSkinImagesMenuPopupWindow> keep = FSelf.lock();
      KeyDown(static_cast<WORD>(Msg.wParam));
      Msg.message = 0;
      Handled = true;
      return;
    }
    default: break;
  }
}

// ---- Popup window: input -------------------------------------------------------------------------

int TvlSkinImagesMenuPopupWindow::ItemAt(int X, int Y) const {
  if (ImagesMenu == nullptr) return -1;
  TvlImagesMenuItems* items = ImagesMenu->ImagesItems();
  for (int i = 0; i < items->Count(); ++i)
    if (!items->Item(i)->Header && items->Item(i)->ItemRect.Contains(TPoint{X, Y})) return i;
  return -1;
}

void TvlSkinImagesMenuPopupWindow::WndProc(TMessage& Message) {
  // Closing frees this window once the handling that closed it has returned.
  std::shared_ptr<TvlSkinImagesMenuPopupWindow> keep = FSelf.lock();
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    default: break;
  }
  TCustomControl::WndProc(Message);
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && ImagesMenu != nullptr) {
    TPoint p{};
    GetCursorPos(&p);
    if (!HandleAllocated() || WindowFromPoint(p) != Handle()) Hide(false);
  }
}

void TvlSkinImagesMenuPopupWindow::SetMarked(int Index) {
  if (Index == FMouseInItem) return;
  OldMouseInItem = FMouseInItem;
  FMouseInItem = Index;
  Invalidate();
}

void TvlSkinImagesMenuPopupWindow::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  SetMarked(ItemAt(X, Y));
}

void TvlSkinImagesMenuPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  FDown = true;
  FItemDown = ItemAt(X, Y) >= 0;
  Invalidate();
}

void TvlSkinImagesMenuPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (ImagesMenu == nullptr) return;
  const int at = ItemAt(X, Y);
  if (FDown && at >= 0) {
    ImagesMenu->ItemIndex = at;
    Hide(true);
    return;
  }
  FDown = FItemDown = false;
  if (HandleAllocated() && Visible()) SetCapture(Handle());
}

void TvlSkinImagesMenuPopupWindow::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  FMouseInItem = OldMouseInItem = -1;
  Invalidate();
}

void TvlSkinImagesMenuPopupWindow::KeyDown(WORD Key) {
  if (ImagesMenu == nullptr) return;
  TvlImagesMenuItems* items = ImagesMenu->ImagesItems();
  const int n = items->Count();
  auto header = [&](int i) { return items->Item(i)->Header; };
  auto first = [&]() { return n > 1 && header(0) ? 1 : 0; };
  const int m = FMouseInItem;
  switch (Key) {
    case VK_RETURN:
    case VK_SPACE:
      if (m != -1) ImagesMenu->ItemIndex = m;
      Hide(true);
      return;
    case VK_ESCAPE: Hide(false); return;
    case VK_LEFT:
      if (n == 0) return;
      if (m == -1 || m == 0 || (m == 1 && header(0) && n > 1)) {
        SetMarked(n - 1);
        return;
      }
      for (int i = m - 1; i >= 0; --i)
        if (!header(i)) {
          SetMarked(i);
          return;
        }
      return;
    case VK_RIGHT:
      if (n == 0) return;
      if (m == -1 || m == n - 1) {
        SetMarked(first());
        return;
      }
      for (int i = m + 1; i < n; ++i)
        if (!header(i)) {
          SetMarked(i);
          return;
        }
      return;
    case VK_UP:
      if (n == 0) return;
      if (m == -1) {
        SetMarked(n - 1);
        return;
      }
      for (int i = m - 1; i >= 0; --i) {
        const TvlImagesMenuItem* it = items->Item(i);
        if (!it->Header && it->ItemRect.Top < items->Item(m)->ItemRect.Top &&
            (it->Button || it->ItemRect.Left == items->Item(m)->ItemRect.Left)) {
          SetMarked(i);
          return;
        }
      }
      return;
    case VK_DOWN:
      if (n == 0) return;
      if (m == -1) {
        SetMarked(first());
        return;
      }
      for (int i = m + 1; i < n; ++i) {
        const TvlImagesMenuItem* it = items->Item(i);
        if (!it->Header && it->ItemRect.Top > items->Item(m)->ItemRect.Top &&
            (it->Button || it->ItemRect.Left == items->Item(m)->ItemRect.Left)) {
          SetMarked(i);
          return;
        }
      }
      return;
    default: return;
  }
}

// ---- Popup window: painting ----------------------------------------------------------------------

void TvlSkinImagesMenuPopupWindow::Paint() {
  if (ImagesMenu == nullptr || Width() <= 0 || Height() <= 0) return;
  TvlSkinData* sd = ImagesMenu->SkinData();
  TvlDataSkinPopupWindow* pw = sd != nullptr && !sd->Empty ? sd->PopupWindow.get() : nullptr;
  WindowPicture = pw != nullptr ? vlSkinPicture(sd, pw->WindowPictureIndex) : nullptr;
  FSkinSupport = WindowPicture != nullptr;
  const int sel = ImagesMenu->ShowSelectedItem ? ImagesMenu->ItemIndex : -1;
  TBitmap b;
  PrepareBitmap(&b, Width(), Height());
  TCanvas* c = b.Canvas();
  if (FSkinSupport) {
    const TvlNinePartGeometry g{pw->LTPoint, pw->RTPoint, pw->LBPoint, pw->RBPoint, pw->ItemsRect,
                                NewLTPoint,  NewRTPoint,  NewLBPoint,  NewRBPoint,  NewItemsRect};
    TBitmap face;
    ComposeSkinImage(g, &face, WindowPicture, TRect{0, 0, WindowPicture->Width(), WindowPicture->Height()}, Width(),
                     Height(), TvlStretchSides{pw->LeftStretch, pw->TopStretch, pw->RightStretch, pw->BottomStretch},
                     TvlClientFill{true, pw->StretchEffect, pw->StretchType});
    c->Draw(0, 0, &face);
  } else {
    c->Pen()->SetColor(clBtnShadow);
    c->Brush()->SetColor(clWindow);
    c->Rectangle(TRect{0, 0, Width(), Height()});
  }
  DrawItems(c, FMouseInItem, sel);
  Canvas()->Draw(0, 0, &b);
}

void TvlSkinImagesMenuPopupWindow::DrawItems(TCanvas* C, int Hot, int Sel) {
  TvlImagesMenuItems* items = ImagesMenu->ImagesItems();
  TCustomImageList* images = ImagesMenu->Images();
  for (int i = 0; i < items->Count(); ++i) {
    TvlImagesMenuItem* it = items->Item(i);
    TRect r = it->ItemRect;
    if (it->Header) {
      DrawHeader(C, r, it->Caption);
      continue;
    }
    if (i == Sel && !FItemDown) DrawItemFrame(C, r, true);
    else if (i == Hot) DrawItemFrame(C, r, FItemDown);
    int offset = 0;
    if (it->ImageIndex >= 0 && it->ImageIndex < images->Count()) {
      images->Draw(C, r.Left + 5, r.Top + 5, it->ImageIndex, true);
      offset = images->Width() + 5;
    }
    if (it->Button && !it->Caption.empty()) {
      r.Left += offset;
      DrawItemCaption(C, it->Caption, r, (i == Sel && !FItemDown) || (i == Hot && FItemDown), i == Hot && !FItemDown);
    }
  }
}

void TvlSkinImagesMenuPopupWindow::DrawItemFrame(TCanvas* C, const TRect& R, bool Pressed) {
  TvlSkinData* sd = ImagesMenu->SkinData();
  TvlDataSkinButtonControl* b = FSkinSupport ? FrameButton(sd) : nullptr;
  if (b != nullptr) {
    TRect src = b->ActiveSkinRect;
    if (Pressed && !IsNullRect(b->DownSkinRect)) src = b->DownSkinRect;
    if (IsNullRect(src)) src = b->SkinRect;
    const TvlNinePartGeometry g = TvlNinePartGeometry::Grown(b->LTPoint, b->RTPoint, b->LBPoint, b->RBPoint, b->ClRect,
                                                             R.Width() - RectWidth(b->SkinRect),
                                                             R.Height() - RectHeight(b->SkinRect));
    TBitmap face;
    ComposeSkinImage(g, &face, vlSkinPicture(sd, b->PictureIndex), src, R.Width(), R.Height(),
                     TvlStretchSides{b->LeftStretch, b->TopStretch, b->RightStretch, b->BottomStretch},
                     TvlClientFill{true, b->StretchEffect, b->StretchType});
    if (!face.Empty()) {
      C->Draw(R.Left, R.Top, &face);
      return;
    }
  }
  C->Pen()->SetColor(clNavy);
  C->Brush()->SetColor(Pressed ? static_cast<TColor>(RGB(133, 146, 181)) : static_cast<TColor>(RGB(182, 189, 210)));
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Rectangle(R);
}

void TvlSkinImagesMenuPopupWindow::DrawItemCaption(TCanvas* C, const std::string& Text, TRect R, bool Pressed,
                                                   bool Hovered) {
  TvlSkinData* sd = ImagesMenu->SkinData();
  TvlDataSkinButtonControl* b = FSkinSupport ? FrameButton(sd) : nullptr;
  TvlDataSkinMenuItem* mi = nullptr;
  if (b != nullptr && sd != nullptr)
    for (const char* name : {"menuitem", "MENUITEM"}) {
      const int idx = sd->GetIndex(name);
      if (idx >= 0 && idx < static_cast<int>(sd->ObjectList.size()))
        if ((mi = dynamic_cast<TvlDataSkinMenuItem*>(sd->ObjectList[static_cast<std::size_t>(idx)].get()))) break;
    }
  if (b != nullptr && mi != nullptr) {
    const TColor color = Pressed ? b->DownFontColor : Hovered ? b->ActiveFontColor : mi->FontColor;
    ApplyElementFont(C->Font(), sd, b->FontName, b->FontStyle, b->FontHeight, color, ImagesMenu->DefaultFont(),
                     ImagesMenu->UseSkinFont);
    C->Font()->SetColor(color);
  } else {
    C->Font()->Assign(ImagesMenu->DefaultFont());
    C->Font()->SetColor(clWindowText);
  }
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  const UINT align = CalcTextWidth(C, Text) <= R.Width() ? DT_CENTER : DT_LEFT;
  DrawTextWide(C, Text, R, align | DT_VCENTER | DT_SINGLELINE);
}

void TvlSkinImagesMenuPopupWindow::DrawHeader(TCanvas* C, const TRect& R, const std::string& Text) {
  TvlSkinData* sd = ImagesMenu->SkinData();
  auto* label = sd != nullptr && !sd->Empty
                    ? dynamic_cast<TvlDataSkinLabelControl*>(vlControlElement(sd, vlFindControlElement(sd, "label")))
                    : nullptr;
  TBitmap* pic = label != nullptr ? vlSkinPicture(sd, label->PictureIndex) : nullptr;
  if (label != nullptr && pic != nullptr) {
    TBitmap strip;
    ComposeSkinStrip(label->LTPoint.X, RectWidth(label->SkinRect) - label->RTPoint.X, &strip, pic, label->SkinRect,
                     R.Width(), R.Height(), label->StretchEffect);
    if (!strip.Empty()) {
      TCanvas* s = strip.Canvas();
      s->Font()->SetName(label->FontName);
      s->Font()->SetHeight(label->FontHeight);
      s->Font()->SetStyle(label->FontStyle);
      s->Font()->SetColor(label->FontColor);
      ApplySkinCharset(s->Font(), sd, C->Font());
      s->Brush()->SetStyle(TBrushStyle::bsClear);
      TRect t{label->ClRect.Left, label->ClRect.Top, strip.Width() + label->ClRect.Right - RectWidth(label->SkinRect),
              strip.Height()};
      DrawTextWide(s, Text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      C->Draw(R.Left, R.Top, &strip);
      return;
    }
  }
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  TRect t = R;
  DrawTextWide(C, Text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
