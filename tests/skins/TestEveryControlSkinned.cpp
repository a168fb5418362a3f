// Every kind of skinned control of the library, on a form of its own, drawn headless from the
// program's skin 1 and skin 2: none of them may fall back to its built-in look for an element
// the skin carries. The container notes every element a control asked for and did not find and
// every picture index that names no picture; skin 1 draws every kind and must leave that record
// empty, skin 2 draws the main window's tool buttons and option choosers and must leave it empty
// for the kinds it carries.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "lib/forms/Velmora.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "lib/controls/vlSkinBoxCtrlsCombo.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/drawing/vlLayerManager.h"
#include "lib/controls/vlSkinCtrlsBars.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/controls/vlSkinCtrlsMenuButton.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "lib/controls/vlSkinCtrlsViews.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinExCtrls.h"
#include "lib/controls/vlSkinExCtrlsOffice.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/forms/vlSkinMainMenuBar.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/menus/vlSkinMenusImages.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/controls/vlSkinTabs.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Menus.h"
#include "skins/vlSkinArt.h"
#include "tests/lib/SkinnedListsBoard.h"
#include "tests/lib/SkinnedTestForm.h"

namespace {

using skinned_test_form::Pump;

// What a case has to work with: the form (its own form skinner on the skin under test), the
// skin, the headless screen and the test clock.
struct World {
  TForm* Form;
  TvlVelmora* Skinner;
  TvlSkinData* Skin;
  THeadlessDisplay* Display;
  TTestClock* Clock;
};

TMenuItem* Item(TMenuItem* Parent, const std::string& Caption) {
  auto* i = new TMenuItem(Parent);
  i->SetCaption(Caption);
  Parent->Add(i);
  return i;
}

// Lets hover fades and menu timers run their course.
void Run(TTestClock& Clock, int Ms) {
  for (int t = 0; t < Ms; t += 25) {
    Clock.Advance(25);
    Pump();
  }
}

// Rests the pointer on the middle of Control.
void Hover(World& W, TControl* Control) {
  W.Display->MouseMove(Control->ClientToScreen(TPoint{Control->Width() / 2, Control->Height() / 2}));
  Run(*W.Clock, 200);
}

template <typename T>
T* Place(World& W, T* Control, TRect R) {
  Control->SetParent(W.Form);
  Control->SetBoundsRect(R);
  Control->SetSkinData(W.Skin);
  return Control;
}

TvlSkinPopupMenu* SmallMenu(World& W) {
  auto* menu = new TvlSkinPopupMenu(W.Form);
  Item(menu->Items(), "-输出设置-")->SetEnabled(false);
  Item(menu->Items(), "打开输出文件夹")->SetChecked(true);
  Item(menu->Items(), "-");
  TMenuItem* more = Item(menu->Items(), "画质");
  for (const char* q : {"低", "高"}) Item(more, q)->SetRadioItem(true);
  return menu;
}

struct Case {
  const char* Kind;
  bool InToolSkin;  // skin 2 carries what this kind needs
  std::function<void(World&)> Show;
};

const Case kCases[] = {
    {"form frame and caption buttons", false, [](World&) {}},
    {"panel", false, [](World& W) { Place(W, new TvlSkinPanel(W.Form), {10, 10, 200, 100}); }},
    {"group box", false,
     [](World& W) {
       auto* g = Place(W, new TvlSkinGroupBox(W.Form), {10, 10, 200, 100});
       g->SetCaption("视频设置");
       auto* c = Place(W, new TvlSkinGroupBox(W.Form), {10, 110, 200, 180});
       c->SetCheckedMode(true);
       c->SetCaption("多线程转换");
     }},
    {"caption panel", false,
     [](World& W) {
       auto* p = Place(W, new TvlSkinPanel(W.Form), {10, 10, 200, 100});
       p->SetCaptionMode(true);
       p->SetRollUpMode(true);
       p->SetCaption("透明分组");
     }},
    {"standard label", true,
     [](World& W) {
       Place(W, new TvlSkinStdLabel(W.Form), {10, 10, 120, 28})->SetCaption("输出文件夹");
     }},
    {"text label", true,
     [](World& W) { Place(W, new TvlSkinTextLabel(W.Form), {10, 10, 160, 50})->Lines()->Add("转换完成后打开"); }},
    {"bevel", false,
     [](World& W) { Place(W, new TvlSkinBevel(W.Form), {10, 10, 200, 40})->SetShape(TBevelShape::bsBox); }},
    {"splitter", false,
     [](World& W) {
       auto* s = new TvlSkinSplitter(W.Form);
       s->SetParent(W.Form);
       s->SetAlign(TAlign::alLeft);
       s->SetSkinData(W.Skin);
     }},
    {"push button", true,
     [](World& W) {
       auto* b = Place(W, new TvlSkinButton(W.Form), {10, 10, 82, 36});
       b->SetCaption("确定");
       Place(W, new TvlSkinButton(W.Form), {100, 10, 172, 36})->SetEnabled(false);
       Hover(W, b);
     }},
    {"tool button", true,
     [](World& W) {
       auto* s = Place(W, new TvlSkinSpeedButton(W.Form), {10, 10, 70, 35});
       s->SetCaption("选项");
       Hover(W, s);
     }},
    {"menu tool button", true,
     [](World& W) {
       TvlSkinPopupMenu* menu = SmallMenu(W);
       for (const char* element : {"toolmenubutton", "toolmenutrackbutton"}) {
         auto* b = new TvlSkinMenuSpeedButton(W.Form);
         b->SkinDataName = element;
         b->SetTrackButtonMode(std::string(element) == "toolmenutrackbutton");
         b->SetSkinPopupMenu(menu);
         b->SetCaption("添加");
         Place(W, b, {10, 10, 90, 36});
         Hover(W, b);
       }
     }},
    {"check box", true,
     [](World& W) {
       auto* c = Place(W, new TvlSkinCheckRadioBox(W.Form), {10, 10, 120, 32});
       c->SetCaption("完成后关机");
       c->SetChecked(true);
       Hover(W, c);
     }},
    {"radio box", true,
     [](World& W) {
       auto* r = new TvlSkinCheckRadioBox(W.Form);
       r->SetRadio(true);
       r->SetSkinDataName("radiobox");
       Place(W, r, {10, 10, 120, 32})->SetCaption("普通");
       r->SetChecked(true);
     }},
    {"slider", false, [](World& W) { Place(W, new TvlSkinSlider(W.Form), {10, 10, 220, 50})->SetValue(30); }},
    {"scroll bars", true,
     [](World& W) {
       Place(W, new TvlSkinScrollBar(W.Form), {10, 10, 200, 25})->SetRange(0, 99, 30, 25);
       auto* v = new TvlSkinScrollBar(W.Form);
       v->SetKind(TScrollBarKind::sbVertical);
       v->SetSkinDataName("vscrollbar");
       Place(W, v, {220, 10, 235, 150})->SetRange(0, 99, 30, 25);
     }},
    {"tree view", false,
     [](World& W) {
       auto* tree = Place(W, new TvlSkinCustomTreeView(W.Form), {10, 10, 200, 150});
       TTreeNode* n = tree->Items()->Add(nullptr, "我的视频");
       tree->Items()->AddChild(n, "旅行");
       tree->FullExpand();
     }},
    {"list view with header", false,
     [](World& W) {
       auto* list = Place(W, new TvlSkinListView(W.Form), {10, 10, 260, 150});
       list->SetViewStyle(TViewStyle::vsReport);
       list->Columns()->Add()->SetCaption("文件名");
       list->Items()->Add()->SetCaption("旅行记录.avi");
     }},
    {"tool bar", false,
     [](World& W) {
       auto* bar = Place(W, new TvlSkinToolBar(W.Form), {10, 10, 120, 40});
       bar->CanScroll = true;
       for (int i = 0; i < 4; ++i) {
         auto* b = new TvlSkinSpeedButton(W.Form);
         b->SetParent(bar);
         b->SetCaption("工具");
         b->SetBounds(4 + 60 * i, 2, 58, 25);
         b->SetSkinData(W.Skin);
       }
       bar->UpdateScrollInfo();
     }},
    {"status bar", false,
     [](World& W) {
       auto* s = new TvlSkinStatusBar(W.Form);
       s->SetParent(W.Form);
       s->SetSizeGrip(true);
       s->SetSkinData(W.Skin);
     }},
    {"list box", true,
     [](World& W) {
       auto* l = Place(W, new TvlSkinListBox(W.Form), {10, 10, 160, 100});
       for (int i = 0; i < 12; ++i) l->Items()->Add("片段 " + std::to_string(i + 1));
       l->SetItemIndex(2);
       l->UpDateScrollBar();
     }},
    {"caption list box", false,
     [](World& W) {
       auto* l = new TvlSkinListBox(W.Form);
       l->SetSkinDataName("captionlistbox");
       l->SetCaptionMode(true);
       Place(W, l, {10, 10, 200, 120})->SetCaption("预设");
       l->Items()->Add("手机");
     }},
    {"up-downs", false,
     [](World& W) {
       Place(W, new TvlSkinUpDown(W.Form), {10, 10, 60, 35});
       auto* v = new TvlSkinUpDown(W.Form);
       v->SetSkinDataName("vupdown");
       v->SetOrientation(TUDOrientation::udVertical);
       Place(W, v, {80, 10, 105, 50});
       auto* free = new TvlSkinUpDown(W.Form);
       free->UseSkinSize = false;
       Place(W, free, {120, 10, 190, 34});
     }},
    {"edit", true,
     [](World& W) {
       auto* e = Place(W, new TvlSkinEdit(W.Form), {10, 10, 200, 34});
       e->SetText("旅行记录");
       Hover(W, e);
     }},
    {"edit with button", false,
     [](World& W) {
       auto* e = new TvlSkinEdit(W.Form);
       e->SetSkinDataName("buttonedit");
       e->SetButtonMode(true);
       Place(W, e, {10, 10, 200, 34})->SetText("/媒体/视频");
     }},
    {"combo box, open", true,
     [](World& W) {
       auto* c = Place(W, new TvlSkinComboBox(W.Form), {10, 10, 160, 30});
       for (const char* s : {"自动", "512 kbps", "768 kbps", "1000 kbps", "1500 kbps", "2000 kbps", "3000 kbps",
                             "4000 kbps", "5000 kbps"})
         c->Items()->Add(s);
       c->SetItemIndex(1);
       c->SetDropDownCount(4);
       c->DropDown();
       Pump();
     }},
    {"combo box in the tool-button look", true,
     [](World& W) {
       auto* c = Place(W, new TvlSkinComboBox(W.Form), {10, 10, 160, 34});
       c->SetToolButtonStyle(true);
       c->Items()->Add("保持比例");
       c->SetItemIndex(0);
       Hover(W, c);
     }},
    {"office pickers and list", false,
     [](World& W) {
       auto* box = Place(W, new TvlSkinOfficeComboBox(W.Form), {10, 10, 140, 61});
       box->SetToolButtonStyle(true);
       box->SetDropDownCount(4);
       box->SetListBoxShowItemTitles(true);
       auto* list = Place(W, new TvlSkinOfficeListBox(W.Form), {150, 10, 330, 200});
       for (auto* items : {box->Items(), list->Items()}) {
         TvlSkinOfficeItem* header = items->Add();
         header->SetHeader(true);
         header->SetCaption("视频");
         for (const char* name : {"手机", "电脑", "网页"}) {
           TvlSkinOfficeItem* i = items->Add();
           i->SetTitle("MP4视频");
           i->SetCaption(name);
         }
       }
       box->SetItemIndex(1);
       box->DropDown();
       Pump();
     }},
    {"page control", false,
     [](World& W) {
       auto* pc = new TvlSkinPageControl(W.Form);
       pc->SetParent(W.Form);
       pc->SetBoundsRect({10, 10, 300, 200});
       pc->SetShowCloseButtons(true);
       for (const char* caption : {"视频", "音频", "字幕"}) {
         auto* sheet = new TvlSkinTabSheet(W.Form);
         sheet->SetCaption(caption);
         sheet->SetPageControl(pc);
       }
       pc->SetSkinData(W.Skin);
       pc->SetActivePageIndex(1);
     }},
    {"main menu bar", false,
     [](World& W) {
       auto* menu = new TvlSkinMainMenu(W.Form);
       Item(Item(menu->Items(), "文件(&F)"), "打开(&O)");
       Item(Item(menu->Items(), "帮助(&H)"), "关于");
       auto* bar = new TvlSkinMainMenuBar(W.Form);
       bar->SetParent(W.Form);
       bar->SetVelmora(W.Skinner);
       bar->SetMainMenu(menu);
       bar->SetSkinData(W.Skin);
       W.Skinner->SetMainMenuBar(bar);
       bar->Repaint();
     }},
    {"popup menu with a submenu open", false,
     [](World& W) {
       TvlSkinPopupMenu* menu = SmallMenu(W);
       menu->Popup(40, 60);
       TvlSkinPopupWindow* root = W.Skinner->SkinMenu->Level(0);
       const TRect row = root->ItemList[3]->ObjectRect;
       W.Display->MouseMove({root->Left() + row.Left + 30, root->Top() + row.Top + row.Height() / 2});
       Run(*W.Clock, 600);
       ASSERT_EQ(W.Skinner->SkinMenu->LevelCount(), 2);
     }},
    {"images menu", false,
     [](World& W) {
       auto images = skinned_lists_board::ItemImages();
       auto* menu = new TvlSkinImagesMenu(W.Form);
       menu->SetImages(images.get());
       menu->SetColumnsCount(3);
       menu->SetSkinData(W.Skin);
       for (int i = 0; i < 3; ++i) menu->ImagesItems()->AddItem()->ImageIndex = i;
       menu->Popup(20, 20);
       Pump();
       menu->Hide();
       Pump();
     }},
    {"tooltip", false,
     [](World& W) {
       auto* hint = new TvlSkinHint(W.Form);
       hint->SetSkinData(W.Skin);
       hint->ActivateHintEx(TPoint{60, 60}, "转换任务", "3 个文件等待转换", -1, nullptr);
       Pump();
       hint->HideHint();
     }},
    {"link label", true,
     [](World& W) {
       auto* l = Place(W, new TvlSkinLinkLabel(W.Form), {10, 10, 160, 30});
       l->SetCaption("访问主页");
       Hover(W, l);
     }},
    {"message box", false,
     [](World& W) {
       TvlSkinMessage message(nullptr);
       message.SetSkinData(W.Skin);
       message.SetCtrlSkinData(W.Skin);
       message.ShowAgainFlag = true;
       TvlSkinMessage::TRequest r;
       r.Msg = "输出文件已存在。";
       r.DlgType = TMsgDlgType::mtConfirmation;
       r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};
       r.X = r.Y = 0;
       std::unique_ptr<TvlMessageForm> form(message.CreateMessageForm(r));
       form->Show();
       Pump();
     }},
};

