#include "lib/data/vlSkinData.h"

#include <cstring>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/data/vlconst.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/core/Exceptions.h"
#include "platform/controls/Forms.h"
#include "platform/core/IniFiles.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/SysUtils.h"

// ---- form directory ----

TvlFormDirectory& vlFormDirectory() {
  // The screen's forms that have a window, in the screen's order; a form without a window has
  // nothing to repaint and is not made to create one.
  static TvlFormDirectory directory{
      [] {
        std::vector<TvlScreenForm> forms;
        TScreen* screen = Screen();
        for (int i = 0; i < screen->FormCount(); ++i) {
          TCustomForm* form = screen->Forms(i);
          if (form->HandleAllocated()) forms.push_back({form->Handle(), form->ClassName()});
        }
        return forms;
      },
      [](TComponent* Component) -> HWND {
        auto* form = dynamic_cast<TCustomForm*>(Component);
        return form && form->HandleAllocated() ? form->Handle() : nullptr;
      },
      [](HWND Wnd, UINT Msg, WPARAM wParam, LPARAM lParam) { return SendMessage(Wnd, Msg, wParam, lParam); },
  };
  return directory;
}

// ---- pictures ----

std::size_t vlReadSkinBitmap(TBitmap* Bitmap, const std::uint8_t* Data, std::size_t Size) {
  std::size_t consumed = 0;
  bmp::Image image = bmp::Decode(Data, Size, &consumed);
  const bool alpha = image.bitsPerPixel == 32;
  Bitmap->SetPixelFormat(alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
  Bitmap->SetSize(image.width, image.height);
  for (int y = 0; y < image.height; ++y) {
    auto* row = static_cast<std::uint8_t*>(Bitmap->ScanLine(y));
    const std::uint8_t* src = image.bgra.data() + static_cast<std::size_t>(y) * image.width * 4;
    if (alpha) {
      std::memcpy(row, src, static_cast<std::size_t>(image.width) * 4);
    } else {
      for (int x = 0; x < image.width; ++x) {
        row[x * 3] = src[x * 4];
        row[x * 3 + 1] = src[x * 4 + 1];
        row[x * 3 + 2] = src[x * 4 + 2];
      }
    }
  }
  return consumed;
}

void vlWriteSkinBitmap(TBitmap* Bitmap, TStream* Stream) {
  TBitmap copy;
  TBitmap* source = Bitmap;
  const bool rgb = Bitmap->PixelFormat() == TPixelFormat::pf24bit;
  if (!rgb && Bitmap->PixelFormat() != TPixelFormat::pf32bit && Bitmap->PixelFormat() != TPixelFormat::pfDevice) {
    copy.Assign(Bitmap);
    copy.SetPixelFormat(TPixelFormat::pf32bit);
    source = &copy;
  }
  bmp::Image image;
  image.width = source->Width();
  image.height = source->Height();
  image.bitsPerPixel = rgb ? 24 : 32;
  image.bgra.resize(static_cast<std::size_t>(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(source->ScanLine(y));
    std::uint8_t* dst = image.bgra.data() + static_cast<std::size_t>(y) * image.width * 4;
    if (rgb) {
      for (int x = 0; x < image.width; ++x) {
        dst[x * 4] = row[x * 3];
        dst[x * 4 + 1] = row[x * 3 + 1];
        dst[x * 4 + 2] = row[x * 3 + 2];
      }
    } else {
      std::memcpy(dst, row, static_cast<std::size_t>(image.width) * 4);
    }
  }
  const std::vector<std::uint8_t> bytes = bmp::Encode(image);
  Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void vlLoadSkinBitmapFile(TBitmap* Bitmap, const std::string& FileName) {
  TMemoryStream file;
  file.LoadFromFile(FileName);
  vlReadSkinBitmap(Bitmap, static_cast<const std::uint8_t*>(file.Memory()), static_cast<std::size_t>(file.Size()));
}

void vlCheckPictureName(const std::string& Name) {
  if (Name.empty() || Name == "." || Name == ".." || Name.find('/') != std::string::npos ||
      Name.find('\\') != std::string::npos || Name.find('\0') != std::string::npos)
    throw EFOpenError("Invalid picture file name \"" + Name + "\" in the skin description");
}

// ---- description sections ----

void SplitObjectEntry(const std::string& Entry, std::string& IDName, std::string& TypeWord) {
  const std::size_t colon = Entry.find(':');
  if (colon == std::string::npos) {
    IDName.clear();
    TypeWord.clear();
    return;
  }
  IDName = Entry.substr(0, colon);
  TypeWord = Entry.substr(colon + 1);
}

TvlSkinContent::TvlSkinContent()
    : FSkinColors(std::make_unique<TvlSkinColors>()),
      PopupWindow(std::make_unique<TvlDataSkinPopupWindow>()),
      LayerFrame(std::make_unique<TvlDataSkinLayerFrame>()),
      HintWindow(std::make_unique<TvlDataSkinHintWindow>()),
      FPicture(std::make_unique<TBitmap>()),
      FInActivePicture(std::make_unique<TBitmap>()),
      FMask(std::make_unique<TBitmap>()),
      FActivePicturesNames(std::make_unique<TStringList>()) {}

TvlSkinContent::TvlSkinContent(TvlSkinContent&&) noexcept = default;
TvlSkinContent& TvlSkinContent::operator=(TvlSkinContent&&) noexcept = default;
TvlSkinContent::~TvlSkinContent() = default;

void TvlSkinContent::BindFormInfoKeys(TvlSkinKeys& Keys) {
  Keys.Add("lefttoppoint", LTPoint);
  Keys.Add("righttoppoint", RTPoint);
  Keys.Add("leftbottompoint", LBPoint);
  Keys.Add("rightbottompoint", RBPoint);
  Keys.Add("clientrect", ClRect);
  Keys.Add("bgpictureindex", BGPictureIndex, -1);
  Keys.Add("mdibgpictureindex", MDIBGPictureIndex, -1);
  Keys.Add("leftstretch", LeftStretch);
  Keys.Add("rightstretch", RightStretch);
  Keys.Add("topstretch", TopStretch);
  Keys.Add("bottomstretch", BottomStretch);
  Keys.Add("stretcheffect", StretchEffect);
  Keys.Add("stretchtype", StretchType);
  Keys.Add("mdibgstretcheffect", MDIBGStretchEffect);
  Keys.Add("mdibgstretchtype", MDIBGStretchType);
  Keys.Add("maskrectarea", MaskRectArea);
  Keys.Add("hittestlefttoppoint", HitTestLTPoint);
  Keys.Add("hittestrighttoppoint", HitTestRTPoint);
  Keys.Add("hittestleftbottompoint", HitTestLBPoint);
  Keys.Add("hittestrightbottompoint", HitTestRBPoint);
  Keys.Add("buttonsrect", ButtonsRect);
  Keys.Add("captionrect", CaptionRect);
  Keys.Add("buttonsoffset", ButtonsOffset);
  Keys.Add("buttonsinleft", CapButtonsInLeft);
  Keys.Add("mainmenupopupup", MainMenuPopupUp);
  Keys.Add("borderwidth", BorderW);
  Keys.Add("autorenderinginactiveimage", AutoRenderingInActiveImage);
  Keys.Add("inactiveeffect", InActiveEffect);
  Keys.Add("formminwidth", FormMinWidth);
  Keys.Add("mditabstransparent", MDITabsTransparent);
  Keys.Add("mainmenubartransparent", MainMenuBarTransparent);
}

void TvlSkinContent::ReadFormInfo(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindFormInfoKeys(keys);
  keys.Read(IniFile, "FORMINFO");
  if (!FMaskName.empty()) {
    if (MaskRectArea.Width() <= 0 || MaskRectArea.Height() <= 0) {
      MaskRectArea = ClRect;
    } else {
      MaskRectArea.Left = std::min(MaskRectArea.Left, ClRect.Left);
      MaskRectArea.Top = std::min(MaskRectArea.Top, ClRect.Top);
      MaskRectArea.Right = std::max(MaskRectArea.Right, ClRect.Right);
      MaskRectArea.Bottom = std::max(MaskRectArea.Bottom, ClRect.Bottom);
    }
    auto fallback = [](TPoint& hit, TPoint corner) {
      if (hit.X == 0 || hit.Y == 0) hit = corner;
    };
    fallback(HitTestLTPoint, LTPoint);
    fallback(HitTestRTPoint, RTPoint);
    fallback(HitTestLBPoint, LBPoint);
    fallback(HitTestRBPoint, RBPoint);
  }
  if (RBPoint.X != LTPoint.X && RBPoint.Y != LTPoint.Y) {
    LTPoint.X = std::max(LTPoint.X, ClRect.Left);
    LTPoint.Y = std::max(LTPoint.Y, ClRect.Top);
    RTPoint.X = std::min(RTPoint.X, ClRect.Right);
    RTPoint.Y = std::max(RTPoint.Y, ClRect.Top);
    LBPoint.X = std::max(LBPoint.X, ClRect.Left);
    LBPoint.Y = std::min(LBPoint.Y, ClRect.Bottom);
    RBPoint.X = std::min(RBPoint.X, ClRect.Right);
    RBPoint.Y = std::min(RBPoint.Y, ClRect.Bottom);
  }
}

void TvlSkinContent::WriteFormInfo(TCustomIniFile* IniFile) {
  TvlSkinKeys keys;
  BindFormInfoKeys(keys);
  keys.Write(IniFile, "FORMINFO");
}

namespace {

// Entries "0" .. count-1 of a list section, bounded by the numbered keys actually present.
int ListCount(TCustomIniFile* IniFile, const std::string& Section) {
  const int count = ReadIniInteger(IniFile, Section, "count", 0);
  if (count <= 0) return 0;
  return std::min(count, vlHighestNumberedKey(IniFile, Section));
}

template <typename List, typename Create>
void ReadList(TCustomIniFile* IniFile, const std::string& Section, List& list, Create create) {
  const int count = ListCount(IniFile, Section);
  std::string name, word;
  for (int i = 0; i < count; ++i) {
    SplitObjectEntry(IniFile->ReadString(Section, std::to_string(i), ""), name, word);
    auto description = create(word, name);
    if (!description) continue;  // a kind this library does not know
    const std::uint64_t refusedBefore = vlSkinRefusalCount();
    description->LoadFromFile(IniFile);
    // An element with a refused value is left out: its controls draw their built-in look.
    if (vlSkinRefusalCount() != refusedBefore) continue;
    list.push_back(std::move(description));
  }
}

template <typename List, typename WordOf>
void WriteList(TCustomIniFile* IniFile, const std::string& Section, List& list, WordOf wordOf) {
  IniFile->EraseSection(Section);
  IniFile->WriteInteger(Section, "count", static_cast<int>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i) {
    IniFile->WriteString(Section, std::to_string(i), list[i]->IDName + ":" + std::string(wordOf(list[i].get())));
    list[i]->SaveToFile(IniFile);
  }
}

}  // namespace

void TvlSkinContent::ReadSkinObjects(TCustomIniFile* IniFile) {
  ReadList(IniFile, "SKINOBJECTS", ObjectList, vlCreateObjectDescription);
}

void TvlSkinContent::ReadSkinControls(TCustomIniFile* IniFile) {
  ReadList(IniFile, "SKINCONTROLS", CtrlList, vlCreateControlDescription);
}

void TvlSkinContent::WriteSkinObjects(TCustomIniFile* IniFile) {
  WriteList(IniFile, "SKINOBJECTS", ObjectList, vlObjectTypeWord);
}

void TvlSkinContent::WriteSkinControls(TCustomIniFile* IniFile) {
  WriteList(IniFile, "SKINCONTROLS", CtrlList, vlControlTypeWord);
}

void TvlSkinContent::WriteActivePictureList(TCustomIniFile* IniFile) {
  WriteIniStrings(IniFile, "PICTURES", "activepictures", FActivePicturesNames.get());
}

void TvlSkinContent::ReadVersionAndPictureNames(TCustomIniFile* IniFile) {
  SkinName = IniFile->ReadString("VERSION", "skinname", "");
  SkinAuthor = IniFile->ReadString("VERSION", "skinauthor", "");
  AuthorEmail = IniFile->ReadString("VERSION", "authoremail", "");
  AuthorURL = IniFile->ReadString("VERSION", "authorurl", "");
  SkinComments = IniFile->ReadString("VERSION", "skincomments", "");
  FPictureName = IniFile->ReadString("PICTURES", "picture", "");
  FInActivePictureName = IniFile->ReadString("PICTURES", "inactivepicture", "");
  FMaskName = IniFile->ReadString("PICTURES", "mask", "");
}

namespace {

// Reads a popup, layer or hint window; one that refused a value is left at its defaults
// (no picture).
template <typename Window>
void ReadWindowSection(TCustomIniFile* IniFile, std::unique_ptr<Window>& Target) {
  const std::uint64_t refusedBefore = vlSkinRefusalCount();
  Target->LoadFromFile(IniFile);
  if (vlSkinRefusalCount() != refusedBefore) Target = std::make_unique<Window>();
}

}  // namespace

void TvlSkinContent::ReadSections(TCustomIniFile* IniFile) {
  ReadFormInfo(IniFile);
  ReadWindowSection(IniFile, PopupWindow);
  ReadWindowSection(IniFile, LayerFrame);
  ReadWindowSection(IniFile, HintWindow);
  FSkinColors->LoadFromFile(IniFile);
  ReadSkinObjects(IniFile);
  ReadSkinControls(IniFile);
}

void TvlSkinContent::DropElementsOutsidePictures() {
  std::erase_if(CtrlList, [&](const std::unique_ptr<TvlDataSkinControl>& control) {
    const std::int32_t index = control->PictureIndex;
    if (index < 0 || index >= static_cast<std::int32_t>(FActivePictures.size())) return false;
    const TBitmap* picture = FActivePictures[static_cast<std::size_t>(index)].get();
    const TRect& r = control->SkinRect;
    if (r.Left >= 0 && r.Top >= 0 && r.Right <= picture->Width() && r.Bottom <= picture->Height()) return false;
    vlReportSkinRefusal(control->IDName, "skinrect",
                        std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
                            std::to_string(r.Bottom) + " lies outside picture " + std::to_string(index) + " (" +
                            std::to_string(picture->Width()) + " x " + std::to_string(picture->Height()) + ")");
    return true;
  });
}

void TvlSkinContent::WriteSkinDescription(TCustomIniFile* IniFile) {
  IniFile->EraseSection("VERSION");
  IniFile->WriteInteger("VERSION", "ver", 1);
  IniFile->WriteString("VERSION", "skinname", SkinName);
  IniFile->WriteString("VERSION", "skinauthor", SkinAuthor);
  IniFile->WriteString("VERSION", "authoremail", AuthorEmail);
  IniFile->WriteString("VERSION", "authorurl", AuthorURL);
  IniFile->WriteString("VERSION", "skincomments", SkinComments);
  IniFile->EraseSection("PICTURES");
  IniFile->WriteString("PICTURES", "picture", FPictureName);
  IniFile->WriteString("PICTURES", "inactivepicture", FInActivePictureName);
  IniFile->WriteString("PICTURES", "mask", FMaskName);
  WriteActivePictureList(IniFile);
  IniFile->EraseSection("FORMINFO");
  WriteFormInfo(IniFile);
  PopupWindow->SaveToFile(IniFile);
  LayerFrame->SaveToFile(IniFile);
  HintWindow->SaveToFile(IniFile);
  IniFile->EraseSection("SKINCOLORS");
  FSkinColors->SaveToFile(IniFile);
  WriteSkinObjects(IniFile);
  WriteSkinControls(IniFile);
}

// ---- the component ----

namespace {

// A fresh, cleared skin: what ClearAll leaves (system colours, no pictures).
TvlSkinContent ClearedSkin() {
  TvlSkinContent skin;
  skin.FSkinColors->SetColorsToDefault();
  return skin;
}

// Bounds-checked reading of an inflated payload.
class PayloadReader {
 public:
  PayloadReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::int32_t Int32() {
    Need(4);
    std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) | static_cast<std::uint32_t>(data_[pos_ + 1]) << 8 |
                      static_cast<std::uint32_t>(data_[pos_ + 2]) << 16 |
                      static_cast<std::uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return static_cast<std::int32_t>(v);
  }
  std::uint8_t Byte() {
    Need(1);
    return data_[pos_++];
  }
  void Bitmap(TBitmap* bitmap) { pos_ += vlReadSkinBitmap(bitmap, data_ + pos_, size_ - pos_); }
  void FlaggedBitmap(TBitmap* bitmap) {
    if (Byte() != 0) {
      bitmap->SetSize(0, 0);
      return;
    }
    Bitmap(bitmap);
  }
  [[nodiscard]] std::size_t Left() const { return size_ - pos_; }
  [[nodiscard]] const std::uint8_t* Here() const { return data_ + pos_; }

 private:
  void Need(std::size_t n) const {
    if (size_ - pos_ < n) throw EReadError("Skin data is truncated");
  }
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The smallest a BMP file can be: its 14-byte file header and a 12-byte core header.
constexpr std::size_t kMinBmpLength = 26;

TvlSkinContent DecodePayload(const std::uint8_t* data, std::size_t size) {
  PayloadReader in(data, size);
  const std::int32_t version = in.Int32();
  if (version >= 4) throw EReadError("Unsupported skin version " + std::to_string(version));
  TvlSkinContent skin = ClearedSkin();
  in.FlaggedBitmap(skin.FPicture.get());
  in.FlaggedBitmap(skin.FInActivePicture.get());
  in.FlaggedBitmap(skin.FMask.get());
  if (version == 2) {
    TBitmap dropped;
    in.FlaggedBitmap(&dropped);
    in.FlaggedBitmap(&dropped);
  }
  const std::int32_t count = in.Int32();
  if (count > 0) {
    if (static_cast<std::uint64_t>(count) > in.Left() / kMinBmpLength)
      throw EReadError("Skin picture count " + std::to_string(count) + " exceeds the data");
    skin.FActivePictures.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
      auto bitmap = std::make_unique<TBitmap>();
      in.Bitmap(bitmap.get());
      skin.FActivePictures.push_back(std::move(bitmap));
    }
  }
  TCustomMemoryStream text;
  text.SetPointer(in.Here(), static_cast<std::int64_t>(in.Left()));
  TStringList lines;
  lines.LoadFromStream(&text);
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  skin.ReadVersionAndPictureNames(&ini);
  ReadIniStrings(&ini, "PICTURES", "activepictures", skin.FActivePicturesNames.get());
  skin.ReadSections(&ini);
  skin.DropElementsOutsidePictures();
  return skin;
}

}  // namespace

TvlSkinData::TvlSkinData(TComponent* AOwner) : TComponent(AOwner) {}

TvlSkinData::~TvlSkinData() {
  vlForgetMissing(this);
  Empty = true;
  ClearObjects();
}

bool TvlSkinData::Designing() const { return ComponentState().Contains(TComponentStateFlag::csDesigning); }

int TvlSkinData::GetIndex(const std::string& AIDName) const {
  for (std::size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i]->IDName == AIDName) return static_cast<int>(i);
  return -1;
}

int TvlSkinData::GetControlIndex(const std::string& AIDName) const {
  for (std::size_t i = 0; i < CtrlList.size(); ++i)
    if (CtrlList[i]->IDName == AIDName) return static_cast<int>(i);
  return -1;
}

void TvlSkinData::SendSkinDataMessage(UINT M) {
  TvlFormDirectory& forms = vlFormDirectory();
  const auto wParam = reinterpret_cast<WPARAM>(this);
  HWND owner = nullptr;
  if (!FShowLayeredBorders && Owner()) {
    owner = forms.FormHandle(Owner());
    if (owner) forms.Send(owner, M, wParam, vlSkinMessageLParam);
  }
  std::vector<HWND> handles;
  for (const TvlScreenForm& form : forms.ScreenForms()) {
    if (owner && form.Handle == owner) continue;
    if (form.ClassName == "TvlFormLayerWindow") continue;
    handles.push_back(form.Handle);
  }
  if (FShowLayeredBorders && LayerFrame->PictureIndex != -1) {
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) forms.Send(*it, M, wParam, vlSkinMessageLParam);
  } else {
    for (HWND h : handles) forms.Send(h, M, wParam, vlSkinMessageLParam);
  }
}

