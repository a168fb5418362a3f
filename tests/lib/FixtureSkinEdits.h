#pragma once
// The edit elements of the fixture skin, added to a filled skin (fixture_skin::Fill): a plain
// edit, an edit with a button and the button element skinned edits without the skin font draw
// their button from. Same calm blue-grey as the rest of the fixture; every pixel computed.
//
// Picture layout (one picture, 200 x 72):
//   edit        (0,0)-(60,24)     normal; active (60,0)-(120,24); frame 4 pixels, white field
//   buttonedit  (0,24)-(80,48)    normal, button the last 20 columns; active (80,24)-(160,48)
//   overlays    (0,48)-(18,70)    hot, (20,48)-(38,70) down, (40,48)-(58,70) disabled
//   editbutton  (60,48)-(80,70)   normal; hot (80,48)-(100,70); down (100,48)-(120,70)

#include <cstdint>

#include "FixtureSkin.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlSkinData.h"

namespace fixture_skin {

// Where the edit elements' colours can be read back.
struct EditColours {
  std::uint32_t Border, ActiveBorder, Field, ActiveField;
};
inline EditColours EditColoursOf() {
  return {Rgb(143, 163, 191), Rgb(52, 104, 170), Rgb(255, 255, 255), Rgb(246, 250, 255)};
}

inline void AddEditElements(TvlSkinData& skin) {
  const Tone tone{52, 104, 170};
  const EditColours c = EditColoursOf();
  const std::uint32_t back = Rgb(236, 240, 246), dots = Rgb(96, 112, 136);
  auto picture = NewPicture(200, 72, back);
  Painter p(*picture);
  // A field: one-pixel border, rounded corners on the background, the field colour inside.
  auto field = [&](int l, int t, int r, int b, bool active) {
    Box(p, l, t, r, b, active ? c.ActiveBorder : c.Border, active ? Rgb(214, 228, 246) : c.Field,
        active ? c.ActiveField : c.Field, back);
  };
  auto ellipsis = [&](int l, int t, std::uint32_t colour) {
    for (int k = 0; k < 3; ++k) p.Fill(l + 5 + 4 * k, t + 10, l + 7 + 4 * k, t + 12, colour);
  };
  field(0, 0, 60, 24, false);
  field(60, 0, 120, 24, true);
  for (int i = 0; i < 2; ++i) {
    const int l = 80 * i;
    field(l, 24, l + 80, 48, i == 1);
    p.Fill(l + 59, 28, l + 60, 44, c.Border);  // the divider before the button
    ellipsis(l + 60, 25, dots);
  }
  const std::uint32_t faces[] = {Rgb(229, 239, 251), Rgb(204, 222, 245), Rgb(240, 242, 245)};
  for (int i = 0; i < 3; ++i) {
    p.Fill(20 * i, 48, 20 * i + 18, 70, faces[i]);
    ellipsis(20 * i, 48, i == 2 ? Rgb(190, 198, 208) : tone.Accent(-20));
  }
  for (int i = 0; i < 3; ++i) {
    const int l = 60 + 20 * i;
    Box(p, l, 48, l + 20, 70, i == 0 ? c.Border : tone.Accent(i == 1 ? 40 : 0), Rgb(255, 255, 255),
        i == 0 ? Rgb(246, 248, 251) : faces[i - 1], back);
    ellipsis(l + 1, 48, i == 0 ? dots : tone.Accent(-20));
  }
  const int index = static_cast<int>(skin.FActivePictures.size());
  skin.FActivePictures.push_back(std::move(picture));
  skin.FActivePicturesNames->Add("edits.bmp");

  auto* edit = Add<TvlDataSkinEditControl>(skin, "edit");
  SetNine(edit, TRect{0, 0, 60, 24}, TPoint{6, 0}, TPoint{54, 0}, TPoint{}, TPoint{}, TRect{4, 4, 56, 20});
  edit->PictureIndex = index;
  edit->ActiveSkinRect = TRect{60, 0, 120, 24};
  edit->FontName = "Tahoma";
  edit->FontHeight = 14;
  edit->FontColor = Colour(31, 58, 95);
  edit->ActiveFontColor = Colour(20, 60, 130);
  edit->DisabledFontColor = Colour(150, 160, 175);

  auto* buttonEdit = Add<TvlDataSkinEditControl>(skin, "buttonedit");
  SetNine(buttonEdit, TRect{0, 24, 80, 48}, TPoint{6, 0}, TPoint{56, 0}, TPoint{}, TPoint{}, TRect{4, 4, 58, 20});
  buttonEdit->PictureIndex = index;
  buttonEdit->ActiveSkinRect = TRect{80, 24, 160, 48};
  buttonEdit->FontName = "Tahoma";
  buttonEdit->FontHeight = 14;
  buttonEdit->FontColor = edit->FontColor;
  buttonEdit->ActiveFontColor = edit->ActiveFontColor;
  buttonEdit->DisabledFontColor = edit->DisabledFontColor;
  buttonEdit->ButtonRect = TRect{61, 1, 79, 23};
  buttonEdit->ActiveButtonRect = TRect{0, 48, 18, 70};
  buttonEdit->DownButtonRect = TRect{20, 48, 38, 70};
  buttonEdit->UnEnabledButtonRect = TRect{40, 48, 58, 70};

  auto* button = Add<TvlDataSkinButtonControl>(skin, "editbutton");
  SetNine(button, TRect{60, 48, 80, 70}, TPoint{4, 4}, TPoint{16, 4}, TPoint{4, 18}, TPoint{16, 18},
          TRect{3, 3, 17, 19});
  button->PictureIndex = index;
  button->ActiveSkinRect = TRect{80, 48, 100, 70};
  button->DownSkinRect = TRect{100, 48, 120, 70};
  SetButtonLook(button, tone);
}

}  // namespace fixture_skin
