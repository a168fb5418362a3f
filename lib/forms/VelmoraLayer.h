#pragma once
// The layered outer border of a skinned form: a soft frame (a shadow or a glow) outside the
// form's rectangle, drawn with per-pixel alpha from the skin's LAYERFRAME picture and mask. The
// picture is cut into four strips sized to the form, each shown in a borderless layered window
// of its own (TvlFormLayerWindow) around the form, following its position, size, activation and
// opacity. Without a grab border (an empty BorderRect) the windows let every click through to
// what lies beneath; with one and HitTestEnable they resize the form when dragged.
//
//   frame picture (Ws x Hs)                 around a form of W x H:
//   +------------------------+              top strip: the picture's top Th rows, ends kept,
//   |   top (Th rows)        |                         middle stretched to the frame width
//   +--+----------------+----+ ClRect.Top   left, right: the side columns, tiled downward
//   |L |   the form     | R  |              bottom strip: the bottom Bh rows, like the top
//   +--+----------------+----+ ClRect.Bottom
//   |   bottom (Bh rows)     |              frame bounds: X = form Left - ClRect.Left,
//   +------------------------+                            Y = form Top - ClRect.Top
//
// Owned by the form skinner; GUI thread only.

#include <memory>

#include "platform/controls/Component.h"
#include "platform/controls/Forms.h"
#include "platform/core/Types.h"

class TCanvas;
class TTimer;
class TvlBitmap;
class TvlDataSkinLayerFrame;
class TvlFormLayerBorder;
class TvlSkinData;
class TvlVelmora;

enum class TvlFormLayerBorderType { vlflLeft, vlflTop, vlflRight, vlflBottom };
enum class TvlFormLayerBorderHit {
  vlflhNone,
  vlflhLeft,
  vlflhTop,
  vlflhRight,
  vlflhBottom,
  vlflhTopLeft,
  vlflhTopRight,
  vlflhBottomLeft,
  vlflhBottomRight
};

// One of the four border windows: a layered tool window that never takes the activation.
class TvlFormLayerWindow : public TForm {
 public:
  TvlFormLayerWindow(TvlFormLayerBorder* ALayerBorder, TCustomForm* AForm, TvlFormLayerBorderType AType);

  // The grab zone of the border under a screen point.
  [[nodiscard]] TvlFormLayerBorderHit HitZone(TPoint Screen) const;

  TvlFormLayerBorderType BorderType;
  TvlFormLayerBorderHit FHitMode = TvlFormLayerBorderHit::vlflhNone;
  bool FDown = false;  // a drag is under way
  TPoint MousePos1{}, MousePos2{};

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  [[nodiscard]] bool Resizable() const;
  // One drag step: the form's edges follow the pointer within its size limits.
  void DragTo(TPoint Screen);

  TCustomForm* FForm;
  TvlFormLayerBorder* FLayerBorder;
};

class TvlFormLayerBorder : public TComponent {
 public:
  explicit TvlFormLayerBorder(TvlVelmora* AOwner);
  ~TvlFormLayerBorder() override;

  // Takes the skin's LAYERFRAME and builds the source pictures (picture with its mask as
  // alpha). No border without a skin, with PictureIndex -1, or when the picture or its mask is
  // not in the skin.
  void InitFrame(TvlSkinData* ASkinData, TCustomForm* AForm);
  // Frame bounds (screen): show there, hide, re-size.
  void Show(int X, int Y, int AWidth, int AHeight);
  void Hide();
  void SetBounds(int X, int Y, int AWidth, int AHeight);
  // The same at the frame bounds of the form's bounds (present or given).
  void ShowWithForm();
  void SetBoundsWithForm();
  void SetBoundsWithForm2(int AW, int AH);
  void SetBoundsWithForm3(int ALeft, int ATop, int AW, int AH);
  // Moves the shown windows (no new images) with the form.
  void MoveWithForm();
  void MoveWithForm2(int ALeft, int ATop);
  // ShowWithForm with a fade-in on the clock.
  void ShowWithFormAnimation();
  // The current opacity to the windows (and, 2, the windows shown again at their places).
  void SetAlphaBlend();
  void SetAlphaBlend2();
  // Scales the skin's opacities by the form's own (0..255).
  void CheckFormAlpha(int AFormAlpha, bool AUpdate);
  void SetActive(bool AValue, bool AUpdate);
  // The four images for a frame of AWidth x AHeight drawn onto a canvas.
  void Draw(TCanvas* Canvas, int X, int Y, int AWidth, int AHeight);

  [[nodiscard]] bool Visible() const { return FVisible; }
  [[nodiscard]] TvlDataSkinLayerFrame* Data() const { return FData; }
  [[nodiscard]] TvlVelmora* Skinner() const { return VMR; }
  // The frame bounds of a form at (L, T) of W x H.
  [[nodiscard]] TRect FrameBounds(int L, int T, int W, int H) const;
  // The window of a side (nullptr when not shown).
  [[nodiscard]] TvlFormLayerWindow* Window(TvlFormLayerBorderType Type) const;
  // The opacity in use: the active or the inactive one.
  [[nodiscard]] int CurrentAlpha() const { return FActive ? FCurrentAlphaBlendValue : FCurrentInActiveAlphaBlendValue; }

  int LeftSize = 0, TopSize = 0, RightSize = 0, BottomSize = 0;  // resize zones outside the form
  int FWidth = 0, FHeight = 0;  // the frame last shown or set
  bool FActive = true;
  int FCurrentAlphaBlendValue = -1, FCurrentInActiveAlphaBlendValue = -1;

 private:
  void BuildImages(int W, int H);
  void FreeImages();
  void FreeWindows();
  void GiveImages();
  // Each window at its place for a frame at (X, Y) of W x H, shown without activation.
  void PlaceWindows(int X, int Y, int W, int H, bool Show);
  void FadeStep();
  [[nodiscard]] TvlBitmap* Source() const;

  TvlVelmora* VMR;
  TCustomForm* FForm = nullptr;
  bool FVisible = false;
  TvlSkinData* FSD = nullptr;
  TvlDataSkinLayerFrame* FData = nullptr;
  std::unique_ptr<TvlBitmap> FSourceBitmap, FSourceInActiveBitMap;
  std::unique_ptr<TvlBitmap> LeftImage, TopImage, RightImage, BottomImage;
  TvlFormLayerWindow* LeftBorder = nullptr;  // owned components, nullptr when not shown
  TvlFormLayerWindow* TopBorder = nullptr;
  TvlFormLayerWindow* RightBorder = nullptr;
  TvlFormLayerWindow* BottomBorder = nullptr;
  TTimer* FFadeTimer = nullptr;  // owned; the fade-in of ShowWithFormAnimation
  int FFadeTarget = 0;
};
