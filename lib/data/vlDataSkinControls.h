#pragma once
// Control element descriptions: one class per kind of skinned control element (28 kinds, each
// with its type word in section SKINCONTROLS), read from and written to the element's section.
// Every field's key, encoding and default is listed once, in the kind's BindOwnKeys.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "lib/data/vlSkinDescription.h"
#include "platform/graphics/Colors.h"


// The root of the control element descriptions: the element's name and picture.
class TvlDataSkinControl : public TObject {
 public:
  explicit TvlDataSkinControl(std::string AIDName) : IDName(std::move(AIDName)) {}

  // Reads the section named IDName: the base's keys first, then the kind's own. A malformed
  // rectangle or point raises EConvertError; any other bad value takes its default.
  virtual void LoadFromFile(TCustomIniFile* IniFile);
  // Erases the section named IDName, then writes exactly the keys LoadFromFile reads.
  virtual void SaveToFile(TCustomIniFile* IniFile);
  // Every key of the kind bound to this object's fields, the base's first.
  virtual void BindKeys(TvlSkinKeys& Keys);

  std::string IDName;  // the element's name and the name of its section; never read from it
  std::int32_t PictureIndex{-1};
  std::int32_t MaskPictureIndex{-1};
  TRect SkinRect{};

 private:
  void BindOwnKeys(TvlSkinKeys& Keys);
};

// The kinds whose picture is composed from nine parts.
class TvlDataSkinCustomControl : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinCustomControl, TvlDataSkinControl)
 public:
  TPoint LTPoint{};
  TPoint RTPoint{};
  TPoint LBPoint{};
  TPoint RBPoint{};
  TRect ClRect{};
  bool StretchEffect{false};
  TvlStretchType StretchType{TvlStretchType::vlstFull};
  bool LeftStretch{false};
  bool TopStretch{false};
  bool RightStretch{false};
  bool BottomStretch{false};
};

// Type word "panel".
class TvlDataSkinPanelControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinPanelControl, TvlDataSkinCustomControl)
 public:
  TRect CaptionRect{};
  TAlignment Alignment{TAlignment::taCenter};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  std::int32_t BGPictureIndex{-1};
  TRect CheckImageRect{};
  TRect UnCheckImageRect{};
  TRect MarkFrameRect{};
  std::int32_t FrameLeftOffset{0};
  std::int32_t FrameRightOffset{0};
  TRect FrameTextRect{};
  TRect GripperRect{};
  bool GripperTransparent{false};
  TColor GripperTransparentColor{0};
};

// Type word "expanel".
class TvlDataSkinExPanelControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinExPanelControl, TvlDataSkinCustomControl)
 public:
  TRect RollHSkinRect{};
  TRect RollVSkinRect{};
  std::int32_t RollLeftOffset{0};
  std::int32_t RollRightOffset{0};
  std::int32_t RollTopOffset{0};
  std::int32_t RollBottomOffset{0};
  TRect RollVCaptionRect{};
  TRect RollHCaptionRect{};
  TRect CloseButtonRect{};
  TRect CloseButtonActiveRect{};
  TRect CloseButtonDownRect{};
  TRect HRollButtonRect{};
  TRect HRollButtonActiveRect{};
  TRect HRollButtonDownRect{};
  TRect HRestoreButtonRect{};
  TRect HRestoreButtonActiveRect{};
  TRect HRestoreButtonDownRect{};
  TRect VRollButtonRect{};
  TRect VRollButtonActiveRect{};
  TRect VRollButtonDownRect{};
  TRect VRestoreButtonRect{};
  TRect VRestoreButtonActiveRect{};
  TRect VRestoreButtonDownRect{};
  TRect CaptionRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  bool ButtonsTransparent{false};
  TColor ButtonsTransparentColor{0};
};

// Type word "button".
class TvlDataSkinButtonControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinButtonControl, TvlDataSkinCustomControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor DownFontColor{0};
  TColor DisabledFontColor{0};
  TRect ActiveSkinRect{};
  TRect DownSkinRect{};
  TRect DisabledSkinRect{};
  TRect FocusedSkinRect{};
  bool Morphing{false};
  TvlMorphKind MorphKind{TvlMorphKind::mkDefault};
  TRect AnimateSkinRect{};
  std::int32_t FrameCount{0};
  std::int32_t AnimateInterval{25};
  bool ShowFocus{false};
  TRect MenuMarkerFlatRect{};
  TRect MenuMarkerRect{};
  TRect MenuMarkerActiveRect{};
  TRect MenuMarkerDownRect{};
  TColor MenuMarkerTransparentColor{0};
  std::int32_t GlowLayerPictureIndex{-1};
  std::int32_t GlowLayerMaskPictureIndex{-1};
  std::int32_t GlowLayerOffsetLeft{0};
  std::int32_t GlowLayerOffsetRight{0};
  std::int32_t GlowLayerOffsetTop{0};
  std::int32_t GlowLayerOffsetBottom{0};
  std::int32_t GlowLayerShowOffsetX{0};
  std::int32_t GlowLayerShowOffsetY{0};
  std::int32_t GlowLayerAlphaBlendValue{255};
};

