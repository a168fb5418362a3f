// The form skinner: construction and the window-procedure hook, properties, the window
// procedure, skin changes and the re-skinning of the form's controls. The frame itself is in
// VelmoraFrame.cpp.

#include "lib/forms/Velmora.h"

#include "lib/forms/VelmoraLayer.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/controls/vlClientInActivePanel.h"
#include "lib/controls/vlSkinCtrlsBars.h"
#include "lib/forms/vlSkinMDITabsBar.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/controls/vlTrayIcon.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/drawing/vlUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Icon.h"
#include "platform/windowing/Input.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/Painting.h"
#include "platform/controls/Timers.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

// The skinner of the application's main form when that is an MDI parent.
TvlVelmora* MainFormSkinner() {
  auto* f = dynamic_cast<TCustomForm*>(Application() != nullptr ? Application()->MainForm() : nullptr);
  return f != nullptr && f->FormStyle() == TFormStyle::fsMDIForm ? vlFindSkinForm(f) : nullptr;
}

constexpr const char* kProductVersion = "1.0";

// The built-in look's caption font: "Arial", bold, height 14.
std::unique_ptr<TFont> CaptionFont(TColor Color) {
  auto f = std::make_unique<TFont>();
  f->SetName("Arial");
  f->SetHeight(14);
  f->SetStyle(TFontStyles{TFontStyle::fsBold});
  f->SetColor(Color);
  return f;
}

bool IsSizingHit(LRESULT Hit) { return Hit >= HTLEFT && Hit <= HTBOTTOMRIGHT; }

}  // namespace

TvlVelmora* vlFindSkinForm(TCustomForm* Form) {
  if (!Form) return nullptr;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<TvlVelmora*>(Form->Components(i))) return s;
  return nullptr;
}

// ---- Construction and destruction -------------------------------------------------------------

TvlVelmora::TvlVelmora(TComponent* AOwner) : TComponent(AOwner) {
  FForm = dynamic_cast<TCustomForm*>(AOwner);
  if (!FForm) throw EInvalidCast("Invalid class typecast");
  FLayerManager = new TvlLayerManager(this);
  FMenuLayerManager = new TvlLayerManager(this);
  FLogoBitMap = std::make_unique<TBitmap>();
  FDefCaptionFont = CaptionFont(clBtnText);
  FDefInActiveCaptionFont = CaptionFont(clBtnShadow);
  RMTop = std::make_unique<TBitmap>();
  RMBottom = std::make_unique<TBitmap>();
  RMLeft = std::make_unique<TBitmap>();
  RMRight = std::make_unique<TBitmap>();
  FIsVistaOs = IsVistaOrLater();
  FIsLayerEnabled = IsWin2000OrLater();
  MouseTimer = vlNewStoppedTimer(this, 50, [this](TObject*) { MouseTimerTick(); });
  MorphTimer = vlNewStoppedTimer(this, 25, [this](TObject*) { MorphTimerTick(); });
  AnimateTimer = vlNewStoppedTimer(this, 25, [this](TObject*) { AnimateTimerTick(); });
  FQuickButtons = std::make_unique<TvlQuickButtonItems>(this);
  FBorderLayer = new TvlFormLayerBorder(this);

  FForm->SetBorderIcons(TBorderIcons{});
  FForm->SetAutoSize(false);
  FForm->SetAutoScroll(false);
  FForm->OnShortCut = [this](TMessage& Msg, bool& Handled) { FormShortCut(Msg, Handled); };
  FSysMenu = new TPopupMenu(this);
  CreateTrayMenu();
  SkinMenu = new TvlSkinMenu(this, FForm);
  SkinMenu->AlphaBlend = FMenusAlphaBlend;
  SkinMenu->AlphaBlendValue = FMenusAlphaBlendValue;
  SkinMenu->AlphaBlendAnimation = FMenusAlphaBlendAnimation;
  SkinMenu->MaxMenuItemsInWindow = FMaxMenuItemsInWindow;
  if (!Designing()) {
    Hook();
    // A new window asks for its client area again, now through the component.
    if (FForm->HandleAllocated()) FForm->RecreateWnd();
  }
}