void TvlSkinData::ReplaceSkin(TvlSkinContent&& NewSkin) {
  Empty = true;
  ChangeSkinDataProcess = true;
  SendSkinDataMessage(WM_vlSkinChangeBegin);
  static_cast<TvlSkinContent&>(*this) = std::move(NewSkin);
  vlForgetMissing(this);
  Empty = false;
  SendSkinDataMessage(WM_vlSkinChanged);
  ChangeSkinDataProcess = false;
  SendSkinDataMessage(WM_vlSkinChangeEnd);
}

void TvlSkinData::LoadCompressedStoredSkin(TvlCompressedStoredSkin* AStoredSkin) {
  if (!AStoredSkin || AStoredSkin->Empty()) return;
  TMemoryStream payload;
  AStoredSkin->DeCompressToStream(&payload);
  ReplaceSkin(DecodePayload(static_cast<const std::uint8_t*>(payload.Memory()),
                            static_cast<std::size_t>(payload.Size())));
}

void TvlSkinData::LoadFromFile(const std::string& FileName) {
  TMemIniFile ini(FileName);
  if (!IsSkinIniFile(&ini)) return;
  const std::string folder = ExtractFilePath(FileName);
  TvlSkinContent skin = ClearedSkin();
  skin.ReadVersionAndPictureNames(&ini);
  auto loadFrame = [&](TBitmap* bitmap, const std::string& name) {
    if (name.empty()) return;
    vlCheckPictureName(name);
    vlLoadSkinBitmapFile(bitmap, folder + name);
  };
  loadFrame(skin.FPicture.get(), skin.FPictureName);
  loadFrame(skin.FInActivePicture.get(), skin.FInActivePictureName);
  loadFrame(skin.FMask.get(), skin.FMaskName);
  ReadIniStrings(&ini, "PICTURES", "activepictures", skin.FActivePicturesNames.get());
  for (int i = 0; i < skin.FActivePicturesNames->Count(); ++i) {
    const std::string name = skin.FActivePicturesNames->Strings(i);
    vlCheckPictureName(name);
    auto bitmap = std::make_unique<TBitmap>();
    vlLoadSkinBitmapFile(bitmap.get(), folder + name);
    skin.FActivePictures.push_back(std::move(bitmap));
  }
  skin.ReadSections(&ini);
  skin.DropElementsOutsidePictures();
  ReplaceSkin(std::move(skin));
}