// Type word "menubutton".
class TvlDataSkinMenuButtonControl : public TvlDataSkinButtonControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinMenuButtonControl, TvlDataSkinButtonControl)
 public:
  TRect TrackButtonRect{};
};

// Type word "checkradio".
class TvlDataSkinCheckRadioControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinCheckRadioControl, TvlDataSkinCustomControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor UnEnabledFontColor{0};
  TRect ActiveSkinRect{};
  TRect CheckImageArea{};
  TRect TextArea{};
  TRect CheckImageRect{};
  TRect UnCheckImageRect{};
  TRect ActiveCheckImageRect{};
  TRect ActiveUnCheckImageRect{};
  TRect UnEnabledCheckImageRect{};
  TRect UnEnabledUnCheckImageRect{};
  TRect GrayedCheckImageRect{};
  TRect ActiveGrayedCheckImageRect{};
  bool Morphing{false};
  TvlMorphKind MorphKind{TvlMorphKind::mkDefault};
  TColor FrameFontColor{0};
};

// Type word "gauge".
class TvlDataSkinGaugeControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinGaugeControl, TvlDataSkinCustomControl)
 public:
  TRect ProgressArea{};
  TRect ProgressRect{};
  bool Vertical{false};
  std::int32_t BeginOffset{0};
  std::int32_t EndOffset{0};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  bool ProgressTransparent{false};
  TColor ProgressTransparentColor{0};
  bool ProgressStretch{false};
  TRect AnimationSkinRect{};
  std::int32_t AnimationCountFrames{0};
  std::int32_t AnimationTimerInterval{0};
  TRect ProgressAnimationSkinRect{};
  std::int32_t ProgressAnimationCountFrames{0};
  std::int32_t ProgressAnimationTimerInterval{0};
  std::int32_t AnimationBeginOffset{0};
  std::int32_t AnimationEndOffset{0};
};

// Type word "splitter".
class TvlDataSkinSplitterControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinSplitterControl, TvlDataSkinCustomControl)
 public:
  TRect GripperRect{};
  bool GripperTransparent{false};
  TColor GripperTransparentColor{0};
};

// Type word "trackbar".
class TvlDataSkinTrackBarControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinTrackBarControl, TvlDataSkinCustomControl)
 public:
  TRect ActiveSkinRect{};
  TRect TrackArea{};
  TRect ButtonRect{};
  TRect ActiveButtonRect{};
  bool Vertical{false};
  bool ButtonTransparent{false};
  TColor ButtonTransparentColor{0};
};

// Type word "label".
class TvlDataSkinLabelControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinLabelControl, TvlDataSkinCustomControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
};

// Type word "stdlabel".
class TvlDataSkinStdLabelControl : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinStdLabelControl, TvlDataSkinControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor ActiveFontColor{clBlue};
};

// Type word "updown".
class TvlDataSkinUpDownControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinUpDownControl, TvlDataSkinCustomControl)
 public:
  TRect UpButtonRect{};
  TRect ActiveUpButtonRect{};
  TRect DownUpButtonRect{};
  TRect DownButtonRect{};
  TRect ActiveDownButtonRect{};
  TRect DownDownButtonRect{};
};

// Type word "grid".
class TvlDataSkinGridControl : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinGridControl, TvlDataSkinControl)
 public:
  TRect FixedCellRect{};
  TRect SelectCellRect{};
  TRect FocusCellRect{};
  std::int32_t FixedCellLeftOffset{0};
  std::int32_t FixedCellRightOffset{0};
  TRect FixedCellTextRect{};
  std::int32_t CellLeftOffset{0};
  std::int32_t CellRightOffset{0};
  TRect CellTextRect{};
  TColor LinesColor{0};
  TColor BGColor{0};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor SelectFontColor{0};
  TColor FocusFontColor{0};
  std::string FixedFontName{"Arial"};
  TFontStyles FixedFontStyle{};
  std::int32_t FixedFontHeight{14};
  TColor FixedFontColor{0};
  bool FixedCellStretchEffect{false};
  bool CellStretchEffect{false};
  bool ShowFocus{false};
  std::int32_t BGPictureIndex{-1};
};

