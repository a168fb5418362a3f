// The form skinner: the skinned and the built-in frame rendered headless, the client area and
// region it gives the form, hit testing, client backgrounds, the window-procedure hook, and the
// skin-change messages across forms and controls.

#include "lib/forms/Velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/lib/FixtureSkin.h"
#include "tests/lib/SkinnedTestForm.h"
#include "tests/platform/FormFixture.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Region.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace {

using fixture_skin::Variant;

class VelmoraTest : public FormWorld {
 protected:
  // A sizeable form with its form skinner at a screen rectangle; the fixture frees it.
  TvlVelmora* MakeSkinnedForm(TRect r, TvlSkinData* skinData, TFormBorderStyle style = TFormBorderStyle::bsSizeable) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBorderStyle(style);
    f->SetBoundsRect(r);
    f->SetCaption("视频转换");
    forms.emplace_back(f);
    auto* skinner = new TvlVelmora(f);
    skinner->SetSkinData(skinData);
    return skinner;
  }

  std::vector<std::uint32_t> Shot(const TRect& r) { return skinned_test_form::Shot(display, r); }
};

// ---- Rendered frames ----------------------------------------------------------------------------

TEST_F(VelmoraTest, SkinnedAndBuiltInFramesMatchTheirExpectedPictures) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  const TRect at{0, 0, 320, 200};
  TvlVelmora* skinned = MakeSkinnedForm(at, &skin);
  skinned->Form()->Show();
  skinned_test_form::CompareWithExpected(Shot(at), at.Width(), at.Height(), skinned_test_form::ExpectedFolder(), "velmora_skinned_frame");
  forms.clear();

  TvlVelmora* builtIn = MakeSkinnedForm(at, nullptr);
  builtIn->Form()->Show();
  skinned_test_form::CompareWithExpected(Shot(at), at.Width(), at.Height(), skinned_test_form::ExpectedFolder(), "velmora_builtin_frame");
}

// ---- Client area and region ------------------------------------------------------------------------

// Whether the window's region holds a window point (a window without a region holds them all).
bool InWindowRegion(HWND h, TPoint p) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  const bool has = GetWindowRgn(h, r) != RGN_ERROR;
  const bool in = !has || PtInRegion(r, p.X, p.Y);
  DeleteObject(r);
  return in;
}

bool HasWindowRegion(HWND h) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  const bool has = GetWindowRgn(h, r) != RGN_ERROR;
  DeleteObject(r);
  return has;
}

TEST_F(VelmoraTest, ClientAreaAndRegionFollowTheFrameAndTheFormSize) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TCustomForm* f = v->Form();
  HWND h = f->Handle();
  // Picture 120 x 80 with a 24-row caption and 4-pixel borders, on a 300 x 200 form.
  EXPECT_EQ(f->ClientRect(), (TRect{0, 0, 292, 172}));
  EXPECT_EQ(f->ClientOrigin(), (TPoint{104, 104}));
  const struct {
    TPoint at;
    bool inside;
  } region[] = {{{0, 0}, false},   {{3, 0}, false},   {{4, 0}, true},     {{0, 4}, true},   {{299, 0}, false},
                {{0, 199}, false}, {{299, 199}, false}, {{296, 199}, true}, {{150, 100}, true}};
  for (const auto& c : region) {
    SCOPED_TRACE(testing::Message() << "(" << c.at.X << ", " << c.at.Y << ")");
    EXPECT_EQ(InWindowRegion(h, c.at), c.inside);
  }
  // The region and the client area follow a resize.
  f->SetBounds(100, 80, 360, 240);
  EXPECT_EQ(f->ClientRect(), (TRect{0, 0, 352, 212}));
  EXPECT_FALSE(InWindowRegion(h, {359, 239}));
  EXPECT_TRUE(InWindowRegion(h, {356, 239}));
  EXPECT_TRUE(InWindowRegion(h, {299, 199}));

  // Without a skin: the built-in 3-pixel frame under a 19-row caption and a plain rectangle.
  TvlVelmora* plain = MakeSkinnedForm(TRect{100, 80, 400, 280}, nullptr);
  EXPECT_EQ(plain->Form()->ClientRect(), (TRect{0, 0, 294, 175}));
  EXPECT_TRUE(InWindowRegion(plain->Form()->Handle(), {0, 0}));
  EXPECT_TRUE(InWindowRegion(plain->Form()->Handle(), {299, 199}));
}