void TvlSkinData::SaveToFile(const std::string& FileName) {
  TMemIniFile ini(FileName);
  WriteSkinDescription(&ini);
  ini.UpdateFile();
}

void TvlSkinData::StoreToDisk(const std::string& AFileName) {
  SaveToFile(AFileName);
  const std::string folder = ExtractFilePath(AFileName);
  auto store = [&](TBitmap* bitmap, const std::string& name) {
    if (bitmap->Empty()) return;
    vlCheckPictureName(name);
    TFileStream file(folder + name, fmCreate);
    vlWriteSkinBitmap(bitmap, &file);
  };
  store(FPicture.get(), FPictureName);
  store(FInActivePicture.get(), FInActivePictureName);
  store(FMask.get(), FMaskName);
  // A description may name fewer pictures than the skin holds; the unnamed ones are not stored.
  const int named = std::min<int>(FActivePicturesNames->Count(), static_cast<int>(FActivePictures.size()));
  for (int i = 0; i < named; ++i) store(FActivePictures[i].get(), FActivePicturesNames->Strings(i));
}

void TvlSkinData::LoadFromCompressedFile(const std::string& FileName) {
  auto stored = std::make_unique<TvlCompressedStoredSkin>(nullptr);
  stored->LoadFromCompressFile(FileName);
  if (!stored->Empty()) LoadCompressedStoredSkin(stored.get());
}

