// The skinned combo box: items, selection and its events, styles and the inner edit, keys,
// wheel, incremental search and auto-complete, the drop-down mechanics and the focus and hover
// handling. Its painting is in vlSkinBoxCtrlsComboPaint.cpp.

#include <algorithm>

#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinCtrlsDetail.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/drawing/vlUtils.h"
#include "platform/core/Clock.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/SysUtils.h"
#include "platform/windowing/WindowTree.h"

using namespace vlskinctrls_detail;

TvlSkinCustomComboBox::TvlSkinCustomComboBox(TComponent* AOwner) : TvlSkinComboBase(AOwner) {
  FFocusFallsBackToItem = true;
  SetBounds(Left(), Top(), 120, 20);
  // The list is a top-level window owned by the box's form; the box owns the component.
  FListBox = new TvlPopupListBox(this);
  FListBox->SetVisible(false);
  FListHook = FListBox->ListBox->AddWindowProcHook(
      [this](TMessage& M, const TWndMethod& Next) { ListWndProc(M, Next, FListBox->ListBox); });
  FListBox->OnCheckButtonClick = [this](TObject*) { CloseUp(true); };
  CalcRects();
}

TvlSkinCustomComboBox::~TvlSkinCustomComboBox() {
  DestroyEditControl();
  TvlPopupListBox* list = FListBox;
  FListBox = nullptr;
  list->ListBox->RemoveWindowProcHook(FListHook);
  delete list;
}


void TvlSkinCustomComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TvlSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && FListBox && AComponent == static_cast<TComponent*>(FListBox->Images()))
    FListBox->SetImages(nullptr);
}

// ---- Properties ---------------------------------------------------------------------------------

void TvlSkinCustomComboBox::SetImages(TCustomImageList* Value) {
  FListBox->SetImages(Value);
  Invalidate();
}

void TvlSkinCustomComboBox::SetImageIndex(int Value) {
  FListBox->SetImageIndex(Value);
  Invalidate();
}

void TvlSkinCustomComboBox::SetTabWidths(TStrings* Value) {
  if (FListBox) FListBox->SetTabWidths(Value);
}

void TvlSkinCustomComboBox::SetDropDownCount(int Value) {
  if (Value > 0) FDropDownCount = Value;
}

void TvlSkinCustomComboBox::SetCharCase(TEditCharCase Value) {
  FCharCase = Value;
  if (FEdit) FEdit->SetCharCase(Value);
}

void TvlSkinCustomComboBox::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (Skinned()) return;
  Invalidate();
  if (FEdit) FEdit->SetColor(Value);
}

void TvlSkinCustomComboBox::SetToolButtonStyle(bool Value) {
  if (FToolButtonStyle == Value) return;
  FToolButtonStyle = Value;
  if (Value) {
    SetStyle(TvlSkinCustomComboBoxStyle::vlcbFixedStyle);
    UseSkinSize = false;
  }
  Invalidate();
}

void TvlSkinCustomComboBox::SetStyle(TvlSkinCustomComboBoxStyle Value) {
  FStyle = Value;
  if (Value == TvlSkinCustomComboBoxStyle::vlcbEditStyle) {
    // A second write keeps the edit there is.
    if (!FEdit) CreateEditControl();
    if (TabStop()) {
      SetTabStop(false);
      FEdit->SetTabStop(true);
    } else {
      FEdit->SetTabStop(false);
    }
    SetEditText(Text());
    if (Focused()) FEdit->SetFocus();
  } else if (FEdit) {
    DestroyEditControl();
  }
  CalcRects();
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}


// ---- Inner edit ---------------------------------------------------------------------------------

void TvlSkinCustomComboBox::CreateEditControl() {
  FEdit = FNumEdit ? new TvlSkinNumEdit(this) : new TvlCustomEdit(this);
  FEdit->SetParent(this);
  FEdit->SetColor(FDefaultColor);
  FEdit->SetAutoSize(false);
  FEdit->SetHideSelection(HideSelection);
  FEdit->SetVisible(true);
  FEdit->SetEditTransparent(false);
  FEdit->OnChange = [this](TObject*) { EditChange(); };
  FEditHook = FEdit->AddWindowProcHook([this](TMessage& M, const TWndMethod& Next) { EditWindowProc(M, Next); });
  FEdit->OnEditCancelMode = [this](TControl* C) {
    if (!OwnPart(C)) CloseUp(false);
  };
  // The edit's key events reach the box's handlers with the box as sender and the edit's own
  // key, so a handler that changes the key changes what the edit does.
  FEdit->OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
  };
  FEdit->OnKeyPress = [this](TObject*, char32_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
  };
  FEdit->OnKeyUp = [this](TObject*, WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
  };
  FEdit->SetCharCase(FCharCase);
  GetSkinData();
  if (Skinned()) {
    FEdit->Font()->SetStyle(FontStyle);
    FEdit->Font()->SetColor(FontColor);
    FEdit->Font()->SetHeight(FontHeight);
    FEdit->Font()->SetName(FontName);
  } else {
    FEdit->Font()->Assign(Font());
  }
  FEdit->SetEditTransparent(Skinned());
  CalcRects();
}