TEST_F(VelmoraTest, AFormWithoutBorderOrNotSkinnableHasNoRegion) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* none = MakeSkinnedForm(TRect{0, 0, 300, 200}, &skin, TFormBorderStyle::bsNone);
  EXPECT_FALSE(HasWindowRegion(none->Form()->Handle()));
  EXPECT_EQ(none->Form()->ClientRect(), (TRect{0, 0, 300, 200}));

  TvlVelmora* v = MakeSkinnedForm(TRect{0, 0, 300, 200}, &skin, TFormBorderStyle::bsNone);
  v->Form()->SetBorderStyle(TFormBorderStyle::bsSizeable);
  v->SetSkinData(&skin);
  EXPECT_TRUE(HasWindowRegion(v->Form()->Handle()));
  v->SetSkinnableForm(false);
  EXPECT_FALSE(HasWindowRegion(v->Form()->Handle()));
  v->SetSkinnableForm(true);
  EXPECT_TRUE(HasWindowRegion(v->Form()->Handle()));

  // The container's switch reaches every form that uses it.
  skin.SetSkinnableForm(false);
  EXPECT_FALSE(v->SkinnableForm());
  EXPECT_FALSE(HasWindowRegion(v->Form()->Handle()));
  EXPECT_EQ(SendMessage(v->Form()->Handle(), WM_vlSkinFrameQuery, 0, 0), vlSkinFrameQueryPlatformFrame);
  skin.SetSkinnableForm(true);
  EXPECT_TRUE(v->SkinnableForm());
  EXPECT_EQ(v->Form()->ClientRect(), (TRect{0, 0, 292, 172}));
}

// ---- Hit testing ------------------------------------------------------------------------------------

LRESULT HitAt(TCustomForm* f, TPoint windowPoint) {
  return SendMessage(f->Handle(), WM_NCHITTEST, 0,
                     MAKELPARAM(static_cast<WORD>(f->Left() + windowPoint.X), static_cast<WORD>(f->Top() + windowPoint.Y)));
}

struct HitCase {
  TPoint at;
  LRESULT hit;
};

void ExpectHits(TCustomForm* f, std::initializer_list<HitCase> cases) {
  for (const HitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.at.X << ", " << c.at.Y << ")");
    EXPECT_EQ(HitAt(f, c.at), c.hit);
  }
}

TEST_F(VelmoraTest, SkinnedFrameAnswersTheHitTestTable) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TCustomForm* f = v->Form();
  // 300 x 200: client (4, 24)-(296, 196), caption text (24, 2)-(254, 22), caption buttons from
  // x = 258, sizing corners 8 pixels deep, borders 4 pixels wide.
  ExpectHits(f, {{{150, 12}, HTCAPTION},
                 {{150, 6}, HTCAPTION},
                 {{150, 100}, HTCLIENT},
                 {{10, 12}, HTOBJECT},  // the program mark, left of the caption text
                 {{280, 12}, HTOBJECT},  // a caption button
                 {{150, 1}, HTTOP},
                 {{150, 198}, HTBOTTOM},
                 {{1, 100}, HTLEFT},
                 {{298, 100}, HTRIGHT},
                 {{2, 2}, HTTOPLEFT},
                 {{297, 2}, HTTOPRIGHT},
                 {{2, 198}, HTBOTTOMLEFT},
                 {{298, 198}, HTBOTTOMRIGHT}});

  // A caption button under the pointer wins over the border it touches.
  v->ActiveObject = v->GetIndex("closebutton");
  ASSERT_NE(v->ActiveObject, -1);
  ExpectHits(f, {{{298, 12}, HTOBJECT}, {{150, 12}, HTCAPTION}, {{150, 100}, HTCLIENT}});
  v->ActiveObject = -1;

  // No sizing borders on a maximized form, a form that cannot size, or a rolled-up one.
  v->FWindowState = TWindowState::wsMaximized;
  ExpectHits(f, {{{1, 100}, HTOBJECT}, {{2, 2}, HTOBJECT}, {{150, 12}, HTCAPTION}, {{150, 100}, HTCLIENT}});
  v->FWindowState = TWindowState::wsNormal;
  f->SetBorderStyle(TFormBorderStyle::bsSingle);
  ExpectHits(f, {{{1, 100}, HTOBJECT}, {{298, 198}, HTOBJECT}, {{150, 12}, HTCAPTION}});
  v->AlwaysResize = true;
  ExpectHits(f, {{{1, 100}, HTLEFT}});
  v->FRollUpState = true;
  ExpectHits(f, {{{150, 12}, HTCAPTION}, {{150, 100}, HTOBJECT}, {{1, 100}, HTOBJECT}});
  v->FRollUpState = false;
}

TEST_F(VelmoraTest, BuiltInFrameAnswersTheHitTestTable) {
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, nullptr);
  TCustomForm* f = v->Form();
  ExpectHits(f, {{{2, 2}, HTTOPLEFT},
                 {{2, 50}, HTLEFT},
                 {{150, 2}, HTTOP},
                 {{298, 2}, HTTOPRIGHT},
                 {{297, 2}, HTTOP},
                 {{298, 100}, HTRIGHT},
                 {{297, 100}, HTOBJECT},  // frame, but not the 3-pixel sizing edge
                 {{150, 198}, HTBOTTOM},
                 {{298, 198}, HTBOTTOMRIGHT},
                 {{150, 10}, HTCAPTION},
                 {{150, 100}, HTCLIENT}});
  v->FWindowState = TWindowState::wsMaximized;
  ExpectHits(f, {{{2, 2}, HTOBJECT}, {{2, 50}, HTOBJECT}, {{150, 10}, HTCAPTION}, {{150, 100}, HTCLIENT}});
}

