#pragma once
// The edit control: one line of UTF-8 text edited with the keyboard and the mouse, with a
// blinking caret, selection, a one-step undo and the clipboard.
//
// Split as the platform splits it: the window's own behaviour (keys, characters, mouse, painting,
// the EM_* and clipboard messages) sits in DefaultHandler, where messages arrive after the
// framework chain, so a control that hooks the window procedure sees and may swallow each of
// them first; the properties (Text, SelStart, ReadOnly ...) are the framework's face of it.
//
// Positions (SelStart, SelLength, EM_GETSEL / EM_SETSEL) count characters (code points), never
// bytes, so a multi-byte character is never split. Text changes are told to the parent as
// WM_COMMAND EN_CHANGE, which comes back to the edit as CN_COMMAND and runs Change (OnChange).
// GUI thread.

#include <functional>
#include <string>

#include "platform/controls/Controls.h"
#include "platform/core/Strings.h"

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETRECT = 0x00B2;
constexpr UINT EM_SETRECT = 0x00B3;
constexpr UINT EM_SETRECTNP = 0x00B4;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETPASSWORDCHAR = 0x00D2;
constexpr UINT EM_SETMARGINS = 0x00D3;
constexpr UINT EM_GETMARGINS = 0x00D4;

constexpr WPARAM EC_LEFTMARGIN = 0x0001;
constexpr WPARAM EC_RIGHTMARGIN = 0x0002;

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;

