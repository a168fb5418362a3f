// Layout of a windowed control's children: Align, anchors, and the DisableAlign/EnableAlign
// bracket that defers it.

#include <algorithm>

#include "platform/controls/Controls.h"

namespace {
// Whether C1 goes before C2 in the list of controls with the same Align.
bool InsertBefore(const TControl* C1, const TControl* C2, TAlign Align) {
  switch (Align) {
    case TAlign::alTop: return C1->Top() < C2->Top();
    case TAlign::alBottom: return C1->Top() + C1->Height() >= C2->Top() + C2->Height();
    case TAlign::alLeft: return C1->Left() < C2->Left();
    case TAlign::alRight: return C1->Left() + C1->Width() >= C2->Left() + C2->Width();
    default: return false;
  }
}
}  // namespace

void TWinControl::DisableAlign() { ++align_level_; }

void TWinControl::EnableAlign() {
  if (align_level_ > 0) --align_level_;
  if (align_level_ == 0 && ControlState().Contains(TControlStateFlag::csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (align_level_ > 0 || Loading()) {
    SetControlState(ControlState() + TControlState{TControlStateFlag::csAlignmentNeeded});
    return;
  }
  // Setting the children's bounds asks for alignment again; the bracket absorbs that.
  ++align_level_;
  SetControlState(ControlState() - TControlState{TControlStateFlag::csAlignmentNeeded});
  TRect r = ClientRect();
  AlignControls(AControl, r);
  --align_level_;
  if (ControlState().Contains(TControlStateFlag::csAlignmentNeeded)) {
    // A child's size rule changed the layout while it was being made (AutoSize): once more.
    SetControlState(ControlState() - TControlState{TControlStateFlag::csAlignmentNeeded});
    ++align_level_;
    r = ClientRect();
    AlignControls(AControl, r);
    --align_level_;
    SetControlState(ControlState() - TControlState{TControlStateFlag::csAlignmentNeeded});
  }
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  AdjustClientRect(Rect);
  for (TAlign align : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    std::vector<TControl*> list;
    if (AControl && AControl->Align() == align && AControl->Visible() && AControl->Parent() == this) {
      list.push_back(AControl);
    }
    for (TControl* c : controls_) {
      if (c == AControl || c->Align() != align || !c->Visible()) continue;
      auto pos = std::find_if(list.begin(), list.end(), [&](TControl* e) { return InsertBefore(c, e, align); });
      list.insert(pos, c);
    }
    for (TControl* c : list) {
      const int w = std::max(0, Rect.Width()), h = std::max(0, Rect.Height());
      switch (align) {
        case TAlign::alTop:
          c->SetBounds(Rect.Left, Rect.Top, w, c->Height());
          Rect.Top += c->Height();
          break;
        case TAlign::alBottom:
          c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), w, c->Height());
          Rect.Bottom -= c->Height();
          break;
        case TAlign::alLeft:
          c->SetBounds(Rect.Left, Rect.Top, c->Width(), h);
          Rect.Left += c->Width();
          break;
        case TAlign::alRight:
          c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), h);
          Rect.Right -= c->Width();
          break;
        case TAlign::alClient:
          c->SetBounds(Rect.Left, Rect.Top, w, h);
          break;
        default:
          break;
      }
    }
  }
}

void TWinControl::AnchorChildren(int OldClientWidth, int OldClientHeight) {
  if (OldClientWidth <= 0 && OldClientHeight <= 0) return;  // first layout: nothing to keep
  const int dw = ClientWidth() - OldClientWidth, dh = ClientHeight() - OldClientHeight;
  if (dw == 0 && dh == 0) return;
  ++align_level_;
  std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (c->Align() != TAlign::alNone) continue;
    const TAnchors a = c->Anchors();
    int left = c->Left(), top = c->Top(), width = c->Width(), height = c->Height();
    if (a.Contains(TAnchorKind::akRight)) {
      if (a.Contains(TAnchorKind::akLeft)) width += dw;
      else left += dw;
    } else if (!a.Contains(TAnchorKind::akLeft)) {
      left += dw / 2;
    }
    if (a.Contains(TAnchorKind::akBottom)) {
      if (a.Contains(TAnchorKind::akTop)) height += dh;
      else top += dh;
    } else if (!a.Contains(TAnchorKind::akTop)) {
      top += dh / 2;
    }
    c->SetBounds(left, top, std::max(0, width), std::max(0, height));
  }
  --align_level_;
}
