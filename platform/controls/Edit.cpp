#include "platform/controls/Edit.h"

#include <algorithm>
#include <cwctype>

#include "platform/x11/Clipbrd.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/WindowTree.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr UINT_PTR kCaretTimer = 0xCA7;
constexpr UINT kCaretBlinkMs = 530;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Upper or lower case of ASCII and Latin letters; other scripts stay as they are.
std::string ApplyCase(const std::string& s, TEditCharCase mode) {
  if (mode == TEditCharCase::ecNormal) return s;
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += static_cast<char>(mode == TEditCharCase::ecUpperCase ? std::toupper(c) : std::tolower(c));
      ++i;
    } else {
      std::size_t j = i + 1;
      while (j < s.size() && IsContinuation(static_cast<unsigned char>(s[j]))) ++j;
      out.append(s, i, j - i);
      i = j;
    }
  }
  return out;
}

bool IsKeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// A DC for measuring with a font, released at scope end.
class TMeasureDC {
 public:
  explicit TMeasureDC(TFont* font) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_) old_ = SelectObject(dc_, font->Handle());
  }
  ~TMeasureDC() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TMeasureDC(const TMeasureDC&) = delete;
  TMeasureDC& operator=(const TMeasureDC&) = delete;
  [[nodiscard]] int Width(const std::string& s) const {
    TSize sz{0, 0};
    if (dc_ && !s.empty()) GetTextExtentPoint32(dc_, s, &sz);
    return sz.cx;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle(TControlStyle{TControlStyleFlag::csClickEvents, TControlStyleFlag::csSetCaption,
                                TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  color_ = clWindow;
  SetParentColor(false);
}

TCustomEdit::~TCustomEdit() { StopCaret(); }

void TCustomEdit::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.Style |= ES_AUTOHSCROLL;
  if (border_style_ == TBorderStyle::bsSingle) P.Style |= WS_BORDER;
  if (read_only_) P.Style |= ES_READONLY;
  if (password_char_) P.Style |= ES_PASSWORD;
  if (!hide_selection_) P.Style |= ES_NOHIDESEL;
  if (char_case_ == TEditCharCase::ecUpperCase) P.Style |= ES_UPPERCASE;
  if (char_case_ == TEditCharCase::ecLowerCase) P.Style |= ES_LOWERCASE;
  if (alignment_ == TAlignment::taCenter) P.Style |= ES_CENTER;
  if (alignment_ == TAlignment::taRightJustify) P.Style |= ES_RIGHT;
  P.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  P.WindowClass.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  P.WinClassName = "Edit";
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  scroll_x_ = 0;
}

// ---- Properties ----

int TCustomEdit::Length() const { return Utf8CharCount(text_); }
int TCustomEdit::SelStart() const { return std::min(anchor_, caret_); }
int TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }

std::string TCustomEdit::SelText() const {
  std::size_t a = Utf8ByteOffset(text_, SelStart()), b = Utf8ByteOffset(text_, SelStart() + SelLength());
  return text_.substr(a, b - a);
}

void TCustomEdit::SetSelStart(int Value) { SetSelection(Value, Value); }
void TCustomEdit::SetSelLength(int Value) { SetSelection(SelStart(), SelStart() + std::max(Value, 0)); }
void TCustomEdit::SelectAll() { SetSelection(0, Length()); }

void TCustomEdit::SetSelText(const std::string& Value) {
  std::string v = MultiLineText() ? Value : Value.substr(0, Value.find_first_of("\r\n"));
  std::size_t a = Utf8ByteOffset(text_, SelStart()), b = Utf8ByteOffset(text_, SelStart() + SelLength());
  std::string t = text_.substr(0, a) + v + text_.substr(b);
  ApplyEdit(std::move(t), SelStart() + Utf8CharCount(v), true, false);
}

void TCustomEdit::ClearSelection() {
  if (SelLength()) SetSelText(std::string());
}

void TCustomEdit::Undo() {
  if (!can_undo_) return;
  Snapshot redo{text_, anchor_, caret_};
  Snapshot back = undo_;
  ApplyEdit(back.text, back.caret, false, false);
  SetSelection(back.anchor, back.caret);
  undo_ = std::move(redo);  // undoing again redoes
  can_undo_ = true;
}