void TvlSkinCustomComboBox::DestroyEditControl() {
  if (!FEdit) return;
  TvlCustomEdit* edit = FEdit;
  FEdit = nullptr;
  edit->RemoveWindowProcHook(FEditHook);
  edit->SetVisible(false);
  delete edit;
}

void TvlSkinCustomComboBox::SetEditText(const std::string& Value) {
  if (FEdit) FEdit->SetText(Value);
}

bool TvlSkinCustomComboBox::OwnPart(TControl* C) const {
  return C != nullptr && (C == this || C == FListBox || C == FListBox->ScrollBar || C == FListBox->HScrollBar ||
                          C == FListBox->ListBox);
}

TFontCharset TvlSkinCustomComboBox::EditCharset() const {
  if (SkinData() && SkinData()->ResourceStrData()) return SkinData()->ResourceStrData()->CharSet;
  return DefaultFont()->Charset();
}

TColor TvlSkinCustomComboBox::DisabledTextColor() const {
  return Skinned() ? EditDisabledColour(SkinData()) : clGrayText;
}

void TvlSkinCustomComboBox::ApplyEditFontColour() {
  if (!FEdit) return;
  if (!Enabled()) {
    FEdit->Font()->SetColor(DisabledTextColor());
    return;
  }
  TColor colour = Skinned() ? FontColor : DefaultFont()->Color();
  if (Skinned() && !IsNullRect(ActiveSkinRect) && (FEdit->Focused() || FMouseIn)) colour = ActiveFontColor;
  FEdit->Font()->SetColor(colour);
}

void TvlSkinCustomComboBox::EditWindowProc(TMessage& Message, const TWndMethod& Next) {
  TWeak<TControl> alive(this);
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (Skinned() && !IsNullRect(ActiveSkinRect)) {
        FEdit->Font()->SetColor(ActiveFontColor);
        Invalidate();
      }
      break;
    case WM_KILLFOCUS:
      if (IsPopupVisible()) CloseUp(false);
      if (Skinned() && !IsNullRect(ActiveSkinRect) && FEdit) {
        FEdit->Font()->SetColor(FontColor);
        Invalidate();
      }
      break;
    case WM_KEYDOWN: {
      const int last = Items()->Count() - 1;
      switch (static_cast<WORD>(Message.WParam)) {
        case VK_RETURN:
          if (IsPopupVisible()) CloseUp(true);
          break;
        case VK_ESCAPE:
          if (IsPopupVisible()) CloseUp(false);
          break;
        case VK_PRIOR:
          if (IsPopupVisible()) FListBox->SetItemIndex(std::max(0, FListBox->ItemIndex() - (FDropDownCount - 1)));
          break;
        case VK_NEXT:
          if (IsPopupVisible()) FListBox->SetItemIndex(std::min(last, FListBox->ItemIndex() + FDropDownCount - 1));
          break;
        case VK_UP: EditStep(-1, true); return;
        case VK_DOWN: EditStep(1, true); return;
        default: break;
      }
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const TFontCharset cs = EditCharset();
      const bool cjk = cs == SHIFTJIS_CHARSET || cs == GB2312_CHARSET || cs == CHINESEBIG5_CHARSET;
      const WORD key = static_cast<WORD>(Message.WParam);
      bool complete = false;
      if (cjk) {
        if (key != VK_DELETE && key != VK_BACK) {
          // A composed character replaces the completed rest.
          FEdit->ClearSelection();
          complete = true;
        }
      } else {
        complete = Message.Msg == WM_KEYUP && key >= 48;
      }
      Next(Message);
      if (alive && complete && AutoComplete) CompleteEditText();
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (IsPopupVisible()) CloseUp(false);
      break;
    case WM_MOUSEWHEEL: {
      const auto delta = static_cast<std::int32_t>(static_cast<std::uint32_t>(Message.WParam));
      EditStep(delta > 0 ? -1 : 1, !IsPopupVisible());
      break;
    }
    default: break;
  }
  if (alive && FEdit) Next(Message);
}

