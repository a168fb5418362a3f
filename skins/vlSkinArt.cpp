#include "skins/vlSkinArt.h"

#include <map>
#include <mutex>

#include "lib/data/vlCompressedSkin.h"
#include "platform/core/Streams.h"
#include "skins/vlSkinArtMaker.h"

namespace vlart {

namespace {

TvlArtCanvas BarPicture(int W, int H, bool LineAbove) {
  TvlArtCanvas c(W, H, kBar);
  for (int y = 0; y < H; ++y) c.HLine(0, W, y, vlMix(vlHex(0xF4F6F9), kBar, H > 1 ? double(y) / (H - 1) : 0));
  if (LineAbove)
    c.HLine(0, W, 0, kLine);
  else
    c.HLine(0, W, H - 1, kLine);
  return c;
}

TvlArtCanvas CardPanel(int W, int H) {
  TvlArtCanvas c(W, H, kWindow);
  c.FillRound(0, 0, W, H, kRadius, kSurface);
  c.StrokeRound(0, 0, W, H, kRadius, kLine);
  return c;
}

TvlArtCanvas GroupPanel(int W, int H, int Band) {
  TvlArtCanvas c = CardPanel(W, H);
  c.FillRound(1, 1, W - 1, Band + 4, kRadius - 1, vlHex(0xFAFBFC), kBar);
  c.FillRect(1, Band - 2, W - 1, Band, kBar);
  c.FillRect(1, Band + 1, W - 1, Band + 4, kSurface);  // the band's rounding stops at its line
  c.HLine(1, W - 1, Band, kLine);
  c.FillRound(1, 7, 4, Band - 6, 1.5, kAccent);
  return c;
}

// The small buttons of combo boxes and edits: the edit's with its ellipsis drawn in, the combo
// box's plain, its arrow a drop-down marker that the box draws over it in the state's colour.
void AddGlyphButton(Maker& M, const std::string& Name, TvlArgb Back, bool Ellipsis) {
  std::vector<TvlArtCanvas> states = FaceStates(20, 22, FaceStyle::Raised, Back);
  const Face faces[] = {Face::Normal, Face::Hover, Face::Down, Face::Disabled, Face::Focused};
  for (std::size_t i = 0; i < states.size() && Ellipsis; ++i) {
    const TvlArgb colour = faces[i] == Face::Disabled ? kTextOff : (faces[i] == Face::Normal ? kTextSoft : kAccentText);
    for (int k = 0; k < 3; ++k) states[i].FillRect(5 + 4 * k, 10, 7 + 4 * k, 12, colour);
  }
  const std::vector<TRect> r = M.atlas.AddRow(states);
  auto* e = M.Control<TvlDataSkinButtonControl>(Name);
  SetNineParts(*e, r[0], 5);
  e->ActiveSkinRect = r[1];
  e->DownSkinRect = r[2];
  e->DisabledSkinRect = r[3];
  e->FocusedSkinRect = r[4];
  SetFont(*e, kText);
  e->ActiveFontColor = vlToTColor(kAccentText);
  e->DownFontColor = vlToTColor(kAccentText);
  e->DisabledFontColor = vlToTColor(kTextOff);
  if (!Ellipsis) AddMenuMarkers(M, *e);
}

void AddButtonFamily(Maker& M, bool Tools) {
  // Menu buttons, and combo boxes in the tool-button look, draw their drop-down marker on the
  // "Marked" elements.
  AddButton(M, "button", 30, 26, 6, FaceStyle::Raised, kWindow);
  AddButton(M, "resizebutton", 30, 26, 6, FaceStyle::Raised, kWindow, ButtonKind::Marked);
  AddGlyphButton(M, "combobutton", kWindow, false);
  AddGlyphButton(M, "editbutton", kSurface, true);
  AddButton(M, "toolbutton", 26, 26, 6, FaceStyle::Flat, kBar, ButtonKind::Marked);
  AddButton(M, "toolmenubutton", 46, 26, 6, FaceStyle::Flat, kBar, ButtonKind::Menu);
  AddButton(M, "toolmenutrackbutton", 46, 26, 6, FaceStyle::Flat, kBar, ButtonKind::SplitMenu);
  AddButton(M, "bigtoolbutton", 48, 48, 6, FaceStyle::Flat, kBar, ButtonKind::Marked);
  AddButton(M, "bigtoolmenubutton", 64, 48, 6, FaceStyle::Flat, kBar, ButtonKind::Menu);
  AddButton(M, "bigtoolmenutrackbutton", 64, 48, 6, FaceStyle::Flat, kBar, ButtonKind::SplitMenu);
  AddButton(M, "resizetoolbutton", 30, 24, 5, FaceStyle::Header, kBar, ButtonKind::Marked);
  if (Tools) return;
  AddButton(M, "menuitembutton", 30, 24, 6, FaceStyle::Flat, kSurface);
  AddButton(M, "officequickbutton", 22, 22, 5, FaceStyle::Flat, kCaptionBand);
  AddButton(M, "htracktoolbutton", 38, 26, 6, FaceStyle::Flat, kBar);
  AddButton(M, "vtracktoolbutton", 38, 26, 6, FaceStyle::Flat, kBar);
}

// The check marks of a panel or group box whose caption carries a check box, on the caption
// band's colour (the key colour of a transparent piece is its bottom-left pixel).
void AddCaptionChecks(Maker& M, TvlDataSkinPanelControl& E) {
  const std::vector<TRect> r =
      M.atlas.AddRow({CheckImage(false, 1, Face::Normal, kBar), CheckImage(false, 0, Face::Normal, kBar)});
  E.CheckImageRect = r[0];
  E.UnCheckImageRect = r[1];
}

void AddPanels(Maker& M) {
  AddCaptionChecks(M, *AddPanel(M, "panel", CardPanel(24, 24), 6));
  // The caption runs from the top-left corner part into the top-right one, so that it grows
  // with the box (a caption rectangle that starts in the stretched top edge keeps its width).
  auto* group = AddPanel(M, "groupbox", GroupPanel(60, 60, 26), 6);
  group->LTPoint = {12, 30}, group->RTPoint = {54, 30};
  group->ClRect = TRect{6, 30, 54, 54};
  group->CaptionRect = TRect{10, 0, 54, 26};
  AddCaptionChecks(M, *group);
  AddPanel(M, "toolpanel", BarPicture(24, 30, false), 4, 4);
  AddPanel(M, "resizetoolpanel", BarPicture(24, 40, false), 4, 4);
  AddPanel(M, "bigtoolpanel", BarPicture(24, 56, false), 4, 4);
  AddPanel(M, "statusbar", BarPicture(24, 22, true), 4, 4);
}

void Describe(TvlSkinData* Skin, const char* Name, const char* Comments) {
  Skin->SkinName = Name;
  Skin->SkinAuthor = "Qirelo";
  Skin->SkinComments = Comments;
}

}  // namespace

void DrawMainSkin(TvlSkinData* Skin) {
  Maker m(Skin);
  Describe(Skin, "清雅", "窗体与控件");
  SetSkinColors(Skin);
  AddFrame(m);
  AddLayerFrame(m);
  AddMenus(m);
  AddButtonFamily(m, false);
  AddPanels(m);
  AddCheckRadio(m, "checkbox", false, kWindow);
  AddCheckRadio(m, "radiobox", true, kWindow);
  AddLabels(m);
  AddScrollBar(m, "hscrollbar", false, false);
  AddScrollBar(m, "vscrollbar", true, false);
  AddScrollBar(m, "bothhscrollbar", false, true);
  AddSlider(m);
  AddSplitters(m);
  AddViews(m);
  AddEdit(m, "edit", false, false);
  AddEdit(m, "buttonedit", true, false);
  AddEdit(m, "memo", false, true);
  AddComboBox(m, "combobox");
  AddListBox(m, "listbox", false, false);
  AddListBox(m, "captionlistbox", true, false);
  AddListBox(m, "checklistbox", false, true);
  AddUpDown(m, "hupdown", false);
  AddUpDown(m, "vupdown", true);
  AddTabs(m);
  m.FinishAtlas("controls.bmp");
}

void DrawToolSkin(TvlSkinData* Skin) {
  Maker m(Skin);
  Describe(Skin, "清雅工具", "工具按钮与选项");
  SetSkinColors(Skin);
  AddButtonFamily(m, true);
  AddCheckRadio(m, "radiobox", true, kWindow);
  AddCheckRadio(m, "checkbox", false, kWindow);
  AddEdit(m, "edit", false, false);
  AddComboBox(m, "combobox");
  AddListBox(m, "listbox", false, false);
  AddScrollBar(m, "hscrollbar", false, false);
  AddScrollBar(m, "vscrollbar", true, false);
  AddScrollBar(m, "bothhscrollbar", false, true);
  auto* label = m.Control<TvlDataSkinStdLabelControl>("stdlabel");
  label->PictureIndex = -1;
  SetFont(*label, kText);
  label->ActiveFontColor = vlToTColor(kAccent);
  m.FinishAtlas("tools.bmp");
}

}  // namespace vlart

