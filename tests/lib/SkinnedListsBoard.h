#pragma once
// A board of the skinned lists: a list of forty items with images and tab stops in the strip
// look (focused, its bar scrolled), a list in the stretched look, a captioned list with its
// buttons (one under the mouse), a list of long lines with both bars, and up-downs in their
// looks; rendered headless and compared with expected pictures.

#include <memory>
#include <string>

#include "SkinnedTestForm.h"
#include "lib/controls/vlSkinBoxCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ImageList.h"

namespace skinned_lists_board {

using skinned_test_form::Pump;

// Three 16 x 16 images: a film frame, a note and a disc, each in its own colour.
inline std::unique_ptr<TCustomImageList> ItemImages() {
  auto images = std::make_unique<TCustomImageList>(nullptr);
  images->SetSize(16, 16);
  const std::uint32_t colours[] = {0xFF3A78C2u, 0xFF2E8B57u, 0xFFC27A3Au};
  for (int i = 0; i < 3; ++i) {
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        std::uint32_t c = 0xFFFF00FFu;
        const int dx = x - 8, dy = y - 8;
        if (i == 0 && x >= 2 && x <= 13 && y >= 3 && y <= 12) c = (x == 2 || x == 13 || y == 3 || y == 12) ? colours[i] : 0xFFDCE8F6u;
        if (i == 0 && (x == 4 || x == 11) && y % 2 == 0 && y >= 4 && y <= 11) c = colours[i];
        if (i == 1 && ((x >= 9 && x <= 10 && y >= 3 && y <= 11) || (dx + 3) * (dx + 3) + (dy - 4) * (dy - 4) <= 6))
          c = colours[i];
        if (i == 2 && dx * dx + dy * dy <= 42 && dx * dx + dy * dy > 4) c = colours[i];
        static_cast<std::uint32_t*>(b.ScanLine(y))[x] = c;
      }
    images->AddMasked(&b, static_cast<TColor>(0x00FF00FF));
  }
  return images;
}

struct Board {
  TvlSkinListBox* focused = nullptr;
  TvlSkinListBox* discs = nullptr;
  TvlSkinListBox* captioned = nullptr;
  std::unique_ptr<TCustomImageList> images;  // outlives the form
};

inline TvlSkinListBox* NewList(TForm* form, TWinControl* parent, TRect r) {
  auto* list = new TvlSkinListBox(form);
  list->SetParent(parent);
  list->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  return list;
}

inline void Build(TForm* form, TvlSkinData* skinData, Board& board) {
  TvlSkinPanel* back = skinned_test_form::AddBackground(form, nullptr, 420, 300);
  board.images = ItemImages();

  // Forty items with the film image and two tab stops, the seventh focused.
  auto* files = NewList(form, back, TRect{10, 10, 200, 170});
  TStringList tabs;
  tabs.Add("80");
  tabs.Add("128");
  files->SetTabWidths(&tabs);
  files->SetImages(board.images.get());
  files->SetImageIndex(0);
  for (int i = 0; i < 40; ++i)
    files->Items()->Add("片段 " + std::to_string(i + 1) + "\t" + std::to_string(12 + i) + " MB\t0:" +
                        std::to_string(10 + i));
  board.focused = files;

  // The stretched look: taller rows than the skin's item picture, every item the disc.
  auto* discs = NewList(form, back, TRect{210, 10, 410, 110});
  discs->UseSkinItemHeight = false;
  discs->SetDefaultItemHeight(24);
  discs->SetImages(board.images.get());
  discs->SetImageIndex(2);
  for (const char* s : {"光盘 1", "光盘 2", "光盘 3", "光盘 4"}) discs->Items()->Add(s);
  board.discs = discs;

  // A captioned list with its buttons.
  auto* presets = NewList(form, back, TRect{210, 120, 410, 230});
  presets->SetSkinDataName("captionlistbox");
  presets->SetCaptionMode(true);
  presets->SetCaption("预设");
  for (const char* s : {"手机", "电脑", "光盘", "网页"}) presets->Items()->Add(s);
  board.captioned = presets;

  // Long lines: a horizontal bar beside the vertical one.
  auto* wide = NewList(form, back, TRect{10, 180, 200, 290});
  wide->SetHorizontalExtent(true);
  for (int i = 0; i < 8; ++i)
    wide->Items()->Add("/媒体/视频/第 " + std::to_string(i + 1) + " 集/原始素材与字幕.avi");

  // Up-downs: horizontal and vertical in the element's size, and the free-size button look.
  auto* h = new TvlSkinUpDown(form);
  h->SetParent(back);
  h->SetBounds(220, 245, 50, 25);
  auto* v = new TvlSkinUpDown(form);
  v->SetParent(back);
  v->SetSkinDataName("vupdown");
  v->SetOrientation(TUDOrientation::udVertical);
  v->SetBounds(285, 240, 25, 40);
  auto* free = new TvlSkinUpDown(form);
  free->SetParent(back);
  free->UseSkinSize = false;
  free->SetBounds(325, 245, 70, 24);

  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TvlSkinControl*>(form->Components(i))) c->SetSkinData(skinData);
}

// Selects and focuses the seventh file, scrolls the files down by three rows, selects the
// second disc and the first preset, and rests the mouse on the preset list's down button.
inline void Prepare(THeadlessDisplay* display, Board& board) {
  board.focused->SetItemIndex(6);
  board.focused->ListBox->SetFocus();
  board.focused->SetTopIndex(3);
  board.focused->UpDateScrollBar();
  board.discs->SetItemIndex(1);
  board.captioned->SetItemIndex(0);
  const TRect down = board.captioned->CaptionButton(TvlSkinCustomListBox::kDownButton).R;
  display->MouseMove(board.captioned->ClientToScreen(TPoint{(down.Left + down.Right) / 2, (down.Top + down.Bottom) / 2}));
  Pump();
}

inline void RenderAndCompare(THeadlessDisplay* display, TvlSkinData* skinData,
                             const std::filesystem::path& ExpectedFolder, const std::string& Name) {
  Board board;
  skinned_test_form::RenderFormAndCompare(
      display, 420, 300, [&](TForm* form) { Build(form, skinData, board); },
      [&](TForm*) { Prepare(display, board); }, ExpectedFolder, Name);
  display->MouseMove({799, 599});
  Pump();
}

}  // namespace skinned_lists_board