void TvlSkinData::SaveToCompressedFile(const std::string& FileName) {
  auto stored = std::make_unique<TvlCompressedStoredSkin>(nullptr);
  stored->LoadFromSkinData(this);
  stored->SaveToCompressFile(FileName);
}

void TvlSkinData::AddBitMap(const std::string& FileName) {
  auto bitmap = std::make_unique<TBitmap>();
  vlLoadSkinBitmapFile(bitmap.get(), FileName);
  FActivePicturesNames->Add(ExtractFileName(FileName));
  FActivePictures.push_back(std::move(bitmap));
}

void TvlSkinData::DeleteBitMap(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FActivePictures.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (Index < FActivePicturesNames->Count()) FActivePicturesNames->Delete(Index);
  FActivePictures.erase(FActivePictures.begin() + Index);
}

void TvlSkinData::ClearObjects() {
  ObjectList.clear();
  CtrlList.clear();
  FActivePictures.clear();
  LayerFrame->PictureIndex = -1;
  PopupWindow->WindowPictureIndex = -1;
  HintWindow->WindowPictureIndex = -1;
  FActivePicturesNames->Clear();
  FSkinColors->SetColorsToDefault();
}

void TvlSkinData::ClearAll() {
  ClearObjects();
  FPicture->SetSize(0, 0);
  FInActivePicture->SetSize(0, 0);
  FMask->SetSize(0, 0);
  FPictureName.clear();
  FInActivePictureName.clear();
  FMaskName.clear();
  vlForgetMissing(this);
  Empty = true;
}