TvlVelmora::~TvlVelmora() {
  UnhookAppMessages();
  UnhookMDIClient();
  ClearObjects();
  FBorderLayer->Hide();
  if (FIcon) DestroyIcon(FIcon);
  // A form being destroyed has taken its window down already; its hook list may be gone.
  if (FForm && !FForm->ComponentState().Contains(TComponentStateFlag::csDestroying)) {
    // The form's shortcut handler was this component's.
    FForm->OnShortCut = nullptr;
    Unhook();
    if (FForm->HandleAllocated()) {
      // The platform draws the frame again: no region, and the client area asked anew.
      if (FRegionSet) SetWindowRgn(FForm->Handle(), nullptr, TRUE);
      SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
  }
  FRegionSet = false;
}

void TvlVelmora::Hook() {
  if (FHookId) return;
  FHookId = FForm->AddWindowProcHook([this](TMessage& M, const TWndMethod& Next) { SkinFormWindowProc(M, Next); });
}

void TvlVelmora::Unhook() {
  if (!FHookId) return;
  FForm->RemoveWindowProcHook(FHookId);
  FHookId = 0;
}

bool TvlVelmora::Designing() const { return ComponentState().Contains(TComponentStateFlag::csDesigning); }

void TvlVelmora::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) {
    // Nothing of a freed skin stays in use: its objects, the border's pictures, an open menu.
    FSD = nullptr;
    FSkinSupport = false;
    ClearObjects();
    FBorderLayer->Hide();
    FBorderLayer->InitFrame(nullptr, FForm);
  }
  if (SkinMenu && SkinMenu->SkinData == AComponent && SkinMenu->FVisible) SkinMenu->Hide();
  if (AComponent == FMSD) FMSD = nullptr;
  if (MDIChildGone(AComponent)) return;
  if (AComponent == FSystemMenu) FSystemMenu = nullptr;
  if (AComponent == FQuickImageList) FQuickImageList = nullptr;
  if (AComponent == FSkinHint) FSkinHint = nullptr;
  if (AComponent == FMainMenuBar) FMainMenuBar = nullptr;
  if (AComponent == FMDITabsBar) FMDITabsBar = nullptr;
  if (AComponent == FMainMenu) FMainMenu = nullptr;
  if (AComponent == FInActivePanel) FInActivePanel = nullptr;
  if (AComponent == FTrayIcon) FTrayIcon = nullptr;
  if (AComponent == FStatusBar) FStatusBar = nullptr;
}

// ---- Properties -------------------------------------------------------------------------------

void TvlVelmora::SetSkinData(TvlSkinData* Value) {
  ReplaceReference(FSD, Value, FMSD);
  FSysTrayMenu->SetSkinData(Value);
  if (FSD && !IsMDIChild()) FSkinnableForm = FSD->SkinnableForm();
  if (!Designing()) ApplySkin();
}

void TvlVelmora::SetMenusSkinData(TvlSkinData* Value) { ReplaceReference(FMSD, Value, FSD); }

void TvlVelmora::SetUseRibbon(bool Value) {
  FUseRibbon = Value;
  if (Value && !Designing()) SetSkinnableForm(false);
}

void TvlVelmora::SetAlphaBlend(bool Value) {
  if (FAlphaBlend == Value) return;
  FAlphaBlend = Value;
  if (!ComponentState().Empty() || !FIsLayerEnabled) return;
  HWND h = FForm->Handle();
  const auto ex = static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE));
  if (Value) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLong(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetWindowAlpha(h, FAlphaBlendValue);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLong(h, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  }
}

void TvlVelmora::SetAlphaBlendValue(BYTE Value) {
  if (FAlphaBlendValue == Value) return;
  FAlphaBlendValue = Value;
  if (FAlphaBlend && ComponentState().Empty() && FIsLayerEnabled) SetWindowAlpha(FForm->Handle(), Value);
}

void TvlVelmora::SetBorderIcons(TvlBorderIcons Value) {
  FBorderIcons = Value;
  if (Designing() || ComponentState().Contains(TComponentStateFlag::csLoading)) return;
  UpdateCaptionButtons();
  SendNCPaint();
}

void TvlVelmora::SetShowIcon(bool Value) {
  FShowIcon = Value;
  if (Designing() || ComponentState().Contains(TComponentStateFlag::csLoading)) return;
  SendNCPaint();
}

void TvlVelmora::SetMaxMenuItemsInWindow(int Value) {
  if (Value < 0) return;
  FMaxMenuItemsInWindow = Value;
  SkinMenu->MaxMenuItemsInWindow = Value;
}

void TvlVelmora::SetMenusAlphaBlend(bool Value) {
  FMenusAlphaBlend = Value;
  SkinMenu->AlphaBlend = Value;
}

void TvlVelmora::SetMenusAlphaBlendAnimation(bool Value) {
  FMenusAlphaBlendAnimation = Value;
  SkinMenu->AlphaBlendAnimation = Value;
}

void TvlVelmora::SetMenusAlphaBlendValue(BYTE Value) {
  FMenusAlphaBlendValue = Value;
  SkinMenu->AlphaBlendValue = Value;
}

