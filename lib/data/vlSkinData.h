#pragma once
// TvlSkinData: the component that holds one loaded skin (frame pictures, further pictures,
// form-frame geometry, object and control element descriptions, skin colours), answers element
// lookups by name and tells the forms about every skin change through window messages.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlDataSkinObjects.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/Component.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

class TvlCompressedStoredSkin;
class TvlCompressedSkinList;
class TvlResourceStrData;

// Skin change messages; wParam is the container, lParam 1000.
constexpr UINT WM_vlSkinChangeBegin = 0x400 + 201;         // 1225
constexpr UINT WM_vlSkinChanged = 0x400 + 202;             // 1226
constexpr UINT WM_vlSkinChangeEnd = 0x400 + 203;           // 1227
constexpr UINT WM_vlResourceStringsChanged = 0x400 + 250;  // 1274
constexpr UINT WM_vlSkinnableFormChanged = 0x400 + 270;    // 1294
constexpr UINT WM_vlLayeredBordersChanged = 0x400 + 403;   // 1427
constexpr LPARAM vlSkinMessageLParam = 1000;
// Paints a window's frame into the device context in wParam: a skinned form draws its skinned
// frame, a skinned view (which has none) only answers. Answered vlPaintFrameToDCAnswer.
constexpr UINT WM_vlPaintFrameToDC = 0xB1C9;
constexpr LRESULT vlPaintFrameToDCAnswer = 12851;
// The same with lParam vlPaintFrameToDCExKey, answered vlPaintFrameToDCExKey.
constexpr UINT WM_vlPaintFrameToDCEx = 0xBC4B;
constexpr LPARAM vlPaintFrameToDCExKey = 16802;

// ---- how the container reaches the forms ----

struct TvlScreenForm {
  HWND Handle = nullptr;
  std::string ClassName;  // "TvlFormLayerWindow" for the layered border windows
};

// The container's view of the application's forms: by default the platform screen's forms that
// have a window and SendMessage; tests install recorders in their place.
struct TvlFormDirectory {
  // The screen's forms, in the screen's form order.
  std::function<std::vector<TvlScreenForm>()> ScreenForms;
  // The window of a component that is a form, nullptr for any other component.
  std::function<HWND(TComponent*)> FormHandle;
  // Delivers a message synchronously (SendMessage).
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Send;
};

// The one directory of the process (GUI thread only).
[[nodiscard]] TvlFormDirectory& vlFormDirectory();

// ---- the skin itself ----

// Everything a load replaces, kept together so that a load can build a complete new skin aside
// and put it in place in one step.
struct TvlSkinContent {
  TvlSkinContent();
  TvlSkinContent(TvlSkinContent&&) noexcept;
  TvlSkinContent& operator=(TvlSkinContent&&) noexcept;
  ~TvlSkinContent();

  std::unique_ptr<TvlSkinColors> FSkinColors;
  TRect ButtonsRect{};
  TRect CaptionRect{};
  std::int32_t ButtonsOffset = 0;
  bool CapButtonsInLeft = false;
  bool AutoRenderingInActiveImage = false;
  TvlInActiveEffect InActiveEffect = TvlInActiveEffect::ieBrightness;
  std::unique_ptr<TvlDataSkinPopupWindow> PopupWindow;
  std::unique_ptr<TvlDataSkinLayerFrame> LayerFrame;
  std::unique_ptr<TvlDataSkinHintWindow> HintWindow;
  std::unique_ptr<TBitmap> FPicture;
  std::unique_ptr<TBitmap> FInActivePicture;
  std::unique_ptr<TBitmap> FMask;
  // The further pictures; every "...pictureindex" of the description indexes this list, and -1
  // or an index at or beyond its size means no picture.
  std::vector<std::unique_ptr<TBitmap>> FActivePictures;
  std::string FPictureName;
  std::string FInActivePictureName;
  std::string FMaskName;
  std::unique_ptr<TStringList> FActivePicturesNames;
  std::vector<std::unique_ptr<TvlDataSkinObject>> ObjectList;
  std::vector<std::unique_ptr<TvlDataSkinControl>> CtrlList;
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  std::int32_t BGPictureIndex = -1;
  std::int32_t MDIBGPictureIndex = -1;
  bool MainMenuPopupUp = false;
  TRect MaskRectArea{};
  TPoint HitTestLTPoint{}, HitTestRTPoint{}, HitTestLBPoint{}, HitTestRBPoint{};
  TRect ClRect{};
  std::int32_t BorderW = 0;
  std::int32_t FormMinWidth = 0;
  bool MDITabsTransparent = false;
  bool MainMenuBarTransparent = false;
  bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false;
  bool StretchEffect = false;
  TvlStretchType StretchType = TvlStretchType::vlstFull;
  bool MDIBGStretchEffect = false;
  TvlStretchType MDIBGStretchType = TvlStretchType::vlstFull;
  std::string SkinName, SkinAuthor, AuthorURL, AuthorEmail, SkinComments;