void TvlSkinData::ClearSkin() {
  ClearAll();
  SendSkinDataMessage(WM_vlSkinChangeBegin);
  SendSkinDataMessage(WM_vlSkinChanged);
  SendSkinDataMessage(WM_vlSkinChangeEnd);
}

// ---- properties ----

void TvlSkinData::Watch(TComponent* Old, TComponent* New) {
  if (Old && Old != New) Old->RemoveFreeNotification(this);
  if (New) New->FreeNotification(this);
}

void TvlSkinData::SetSkinnableForm(bool Value) {
  if (FSkinnableForm == Value) return;
  FSkinnableForm = Value;
  if (!Designing() && !ComponentState().Contains(TComponentStateFlag::csLoading))
    SendSkinDataMessage(WM_vlSkinnableFormChanged);
}

void TvlSkinData::SetShowLayeredBorders(bool Value) {
  if (FShowLayeredBorders == Value) return;
  FShowLayeredBorders = Value;
  if (!Designing() && !ComponentState().Contains(TComponentStateFlag::csLoading))
    SendSkinDataMessage(WM_vlLayeredBordersChanged);
}

void TvlSkinData::LoadSkinListItem(int Index) {
  LoadCompressedStoredSkin(FCompressedSkinList->Skins()->GetItem(Index)->Skin());
}