void TCustomEdit::CutToClipboard() {
  if (!SelLength() || password_char_) return;
  CopyToClipboard();
  if (!read_only_) ClearSelection();
}

void TCustomEdit::CopyToClipboard() {
  if (SelLength() && !password_char_) Clipboard()->SetAsText(SelText());
}

void TCustomEdit::PasteFromClipboard() {
  if (read_only_) return;
  std::string t = Clipboard()->AsText();
  if (!MultiLineText()) t = t.substr(0, t.find_first_of("\r\n"));
  UserReplace(t, false);
}

void TCustomEdit::SetReadOnly(bool Value) {
  read_only_ = Value;
  if (HandleAllocated()) {
    LONG_PTR s = GetWindowLongPtr(handle_, GWL_STYLE);
    SetWindowLongPtr(handle_, GWL_STYLE, Value ? (s | ES_READONLY) : (s & ~static_cast<LONG_PTR>(ES_READONLY)));
    Invalidate();
  }
}

void TCustomEdit::SetPasswordChar(char32_t Value) {
  if (password_char_ == Value) return;
  password_char_ = Value;
  scroll_x_ = 0;
  if (HandleAllocated()) Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  char_case_ = Value;
  std::string t = ApplyCase(text_, Value);
  if (t != text_) SetText(t);
}

void TCustomEdit::SetHideSelection(bool Value) {
  hide_selection_ = Value;
  if (HandleAllocated()) Invalidate();
}

void TCustomEdit::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomEdit::Change() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

bool TCustomEdit::WantsKey(WORD Key) {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN || Key == VK_HOME || Key == VK_END;
}

// ---- Framework messages ----

void TCustomEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (HIWORD(M.WParam) == EN_CHANGE) {
        Change();
        return;
      }
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
      CNCtlColor(M);
      return;
    default:
      break;
  }
  TWinControl::WndProc(M);
}

void TCustomEdit::CMEnter(TMessage& M) {
  // Entered by the keyboard (not by a press inside): select everything.
  if (auto_select_ && !IsKeyHeld(VK_LBUTTON)) SelectAll();
  TWinControl::CMEnter(M);
}

void TCustomEdit::CMTextChanged(TMessage& M) {
  // The framework's Text write: the window's WM_SETTEXT resets the selection and undo.
  setting_text_ = true;
  TWinControl::CMTextChanged(M);
  setting_text_ = false;
  if (!HandleAllocated()) {
    anchor_ = caret_ = std::min(caret_, Length());
    anchor_ = std::min(anchor_, Length());
  }
}

void TCustomEdit::CMFontChanged(TMessage& M) {
  TWinControl::CMFontChanged(M);
  if (HandleAllocated()) Invalidate();
}

void TCustomEdit::WMPaint(TMessage& M) { DefaultHandler(M); }
void TCustomEdit::WMEraseBkgnd(TMessage& M) { DefaultHandler(M); }

void TCustomEdit::WMLButtonDown(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonDown(M); });
}

void TCustomEdit::WMLButtonDblClk(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonDblClk(M); });
}

void TCustomEdit::WMLButtonUp(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonUp(M); });
}

void TCustomEdit::WMMouseMove(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMMouseMove(M); });
}

void TCustomEdit::DefaultHandler(TMessage& M) {
  if (HandleAllocated() && HandleNative(M)) return;
  TWinControl::DefaultHandler(M);
}

// ---- The window's own handling ----

