#pragma once
// Form-frame object descriptions (caption buttons, caption, animations, menu items, menu bar
// items, user objects; section SKINOBJECTS), the three windows drawn wholly from the skin
// (POPUPWINDOW, LAYERFRAME, HINTWINDOW) and the eight skin colours (SKINCOLORS). Each lists its
// keys once, in BindOwnKeys (or BindKeys for the fixed sections).

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "lib/data/vlSkinDescription.h"
#include "platform/graphics/Colors.h"

// The root of the form-frame objects.
class TvlDataSkinObject : public TObject {
 public:
  explicit TvlDataSkinObject(std::string AIDName) : IDName(std::move(AIDName)) {}

  // Reads the section named IDName, the base's keys first. A malformed rectangle or point raises
  // EConvertError; any other bad value takes its default.
  virtual void LoadFromFile(TCustomIniFile* IniFile);
  // Erases the section named IDName, then writes exactly the keys LoadFromFile reads.
  virtual void SaveToFile(TCustomIniFile* IniFile);
  // Every key of the kind bound to this object's fields, the base's first.
  virtual void BindKeys(TvlSkinKeys& Keys);

  std::string IDName;
  std::string Hint;
  bool SkinRectInAPicture{false};
  TRect SkinRect{};
  TRect ActiveSkinRect{};
  std::int32_t ActivePictureIndex{-1};
  std::int32_t ActiveMaskPictureIndex{-1};
  TRect InActiveSkinRect{};
  bool Morphing{false};
  TvlMorphKind MorphKind{TvlMorphKind::mkDefault};
  std::int32_t GlowLayerPictureIndex{-1};
  std::int32_t GlowLayerMaskPictureIndex{-1};
  std::int32_t GlowLayerOffsetX{0};
  std::int32_t GlowLayerOffsetY{0};
  std::int32_t GlowLayerAlphaBlendValue{255};

 private:
  void BindOwnKeys(TvlSkinKeys& Keys);
};

// Type word "menuitem". After reading, an active check, radio or arrow image without a positive
// size takes its normal image.
class TvlDataSkinMenuItem : public TvlDataSkinObject {
  VL_SKIN_DESCRIPTION(TvlDataSkinMenuItem, TvlDataSkinObject)
 public:
  TRect DividerRect{};
  std::int32_t DividerLO{0};
  std::int32_t DividerRO{0};
  std::int32_t ItemLO{0};
  std::int32_t ItemRO{0};
  std::string FontName{"Arial"};
  std::int32_t FontHeight{14};
  TFontStyles FontStyle{};
  TColor UnEnabledFontColor{0};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TRect TextRct{};
  TRect ImageRct{};
  bool UseImageColor{false};
  TColor ImageColor{0};
  TColor ActiveImageColor{0};
  bool StretchEffect{false};
  bool DividerStretchEffect{false};
  bool InActiveStretchEffect{false};
  TRect AnimateSkinRect{};
  std::int32_t FrameCount{0};
  std::int32_t AnimateInterval{25};
  bool InActiveAnimation{false};
  bool InActiveTransparent{false};
  TRect CheckImageRect{};
  TRect ActiveCheckImageRect{};
  TRect RadioImageRect{};
  TRect ActiveRadioImageRect{};
  TRect ArrowImageRect{};
  TRect ActiveArrowImageRect{};
};

// No type word of its own: the base of the main menu bar items.
class TvlDataSkinMainMenuItem : public TvlDataSkinObject {
  VL_SKIN_DESCRIPTION(TvlDataSkinMainMenuItem, TvlDataSkinObject)
 public:
  TRect DownRect{};
  std::string FontName{"Arial"};
  std::int32_t FontHeight{14};
  TFontStyles FontStyle{};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor DownFontColor{0};
  TColor UnEnabledFontColor{0};
  TRect TextRct{};
  std::int32_t ItemLO{0};
  std::int32_t ItemRO{0};
  bool StretchEffect{false};
  TRect AnimateSkinRect{};
  std::int32_t FrameCount{0};
  std::int32_t AnimateInterval{25};
  bool InActiveAnimation{false};
};

