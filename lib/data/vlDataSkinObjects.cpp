#include "lib/data/vlDataSkinObjects.h"

#include <array>

namespace {

bool HasPositiveSize(const TRect& r) { return r.Right - r.Left > 0 && r.Bottom - r.Top > 0; }

// The restore hint a maximise, minimise or roll-up button shows without a "restorehint" key.
std::string DerivedRestoreHint(TvlStdCommand command, const std::string& hint) {
  const bool restores = (command == TvlStdCommand::cmMaximize && hint == "Maximize") ||
                        (command == TvlStdCommand::cmMinimize && hint == "Minimize") ||
                        (command == TvlStdCommand::cmRollUp && (hint == "RollUp" || hint == "Roll Up"));
  return restores ? "Restore" : "";
}

}  // namespace

// ---- the root ----

void TvlDataSkinObject::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("hint", Hint);
  Keys.Add("skinrectinapicture", SkinRectInAPicture);
  Keys.Add("skinrect", SkinRect);
  Keys.Add("activeskinrect", ActiveSkinRect);
  Keys.Add("activepictureindex", ActivePictureIndex, -1);
  Keys.Add("activemaskpictureindex", ActiveMaskPictureIndex, -1);
  Keys.Add("inactiveskinrect", InActiveSkinRect);
  Keys.Add("morphing", Morphing);
  Keys.Add("morphkind", MorphKind);
  Keys.Add("glowlayerpictureindex", GlowLayerPictureIndex, -1);
  Keys.Add("glowlayermaskpictureindex", GlowLayerMaskPictureIndex, -1);
  Keys.Add("glowlayeroffsetx", GlowLayerOffsetX);
  Keys.Add("glowlayeroffsety", GlowLayerOffsetY);
  Keys.Add("glowlayeralphablendvalue", GlowLayerAlphaBlendValue, 255);
}

void TvlDataSkinObject::BindKeys(TvlSkinKeys& Keys) { BindOwnKeys(Keys); }

void TvlDataSkinObject::LoadFromFile(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Read(IniFile, IDName);
}

void TvlDataSkinObject::SaveToFile(TCustomIniFile* IniFile) {
  IniFile->EraseSection(IDName);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Write(IniFile, IDName);
}

// ---- menu item ----

VL_SKIN_DESCRIPTION_BIND(TvlDataSkinMenuItem, TvlDataSkinObject)

void TvlDataSkinMenuItem::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("dividerrect", DividerRect);
  Keys.Add("dividerleftoffset", DividerLO);
  Keys.Add("dividerrightoffset", DividerRO);
  Keys.Add("itemleftoffset", ItemLO);
  Keys.Add("itemrightoffset", ItemRO);
  Keys.Add("fontname", FontName, "Arial");
  Keys.Add("fontheight", FontHeight, 14);
  Keys.Add("fontstyle", FontStyle);
  Keys.Add("unenabledfontcolor", UnEnabledFontColor);
  Keys.Add("fontcolor", FontColor);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("textrect", TextRct);
  Keys.Add("imagerect", ImageRct);
  Keys.Add("useimagecolor", UseImageColor);
  Keys.Add("imagecolor", ImageColor);
  Keys.Add("activeimagecolor", ActiveImageColor);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("dividerstretcheffect", DividerStretchEffect);
  Keys.Add("inactivestretcheffect", InActiveStretchEffect);
  Keys.Add("animateskinrect", AnimateSkinRect);
  Keys.Add("framecount", FrameCount);
  Keys.Add("animateinterval", AnimateInterval, 25);
  Keys.Add("inactiveanimation", InActiveAnimation);
  Keys.Add("inactivetransparent", InActiveTransparent);
  Keys.Add("checkimagerect", CheckImageRect);
  Keys.Add("activecheckimagerect", ActiveCheckImageRect);
  Keys.Add("radioimagerect", RadioImageRect);
  Keys.Add("activeradioimagerect", ActiveRadioImageRect);
  Keys.Add("arrowimagerect", ArrowImageRect);
  Keys.Add("activearrowimagerect", ActiveArrowImageRect);
}