int TvlVelmora::DefMenuItemHeight() const { return SkinMenu->FDefaultMenuItemHeight; }
void TvlVelmora::SetDefMenuItemHeight(int Value) { SkinMenu->FDefaultMenuItemHeight = Value; }
TFont* TvlVelmora::DefMenuItemFont() const { return SkinMenu->DefaultMenuItemFont(); }
void TvlVelmora::SetDefMenuItemFont(TFont* Value) { SkinMenu->SetDefaultMenuItemFont(Value); }
bool TvlVelmora::UseSkinFontInMenu() const { return SkinMenu->FUseSkinFont; }
void TvlVelmora::SetUseSkinFontInMenu(bool Value) { SkinMenu->FUseSkinFont = Value; }

void TvlVelmora::SetSkinHint(TvlSkinHint* Value) { ReplaceReference(FSkinHint, Value); }

void TvlVelmora::SetDefCaptionFont(TFont* Value) {
  FDefCaptionFont->Assign(Value);
  if (!Designing() && !ComponentState().Contains(TComponentStateFlag::csLoading) && !FSkinSupport) SendNCPaint();
}

void TvlVelmora::SetDefInActiveCaptionFont(TFont* Value) {
  FDefInActiveCaptionFont->Assign(Value);
  if (!Designing() && !ComponentState().Contains(TComponentStateFlag::csLoading) && !FSkinSupport) SendNCPaint();
}

void TvlVelmora::SetLogoBitMap(TBitmap* Value) { FLogoBitMap->Assign(Value); }

void TvlVelmora::SetQuickImageList(TCustomImageList* Value) { ReplaceReference(FQuickImageList, Value); }

void TvlVelmora::SetQuickButtons(TvlQuickButtonItems* Value) { FQuickButtons->Assign(Value); }

void TvlVelmora::SetSystemMenu(TPopupMenu* Value) { ReplaceReference(FSystemMenu, Value); }

std::string TvlVelmora::GetProductVersion() const { return kProductVersion; }

// ---- Helpers -----------------------------------------------------------------------------------

bool TvlVelmora::IsMDIChild() const { return FForm->FormStyle() == TFormStyle::fsMDIChild; }
bool TvlVelmora::IsMDIParent() const { return FForm->FormStyle() == TFormStyle::fsMDIForm; }
bool TvlVelmora::IsMaximizedMDIChild() const { return IsMDIChild() && FWindowState == TWindowState::wsMaximized; }
bool TvlVelmora::HasBorder() const { return FForm->BorderStyle() != TFormBorderStyle::bsNone; }
// A skin without a frame picture (one that only draws controls) leaves the form its built-in
// frame: composing a frame from an empty picture would take the caption and the borders away.
bool TvlVelmora::SkinUsable() const { return FSD && !FSD->Empty && FSD->FPicture && !FSD->FPicture->Empty(); }

void TvlVelmora::TellMainForm(UINT Msg) {
  TCustomForm* main = dynamic_cast<TCustomForm*>(Application() != nullptr ? Application()->MainForm() : nullptr);
  if (main != nullptr && main != FForm && main->HandleAllocated() &&
      !main->ComponentState().Contains(TComponentStateFlag::csDestroying))
    SendMessage(main->Handle(), Msg, 0, 0);
}

void TvlVelmora::SendNCPaint() {
  if (FForm->HandleAllocated()) SendMessage(FForm->Handle(), WM_NCPAINT, 0, 0);
}

void TvlVelmora::RepaintForm() {
  if (FForm->HandleAllocated()) FForm->Repaint();
}

bool TvlVelmora::GetFormActive() const {
  if (PreviewMode) return true;
  if (IsMDIChild() || IsMDIParent()) return FFormActive;
  return FForm->Active();
}

void TvlVelmora::RefreshFrameSize() {
  const int w = FForm->Width();
  FForm->SetWidth(w - 1 < GetMinWidth() ? w + 1 : w - 1);
  FForm->SetWidth(w);
}

bool TvlVelmora::UseLayeredBorder() const {
  return SkinUsable() && FSD->ShowLayeredBorders() && FSD->LayerFrame && FSD->LayerFrame->PictureIndex != -1 &&
         FIsLayerEnabled && FSkinnableForm && !AlwaysDisableLayeredFrames && !PreviewMode && HasBorder() &&
         !IsMDIChild() && !FSmartEffectsShow;
}

// ---- Caption objects ----------------------------------------------------------------------------

void TvlVelmora::ClearObjects() {
  ObjectList.clear();
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
}

