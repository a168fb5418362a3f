// The generated skins as stored data: packing is deterministic, a packed skin survives a load
// and a second pack byte for byte, the embedded resources are what the drawing code makes now,
// every element the skinned forms and controls look up by name is there with the right kind,
// and every element points inside its picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Resources.h"
#include "platform/core/Streams.h"
#include "skins/vlSkinArt.h"

namespace {

std::string Payload(TvlCompressedStoredSkin& Stored) {
  TMemoryStream s;
  Stored.DeCompressToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

std::string Container(TvlCompressedStoredSkin& Stored) {
  TMemoryStream s;
  Stored.SaveToCompressStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

// The description text at the end of a payload: everything from its first section header.
std::string Description(const std::string& Payload) {
  const std::size_t at = Payload.find("[VERSION]");
  return at == std::string::npos ? std::string() : Payload.substr(at);
}

struct Named {
  const char* Name;
  const char* TypeWord;
};

// Control elements looked up by name: the skinned controls' element names at creation and the
// names they switch to (tool bars and their buttons, split, both-bar and up-down variants, the
// combo and edit buttons, list headers, menu headers, office boxes).
const Named kMainControls[] = {
    {"button", "button"},          {"resizebutton", "button"},         {"combobutton", "button"},
    {"editbutton", "button"},      {"menuitembutton", "button"},       {"officequickbutton", "button"},
    {"toolbutton", "button"},      {"toolmenubutton", "menubutton"},   {"toolmenutrackbutton", "menubutton"},
    {"bigtoolbutton", "button"},   {"bigtoolmenubutton", "menubutton"}, {"bigtoolmenutrackbutton", "menubutton"},
    {"htracktoolbutton", "button"}, {"vtracktoolbutton", "button"},    {"resizetoolbutton", "button"},
    {"panel", "panel"},            {"groupbox", "panel"},              {"toolpanel", "panel"},
    {"resizetoolpanel", "panel"},  {"bigtoolpanel", "panel"},          {"statusbar", "panel"},
    {"checkbox", "checkradio"},    {"radiobox", "checkradio"},         {"stdlabel", "stdlabel"},
    {"label", "label"},            {"menuheader", "label"},            {"bevel", "bevel"},
    {"vsplitter", "splitter"},     {"hsplitter", "splitter"},          {"hscrollbar", "scrollbar"},
    {"vscrollbar", "scrollbar"},   {"bothhscrollbar", "scrollbar"},    {"slider", "slider"},
    {"treeview", "treeview"},      {"listview", "listview"},           {"edit", "edit"},
    {"buttonedit", "edit"},        {"memo", "memo"},                   {"combobox", "combobox"},
    {"listbox", "listbox"},        {"captionlistbox", "listbox"},      {"checklistbox", "checklistbox"},
    {"hupdown", "updown"},         {"vupdown", "updown"},              {"tab", "tab"},
    {"scrollbox", "scrollbox"},    {"mainmenubar", "mainmenubar"},
};

// Frame objects: the caption buttons and caption, the popup-menu item, and the menu bar's item
// and child-window buttons named by its element. (The frame, popup window, hint window and
// layered frame have sections of their own, checked below.)
const Named kMainObjects[] = {
    {"closebutton", "stdbutton"},          {"maxbutton", "stdbutton"},
    {"minbutton", "stdbutton"},            {"caption", "caption"},
    {"menuitem", "menuitem"},              {"menubaritem", "mainmenubaritem"},
    {"menubarclosebutton", "mainmenubarbutton"}, {"menubarmaxbutton", "mainmenubarbutton"},
    {"menubarminbutton", "mainmenubarbutton"},   {"menubarsysmenubutton", "mainmenubarbutton"},
};

// Skin 2 serves tool buttons, option choosers (with their drop-down lists) and radio boxes.
const Named kToolControls[] = {
    {"toolbutton", "button"},     {"resizetoolbutton", "button"}, {"bigtoolbutton", "button"},
    {"toolmenubutton", "menubutton"}, {"bigtoolmenubutton", "menubutton"}, {"toolmenutrackbutton", "menubutton"},
    {"bigtoolmenutrackbutton", "menubutton"}, {"button", "button"},
    {"resizebutton", "button"},   {"combobutton", "button"},      {"editbutton", "button"},
    {"combobox", "combobox"},     {"listbox", "listbox"},         {"edit", "edit"},
    {"vscrollbar", "scrollbar"},  {"hscrollbar", "scrollbar"},    {"bothhscrollbar", "scrollbar"},
    {"radiobox", "checkradio"},   {"checkbox", "checkradio"},     {"stdlabel", "stdlabel"},
};

// The button elements menu buttons and combo boxes draw a drop-down marker from, in both skins.
const char* const kMarkedButtons[] = {"toolbutton", "bigtoolbutton", "resizebutton", "resizetoolbutton", "combobutton"};
// The menu-button elements: the arrow is in their images, over a track part at the right.
const char* const kMenuButtons[] = {"toolmenubutton", "bigtoolmenubutton", "toolmenutrackbutton",
                                    "bigtoolmenutrackbutton"};

class SkinArtPackingTest : public ::testing::TestWithParam<TvlSkinArtKind> {};

TEST_P(SkinArtPackingTest, PackingIsDeterministicAndSurvivesALoadByteForByte) {
  TvlCompressedStoredSkin first(nullptr), second(nullptr);
  vlPackSkin(GetParam(), &first);
  vlPackSkin(GetParam(), &second);
  ASSERT_FALSE(first.Empty());
  EXPECT_EQ(Container(first), Container(second));

  TvlSkinData loaded(nullptr);
  loaded.LoadCompressedStoredSkin(&first);
  ASSERT_FALSE(loaded.Empty);
  TvlCompressedStoredSkin repacked(nullptr);
  repacked.LoadFromSkinData(&loaded);
  const std::string a = Payload(first), b = Payload(repacked);
  ASSERT_FALSE(Description(a).empty());
  EXPECT_EQ(Description(a), Description(b));
  EXPECT_EQ(a.size(), b.size());
  EXPECT_TRUE(a == b) << "the pictures changed on the way through a load";
}

TEST_P(SkinArtPackingTest, EmbeddedResourceIsWhatTheDrawingCodeMakes) {
  const char* name = GetParam() == TvlSkinArtKind::Main ? kvlMainSkinResource : kvlToolSkinResource;
  const TResourceData* resource = FindResourceData(name, RT_RCDATA);
  ASSERT_NE(resource, nullptr) << name;
  TvlCompressedStoredSkin fresh(nullptr);
  vlPackSkin(GetParam(), &fresh);
  const std::string embedded(static_cast<const char*>(resource->Data), resource->Size);
  EXPECT_TRUE(embedded == Container(fresh)) << "the embedded skin is stale";
}

TEST_P(SkinArtPackingTest, EveryElementPointsInsideItsPicture) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, GetParam());
  auto inside = [&](int index, const TRect& r, const std::string& what) {
    if (r.Width() <= 0 && r.Height() <= 0) return;
    ASSERT_GE(index, 0) << what;
    ASSERT_LT(index, static_cast<int>(skin.FActivePictures.size())) << what;
    const TBitmap* pic = skin.FActivePictures[index].get();
    EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= pic->Width() && r.Bottom <= pic->Height() &&
                r.Width() > 0 && r.Height() > 0)
        << what << " (" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
  };
  for (const auto& c : skin.CtrlList) {
    inside(c->PictureIndex, c->SkinRect, c->IDName + " skinrect");
    if (auto* n = dynamic_cast<TvlDataSkinCustomControl*>(c.get())) {
      const int w = n->SkinRect.Width(), h = n->SkinRect.Height();
      // Corner points and client rectangle lie in the element and agree with each other, so that
      // the nine parts tile the element without overlap.
      EXPECT_TRUE(n->LTPoint.X <= n->RTPoint.X && n->LBPoint.X <= n->RBPoint.X && n->LTPoint.Y <= n->LBPoint.Y &&
                  n->RTPoint.Y <= n->RBPoint.Y && n->RBPoint.X <= w && n->RBPoint.Y <= h)
          << c->IDName;
      EXPECT_TRUE(n->ClRect.Left <= n->LTPoint.X && n->ClRect.Top <= n->LTPoint.Y &&
                  n->ClRect.Right >= n->RBPoint.X && n->ClRect.Bottom >= n->RBPoint.Y && n->ClRect.Right <= w &&
                  n->ClRect.Bottom <= h)
          << c->IDName;
    }
    if (auto* b = dynamic_cast<TvlDataSkinButtonControl*>(c.get())) {
      for (const TRect& r : {b->ActiveSkinRect, b->DownSkinRect, b->DisabledSkinRect, b->FocusedSkinRect}) {
        inside(b->PictureIndex, r, b->IDName + " state");
        EXPECT_EQ(r.Width(), b->SkinRect.Width()) << b->IDName;
        EXPECT_EQ(r.Height(), b->SkinRect.Height()) << b->IDName;
      }
    }
  }
  for (const auto& o : skin.ObjectList) {
    if (o->SkinRectInAPicture) inside(o->ActivePictureIndex, o->SkinRect, o->IDName + " skinrect");
    inside(o->ActivePictureIndex, o->ActiveSkinRect, o->IDName + " activeskinrect");
    if (!o->SkinRectInAPicture) {
      EXPECT_TRUE(o->SkinRect.Right <= skin.FPicture->Width() && o->SkinRect.Bottom <= skin.FPicture->Height())
          << o->IDName;
    }
  }
}

