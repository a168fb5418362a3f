#pragma once
// The test form of the skinned controls: a form of the converter's kind with a nine-part panel,
// a group box with a caption bar and labels, a transparent plain panel and a transparent group
// over a textured parent, a caption-check group, bevels; rendered headless and compared with an
// expected picture.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/ExpectedPicture.h"
#include "tests/support/ImageCompare.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/graphics/Surface.h"

namespace skinned_test_form {

// The background of a test form or board, W x H at the form's origin: a panel of the skin's
// BackgroundElement, or (nullptr) a paint panel with diagonal stripes drawn over its client part.
inline TvlSkinPanel* AddBackground(TForm* form, const char* backgroundElement, int W, int H) {
  TvlSkinPanel* back = nullptr;
  if (backgroundElement) {
    back = new TvlSkinPanel(form);
    back->SetSkinDataName(backgroundElement);
  } else {
    auto* paint = new TvlSkinPaintPanel(form);
    paint->OnPanelPaint = [](TCanvas* c, TRect r) {
      c->Pen()->SetWidth(1);
      c->Pen()->SetColor(static_cast<TColor>(0x00D8CCC0));
      for (int x = r.Left - r.Height(); x < r.Right; x += 8) {
        c->MoveTo(x, r.Top);
        c->LineTo(x + r.Height(), r.Bottom);
      }
    };
    back = paint;
  }
  back->SetParent(form);
  back->SetBounds(0, 0, W, H);
  return back;
}

// A form of the converter's kind on a textured background: a nine-part panel, a group box with
// a caption bar and labels, a transparent plain panel and a transparent group over the texture,
// a caption-check group, bevels and a splitter.
inline void BuildTestForm(TForm* form, TvlSkinData* skinData, const char* backgroundElement) {
  TvlSkinPanel* back = AddBackground(form, backgroundElement, 420, 300);

  auto* panel = new TvlSkinPanel(form);
  panel->SetParent(back);
  panel->SetBounds(12, 12, 180, 96);
  auto* title = new TvlSkinStdLabel(form);
  title->SetParent(panel);
  title->SetCaption("输出文件夹");
  title->SetBounds(12, 12, 120, 18);
  auto* text = new TvlSkinTextLabel(form);
  text->SetParent(panel);
  text->Lines()->Add("转换完成后打开");
  text->Lines()->Add("输出文件夹");
  text->SetBounds(12, 40, 150, 40);

  auto* group = new TvlSkinGroupBox(form);
  group->SetParent(back);
  group->SetCaption("视频设置");
  group->SetBounds(208, 12, 200, 130);
  const char* names[] = {"分辨率:", "帧率:", "比特率:"};
  for (int i = 0; i < 3; ++i) {
    auto* l = new TvlSkinStdLabel(form);
    l->SetParent(group);
    l->SetCaption(names[i]);
    l->SetBounds(14, 36 + 28 * i, 80, 18);
  }
  auto* divider = new TvlSkinBevel(form);
  divider->SetParent(group);
  divider->SetShape(TBevelShape::bsLeftLine);
  divider->SetDividerMode(true);
  divider->SetBounds(96, 34, 12, 84);

  auto* clear = new TvlSkinPanel(form);
  clear->SetParent(back);
  clear->SetTransparentMode(true);
  clear->SetBounds(12, 120, 180, 60);
  auto* clearLabel = new TvlSkinStdLabel(form);
  clearLabel->SetParent(clear);
  clearLabel->SetCaption("透明面板");
  clearLabel->SetBounds(10, 20, 100, 18);

  auto* clearGroup = new TvlSkinPanel(form);
  clearGroup->SetParent(back);
  clearGroup->SetCaptionMode(true);
  clearGroup->SetTransparentMode(true);
  clearGroup->SetRollUpMode(true);
  clearGroup->SetCaption("透明分组");
  clearGroup->SetBounds(12, 192, 180, 92);

  auto* checkGroup = new TvlSkinGroupBox(form);
  checkGroup->SetParent(back);
  checkGroup->SetCheckedMode(true);
  checkGroup->SetChecked(true);
  checkGroup->SetCaption("多线程转换");
  checkGroup->SetBounds(208, 156, 200, 74);
  auto* disabled = new TvlSkinStdLabel(form);
  disabled->SetParent(checkGroup);
  disabled->SetCaption("线程数");
  disabled->SetEnabled(false);
  disabled->SetBounds(14, 40, 80, 18);

  auto* line = new TvlSkinBevel(form);
  line->SetParent(back);
  line->SetShape(TBevelShape::bsTopLine);
  line->SetBounds(208, 244, 200, 2);
  auto* box = new TvlSkinBevel(form);
  box->SetParent(back);
  box->SetShape(TBevelShape::bsBox);
  box->SetBounds(208, 254, 200, 34);

  // Every control follows the container, as the form skinner sets them up.
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* c = form->Components(i);
    if (auto* w = dynamic_cast<TvlSkinControl*>(c)) w->SetSkinData(skinData);
    if (auto* l = dynamic_cast<TvlSkinStdLabel*>(c)) l->SetSkinData(skinData);
    if (auto* l = dynamic_cast<TvlSkinTextLabel*>(c)) l->SetSkinData(skinData);
    if (auto* b = dynamic_cast<TvlSkinBevel*>(c)) b->SetSkinData(skinData);
  }
}