// What the skin noted while the case drew, one line each.
std::string Missing(const TvlSkinData& Skin) {
  std::string out;
  for (const std::string& e : vlSkinMissing(&Skin).Elements) out += "  element \"" + e + "\"\n";
  for (int p : vlSkinMissing(&Skin).Pictures) out += "  picture " + std::to_string(p) + "\n";
  return out;
}

class EveryControlSkinnedTest : public ::testing::TestWithParam<TvlSkinArtKind> {
 protected:
  void SetUp() override {
    display = HeadlessDisplay();
    ASSERT_NE(display, nullptr);
    display->SetScreenSize({800, 600});
    display->SetWorkArea({0, 0, 800, 560});
    display->MouseMove({799, 599});
    vlUtilsStartup();
    vlLoadFixtureSkin(&skin, GetParam());
    ASSERT_FALSE(skin.Empty);
  }
  void TearDown() override { vlUtilsShutdown(); }

  TScopedTestClock clock;
  TApplication app{nullptr};
  THeadlessDisplay* display = nullptr;
  TvlSkinData skin{nullptr};
};

TEST_P(EveryControlSkinnedTest, NoKindFallsBackToItsBuiltInLook) {
  const bool main = GetParam() == TvlSkinArtKind::Main;
  for (const Case& c : kCases) {
    if (!main && !c.InToolSkin) continue;
    SCOPED_TRACE(c.Kind);
    vlForgetMissing(&skin);
    {
      std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
      form->SetBoundsRect(TRect{0, 0, 360, 260});
      form->SetCaption("控件");
      auto* skinner = new TvlVelmora(form.get());
      // Skin 2 has no form frame: its cases draw on a plain form.
      if (main) skinner->SetSkinData(&skin);
      app.SetMainForm(form.get());
      form->Show();
      Pump();
      World w{form.get(), skinner, &skin, display, &clock};
      c.Show(w);
      Pump();
      if (skinner->SkinMenu) skinner->SkinMenu->Hide();
      display->MouseMove({799, 599});
      Pump();
      app.SetMainForm(nullptr);
    }
    Pump();
    EXPECT_EQ(Missing(skin), "") << c.Kind << " drew a built-in look for what the skin lacks";
  }
}