TEST_P(SkinArtPackingTest, MenuButtonsAndComboBoxesFindTheirDropDownArrows) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, GetParam());
  const auto element = [&](const char* Name) {
    const int index = skin.GetControlIndex(Name);
    return index < 0 ? nullptr : dynamic_cast<TvlDataSkinButtonControl*>(skin.CtrlList[index].get());
  };
  for (const char* name : kMarkedButtons) {
    SCOPED_TRACE(name);
    const TvlDataSkinButtonControl* e = element(name);
    ASSERT_NE(e, nullptr);
    const TvlArtCanvas picture = TvlArtCanvas::FromBitmap(skin.FActivePictures.at(e->PictureIndex).get());
    const TvlArgb key = 0xFF000000u | ((e->MenuMarkerTransparentColor & 0xFF) << 16) |
                        (e->MenuMarkerTransparentColor & 0xFF00) | ((e->MenuMarkerTransparentColor >> 16) & 0xFF);
    for (const TRect& r : {e->MenuMarkerFlatRect, e->MenuMarkerRect, e->MenuMarkerActiveRect, e->MenuMarkerDownRect}) {
      ASSERT_GT(r.Width(), 0);
      ASSERT_LE(r.Width(), 15) << "wider than the track part it is centred in";
      const TvlArtCanvas m = picture.Cut(r);
      EXPECT_EQ(m.Pixel(0, 0), key) << "the marker is cut out by its key colour";
      EXPECT_NE(m.Pixel(r.Width() / 2, r.Height() / 2), key) << "no arrow";
    }
    EXPECT_NE(picture.Cut(e->MenuMarkerRect).Pixels(), picture.Cut(e->MenuMarkerActiveRect).Pixels());
  }
  for (const char* name : kMenuButtons) {
    SCOPED_TRACE(name);
    const auto* e = dynamic_cast<const TvlDataSkinMenuButtonControl*>(element(name));
    ASSERT_NE(e, nullptr);
    // A three-part element (any width, the element's height), so that the track part follows
    // the right edge of a wider button.
    EXPECT_TRUE(e->RBPoint.X == 0 && e->RBPoint.Y == 0 && e->RTPoint.X > 0);
    const int w = e->SkinRect.Width();
    EXPECT_EQ(e->TrackButtonRect, (TRect{w - 15, 0, w, e->SkinRect.Height()}));
    EXPECT_EQ(e->RTPoint.X, w - 15);
    EXPECT_LE(e->ClRect.Right, w - 15) << "the caption would run into the arrow";
    // The arrow is in the images, in the track part of each state.
    const TvlArtCanvas picture = TvlArtCanvas::FromBitmap(skin.FActivePictures.at(e->PictureIndex).get());
    for (const TRect& r : {e->SkinRect, e->ActiveSkinRect, e->DownSkinRect}) {
      const TvlArtCanvas face = picture.Cut(r);
      const TvlArgb below = face.Pixel(w - 8, face.Height() - 3);
      EXPECT_NE(face.Pixel(w - 8, face.Height() / 2 - 1), below);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SkinArtPackingTest,
                         ::testing::Values(TvlSkinArtKind::Main, TvlSkinArtKind::Tools),
                         [](const auto& info) { return info.param == TvlSkinArtKind::Main ? "Main" : "Tools"; });

void ExpectControls(TvlSkinData& Skin, const Named* First, const Named* Last) {
  for (const Named* n = First; n != Last; ++n) {
    const int index = Skin.GetControlIndex(n->Name);
    ASSERT_GE(index, 0) << n->Name;
    EXPECT_EQ(vlControlTypeWord(Skin.CtrlList[index].get()), n->TypeWord) << n->Name;
  }
}

TEST(SkinArtNamesTest, MainSkinHasEveryElementTheFormsAndControlsLookUp) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin);
  ExpectControls(skin, std::begin(kMainControls), std::end(kMainControls));
  for (const Named& n : kMainObjects) {
    const int index = skin.GetIndex(n.Name);
    ASSERT_GE(index, 0) << n.Name;
    EXPECT_EQ(vlObjectTypeWord(skin.ObjectList[index].get()), n.TypeWord) << n.Name;
  }
  // The names the menu bar element and the combo box hand on resolve too.
  const auto* bar = dynamic_cast<TvlDataSkinMainMenuBar*>(skin.CtrlList[skin.GetControlIndex("mainmenubar")].get());
  ASSERT_NE(bar, nullptr);
  for (const std::string& name : {bar->MenuBarItem, bar->CloseButton, bar->MaxButton, bar->MinButton, bar->SysMenuButton})
    EXPECT_GE(skin.GetIndex(name), 0) << name;
  const auto* combo = dynamic_cast<TvlDataSkinComboBox*>(skin.CtrlList[skin.GetControlIndex("combobox")].get());
  EXPECT_GE(skin.GetControlIndex(combo->ListBoxName), 0);
  const auto* tab = dynamic_cast<TvlDataSkinTabControl*>(skin.CtrlList[skin.GetControlIndex("tab")].get());
  EXPECT_GE(skin.GetControlIndex(tab->UpDown), 0);
  // The frame: pictures, a mask of the frame's size, a client area inside it.
  ASSERT_FALSE(skin.FPicture->Empty());
  EXPECT_EQ(skin.FMask->Width(), skin.FPicture->Width());
  EXPECT_EQ(skin.FInActivePicture->Height(), skin.FPicture->Height());
  EXPECT_GT(skin.ClRect.Width(), 0);
  EXPECT_GE(skin.PopupWindow->WindowPictureIndex, 0);
  EXPECT_GE(skin.HintWindow->WindowPictureIndex, 0);
  // The layered border's frame: its picture and mask, and the inactive pair, of one size.
  const TvlDataSkinLayerFrame& layer = *skin.LayerFrame;
  const TBitmap* frame = nullptr;
  for (int index : {layer.PictureIndex, layer.MaskPictureIndex, layer.InActivePictureIndex,
                    layer.InActiveMaskPictureIndex}) {
    ASSERT_GE(index, 0);
    ASSERT_LT(index, static_cast<int>(skin.FActivePictures.size()));
    const TBitmap* b = skin.FActivePictures[index].get();
    if (!frame) frame = b;
    EXPECT_EQ(b->Width(), frame->Width());
    EXPECT_EQ(b->Height(), frame->Height());
  }
  EXPECT_TRUE(layer.ClRect.Left > 0 && layer.ClRect.Top > 0 && layer.ClRect.Right < frame->Width() &&
              layer.ClRect.Bottom < frame->Height());
}