int TvlVelmora::GetIndex(const std::string& AIDName) const {
  for (std::size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i]->IDName == AIDName) return static_cast<int>(i);
  return -1;
}

void TvlVelmora::CreateSkinObjects() {
  ClearObjects();
  if (!SkinUsable()) return;
  for (const auto& d : FSD->ObjectList)
    if (auto o = vlCreateSkinObject(this, d.get())) ObjectList.push_back(std::move(o));
}

// ---- Applying a skin ------------------------------------------------------------------------------

void TvlVelmora::ApplySkin() {
  if (FUseRibbon) FSkinnableForm = false;
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  FSkinSupport = SkinUsable();
  if (FLayerManager->IsVisible) FLayerManager->Hide();
  if (FMenuLayerManager->IsVisible) FMenuLayerManager->Hide();
  if (FBorderLayer->Visible()) FBorderLayer->Hide();
  if (FSkinSupport && FSkinnableForm) {
    CreateSkinObjects();
    UpdateCaptionButtons();
  } else {
    ClearObjects();
    FFormWidth = FForm->Width();
    FFormHeight = FForm->Height();
    UpdateFormRegion();
  }
  if (FSkinnableForm) {
    if (!FForm->BorderIcons().Empty()) FForm->SetBorderIcons(TBorderIcons{});
  } else {
    UpdateFormBorderIcons();
  }

  FInChangeSkinData = true;
  const int minW = GetMinWidth(), minH = GetMinHeight();
  if (FForm->Width() < minW && FForm->Height() < minH)
    FForm->SetBounds(FForm->Left(), FForm->Top(), minW, minH);
  else if (FForm->Height() < minH)
    FForm->SetHeight(minH);
  else if (FForm->Width() < minW)
    FForm->SetWidth(minW);
  else
    RefreshFrameSize();
  if (FRollUpState || FWindowState == TWindowState::wsMinimized) {
    if (FForm->Height() != GetMinHeight()) FForm->SetHeight(GetMinHeight());
  }
  if (FWindowState == TWindowState::wsMinimized && FForm->Width() != GetMinWidth()) FForm->SetWidth(GetMinWidth());
  FFormWidth = FForm->Width();
  FFormHeight = FForm->Height();
  if (FSkinSupport) UpdateSkinLayout();
  if (IsMDIParent()) {
    if (FForm->ClientHandle()) RedrawWindow(FForm->ClientHandle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
    TWeak<TvlVelmora> refitted(this);
    RefitMDIChildren();
    if (!refitted) return;
  } else {
    RepaintForm();
  }

  TWeak<TvlVelmora> alive(this);
  UpdateCaptionActive(!IsMaximizedMDIChild());
  if (!alive) return;
  MouseTimer->SetEnabled(true);
  if (OnChangeSkinData) OnChangeSkinData(this);
  if (!alive) return;
  FInChangeSkinData = false;
  if (!FRollUpState) {
    if (ClientWidth > 0) FForm->SetClientWidth(ClientWidth);
    if (ClientHeight > 0) FForm->SetClientHeight(ClientHeight);
  }
  ApplyLayeredBorder();
}

void TvlVelmora::ApplyLayeredBorder() {
  FBorderLayer->InitFrame(FSD, FForm);
  if (!UseLayeredBorder() || !FForm->Visible() || !FForm->HandleAllocated()) return;
  FBorderLayer->SetActive(FForm->Active(), false);
  FBorderLayer->ShowWithForm();
  FBorderLayer->SetBoundsWithForm();
}

void TvlVelmora::UpdateFormBorderIcons() {
  TBorderIcons icons;
  if (!HideCaptionButtons && !FSkinnableForm) icons.Include(TBorderIcon::biSystemMenu);
  if (FBorderIcons.Contains(TvlBorderIcon::biMinimize)) icons.Include(TBorderIcon::biMinimize);
  if (FBorderIcons.Contains(TvlBorderIcon::biMaximize)) icons.Include(TBorderIcon::biMaximize);
  FForm->SetBorderIcons(icons);
}

void TvlVelmora::SetSkinnableForm(bool Value) {
  FFormActive = GetFormActive();
  if (Designing() || (IsMDIParent() && FForm->MDIChildCount() > 0)) return;
  bool wasMaximized = false;
  if (FSkinnableForm && FWindowState == TWindowState::wsMaximized) {
    if (!IsMDIParent()) FForm->Hide();
    FWindowState = TWindowState::wsNormal;
    wasMaximized = true;
  } else if (!FSkinnableForm && FForm->WindowState() == TWindowState::wsMaximized) {
    FForm->SetWindowState(TWindowState::wsNormal);
    if (!IsMDIParent()) FForm->Hide();
    wasMaximized = true;
  }
  FSkinnableForm = Value && !FUseRibbon;
  TWeak<TvlVelmora> alive(this);
  HookMDIClient();
  if (!alive) return;
  ApplySkin();
  if (!alive) return;
  vlChangeChildrenSkinData(nullptr, FForm);
  // The hook stays where it is in the form's chain; a form that now uses the platform's frame
  // gets a new window so the platform lays its frame out afresh.
  if (!FSkinnableForm && FIsVistaOs && FForm->HandleAllocated()) FForm->RecreateWnd();
  if (wasMaximized) {
    if (FSkinnableForm)
      FWindowState = TWindowState::wsMaximized;
    else
      FForm->SetWindowState(TWindowState::wsMaximized);
    if (!IsMDIParent()) FForm->Show();
  }
}

// ---- Skin changes -----------------------------------------------------------------------------------

void TvlVelmora::SkinChangeBegin(TvlSkinData* Container) {
  // An open menu draws from the skin being replaced: it closes first.
  if (SkinMenu->FVisible && SkinMenu->SkinData == Container) {
    TWeak<TvlVelmora> alive(this);
    SkinMenu->Hide();
    if (!alive) return;
  }
  if (Container != FSD) return;
  // The border keeps nothing of the skin being replaced.
  FBorderLayer->Hide();
  FBorderLayer->InitFrame(nullptr, FForm);
  FStopPainting = true;
  FSkinSupport = false;
  MouseTimer->SetEnabled(false);
  MorphTimer->SetEnabled(false);
  AnimateTimer->SetEnabled(false);
  ClearObjects();
  vlBeforeChildrenSkinChange(Container, FForm);
  if (OnBeforeChangeSkinData) OnBeforeChangeSkinData(this);
}

void TvlVelmora::SkinChanged(TvlSkinData* Container) {
  FStopPainting = false;
  TWeak<TvlVelmora> alive(this);
  if (Container == FSD) ApplySkin();
  // The form's controls that use the changing container follow it, whatever container the
  // form itself uses.
  if (alive) vlChangeChildrenSkinData(Container, FForm);
}

void TvlVelmora::SkinChangeEnd(TvlSkinData* Container) {
  TWeak<TvlVelmora> alive(this);
  if (Container == FSD && IsMDIParent()) RefitMDIChildren();
  if (alive && OnAfterChangeSkinData) OnAfterChangeSkinData(this);
}

// ---- The window procedure ------------------------------------------------------------------------------

void TvlVelmora::SkinFormWindowProc(TMessage& M, const TWndMethod& Next) {
  // Any handler below may free the form (and this component with it): nothing touches the
  // component after a call out unless it is still alive.
  TWeak<TvlVelmora> alive(this);
  CloseMenusOnInput(M.Msg);
  if (!alive) return;
  const bool skinnable = FSkinnableForm;
  switch (M.Msg) {
    case WM_DESTROY:
      MouseTimer->SetEnabled(false);
      MorphTimer->SetEnabled(false);
      AnimateTimer->SetEnabled(false);
      FBorderLayer->Hide();
      if (IsMDIChild()) {
        FWindowState = TWindowState::wsNormal;
        TellMainForm(WM_vlMDIChildRestored);
        if (!alive) return;
        if (TvlVelmora* main = MainFormSkinner()) {
          main->RefreshMainMenuBar();
          main->RefreshMDITabsBar();
        }
        if (!alive) return;
      }
      Next(M);
      return;
    case WM_SIZE: WMSize(M, Next); return;
    case WM_ACTIVATE:
      Next(M);
      if (alive && IsMDIChild())
        if (TvlVelmora* main = MainFormSkinner()) {
          main->UpDateChildActiveInMenu();
          main->RefreshMDITabsBar();
          main->RefreshMainMenuBar();
        }
      if (alive && IsMDIParent()) RefreshMainMenuBar();
      if (!alive || !skinnable) return;
      SendNCPaint();
      if (!IsMaximizedMDIChild()) ResetObjectStates();
      UpdateCaptionActive(!IsMaximizedMDIChild());
      return;
    case WM_SETTEXT:
      Next(M);
      if (alive && IsMDIChild())
        if (TvlVelmora* main = MainFormSkinner()) {
          main->UpDateChildCaptionInMenu(FForm);
          main->RefreshMDIBarTab(FForm);
        }
      if (!alive || !skinnable) return;
      if (HasBorder() && !IsMaximizedMDIChild()) SendNCPaint();
      return;
    case WM_SHOWWINDOW:
      WMShowWindowBefore(M);
      if (!alive) return;
      Next(M);
      if (alive) WMShowWindowAfter(M);
      if (alive && IsMDIParent() && M.WParam != 0) HookMDIClient();
      if (alive && IsMDIChild())
        if (TvlVelmora* main = MainFormSkinner()) {
          TWeak<TvlVelmora> mainAlive(main);
          if (M.WParam != 0) main->WatchMDIChild(FForm);
          if (M.WParam != 0) main->AddChildToMenu(FForm);
          else main->DeleteChildFromMenu(FForm);
          if (!mainAlive || !alive) return;
          if (M.WParam != 0) main->AddChildToBar(FForm);
          else main->DeleteChildFromBar(FForm);
        }
      return;
    case WM_TIMER:
      if (M.WParam == 1) FadeInTick();
      if (alive) Next(M);
      return;
    case WM_MOVING:
      if (skinnable) WMMoving(M);
      Next(M);
      return;
    case WM_SIZING: WMSizing(M, Next); return;
    case WM_vlTrayRestoreForeground:
      TrayRestoreForeground();
      Next(M);
      return;
    case WM_ENTERSIZEMOVE:
      if (!skinnable) break;
      GetCursorPos(&FOnMouseDownCoord);
      ResetObjectStates();
      MouseTimer->SetEnabled(false);
      ActiveObject = MouseCaptureObject = -1;
      FSizeMove = true;
      {
        BOOL full = TRUE;
        SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
        FFullDrag = full != FALSE;
      }
      Next(M);
      return;
    case WM_EXITSIZEMOVE:
      if (!skinnable) break;
      if (FSizing && (FForm->Width() != FFormWidth || FForm->Height() != FFormHeight)) {
        FFormLeft = FForm->Left();
        FFormTop = FForm->Top();
        FFormWidth = FForm->Width();
        FFormHeight = FForm->Height();
        UpdateSkinLayout();
      }
      FSizing = FSizeMove = false;
      MouseTimer->SetEnabled(false);
      ActiveObject = OldActiveObject = MouseCaptureObject = -1;
      if (FSkinSupport) SendNCPaint();
      if (UseLayeredBorder()) FBorderLayer->SetBoundsWithForm();
      Next(M);
      return;
    case WM_ERASEBKGND: WMEraseBkgnd(M); return;
    case WM_SETCURSOR:
      if (skinnable && UseFormCursorInNCArea) {
        const auto hit = static_cast<LRESULT>(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam))));
        if (!IsSizingHit(hit))
          M.LParam = static_cast<LPARAM>((static_cast<std::uintptr_t>(M.LParam) & ~std::uintptr_t{0xFFFF}) | HTCLIENT);
      }
      Next(M);
      return;
    case WM_GETMINMAXINFO:
      if (skinnable) WMGetMinMaxInfo(M);
      Next(M);
      return;
    case WM_WINDOWPOSCHANGED:
      if (const auto* pos = reinterpret_cast<const WINDOWPOS*>(M.LParam)) {
        FFormLeft = pos->x;
        FFormTop = pos->y;
        if (!FSizing && FBorderLayerChangeSize) {
          FFormWidth = pos->cx;
          FFormHeight = pos->cy;
        }
        // Sized from its left or top edge, the form moves as well: the border goes with it.
        if (FSizing && UseLayeredBorder() && (FFormLeft != FOldFormLeft || FFormTop != FOldFormTop))
          FBorderLayer->SetBoundsWithForm3(FFormLeft, FFormTop, FFormWidth, FFormHeight);
        if (!FSizing && !FBorderLayerChangeSize) {
          // The layered border moves with the form.
          if (UseLayeredBorder()) FBorderLayer->MoveWithForm2(FFormLeft, FFormTop);
          FOldFormLeft = FFormLeft;
          FOldFormTop = FFormTop;
        }
      }
      Next(M);
      return;
    case WM_DISPLAYCHANGE:
      if (HasBorder() && (FForm->Width() > GetMaxWidth() || FForm->Height() > GetMaxHeight())) RefreshFrameSize();
      Next(M);
      return;
    case WM_NCCALCSIZE:
      if (!skinnable) break;
      WMNCCalcSize(M);
      return;
    case WM_NCHITTEST:
      if (!skinnable) break;
      {
        TPoint p{static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam))),
                 static_cast<short>(HIWORD(static_cast<std::uintptr_t>(M.LParam)))};
        ScreenToFormPoint(p);
        M.Result = FSkinSupport ? SkinHitTest(p) : DefaultHitTest(p);
        if (!MouseTimer->Enabled() && M.Result == HTOBJECT) {
          TestActiveObject(p.X, p.Y, true);
          if (alive) MouseTimer->SetEnabled(true);
        }
      }
      return;
    case WM_NCPAINT:
      if (!skinnable) break;
      if (HasBorder() && !IsMaximizedMDIChild()) {
        if (FSkinSupport)
          PaintNCSkin(nullptr, false);
        else if (!FStopPainting)
          PaintNCDefault(nullptr, false);
      }
      return;
    case WM_NCACTIVATE:
      if (!skinnable) break;
      WMNCActivate(M, Next);
      return;
    case WM_SYNCPAINT:
      if (skinnable && FRollUpState) {
        SendNCPaint();
        M.Result = 0;
        return;
      }
      break;
    case WM_SYSCOMMAND:
      if ((M.WParam & 0xFFF0) == SC_KEYMENU) {
        // Alt or F10 alone; Alt+Space (lParam ' ') is the form's shortcut, handled before.
        if (M.LParam == 0) KeyMenu();
        return;
      }
      if ((M.WParam & 0xFFF0) == SC_RESTORE && OnRestore) {
        OnRestore(this);
        if (!alive) return;
      }
      break;
    case WM_vlSkinChangeBegin:
    case WM_vlSkinChanged:
    case WM_vlSkinChangeEnd: {
      auto* container = reinterpret_cast<TvlSkinData*>(M.WParam);
      if (M.Msg == WM_vlSkinChangeBegin) SkinChangeBegin(container);
      else if (M.Msg == WM_vlSkinChanged) SkinChanged(container);
      else SkinChangeEnd(container);
      if (alive) Next(M);
      return;
    }
    case WM_MOUSEACTIVATE:
      if (skinnable && IsMDIChild() && !FFormActive) {
        auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm());
        if (main != nullptr && main->ActiveMDIChild() == FForm) {
          // A click on the active child's client area makes its caption active again.
          FFormActive = true;
          UpdateCaptionActive(!IsMaximizedMDIChild());
          if (!alive) return;
        }
      }
      break;
    case WM_vlMDIChildFitClient:
    case WM_vlMDIChildMaximized:
    case WM_vlMDIChildRestored:
      MDIFamilyMessage(M.Msg);
      if (alive) Next(M);
      return;
    case WM_vlSkinMenuClosed:
      SkinMenuClose();
      if (alive) Next(M);
      return;
    case WM_vlResourceStringsChanged:
      LoadCaptionHints();
      Next(M);
      return;
    case WM_vlLayeredBordersChanged:
      if (!UseLayeredBorder()) {
        if (FBorderLayer->Visible()) FBorderLayer->Hide();
      } else if (FForm->Visible() && !FBorderLayer->Visible()) {
        FBorderLayer->SetActive(FFormActive, false);
        FBorderLayer->ShowWithForm();
      }
      Next(M);
      return;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      // The form's own handling first (a caption press runs the move loop), then the objects.
      Next(M);
      if (alive) RouteObjectMouse(M);
      return;
    case WM_vlSkinnableFormChanged:
      if (!FUseRibbon && FSD && M.WParam == reinterpret_cast<WPARAM>(FSD) && !IsMDIChild())
        SetSkinnableForm(FSD->SkinnableForm());
      if (alive) Next(M);
      return;
    case WM_vlSkinFrameQuery:
      M.Result = (!skinnable && FIsVistaOs) ? vlSkinFrameQueryPlatformFrame : vlSkinFrameQueryAnswer;
      return;
    case WM_vlSmartEffectsBegin: FSmartEffectsShow = true; break;
    case WM_vlSmartEffectsEnd:
      if (FSmartEffectsShow) {
        FSmartEffectsShow = false;
        if (FForm->Visible() && UseLayeredBorder()) {
          FBorderLayer->SetActive(true, false);
          FBorderLayer->ShowWithFormAnimation();
        }
      }
      break;
    case WM_vlPaintFrameToDC:
      if (!skinnable) break;
      if (M.WParam) {
        PaintFrameToDC(reinterpret_cast<HDC>(M.WParam));
        M.Result = vlPaintFrameToDCAnswer;
      }
      return;
    case WM_vlPaintFrameToDCEx:
      if (!skinnable || M.LParam != vlPaintFrameToDCExKey) break;
      if (M.WParam) PaintFrameToDC(reinterpret_cast<HDC>(M.WParam));
      M.Result = vlPaintFrameToDCExKey;
      return;
    default: break;
  }
  Next(M);
}

