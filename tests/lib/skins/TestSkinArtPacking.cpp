// The generated skins as stored data: packing is deterministic, a packed skin survives a load
// and a second pack byte for byte, the embedded resources are what the drawing code makes now,
// every element the skinned forms and controls look up by name is there with the right kind,
// and every element points inside its picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/vlCompressedSkin.h"
#include "lib/vlSkinData.h"
#include "platform/Bitmap.h"
#include "platform/Resources.h"
#include "platform/Streams.h"
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
    {"toolbutton", "button"},      {"toolmenubutton", "menubutton"},   {"toolmenutrackbutton", "button"},
    {"bigtoolbutton", "button"},   {"bigtoolmenubutton", "menubutton"}, {"bigtoolmenutrackbutton", "button"},
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
    {"toolmenubutton", "menubutton"}, {"bigtoolmenubutton", "menubutton"}, {"button", "button"},
    {"resizebutton", "button"},   {"combobutton", "button"},      {"editbutton", "button"},
    {"combobox", "combobox"},     {"listbox", "listbox"},         {"edit", "edit"},
    {"vscrollbar", "scrollbar"},  {"hscrollbar", "scrollbar"},    {"bothhscrollbar", "scrollbar"},
    {"radiobox", "checkradio"},   {"checkbox", "checkradio"},     {"stdlabel", "stdlabel"},
};

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
