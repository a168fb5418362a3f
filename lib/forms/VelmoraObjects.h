#pragma once
// The live objects on a skinned form's frame, one per form-frame object of the skin (section
// SKINOBJECTS): caption buttons, the caption text, frame animations and areas the application
// paints; without a skin, six caption buttons of the built-in look. The form skinner (TvlVelmora)
// owns them in its ObjectList, places them on the frame (ObjectRect, window coordinates), routes
// the mouse to them, runs their three timers and draws them into the frame image.
//
//   TvlActiveSkinObject
//     TvlUserObject
//     TvlSkinAnimateObject
//     TvlSkinButtonObject
//       TvlSkinStdButtonObject
//     TvlSkinCaptionObject (VelmoraCaption.cpp, with the caption quick buttons)
//
// An object keeps plain pointers into the skin it was made from (pictures, SD); the form
// skinner frees every object before that skin changes, so they never outlive it. Hover morphs
// count whole steps of 0.2.
//
// GUI thread only.

#include <memory>
#include <string>

#include "lib/data/vlDataSkinObjects.h"
#include "platform/core/Collection.h"
#include "platform/controls/Controls.h"
#include "platform/core/Object.h"
#include "platform/core/Types.h"

class TBitmap;
class TCanvas;
class TMenuItem;
class TvlSkinData;
class TvlVelmora;
class TvlLayerManager;

class TvlActiveSkinObject : public TObject {
 public:
  // Takes the description's values (none when AData is nullptr). A picture index of -1 or
  // outside the skin's pictures means no picture: ActivePicture stays nullptr and the hover
  // image (ActiveSkinRect) is dropped; the mask follows the same rule. Morphing needs a hover
  // image.
  TvlActiveSkinObject(TvlVelmora* AParent, TvlDataSkinObject* AData);
  ~TvlActiveSkinObject() override;

  // Whether the object-relative point belongs to the object: every point without a skin or a
  // mask, else the black pixels of the mask (points at or beyond its width or height are out).
  [[nodiscard]] virtual bool IsPointInObject(int X, int Y);
  // The glow frame beside the object (a layer window) on hover.
  virtual void ShowLayer();
  virtual void HideLayer();
  // A morph step is due.
  [[nodiscard]] virtual bool CanMorphing();
  // Paints the object at ObjectRect on Cnvs: onto the frame image (UpDate false: an object in
  // its normal look that lies in the frame picture draws nothing) or alone onto the window
  // (UpDate true).
  virtual void Draw(TCanvas* Cnvs, bool UpDate);
  virtual void DblClick() {}
  // Window coordinates.
  virtual void MouseDown(int X, int Y, TMouseButton Button);
  virtual void MouseUp(int X, int Y, TMouseButton Button);
  virtual void MouseMove(int X, int Y);
  virtual void MouseEnter();
  virtual void MouseLeave();

  // Morphing applies: asked for, and the skin's effects are on.
  [[nodiscard]] bool EnableMorphing() const;
  // One step toward the hover look while Active, toward the normal one otherwise; then a redraw.
  void DoMorphing();
  // The morph timer when morphing applies, else a redraw now.
  void StartHoverEffect();
  // 0 (normal look) .. 1 (hover look), in steps of 0.2; the writer takes the nearest step.
  [[nodiscard]] double MorphKf() const { return static_cast<double>(FMorphStep) / kMorphSteps; }
  void SetMorphKf(double Value);
  [[nodiscard]] int MorphStep() const { return FMorphStep; }

  static constexpr int kMorphSteps = 5;

  TvlVelmora* Parent;
  bool FMouseIn = false;
  TBitmap* Picture = nullptr;            // the skin's frame picture
  TBitmap* ActivePicture = nullptr;      // the skin picture of ActivePictureIndex, or nullptr
  TBitmap* ActiveMaskPicture = nullptr;  // the skin picture of ActiveMaskPictureIndex, or nullptr
  TvlSkinData* SD = nullptr;             // the form skinner's SkinData when the object was made
  std::string IDName;
  std::string Hint;
  TRect SkinRect{};
  TRect ActiveSkinRect{};
  TRect InActiveSkinRect{};
  TRect ObjectRect{};  // on the window; starts as SkinRect, placed by the frame layout
  bool Active = false;
  bool Morphing = false;
  TvlMorphKind MorphKind = TvlMorphKind::mkDefault;
  bool Enabled = true;
  bool Visible = true;
  // True: the object sits in the caption's button row and its images lie in ActivePicture;
  // false: it keeps its place in the frame picture and moves with the nearest corner.
  bool SkinRectInAPicture = false;
  int GlowLayerPictureIndex = -1;
  int GlowLayerMaskPictureIndex = -1;
  int GlowLayerOffsetX = 0;
  int GlowLayerOffsetY = 0;
  int GlowLayerAlphaBlendValue = 255;