void TvlDataSkinMenuItem::LoadFromFile(TCustomIniFile* IniFile) {
  TvlDataSkinObject::LoadFromFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Read(IniFile, IDName);
  if (!HasPositiveSize(ActiveCheckImageRect)) ActiveCheckImageRect = CheckImageRect;
  if (!HasPositiveSize(ActiveRadioImageRect)) ActiveRadioImageRect = RadioImageRect;
  if (!HasPositiveSize(ActiveArrowImageRect)) ActiveArrowImageRect = ArrowImageRect;
}

void TvlDataSkinMenuItem::SaveToFile(TCustomIniFile* IniFile) {
  TvlDataSkinObject::SaveToFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Write(IniFile, IDName);
}

// ---- main menu items ----

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinMainMenuItem, TvlDataSkinObject)

void TvlDataSkinMainMenuItem::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("downrect", DownRect);
  Keys.Add("fontname", FontName, "Arial");
  Keys.Add("fontheight", FontHeight, 14);
  Keys.Add("fontstyle", FontStyle);
  Keys.Add("fontcolor", FontColor);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("downfontcolor", DownFontColor);
  Keys.Add("unenabledfontColor", UnEnabledFontColor);
  Keys.Add("textrect", TextRct);
  Keys.Add("itemleftoffset", ItemLO);
  Keys.Add("itemrightoffset", ItemRO);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("animateskinrect", AnimateSkinRect);
  Keys.Add("framecount", FrameCount);
  Keys.Add("animateinterval", AnimateInterval, 25);
  Keys.Add("inactiveanimation", InActiveAnimation);
}

// ---- buttons ----

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinButton, TvlDataSkinObject)

void TvlDataSkinButton::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("downrect", DownRect);
  Keys.Add("disableskinrsect", DisableSkinRect);  // sic: the key skins are written with
}

VL_SKIN_DESCRIPTION_BIND(TvlDataSkinStdButton, TvlDataSkinButton)

void TvlDataSkinStdButton::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("command", Command);
  Keys.Add("restorehint", RestoreHint);
  Keys.Add("restorerect", RestoreRect);
  Keys.Add("restoreactiverect", RestoreActiveRect);
  Keys.Add("restoredownrect", RestoreDownRect);
  Keys.Add("restoreinactiverect", RestoreInActiveRect);
}

void TvlDataSkinStdButton::LoadFromFile(TCustomIniFile* IniFile) {
  TvlDataSkinButton::LoadFromFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Read(IniFile, IDName);
  if (RestoreHint.empty()) RestoreHint = DerivedRestoreHint(Command, Hint);
}

void TvlDataSkinStdButton::SaveToFile(TCustomIniFile* IniFile) {
  TvlDataSkinButton::SaveToFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Write(IniFile, IDName);
}

// ---- caption ----

VL_SKIN_DESCRIPTION_IMPL(TvlDataSkinCaption, TvlDataSkinObject)