TEST_F(VelmoraTest, MaskReadsStopAtTheEdgesOfTheMaskStrips) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  const TRect a = v->NewMaskRectArea;
  ASSERT_EQ(a, (TRect{4, 4, 296, 196}));
  const struct {
    TPoint at;
    bool solid;
  } cases[] = {
      {{150, 100}, true},  {{1, 100}, true},  {{298, 100}, true}, {{150, 1}, true}, {{150, 198}, true},
      {{0, 0}, false},     {{299, 199}, false},
      // Points just beyond a strip (its width or height) are outside, never read.
      {{2, a.Top}, false},        // the top strip has a.Top rows
      {{300, 100}, false},        // the right strip ends at the form's width
      {{150, 200}, false},        // the bottom strip ends at the form's height
      {{-1, 100}, false},         {{150, -1}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.at.X << ", " << c.at.Y << ")");
    EXPECT_EQ(v->IsMaskPointSolid(c.at), c.solid);
  }
}

// ---- Size limits -------------------------------------------------------------------------------------

TEST_F(VelmoraTest, SizeLimitsComeFromTheSkinOrTheBuiltInFrame) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* plain = MakeSkinnedForm(TRect{0, 0, 300, 200}, nullptr);
  EXPECT_EQ(plain->GetMinWidth(), 120);
  EXPECT_EQ(plain->GetMinHeight(), 25);  // caption 19 + two 3-pixel borders
  plain->MinWidth = 50;
  EXPECT_EQ(plain->GetMinWidth(), 50);

  TvlVelmora* v = MakeSkinnedForm(TRect{0, 0, 300, 200}, &skin);
  // Picture 120 wide.
  const struct {
    int formMinWidth, minWidth;
    bool minimized;
    int expected;
  } widths[] = {{0, 0, false, 120},     {0, 200, false, 200},   {0, 200, true, 120},   {100, 90, false, 100},
                {100, 110, false, 110}, {100, 200, false, 200}, {100, 200, true, 100}};
  for (const auto& c : widths) {
    SCOPED_TRACE(testing::Message() << c.formMinWidth << " " << c.minWidth << " " << c.minimized);
    skin.FormMinWidth = c.formMinWidth;
    v->MinWidth = c.minWidth;
    v->FWindowState = c.minimized ? TWindowState::wsMinimized : TWindowState::wsNormal;
    EXPECT_EQ(v->GetMinWidth(), c.expected);
  }
  v->FWindowState = TWindowState::wsNormal;
  v->MinWidth = 0;
  skin.FormMinWidth = 0;
  // The frame is 80 - 52 = 28 rows high; a larger MinHeight holds unless rolled up.
  EXPECT_EQ(v->GetMinHeight(), 28);
  v->MinHeight = 50;
  EXPECT_EQ(v->GetMinHeight(), 50);
  v->FRollUpState = true;
  EXPECT_EQ(v->GetMinHeight(), 28);
  v->FRollUpState = false;
  // The maximum is the work area unless set.
  EXPECT_EQ(v->GetMaxWidth(), 800);
  EXPECT_EQ(v->GetMaxHeight(), 560);
  v->MaximizeOnFullScreen = true;
  EXPECT_EQ(v->GetMaxHeight(), 600);
  v->MaxWidth = 640;
  EXPECT_EQ(v->GetMaxWidth(), 640);

  // The platform's sizing loop asks for them.
  MINMAXINFO mmi{};
  SendMessage(v->Form()->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize, (TPoint{120, 50}));
  EXPECT_EQ(mmi.ptMaxTrackSize, (TPoint{640, 600}));
}

// ---- Caption object places ----------------------------------------------------------------------------

TEST_F(VelmoraTest, CaptionObjectsAreLaidOutOnTheFrame) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  ASSERT_EQ(v->ObjectList.size(), 3u);  // caption, close, maximize
  // The button row (76, 3)-(116, 21) lies in the right half and moves with the right edge;
  // buttons fill it from the right, 2 pixels apart.
  EXPECT_EQ(v->ObjectList[v->GetIndex("closebutton")]->ObjectRect, (TRect{278, 3, 296, 21}));
  EXPECT_EQ(v->ObjectList[v->GetIndex("maxbutton")]->ObjectRect, (TRect{258, 3, 276, 21}));
  // The caption text spans from the top-left corner zone into the top-right one: it grows.
  EXPECT_EQ(v->ObjectList[v->GetIndex("caption")]->ObjectRect, (TRect{24, 2, 254, 22}));

  // A fixed-place object moves with the corner zone it lies in (picture 120 x 80, corner points
  // (30, 30), (70, 30), (30, 70), (90, 70); the form is 180 wider and 120 higher).
  const struct {
    TRect skinRect, placed;
  } fixed[] = {
      {{2, 2, 20, 20}, {2, 2, 20, 20}},          // top-left: stays
      {{80, 2, 100, 20}, {260, 2, 280, 20}},     // top-right: moves right
      {{2, 72, 20, 78}, {2, 192, 20, 198}},      // bottom-left: moves down
      {{95, 72, 110, 78}, {275, 192, 290, 198}}, // bottom-right: moves both ways
      {{10, 10, 100, 20}, {10, 10, 280, 20}},    // top-left to top-right: grows right
      {{2, 10, 20, 75}, {2, 10, 20, 195}},       // top-left to bottom-left: grows down
      {{10, 10, 100, 75}, {10, 10, 280, 195}},   // top-left to bottom-right: grows both ways
      {{40, 40, 60, 60}, {40, 40, 60, 60}},      // in no zone: stays
  };
  for (const auto& c : fixed) {
    SCOPED_TRACE(testing::Message() << c.skinRect.Left << "," << c.skinRect.Top);
    auto o = std::make_unique<TvlUserObject>(v, nullptr);
    o->SkinRect = c.skinRect;
    TvlActiveSkinObject* raw = o.get();
    v->ObjectList.push_back(std::move(o));
    v->LayoutCaptionObjects();
    EXPECT_EQ(raw->ObjectRect, c.placed);
    v->ObjectList.pop_back();
  }
}

