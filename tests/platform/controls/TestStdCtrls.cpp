// Standard controls: check and radio behaviour, label sizing, panel and group box client areas,
// splitter dragging, image placement and their plain looks on screen.

#include <string>
#include <vector>

#include "tests/platform/FormFixture.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/graphics/Picture.h"
#include "platform/controls/StdCtrls.h"

namespace {

class StdCtrlsTest : public FormWorld {
 protected:
  template <class T>
  T* Add(TWinControl* parent, TRect r) {
    auto* c = new T(parent);
    c->SetBoundsRect(r);
    c->SetParent(parent);
    return c;
  }
};

TEST_F(StdCtrlsTest, CheckBoxCyclesItsStatesAndRunsOnClickOncePerChange) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 100));
  auto* box = Add<TCheckBox>(form, Bounds(10, 10, 100, 17));
  box->SetAllowGrayed(true);
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  Pump();
  const TCheckBoxState expected[] = {TCheckBoxState::cbChecked, TCheckBoxState::cbGrayed, TCheckBoxState::cbUnchecked};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    display->Click({20, 18});
    Pump();
    EXPECT_EQ(box->State(), expected[i]);
    EXPECT_EQ(clicks, i + 1);
  }
  box->SetChecked(true);
  EXPECT_EQ(clicks, 4) << "a programmatic change clicks too";
  display->KeyDown(VK_SPACE);
  Pump();
  display->KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(box->State(), TCheckBoxState::cbGrayed);
}

TEST_F(StdCtrlsTest, RadioButtonsOfOneParentExcludeEachOther) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* group = Add<TGroupBox>(form, Bounds(0, 0, 150, 120));
  auto* a = Add<TRadioButton>(group, Bounds(5, 20, 100, 17));
  auto* b = Add<TRadioButton>(group, Bounds(5, 40, 100, 17));
  auto* elsewhere = Add<TRadioButton>(form, Bounds(160, 20, 100, 17));
  elsewhere->SetChecked(true);
  a->SetChecked(true);
  form->Show();
  Pump();
  TPoint p = b->ClientToScreen(Point(5, 8));
  display->Click(p);
  Pump();
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(elsewhere->Checked()) << "another parent is another group";
  TRect inside = group->ClientRect();
  EXPECT_EQ(a->Parent(), group);
  EXPECT_GT(inside.Height(), 0);
}

TEST_F(StdCtrlsTest, LabelAutoSizeFollowsTheTextAndKeepsTheRightEdgeWhenRightAligned) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 200));
  auto* label = Add<TLabel>(form, Bounds(100, 10, 10, 10));
  label->SetCaption("Short");
  const int shortWidth = label->Width();
  label->SetCaption("A much longer caption");
  EXPECT_GT(label->Width(), shortWidth);
  EXPECT_GT(label->Height(), 5);
  EXPECT_EQ(label->Left(), 100);
  label->SetAlignment(TAlignment::taRightJustify);
  const int right = label->Left() + label->Width();
  label->SetCaption("Short");
  EXPECT_EQ(label->Left() + label->Width(), right);
  EXPECT_EQ(label->Width(), shortWidth);
  label->SetAutoSize(false);
  label->SetCaption("A much longer caption again");
  EXPECT_EQ(label->Width(), shortWidth);
}

TEST_F(StdCtrlsTest, LabelAutoSizeKeepsTheEdgeItsTextIsAlignedToUnderRightToLeft) {
  TForm* form = MakeForm(Bounds(0, 0, 400, 200));
  struct Case {
    TAlignment alignment;
    TBiDiMode bidi;
    bool keepsRight;
  };
  const Case cases[] = {
      {TAlignment::taLeftJustify, TBiDiMode::bdLeftToRight, false},
      {TAlignment::taRightJustify, TBiDiMode::bdLeftToRight, true},
      {TAlignment::taLeftJustify, TBiDiMode::bdRightToLeft, true},
      {TAlignment::taRightJustify, TBiDiMode::bdRightToLeft, false},
      {TAlignment::taLeftJustify, TBiDiMode::bdRightToLeftReadingOnly, false},
      {TAlignment::taRightJustify, TBiDiMode::bdRightToLeftNoAlign, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "alignment " << static_cast<int>(c.alignment) << ", bidi "
                                    << static_cast<int>(c.bidi));
    auto* label = Add<TLabel>(form, Bounds(100, 10, 10, 10));
    label->SetBiDiMode(c.bidi);
    label->SetAlignment(c.alignment);
    label->SetCaption("A much longer caption");
    const int left = label->Left(), right = label->Left() + label->Width();
    label->SetCaption("Short");
    if (c.keepsRight) {
      EXPECT_EQ(label->Left() + label->Width(), right);
      EXPECT_GT(label->Left(), left);
    } else {
      EXPECT_EQ(label->Left(), left);
    }
    delete label;
  }
}

TEST_F(StdCtrlsTest, PanelBevelsNarrowTheClientAreaOfItsAlignedChildren) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 200), clWhite);
  auto* panel = Add<TPanel>(form, Bounds(10, 10, 100, 80));
  panel->SetBevelInner(TBevelCut::bvLowered);
  panel->SetBorderWidth(3);
  auto* fill = Add<TPanel>(panel, Bounds(0, 0, 10, 10));
  fill->SetBevelOuter(TBevelCut::bvNone);
  fill->SetColor(clRed);
  fill->SetAlign(TAlign::alClient);
  EXPECT_EQ(fill->BoundsRect(), Rect(5, 5, 95, 75));
  form->Show();
  EXPECT_EQ(ScreenAt({50, 50}), RGB(255, 0, 0));
  EXPECT_NE(ScreenAt({11, 11}), RGB(255, 0, 0)) << "the bevel frames the child";
  EXPECT_EQ(ScreenAt({150, 150}), RGB(255, 255, 255));
}