void TvlDataSkinCaption::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("fontname", FontName, "Arial");
  Keys.Add("fontheight", FontHeight, 14);
  Keys.Add("fontstyle", FontStyle);
  Keys.Add("fontcolor", FontColor);
  Keys.Add("activefontcolor", ActiveFontColor);
  Keys.Add("shadowcolor", ShadowColor);
  Keys.Add("activeshadowcolor", ActiveShadowColor);
  Keys.Add("shadow", Shadow);
  Keys.Add("alignment", Alignment);
  Keys.Add("textrect", TextRct);
  Keys.Add("framerect", FrameRect);
  Keys.Add("activeframerect", ActiveFrameRect);
  Keys.Add("frameleftoffset", FrameLeftOffset);
  Keys.Add("framerightoffset", FrameRightOffset);
  Keys.Add("frametextrect", FrameTextRect);
  Keys.Add("light", Light);
  Keys.Add("lightcolor", LightColor);
  Keys.Add("activelightcolor", ActiveLightColor);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("animateskinrect", AnimateSkinRect);
  Keys.Add("framecount", FrameCount);
  Keys.Add("animateinterval", AnimateInterval, 25);
  Keys.Add("inactiveanimation", InActiveAnimation);
  Keys.Add("fullframe", FullFrame);
  Keys.Add("gloweffect", GlowEffect);
  Keys.Add("vistagloweffect", VistaGlowEffect);
  Keys.Add("vistaglowinactiveeffect", VistaGlowInActiveEffect);
  Keys.Add("glowinactiveeffect", GlowInActiveEffect);
  Keys.Add("glowsize", GlowSize, 3);
  Keys.Add("glowcolor", GlowColor);
  Keys.Add("glowactivecolor", GlowActiveColor);
  Keys.Add("glowoffset", GlowOffset);
  Keys.Add("reflectioneffect", ReflectionEffect);
  Keys.Add("reflactioncolor", ReflectionColor);  // sic: the keys skins are written with
  Keys.Add("reflactionactivecolor", ReflectionActiveColor);
  Keys.Add("reflectionoffset", ReflectionOffset);
}

// ---- user object ----

void TvlDataUserObject::BindKeys(TvlSkinKeys& Keys) { Keys.Add("skinrect", SkinRect); }

void TvlDataUserObject::LoadFromFile(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindKeys(keys);
  keys.Read(IniFile, IDName);
}

void TvlDataUserObject::SaveToFile(TCustomIniFile* IniFile) {
  IniFile->EraseSection(IDName);
  TvlSkinKeys keys;
  BindKeys(keys);
  keys.Write(IniFile, IDName);
}

// ---- animation ----

VL_SKIN_DESCRIPTION_BIND(TvlDataSkinAnimate, TvlDataSkinObject)

void TvlDataSkinAnimate::BindOwnKeys(TvlSkinKeys& Keys) {
  Keys.Add("countframes", CountFrames, 1);
  Keys.Add("cycle", Cycle);
  Keys.Add("buttonstyle", ButtonStyle);
  Keys.Add("timerinterval", TimerInterval, 50);
  Keys.Add("command", Command);
  Keys.Add("downskinrect", DownSkinRect);
  Keys.Add("restorehint", RestoreHint);
  Keys.Add("restorerect", RestoreRect);
  Keys.Add("restoreactiverect", RestoreActiveRect);
  Keys.Add("restoredownrect", RestoreDownRect);
  Keys.Add("restoreinactiverect", RestoreInActiveRect);
}

void TvlDataSkinAnimate::LoadFromFile(TCustomIniFile* IniFile) {
  TvlDataSkinObject::LoadFromFile(IniFile);
  Morphing = false;
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Read(IniFile, IDName);
  if (RestoreHint.empty()) RestoreHint = DerivedRestoreHint(Command, Hint);
}

void TvlDataSkinAnimate::SaveToFile(TCustomIniFile* IniFile) {
  TvlDataSkinObject::SaveToFile(IniFile);
  TvlSkinKeys keys;
  BindOwnKeys(keys);
  keys.Write(IniFile, IDName);
}

// ---- type words ----