// Type word "tab".
class TvlDataSkinTabControl : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinTabControl, TvlDataSkinControl)
 public:
  TRect TabRect{};
  TRect ActiveTabRect{};
  TRect FocusTabRect{};
  TRect MouseInTabRect{};
  TRect ClRect{};
  TRect TabsBGRect{};
  TPoint LTPoint{};
  TPoint RTPoint{};
  TPoint LBPoint{};
  TPoint RBPoint{};
  std::int32_t TabLeftOffset{0};
  std::int32_t TabRightOffset{0};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor FocusFontColor{0};
  TColor MouseInFontColor{0};
  std::string UpDown;
  std::int32_t BGPictureIndex{-1};
  bool TabStretchEffect{false};
  bool ShowFocus{false};
  std::int32_t FocusOffsetX{0};
  std::int32_t FocusOffsetY{0};
  bool LeftStretch{false};
  bool TopStretch{false};
  bool RightStretch{false};
  bool BottomStretch{false};
  bool StretchEffect{false};
  TvlStretchType StretchType{TvlStretchType::vlstFull};
  TRect CloseButtonRect{};
  TRect CloseButtonActiveRect{};
  TRect CloseButtonDownRect{};
  bool ButtonTransparent{false};
  TColor ButtonTransparentColor{0};
};

// Type word "mainmenubar".
class TvlDataSkinMainMenuBar : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinMainMenuBar, TvlDataSkinControl)
 public:
  TRect ItemsRect{};
  std::string MenuBarItem;
  std::string CloseButton;
  std::string MaxButton;
  std::string MinButton;
  std::string SysMenuButton;
  std::int32_t TrackMarkColor{0};
  std::int32_t TrackMarkActiveColor{0};
  bool StretchEffect{false};
  bool ItemTransparent{false};
};

// Type word "controlbar".
class TvlDataSkinControlBar : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinControlBar, TvlDataSkinCustomControl)
 public:
  TRect ItemRect{};
  std::int32_t BGPictureIndex{-1};
  TRect HGripRect{};
  TRect VGripRect{};
  std::int32_t GripOffset1{0};
  std::int32_t GripOffset2{0};
  bool ItemStretchEffect{false};
  std::int32_t ItemOffset1{3};
  std::int32_t ItemOffset2{3};
  bool ItemTransparent{false};
  TColor ItemTransparentColor{0};
  bool GripTransparent{false};
  TColor GripTransparentColor{0};
};

// Type word "edit".
class TvlDataSkinEditControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinEditControl, TvlDataSkinCustomControl)
 public:
  TRect ActiveSkinRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor DisabledFontColor{0};
  TColor ActiveFontColor{0};
  TRect ButtonRect{};
  TRect ActiveButtonRect{};
  TRect DownButtonRect{};
  TRect UnEnabledButtonRect{};
};

// Type word "memo".
class TvlDataSkinMemoControl : public TvlDataSkinEditControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinMemoControl, TvlDataSkinEditControl)
 public:
  TColor BGColor{0};
  TColor ActiveBGColor{0};
};

// Type word "listbox".
class TvlDataSkinListBox : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinListBox, TvlDataSkinCustomControl)
 public:
  TRect SItemRect{};
  TRect ActiveItemRect{};
  TRect FocusItemRect{};
  std::int32_t ItemLeftOffset{0};
  std::int32_t ItemRightOffset{0};
  TRect ItemTextRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor FocusFontColor{0};
  TRect CaptionRect{};
  std::string CaptionFontName{"Arial"};
  TFontStyles CaptionFontStyle{};
  std::int32_t CaptionFontHeight{14};
  TColor CaptionFontColor{0};
  TRect UpButtonRect{};
  TRect ActiveUpButtonRect{};
  TRect DownUpButtonRect{};
  TRect DownButtonRect{};
  TRect ActiveDownButtonRect{};
  TRect DownDownButtonRect{};
  TRect CheckButtonRect{};
  TRect ActiveCheckButtonRect{};
  TRect DownCheckButtonRect{};
  std::string HScrollBarName{"hscrollbar"};
  std::string VScrollBarName{"vscrollbar"};
  std::string BothScrollBarName{"bothhscrollbar"};
  bool ShowFocus{false};
  TRect DisabledButtonsRect{};
  TRect ButtonsArea{};
};

