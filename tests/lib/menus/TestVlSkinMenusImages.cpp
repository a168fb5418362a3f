// The images menu: the grid layout and the popup's size, choosing with the mouse and the keys
// with the order of its events, closing without a choice, a handler that frees the menu, and a
// skin whose popup picture index is out of range.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/lib/SkinnedControlsWorld.h"
#include "lib/data/vlDataSkinObjects.h"
#include "lib/menus/vlSkinMenusImages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/ImageList.h"

namespace {

using skinned_controls_world::SkinnedControlsWorld;

class ImagesMenuTest : public SkinnedControlsWorld {
 protected:
  void SetUp() override {
    SkinnedControlsWorld::SetUp();
    images = std::make_unique<TCustomImageList>(nullptr);
    TBitmap strip;
    strip.SetSize(16 * 12, 16);
    for (int i = 0; i < 12; ++i) {
      strip.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(static_cast<BYTE>(20 * i), 90, 160)));
      strip.Canvas()->FillRect(TRect{16 * i, 0, 16 * i + 16, 16});
    }
    images->Add(&strip, nullptr);
    anchor = MakeForm(TRect{100, 100, 300, 200});
    anchor->Show();
    Pump();
  }

  // A menu of Count image entries in Columns columns, its events written into heard.
  std::unique_ptr<TvlSkinImagesMenu> Menu(int Count, int Columns) {
    auto m = std::make_unique<TvlSkinImagesMenu>(nullptr);
    m->SetImages(images.get());
    m->SetColumnsCount(Columns);
    for (int i = 0; i < Count; ++i) {
      TvlImagesMenuItem* it = m->ImagesItems()->AddItem();
      it->ImageIndex = i;
      it->OnClick = [this, i](TObject*) { heard.push_back("click " + std::to_string(i)); };
    }
    TvlSkinImagesMenu* raw = m.get();
    m->OnItemClick = [this, raw](TObject*) { heard.push_back("item " + std::to_string(raw->ItemIndex)); };
    m->OnChange = [this](TObject*) { heard.push_back("change"); };
    m->OnMenuClose = [this](TObject*) { heard.push_back("close"); };
    return m;
  }

  // The screen point at the middle of entry Index of the open popup.
  TPoint EntryOnScreen(TvlSkinImagesMenu* m, int Index) {
    const TRect r = m->ImagesItems()->Item(Index)->ItemRect;
    return m->PopupWindow()->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }

  // Messages through the application's loop, where the open popup hooks keys and clicks.
  void Loop() {
    app.ProcessMessages();
    Pump();
  }

  std::unique_ptr<TCustomImageList> images;
  TForm* anchor = nullptr;
  std::vector<std::string> heard;
};

TEST_F(ImagesMenuTest, TwelveImagesInFourColumnsMakeA114By90PopupAndReportTheChoice) {
  auto m = Menu(12, 4);
  m->PopupFromRect(TRect{120, 110, 180, 130});
  Pump();
  TvlSkinImagesMenuPopupWindow* w = m->PopupWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->SkinSupport());
  EXPECT_EQ(w->Width(), 114);
  EXPECT_EQ(w->Height(), 90);
  EXPECT_EQ(w->Left(), 120);
  EXPECT_EQ(w->Top(), 130) << "below the rectangle";
  // Three rows of four 26 x 26 cells, columns touching, rows 1 pixel apart.
  EXPECT_EQ(m->ImagesItems()->Item(0)->ItemRect, (TRect{5, 5, 31, 31}));
  EXPECT_EQ(m->ImagesItems()->Item(3)->ItemRect, (TRect{83, 5, 109, 31}));
  EXPECT_EQ(m->ImagesItems()->Item(4)->ItemRect, (TRect{5, 32, 31, 58}));
  EXPECT_EQ(m->ImagesItems()->Item(11)->ItemRect, (TRect{83, 59, 109, 85}));

  const TPoint sixth = EntryOnScreen(m.get(), 6);
  display->MouseMove(sixth);
  Pump();
  EXPECT_EQ(w->MouseInItem(), 6);
  display->Click(sixth);
  Pump();
  EXPECT_EQ(m->ItemIndex, 6);
  EXPECT_EQ(m->SelectedItem(), m->ImagesItems()->Item(6));
  EXPECT_EQ(m->PopupWindow(), nullptr);
  EXPECT_EQ(heard, (std::vector<std::string>{"close", "click 6", "item 6", "change"}));

  // The same entry again: its events, but no change.
  heard.clear();
  m->PopupFromRect(TRect{120, 110, 180, 130});
  Pump();
  display->Click(EntryOnScreen(m.get(), 6));
  Pump();
  EXPECT_EQ(heard, (std::vector<std::string>{"close", "click 6", "item 6"}));
}