namespace {

struct ObjectKind {
  std::string_view Word;
  std::unique_ptr<TvlDataSkinObject> (*Create)(const std::string&);
  bool (*Is)(const TvlDataSkinObject*);
};

template <typename T>
std::unique_ptr<TvlDataSkinObject> MakeObject(const std::string& name) {
  return std::make_unique<T>(name);
}

template <typename T>
bool IsObject(const TvlDataSkinObject* object) {
  return dynamic_cast<const T*>(object) != nullptr;
}

// Derived kinds before their bases: a menu bar button is a standard button is a button.
constexpr ObjectKind kObjectKinds[] = {
    {"menuitem", MakeObject<TvlDataSkinMenuItem>, IsObject<TvlDataSkinMenuItem>},
    {"mainmenubaritem", MakeObject<TvlDataSkinMainMenuBarItem>, IsObject<TvlDataSkinMainMenuBarItem>},
    {"mainmenubarbutton", MakeObject<TvlDataSkinMainMenuBarButton>, IsObject<TvlDataSkinMainMenuBarButton>},
    {"stdbutton", MakeObject<TvlDataSkinStdButton>, IsObject<TvlDataSkinStdButton>},
    {"button", MakeObject<TvlDataSkinButton>, IsObject<TvlDataSkinButton>},
    {"caption", MakeObject<TvlDataSkinCaption>, IsObject<TvlDataSkinCaption>},
    {"userobject", MakeObject<TvlDataUserObject>, IsObject<TvlDataUserObject>},
    {"animate", MakeObject<TvlDataSkinAnimate>, IsObject<TvlDataSkinAnimate>},
};

constexpr auto kObjectWords = [] {
  std::array<std::string_view, std::size(kObjectKinds)> words{};
  for (std::size_t i = 0; i < std::size(kObjectKinds); ++i) words[i] = kObjectKinds[i].Word;
  return words;
}();

}  // namespace

std::unique_ptr<TvlDataSkinObject> vlCreateObjectDescription(std::string_view TypeWord, const std::string& AIDName) {
  for (const ObjectKind& kind : kObjectKinds)
    if (kind.Word == TypeWord) return kind.Create(AIDName);
  return nullptr;
}

std::string_view vlObjectTypeWord(const TvlDataSkinObject* Object) {
  for (const ObjectKind& kind : kObjectKinds)
    if (kind.Is(Object)) return kind.Word;
  return {};
}

std::span<const std::string_view> vlObjectTypeWords() { return kObjectWords; }

// ---- the fixed sections ----

void TvlSkinColors::SetColorsToDefault() {
  FcBtnFace = clBtnFace;
  FcBtnText = clBtnText;
  FcWindow = clWindow;
  FcWindowText = clWindowText;
  FcHighLight = clHighlight;
  FcHighLightText = clHighlightText;
  FcBtnHighLight = clBtnHighlight;
  FcBtnShadow = clBtnShadow;
}

void TvlSkinColors::BindKeys(TvlSkinKeys& Keys) {
  Keys.Add("cbtnface", FcBtnFace, clBtnFace);
  Keys.Add("cbtntext", FcBtnText, clBtnText);
  Keys.Add("cwindow", FcWindow, clWindow);
  Keys.Add("cwindowtext", FcWindowText, clWindowText);
  Keys.Add("chighlight", FcHighLight, clHighlight);
  Keys.Add("chighlighttext", FcHighLightText, clHighlightText);
  Keys.Add("cbtnhighlight", FcBtnHighLight, clBtnHighlight);
  Keys.Add("cbtnshadow", FcBtnShadow, clBtnShadow);
}

void TvlSkinColors::LoadFromFile(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindKeys(keys);
  keys.Read(IniFile, "SKINCOLORS");
}

void TvlSkinColors::SaveToFile(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindKeys(keys);
  keys.Write(IniFile, "SKINCOLORS");
}

void TvlDataSkinPopupWindow::BindKeys(TvlSkinKeys& Keys) {
  Keys.Add("windowpictureindex", WindowPictureIndex, -1);
  Keys.Add("maskpictureindex", MaskPictureIndex, -1);
  Keys.Add("lefttoppoint", LTPoint);
  Keys.Add("righttoppoint", RTPoint);
  Keys.Add("leftbottompoint", LBPoint);
  Keys.Add("rightbottompoint", RBPoint);
  Keys.Add("itemsrect", ItemsRect);
  Keys.Add("scrollmarkercolor", ScrollMarkerColor);
  Keys.Add("scrollmarkeractivecolor", ScrollMarkerActiveColor);
  Keys.Add("topstretch", TopStretch);
  Keys.Add("leftstretch", LeftStretch);
  Keys.Add("rightstretch", RightStretch);
  Keys.Add("bottomstretch", BottomStretch);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("stretchtype", StretchType);
}

