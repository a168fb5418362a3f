#pragma once
// TCanvas: the component framework's drawing surface over a device context, with its own
// font, pen and brush. The canvas selects those into the context before each call that needs
// them, and again after they change.
//
// A canvas either is given a context (SetHandle: it never frees that one) or makes its own on
// demand through CreateHandle (a bitmap's canvas does). Drawing without any context raises
// EInvalidOperation "Canvas does not allow drawing".

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graphics/GraphicsObjects.h"
#include "platform/core/Set.h"

class TGraphic;

enum class TCanvasState { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasStates = TSet<TCanvasState>;
using TCopyMode = DWORD;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  [[nodiscard]] HDC Handle();
  // Binds the canvas to a context owned by the caller (nullptr unbinds it).
  void SetHandle(HDC Value);
  [[nodiscard]] bool HandleAllocated() const { return handle_ != nullptr; }

  [[nodiscard]] TFont* Font() const { return font_.get(); }
  [[nodiscard]] TPen* Pen() const { return pen_.get(); }
  [[nodiscard]] TBrush* Brush() const { return brush_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  void SetPen(TPen* Value) { pen_->Assign(Value); }
  void SetBrush(TBrush* Value) { brush_->Assign(Value); }

  [[nodiscard]] TPoint PenPos();  // moved by MoveTo, LineTo and TextOut
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  [[nodiscard]] TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode Value) { copyMode_ = Value; }

  // The colour of a pixel (-1 outside the clip); setting one draws it in that colour.
  [[nodiscard]] TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);
  // The clip's bounds in logical coordinates.
  [[nodiscard]] TRect ClipRect();

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void FillRect(const TRect& Rect);
  void FrameRect(const TRect& Rect);
  void DrawFocusRect(const TRect& Rect);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Polygon(const std::vector<TPoint>& Points);
  void Polyline(const std::vector<TPoint>& Points);

  // Draws a graphic at its own size, or scaled into Rect; nothing for a null or empty graphic.
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  // Copies Source of another canvas into Dest with CopyMode, stretching by the platform's rule.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  // Text in the font's colour; on the brush colour unless the brush is bsClear. TextOut moves the
  // pen position to the end of the text.
  void TextOut(int X, int Y, const std::string& Text);
  // Text at (X, Y) clipped to Rect, which is first filled with the brush unless it is bsClear.
  void TextRect(const TRect& Rect, int X, int Y, const std::string& Text);
  [[nodiscard]] TSize TextExtent(const std::string& Text);
  [[nodiscard]] int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  [[nodiscard]] int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  // Selects the font, pen and brush again before the next drawing.
  void Refresh();

  // Serialises drawing from several threads on one canvas (re-entrant).
  void Lock();
  void Unlock();
  [[nodiscard]] bool TryLock();
  [[nodiscard]] int LockCount() const { return lockCount_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Makes a context when the canvas has none; the base class has none to make.
  virtual void CreateHandle() {}
  void RequiredState(TCanvasStates ReqState);
  virtual void Changing();
  virtual void Changed();

 private:
  void DeselectHandles();

  HDC handle_ = nullptr;
  TCanvasStates state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TCopyMode copyMode_ = SRCCOPY;
  TPoint penPos_;
  std::recursive_mutex lock_;
  int lockCount_ = 0;
};

// One drawing pass of a control on a context it was handed: locks Canvas, binds it to DC and
// gives it Font; on scope exit, a throw included, unbinds the context and unlocks.
class TCanvasPaintScope {
 public:
  TCanvasPaintScope(TCanvas* Canvas, HDC DC, TFont* Font);
  ~TCanvasPaintScope();
  TCanvasPaintScope(const TCanvasPaintScope&) = delete;
  TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

 private:
  void Release();
  TCanvas* canvas_;
};