void vlDrawSkin(TvlSkinArtKind Kind, TvlSkinData* Skin) {
  if (Kind == TvlSkinArtKind::Main)
    vlart::DrawMainSkin(Skin);
  else
    vlart::DrawToolSkin(Skin);
  Skin->Empty = false;
}

void vlPackSkin(TvlSkinArtKind Kind, TvlCompressedStoredSkin* Stored) {
  TvlSkinData skin(nullptr);
  vlDrawSkin(Kind, &skin);
  Stored->LoadFromSkinData(&skin);
}

void vlLoadFixtureSkin(TvlSkinData* Target, TvlSkinArtKind Kind) {
  // Drawing takes a moment; every caller after the first gets the same packed bytes.
  static std::mutex lock;
  static std::map<TvlSkinArtKind, std::unique_ptr<TMemoryStream>> packed;
  TvlCompressedStoredSkin stored(nullptr);
  {
    std::lock_guard guard(lock);
    auto& bytes = packed[Kind];
    if (!bytes) {
      TvlCompressedStoredSkin fresh(nullptr);
      vlPackSkin(Kind, &fresh);
      bytes = std::make_unique<TMemoryStream>();
      fresh.SaveToCompressStream(bytes.get());
    }
    stored.LoadFromCompressStream(bytes.get());
  }
  Target->LoadCompressedStoredSkin(&stored);
}