// Type word "mainmenubaritem".
class TvlDataSkinMainMenuBarItem : public TvlDataSkinMainMenuItem {
 public:
  using TvlDataSkinMainMenuItem::TvlDataSkinMainMenuItem;
};

// Type word "button".
class TvlDataSkinButton : public TvlDataSkinObject {
  VL_SKIN_DESCRIPTION(TvlDataSkinButton, TvlDataSkinObject)
 public:
  TRect DownRect{};
  TRect DisableSkinRect{};
};

// Type word "stdbutton": a caption button with a command. Without a "restorehint" the restore
// hint is derived from the command and the hint.
class TvlDataSkinStdButton : public TvlDataSkinButton {
  VL_SKIN_DESCRIPTION(TvlDataSkinStdButton, TvlDataSkinButton)
 public:
  TvlStdCommand Command{TvlStdCommand::cmDefault};
  std::string RestoreHint;
  TRect RestoreRect{};
  TRect RestoreActiveRect{};
  TRect RestoreDownRect{};
  TRect RestoreInActiveRect{};
};

// Type word "mainmenubarbutton".
class TvlDataSkinMainMenuBarButton : public TvlDataSkinStdButton {
 public:
  using TvlDataSkinStdButton::TvlDataSkinStdButton;
};

// Type word "caption".
class TvlDataSkinCaption : public TvlDataSkinObject {
  VL_SKIN_DESCRIPTION(TvlDataSkinCaption, TvlDataSkinObject)
 public:
  std::string FontName{"Arial"};
  std::int32_t FontHeight{14};
  TFontStyles FontStyle{};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor ShadowColor{0};
  TColor ActiveShadowColor{0};
  bool Shadow{false};
  TAlignment Alignment{TAlignment::taCenter};
  TRect TextRct{};
  TRect FrameRect{};
  TRect ActiveFrameRect{};
  std::int32_t FrameLeftOffset{0};
  std::int32_t FrameRightOffset{0};
  TRect FrameTextRect{};
  bool Light{false};
  TColor LightColor{0};
  TColor ActiveLightColor{0};
  bool StretchEffect{false};
  TRect AnimateSkinRect{};
  std::int32_t FrameCount{0};
  std::int32_t AnimateInterval{25};
  bool InActiveAnimation{false};
  bool FullFrame{false};
  bool GlowEffect{false};
  bool VistaGlowEffect{false};
  bool VistaGlowInActiveEffect{false};
  bool GlowInActiveEffect{false};
  std::int32_t GlowSize{3};
  TColor GlowColor{0};
  TColor GlowActiveColor{0};
  std::int32_t GlowOffset{0};
  bool ReflectionEffect{false};
  TColor ReflectionColor{0};
  TColor ReflectionActiveColor{0};
  std::int32_t ReflectionOffset{0};
};

// Type word "userobject": an object the application paints; only "skinrect" is read and written.
class TvlDataUserObject : public TvlDataSkinObject {
 public:
  using TvlDataSkinObject::TvlDataSkinObject;
  void LoadFromFile(TCustomIniFile* IniFile) override;
  void SaveToFile(TCustomIniFile* IniFile) override;
  void BindKeys(TvlSkinKeys& Keys) override;
};

// Type word "animate". Never morphs, whatever "morphing" says.
class TvlDataSkinAnimate : public TvlDataSkinObject {
  VL_SKIN_DESCRIPTION(TvlDataSkinAnimate, TvlDataSkinObject)
 public:
  std::int32_t CountFrames{1};
  bool Cycle{false};
  bool ButtonStyle{false};
  std::int32_t TimerInterval{50};
  TvlStdCommand Command{TvlStdCommand::cmDefault};
  TRect DownSkinRect{};
  std::string RestoreHint;
  TRect RestoreRect{};
  TRect RestoreActiveRect{};
  TRect RestoreDownRect{};
  TRect RestoreInActiveRect{};
};

