// The inner edit (TvlCustomEdit) and the numeric edit (TvlSkinNumEdit). The skinned edit with
// its frame is in vlSkinBoxCtrlsSkinEdit.cpp.

#include "lib/controls/vlSkinBoxCtrlsEdit.h"

#include <cstdint>

#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/data/vlconst.h"
#include "platform/controls/Application.h"
#include "platform/x11/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/Window.h"

namespace {

bool KeyHeld(int VirtualKey) { return (GetKeyState(VirtualKey) & 0x8000) != 0; }

// Posted to the edit's own window after a context-menu command has run: the menu is freed
// then, once the menu's command chain has returned.
UINT ReleaseMenuMessage() {
  static const UINT message = RegisterWindowMessage("vlCustomEditReleaseMenu");
  return message;
}

// The keys that edit the text through the window's own shortcuts: Ctrl with A, C, V, X or Z (the
// control characters a read-only edit drops) and Shift+Insert (a paste).
bool IsEditingShortcut(WORD Key) {
  const bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
  if (ctrl && !shift && !KeyHeld(VK_MENU))
    return Key == 'A' || Key == 'C' || Key == 'V' || Key == 'X' || Key == 'Z';
  return shift && !ctrl && Key == VK_INSERT;
}

}  // namespace

// ---- TvlCustomEdit --------------------------------------------------------------------------------

TvlCustomEdit::TvlCustomEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetControlStyle(TControlStyle(ControlStyle()).Include(TControlStyleFlag::csOpaque));
}

TvlCustomEdit::~TvlCustomEdit() {
  delete FSysPopupMenu;
  delete FUsedPopupMenu;
}

void TvlCustomEdit::SetEditTransparent(bool Value) {
  FEditTransparent = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TvlCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  if (FEditTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
  // A multi-line window takes a formatting rectangle; a password edit stays single-line.
  Params.Style |= PasswordChar() != 0 ? ES_PASSWORD : ES_MULTILINE;
}

void TvlCustomEdit::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  // The platform sends no WM_SETFONT when a window is made; the margins come with the window.
  SetEditMargins();
}

void TvlCustomEdit::SetEditMargins() {
  if (HandleAllocated()) SendMessage(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 0));
}

void TvlCustomEdit::TransparentRepaint() {
  if (FEditTransparent) Invalidate();
}

