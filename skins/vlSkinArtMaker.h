#pragma once
// The element makers the two skins are assembled from. Each maker draws the images of one
// element in all its states into the skin's control atlas (picture 0) and adds the element's
// description, with every rectangle pointing at those images.

#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlDataSkinObjects.h"
#include "lib/data/vlSkinData.h"
#include "skins/vlSkinArtKit.h"

namespace vlart {

class Maker {
 public:
  explicit Maker(TvlSkinData* Skin) : skin(Skin), atlas(360) {}

  template <typename T>
  T* Control(const std::string& Name) {
    auto e = std::make_unique<T>(Name);
    e->PictureIndex = 0;
    T* p = e.get();
    skin->CtrlList.push_back(std::move(e));
    return p;
  }
  template <typename T>
  T* Object(const std::string& Name) {
    auto e = std::make_unique<T>(Name);
    T* p = e.get();
    skin->ObjectList.push_back(std::move(e));
    return p;
  }
  // Pictures after the atlas (index 1 on); answers the index.
  int AddPicture(const std::string& FileName, const TvlArtCanvas& Picture, bool Alpha = false);
  // Puts the atlas in as picture 0 (call once, after every element).
  void FinishAtlas(const std::string& FileName);

  TvlSkinData* skin;
  Atlas atlas;

 private:
  struct Pending {
    std::string Name;
    TvlArtCanvas Picture;
    bool Alpha;
  };
  std::vector<Pending> pictures_;
};

// The five face states drawn W x H over Back.
std::vector<TvlArtCanvas> FaceStates(int W, int H, FaceStyle Style, TvlArgb Back);

enum class ButtonKind {
  Plain,      // push buttons and the like
  Marked,     // buttons that menu buttons and combo boxes draw a drop-down marker on
  Menu,       // menu-button elements: a track part at the right with the arrow in the images
  SplitMenu,  // the same for track-mode buttons, the track part divided off once the face shows
};
// The width of a menu button's track part.
inline constexpr int kTrackWidth = 15;

// Button-kind elements: normal, hover, pressed, disabled and focused images. Menu kinds are
// three-part elements of a fixed height whose track part follows the right edge.
TvlDataSkinButtonControl* AddButton(Maker& M, const std::string& Name, int W, int H, int Margin, FaceStyle Style,
                                    TvlArgb Back, ButtonKind Kind = ButtonKind::Plain);
// The drop-down markers (flat, normal, hover, pressed) of a button element.
void AddMenuMarkers(Maker& M, TvlDataSkinButtonControl& E);
TvlDataSkinPanelControl* AddPanel(Maker& M, const std::string& Name, const TvlArtCanvas& Image, int Margin,
                                  int MarginY = -1);
TvlDataSkinCheckRadioControl* AddCheckRadio(Maker& M, const std::string& Name, bool Radio, TvlArgb Back);
TvlDataSkinScrollBarControl* AddScrollBar(Maker& M, const std::string& Name, bool Vertical, bool Both);
TvlDataSkinEditControl* AddEdit(Maker& M, const std::string& Name, bool WithButton, bool Memo);
TvlDataSkinComboBox* AddComboBox(Maker& M, const std::string& Name);
TvlDataSkinListBox* AddListBox(Maker& M, const std::string& Name, bool Caption, bool Check);
TvlDataSkinUpDownControl* AddUpDown(Maker& M, const std::string& Name, bool Vertical);
void AddLabels(Maker& M);
void AddSlider(Maker& M);
void AddSplitters(Maker& M);
void AddViews(Maker& M);
void AddTabs(Maker& M);
void AddMenus(Maker& M);
void AddFrame(Maker& M);
void AddLayerFrame(Maker& M);

// The slider element's ruler and one state of its thumb (16 x 16), on the form colour.
TvlArtCanvas SliderRuler(bool Vertical, int Length);
TvlArtCanvas SliderThumb(bool Vertical, Face F);
// A check or radio box image 16 x 16 over Back: Checked 0 off, 1 on, 2 grayed.
TvlArtCanvas CheckImage(bool Radio, int Checked, Face F, TvlArgb Back);
// A caption-button glyph: 0 close, 1 maximize, 2 restore, 3 minimize.
void DrawCaptionGlyph(TvlArtCanvas& C, const TRect& R, int Kind, TvlArgb Colour);

void SetSkinColors(TvlSkinData* Skin);

}  // namespace vlart
