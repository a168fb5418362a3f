#pragma once
// Panels, bevels, splitters, images and shapes, in the classic system-colour look.

#include <memory>

#include "platform/controls/Controls.h"

class TPicture;

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);
  [[nodiscard]] TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut Value);
  [[nodiscard]] TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut Value);
  [[nodiscard]] int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int Value);
  [[nodiscard]] int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int Value);
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // Off: the caption is not drawn (a panel used as a plain container).
  [[nodiscard]] bool ShowCaption() const { return show_caption_; }
  void SetShowCaption(bool Value);

 protected:
  // The client area less the bevels and the border.
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;

 private:
  void Relayout();
  TBevelCut bevel_inner_ = TBevelCut::bvNone;
  TBevelCut bevel_outer_ = TBevelCut::bvRaised;
  int bevel_width_ = 1;
  int border_width_ = 0;
  TAlignment alignment_ = TAlignment::taCenter;
  bool show_caption_ = true;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* AOwner);
  [[nodiscard]] TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape Value);
  [[nodiscard]] TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle Value);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = TBevelShape::bsBox;
  TBevelStyle style_ = TBevelStyle::bsLowered;
};

// A bar between aligned controls that resizes the control before it when dragged.
class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  // The smallest size the resized control (and the space after the splitter) may get.
  [[nodiscard]] int MinSize() const { return min_size_; }
  void SetMinSize(int Value) { min_size_ = Value; }
  [[nodiscard]] bool Beveled() const { return beveled_; }
  void SetBeveled(bool Value);
  TNotifyEvent OnMoved;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMHitTest(TMessage& Message) override;

 private:
  [[nodiscard]] TControl* FindResizedControl() const;
  [[nodiscard]] bool Horizontal() const { return Align() == TAlign::alTop || Align() == TAlign::alBottom; }
  int min_size_ = 30;
  bool beveled_ = false;
  TControl* resized_ = nullptr;  // while dragging only
  TPoint down_{0, 0};
  int start_size_ = 0;
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  [[nodiscard]] TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* Value);
  [[nodiscard]] bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  [[nodiscard]] bool Center() const { return center_; }
  void SetCenter(bool Value);
  [[nodiscard]] bool Proportional() const { return proportional_; }
  void SetProportional(bool Value);
  [[nodiscard]] bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // Where the picture is drawn in the client area.
  [[nodiscard]] TRect DestRect() const;

 protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;

 private:
  void PictureChanged();
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  [[nodiscard]] TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType Value);
  [[nodiscard]] TPen* Pen() const { return pen_.get(); }
  [[nodiscard]] TBrush* Brush() const { return brush_.get(); }

 protected:
  void Paint() override;

 private:
  TShapeType shape_ = TShapeType::stRectangle;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};