  // ObjectRect on the screen.
  [[nodiscard]] TRect ScreenRect() const;

 protected:
  [[nodiscard]] bool SkinInUse() const;
  // Rect of a picture copied stretched onto ObjectRect of C; nothing for a missing picture or an
  // empty rectangle.
  void CopyImage(TCanvas* C, TBitmap* P, const TRect& Rect);
  // The morph between Normal (in NormalPicture) and Hover (in ActivePicture) at the morph
  // position, drawn at ObjectRect.
  void DrawMorph(TCanvas* C, TBitmap* NormalPicture, const TRect& Normal, const TRect& Hover);
  // A morph is under way (neither resting at the normal look nor at the hover look).
  [[nodiscard]] bool MorphUnderWay() const;
  // The glow frame on a given layer manager: the caption's, or the menu layer for an object
  // that opens a menu.
  void ShowLayerOn(TvlLayerManager* Manager);
  void HideLayerOn(TvlLayerManager* Manager);
  [[nodiscard]] TvlLayerManager* GlowManager(bool MenuOwner) const;
  int FMorphStep = 0;
};

// An area the application paints (OnPaintEvent).
class TvlUserObject : public TvlActiveSkinObject {
 public:
  using TvlActiveSkinObject::TvlActiveSkinObject;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
};

// What the caption buttons and animations share: their command and its restore state.
[[nodiscard]] bool vlInRestoreState(TvlVelmora* Parent, TvlStdCommand Command);

// A frame animation: frames side by side in ActivePicture, each as wide as SkinRect.
class TvlSkinAnimateObject : public TvlActiveSkinObject {
 public:
  TvlSkinAnimateObject(TvlVelmora* AParent, TvlDataSkinAnimate* AData);

  void ShowLayer() override;
  void HideLayer() override;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void DblClick() override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;

  // Forward past CountFrames wraps to 1, backward below 1 to CountFrames; then a redraw.
  void SetFrame(int Value);
  [[nodiscard]] int Frame() const { return FFrame; }
  // One 25 ms tick of the animation timer.
  void ChangeFrame();
  void Start();
  void Stop();
  // The command on a click (button style).
  void ExecuteCommand();
  void PopupCommandMenu();

  int FFrame = 1;
  int FInc = 25;
  int TimerInterval = 50;  // milliseconds a frame, at least 25
  TMenuItem* MenuItem = nullptr;
  bool FPopupUp = false;
  bool FDown = false;
  bool FMenuTracking = false;
  int CountFrames = 1;
  bool Cycle = false;
  bool ButtonStyle = false;
  bool Increment = true;
  TvlStdCommand Command = TvlStdCommand::cmDefault;
  TRect DownSkinRect{};
  TRect RestoreRect{}, RestoreActiveRect{}, RestoreInActiveRect{}, RestoreDownRect{};
  std::string RestoreHint;
  std::string FTempHint;

 private:
  void HoverChanged(bool Entering);
};

class TvlSkinButtonObject : public TvlActiveSkinObject {
 public:
  TvlSkinButtonObject(TvlVelmora* AParent, TvlDataSkinButton* AData);

  void ShowLayer() override;
  void HideLayer() override;
  [[nodiscard]] bool CanMorphing() override;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;

  [[nodiscard]] bool Down() const { return FDown; }
  // Stores the state and redraws; a released button fades back to its hover or normal look.
  void SetDown(bool Value);
  // Opens the button's menu below (or above) it.
  void PopupCommandMenu();

  bool FDown = false;
  bool FPopupUp = false;
  TRect DisableSkinRect{};
  TRect DownRect{};
  TMenuItem* MenuItem = nullptr;
};

// A caption button with a command (close, maximize, minimize, system menu, roll-up, tray).
// Without a description (AData nullptr) it is a button of the built-in look.
class TvlSkinStdButtonObject : public TvlSkinButtonObject {
 public:
  TvlSkinStdButtonObject(TvlVelmora* AParent, TvlDataSkinStdButton* AData);

  [[nodiscard]] bool IsPointInObject(int X, int Y) override;
  void ShowLayer() override;
  void HideLayer() override;
  [[nodiscard]] bool CanMorphing() override;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void DblClick() override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void MouseEnter() override;

  // The built-in look: a flat button with the command's glyph.
  void DefaultDraw(TCanvas* Cnvs);
  void ExecuteCommand();
  // The system-menu button showing the form's icon.
  [[nodiscard]] bool ShowsIcon() const;