bool TCustomEdit::HandleNative(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      return true;
    case WM_SETTEXT: {
      // Text given to the window (the framework's Text or a direct message).
      TWinControl::DefaultHandler(M);  // the window keeps its own copy of the caption
      if (caption_sync_) return true;  // an edit of the edit's own: nothing to reset
      if (!setting_text_) text_ = M.LParam ? std::string(reinterpret_cast<const char*>(M.LParam)) : std::string();
      anchor_ = caret_ = 0;
      scroll_x_ = 0;
      can_undo_ = false;
      typing_ = false;
      Invalidate();
      TellChanged();
      M.Result = TRUE;
      return true;
    }
    case WM_KEYDOWN:
      NativeKeyDown(static_cast<WORD>(M.WParam));
      M.Result = 0;
      return true;
    case WM_CHAR:
      NativeChar(static_cast<char32_t>(M.WParam));
      M.Result = 0;
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      NativeMouse(M);
      return true;
    case WM_CAPTURECHANGED:
      selecting_ = false;
      return false;
    case WM_SETFOCUS:
      focused_ = true;
      RestartCaret();
      Invalidate();
      return false;
    case WM_KILLFOCUS:
      focused_ = false;
      StopCaret();
      Invalidate();
      return false;
    case WM_TIMER:
      if (M.WParam != kCaretTimer) return false;
      caret_on_ = !caret_on_;
      Invalidate();
      return true;
    case WM_ERASEBKGND:
      M.Result = 1;  // painted with the text, so nothing flickers
      return true;
    case WM_PAINT: {
      PaintNative(M, [this](HDC DC) { NativePaint(DC); });
      M.Result = 0;
      return true;
    }
    case EM_GETSEL: {
      auto start = static_cast<DWORD>(SelStart()), end = static_cast<DWORD>(SelStart() + SelLength());
      if (auto* p = reinterpret_cast<DWORD*>(M.WParam)) *p = start;
      if (auto* p = reinterpret_cast<DWORD*>(M.LParam)) *p = end;
      M.Result = static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(std::min<DWORD>(start, 0xFFFF)),
                                                 static_cast<WORD>(std::min<DWORD>(end, 0xFFFF))));
      return true;
    }
    case EM_SETSEL: {
      int start = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
      int end = static_cast<int>(M.LParam);
      if (start < 0) {
        SetSelection(caret_, caret_);  // -1 removes the selection
      } else {
        if (end < 0) end = Length();
        SetSelection(start, end);
      }
      return true;
    }
    case EM_REPLACESEL:
      if (M.LParam) {
        std::string s(reinterpret_cast<const char*>(M.LParam));
        if (!MultiLineText()) s = s.substr(0, s.find_first_of("\r\n"));
        std::size_t a = Utf8ByteOffset(text_, SelStart()), b = Utf8ByteOffset(text_, SelStart() + SelLength());
        ApplyEdit(text_.substr(0, a) + s + text_.substr(b), SelStart() + Utf8CharCount(s), M.WParam != 0, false);
      }
      return true;
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<TRect*>(M.LParam)) *r = FormatRect();
      return true;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (auto* r = reinterpret_cast<const TRect*>(M.LParam)) {
        format_rect_ = *r;
        has_format_rect_ = true;
      } else {
        has_format_rect_ = false;
      }
      scroll_x_ = 0;
      ScrollCaretIntoView();
      if (M.Msg == EM_SETRECT) Invalidate();
      return true;
    case EM_SETMARGINS:
      if (M.WParam & EC_LEFTMARGIN) left_margin_ = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
      if (M.WParam & EC_RIGHTMARGIN) right_margin_ = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(M.LParam)));
      Invalidate();
      return true;
    case EM_GETMARGINS:
      M.Result = MAKELPARAM(static_cast<WORD>(left_margin_), static_cast<WORD>(right_margin_));
      return true;
    case EM_CANUNDO:
      M.Result = can_undo_ ? TRUE : FALSE;
      return true;
    case EM_UNDO:
    case WM_UNDO:
      if (read_only_) return true;
      M.Result = can_undo_ ? TRUE : FALSE;
      Undo();
      return true;
    case EM_EMPTYUNDOBUFFER:
      can_undo_ = false;
      return true;
    case EM_SETREADONLY:
      SetReadOnly(M.WParam != 0);
      M.Result = TRUE;
      return true;
    case EM_LIMITTEXT:
      SetMaxLength(static_cast<int>(M.WParam));
      return true;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(static_cast<char32_t>(M.WParam));
      return true;
    case EM_GETPASSWORDCHAR:
      M.Result = static_cast<LRESULT>(password_char_);
      return true;
    case EM_GETMODIFY:
      M.Result = modified_ ? TRUE : FALSE;
      return true;
    case EM_SETMODIFY:
      modified_ = M.WParam != 0;
      return true;
    case WM_CUT:
      CutToClipboard();
      return true;
    case WM_COPY:
      CopyToClipboard();
      return true;
    case WM_PASTE:
      PasteFromClipboard();
      return true;
    case WM_CLEAR:
      if (!read_only_) ClearSelection();
      return true;
    default:
      return false;
  }
}