// The description class of a SKINOBJECTS type word with that IDName, or nullptr for a word that
// is none of the eight (exact, case-sensitive).
[[nodiscard]] std::unique_ptr<TvlDataSkinObject> vlCreateObjectDescription(std::string_view TypeWord,
                                                                          const std::string& AIDName);
// The type word of an object description, testing the most derived kinds first.
[[nodiscard]] std::string_view vlObjectTypeWord(const TvlDataSkinObject* Object);
// The eight type words in the order the writer tests their classes.
[[nodiscard]] std::span<const std::string_view> vlObjectTypeWords();

// ---- the fixed sections ----

// Section SKINCOLORS. Created with all eight colours 0; the skin container sets the system
// colours on every clear (SetColorsToDefault).
class TvlSkinColors : public TObject {
 public:
  void SetColorsToDefault();
  void LoadFromFile(TCustomIniFile* IniFile);
  // Writes the eight keys; the caller erases the section first.
  void SaveToFile(TCustomIniFile* IniFile);
  void BindKeys(TvlSkinKeys& Keys);

  TColor FcBtnFace{0};
  TColor FcBtnText{0};
  TColor FcWindow{0};
  TColor FcWindowText{0};
  TColor FcHighLight{0};
  TColor FcHighLightText{0};
  TColor FcBtnHighLight{0};
  TColor FcBtnShadow{0};
};

// Section POPUPWINDOW: the frame of a popup-menu window.
class TvlDataSkinPopupWindow : public TObject {
 public:
  void LoadFromFile(TCustomIniFile* IniFile);
  void SaveToFile(TCustomIniFile* IniFile);  // erases the section first
  void BindKeys(TvlSkinKeys& Keys);

  std::int32_t WindowPictureIndex{-1};
  std::int32_t MaskPictureIndex{-1};
  TPoint LTPoint{};
  TPoint RTPoint{};
  TPoint LBPoint{};
  TPoint RBPoint{};
  TRect ItemsRect{};
  std::int32_t ScrollMarkerColor{0};
  std::int32_t ScrollMarkerActiveColor{0};
  bool TopStretch{false};
  bool LeftStretch{false};
  bool RightStretch{false};
  bool BottomStretch{false};
  bool StretchEffect{false};
  TvlStretchType StretchType{TvlStretchType::vlstFull};
};

// Section LAYERFRAME: the layered outer frame around a form; PictureIndex -1 means none.
class TvlDataSkinLayerFrame : public TObject {
 public:
  void LoadFromFile(TCustomIniFile* IniFile);
  void SaveToFile(TCustomIniFile* IniFile);  // erases the section first
  void BindKeys(TvlSkinKeys& Keys);

  std::int32_t PictureIndex{-1};
  std::int32_t MaskPictureIndex{-1};
  std::int32_t InActivePictureIndex{-1};
  std::int32_t InActiveMaskPictureIndex{-1};
  TPoint LTPoint{};
  TPoint RTPoint{};
  TPoint LBPoint{};
  TPoint RBPoint{};
  TRect ClRect{};
  std::int32_t AlphaBlendValue{255};
  std::int32_t InActiveAlphaBlendValue{255};
  TRect BorderRect{};
  bool HitTestEnable{false};
};

// Section HINTWINDOW: the hint window's frame and font.
class TvlDataSkinHintWindow : public TObject {
 public:
  void LoadFromFile(TCustomIniFile* IniFile);
  void SaveToFile(TCustomIniFile* IniFile);  // erases the section first
  void BindKeys(TvlSkinKeys& Keys);

  std::int32_t WindowPictureIndex{-1};
  std::int32_t MaskPictureIndex{-1};
  TPoint LTPoint{};
  TPoint RTPoint{};
  TPoint LBPoint{};
  TPoint RBPoint{};
  TRect ClRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  bool TopStretch{false};
  bool LeftStretch{false};
  bool RightStretch{false};
  bool BottomStretch{false};
  bool StretchEffect{false};
  TvlStretchType StretchType{TvlStretchType::vlstFull};
};