void TvlVelmora::PaintFrameToDC(HDC DC) {
  if (!HasBorder() || IsMaximizedMDIChild()) return;
  if (FSkinSupport)
    PaintNCSkin(DC, true);
  else
    PaintNCDefault(DC, true);
}

void TvlVelmora::WMSize(TMessage& M, const TWndMethod& Next) {
  TWeak<TvlVelmora> alive(this);
  const bool logo = !FLogoBitMap->Empty() && !IsMDIParent();
  if (FSizeMove && FFullDrag) {
    if (logo) RepaintForm();
    Next(M);
    return;
  }
  if (!FBorderLayerChangeSize) {
    Next(M);
    if (!alive) return;
  }
  FFormWidth = FForm->Width();
  FFormHeight = FForm->Height();
  HMagnetized = VMagnetized = HMagnetized2 = VMagnetized2 = false;
  if (FSkinnableForm && !FSkinSupport) {
    UpdateFormRegion();
    SendNCPaint();
  } else if (FSkinnableForm && FFormWidth >= GetMinWidth() && FFormHeight >= GetMinHeight()) {
    if (UseLayeredBorder()) {
      if (FBorderLayerChangeSize)
        FBorderLayer->SetBoundsWithForm3(FFormLeft, FFormTop, FFormWidth, FFormHeight);
      else
        FBorderLayer->SetBoundsWithForm();
    }
    UpdateSkinLayout();
  }
  if (FBorderLayerChangeSize) {
    Next(M);
    if (!alive) return;
  }
  if (FAlphaBlend && FAlphaBlendValue != 255 && FIsLayerEnabled) {
    SendNCPaint();
    RepaintForm();
  }
  if (logo) RepaintForm();
}