void TvlSkinCustomComboBox::EditChange() {
  FromEdit = true;
  const std::string text = FEdit->Text();
  if (!text.empty()) {
    const int i = FindString(-1, text);
    if (i >= 0) {
      if (AutoComplete)
        FListBox->ListBox->Perform(LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      else
        FListBox->ListBox->Perform(LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
    }
  }
  SetText(text);
  FromEdit = false;
}

void TvlSkinCustomComboBox::CMTextChanged(TMessage& Message) {
  TvlSkinCustomControl::CMTextChanged(Message);
  if (FEdit && !FromEdit) SetEditText(Text());
  if (OnChange) OnChange(this);
  if (FromEdit) ItemIndexChanged();
}

int TvlSkinCustomComboBox::FindString(int After, const std::string& Text) const {
  if (!FListBox || !FListBox->ListBox) return -1;
  // The search is the list window's own.
  FListBox->ListBox->HandleNeeded();
  const auto r = FListBox->ListBox->Perform(LB_FINDSTRING, static_cast<WPARAM>(After),
                                            reinterpret_cast<LPARAM>(Text.c_str()));
  return static_cast<int>(r);
}

void TvlSkinCustomComboBox::CompleteEditText() {
  if (!FListBox || !FEdit) return;
  const std::uint64_t now = Clock().Milliseconds();
  if (now - FLastTime <= kCompleteInterval) return;
  FLastTime = now;
  const std::string before = Text();
  const int i = FindString(Utf8CharCount(before) == 1 ? ItemIndex() : -1, before);
  if (i < 0) return;
  SetItemIndex(i);
  if (!FEdit) return;
  FEdit->SetSelStart(Utf8CharCount(before));
  FEdit->SetSelLength(Utf8CharCount(Text()) - Utf8CharCount(before));
}

// ---- Selection ----------------------------------------------------------------------------------

void TvlSkinCustomComboBox::SetItemIndex(int Value) {
  FListBox->SetItemIndex(Value);
  const int i = FListBox->ItemIndex();
  if (Items()->Count() > 0 && i != -1) SetText(Items()->Strings(i));
  FOldItemIndex = i;
  if (!FEdit) Invalidate();
  if (Loading()) return;
  TWeak<TControl> alive(this);
  if (OnClick) OnClick(this);
  if (alive) ItemIndexChanged();
}

void TvlSkinCustomComboBox::StepTo(int Index, bool Commit) {
  if (Commit)
    SetItemIndex(Index);
  else
    FListBox->SetItemIndex(Index);
}

void TvlSkinCustomComboBox::PriorItem(bool Commit) {
  if (FListBox->ItemIndex() > 0) StepTo(FListBox->ItemIndex() - 1, Commit);
}

void TvlSkinCustomComboBox::NextItem(bool Commit) {
  if (FListBox->ItemIndex() < Items()->Count() - 1) StepTo(FListBox->ItemIndex() + 1, Commit);
}

void TvlSkinCustomComboBox::PageUpItem(bool Commit) {
  if (Items()->Count() == 0) return;
  StepTo(std::max(0, FListBox->ItemIndex() - (FDropDownCount - 1)), Commit);
}

void TvlSkinCustomComboBox::PageDownItem(bool Commit) {
  if (Items()->Count() == 0) return;
  StepTo(std::min(Items()->Count() - 1, FListBox->ItemIndex() + FDropDownCount - 1), Commit);
}

void TvlSkinCustomComboBox::FirstItem(bool Commit) {
  if (Items()->Count() > 0) StepTo(0, Commit);
}

void TvlSkinCustomComboBox::LastItem(bool Commit) {
  if (Items()->Count() > 0) StepTo(Items()->Count() - 1, Commit);
}

void TvlSkinCustomComboBox::EditStep(int Delta, bool Commit) {
  const int i = ItemIndex() + Delta;
  if (Delta < 0 ? ItemIndex() <= 0 : ItemIndex() >= Items()->Count() - 1) return;
  FListBox->SetItemIndex(i);
  if (!Commit) return;
  SetText(Items()->Strings(i));
  if (FEdit) FEdit->SelectAll();
  if (OnClick) OnClick(this);
}

void TvlSkinCustomComboBox::FindItemByKey(char32_t Key) {
  if (!FListBox || !FListBox->ListBox) return;
  const std::string typed = Utf8Encode(Key);
  std::string search = typed;
  if (AutoComplete) {
    const std::uint64_t now = Clock().Milliseconds();
    if (now - FLastTime >= kSearchInterval) FFilter.clear();
    FLastTime = now;
    FFilter += typed;
    search = FFilter;
  }
  // One character cycles through the items that begin with it.
  // On an open list only the highlight moves; Enter takes it.
  const int from = IsPopupVisible() ? FListBox->ItemIndex() : ItemIndex();
  const int i = FindString(Utf8CharCount(search) == 1 ? from : -1, search);
  if (i >= 0) StepTo(i, !IsPopupVisible());
}

// ---- Keys and wheel -----------------------------------------------------------------------------

void TvlSkinCustomComboBox::KeyDown(WORD& Key, TShiftState Shift) {
  TvlSkinCustomControl::KeyDown(Key, Shift);
  if (FEdit) return;
  ComboKeyDown(Key, Shift);
}

void TvlSkinCustomComboBox::KeyPress(char32_t& Key) {
  TvlSkinCustomControl::KeyPress(Key);
  if (!FEdit && Key >= 32) FindItemByKey(Key);
}

bool TvlSkinCustomComboBox::WantsChars() { return FEdit == nullptr; }

bool TvlSkinCustomComboBox::WantsKey(WORD Key) {
  if (Key >= VK_LEFT && Key <= VK_DOWN) return true;
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && IsPopupVisible()) return true;
  return TvlSkinCustomControl::WantsKey(Key);
}

// ---- Drop-down ----------------------------------------------------------------------------------

void TvlSkinCustomComboBox::DropDown() {
  if (Items()->Count() == 0) return;
  WasInLB = false;
  StopAutoScroll();
  if (OnDropDown) OnDropDown(this);
  // The list takes its skin and its size before the top row is chosen, so the rows it draws and
  // the rows a click is matched against are the same ones from the first showing.
  FListBox->SetSkinData(SkinData());
  FListBox->SetWidth(ListBoxWidth != 0 ? ListBoxWidth : Width());
  FListBox->SetRowCount(std::min(Items()->Count(), FDropDownCount));
  const TPoint p = TvlPopupListBox::DropDownOrigin(this, FListBox->Height());
  if (FEdit) FEdit->SetFocus();
  FOldItemIndex = FListBox->ItemIndex();
  if (FOldItemIndex == 0 && Items()->Count() > 1) {
    FListBox->SetItemIndex(1);
    FListBox->SetItemIndex(0);
  }
  FDropDown = true;
  if (FToolButtonStyle) Invalidate();
  FListBox->SetTopIndex(std::max(0, FListBox->ItemIndex()));
  FListBox->Show(p);
}

void TvlSkinCustomComboBox::CloseUp(bool Value) {
  StopAutoScroll();
  if (!IsPopupVisible()) return;
  FListBox->Hide();
  const int i = FListBox->ItemIndex();
  TWeak<TControl> alive(this);
  if (i < 0) {
    FListBox->SetItemIndex(FOldItemIndex);
  } else if (Value && i < Items()->Count()) {
    if (FEdit) {
      FEdit->SetText(Items()->Strings(i));
      if (alive && FEdit) FEdit->SelectAll();
    } else {
      SetText(Items()->Strings(i));
      Invalidate();
    }
    if (alive && OnClick) OnClick(this);
    if (alive) ItemIndexChanged();
  } else {
    // The highlight moved while open is undone.
    FListBox->SetItemIndex(FOldItemIndex);
  }
  if (!alive) return;
  FDropDown = false;
  Invalidate();
  if (Value && OnCloseUp) OnCloseUp(this);
}



void TvlSkinCustomComboBox::TrackList() {
  TvlListBox* inner = FListBox->ListBox;
  TPoint cursor{};
  GetCursorPos(&cursor);
  const TPoint q = inner->ScreenToClient(cursor);
  const bool bar = FListBox->ScrollBar != nullptr;
  if (q.Y < 0 && bar && WasInLB) {
    StartAutoScroll(1);
  } else if (q.Y > inner->Height() && bar && WasInLB) {
    StartAutoScroll(2);
  } else if (q.Y >= 0 && q.Y <= inner->Height()) {
    StopAutoScroll();
    // The row at that height, whatever the horizontal position.
    FListBox->HotTrackItem(1, q.Y);
    WasInLB = true;
  }
}


// ---- Mouse --------------------------------------------------------------------------------------

void TvlSkinCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!FEdit && !Focused() && CanFocus()) SetFocus();
  if (Button == TMouseButton::mbLeft) PressBox(X, Y, FEdit == nullptr);
}