  bool FSkinSupport = false;  // made from a description
  TvlStdCommand Command = TvlStdCommand::cmDefault;
  TRect RestoreRect{}, RestoreActiveRect{}, RestoreInActiveRect{}, RestoreDownRect{};
  std::string RestoreHint;
  std::string FTempHint;
};

// ---- The caption text and its quick buttons (VelmoraCaption.cpp) -------------------------------

// A small image-list button at the left of the caption text.
class TvlQuickButtonItem : public TCollectionItem {
 public:
  explicit TvlQuickButtonItem(TCollection* Collection);

  [[nodiscard]] int ImageIndex() const { return FImageIndex; }
  virtual void SetImageIndex(int Value);
  [[nodiscard]] bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  [[nodiscard]] bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  // Copies ImageIndex, Hint, Enabled and Visible of another item (not OnClick).
  void Assign(TPersistent* Source) override;

  std::string Hint;
  TNotifyEvent OnClick;  // Sender: the caption object
  TRect ItemRect{};      // window coordinates, set at each paint
  bool Active = false;   // hovered
  bool Down = false;     // pressed

 private:
  int FImageIndex = -1;
  bool FEnabled = true;
  bool FVisible = true;
};

// The quick buttons of a form skinner; any change repaints the form's frame.
class TvlQuickButtonItems : public TCollection {
 public:
  explicit TvlQuickButtonItems(TvlVelmora* AVMR);
  [[nodiscard]] TvlQuickButtonItem* Items(int Index) const;
  TvlQuickButtonItem* Add();

 protected:
  [[nodiscard]] TPersistent* GetOwner() const override;
  void Update(TCollectionItem* Item) override;

 private:
  TvlVelmora* FVMR;
};

// The caption text; the part of the caption that moves the form.
class TvlSkinCaptionObject : public TvlActiveSkinObject {
 public:
  TvlSkinCaptionObject(TvlVelmora* AParent, TvlDataSkinCaption* AData);

  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void MouseMove(int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;

  // The activation animation applies: a strip of frames and the skin's effects on.
  [[nodiscard]] bool EnableAnimation() const;
  // Hover and press of the quick buttons at a window point (-1, -1: none).
  void TestQuickButtons(int X, int Y);

  int ActiveQuickButton = -1, OldActiveQuickButton = -1;
  std::string FontName;
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, ShadowColor = 0, ActiveShadowColor = 0;
  bool Shadow = false;
  TColor LightColor = 0, ActiveLightColor = 0;
  bool Light = false;
  TAlignment Alignment = TAlignment::taCenter;
  TRect TextRct{};
  TRect FrameRect{}, ActiveFrameRect{};
  int FrameLeftOffset = 0, FrameRightOffset = 0;
  TRect FrameTextRect{};
  bool StretchEffect = false;
  bool FullFrame = false;
  int FIncTime = 0;
  TRect AnimateSkinRect{};
  int FrameCount = 0;
  int AnimateInterval = 25;
  int CurrentFrame = 0;
  bool InActiveAnimation = false;
  bool VistaGlowEffect = false, VistaGlowInActiveEffect = false;
  bool GlowEffect = false, GlowInActiveEffect = false;
  int GlowSize = 3;
  TColor GlowColor = 0, GlowActiveColor = 0;
  int GlowOffset = 0;
  bool ReflectionEffect = false;
  TColor ReflectionColor = 0, ReflectionActiveColor = 0;
  int ReflectionOffset = 0;

 private:
  [[nodiscard]] bool HasQuickButtons() const;
  // The text area (object-relative).
  [[nodiscard]] TRect TextArea() const;
  void PrepareFont(TCanvas* C, TColor Color) const;
  // The caption text with plate, light, shadow and effect at the origin, in the active style A.
  void DrawCaptionText(TCanvas* C, int OX, int OY, bool A);
  // The caption background of Src from P at the object's size.
  void CaptionImage(TBitmap* B, TBitmap* P, const TRect& Src);
  // The normal (N) or hover (H) image with its text.
  void StateImage(TBitmap* B, bool Hover);
  [[nodiscard]] TRect AnimationFrameRect() const;
  void DrawQuickButtons(TCanvas* C);
  void DrawInActiveEffect(TBitmap* B);
  void DrawBitmap(TCanvas* C, TBitmap* B);
};

// ---- Shared drawing ------------------------------------------------------------------------------

class TvlEffectBmp;
// The skin's effect for inactive frames, applied to B.
void vlApplyInActiveEffect(TvlEffectBmp* B, TvlInActiveEffect Effect);

// The object a description makes (tested most derived first), or nullptr for the descriptions
// that belong to menus (menu items, main-menu bar items and buttons).
[[nodiscard]] std::unique_ptr<TvlActiveSkinObject> vlCreateSkinObject(TvlVelmora* AParent,
                                                                      TvlDataSkinObject* AData);