void TCustomEdit::NativeKeyDown(WORD Key) {
  const bool shift = IsKeyHeld(VK_SHIFT), ctrl = IsKeyHeld(VK_CONTROL);
  auto move = [&](int to) { SetSelection(shift ? anchor_ : to, to); };
  switch (Key) {
    case VK_LEFT:
      if (!shift && SelLength()) SetSelection(SelStart(), SelStart());
      else move(std::max(caret_ - 1, 0));
      break;
    case VK_RIGHT:
      if (!shift && SelLength()) SetSelection(SelStart() + SelLength(), SelStart() + SelLength());
      else move(std::min(caret_ + 1, Length()));
      break;
    case VK_HOME: move(0); break;
    case VK_END: move(Length()); break;
    case VK_DELETE:
      if (shift) {
        CutToClipboard();
      } else if (!read_only_) {
        if (!SelLength()) SetSelection(caret_, std::min(caret_ + 1, Length()));
        UserReplace(std::string(), false);
      }
      break;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (shift) PasteFromClipboard();
      break;
    default:
      if (ctrl && !shift) {
        switch (Key) {
          case 'A': SelectAll(); break;
          case 'C': CopyToClipboard(); break;
          case 'X': CutToClipboard(); break;
          case 'V': PasteFromClipboard(); break;
          case 'Z': if (!read_only_) Undo(); break;
          default: break;
        }
      }
      break;
  }
}

void TCustomEdit::NativeChar(char32_t Ch) {
  if (Ch == 0x08) {  // Backspace
    if (read_only_) return;
    if (!SelLength()) {
      if (caret_ == 0) return;
      SetSelection(caret_, caret_ - 1);
    }
    UserReplace(std::string(), false);
    return;
  }
  if (Ch < 0x20 || Ch == 0x7F) return;  // control characters are keys, not text
  // Ctrl with a letter is a command (handled as its key), unless Alt makes it AltGr.
  if (IsKeyHeld(VK_CONTROL) && !IsKeyHeld(VK_MENU)) return;
  if (read_only_) return;
  UserReplace(Utf8Encode(Ch), true);
}

void TCustomEdit::UserReplace(const std::string& Insert, bool CoalesceTyping) {
  if (read_only_) return;
  std::string ins = ApplyCase(Insert, char_case_);
  if (max_length_ > 0) {
    int room = max_length_ - (Length() - SelLength());
    if (room <= 0 && !ins.empty()) return;  // full: the character is refused
    if (Utf8CharCount(ins) > room) ins = ins.substr(0, Utf8ByteOffset(ins, room));
  }
  std::size_t a = Utf8ByteOffset(text_, SelStart()), b = Utf8ByteOffset(text_, SelStart() + SelLength());
  if (ins.empty() && a == b) return;
  ApplyEdit(text_.substr(0, a) + ins + text_.substr(b), SelStart() + Utf8CharCount(ins), true, CoalesceTyping);
}

void TCustomEdit::ApplyEdit(std::string NewText, int Caret, bool SaveUndo, bool Coalesce) {
  if (SaveUndo && !(Coalesce && typing_ && can_undo_)) {
    undo_ = Snapshot{text_, anchor_, caret_};
    can_undo_ = true;
  }
  typing_ = Coalesce;
  const bool changed = NewText != text_;
  text_ = std::move(NewText);
  if (HandleAllocated()) {
    caption_sync_ = true;
    SetWindowText(handle_, text_);  // the window's caption follows, without the reset of WM_SETTEXT
    caption_sync_ = false;
  }
  anchor_ = caret_ = std::clamp(Caret, 0, Length());
  ScrollCaretIntoView();
  RestartCaret();
  if (HandleAllocated()) Invalidate();
  if (changed) TellChanged();
}