// The record itself: what it notes, what it leaves out, and that a load starts it afresh.
TEST(SkinMissingRecordTest, NotesWhatControlsAskedForInVainUntilTheNextLoad) {
  TApplication app(nullptr);
  ASSERT_NE(HeadlessDisplay(), nullptr);
  TvlSkinData skin(nullptr);
  EXPECT_EQ(vlFindControlElement(&skin, "button"), -1);
  EXPECT_EQ(Missing(skin), "") << "an empty container notes nothing";
  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Main);
  const std::size_t pictures = skin.FActivePictures.size();

  EXPECT_GE(vlFindControlElement(&skin, "button"), 0);
  EXPECT_GE(vlFindControlElement(&skin, {"nosuchbutton", "button"}), 0);
  EXPECT_EQ(vlSkinPicture(&skin, -1), nullptr);
  EXPECT_NE(vlSkinPicture(&skin, 0), nullptr);
  EXPECT_EQ(Missing(skin), "") << "found elements, an alternative that is there and -1 note nothing";

  {
    std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
    form->SetBoundsRect(TRect{0, 0, 200, 100});
    auto* b = new TvlSkinButton(form.get());
    b->SetParent(form.get());
    b->SetSkinDataName("fancybutton");
    b->SetBounds(10, 10, 80, 26);
    b->SetSkinData(&skin);
    form->Show();
    Pump();
  }
  EXPECT_EQ(vlFindControlElement(&skin, {"menuheader2", "label2"}), -1);
  EXPECT_EQ(vlSkinPicture(&skin, static_cast<int>(pictures)), nullptr);
  EXPECT_EQ(vlSkinPicture(&skin, -7), nullptr);
  EXPECT_EQ(Missing(skin), "  element \"fancybutton\"\n  element \"menuheader2|label2\"\n  picture -7\n  picture " +
                               std::to_string(pictures) + "\n");

  vlLoadFixtureSkin(&skin, TvlSkinArtKind::Tools);
  EXPECT_EQ(Missing(skin), "") << "a load starts the record afresh";
}

INSTANTIATE_TEST_SUITE_P(BothSkins, EveryControlSkinnedTest,
                         ::testing::Values(TvlSkinArtKind::Main, TvlSkinArtKind::Tools),
                         [](const auto& Info) { return Info.param == TvlSkinArtKind::Main ? "Skin1" : "Skin2"; });

}  // namespace