// A control that holds controls clips them out of its own painting, so a child that repainted at
// once (after a change of its state) before the container's first paint keeps its pixels.
TEST_F(StdCtrlsTest, AContainerNeverPaintsOverItsWindowedChildren) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 200), clWhite);
  auto* panel = Add<TPanel>(form, Bounds(10, 10, 150, 150));
  panel->SetColor(clBlue);
  auto* child = Add<TPanel>(panel, Bounds(20, 20, 60, 60));
  child->SetColor(clRed);
  auto* plain = Add<TButton>(form, Bounds(170, 10, 20, 20));
  form->Show();
  EXPECT_NE(GetWindowLong(panel->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
  EXPECT_EQ(GetWindowLong(plain->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0) << "a button holds no controls";
  child->SetColor(clLime);
  child->Repaint();  // before the panel's own pending paint
  EXPECT_EQ(ScreenAt({50, 50}), RGB(0, 255, 0));
  EXPECT_EQ(ScreenAt({15, 15}), RGB(0, 0, 255));
}

TEST_F(StdCtrlsTest, SplitterResizesTheControlBeforeItWithinMinSize) {
  TForm* form = MakeForm(Bounds(0, 0, 300, 100));
  auto* left = Add<TPanel>(form, Bounds(0, 0, 100, 100));
  left->SetAlign(TAlign::alLeft);
  auto* splitter = Add<TSplitter>(form, Bounds(100, 0, 4, 100));
  splitter->SetAlign(TAlign::alLeft);
  auto* rest = Add<TPanel>(form, Bounds(0, 0, 10, 10));
  rest->SetAlign(TAlign::alClient);
  int moved = 0;
  splitter->OnMoved = [&](TObject*) { ++moved; };
  form->Show();
  Pump();
  ASSERT_EQ(splitter->Left(), 100);
  struct Drag {
    int to;
    int width;
  };
  for (const Drag& d : std::initializer_list<Drag>{{150, 148}, {5, 30}, {290, 266}}) {
    SCOPED_TRACE(d.to);
    const TPoint start = splitter->ClientToScreen(Point(2, 50));
    display->MouseDown(start);
    Pump();
    display->MouseMove({d.to, 50});
    Pump();
    display->MouseUp({d.to, 50});
    Pump();
    EXPECT_EQ(left->Width(), d.width);
    EXPECT_EQ(splitter->Left(), d.width);
    EXPECT_EQ(rest->Left(), d.width + 4);
  }
  EXPECT_EQ(moved, 3);
}

TEST_F(StdCtrlsTest, ImageDrawsItsPictureAsStretchAndCenterSay) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 200), clWhite);
  auto* image = Add<TImage>(form, Bounds(0, 0, 100, 100));
  TBitmap* bitmap = image->Picture()->Bitmap();
  bitmap->SetSize(20, 10);
  bitmap->Canvas()->Brush()->SetColor(clBlue);
  bitmap->Canvas()->FillRect(Rect(0, 0, 20, 10));
  struct Case {
    bool stretch, center, proportional;
    TRect dest;
  };
  for (const Case& c : std::initializer_list<Case>{{false, false, false, Rect(0, 0, 20, 10)},
                                                   {false, true, false, Rect(40, 45, 60, 55)},
                                                   {true, false, false, Rect(0, 0, 100, 100)},
                                                   {true, true, true, Rect(0, 25, 100, 75)}}) {
    SCOPED_TRACE(c.dest.Left * 1000 + c.dest.Top);
    image->SetStretch(c.stretch);
    image->SetCenter(c.center);
    image->SetProportional(c.proportional);
    EXPECT_EQ(image->DestRect(), c.dest);
  }
  form->Show();
  EXPECT_EQ(ScreenAt({50, 50}), RGB(0, 0, 255));
  EXPECT_EQ(ScreenAt({50, 20}), RGB(255, 255, 255));
  image->SetAutoSize(true);
  EXPECT_EQ(image->BoundsRect(), Rect(0, 0, 20, 10));
}

TEST_F(StdCtrlsTest, ButtonsShapesAndBevelsPaintTheirPlainLook) {
  TForm* form = MakeForm(Bounds(0, 0, 200, 200), clWhite);
  auto* button = Add<TButton>(form, Bounds(10, 10, 75, 25));
  button->SetCaption("OK");
  auto* shape = Add<TShape>(form, Bounds(100, 10, 40, 40));
  shape->Brush()->SetColor(clLime);
  auto* bevel = Add<TBevel>(form, Bounds(10, 100, 50, 50));
  (void)bevel;
  form->Show();
  EXPECT_EQ(ScreenAt({20, 22}), ColorToRGB(clBtnFace));
  EXPECT_EQ(ScreenAt({120, 30}), RGB(0, 255, 0));
  EXPECT_EQ(ScreenAt({100, 30}), RGB(0, 0, 0)) << "the shape's pen";
  EXPECT_NE(ScreenAt({10, 120}), RGB(255, 255, 255)) << "the bevel's edge";
  EXPECT_EQ(ScreenAt({35, 125}), RGB(255, 255, 255));
}

}  // namespace