constexpr WORD EN_CHANGE = 0x0300;

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum class TBorderStyle { bsNone, bsSingle };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  // ---- Selection (character positions) ----
  [[nodiscard]] int SelStart() const;
  // Collapses the selection to Value (kept within the text).
  void SetSelStart(int Value);
  [[nodiscard]] int SelLength() const;
  // Extends from SelStart by Value characters (kept within the text).
  void SetSelLength(int Value);
  [[nodiscard]] std::string SelText() const;
  // Replaces the selection (an undoable edit; read-only does not stop code).
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection();

  // ---- Editing ----
  [[nodiscard]] bool CanUndo() const { return can_undo_; }
  void Undo();
  void ClearUndo() { can_undo_ = false; }
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void Clear() { SetText(std::string()); }
  [[nodiscard]] bool Modified() const { return modified_; }
  void SetModified(bool Value) { modified_ = Value; }

  // ---- Behaviour ----
  [[nodiscard]] bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value);
  // Characters; 0 means no limit. Text set by code is not cut.
  [[nodiscard]] int MaxLength() const { return max_length_; }
  void SetMaxLength(int Value) { max_length_ = Value < 0 ? 0 : Value; }
  // Shown in place of every character when not 0.
  [[nodiscard]] char32_t PasswordChar() const { return password_char_; }
  void SetPasswordChar(char32_t Value);
  [[nodiscard]] TEditCharCase CharCase() const { return char_case_; }
  // Converts the text already there as well.
  void SetCharCase(TEditCharCase Value);
  // Selects everything when the edit is entered by the keyboard.
  [[nodiscard]] bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool Value) { auto_select_ = Value; }
  // Hides the selection while the edit is not focused.
  [[nodiscard]] bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool Value);
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  [[nodiscard]] TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);

  TNotifyEvent OnChange;

  // The caret is drawn (the blink phase is on) - for tests and painting.
  [[nodiscard]] bool CaretShown() const { return focused_ && caret_on_; }
  // The client x of the caret (before the edit scrolls text it clips).
  [[nodiscard]] int CaretX();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  // The window's own mouse handling first, then the framework's mouse events.
  void WMLButtonDown(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  void WMLButtonUp(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;
  void CMEnter(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  bool WantsChars() override { return true; }
  bool WantsKey(WORD Key) override;
  virtual void Change();
  // Whether text may hold line breaks (a memo); a single-line edit cuts pasted text at the first.
  [[nodiscard]] virtual bool MultiLineText() const { return false; }

 private:
  struct Snapshot {
    std::string text;
    int anchor = 0;
    int caret = 0;
  };
  // The window's own handling; false when the message is not the edit's.
  bool HandleNative(TMessage& M);
  void NativeKeyDown(WORD Key);
  void NativeChar(char32_t Ch);
  void NativeMouse(TMessage& M);
  void NativePaint(HDC DC);
  // Replaces the selection with Insert as the user does (read-only, MaxLength, char case).
  void UserReplace(const std::string& Insert, bool CoalesceTyping);
  // Sets text and selection and tells the parent; saves undo when asked.
  void ApplyEdit(std::string NewText, int Caret, bool SaveUndo, bool Coalesce);
  void SetSelection(int Anchor, int Caret);
  void TellChanged();
  [[nodiscard]] int Length() const;
  [[nodiscard]] std::string DisplayText() const;
  [[nodiscard]] TRect FormatRect() const;  // the formatting rectangle less the margins
  // Pixel offset of character Index in the display text, from the text's start.
  [[nodiscard]] int OffsetOf(int Index) const;
  [[nodiscard]] int IndexAt(int ClientX) const;
  [[nodiscard]] int TextOrigin() const;  // client x where the text starts (alignment, scroll)
  void ScrollCaretIntoView();
  void RestartCaret();
  void StopCaret();

  int anchor_ = 0;  // selection end that stays put
  int caret_ = 0;   // selection end that moves (the caret)
  Snapshot undo_;
  bool can_undo_ = false;
  bool typing_ = false;  // the last edit was typing, so the next typed character joins its undo
  bool modified_ = false;
  bool read_only_ = false;
  int max_length_ = 0;
  char32_t password_char_ = 0;
  TEditCharCase char_case_ = TEditCharCase::ecNormal;
  bool auto_select_ = true;
  bool hide_selection_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TRect format_rect_;  // from EM_SETRECT(NP); empty: the client rectangle
  bool has_format_rect_ = false;
  int left_margin_ = 0;
  int right_margin_ = 0;
  int scroll_x_ = 0;  // pixels of text scrolled off the left
  bool focused_ = false;
  bool caret_on_ = false;
  bool selecting_ = false;
  bool setting_text_ = false;  // WM_SETTEXT from the framework's own Text write
  bool caption_sync_ = false;  // WM_SETTEXT that only copies an edit into the window caption
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// The edit with an input mask. The mask is kept but never applied: the edits built on it use
// the plain editing.
// The label editor of a list or tree view: a TEdit owned by and placed in Parent. Return ends
// the edit with EndEdit(true), Escape with EndEdit(false) (the key is eaten), and leaving the
// edit with EndEdit(true).
TEdit* CreateInPlaceEdit(TWinControl* Parent, std::function<void(bool Accept)> EndEdit);

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  [[nodiscard]] const std::string& EditMask() const { return edit_mask_; }
  void SetEditMask(const std::string& Value) { edit_mask_ = Value; }
  // The selection as start and end (character positions).
  void GetSel(int& SelStart, int& SelStop) const;

 private:
  std::string edit_mask_;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The multi-line edit: the text as Lines, typed into at a caret (line and character), with
// Return splitting lines, and scrolled by lines on the window's vertical bar (range 0..line
// count-1, page = whole lines shown). Adding a line through Lines shows the end of the text, so
// a log kept in a memo follows its newest line. GUI thread.
class TCustomMemo : public TWinControl {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  [[nodiscard]] TStrings* Lines() const;
  void SetLines(TStrings* Value);
  [[nodiscard]] bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value) { read_only_ = Value; }
  [[nodiscard]] TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle Value);
  // The first line shown.
  [[nodiscard]] int TopLine() const { return top_line_; }
  void SetTopLine(int Value);
  // The caret: line and character in it.
  [[nodiscard]] TPoint CaretPos() const { return {caret_col_, caret_line_}; }
  void SetCaretPos(TPoint Value);
  [[nodiscard]] int LinesShown() const;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DefaultHandler(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMLButtonDown(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  bool WantsChars() override { return true; }
  bool WantsKey(WORD Key) override;
  virtual void Change();

 private:
  bool HandleNative(TMessage& M);
  void LinesChanged(TObject* Sender);
  void InsertText(const std::string& S);
  void Paint(HDC DC);
  void UpdateScrollBar();
  void ScrollCaretIntoView();
  [[nodiscard]] int LineHeight() const;

  std::unique_ptr<TStringList> lines_;
  bool read_only_ = false;
  TScrollStyle scroll_bars_ = TScrollStyle::ssNone;
  int top_line_ = 0;
  int caret_line_ = 0;
  int caret_col_ = 0;
  bool own_edit_ = false;  // the lines change because the user typed (the caret is placed already)
  bool syncing_text_ = false;
  int text_lines_ = -1;  // the lines the control's text was made of; -1: the text is not made of them
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};
