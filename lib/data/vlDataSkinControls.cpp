#include "lib/data/vlDataSkinControls.h"

#include <array>
#include <functional>

// ---- the root and the nine-part base ----

void TvlDataSkinControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("pictureindex", PictureIndex, -1);
  Keys.Add("maskpictureindex", MaskPictureIndex, -1);
  Keys.Add("skinrect", SkinRect);
}

void TvlDataSkinControl::BindKeys(TvlSkinKeys& Keys) { BindOwnKeys(Keys); }

void TvlDataSkinControl::LoadFromFile(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Read(IniFile, IDName);
}

void TvlDataSkinControl::SaveToFile(TCustomIniFile* IniFile) {
  IniFile->EraseSection(IDName);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Write(IniFile, IDName);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinCustomControl, TvlDataSkinControl)

void TvlDataSkinCustomControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("lefttoppoint", LTPoint);
  Keys.Add("righttoppoint", RTPoint);
  Keys.Add("leftbottompoint", LBPoint);
  Keys.Add("rightbottompoint", RBPoint);
  Keys.Add("clientrect", ClRect);
  Keys.Add("leftstretch", LeftStretch);
  Keys.Add("topstretch", TopStretch);
  Keys.Add("rightstretch", RightStretch);
  Keys.Add("bottomstretch", BottomStretch);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("stretchtype", StretchType);
}

// ---- the recurring groups ----

namespace {

template <typename T>
void AddItemGroup(TvlSkinKeys& Keys, T& Owner) {
  Keys.Add("itemrect", Owner.SItemRect);
  Keys.Add("activeitemrect", Owner.ActiveItemRect);
  Keys.Add("focusitemrect", Owner.FocusItemRect);
  Keys.Add("itemleftoffset", Owner.ItemLeftOffset);
  Keys.Add("itemrightoffset", Owner.ItemRightOffset);
  Keys.Add("itemtextrect", Owner.ItemTextRect);
}

template <typename T>
void AddUpDownGroup(TvlSkinKeys& Keys, T& Owner) {
  Keys.Add("upbuttonrect", Owner.UpButtonRect);
  Keys.Add("activeupbuttonrect", Owner.ActiveUpButtonRect);
  Keys.Add("downupbuttonrect", Owner.DownUpButtonRect);
  Keys.Add("downbuttonrect", Owner.DownButtonRect);
  Keys.Add("activedownbuttonrect", Owner.ActiveDownButtonRect);
  Keys.Add("downdownbuttonrect", Owner.DownDownButtonRect);
}

}  // namespace

// ---- the kinds ----


VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinPanelControl, TvlDataSkinCustomControl)

void TvlDataSkinPanelControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("captionrect", CaptionRect);
  Keys.Add("alignment", Alignment);
  vlAddFontGroup(Keys, *this);
  Keys.Add("bgpictureindex", BGPictureIndex, -1);
  Keys.Add("checkimagerect", CheckImageRect);
  Keys.Add("uncheckimagerect", UnCheckImageRect);
  Keys.Add("markframerect", MarkFrameRect);
  Keys.Add("frameleftoffset", FrameLeftOffset);
  Keys.Add("framerightoffset", FrameRightOffset);
  Keys.Add("frametextrect", FrameTextRect);
  Keys.Add("gripperrect", GripperRect);
  Keys.Add("grippertransparent", GripperTransparent);
  Keys.Add("grippertransparentcolor", GripperTransparentColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinExPanelControl, TvlDataSkinCustomControl)

void TvlDataSkinExPanelControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("rollhskinrect", RollHSkinRect);
  Keys.Add("rollvskinrect", RollVSkinRect);
  Keys.Add("rollleftoffset", RollLeftOffset);
  Keys.Add("rollrightoffset", RollRightOffset);
  Keys.Add("rolltopoffset", RollTopOffset);
  Keys.Add("rollbottomoffset", RollBottomOffset);
  Keys.Add("rollvcaptionrect", RollVCaptionRect);
  Keys.Add("rollhcaptionrect", RollHCaptionRect);
  Keys.Add("closebuttonrect", CloseButtonRect);
  Keys.Add("closebuttonactiverect", CloseButtonActiveRect);
  Keys.Add("closebuttondownrect", CloseButtonDownRect);
  Keys.Add("hrollbuttonrect", HRollButtonRect);
  Keys.Add("hrollbuttonactiverect", HRollButtonActiveRect);
  Keys.Add("hrollbuttondownrect", HRollButtonDownRect);
  Keys.Add("hrestorebuttonrect", HRestoreButtonRect);
  Keys.Add("hrestorebuttonactiverect", HRestoreButtonActiveRect);
  Keys.Add("hrestorebuttondownrect", HRestoreButtonDownRect);
  Keys.Add("vrollbuttonrect", VRollButtonRect);
  Keys.Add("vrollbuttonactiverect", VRollButtonActiveRect);
  Keys.Add("vrollbuttondownrect", VRollButtonDownRect);
  Keys.Add("vrestorebuttonrect", VRestoreButtonRect);
  Keys.Add("vrestorebuttonactiverect", VRestoreButtonActiveRect);
  Keys.Add("vrestorebuttondownrect", VRestoreButtonDownRect);
  Keys.Add("captionrect", CaptionRect);
  vlAddFontGroup(Keys, *this);
  Keys.Add("buttonstransparent", ButtonsTransparent);
  Keys.Add("buttonstransparentcolor", ButtonsTransparentColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinButtonControl, TvlDataSkinCustomControl)

void TvlDataSkinButtonControl::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("downfontcolor", DownFontColor);
  Keys.Add("disabledfontcolor", DisabledFontColor);
  Keys.Add("activeskinrect", ActiveSkinRect);
  Keys.Add("downskinrect", DownSkinRect);
  Keys.Add("disabledskinrect", DisabledSkinRect);
  Keys.Add("focusedskinrect", FocusedSkinRect);
  Keys.Add("morphing", Morphing);
  Keys.Add("morphkind", MorphKind);
  Keys.Add("animateskinrect", AnimateSkinRect);
  Keys.Add("framecount", FrameCount);
  Keys.Add("animateinterval", AnimateInterval, 25);
  Keys.Add("showfocus", ShowFocus);
  Keys.Add("menumarkerflatrect", MenuMarkerFlatRect);
  Keys.Add("menumarkerrect", MenuMarkerRect);
  Keys.Add("menumarkeractiverect", MenuMarkerActiveRect);
  Keys.Add("menumarkerdownrect", MenuMarkerDownRect);
  Keys.Add("menumarkertransparentcolor", MenuMarkerTransparentColor);
  Keys.Add("glowlayerpictureindex", GlowLayerPictureIndex, -1);
  Keys.Add("glowlayermaskpictureindex", GlowLayerMaskPictureIndex, -1);
  Keys.Add("glowlayeroffsetleft", GlowLayerOffsetLeft);
  Keys.Add("glowlayeroffsetright", GlowLayerOffsetRight);
  Keys.Add("glowlayeroffsettop", GlowLayerOffsetTop);
  Keys.Add("glowlayeroffsetbottom", GlowLayerOffsetBottom);
  Keys.Add("glowlayershowoffsetx", GlowLayerShowOffsetX);
  Keys.Add("glowlayershowoffsety", GlowLayerShowOffsetY);
  Keys.Add("glowlayeralphablendvalue", GlowLayerAlphaBlendValue, 255);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinMenuButtonControl, TvlDataSkinButtonControl)

void TvlDataSkinMenuButtonControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("trackbuttonrect", TrackButtonRect);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinCheckRadioControl, TvlDataSkinCustomControl)