// Type word "checklistbox".
class TvlDataSkinCheckListBox : public TvlDataSkinListBox {
  VL_SKIN_DESCRIPTION(TvlDataSkinCheckListBox, TvlDataSkinListBox)
 public:
  TRect UnCheckImageRect{};
  TRect CheckImageRect{};
  TRect ItemCheckRect{};
};

// Type word "combobox".
class TvlDataSkinComboBox : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinComboBox, TvlDataSkinCustomControl)
 public:
  TRect SItemRect{};
  TRect ActiveItemRect{};
  TRect FocusItemRect{};
  std::int32_t ItemLeftOffset{0};
  std::int32_t ItemRightOffset{0};
  TRect ItemTextRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor FocusFontColor{0};
  TColor ActiveFontColor{0};
  TRect ButtonRect{};
  TRect ActiveButtonRect{};
  TRect DownButtonRect{};
  TRect UnEnabledButtonRect{};
  bool ItemStretchEffect{false};
  bool FocusItemStretchEffect{false};
  TRect ActiveSkinRect{};
  std::string ListBoxName;
  bool ShowFocus{false};
};

// Type word "scrollbar".
class TvlDataSkinScrollBarControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinScrollBarControl, TvlDataSkinCustomControl)
 public:
  TRect TrackArea{};
  TRect UpButtonRect{};
  TRect ActiveUpButtonRect{};
  TRect DownUpButtonRect{};
  TRect DownButtonRect{};
  TRect ActiveDownButtonRect{};
  TRect DownDownButtonRect{};
  TRect ThumbRect{};
  TRect ActiveThumbRect{};
  TRect DownThumbRect{};
  std::int32_t ThumbOffset1{0};
  std::int32_t ThumbOffset2{0};
  TRect GlyphRect{};
  TRect ActiveGlyphRect{};
  TRect DownGlyphRect{};
  bool GlyphTransparent{false};
  TColor GlyphTransparentColor{0};
  bool ThumbTransparent{false};
  TColor ThumbTransparentColor{0};
  bool ThumbStretchEffect{false};
  std::int32_t ThumbMinSize{0};
  std::int32_t ThumbMinPageSize{0};
};

// Type word "spinedit".
class TvlDataSkinSpinEditControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinSpinEditControl, TvlDataSkinCustomControl)
 public:
  TRect ActiveSkinRect{};
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor ActiveFontColor{0};
  TColor DisabledFontColor{0};
  TRect UpButtonRect{};
  TRect ActiveUpButtonRect{};
  TRect DownUpButtonRect{};
  TRect DownButtonRect{};
  TRect ActiveDownButtonRect{};
  TRect DownDownButtonRect{};
};

// Type word "scrollbox".
class TvlDataSkinScrollBoxControl : public TvlDataSkinCustomControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinScrollBoxControl, TvlDataSkinCustomControl)
 public:
  std::int32_t BGPictureIndex{-1};
};

// Type word "treeview".
class TvlDataSkinTreeView : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinTreeView, TvlDataSkinControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor BGColor{0};
};

// Type word "bevel".
class TvlDataSkinBevel : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinBevel, TvlDataSkinControl)
 public:
  TColor LightColor{0};
  TColor DarkColor{0};
};

// Type word "slider".
class TvlDataSkinSlider : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinSlider, TvlDataSkinControl)
 public:
  TRect HRulerRect{};
  TRect HThumbRect{};
  TRect VRulerRect{};
  TRect VThumbRect{};
  std::int32_t EdgeSize{0};
  TColor BGColor{0};
  TColor PointsColor{0};
};

// Type word "listview".
class TvlDataSkinListView : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinListView, TvlDataSkinControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor BGColor{0};
};

// Type word "richedit".
class TvlDataSkinRichEdit : public TvlDataSkinControl {
  VL_SKIN_DESCRIPTION(TvlDataSkinRichEdit, TvlDataSkinControl)
 public:
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  std::int32_t FontHeight{14};
  TColor FontColor{0};
  TColor BGColor{0};
};

// The description class of a SKINCONTROLS type word with that IDName, or nullptr for a word that
// is none of the 28 (exact, case-sensitive).
[[nodiscard]] std::unique_ptr<TvlDataSkinControl> vlCreateControlDescription(std::string_view TypeWord,
                                                                            const std::string& AIDName);
// The type word of a description: its class is tested from the most derived kinds down, so a
// menu button is never written as a button, a memo never as an edit.
[[nodiscard]] std::string_view vlControlTypeWord(const TvlDataSkinControl* Control);
// The 28 type words in the order the writer tests their classes.
[[nodiscard]] std::span<const std::string_view> vlControlTypeWords();