void TvlVelmora::WMNCActivate(TMessage& M, const TWndMethod& Next) {
  FBorderLayerChangeSize = false;
  if (FLayerManager->IsVisible) FLayerManager->Hide();
  if (FMenuLayerManager->IsVisible) FMenuLayerManager->Hide();
  FFormActive = M.WParam != 0;
  TWeak<TvlVelmora> alive(this);
  if (SkinMenu->FVisible) SkinMenu->Hide();
  if (!alive) return;
  if (!FFormActive) TestActiveObject(-1, -1, false);
  if (!alive) return;
  if (IsMDIChild() || (IsMDIParent() && !FIsVistaOs)) {
    Next(M);
    if (!alive) return;
    if (IsMDIChild()) RepaintForm();
  } else {
    M.Result = 1;
  }
  if (IsMaximizedMDIChild() || !HasBorder()) {
    UpdateCaptionActive(false);
  } else {
    SendNCPaint();
    UpdateCaptionActive(true);
  }
  if (!alive) return;
  if (IsMDIChild()) {
    // The main form's caption shows a maximized child's; its bars and window menu mark the
    // active child.
    if (IsMaximizedMDIChild()) TellMainForm(WM_NCPAINT);
    if (TvlVelmora* main = MainFormSkinner()) {
      TWeak<TvlVelmora> mainAlive(main);
      main->RefreshMainMenuBar();
      if (mainAlive) main->RefreshMDITabsBar();
      if (mainAlive) main->UpDateChildActiveInMenu();
    }
    if (!alive) return;
  }
  if (FForm->Visible() && ClientInActiveEffect) {
    if (FFormActive)
      HideClientInActiveEffect();
    else
      ShowClientInActiveEffect();
  }
  if (FForm->Visible() && UseLayeredBorder())
    FBorderLayer->SetActive(FFormActive, true);
  else if (!FForm->Visible() && FForm->Tag != -10000 && FBorderLayer->Visible())
    FBorderLayer->Hide();
}

void TvlVelmora::WMEraseBkgnd(TMessage& M) {
  if (IsMDIParent() && !FClientInActiveDraw) return;
  const auto dc = reinterpret_cast<HDC>(M.WParam);
  if (!FSkinSupport)
    PaintBGDefault(dc);
  else if (FUseRibbon && FSD->MDIBGPictureIndex != -1)
    PaintBG3(dc);
  else if (FSD->BGPictureIndex == -1)
    PaintBG(dc);
  else
    PaintBG2(dc);
  M.Result = 1;
}

void TvlVelmora::WMGetMinMaxInfo(TMessage& M) {
  auto* mmi = reinterpret_cast<MINMAXINFO*>(M.LParam);
  if (!mmi) return;
  mmi->ptMinTrackSize = TPoint{GetMinWidth(), GetMinHeight()};
  mmi->ptMaxTrackSize = TPoint{GetMaxWidth(), GetMaxHeight()};
}
