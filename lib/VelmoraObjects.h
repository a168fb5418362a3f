#pragma once
// The live objects on a skinned form's frame, one per form-frame object of the skin (section
// SKINOBJECTS): caption buttons, the caption text, frame animations and areas the application
// paints. The form skinner (TvlVelmora) owns them in its ObjectList, places them on the frame
// (ObjectRect, window coordinates) and draws them into the frame image.
//
//   TvlActiveSkinObject
//     TvlUserObject
//     TvlSkinAnimateObject
//     TvlSkinButtonObject
//       TvlSkinStdButtonObject
//     TvlSkinCaptionObject
//
// An object keeps plain pointers into the skin it was made from (pictures, SD); the form
// skinner frees every object before that skin changes, so they never outlive it.
//
// GUI thread only.

#include <memory>
#include <string>

#include "lib/vlDataSkinObjects.h"
#include "platform/Controls.h"
#include "platform/Object.h"
#include "platform/Types.h"

class TBitmap;
class TCanvas;
class TMenuItem;
class TvlSkinData;
class TvlVelmora;

class TvlActiveSkinObject : public TObject {
 public:
  // Takes the description's values (none when AData is nullptr). A picture index of -1 or
  // outside the skin's pictures means no picture: ActivePicture stays nullptr and the hover
  // image (ActiveSkinRect) is dropped; the mask follows the same rule. Morphing needs a hover
  // image.
  TvlActiveSkinObject(TvlVelmora* AParent, TvlDataSkinObject* AData);
  ~TvlActiveSkinObject() override;

  // Paints the object at ObjectRect on Cnvs: onto the frame image (UpDate false) or alone onto
  // the window (UpDate true).
  // FIXME: the kinds do not paint themselves yet; until they do, the frame shows the skin
  // picture beneath them.
  virtual void Draw(TCanvas* Cnvs, bool UpDate);

  TvlVelmora* Parent;
  double FMorphKf = 0;
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
};

// An area the application paints.
class TvlUserObject : public TvlActiveSkinObject {
 public:
  using TvlActiveSkinObject::TvlActiveSkinObject;
};

// A frame animation: frames side by side in ActivePicture, each as wide as SkinRect.
class TvlSkinAnimateObject : public TvlActiveSkinObject {
 public:
  TvlSkinAnimateObject(TvlVelmora* AParent, TvlDataSkinAnimate* AData);

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
};

class TvlSkinButtonObject : public TvlActiveSkinObject {
 public:
  TvlSkinButtonObject(TvlVelmora* AParent, TvlDataSkinButton* AData);

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

  bool FSkinSupport = false;  // made from a description
  TvlStdCommand Command = TvlStdCommand::cmDefault;
  TRect RestoreRect{}, RestoreActiveRect{}, RestoreInActiveRect{}, RestoreDownRect{};
  std::string RestoreHint;
  std::string FTempHint;
};

// The caption text; the part of the caption that moves the form.
class TvlSkinCaptionObject : public TvlActiveSkinObject {
 public:
  TvlSkinCaptionObject(TvlVelmora* AParent, TvlDataSkinCaption* AData);
};

// The object a description makes (tested most derived first), or nullptr for the descriptions
// that belong to menus (menu items, main-menu bar items and buttons).
[[nodiscard]] std::unique_ptr<TvlActiveSkinObject> vlCreateSkinObject(TvlVelmora* AParent,
                                                                      TvlDataSkinObject* AData);