void TCustomEdit::SetSelection(int Anchor, int Caret) {
  int n = Length();
  anchor_ = std::clamp(Anchor, 0, n);
  caret_ = std::clamp(Caret, 0, n);
  typing_ = false;
  ScrollCaretIntoView();
  RestartCaret();
  if (HandleAllocated()) Invalidate();
}

void TCustomEdit::TellChanged() {
  HWND parent = HandleAllocated() ? GetParent(handle_) : nullptr;
  if (parent && FindControl(parent)) {
    auto id = static_cast<WORD>(GetWindowLongPtr(handle_, GWL_ID));
    SendMessage(parent, WM_COMMAND, static_cast<WPARAM>(id) | (static_cast<WPARAM>(EN_CHANGE) << 16),
                reinterpret_cast<LPARAM>(handle_));
  } else {
    Change();  // no framework parent to reflect the notification
  }
}

void TCustomEdit::NativeMouse(TMessage& M) {
  const int x = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
  switch (M.Msg) {
    case WM_LBUTTONDOWN: {
      if (GetFocus() != handle_) SetFocus();
      int at = IndexAt(x);
      SetSelection(IsKeyHeld(VK_SHIFT) ? anchor_ : at, at);
      selecting_ = true;
      SetCapture(handle_);
      break;
    }
    case WM_LBUTTONDBLCLK: {
      // A word: the run of non-space characters around the point.
      std::u32string chars;
      for (int i = 0, n = Length(); i < n; ++i) {
        std::size_t a = Utf8ByteOffset(text_, i), b = Utf8ByteOffset(text_, i + 1);
        chars += text_[a] == ' ' && b == a + 1 ? U' ' : U'x';
      }
      int at = std::min(IndexAt(x), Length());
      int s = at, e = at;
      while (s > 0 && chars[static_cast<std::size_t>(s - 1)] != U' ') --s;
      while (e < Length() && chars[static_cast<std::size_t>(e)] != U' ') ++e;
      SetSelection(s, e);
      break;
    }
    case WM_MOUSEMOVE:
      if (selecting_) SetSelection(anchor_, IndexAt(x));
      break;
    case WM_LBUTTONUP:
      if (selecting_) {
        selecting_ = false;
        if (GetCapture() == handle_) ReleaseCapture();
      }
      break;
    default:
      break;
  }
  M.Result = 0;
}

// ---- Geometry ----

std::string TCustomEdit::DisplayText() const {
  if (!password_char_) return text_;
  std::string mark = Utf8Encode(password_char_), out;
  for (int i = 0, n = Length(); i < n; ++i) out += mark;
  return out;
}

TRect TCustomEdit::FormatRect() const {
  TRect r = has_format_rect_ ? format_rect_ : ClientRect();
  if (!has_format_rect_) r.Left += 1, r.Right -= 1, r.Top += 1;  // the border itself is the frame's (WS_BORDER)
  r.Left += left_margin_;
  r.Right -= right_margin_;
  if (r.Right < r.Left) r.Right = r.Left;
  return r;
}

int TCustomEdit::OffsetOf(int Index) const {
  std::string t = DisplayText();
  TMeasureDC dc(Font());
  return dc.Width(t.substr(0, Utf8ByteOffset(t, Index)));
}

int TCustomEdit::TextOrigin() const {
  TRect r = FormatRect();
  if (alignment_ == TAlignment::taLeftJustify) return r.Left - scroll_x_;
  int w = OffsetOf(Length());
  if (w >= r.Width()) return r.Left - scroll_x_;
  return alignment_ == TAlignment::taCenter ? r.Left + (r.Width() - w) / 2 : r.Right - w;
}