TEST_F(VelmoraTest, ObjectPictureIndexesOutsideTheSkinMeanNoPicture) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  const int beyond = static_cast<int>(skin.FActivePictures.size());  // the first index past the list
  const struct {
    int picture, mask;
    bool hasPicture;
  } cases[] = {{3, 3, true}, {-1, -1, false}, {beyond, 99, false}, {-7, beyond, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.picture << " " << c.mask);
    TvlDataSkinStdButton d("button");
    d.SkinRectInAPicture = true;
    d.SkinRect = TRect{0, 0, 18, 18};
    d.ActiveSkinRect = TRect{18, 0, 36, 18};
    d.Morphing = true;
    d.ActivePictureIndex = c.picture;
    d.ActiveMaskPictureIndex = c.mask;
    TvlSkinStdButtonObject o(v, &d);
    EXPECT_EQ(o.ActivePicture != nullptr, c.hasPicture);
    EXPECT_EQ(o.ActiveMaskPicture != nullptr, c.mask == 3);
    // Without its picture the hover image is gone, and with it the morph.
    EXPECT_EQ(IsNullRect(o.ActiveSkinRect), !c.hasPicture);
    EXPECT_EQ(o.Morphing, c.hasPicture);
  }
}

TEST_F(VelmoraTest, BuiltInCaptionMakesRoomForItsButtons) {
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, nullptr);
  // The built-in look makes its six buttons; the border icons (system menu, minimize, maximize,
  // roll-up) show four at the right, 17 pixels each from the edge inward, and the system menu
  // at the left; the tray button stays hidden.
  v->CreateDefaultObjects();
  v->CalcDefRects();
  const struct {
    const char* name;
    TRect placed;
  } buttons[] = {{"closebutton", {280, 4, 297, 21}},
                 {"maxbutton", {263, 4, 280, 21}},
                 {"minbutton", {246, 4, 263, 21}},
                 {"rollupbutton", {229, 4, 246, 21}},
                 {"sysmenubutton", {3, 4, 20, 21}}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.name);
    EXPECT_EQ(v->ObjectList[static_cast<std::size_t>(v->GetIndex(b.name))]->ObjectRect, b.placed);
  }
  EXPECT_FALSE(v->ObjectList[static_cast<std::size_t>(v->GetIndex("traybutton"))]->Visible);
  EXPECT_EQ(v->NewDefCaptionRect, (TRect{20, 3, 229, 22}));
  // A hidden button takes no room; the caption is hit-tested over what is left.
  v->SetBorderIcons(TvlBorderIcons{TvlBorderIcon::biSystemMenu, TvlBorderIcon::biMinimize, TvlBorderIcon::biMaximize});
  v->CalcDefRects();
  EXPECT_EQ(v->NewDefCaptionRect, (TRect{20, 3, 246, 22}));
  EXPECT_EQ(HitAt(v->Form(), {240, 10}), HTCAPTION);
  EXPECT_EQ(HitAt(v->Form(), {250, 10}), HTOBJECT);
}

// ---- Painting into a device context ----------------------------------------------------------------------

// A 32-bit bitmap filled with one colour.
std::unique_ptr<TBitmap> Canvas(int w, int h, TColor fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(fill);
  b->Canvas()->FillRect(TRect{0, 0, w, h});
  return b;
}