void TvlCustomEdit::Invalidate() {
  if (!FEditTransparent) {
    TCustomMaskEdit::Invalidate();
    return;
  }
  TWinControl* parent = Parent();
  if (!parent || !HandleAllocated() || !parent->HandleAllocated()) return;
  const TRect client = ClientRect();
  const TPoint topLeft = parent->ScreenToClient(ClientToScreen(TPoint{client.Left, client.Top}));
  const TPoint bottomRight = parent->ScreenToClient(ClientToScreen(TPoint{client.Right, client.Bottom}));
  const TRect under{topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
  InvalidateRect(parent->Handle(), &under, TRUE);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

bool TvlCustomEdit::WantsKey(WORD Key) {
  if (Key == VK_RETURN || Key == VK_ESCAPE) return true;
  return TCustomMaskEdit::WantsKey(Key);
}

void TvlCustomEdit::Change() {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::Change();
  if (self) TransparentRepaint();
}

void TvlCustomEdit::WndProc(TMessage& M) {
  if (M.Msg == WM_vlSkinMenuCommandDone) {
    ReleaseMenuLater();
    return;
  }
  if (M.Msg == ReleaseMenuMessage()) {
    delete FUsedPopupMenu;
    FUsedPopupMenu = nullptr;
    return;
  }
  switch (M.Msg) {
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      if (FReadOnly) return;  // refused silently
      TCustomMaskEdit::WndProc(M);
      TransparentRepaint();
      return;
    case WM_SETFONT:
      TCustomMaskEdit::WndProc(M);
      SetEditMargins();
      return;
    case WM_SETTEXT:
    case WM_MOVE:
      TCustomMaskEdit::WndProc(M);
      TransparentRepaint();
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      if (!FEditTransparent) break;
      SetBkMode(reinterpret_cast<HDC>(M.WParam), TRANSPARENT);
      SetTextColor(reinterpret_cast<HDC>(M.WParam), ColorToRGB(Font()->Color()));
      M.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      return;
    default:
      break;
  }
  TCustomMaskEdit::WndProc(M);
}

void TvlCustomEdit::DefaultHandler(TMessage& M) {
  // The window's own editing shortcuts would change a read-only text.
  if (FReadOnly && M.Msg == WM_KEYDOWN && IsEditingShortcut(static_cast<WORD>(M.WParam))) return;
  TCustomMaskEdit::DefaultHandler(M);
}

void TvlCustomEdit::WMChar(TMessage& M) {
  const auto ch = static_cast<char32_t>(M.WParam);
  if (M.Msg == WM_CHAR && (ch == 13 || ch == 27)) {
    // Enter and Escape never reach the window (no line break, no beep): the form's default or
    // cancel button takes them.
    char32_t key = ch;
    TWeak<TvlCustomEdit> self(this);
    if (OnKeyPress) OnKeyPress(this, key);
    if (!self) return;
    if (TCustomForm* form = GetParentForm(this)) form->Perform(CM_DIALOGKEY, M.WParam, M.LParam);
    return;
  }
  if (FReadOnly && M.Msg == WM_CHAR) return;
  TCustomMaskEdit::WMChar(M);
}

void TvlCustomEdit::WMKeyDown(TMessage& M) {
  if (FReadOnly && M.WParam == VK_DELETE) return;  // not even OnKeyDown
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::WMKeyDown(M);
  if (self) TransparentRepaint();
}

void TvlCustomEdit::WMSetFocus(TMessage& M) {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::WMSetFocus(M);
  if (!self) return;
  TransparentRepaint();
  if (AutoSelect()) SelectAll();
}

void TvlCustomEdit::WMKillFocus(TMessage& M) {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::WMKillFocus(M);
  if (self) TransparentRepaint();
}

void TvlCustomEdit::WMLButtonDown(TMessage& M) {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::WMLButtonDown(M);
  if (!self) return;
  FDown = true;
  TransparentRepaint();
}

void TvlCustomEdit::WMLButtonUp(TMessage& M) {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::WMLButtonUp(M);
  if (self) FDown = false;
}

void TvlCustomEdit::WMMouseMove(TMessage& M) {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::WMMouseMove(M);
  if (self && FDown) TransparentRepaint();
}

void TvlCustomEdit::WMEraseBkgnd(TMessage& M) {
  if (!FEditTransparent) {
    TCustomMaskEdit::WMEraseBkgnd(M);
    return;
  }
  // Nothing of the edit's own is erased: what its parent shows at its place is painted in, so
  // the text lies on the parent's picture even where the parent keeps its children out of its
  // own paint. (Asking for another repaint here would start the next erase at once: the
  // parent's invalidation reaches this window again.)
  if (M.WParam) {
    TCanvas canvas;
    canvas.SetHandle(reinterpret_cast<HDC>(M.WParam));
    DrawParentBackground(this, &canvas);
    canvas.SetHandle(nullptr);
  }
  M.Result = 1;
}

void TvlCustomEdit::CMCancelMode(TMessage& M) {
  TWeak<TvlCustomEdit> self(this);
  TCustomMaskEdit::CMCancelMode(M);
  if (self && OnEditCancelMode) OnEditCancelMode(reinterpret_cast<TControl*>(M.LParam));
}

// ---- Context menu ----

void TvlCustomEdit::WMContextMenu(TMessage& M) {
  if (PopupMenu()) {
    TCustomMaskEdit::WMContextMenu(M);
    return;
  }
  CreateSysPopupMenu();
  int x = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
  int y = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(M.LParam)));
  if (x < 0 || y < 0) {
    // The menu key or Shift+F10: the centre of the edit.
    const TPoint origin = ClientOrigin();
    x = origin.X + Width() / 2;
    y = origin.Y + Height() / 2;
  }
  M.Result = 1;
  FSysPopupMenu->Popup2(this, x, y);
}