// The folder of the expected pictures, tests/lib/expected. A compiler cache may hand the
// compiler a source path relative to the build folder, which is the test program's parent
// folder.
inline std::filesystem::path ExpectedFolder() {
  std::filesystem::path source(__FILE__);
  if (source.is_relative())
    source = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / source;
  return source.parent_path() / "expected";
}

// Pumps everything waiting, paints included.
inline void Pump() {
  MSG m;
  for (int guard = 0; guard < 100000 && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
}

// The screen pixels of a rectangle, rows top-down (0xAARRGGBB).
inline std::vector<std::uint32_t> Shot(THeadlessDisplay* display, const TRect& r) {
  Pump();
  auto shot = display->Screenshot(RGB(1, 2, 3));
  std::vector<std::uint32_t> out;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) out.push_back(shot->PixelAt(x, y) | 0xFF000000u);
  return out;
}

// Compares W x H pixels (rows top-down, 0xAARRGGBB) with ExpectedFolder/Name.png. The actual
// picture is written into the working directory as Name.actual.png.
inline void CompareWithExpected(const std::vector<std::uint32_t>& pixels, int W, int H,
                                const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  const std::filesystem::path expected = ExpectedFolder / (Name + ".png");
  if (expected_picture::RecordIfAsked(pixels.data(), W, H, W * 4, expected)) return;
  const std::string actual = Name + ".actual.png";
  SaveSurfacePng(actual, pixels.data(), W, H, W * 4, false);
  if (!std::filesystem::exists(expected)) {
    ADD_FAILURE() << "no expected picture " << expected << "; the actual one is " << std::filesystem::absolute(actual);
    return;
  }
  const pngcodec::Image want = LoadPngFile(expected.string());
  ASSERT_EQ(want.width, W);
  ASSERT_EQ(want.height, H);
  const TSurfaceDifference d = CompareSurfaces(pixels.data(), W * 4, want.bgra.data(), want.width * 4, W, H, 8, false);
  // Glyph edges may move by a shade between font builds; shapes and colours may not.
  EXPECT_LE(d.DifferingPixels, 40) << "see " << std::filesystem::absolute(actual);
}

// Builds a W x H form at the screen's top-left corner with Build, shows it, lets Prepare drive
// it into the states to show (it may be empty), and compares what the screen shows with
// ExpectedFolder/Name.png. The actual picture is written into the working directory.
inline void RenderFormAndCompare(THeadlessDisplay* display, int W, int H, const std::function<void(TForm*)>& Build,
                                 const std::function<void(TForm*)>& Prepare,
                                 const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  auto* form = CreateForm<TForm>(nullptr);
  std::unique_ptr<TForm> owner(form);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBoundsRect(TRect{0, 0, W, H});
  form->SetColor(clBtnFace);
  Build(form);
  form->Show();
  Pump();
  if (Prepare) Prepare(form);
  const auto pixels = Shot(display, TRect{0, 0, W, H});
  owner.reset();
  Pump();
  CompareWithExpected(pixels, W, H, ExpectedFolder, Name);
}

// Runs a modal dialog with Execute; when its window (of class Dialog) first becomes active,
// Prepare drives it into the state to show, the window is shot and closed; the picture is
// compared with ExpectedFolder/Name.png.
template <class Dialog>
void RenderDialogAndCompare(THeadlessDisplay* display, const std::function<void(Dialog*)>& Prepare,
                            const std::function<void()>& Execute, const std::filesystem::path& ExpectedFolder,
                            const std::string& Name) {
  std::vector<std::uint32_t> pixels;
  TRect bounds;
  bool shot = false;
  Screen()->OnActiveFormChange = [&](TObject*) {
    auto* form = dynamic_cast<Dialog*>(Screen()->ActiveForm());
    if (!form || shot) return;
    shot = true;
    if (Prepare) Prepare(form);
    Pump();
    bounds = form->BoundsRect();
    pixels = Shot(display, bounds);
    PostMessage(form->Handle(), WM_CLOSE, 0, 0);
  };
  Execute();
  Screen()->OnActiveFormChange = nullptr;
  Pump();
  ASSERT_TRUE(shot);
  CompareWithExpected(pixels, bounds.Width(), bounds.Height(), ExpectedFolder, Name);
}

// The test form of the panel family, labels and bevels.
inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* skinData, const char* backgroundElement,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  RenderFormAndCompare(
      display, 420, 300, [&](TForm* form) { BuildTestForm(form, skinData, backgroundElement); }, nullptr,
      ExpectedFolder, Name);
}

}  // namespace skinned_test_form