// The slider takes the left half of a thumb rectangle as the normal thumb and the right half
// as the pressed (and disabled) one, and draws each keyed on its bottom-left pixel.
TEST(SkinArtNamesTest, SliderThumbsHoldTwoStatesOnAKeyedBackground) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin);
  const auto* slider = dynamic_cast<TvlDataSkinSlider*>(skin.CtrlList[skin.GetControlIndex("slider")].get());
  ASSERT_NE(slider, nullptr);
  const TvlArtCanvas picture = TvlArtCanvas::FromBitmap(skin.FActivePictures.at(slider->PictureIndex).get());
  for (const TRect& r : {slider->HThumbRect, slider->VThumbRect}) {
    ASSERT_EQ(r.Width() % 2, 0);
    const int half = r.Width() / 2;
    const TvlArtCanvas normal = picture.Cut(TRect{r.Left, r.Top, r.Left + half, r.Bottom});
    const TvlArtCanvas pressed = picture.Cut(TRect{r.Left + half, r.Top, r.Right, r.Bottom});
    EXPECT_NE(normal.Pixels(), pressed.Pixels());
    for (const TvlArtCanvas* state : {&normal, &pressed}) {
      const TvlArgb key = state->Pixel(0, state->Height() - 1);
      EXPECT_EQ(state->Pixel(state->Width() - 1, 0), key) << "the thumb fills its corner";
      EXPECT_NE(state->Pixel(state->Width() / 2, state->Height() / 2), key) << "the thumb's middle would vanish";
    }
  }
}

TEST(SkinArtNamesTest, ToolSkinHasTheToolButtonsChoosersAndRadioBoxes) {
  TvlSkinData skin(nullptr);
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Tools);
  ExpectControls(skin, std::begin(kToolControls), std::end(kToolControls));
  const auto* combo = dynamic_cast<TvlDataSkinComboBox*>(skin.CtrlList[skin.GetControlIndex("combobox")].get());
  EXPECT_GE(skin.GetControlIndex(combo->ListBoxName), 0);
}

}  // namespace
