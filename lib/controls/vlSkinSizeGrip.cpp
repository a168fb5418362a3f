#include "lib/controls/vlSkinSizeGrip.h"

#include "lib/data/vlSkinData.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/WindowTree.h"

void vlDrawSizeGripLines(TCanvas* C, const TRect& G, TColor Dark, TColor Light) {
  C->Pen()->SetWidth(1);
  for (int k = 0, d = 3; k <= G.Width() / 3; ++k, d += 3) {
    if (G.Left + d + 2 > G.Right) continue;
    C->Pen()->SetColor(Dark);
    C->MoveTo(G.Left + d, G.Bottom);
    C->LineTo(G.Right, G.Top + d);
    C->Pen()->SetColor(Light);
    C->MoveTo(G.Left + d + 1, G.Bottom);
    C->LineTo(G.Right, G.Top + d + 1);
  }
}

bool vlSizeFormFromGrip(TControl* Control, LPARAM Start) {
  TCustomForm* form = GetParentForm(Control);
  if (!form || !form->HandleAllocated()) return false;
  SendMessage(form->Handle(), WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, Start);
  return true;
}

// ---- TvlSkinSizeGrip ---------------------------------------------------------------------------

TvlSkinSizeGrip::TvlSkinSizeGrip(TComponent* AOwner) : TvlSkinControl(AOwner) {
  SetWidth(kSide);
  SetHeight(kSide);
}

void TvlSkinSizeGrip::PlaceInCorner(TWinControl* Parent) {
  SetParent(Parent);
  SetBounds(Parent->ClientWidth() - kSide, Parent->ClientHeight() - kSide, kSide, kSide);
  SetAnchors(TAnchors{TAnchorKind::akRight, TAnchorKind::akBottom});
}

void TvlSkinSizeGrip::DrawGrip(TBitmap* B, TColor Dark, TColor Light) {
  TCanvas* c = B->Canvas();
  DrawParentBackground(this, c);
  vlDrawSizeGripLines(c, TRect{0, 0, B->Width() - 1, B->Height() - 1}, Dark, Light);
}

void TvlSkinSizeGrip::CreateControlDefaultImage(TBitmap* B) { DrawGrip(B, clBtnShadow, clBtnHighlight); }

void TvlSkinSizeGrip::CreateControlSkinImage(TBitmap* B) {
  DrawGrip(B, FSD->SkinColors()->FcBtnShadow, FSD->SkinColors()->FcBtnHighLight);
}

bool TvlSkinSizeGrip::FormSizeable() const {
  TCustomForm* form = GetParentForm(this);
  if (!form || !form->HandleAllocated() || IsZoomed(form->Handle())) return false;
  const TFormBorderStyle b = form->BorderStyle();
  return b == TFormBorderStyle::bsSizeable || b == TFormBorderStyle::bsSizeToolWin;
}

void TvlSkinSizeGrip::WndProc(TMessage& Message) {
  if (Message.Msg == WM_NCHITTEST && FormSizeable()) {
    Message.Result = HTBOTTOMRIGHT;
    return;
  }
  if (Message.Msg == WM_NCLBUTTONDOWN && Message.WParam == HTBOTTOMRIGHT && vlSizeFormFromGrip(this, Message.LParam)) {
    Message.Result = 0;
    return;
  }
  TvlSkinControl::WndProc(Message);
}