void TvlDataSkinCheckRadioControl::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("unenabledfontcolor", UnEnabledFontColor);
  Keys.Add("activeskinrect", ActiveSkinRect);
  Keys.Add("checkimagearea", CheckImageArea);
  Keys.Add("textarea", TextArea);
  Keys.Add("checkimagerect", CheckImageRect);
  Keys.Add("uncheckimagerect", UnCheckImageRect);
  Keys.Add("activecheckimagerect", ActiveCheckImageRect);
  Keys.Add("activeuncheckimagerect", ActiveUnCheckImageRect);
  Keys.Add("unenabledcheckimagerect", UnEnabledCheckImageRect);
  Keys.Add("unenableduncheckimagerect", UnEnabledUnCheckImageRect);
  Keys.Add("grayedcheckimagerect", GrayedCheckImageRect);
  Keys.Add("activegrayedcheckimagerect", ActiveGrayedCheckImageRect);
  Keys.Add("morphing", Morphing);
  Keys.Add("morphkind", MorphKind);
  Keys.Add("framefontcolor", FrameFontColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinGaugeControl, TvlDataSkinCustomControl)

void TvlDataSkinGaugeControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("progressarea", ProgressArea);
  Keys.Add("progressrect", ProgressRect);
  Keys.Add("vertical", Vertical);
  Keys.Add("beginoffset", BeginOffset);
  Keys.Add("endoffset", EndOffset);
  vlAddFontGroup(Keys, *this);
  Keys.Add("progresstransparent", ProgressTransparent);
  Keys.Add("progresstransparentcolor", ProgressTransparentColor);
  Keys.Add("progressstretch", ProgressStretch);
  Keys.Add("animationskinrect", AnimationSkinRect);
  Keys.Add("animationcountframes", AnimationCountFrames);
  Keys.Add("animationtimerinterval", AnimationTimerInterval);
  Keys.Add("progressanimationskinrect", ProgressAnimationSkinRect);
  Keys.Add("progressanimationcountframes", ProgressAnimationCountFrames);
  Keys.Add("progressanimationtimerinterval", ProgressAnimationTimerInterval);
  Keys.Add("animationbeginoffset", AnimationBeginOffset);
  Keys.Add("animationendoffset", AnimationEndOffset);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinSplitterControl, TvlDataSkinCustomControl)

void TvlDataSkinSplitterControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("gripperrect", GripperRect);
  Keys.Add("grippertransparent", GripperTransparent);
  Keys.Add("grippertransparentcolor", GripperTransparentColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinTrackBarControl, TvlDataSkinCustomControl)

void TvlDataSkinTrackBarControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("activeskinrect", ActiveSkinRect);
  Keys.Add("trackarea", TrackArea);
  Keys.Add("buttonrect", ButtonRect);
  Keys.Add("activebuttonrect", ActiveButtonRect);
  Keys.Add("vertical", Vertical);
  Keys.Add("buttontransparent", ButtonTransparent);
  Keys.Add("buttontransparentcolor", ButtonTransparentColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinLabelControl, TvlDataSkinCustomControl)

void TvlDataSkinLabelControl::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinStdLabelControl, TvlDataSkinControl)

void TvlDataSkinStdLabelControl::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
  Keys.Add("activefontcolor", ActiveFontColor, clBlue);
}

void TvlDataSkinUpDownControl::BindOwnKeys(TvlSkinKeys& Keys) {
  AddUpDownGroup(Keys, *this);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinGridControl, TvlDataSkinControl)

void TvlDataSkinGridControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("fixedcellrect", FixedCellRect);
  Keys.Add("selectcellrect", SelectCellRect);
  Keys.Add("focuscellrect", FocusCellRect);
  Keys.Add("fixedcellleftoffset", FixedCellLeftOffset);
  Keys.Add("fixedcellrightoffset", FixedCellRightOffset);
  Keys.Add("fixedcelltextrect", FixedCellTextRect);
  Keys.Add("cellleftoffset", CellLeftOffset);
  Keys.Add("cellrightoffset", CellRightOffset);
  Keys.Add("celltextrect", CellTextRect);
  Keys.Add("linescolor", LinesColor);
  Keys.Add("bgcolor", BGColor);
  vlAddFontGroup(Keys, *this);
  Keys.Add("selectfontcolor", SelectFontColor);
  Keys.Add("focusfontcolor", FocusFontColor);
  Keys.Add("fixedfontname", FixedFontName, "Arial");
  Keys.Add("fixedfontstyle", FixedFontStyle);
  Keys.Add("fixedfontheight", FixedFontHeight, 14);
  Keys.Add("fixedfontcolor", FixedFontColor);
  Keys.Add("fixedcellstretcheffect", FixedCellStretchEffect);
  Keys.Add("cellstretcheffect", CellStretchEffect);
  Keys.Add("showfocus", ShowFocus);
  Keys.Add("bgpictureindex", BGPictureIndex, -1);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinTabControl, TvlDataSkinControl)

void TvlDataSkinTabControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("tabrect", TabRect);
  Keys.Add("activetabrect", ActiveTabRect);
  Keys.Add("focustabrect", FocusTabRect);
  Keys.Add("mouseintabrect", MouseInTabRect);
  Keys.Add("clientrect", ClRect);
  Keys.Add("tabsbgrect", TabsBGRect);
  Keys.Add("lefttoppoint", LTPoint);
  Keys.Add("righttoppoint", RTPoint);
  Keys.Add("leftbottompoint", LBPoint);
  Keys.Add("rightbottompoint", RBPoint);
  Keys.Add("tableftoffset", TabLeftOffset);
  Keys.Add("tabrightoffset", TabRightOffset);
  vlAddFontGroup(Keys, *this);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("focusfontcolor", FocusFontColor);
  Keys.Add("mouseinfontcolor", MouseInFontColor);
  Keys.Add("updown", UpDown);
  Keys.Add("bgpictureindex", BGPictureIndex, -1);
  Keys.Add("tabstretcheffect", TabStretchEffect);
  Keys.Add("showfocus", ShowFocus);
  Keys.Add("focusoffsetx", FocusOffsetX);
  Keys.Add("focusoffsety", FocusOffsetY);
  Keys.Add("leftstretch", LeftStretch);
  Keys.Add("topstretch", TopStretch);
  Keys.Add("rightstretch", RightStretch);
  Keys.Add("bottomstretch", BottomStretch);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("stretchtype", StretchType);
  Keys.Add("closebuttonrect", CloseButtonRect);
  Keys.Add("closebuttonactiverect", CloseButtonActiveRect);
  Keys.Add("closebuttondownrect", CloseButtonDownRect);
  Keys.Add("buttontransparent", ButtonTransparent);
  Keys.Add("buttontransparentcolor", ButtonTransparentColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinMainMenuBar, TvlDataSkinControl)

void TvlDataSkinMainMenuBar::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("itemsrect", ItemsRect);
  Keys.Add("menubaritem", MenuBarItem);
  Keys.Add("closebutton", CloseButton);
  Keys.Add("maxbutton", MaxButton);
  Keys.Add("minbutton", MinButton);
  Keys.Add("sysmenubutton", SysMenuButton);
  Keys.Add("trackmarkcolor", TrackMarkColor);
  Keys.Add("trackmarkactivecolor", TrackMarkActiveColor);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("itemtransparent", ItemTransparent);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinControlBar, TvlDataSkinCustomControl)

void TvlDataSkinControlBar::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("itemrect", ItemRect);
  Keys.Add("bgpictureindex", BGPictureIndex, -1);
  Keys.Add("hgriprect", HGripRect);
  Keys.Add("vgriprect", VGripRect);
  Keys.Add("gripoffset1", GripOffset1);
  Keys.Add("gripoffset2", GripOffset2);
  Keys.Add("itemstretcheffect", ItemStretchEffect);
  Keys.Add("itemoffset1", ItemOffset1, 3);
  Keys.Add("itemoffset2", ItemOffset2, 3);
  Keys.Add("itemtransparent", ItemTransparent);
  Keys.Add("itemtransparentcolor", ItemTransparentColor);
  Keys.Add("griptransparent", GripTransparent);
  Keys.Add("griptransparentcolor", GripTransparentColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinEditControl, TvlDataSkinCustomControl)

void TvlDataSkinEditControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("activeskinrect", ActiveSkinRect);
  vlAddFontGroup(Keys, *this);
  Keys.Add("disabledfontcolor", DisabledFontColor);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("buttonrect", ButtonRect);
  Keys.Add("activebuttonrect", ActiveButtonRect);
  Keys.Add("downbuttonrect", DownButtonRect);
  Keys.Add("unenabledbuttonrect", UnEnabledButtonRect);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinMemoControl, TvlDataSkinEditControl)

void TvlDataSkinMemoControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("bgcolor", BGColor);
  Keys.Add("activebgcolor", ActiveBGColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinListBox, TvlDataSkinCustomControl)

void TvlDataSkinListBox::BindOwnKeys(TvlSkinKeys& Keys) {
  AddItemGroup(Keys, *this);
  vlAddFontGroup(Keys, *this);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("focusfontcolor", FocusFontColor);
  Keys.Add("captionrect", CaptionRect);
  Keys.Add("captionfontname", CaptionFontName, "Arial");
  Keys.Add("captionfontstyle", CaptionFontStyle);
  Keys.Add("captionfontheight", CaptionFontHeight, 14);
  Keys.Add("captionfontcolor", CaptionFontColor);
  AddUpDownGroup(Keys, *this);
  Keys.Add("checkbuttonrect", CheckButtonRect);
  Keys.Add("activecheckbuttonrect", ActiveCheckButtonRect);
  Keys.Add("downcheckbuttonrect", DownCheckButtonRect);
  Keys.Add("hscrollbarname", HScrollBarName, "hscrollbar");
  Keys.Add("vscrollbarname", VScrollBarName, "vscrollbar");
  Keys.Add("bothhscrollbarname", BothScrollBarName, "bothhscrollbar");
  Keys.Add("showfocus", ShowFocus);
  Keys.Add("disabledbuttonsrect", DisabledButtonsRect);
  Keys.Add("buttonsarea", ButtonsArea);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinCheckListBox, TvlDataSkinListBox)

void TvlDataSkinCheckListBox::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("uncheckimagerect", UnCheckImageRect);
  Keys.Add("checkimagerect", CheckImageRect);
  Keys.Add("itemcheckrect", ItemCheckRect);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinComboBox, TvlDataSkinCustomControl)

void TvlDataSkinComboBox::BindOwnKeys(TvlSkinKeys& Keys) {
  AddItemGroup(Keys, *this);
  vlAddFontGroup(Keys, *this);
  Keys.Add("focusfontcolor", FocusFontColor);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("buttonrect", ButtonRect);
  Keys.Add("activebuttonrect", ActiveButtonRect);
  Keys.Add("downbuttonrect", DownButtonRect);
  Keys.Add("unenabledbuttonrect", UnEnabledButtonRect);
  Keys.Add("itemstretcheffect", ItemStretchEffect);
  Keys.Add("focusitemstretcheffect", FocusItemStretchEffect);
  Keys.Add("activeskinrect", ActiveSkinRect);
  Keys.Add("listboxname", ListBoxName);
  Keys.Add("showfocus", ShowFocus);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinScrollBarControl, TvlDataSkinCustomControl)

void TvlDataSkinScrollBarControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("trackarea", TrackArea);
  AddUpDownGroup(Keys, *this);
  Keys.Add("thumbrect", ThumbRect);
  Keys.Add("activethumbrect", ActiveThumbRect);
  Keys.Add("downthumbrect", DownThumbRect);
  Keys.Add("thumboffset1", ThumbOffset1);
  Keys.Add("thumboffset2", ThumbOffset2);
  Keys.Add("glyphrect", GlyphRect);
  Keys.Add("activeglyphrect", ActiveGlyphRect);
  Keys.Add("downglyphrect", DownGlyphRect);
  Keys.Add("glyphtransparent", GlyphTransparent);
  Keys.Add("glyphtransparentcolor", GlyphTransparentColor);
  Keys.Add("thumbtransparent", ThumbTransparent);
  Keys.Add("thumbtransparentcolor", ThumbTransparentColor);
  Keys.Add("thumbstretcheffect", ThumbStretchEffect);
  Keys.Add("thumbminsize", ThumbMinSize);
  Keys.Add("thumbminpagesize", ThumbMinPageSize);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinSpinEditControl, TvlDataSkinCustomControl)

void TvlDataSkinSpinEditControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("activeskinrect", ActiveSkinRect);
  vlAddFontGroup(Keys, *this);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("disabledfontcolor", DisabledFontColor);
  AddUpDownGroup(Keys, *this);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinScrollBoxControl, TvlDataSkinCustomControl)

void TvlDataSkinScrollBoxControl::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("bgpictureindex", BGPictureIndex, -1);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinTreeView, TvlDataSkinControl)

void TvlDataSkinTreeView::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
  Keys.Add("bgcolor", BGColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinBevel, TvlDataSkinControl)

void TvlDataSkinBevel::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("lightcolor", LightColor);
  Keys.Add("darkcolor", DarkColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinSlider, TvlDataSkinControl)

void TvlDataSkinSlider::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("hrulerrect", HRulerRect);
  Keys.Add("hthumbrect", HThumbRect);
  Keys.Add("vrulerrect", VRulerRect);
  Keys.Add("vthumbrect", VThumbRect);
  Keys.Add("edgesize", EdgeSize);
  Keys.Add("bgcolor", BGColor);
  Keys.Add("pointscolor", PointsColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinListView, TvlDataSkinControl)

void TvlDataSkinListView::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
  Keys.Add("bgcolor", BGColor);
}

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinRichEdit, TvlDataSkinControl)

void TvlDataSkinRichEdit::BindOwnKeys(TvlSkinKeys& Keys) {
  vlAddFontGroup(Keys, *this);
  Keys.Add("bgcolor", BGColor);
}

// The up-down kind carries no nine-part geometry: its corner points and client rectangle are
// zero after reading and before writing, whatever its section says.
VL_SKIN_DESCRIPTION_BIND(TvlDataSkinUpDownControl, TvlDataSkinCustomControl)

void TvlDataSkinUpDownControl::LoadFromFile(TCustomIniFile* IniFile) {
  TvlDataSkinCustomControl::LoadFromFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Read(IniFile, IDName);
  LTPoint = RTPoint = LBPoint = RBPoint = TPoint{};
  ClRect = TRect{};
}

void TvlDataSkinUpDownControl::SaveToFile(TCustomIniFile* IniFile) {
  LTPoint = RTPoint = LBPoint = RBPoint = TPoint{};
  ClRect = TRect{};
  TvlDataSkinCustomControl::SaveToFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Write(IniFile, IDName);
}

// ---- type words ----