void TvlDataSkinLayerFrame::BindKeys(TvlSkinKeys& Keys) {
  Keys.Add("pictureindex", PictureIndex, -1);
  Keys.Add("maskpictureindex", MaskPictureIndex, -1);
  Keys.Add("inactivepictureindex", InActivePictureIndex, -1);
  Keys.Add("inactivemaskpictureindex", InActiveMaskPictureIndex, -1);
  Keys.Add("lefttoppoint", LTPoint);
  Keys.Add("righttoppoint", RTPoint);
  Keys.Add("leftbottompoint", LBPoint);
  Keys.Add("rightbottompoint", RBPoint);
  Keys.Add("clientrect", ClRect);
  Keys.Add("alphablendvalue", AlphaBlendValue, 255);
  Keys.Add("inactivealphablendvalue", InActiveAlphaBlendValue, 255);
  Keys.Add("borderrect", BorderRect);
  Keys.Add("hittestenable", HitTestEnable);
}

void TvlDataSkinHintWindow::BindKeys(TvlSkinKeys& Keys) {
  Keys.Add("windowpictureindex", WindowPictureIndex, -1);
  Keys.Add("maskpictureindex", MaskPictureIndex, -1);
  Keys.Add("lefttoppoint", LTPoint);
  Keys.Add("righttoppoint", RTPoint);
  Keys.Add("leftbottompoint", LBPoint);
  Keys.Add("rightbottompoint", RBPoint);
  Keys.Add("clientrect", ClRect);
  Keys.Add("fontname", FontName, "Arial");
  Keys.Add("fontstyle", FontStyle);
  Keys.Add("fontheight", FontHeight, 14);
  Keys.Add("fontcolor", FontColor);
  Keys.Add("topstretch", TopStretch);
  Keys.Add("leftstretch", LeftStretch);
  Keys.Add("rightstretch", RightStretch);
  Keys.Add("bottomstretch", BottomStretch);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("stretchtype", StretchType);
}

namespace {

template <typename T>
void LoadFixedSection(T& description, TCustomIniFile* IniFile, const char* section) {
  TvlSkinKeys keys;
  description.BindKeys(keys);
  keys.Read(IniFile, section);
}

template <typename T>
void SaveFixedSection(T& description, TCustomIniFile* IniFile, const char* section) {
  IniFile->EraseSection(section);
  TvlSkinKeys keys;
  description.BindKeys(keys);
  keys.Write(IniFile, section);
}

}  // namespace

void TvlDataSkinPopupWindow::LoadFromFile(TCustomIniFile* IniFile) { LoadFixedSection(*this, IniFile, "POPUPWINDOW"); }
void TvlDataSkinPopupWindow::SaveToFile(TCustomIniFile* IniFile) { SaveFixedSection(*this, IniFile, "POPUPWINDOW"); }
void TvlDataSkinLayerFrame::LoadFromFile(TCustomIniFile* IniFile) { LoadFixedSection(*this, IniFile, "LAYERFRAME"); }
void TvlDataSkinLayerFrame::SaveToFile(TCustomIniFile* IniFile) { SaveFixedSection(*this, IniFile, "LAYERFRAME"); }
void TvlDataSkinHintWindow::LoadFromFile(TCustomIniFile* IniFile) { LoadFixedSection(*this, IniFile, "HINTWINDOW"); }
void TvlDataSkinHintWindow::SaveToFile(TCustomIniFile* IniFile) { SaveFixedSection(*this, IniFile, "HINTWINDOW"); }