COLORREF PixelOf(TBitmap* b, int x, int y) {
  const std::uint32_t v = static_cast<std::uint32_t*>(b->ScanLine(y))[x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

TEST_F(VelmoraTest, FrameIsPaintedIntoAGivenDeviceContextAroundTheClientArea) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  v->PreviewMode = true;  // counts as active: the active picture is drawn
  HWND h = v->Form()->Handle();
  const TColor sentinel = fixture_skin::Colour(200, 0, 0);
  auto target = Canvas(300, 200, sentinel);
  const auto dc = reinterpret_cast<WPARAM>(target->Canvas()->Handle());

  EXPECT_EQ(SendMessage(h, WM_vlPaintFrameToDC, dc, 0), vlPaintFrameToDCAnswer);
  // The caption band and a border come from the frame picture; the client area is untouched.
  EXPECT_EQ(PixelOf(target.get(), 150, 10), PixelOf(skin.FPicture.get(), 50, 10));
  EXPECT_EQ(PixelOf(target.get(), 2, 100), PixelOf(skin.FPicture.get(), 2, 40));
  EXPECT_EQ(PixelOf(target.get(), 150, 100), ColorToRGB(sentinel));
  // The DC's clip is given back as it was.
  target->Canvas()->Brush()->SetColor(clBlack);
  target->Canvas()->FillRect(TRect{0, 0, 300, 200});
  EXPECT_EQ(PixelOf(target.get(), 150, 100), RGB(0, 0, 0));

  // The extended request paints the same and answers its key; other keys and a DC of 0 are left.
  auto second = Canvas(300, 200, sentinel);
  const auto dc2 = reinterpret_cast<WPARAM>(second->Canvas()->Handle());
  EXPECT_EQ(SendMessage(h, WM_vlPaintFrameToDCEx, dc2, vlPaintFrameToDCExKey), vlPaintFrameToDCExKey);
  EXPECT_EQ(PixelOf(second.get(), 150, 10), PixelOf(skin.FPicture.get(), 50, 10));
  EXPECT_EQ(SendMessage(h, WM_vlPaintFrameToDC, 0, 0), 0);
}

TEST_F(VelmoraTest, InactiveFormShowsTheInactivePicture) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  auto target = Canvas(300, 200, clBlack);
  const auto dc = reinterpret_cast<WPARAM>(target->Canvas()->Handle());
  ASSERT_FALSE(v->GetFormActive());
  SendMessage(v->Form()->Handle(), WM_vlPaintFrameToDC, dc, 0);
  EXPECT_EQ(PixelOf(target.get(), 150, 10), PixelOf(skin.FInActivePicture.get(), 50, 10));
  v->PreviewMode = true;  // a preview form counts as active
  SendMessage(v->Form()->Handle(), WM_vlPaintFrameToDC, dc, 0);
  EXPECT_EQ(PixelOf(target.get(), 150, 10), PixelOf(skin.FPicture.get(), 50, 10));
  v->PreviewMode = false;

  // On the screen: the frame repaints as the activation moves to another form and back.
  v->Form()->Show();
  EXPECT_EQ(ScreenAt({250, 90}), PixelOf(skin.FPicture.get(), 50, 10));
  TvlVelmora* other = MakeSkinnedForm(TRect{450, 80, 750, 280}, &skin);
  other->Form()->Show();
  EXPECT_EQ(ScreenAt({250, 90}), PixelOf(skin.FInActivePicture.get(), 50, 10));
  EXPECT_EQ(ScreenAt({600, 90}), PixelOf(skin.FPicture.get(), 50, 10));
  v->Form()->SetFocus();
  EXPECT_EQ(ScreenAt({250, 90}), PixelOf(skin.FPicture.get(), 50, 10));
}

TEST_F(VelmoraTest, ClientBackgroundFollowsTheSkin) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TBitmap logo;
  logo.SetPixelFormat(TPixelFormat::pf32bit);
  logo.SetSize(10, 10);
  logo.Canvas()->Brush()->SetColor(fixture_skin::Colour(200, 0, 0));
  logo.Canvas()->FillRect(TRect{0, 0, 10, 10});
  v->SetLogoBitMap(&logo);
  TBitmap* texture = skin.FActivePictures[1].get();
  const COLORREF face = ColorToRGB(clBtnFace), red = RGB(200, 0, 0);
  // The client area is 292 x 172: the logo's centre is at (146, 86).
  const struct {
    const char* what;
    TRect clRect;
    int bgPicture;
    TPoint at;
    COLORREF expected;
  } cases[] = {
      {"client part of the frame picture", skin.ClRect, -1, {10, 10}, RGB(255, 255, 255)},
      {"logo over it", skin.ClRect, -1, {146, 86}, red},
      {"no client part: the face, no logo", TRect{}, -1, {146, 86}, face},
      {"background picture, tiled", skin.ClRect, 1, {17, 3}, PixelOf(texture, 1, 3)},
      {"background picture index outside the skin", skin.ClRect, 99, {10, 10}, face},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    skin.ClRect = c.clRect;
    skin.BGPictureIndex = c.bgPicture;
    auto target = Canvas(292, 172, clBlack);
    SendMessage(v->Form()->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(target->Canvas()->Handle()), 0);
    EXPECT_EQ(PixelOf(target.get(), c.at.X, c.at.Y), c.expected);
  }
  // Without a skin: the face and the logo.
  TvlVelmora* plain = MakeSkinnedForm(TRect{100, 80, 400, 280}, nullptr);
  plain->SetLogoBitMap(&logo);
  auto target = Canvas(294, 175, clBlack);
  SendMessage(plain->Form()->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(target->Canvas()->Handle()), 0);
  EXPECT_EQ(PixelOf(target.get(), 10, 10), face);
  EXPECT_EQ(PixelOf(target.get(), 147, 87), red);
}