  // The FORMINFO keys bound to the fields above, in the writer's order.
  void BindFormInfoKeys(TvlSkinKeys& Keys);
  // Reads FORMINFO and normalises it (mask area, hit-test points, corner points).
  void ReadFormInfo(TCustomIniFile* IniFile);
  void WriteFormInfo(TCustomIniFile* IniFile);
  void ReadSkinObjects(TCustomIniFile* IniFile);
  void ReadSkinControls(TCustomIniFile* IniFile);
  void WriteSkinObjects(TCustomIniFile* IniFile);
  void WriteSkinControls(TCustomIniFile* IniFile);
  void WriteActivePictureList(TCustomIniFile* IniFile);
  // VERSION and the three picture names of PICTURES.
  void ReadVersionAndPictureNames(TCustomIniFile* IniFile);
  // FORMINFO, POPUPWINDOW, LAYERFRAME, HINTWINDOW, SKINCOLORS, SKINOBJECTS, SKINCONTROLS. A listed
  // element or a popup, layer or hint window that refused a value (vlSkinDescription.h) is
  // replaced by nothing, so what uses it draws its built-in look; a refused FORMINFO key keeps
  // its default.
  void ReadSections(TCustomIniFile* IniFile);
  // Once the pictures are in place: drops (with a skin log line) each control element whose
  // "skinrect" does not lie inside its picture.
  void DropElementsOutsidePictures();
  // The whole description, every section in the writer's order.
  void WriteSkinDescription(TCustomIniFile* IniFile);
};

// Splits "IDName:typeword" at the first colon; an entry without one gives two empty texts.
void SplitObjectEntry(const std::string& Entry, std::string& IDName, std::string& TypeWord);

// Reads the BMP file at Data (its length from its own header, at most Size bytes) into Bitmap
// and answers that length. Raises EInvalidGraphic for a truncated or malformed file.
std::size_t vlReadSkinBitmap(TBitmap* Bitmap, const std::uint8_t* Data, std::size_t Size);
// Writes a non-empty Bitmap as a BMP file (24-bit, or 32-bit for any other format).
void vlWriteSkinBitmap(TBitmap* Bitmap, TStream* Stream);
void vlLoadSkinBitmapFile(TBitmap* Bitmap, const std::string& FileName);
// A picture file name taken from a description: a plain name, no folder part, not "." or "..".
// Anything else raises EFOpenError.
void vlCheckPictureName(const std::string& Name);

class TvlSkinData : public TComponent, public TvlSkinContent {
 public:
  explicit TvlSkinData(TComponent* AOwner);
  ~TvlSkinData() override;

  bool Empty = true;                    // no skin loaded
  bool ChangeSkinDataProcess = false;   // a skin is being replaced
  bool AnimationForAllWindows = false;  // every skinned form fades in when shown
  bool EnableSkinEffects = true;        // hover morphing and animations
  bool ShowButtonGlowFrames = true;
  bool ShowCaptionButtonGlowFrames = true;

  // Index of the first description named exactly AIDName (case-sensitive), -1 when none.
  [[nodiscard]] int GetIndex(const std::string& AIDName) const;
  [[nodiscard]] int GetControlIndex(const std::string& AIDName) const;

  // Sends M (wParam this, lParam 1000) to the owner form first when layered borders are off,
  // then to every other form except the layered border windows: last to first when layered
  // borders are on and the skin has a layer-frame picture, else first to last.
  void SendSkinDataMessage(UINT M);

  // The loads below build the new skin aside; only a complete skin replaces the current one and
  // sends SkinChangeBegin, SkinChanged and SkinChangeEnd. A failed load raises its error and
  // leaves the current skin and the forms untouched.
  void LoadCompressedStoredSkin(TvlCompressedStoredSkin* AStoredSkin);
  // An INI description with its BMP files in the same folder; a file that is not a skin file
  // changes nothing.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  // SaveToFile, then the non-empty frame pictures and the further pictures as BMP files beside it.
  void StoreToDisk(const std::string& AFileName);
  void LoadFromCompressedFile(const std::string& FileName);
  void SaveToCompressedFile(const std::string& FileName);

  void AddBitMap(const std::string& FileName);
  void DeleteBitMap(int Index);  // raises EListError for an index outside the list
  void ClearObjects();
  void ClearAll();
  void ClearSkin();

  [[nodiscard]] TvlSkinColors* SkinColors() const { return FSkinColors.get(); }

  [[nodiscard]] bool SkinnableForm() const { return FSkinnableForm; }
  void SetSkinnableForm(bool Value);
  [[nodiscard]] bool ShowLayeredBorders() const { return FShowLayeredBorders; }
  void SetShowLayeredBorders(bool Value);
  [[nodiscard]] TvlCompressedSkinList* SkinList() const { return FCompressedSkinList; }
  void SetSkinList(TvlCompressedSkinList* Value);
  [[nodiscard]] int SkinIndex() const { return FCompressedSkinIndex; }
  void SetSkinIndex(int Value);
  [[nodiscard]] TvlCompressedStoredSkin* CompressedStoredSkin() const { return FCompressedStoredSkin; }
  void SetCompressedStoredSkin(TvlCompressedStoredSkin* Value);
  [[nodiscard]] TvlResourceStrData* ResourceStrData() const { return FResourceStrData; }
  void SetResourceStrData(TvlResourceStrData* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  [[nodiscard]] bool Designing() const;
  void Watch(TComponent* Old, TComponent* New);
  // Puts a complete new skin in place with the three change messages.
  void ReplaceSkin(TvlSkinContent&& NewSkin);
  void LoadSkinListItem(int Index);

  TvlCompressedSkinList* FCompressedSkinList = nullptr;
  int FCompressedSkinIndex = 0;
  bool FSkinnableForm = true;
  TvlCompressedStoredSkin* FCompressedStoredSkin = nullptr;
  TvlResourceStrData* FResourceStrData = nullptr;
  bool FShowLayeredBorders = true;
};

// The interface text of Key: the answer of SD's text table (empty when the table lacks the key),
// the built-in English text when there is no skin data or no table.
[[nodiscard]] std::string vlInterfaceText(const TvlSkinData* SD, const char* Key);