void TvlSkinCustomComboBox::MouseMove(TShiftState Shift, int X, int Y) {
  TvlSkinCustomControl::MouseMove(Shift, X, Y);
  if (FLBDown) {
    if (IsPopupVisible()) TrackList();
    return;
  }
  TrackButtonHover(X, Y);
}

void TvlSkinCustomComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWeak<TControl> alive(this);
  EndPress(FListBox->ListBox->HandleAllocated() ? FListBox->ListBox->Handle() : nullptr);
  if (alive) TvlSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TvlSkinCustomComboBox::AutoScrollStep(int Mode) {
  if (Mode == 1 && FListBox->ItemIndex() > 0)
    FListBox->SetItemIndex(FListBox->ItemIndex() - 1);
  else if (Mode == 2 && FListBox->ItemIndex() < Items()->Count() - 1)
    FListBox->SetItemIndex(FListBox->ItemIndex() + 1);
}

void TvlSkinCustomComboBox::HoverChanged() {
  if (FEdit && !FEdit->Focused()) ApplyEditFontColour();
}

// ---- Skin and geometry --------------------------------------------------------------------------


void TvlSkinCustomComboBox::CalcRects() {
  TvlSkinComboBase::CalcRects();
  if (FEdit) {
    // The edit is one text line high, centred in the item area; the line is measured with a
    // Chinese character, whose glyphs reach lower than Latin ones.
    TBitmap probe;
    probe.Canvas()->Font()->Assign(FEdit->Font());
    const int lineHeight = probe.Canvas()->TextHeight("Wg国");
    FEdit->SetBounds(FCBItem.R.Left, FCBItem.R.Top + FCBItem.R.Height() / 2 - lineHeight / 2, FCBItem.R.Width(),
                     lineHeight);
  }
}