void TvlCustomEdit::CreateSysPopupMenu() {
  delete FSysPopupMenu;
  FSysPopupMenu = nullptr;
  auto* menu = new TvlSkinPopupMenu(this);
  FSysPopupMenu = menu;
  TCustomForm* form = GetParentForm(this);
  TCustomForm* shower = form;
  if (form && form->FormStyle() == TFormStyle::fsMDIChild) shower = dynamic_cast<TCustomForm*>(Application()->MainForm());
  menu->FComponentForm = TWeak<TCustomForm>(shower);

  TvlResourceStrData* table = nullptr;
  if (TvlSkinMenuHost* skinner = vlFindSkinMenuHost(form); skinner && skinner->SkinData())
    table = skinner->SkinData()->ResourceStrData();
  auto caption = [table](const char* key) { return table ? table->GetResStr(key) : vlBuiltInText(key); };

  int start = 0, stop = 0;
  GetSel(start, stop);
  const bool selection = start < stop;
  const bool everything = start == 0 && stop == Utf8CharCount(Text());
  struct Item {
    const char* key;  // nullptr: a separator
    bool enabled;
    UINT message;  // sent to the edit, so a read-only edit refuses what it refuses from the keys
  };
  const Item items[] = {
      {"EDIT_UNDO", CanUndo(), WM_UNDO},
      {nullptr, true, 0},
      {"EDIT_CUT", selection && !FReadOnly, WM_CUT},
      {"EDIT_COPY", selection, WM_COPY},
      {"EDIT_PASTE", !Clipboard()->AsText().empty() && !FReadOnly, WM_PASTE},
      {"EDIT_DELETE", selection && !FReadOnly, WM_CLEAR},
      {nullptr, true, 0},
      {"EDIT_SELECTALL", !everything, 0},
  };
  for (const Item& item : items) {
    auto* entry = new TMenuItem(menu);
    entry->SetCaption(item.key ? caption(item.key) : std::string(cLineCaption));
    entry->SetEnabled(item.enabled);
    if (item.key) {
      const UINT message = item.message;
      entry->OnClick = [this, message](TObject*) {
        if (message)
          Perform(message, 0, 0);
        else
          SelectAll();
      };
    }
    menu->Items()->Add(entry);
  }
}

void TvlCustomEdit::ReleaseMenuLater() {
  if (!FSysPopupMenu) return;
  // The menu's command chain is still running on the stack: free it on the next turn.
  delete FUsedPopupMenu;
  FUsedPopupMenu = FSysPopupMenu;
  FSysPopupMenu = nullptr;
  if (HandleAllocated()) PostMessage(Handle(), ReleaseMenuMessage(), 0, 0);
}

// ---- TvlSkinNumEdit -----------------------------------------------------------------------------

TvlSkinNumEdit::TvlSkinNumEdit(TComponent* AOwner) : TvlCustomEdit(AOwner) {}

bool TvlSkinNumEdit::IsValidChar(char32_t Key) {
  const char32_t separator = static_cast<unsigned char>(FormatSettings().DecimalSeparator);
  const bool control = Key < 32 && Key != 13;
  bool valid = Key == U'-' || (Key >= U'0' && Key <= U'9') || control;
  if (Float && Key <= 255 && Key == separator) valid = true;
  if (valid && !FEditorEnabled && (Key == 8 || Key >= 32)) valid = false;
  if (valid && Float && Key == separator) return Text().find(static_cast<char>(separator)) == std::string::npos;
  if (valid && Key == U'-' && Text().find('-') != std::string::npos) valid = false;
  return valid;
}

void TvlSkinNumEdit::KeyPress(char32_t& Key) {
  // Ctrl with a letter is one of the window's commands here (the platform types no control
  // character for it): not a character to filter.
  const bool command = KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU);
  if (!command && !IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TvlCustomEdit::KeyPress(Key);
}

void TvlSkinNumEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    // The up and down events replace the key handling (no OnKeyDown); Key stays as it is.
    const TNotifyEvent event = Key == VK_UP ? OnUpClick : OnDownClick;
    if (event) event(this);
    return;
  }
  TvlCustomEdit::KeyDown(Key, Shift);
}

void TvlSkinNumEdit::WndProc(TMessage& M) {
  if (M.Msg == WM_MOUSEWHEEL) {
    // Key flags in the low word, the signed turn in the high word: a turn away from the user
    // makes the number positive.
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(M.WParam));
    const TNotifyEvent event = value > 0 ? OnDownClick : OnUpClick;
    if (event) event(this);
    return;
  }
  TvlCustomEdit::WndProc(M);
}
