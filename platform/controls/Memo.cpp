// The multi-line edit (declared in Edit.h).
#include <algorithm>
#include <utility>

#include "platform/controls/Edit.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"
#include "platform/core/SysUtils.h"

namespace {

// The memo's lines: tells lines added at the end apart from every other change, so that the
// memo's text grows by the new lines instead of being made again from all of them.
class TMemoLines final : public TStringList {
 public:
  int AddObject(const std::string& S, TObject* AObject) override {
    const TAppending appending(*this, !Sorted());
    return TStringList::AddObject(S, AObject);
  }
  void Insert(int Index, const std::string& S) override {
    const TAppending appending(*this, Index == Count() && !Sorted());
    TStringList::Insert(Index, S);
  }
  // Whether every change since the last call only added lines at the end; starts counting anew.
  bool TakeAppendedOnly() { return !std::exchange(rewritten_, false); }

 protected:
  void Changing() override {
    if (!appending_) rewritten_ = true;
    TStringList::Changing();
  }

 private:
  struct TAppending {
    TMemoLines& Lines;
    TAppending(TMemoLines& L, bool AtEnd) : Lines(L) { Lines.appending_ = AtEnd; }
    ~TAppending() { Lines.appending_ = false; }
  };
  bool appending_ = false;
  bool rewritten_ = true;
};

}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TWinControl(AOwner), lines_(std::make_unique<TMemoLines>()) {
  SetControlStyle(TControlStyle{TControlStyleFlag::csClickEvents, TControlStyleFlag::csSetCaption,
                                TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 185, 89);
  SetTabStop(true);
  color_ = clWindow;
  SetParentColor(false);
  lines_->OnChange = [this](TObject* s) { LinesChanged(s); };
}

TCustomMemo::~TCustomMemo() { lines_->OnChange = nullptr; }

TStrings* TCustomMemo::Lines() const { return lines_.get(); }
void TCustomMemo::SetLines(TStrings* Value) { lines_->Assign(Value); }

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (scroll_bars_ == Value) return;
  scroll_bars_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomMemo::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.Style |= ES_MULTILINE | WS_BORDER;
  if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth) P.Style |= WS_VSCROLL;
  if (read_only_) P.Style |= ES_READONLY;
  P.WindowClass.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  P.WinClassName = "Memo";
}

void TCustomMemo::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBar();
}

int TCustomMemo::LineHeight() const {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 16;
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::max(1, static_cast<int>(tm.tmHeight));
}

int TCustomMemo::LinesShown() const { return std::max(1, (ClientHeight() - 2) / LineHeight()); }

void TCustomMemo::SetTopLine(int Value) {
  int maxTop = std::max(0, lines_->Count() - LinesShown());
  int v = std::clamp(Value, 0, maxTop);
  if (v == top_line_) return;
  top_line_ = v;
  UpdateScrollBar();
  if (HandleAllocated()) InvalidateRect(handle_, nullptr, TRUE);
}

void TCustomMemo::SetCaretPos(TPoint Value) {
  int n = lines_->Count();
  caret_line_ = std::clamp(Value.Y, 0, std::max(0, n - 1));
  int len = n ? Utf8CharCount(lines_->Strings(caret_line_)) : 0;
  caret_col_ = std::clamp(Value.X, 0, len);
  ScrollCaretIntoView();
  if (HandleAllocated()) Invalidate();
}

void TCustomMemo::ScrollCaretIntoView() {
  if (caret_line_ < top_line_) SetTopLine(caret_line_);
  else if (caret_line_ >= top_line_ + LinesShown()) SetTopLine(caret_line_ - LinesShown() + 1);
}

void TCustomMemo::UpdateScrollBar() {
  if (!HandleAllocated() || (!(GetWindowLongPtr(handle_, GWL_STYLE) & WS_VSCROLL) &&
                              scroll_bars_ != TScrollStyle::ssVertical && scroll_bars_ != TScrollStyle::ssBoth)) {
    return;
  }
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;  // the bar asked for stays
  si.nMin = 0;
  si.nMax = std::max(0, lines_->Count() - 1);
  si.nPage = static_cast<UINT>(LinesShown());
  si.nPos = top_line_;
  SetScrollInfo(handle_, SB_VERT, &si, TRUE);
}

