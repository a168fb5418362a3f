#include "platform/controls/ExtCtrls.h"

#include <algorithm>

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Picture.h"

namespace {
UINT EdgeOf(TBevelCut cut) {
  switch (cut) {
    case TBevelCut::bvLowered: return BDR_SUNKENOUTER;
    case TBevelCut::bvRaised: return BDR_RAISEDINNER;
    default: return 0;
  }
}
}  // namespace

// ---- TCustomPanel -----------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{TControlStyleFlag::csAcceptsControls, TControlStyleFlag::csOpaque});
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::Relayout() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) { bevel_inner_ = Value; Relayout(); }
void TCustomPanel::SetBevelOuter(TBevelCut Value) { bevel_outer_ = Value; Relayout(); }
void TCustomPanel::SetBevelWidth(int Value) { bevel_width_ = std::max(1, Value); Relayout(); }
void TCustomPanel::SetBorderWidth(int Value) { border_width_ = std::max(0, Value); Relayout(); }
void TCustomPanel::SetAlignment(TAlignment Value) { alignment_ = Value; Invalidate(); }
void TCustomPanel::SetShowCaption(bool Value) { show_caption_ = Value; Invalidate(); }

void TCustomPanel::AdjustClientRect(TRect& R) {
  TCustomControl::AdjustClientRect(R);
  int inset = border_width_;
  if (bevel_outer_ != TBevelCut::bvNone) inset += bevel_width_;
  if (bevel_inner_ != TBevelCut::bvNone) inset += bevel_width_;
  R = Rect(R.Left + inset, R.Top + inset, R.Right - inset, R.Bottom - inset);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  HDC dc = c->Handle();
  auto frame = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    for (int i = 0; i < bevel_width_; ++i) {
      if (cut != TBevelCut::bvSpace) {
        TRect e = r;
        DrawEdge(dc, &e, EdgeOf(cut), BF_RECT);
      }
      r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
  };
  frame(bevel_outer_);
  r = Rect(r.Left + border_width_, r.Top + border_width_, r.Right - border_width_, r.Bottom - border_width_);
  frame(bevel_inner_);
  if (!show_caption_ || Caption().empty()) return;
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
  UINT flags = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS;
  if (alignment_ == TAlignment::taCenter) flags |= DT_CENTER;
  if (alignment_ == TAlignment::taRightJustify) flags |= DT_RIGHT;
  DrawText(dc, Caption(), &r, flags);
}

// ---- TBevel -----------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape Value) { shape_ = Value; Invalidate(); }
void TBevel::SetStyle(TBevelStyle Value) { style_ = Value; Invalidate(); }

void TBevel::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  const UINT edge = style_ == TBevelStyle::bsLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER;
  switch (shape_) {
    case TBevelShape::bsBox: DrawEdge(dc, &r, edge, BF_RECT); break;
    case TBevelShape::bsFrame: DrawEdge(dc, &r, style_ == TBevelStyle::bsLowered ? EDGE_ETCHED : EDGE_BUMP, BF_RECT); break;
    case TBevelShape::bsTopLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP); break;
    case TBevelShape::bsBottomLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_BOTTOM); break;
    case TBevelShape::bsLeftLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT); break;
    case TBevelShape::bsRightLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_RIGHT); break;
    case TBevelShape::bsSpacer: break;
  }
}

// ---- TSplitter --------------------------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(TAlign::alLeft);
  SetCursor(crHSplit);
}

void TSplitter::SetBeveled(bool Value) { beveled_ = Value; Invalidate(); }

void TSplitter::CMHitTest(TMessage& M) { M.Result = HTCLIENT; }