void TvlSkinCustomComboBox::Invalidate() {
  TvlSkinCustomControl::Invalidate();
  if (Skinned() && FEdit) FEdit->Invalidate();
}

void TvlSkinCustomComboBox::ChangeSkinData() {
  TvlSkinCustomControl::ChangeSkinData();
  CalcRects();
  if (FEdit) {
    if (Skinned() && UseSkinFont()) {
      FEdit->Font()->SetStyle(FontStyle);
      FEdit->Font()->SetHeight(FontHeight);
      FEdit->Font()->SetName(FontName);
      FEdit->Font()->SetColor(FontColor);
    } else {
      FEdit->Font()->Assign(DefaultFont());
      if (Skinned()) FEdit->Font()->SetColor(FontColor);
    }
    ApplySkinCharset(FEdit->Font(), SkinData(), DefaultFont());
    FEdit->SetEditTransparent(Skinned());
    ApplyEditFontColour();
  }
  Invalidate();
  // Without an element the list draws its built-in look.
  FListBox->SetSkinDataName(Skinned() ? ListBoxName : std::string());
  FListBox->SetSkinData(SkinData());
  FListBox->UpDateScrollBar();
  CalcRects();
  if (FEdit && Skinned()) {
    int w = Width(), h = Height();
    CalcSize(w, h);
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
  }
}

// ---- Messages -----------------------------------------------------------------------------------

void TvlSkinCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEWHEEL: {
      // With an inner edit the edit's window gets the wheel.
      if (FEdit) break;
      TvlSkinCustomControl::Dispatch(Message);
      const auto delta = static_cast<std::int32_t>(static_cast<std::uint32_t>(Message.WParam));
      if (delta > 0)
        PriorItem(!IsPopupVisible());
      else
        NextItem(!IsPopupVisible());
      return;
    }
    case CM_CANCELMODE:
      TvlSkinCustomControl::Dispatch(Message);
      if (!OwnPart(reinterpret_cast<TControl*>(Message.LParam))) CloseUp(false);
      return;
    case WM_SETFOCUS:
      if (FEdit) {
        FEdit->SetFocus();
        ApplyEditFontColour();
        Invalidate();
        return;
      }
      TvlSkinCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case WM_KILLFOCUS:
      TvlSkinCustomControl::Dispatch(Message);
      if (!FEdit && IsPopupVisible()) CloseUp(false);
      Invalidate();
      if (FEdit) ApplyEditFontColour();
      return;
    case CM_ENABLEDCHANGED:
      TvlSkinCustomControl::Dispatch(Message);
      ApplyEditFontColour();
      Invalidate();
      return;
    default: break;
  }
  TvlSkinComboBase::Dispatch(Message);
}