void TCustomMemo::LinesChanged(TObject*) {
  const bool appendedOnly = static_cast<TMemoLines&>(*lines_).TakeAppendedOnly();
  const int count = lines_->Count();
  if (!own_edit_) {
    // Lines changed by code (Add, Text ...): the caret goes to the end, which is shown.
    caret_line_ = std::max(0, count - 1);
    caret_col_ = count ? Utf8CharCount(lines_->Strings(caret_line_)) : 0;
  }
  const int shown = LinesShown();
  top_line_ = std::min(top_line_, std::max(0, count - shown));
  if (!syncing_text_) {
    syncing_text_ = true;
    if (appendedOnly && text_lines_ >= 0 && text_lines_ <= count) {
      // Only new lines at the end: the text grows by them. The window answers for its text from
      // the control's (WM_GETTEXT), so nothing else is copied.
      for (int i = text_lines_; i < count; ++i) text_ += lines_->Strings(i) + "\r\n";
    } else {
      TControl::SetText(lines_->Text());
    }
    syncing_text_ = false;
    text_lines_ = count;
  } else {
    text_lines_ = -1;  // the text was set as it is: not made of the lines
  }
  UpdateScrollBar();
  ScrollCaretIntoView();
  if (HandleAllocated()) InvalidateRect(handle_, nullptr, TRUE);
  Change();
}

void TCustomMemo::CMTextChanged(TMessage& M) {
  TWinControl::CMTextChanged(M);
  if (syncing_text_) return;
  syncing_text_ = true;
  lines_->SetText(text_);
  syncing_text_ = false;
}

void TCustomMemo::Change() {
  if (OnChange) OnChange(this);
}

bool TCustomMemo::WantsKey(WORD Key) {
  return Key == VK_RETURN || Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN || Key == VK_HOME ||
         Key == VK_END || Key == VK_PRIOR || Key == VK_NEXT;
}

void TCustomMemo::WMPaint(TMessage& M) { DefaultHandler(M); }
void TCustomMemo::WMEraseBkgnd(TMessage& M) { DefaultHandler(M); }

void TCustomMemo::WMSize(TMessage& M) {
  TWinControl::WMSize(M);
  UpdateScrollBar();
}

void TCustomMemo::WMLButtonDown(TMessage& M) {
  NativeFirst(M, [&] { TWinControl::WMLButtonDown(M); });
}

void TCustomMemo::DefaultHandler(TMessage& M) {
  if (HandleAllocated() && HandleNative(M)) return;
  TWinControl::DefaultHandler(M);
}

void TCustomMemo::InsertText(const std::string& S) {
  if (read_only_) return;
  own_edit_ = true;
  if (lines_->Count() == 0) lines_->Add(std::string());
  std::string line = lines_->Strings(caret_line_);
  std::size_t at = Utf8ByteOffset(line, caret_col_);
  if (S == "\n") {
    lines_->BeginUpdate();
    lines_->SetStrings(caret_line_, line.substr(0, at));
    lines_->Insert(caret_line_ + 1, line.substr(at));
    caret_line_ += 1;
    caret_col_ = 0;
    lines_->EndUpdate();
  } else {
    caret_col_ += Utf8CharCount(S);
    lines_->SetStrings(caret_line_, line.substr(0, at) + S + line.substr(at));
  }
  own_edit_ = false;
  ScrollCaretIntoView();
}