int TCustomEdit::IndexAt(int ClientX) const {
  int origin = TextOrigin();
  // The nearest boundary between characters.
  int best = 0, bestDistance = std::abs(ClientX - origin);
  for (int i = 1, n = Length(); i <= n; ++i) {
    int d = std::abs(ClientX - (origin + OffsetOf(i)));
    if (d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

int TCustomEdit::CaretX() { return TextOrigin() + OffsetOf(caret_); }

void TCustomEdit::ScrollCaretIntoView() {
  TRect r = FormatRect();
  int w = r.Width();
  if (w <= 0) return;
  int x = OffsetOf(caret_);
  int total = OffsetOf(Length());
  if (x - scroll_x_ > w - 1) scroll_x_ = x - w + 1 + w / 4;  // jump on by a quarter, as edits do
  if (x < scroll_x_) scroll_x_ = std::max(0, x - w / 4);
  scroll_x_ = std::clamp(scroll_x_, 0, std::max(0, total - w + 1));
}

void TCustomEdit::RestartCaret() {
  if (!focused_ || !HandleAllocated()) return;
  caret_on_ = true;
  SetTimer(handle_, kCaretTimer, kCaretBlinkMs, nullptr);
}

void TCustomEdit::StopCaret() {
  caret_on_ = false;
  if (HandleAllocated()) KillTimer(handle_, kCaretTimer);
}

// ---- Painting ----

void TCustomEdit::NativePaint(HDC DC) {
  TRect client = ClientRect();
  const bool grey = !Enabled() || read_only_;
  HWND parent = GetParent(handle_);
  // The parent (or the edit itself, through reflection) chooses colours and background brush.
  HBRUSH brush = nullptr;
  SetBkMode(DC, OPAQUE);
  if (parent) {
    brush = reinterpret_cast<HBRUSH>(SendMessage(parent, grey ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                                 reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(handle_)));
  }
  if (!brush) brush = GetSysColorBrush(grey ? COLOR_BTNFACE : COLOR_WINDOW);
  // A hollow brush means the control below shows through (transparent painting).
  if (brush != reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH))) FillRect(DC, &client, brush);

  HGDIOBJ oldFont = SelectObject(DC, Font()->Handle());
  TRect r = FormatRect();
  int saved = SaveDC(DC);
  IntersectClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
  const std::string shown = DisplayText();
  const int origin = TextOrigin();
  if (!Enabled()) SetTextColor(DC, GetSysColor(COLOR_GRAYTEXT));
  int bkMode = SetBkMode(DC, TRANSPARENT);
  TextOut(DC, origin, r.Top, shown);
  const bool showSelection = SelLength() && (focused_ || !hide_selection_);
  if (showSelection) {
    int a = origin + OffsetOf(SelStart()), b = origin + OffsetOf(SelStart() + SelLength());
    TEXTMETRIC tm{};
    GetTextMetrics(DC, &tm);
    TRect sel{a, r.Top, b, r.Top + tm.tmHeight};
    FillRect(DC, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
    COLORREF oldColour = SetTextColor(DC, GetSysColor(COLOR_HIGHLIGHTTEXT));
    std::size_t sa = Utf8ByteOffset(shown, SelStart()), sb = Utf8ByteOffset(shown, SelStart() + SelLength());
    TextOut(DC, a, r.Top, shown.substr(sa, sb - sa));
    SetTextColor(DC, oldColour);
  }
  if (CaretShown() && !SelLength()) {
    TEXTMETRIC tm{};
    GetTextMetrics(DC, &tm);
    int x = origin + OffsetOf(caret_);
    TRect caret{x, r.Top, x + 1, r.Top + tm.tmHeight};
    FillRect(DC, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
  }
  SetBkMode(DC, bkMode);
  RestoreDC(DC, saved);
  SelectObject(DC, oldFont);
}

// ---- In-place label editor ----

TEdit* CreateInPlaceEdit(TWinControl* Parent, std::function<void(bool Accept)> EndEdit) {
  auto* edit = new TEdit(Parent);
  edit->SetParent(Parent);
  edit->OnKeyDown = [EndEdit](TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
      bool accept = Key == VK_RETURN;
      Key = 0;
      EndEdit(accept);
    }
  };
  edit->OnExit = [EndEdit](TObject*) { EndEdit(true); };
  return edit;
}

void TCustomMaskEdit::GetSel(int& Start, int& Stop) const {
  Start = SelStart();
  Stop = SelStart() + SelLength();
}