// ---- Messages the component answers ---------------------------------------------------------------------------

// Records the messages that reach the form's procedure after the component (hooks run newest
// first, so a hook added before the component sees what it passes on).
struct Recorder {
  std::vector<TMessage> seen;
  int id = 0;
  void Attach(TControl* c) {
    id = c->AddWindowProcHook([this](TMessage& m, const TWndMethod& next) {
      seen.push_back(m);
      next(m);
    });
  }
  [[nodiscard]] bool Saw(UINT msg) const {
    return std::any_of(seen.begin(), seen.end(), [msg](const TMessage& m) { return m.Msg == msg; });
  }
};

TEST_F(VelmoraTest, SetCursorTakesTheFormCursorOverTheFrameExceptOnSizingBorders) {
  auto* f = CreateForm<TForm>(nullptr);
  forms.emplace_back(f);
  Recorder rec;
  rec.Attach(f);
  auto* v = new TvlVelmora(f);
  const struct {
    bool formCursor;
    LRESULT hit, passed;
  } cases[] = {{true, HTCAPTION, HTCLIENT},       {true, HTSYSMENU, HTCLIENT}, {true, HTOBJECT, HTCLIENT},
               {true, HTTOPLEFT, HTTOPLEFT},      {true, HTBOTTOM, HTBOTTOM},  {false, HTCAPTION, HTCAPTION},
               {false, HTOBJECT, HTOBJECT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.formCursor << " " << c.hit);
    v->UseFormCursorInNCArea = c.formCursor;
    rec.seen.clear();
    SendMessage(f->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f->Handle()),
                MAKELPARAM(static_cast<WORD>(c.hit), WM_MOUSEMOVE));
    ASSERT_TRUE(rec.Saw(WM_SETCURSOR));
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(rec.seen.back().LParam)), c.passed);
    EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(rec.seen.back().LParam)), WM_MOUSEMOVE);
  }
}

TEST_F(VelmoraTest, FrameQueriesAreAnsweredAndNotPassedOn) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  auto* f = CreateForm<TForm>(nullptr);
  f->SetBoundsRect(TRect{0, 0, 300, 200});
  forms.emplace_back(f);
  Recorder rec;
  rec.Attach(f);
  auto* v = new TvlVelmora(f);
  v->SetSkinData(&skin);
  HWND h = f->Handle();
  EXPECT_EQ(SendMessage(h, WM_vlSkinFrameQuery, 0, 0), vlSkinFrameQueryAnswer);
  EXPECT_EQ(SendMessage(h, WM_vlPaintFrameToDC, 0, 0), 0);
  EXPECT_EQ(SendMessage(h, WM_vlPaintFrameToDCEx, 0, vlPaintFrameToDCExKey), vlPaintFrameToDCExKey);
  EXPECT_FALSE(rec.Saw(WM_vlSkinFrameQuery) || rec.Saw(WM_vlPaintFrameToDC) || rec.Saw(WM_vlPaintFrameToDCEx));
  SendMessage(h, WM_vlPaintFrameToDCEx, 0, 1);  // not the key: passed on
  EXPECT_TRUE(rec.Saw(WM_vlPaintFrameToDCEx));

  v->SetSkinnableForm(false);
  h = f->Handle();
  EXPECT_EQ(SendMessage(h, WM_vlSkinFrameQuery, 0, 0), vlSkinFrameQueryPlatformFrame);
  rec.seen.clear();
  SendMessage(h, WM_vlPaintFrameToDC, 0, 0);
  EXPECT_TRUE(rec.Saw(WM_vlPaintFrameToDC));
}

// ---- The window-procedure hook -----------------------------------------------------------------------------

TEST_F(VelmoraTest, HooksComeOffInAnyOrder) {
  // Which of the component and another hook goes first; both orders leave a working chain.
  for (bool componentFirst : {true, false}) {
    SCOPED_TRACE(componentFirst ? "component freed first" : "other hook removed first");
    auto* f = CreateForm<TForm>(nullptr);
    f->SetBoundsRect(TRect{0, 0, 300, 200});
    forms.emplace_back(f);
    auto* v = new TvlVelmora(f);
    int otherCalls = 0;
    const int other = f->AddWindowProcHook([&otherCalls](TMessage& m, const TWndMethod& next) {
      ++otherCalls;
      next(m);
    });
    HWND h = f->Handle();
    EXPECT_EQ(SendMessage(h, WM_vlSkinFrameQuery, 0, 0), vlSkinFrameQueryAnswer);
    if (componentFirst) {
      delete v;
      otherCalls = 0;
      EXPECT_EQ(SendMessage(h, WM_vlSkinFrameQuery, 0, 0), 0);  // nobody answers it now
      EXPECT_EQ(otherCalls, 1);
      // The platform lays its own frame out again: caption and sizing border.
      EXPECT_LT(f->ClientHeight(), 200 - 19);
      EXPECT_EQ(HitAt(f, {150, 100}), HTCLIENT);
      f->RemoveWindowProcHook(other);
    } else {
      f->RemoveWindowProcHook(other);
      otherCalls = 0;
      EXPECT_EQ(SendMessage(h, WM_vlSkinFrameQuery, 0, 0), vlSkinFrameQueryAnswer);
      EXPECT_EQ(otherCalls, 0);
      delete v;
    }
    otherCalls = 0;
    EXPECT_EQ(SendMessage(h, WM_vlSkinFrameQuery, 0, 0), 0);
    EXPECT_EQ(otherCalls, 0);
  }
}