bool TCustomMemo::HandleNative(TMessage& M) {
  switch (M.Msg) {
    // The window's text is the control's: the lines, each ended by CR LF.
    case WM_GETTEXTLENGTH:
      M.Result = static_cast<LRESULT>(text_.size());
      return true;
    case WM_GETTEXT:
      M.Result = CopyTextToBuffer(text_, M.WParam, M.LParam);
      return true;
    case WM_SETTEXT:
      SetText(M.LParam ? reinterpret_cast<const char*>(M.LParam) : "");
      M.Result = TRUE;
      return true;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTALLKEYS;
      return true;
    case WM_CHAR: {
      auto ch = static_cast<char32_t>(M.WParam);
      if (read_only_) return true;
      if (ch == '\r' || ch == '\n') {
        InsertText("\n");
      } else if (ch == 0x08) {
        if (caret_col_ > 0) {
          own_edit_ = true;
          std::string line = lines_->Strings(caret_line_);
          std::size_t a = Utf8ByteOffset(line, caret_col_ - 1), b = Utf8ByteOffset(line, caret_col_);
          caret_col_ -= 1;
          lines_->SetStrings(caret_line_, line.substr(0, a) + line.substr(b));
          own_edit_ = false;
        } else if (caret_line_ > 0) {
          own_edit_ = true;
          std::string prev = lines_->Strings(caret_line_ - 1), line = lines_->Strings(caret_line_);
          lines_->BeginUpdate();
          lines_->SetStrings(caret_line_ - 1, prev + line);
          lines_->Delete(caret_line_);
          caret_line_ -= 1;
          caret_col_ = Utf8CharCount(prev);
          lines_->EndUpdate();
          own_edit_ = false;
        }
        ScrollCaretIntoView();
      } else if (ch >= 0x20 && ch != 0x7F && !((GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_MENU) & 0x8000))) {
        InsertText(Utf8Encode(ch));
      }
      return true;
    }
    case WM_KEYDOWN: {
      const int n = lines_->Count();
      switch (static_cast<WORD>(M.WParam)) {
        case VK_UP: SetCaretPos({caret_col_, caret_line_ - 1}); break;
        case VK_DOWN: SetCaretPos({caret_col_, caret_line_ + 1}); break;
        case VK_LEFT:
          if (caret_col_ > 0) SetCaretPos({caret_col_ - 1, caret_line_});
          else if (caret_line_ > 0) SetCaretPos({1 << 30, caret_line_ - 1});
          break;
        case VK_RIGHT:
          if (n && caret_col_ < Utf8CharCount(lines_->Strings(caret_line_))) SetCaretPos({caret_col_ + 1, caret_line_});
          else if (caret_line_ + 1 < n) SetCaretPos({0, caret_line_ + 1});
          break;
        case VK_HOME: SetCaretPos({0, caret_line_}); break;
        case VK_END: SetCaretPos({1 << 30, caret_line_}); break;
        case VK_PRIOR: SetCaretPos({caret_col_, caret_line_ - LinesShown()}); break;
        case VK_NEXT: SetCaretPos({caret_col_, caret_line_ + LinesShown()}); break;
        default: break;
      }
      return true;
    }
    case WM_VSCROLL: {
      int top = top_line_;
      switch (LOWORD(M.WParam)) {
        case SB_LINEUP: top -= 1; break;
        case SB_LINEDOWN: top += 1; break;
        case SB_PAGEUP: top -= LinesShown(); break;
        case SB_PAGEDOWN: top += LinesShown(); break;
        case SB_TOP: top = 0; break;
        case SB_BOTTOM: top = lines_->Count(); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: top = ScrollThumbPos(handle_, SB_VERT, HIWORD(M.WParam)); break;
        default: return true;
      }
      SetTopLine(top);
      return true;
    }
    case WM_MOUSEWHEEL:
      SetTopLine(top_line_ + (static_cast<short>(HIWORD(M.WParam)) > 0 ? -3 : 3));
      return true;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != handle_) SetFocus();
      int y = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(M.LParam)));
      SetCaretPos({1 << 30, top_line_ + std::max(0, y - 1) / LineHeight()});
      return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      return false;
    case WM_ERASEBKGND: {
      TRect r = ClientRect();
      FillRect(reinterpret_cast<HDC>(M.WParam), &r, Brush()->Handle());
      M.Result = 1;
      return true;
    }
    case WM_PAINT:
      PaintNative(M, [this](HDC DC) { Paint(DC); });
      return true;
    default:
      return false;
  }
}

void TCustomMemo::Paint(HDC DC) {
  HGDIOBJ old = SelectObject(DC, Font()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(Font()->Color()));
  const int h = LineHeight();
  const int n = lines_->Count();
  for (int i = top_line_, y = 1; i < n && y < ClientHeight(); ++i, y += h) TextOut(DC, 2, y, lines_->Strings(i));
  if (GetFocus() == handle_ && caret_line_ >= top_line_ && caret_line_ < top_line_ + LinesShown()) {
    std::string line = n ? lines_->Strings(caret_line_) : std::string();
    TSize sz{0, 0};
    std::string before = line.substr(0, Utf8ByteOffset(line, caret_col_));
    if (!before.empty()) GetTextExtentPoint32(DC, before, &sz);
    int y = 1 + (caret_line_ - top_line_) * h;
    TRect caret{2 + sz.cx, y, 3 + sz.cx, y + h};
    FillRect(DC, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
  }
  SelectObject(DC, old);
}