TEST_F(ImagesMenuTest, ButtonAndHeaderRowsStartNewRowsAtTheLeftMargin) {
  auto m = Menu(2, 4);
  TvlImagesMenuItem* button = m->ImagesItems()->AddItem();
  button->Button = true;
  button->Caption = "更多颜色...";
  button->ImageIndex = 3;
  TvlImagesMenuItem* header = m->ImagesItems()->AddItem();
  header->Header = true;
  header->Caption = "最近使用";
  m->Popup(120, 130);
  Pump();
  ASSERT_NE(m->PopupWindow(), nullptr);
  EXPECT_EQ(button->ItemRect, (TRect{5, 32, 109, 58}));
  EXPECT_EQ(header->ItemRect, (TRect{5, 59, 109, 85}));
  // A header cannot be chosen.
  display->Click(EntryOnScreen(m.get(), 3));
  Pump();
  EXPECT_NE(m->PopupWindow(), nullptr);
  EXPECT_EQ(m->ItemIndex, -1);
  m->Hide();
  Pump();
}

TEST_F(ImagesMenuTest, ClosingWithoutAChoiceKeepsItemIndexAndRunsNoItemEvents) {
  struct Case {
    const char* name;
    std::function<void(THeadlessDisplay*)> close;
  };
  const Case cases[] = {
      {"click outside", [](THeadlessDisplay* d) { d->Click(TPoint{600, 400}); }},
      {"escape", [](THeadlessDisplay* d) { d->KeyDown(VK_ESCAPE); }},
      {"right button", [](THeadlessDisplay* d) { d->Click(TPoint{600, 400}, detail::TMouseButton::Right); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    heard.clear();
    auto m = Menu(12, 4);
    m->ItemIndex = 2;
    m->Popup(120, 130);
    Pump();
    ASSERT_NE(m->PopupWindow(), nullptr);
    c.close(display);
    Loop();
    EXPECT_EQ(m->PopupWindow(), nullptr);
    EXPECT_EQ(m->ItemIndex, 2);
    EXPECT_EQ(heard, (std::vector<std::string>{"close"}));
  }
}

TEST_F(ImagesMenuTest, KeysMoveTheMarkAndReturnChooses) {
  auto m = Menu(12, 4);
  m->Popup(120, 130);
  Pump();
  TvlSkinImagesMenuPopupWindow* w = m->PopupWindow();
  ASSERT_NE(w, nullptr);
  struct Step {
    WORD key;
    int marked;
  };
  const Step steps[] = {{VK_DOWN, 0}, {VK_DOWN, 4}, {VK_RIGHT, 5}, {VK_UP, 1}, {VK_LEFT, 0}, {VK_LEFT, 11}, {VK_RIGHT, 0}};
  for (const Step& s : steps) {
    display->KeyDown(s.key);
    Loop();
    EXPECT_EQ(w->MouseInItem(), s.marked) << "key " << s.key;
  }
  display->KeyDown(VK_RIGHT);
  display->KeyDown(VK_RETURN);
  Loop();
  EXPECT_EQ(m->ItemIndex, 1);
  EXPECT_EQ(m->PopupWindow(), nullptr);
}

TEST_F(ImagesMenuTest, HandlerThatFreesTheMenuLeavesThePopupSafe) {
  auto owned = Menu(12, 4);
  TvlSkinImagesMenu* m = owned.release();
  m->OnItemClick = [&](TObject*) {
    heard.push_back("freed");
    delete m;
  };
  m->Popup(120, 130);
  Pump();
  display->Click(EntryOnScreen(m, 5));
  Pump();
  EXPECT_EQ(heard, (std::vector<std::string>{"close", "click 5", "freed"}));
}

TEST_F(ImagesMenuTest, ColumnsOutsideOneToFiftyAreIgnored) {
  auto m = Menu(1, 4);
  for (int bad : {0, 51, -3}) {
    m->SetColumnsCount(bad);
    EXPECT_EQ(m->ColumnsCount(), 4) << bad;
  }
  m->SetColumnsCount(50);
  EXPECT_EQ(m->ColumnsCount(), 50);
}

TEST_F(ImagesMenuTest, NoImagesOpensNothingAndABadPictureIndexGivesTheBuiltInLook) {
  auto empty = std::make_unique<TvlSkinImagesMenu>(nullptr);
  int popups = 0;
  empty->OnMenuPopup = [&](TObject*) { ++popups; };
  empty->Popup(120, 130);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(empty->PopupWindow(), nullptr);

  skin.PopupWindow->WindowPictureIndex = 99;
  skin.PopupWindow->MaskPictureIndex = 98;
  auto m = Menu(12, 4);
  m->SetSkinData(&skin);
  m->Popup(120, 130);
  Pump();
  ASSERT_NE(m->PopupWindow(), nullptr);
  EXPECT_FALSE(m->PopupWindow()->SkinSupport());
  EXPECT_EQ(m->PopupWindow()->Width(), 114);
  EXPECT_EQ(m->PopupWindow()->Height(), 90);
  m->Hide();
  Pump();
}

}  // namespace