TEST_F(VelmoraTest, OwnerMustBeAForm) {
  TComponent owner(nullptr);
  EXPECT_THROW(TvlVelmora{&owner}, EInvalidCast);
  EXPECT_THROW(TvlVelmora{nullptr}, EInvalidCast);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST_F(VelmoraTest, AlphaBlendMakesTheFormLayered) {
  TvlVelmora* v = MakeSkinnedForm(TRect{0, 0, 300, 200}, nullptr);
  HWND h = v->Form()->Handle();
  const auto layered = [h] { return (GetWindowLong(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
  v->SetAlphaBlend(true);
  EXPECT_TRUE(layered());
  v->SetAlphaBlendValue(128);
  EXPECT_EQ(v->AlphaBlendValue(), 128);
  v->SetAlphaBlend(false);
  EXPECT_FALSE(layered());
  v->SetAlphaBlend(false);  // unchanged: nothing happens
  EXPECT_FALSE(layered());
}

// ---- Skin changes ------------------------------------------------------------------------------------------

// A panel that counts its part in skin changes.
class CountingPanel : public TvlSkinPanel {
 public:
  using TvlSkinPanel::TvlSkinPanel;
  void BeforeChangeSkinData() override {
    ++before;
    TvlSkinPanel::BeforeChangeSkinData();
  }
  void ChangeSkinData() override {
    ++changes;
    TvlSkinPanel::ChangeSkinData();
  }
  int before = 0, changes = 0;
};

TEST_F(VelmoraTest, SkinChangeReskinsOnlyTheControlsOfTheChangingContainer) {
  TvlSkinData formSkin(nullptr), otherSkin(nullptr);
  fixture_skin::Load(formSkin);
  fixture_skin::Load(otherSkin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &formSkin);
  TCustomForm* f = v->Form();
  auto* mine = new CountingPanel(f);
  mine->SetParent(f);
  mine->SetSkinData(&formSkin);
  auto* holder = new TvlSkinPanel(f);  // a panel of the other container holding one more
  holder->SetParent(f);
  holder->SetSkinData(&otherSkin);
  auto* nested = new CountingPanel(f);
  nested->SetParent(holder);
  nested->SetSkinData(&otherSkin);
  int before = 0, applied = 0, after = 0;
  v->OnBeforeChangeSkinData = [&](TObject*) { ++before; };
  v->OnChangeSkinData = [&](TObject*) { ++applied; };
  v->OnAfterChangeSkinData = [&](TObject*) { ++after; };
  const auto counts = [](CountingPanel* p) { return std::pair{p->before, p->changes}; };
  using Counts = std::pair<int, int>;
  mine->changes = nested->changes = 0;  // setting SkinData applied the skin once

  // The other container changes: only its controls follow; the form keeps painting its frame.
  // (The step before the change reaches the controls of forms that use the container.)
  fixture_skin::Load(otherSkin, Variant::Alternate);
  EXPECT_EQ(counts(nested), (Counts{0, 1}));
  EXPECT_EQ(counts(mine), (Counts{0, 0}));
  EXPECT_EQ(before, 0);
  EXPECT_EQ(applied, 0);
  EXPECT_EQ(after, 1);
  EXPECT_FALSE(v->FStopPainting);

  // The form's own container changes: the frame is applied anew and its controls follow.
  fixture_skin::Load(formSkin, Variant::Alternate);
  EXPECT_EQ(counts(mine), (Counts{1, 1}));
  EXPECT_EQ(counts(nested), (Counts{0, 1}));
  EXPECT_EQ(before, 1);
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(after, 2);
  EXPECT_FALSE(v->FStopPainting);
  // The alternate frame has a 30-row caption.
  EXPECT_EQ(f->ClientRect(), (TRect{0, 0, 292, 166}));

  // Switching the skinned frame off and on re-skins every control, whatever its container.
  v->SetSkinnableForm(false);
  EXPECT_EQ(counts(mine), (Counts{1, 2}));
  EXPECT_EQ(counts(nested), (Counts{0, 2}));
  v->SetSkinnableForm(true);
  EXPECT_EQ(counts(nested), (Counts{0, 3}));
  EXPECT_EQ(f->ClientRect(), (TRect{0, 0, 292, 166}));
}

TEST_F(VelmoraTest, FrameStopsPaintingWhileItsContainerIsBetweenSkins) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  auto* panel = new CountingPanel(v->Form());
  panel->SetParent(v->Form());
  panel->SetSkinData(&skin);
  bool stopped = false, objectsGone = false;
  v->OnBeforeChangeSkinData = [&](TObject*) {
    stopped = v->FStopPainting && !v->FSkinSupport;
    objectsGone = v->ObjectList.empty();
  };
  fixture_skin::Load(skin, Variant::Alternate);
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(objectsGone);
  EXPECT_FALSE(v->FStopPainting);
  EXPECT_TRUE(v->FSkinSupport);
  EXPECT_EQ(v->ObjectList.size(), 3u);

  // Clearing the skin leaves the built-in frame with its own six buttons.
  skin.ClearSkin();
  EXPECT_FALSE(v->FSkinSupport);
  EXPECT_EQ(v->ObjectList.size(), 6u);
  EXPECT_EQ(v->GetIndex("caption"), -1);
  EXPECT_EQ(v->Form()->ClientRect(), (TRect{0, 0, 294, 175}));
}

TEST_F(VelmoraTest, SkinChangeMessagesReachTheFormsInTheContainersOrder) {
  // Four forms: three use the container (owned by the second), the fourth another one.
  TvlSkinData other(nullptr);
  std::vector<TvlVelmora*> skinners;
  std::vector<std::string> log;
  for (int i = 0; i < 4; ++i) {
    TvlVelmora* v = MakeSkinnedForm(TRect{10 * i, 10 * i, 310 + 10 * i, 210 + 10 * i}, nullptr);
    const std::string n = std::to_string(i + 1);
    v->OnBeforeChangeSkinData = [&log, n](TObject*) { log.push_back("begin " + n); };
    v->OnChangeSkinData = [&log, n](TObject*) { log.push_back("apply " + n); };
    v->OnAfterChangeSkinData = [&log, n](TObject*) { log.push_back("end " + n); };
    skinners.push_back(v);
  }
  auto* skin = new TvlSkinData(skinners[1]->Form());
  for (int i : {0, 1, 2}) skinners[static_cast<std::size_t>(i)]->SetSkinData(skin);
  skinners[3]->SetSkinData(&other);
  // The screen's order of the forms, as numbers.
  std::vector<std::string> screen;
  for (int i = 0; i < Screen()->FormCount(); ++i)
    for (std::size_t k = 0; k < skinners.size(); ++k)
      if (Screen()->Forms(i) == skinners[k]->Form()) screen.push_back(std::to_string(k + 1));
  ASSERT_EQ(screen.size(), 4u);
  const auto expected = [&](std::vector<std::string> order) {
    std::vector<std::string> e;
    for (const char* step : {"begin ", "apply ", "end "})
      for (const std::string& n : order)
        if (std::string(step) == "end " || n != "4") e.push_back(step + n);
    return e;
  };

  // Layered borders off: the owner first, then the others in the screen's order.
  skin->SetShowLayeredBorders(false);
  log.clear();
  fixture_skin::Load(*skin);
  std::vector<std::string> ownerFirst{"2"};
  for (const std::string& n : screen)
    if (n != "2") ownerFirst.push_back(n);
  EXPECT_EQ(log, expected(ownerFirst));

  // Layered borders on: the screen's order, last to first when the skin has a layered frame.
  skin->SetShowLayeredBorders(true);
  log.clear();
  fixture_skin::Load(*skin);
  EXPECT_EQ(log, expected(screen));
  skin->LayerFrame->PictureIndex = 0;
  log.clear();
  skin->SendSkinDataMessage(WM_vlSkinChangeEnd);
  std::vector<std::string> reversed;
  for (auto it = screen.rbegin(); it != screen.rend(); ++it) reversed.push_back("end " + *it);
  EXPECT_EQ(log, reversed);
}

TEST_F(VelmoraTest, FormClosedFromItsOwnSkinHandlerIsFreedAfterTheHandler) {
  TvlSkinData skin(nullptr);
  fixture_skin::Load(skin);
  TvlVelmora* v = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TCustomForm* f = v->Form();
  auto* panel = new CountingPanel(f);
  panel->SetParent(f);
  panel->SetSkinData(&skin);
  panel->changes = 0;
  TWeak<TCustomForm> alive(f);
  f->OnClose = [](TObject*, TCloseAction& action) { action = TCloseAction::caFree; };
  v->OnChangeSkinData = [f](TObject*) { f->Close(); };
  forms.back().release();  // the form frees itself now
  fixture_skin::Load(skin, Variant::Alternate);
  // The rest of the change still reached the form's controls; the form went afterwards.
  ASSERT_TRUE(alive);
  EXPECT_EQ(panel->changes, 1);
  forms.pop_back();
  Pump();
  EXPECT_FALSE(alive);

  // A handler that frees its form at once: the component touches nothing afterwards.
  TvlVelmora* w = MakeSkinnedForm(TRect{100, 80, 400, 280}, &skin);
  TForm* doomed = forms.back().release();
  forms.pop_back();
  TWeak<TForm> doomedAlive(doomed);
  w->OnAfterChangeSkinData = [doomed](TObject*) { delete doomed; };
  fixture_skin::Load(skin);
  EXPECT_FALSE(doomedAlive);
  EXPECT_FALSE(skin.Empty);
}

}  // namespace