void TvlSkinData::SetSkinList(TvlCompressedSkinList* Value) {
  Watch(FCompressedSkinList, Value);
  FCompressedSkinList = Value;
  if (!Designing() && Value && FCompressedSkinIndex >= 0 && FCompressedSkinIndex < Value->Skins()->Count())
    LoadSkinListItem(FCompressedSkinIndex);
}

void TvlSkinData::SetSkinIndex(int Value) {
  if (Value == FCompressedSkinIndex) return;
  if (!FCompressedSkinList) {
    FCompressedSkinIndex = Value;
    return;
  }
  if (Value < 0 || Value >= FCompressedSkinList->Skins()->Count()) return;
  if (Designing()) {
    FCompressedSkinIndex = Value;
    return;
  }
  // The index names the loaded skin, so it changes only when the load succeeded.
  LoadSkinListItem(Value);
  FCompressedSkinIndex = Value;
}

void TvlSkinData::SetCompressedStoredSkin(TvlCompressedStoredSkin* Value) {
  Watch(FCompressedStoredSkin, Value);
  FCompressedStoredSkin = Value;
  if (!Designing() && Value) LoadCompressedStoredSkin(Value);
}

void TvlSkinData::SetResourceStrData(TvlResourceStrData* Value) {
  Watch(FResourceStrData, Value);
  FResourceStrData = Value;
  if (!Designing()) SendSkinDataMessage(WM_vlResourceStringsChanged);
}

void TvlSkinData::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FCompressedStoredSkin) FCompressedStoredSkin = nullptr;
  if (AComponent == FResourceStrData) FResourceStrData = nullptr;
  if (AComponent == FCompressedSkinList) FCompressedSkinList = nullptr;
}

std::string vlInterfaceText(const TvlSkinData* SD, const char* Key) {
  if (SD && SD->ResourceStrData()) return SD->ResourceStrData()->GetResStr(Key);
  return vlBuiltInText(Key);
}