namespace {

using Factory = std::unique_ptr<TvlDataSkinControl> (*)(const std::string&);
using ClassTest = bool (*)(const TvlDataSkinControl*);

struct Kind {
  std::string_view Word;
  Factory Create;
  ClassTest Is;
};

template <typename T>
std::unique_ptr<TvlDataSkinControl> Make(const std::string& name) {
  return std::make_unique<T>(name);
}

template <typename T>
bool Is(const TvlDataSkinControl* control) {
  return dynamic_cast<const T*>(control) != nullptr;
}

// In the order the writer tests the classes: derived kinds before their bases.
constexpr Kind kKinds[] = {
    {"panel", Make<TvlDataSkinPanelControl>, Is<TvlDataSkinPanelControl>},
    {"expanel", Make<TvlDataSkinExPanelControl>, Is<TvlDataSkinExPanelControl>},
    {"menubutton", Make<TvlDataSkinMenuButtonControl>, Is<TvlDataSkinMenuButtonControl>},
    {"button", Make<TvlDataSkinButtonControl>, Is<TvlDataSkinButtonControl>},
    {"checkradio", Make<TvlDataSkinCheckRadioControl>, Is<TvlDataSkinCheckRadioControl>},
    {"gauge", Make<TvlDataSkinGaugeControl>, Is<TvlDataSkinGaugeControl>},
    {"splitter", Make<TvlDataSkinSplitterControl>, Is<TvlDataSkinSplitterControl>},
    {"trackbar", Make<TvlDataSkinTrackBarControl>, Is<TvlDataSkinTrackBarControl>},
    {"label", Make<TvlDataSkinLabelControl>, Is<TvlDataSkinLabelControl>},
    {"stdlabel", Make<TvlDataSkinStdLabelControl>, Is<TvlDataSkinStdLabelControl>},
    {"updown", Make<TvlDataSkinUpDownControl>, Is<TvlDataSkinUpDownControl>},
    {"grid", Make<TvlDataSkinGridControl>, Is<TvlDataSkinGridControl>},
    {"tab", Make<TvlDataSkinTabControl>, Is<TvlDataSkinTabControl>},
    {"mainmenubar", Make<TvlDataSkinMainMenuBar>, Is<TvlDataSkinMainMenuBar>},
    {"controlbar", Make<TvlDataSkinControlBar>, Is<TvlDataSkinControlBar>},
    {"memo", Make<TvlDataSkinMemoControl>, Is<TvlDataSkinMemoControl>},
    {"edit", Make<TvlDataSkinEditControl>, Is<TvlDataSkinEditControl>},
    {"checklistbox", Make<TvlDataSkinCheckListBox>, Is<TvlDataSkinCheckListBox>},
    {"listbox", Make<TvlDataSkinListBox>, Is<TvlDataSkinListBox>},
    {"combobox", Make<TvlDataSkinComboBox>, Is<TvlDataSkinComboBox>},
    {"scrollbar", Make<TvlDataSkinScrollBarControl>, Is<TvlDataSkinScrollBarControl>},
    {"spinedit", Make<TvlDataSkinSpinEditControl>, Is<TvlDataSkinSpinEditControl>},
    {"scrollbox", Make<TvlDataSkinScrollBoxControl>, Is<TvlDataSkinScrollBoxControl>},
    {"treeview", Make<TvlDataSkinTreeView>, Is<TvlDataSkinTreeView>},
    {"bevel", Make<TvlDataSkinBevel>, Is<TvlDataSkinBevel>},
    {"slider", Make<TvlDataSkinSlider>, Is<TvlDataSkinSlider>},
    {"listview", Make<TvlDataSkinListView>, Is<TvlDataSkinListView>},
    {"richedit", Make<TvlDataSkinRichEdit>, Is<TvlDataSkinRichEdit>},
};

constexpr auto kWords = [] {
  std::array<std::string_view, std::size(kKinds)> words{};
  for (std::size_t i = 0; i < std::size(kKinds); ++i) words[i] = kKinds[i].Word;
  return words;
}();

}  // namespace

std::unique_ptr<TvlDataSkinControl> vlCreateControlDescription(std::string_view TypeWord, const std::string& AIDName) {
  for (const Kind& kind : kKinds)
    if (kind.Word == TypeWord) return kind.Create(AIDName);
  return nullptr;
}

std::string_view vlControlTypeWord(const TvlDataSkinControl* Control) {
  for (const Kind& kind : kKinds)
    if (kind.Is(Control)) return kind.Word;
  return {};
}

std::span<const std::string_view> vlControlTypeWords() { return kWords; }