TControl* TSplitter::FindResizedControl() const {
  // The visible control with the same Align that touches the splitter on its "before" side.
  TWinControl* parent = Parent();
  if (!parent) return nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    switch (Align()) {
      case TAlign::alLeft: if (c->Left() + c->Width() == Left()) return c; break;
      case TAlign::alRight: if (c->Left() == Left() + Width()) return c; break;
      case TAlign::alTop: if (c->Top() + c->Height() == Top()) return c; break;
      case TAlign::alBottom: if (c->Top() == Top() + Height()) return c; break;
      default: break;
    }
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft) return;
  resized_ = FindResizedControl();
  down_ = ClientToScreen(Point(X, Y));
  if (resized_) start_size_ = Horizontal() ? resized_->Height() : resized_->Width();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!resized_ || !Parent()) return;
  const TPoint now = ClientToScreen(Point(X, Y));
  int delta = Horizontal() ? now.Y - down_.Y : now.X - down_.X;
  if (Align() == TAlign::alRight || Align() == TAlign::alBottom) delta = -delta;
  // Keep MinSize for the resized control and for what is left after the splitter.
  const int available = (Horizontal() ? Parent()->ClientHeight() : Parent()->ClientWidth());
  int others = 0;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c == resized_ || !c->Visible()) continue;
    if (Horizontal() && (c->Align() == TAlign::alTop || c->Align() == TAlign::alBottom)) others += c->Height();
    if (!Horizontal() && (c->Align() == TAlign::alLeft || c->Align() == TAlign::alRight)) others += c->Width();
  }
  const int maxSize = std::max(min_size_, available - others - min_size_);
  const int size = std::clamp(start_size_ + delta, min_size_, maxSize);
  if (Horizontal()) resized_->SetHeight(size);
  else resized_->SetWidth(size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool moved = resized_ != nullptr;
  resized_ = nullptr;
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (moved && OnMoved) OnMoved(this);
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (beveled_) DrawEdge(c->Handle(), &r, BDR_RAISEDINNER, BF_RECT);
}

// ---- TImage -----------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::SetPicture(TPicture* Value) { picture_->Assign(Value); }
void TImage::SetStretch(bool Value) { stretch_ = Value; Invalidate(); }
void TImage::SetCenter(bool Value) { center_ = Value; Invalidate(); }
void TImage::SetProportional(bool Value) { proportional_ = Value; Invalidate(); }

void TImage::SetTransparent(bool Value) {
  transparent_ = Value;
  if (TGraphic* g = picture_->Graphic()) g->SetTransparent(Value);
  Invalidate();
}

void TImage::PictureChanged() {
  if (TGraphic* g = picture_->Graphic(); g && transparent_ != g->Transparent()) g->SetTransparent(transparent_);
  if (AutoSize()) AdjustSize();
  Invalidate();
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (picture_->Width() <= 0 || picture_->Height() <= 0) return false;
  NewWidth = picture_->Width();
  NewHeight = picture_->Height();
  return true;
}

TRect TImage::DestRect() const {
  int w = picture_->Width(), h = picture_->Height();
  const int cw = Width(), ch = Height();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      const double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = static_cast<int>(w * scale);
      h = static_cast<int>(h * scale);
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r = Rect(0, 0, w, h);
  if (center_) r = Bounds((cw - w) / 2, (ch - h) / 2, w, h);
  return r;
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  const TRect r = DestRect();
  if (r.Width() == g->Width() && r.Height() == g->Height()) {
    Canvas()->Draw(r.Left, r.Top, g);
  } else {
    Canvas()->StretchDraw(r, g);
  }
}

// ---- TShape -----------------------------------------------------------------------------------

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  pen_->OnChange = [this](TObject*) { Invalidate(); };
  brush_->OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(0, 0, 65, 65);
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType Value) { shape_ = Value; Invalidate(); }

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  const int pw = pen_->Width();
  int x = pw / 2, y = pw / 2;
  int w = Width() - pw + 1, h = Height() - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  const bool square = shape_ == TShapeType::stSquare || shape_ == TShapeType::stRoundSquare ||
                      shape_ == TShapeType::stCircle;
  if (square) {
    const int s = std::min(w, h);
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (shape_) {
    case TShapeType::stRectangle:
    case TShapeType::stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case TShapeType::stRoundRect:
    case TShapeType::stRoundSquare: c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4); break;
    case TShapeType::stEllipse:
    case TShapeType::stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}
