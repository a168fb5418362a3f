#include "lib/data/vlCompressedSkin.h"

#include "lib/data/vlSkinData.h"
#include "lib/data/vlzlibcompress.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr std::int32_t kSkinVersion = 3;

void WriteInt32(TStream* stream, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                 static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  stream->WriteBuffer(bytes, 4);
}

std::int32_t ReadInt32(TStream* stream) {
  std::uint8_t b[4];
  stream->ReadBuffer(b, 4);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                   static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

void WriteFlaggedBitmap(TStream* stream, TBitmap* bitmap) {
  const std::uint8_t flag = bitmap->Empty() ? 1 : 0;
  stream->WriteBuffer(&flag, 1);
  if (!bitmap->Empty()) vlWriteSkinBitmap(bitmap, stream);
}

void WriteText(TStream* stream, const TStrings& lines) {
  std::string text;
  for (int i = 0; i < lines.Count(); ++i) {
    text += lines.Strings(i);
    text += "\r\n";
  }
  stream->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

}  // namespace

TvlCompressedStoredSkin::TvlCompressedStoredSkin(TComponent* AOwner)
    : TComponent(AOwner), FCompressedStream(std::make_unique<TMemoryStream>()) {}

TvlCompressedStoredSkin::~TvlCompressedStoredSkin() = default;

bool TvlCompressedStoredSkin::Empty() const { return FCompressedStream->Size() == 0; }

bool TvlCompressedStoredSkin::Designing() const {
  return ComponentState().Contains(TComponentStateFlag::csDesigning) &&
         !ComponentState().Contains(TComponentStateFlag::csLoading);
}

void TvlCompressedStoredSkin::SetFileName(const std::string& Value) {
  if (Designing()) {
    LoadFromIniFile(Value);
    FFileName = ExtractFileName(Value);
  } else {
    FFileName = Value;
  }
}

void TvlCompressedStoredSkin::SetCompressedFileName(const std::string& Value) {
  if (Designing()) {
    LoadFromCompressFile(Value);
    FCompressedFileName = ExtractFileName(Value);
  } else {
    FCompressedFileName = Value;
  }
}

void TvlCompressedStoredSkin::LoadFromSkinData(TvlSkinData* ASkinData) {
  TMemoryStream payload;
  WriteInt32(&payload, kSkinVersion);
  WriteFlaggedBitmap(&payload, ASkinData->FPicture.get());
  WriteFlaggedBitmap(&payload, ASkinData->FInActivePicture.get());
  WriteFlaggedBitmap(&payload, ASkinData->FMask.get());
  WriteInt32(&payload, static_cast<std::int32_t>(ASkinData->FActivePictures.size()));
  for (const auto& bitmap : ASkinData->FActivePictures) vlWriteSkinBitmap(bitmap.get(), &payload);
  TMemIniFile ini("");
  ASkinData->WriteSkinDescription(&ini);
  TStringList lines;
  ini.GetStrings(&lines);
  WriteText(&payload, lines);
  // Pack aside, so a failure leaves the stored skin as it was.
  auto packed = std::make_unique<TMemoryStream>();
  CompressMemoryStream(&payload, packed.get());
  FCompressedStream = std::move(packed);
}

void TvlCompressedStoredSkin::LoadFromIniFile(const std::string& AFileName) {
  TStringList lines;
  lines.LoadFromFile(AFileName);
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  if (!IsSkinIniFile(&ini)) return;
  const std::string folder = ExtractFilePath(AFileName);
  TMemoryStream payload;
  WriteInt32(&payload, kSkinVersion);
  for (const char* key : {"picture", "inactivepicture", "mask"}) {
    TBitmap bitmap;
    const std::string name = ini.ReadString("PICTURES", key, "");
    if (!name.empty()) {
      vlCheckPictureName(name);
      vlLoadSkinBitmapFile(&bitmap, folder + name);
    }
    WriteFlaggedBitmap(&payload, &bitmap);
  }
  TStringList names;
  ReadIniStrings(&ini, "PICTURES", "activepictures", &names);
  WriteInt32(&payload, names.Count());
  for (int i = 0; i < names.Count(); ++i) {
    vlCheckPictureName(names.Strings(i));
    TBitmap bitmap;
    vlLoadSkinBitmapFile(&bitmap, folder + names.Strings(i));
    vlWriteSkinBitmap(&bitmap, &payload);
  }
  WriteText(&payload, lines);
  auto packed = std::make_unique<TMemoryStream>();
  CompressMemoryStream(&payload, packed.get());
  FCompressedStream = std::move(packed);
}

void TvlCompressedStoredSkin::LoadFromCompressStream(TStream* Stream) {
  FCompressedStream->Clear();
  Stream->SetPosition(0);
  const std::int32_t version = ReadInt32(Stream);
  if (version > kSkinVersion) return;
  const std::int32_t length = ReadInt32(Stream);
  const std::int64_t present = Stream->Size() - Stream->Position();
  if (length < 0 || length > present)
    throw EReadError("Compressed skin length " + std::to_string(length) + " does not match the " +
                     std::to_string(present) + " bytes present");
  if (length > 0) FCompressedStream->CopyFrom(Stream, length);
  FCompressedStream->SetPosition(0);
}

void TvlCompressedStoredSkin::LoadFromCompressFile(const std::string& AFileName) {
  FCompressedStream->Clear();
  TFileStream file(AFileName, fmOpenRead | fmShareDenyWrite);
  LoadFromCompressStream(&file);
}

void TvlCompressedStoredSkin::SaveToCompressStream(TStream* Stream) {
  WriteInt32(Stream, kSkinVersion);
  WriteInt32(Stream, static_cast<std::int32_t>(FCompressedStream->Size()));
  if (!Empty()) Stream->WriteBuffer(FCompressedStream->Memory(), FCompressedStream->Size());
}

void TvlCompressedStoredSkin::SaveToCompressFile(const std::string& AFileName) {
  if (Empty()) return;
  TFileStream file(AFileName, fmCreate);
  SaveToCompressStream(&file);
}

void TvlCompressedStoredSkin::DeCompressToStream(TMemoryStream* S) {
  DecompressMemoryStream(S, FCompressedStream.get(), kvlMaxSkinPayload);
}

void TvlCompressedStoredSkin::ReadCompressedData(TStream* Stream) {
  FCompressedStream->Clear();
  FCompressedStream->CopyFrom(Stream, 0);
  FCompressedStream->SetPosition(0);
}

void TvlCompressedStoredSkin::WriteCompressedData(TStream* Stream) {
  if (!Empty()) Stream->WriteBuffer(FCompressedStream->Memory(), FCompressedStream->Size());
}

// ---- skin lists ----

TvlSkinListItem::TvlSkinListItem(TCollection* Collection)
    : TCollectionItem(Collection), FSkin(std::make_unique<TvlCompressedStoredSkin>(nullptr)) {
  Name = "vlSkin" + std::to_string(Index());
}

TvlSkinListItem::~TvlSkinListItem() = default;

void TvlSkinListItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TvlSkinListItem*>(Source);
  if (!source) {
    TCollectionItem::Assign(Source);
    return;
  }
  Description = source->Description;
  Name = source->Name;
  FFileName = source->FFileName;
  FCompressedFileName = source->FCompressedFileName;
  TMemoryStream bytes;
  source->FSkin->WriteCompressedData(&bytes);
  bytes.SetPosition(0);
  FSkin->ReadCompressedData(&bytes);
}

TvlCompressedSkinList* TvlSkinListItem::List() const {
  auto* items = dynamic_cast<TvlSkinListItems*>(Collection());
  return items ? items->SkinList() : nullptr;
}

namespace {

bool ListDesigning(const TvlCompressedSkinList* list) {
  return list && list->ComponentState().Contains(TComponentStateFlag::csDesigning) &&
         !list->ComponentState().Contains(TComponentStateFlag::csLoading);
}

}  // namespace

void TvlSkinListItem::SetFileName(const std::string& Value) {
  if (ListDesigning(List())) {
    FSkin->LoadFromIniFile(Value);
    FFileName = ExtractFileName(Value);
  } else {
    FFileName = Value;
  }
}

void TvlSkinListItem::SetCompressedFileName(const std::string& Value) {
  if (ListDesigning(List())) {
    FSkin->LoadFromCompressFile(Value);
    FCompressedFileName = ExtractFileName(Value);
  } else {
    FCompressedFileName = Value;
  }
}

TvlSkinListItems::TvlSkinListItems(TvlCompressedSkinList* ASkinList)
    : TCollection(CollectionItemClass<TvlSkinListItem>()), FSkinList(ASkinList) {}

TPersistent* TvlSkinListItems::GetOwner() const { return FSkinList; }

TvlCompressedSkinList::TvlCompressedSkinList(TComponent* AOwner)
    : TComponent(AOwner), FSkins(std::make_unique<TvlSkinListItems>(this)) {}

TvlCompressedSkinList::~TvlCompressedSkinList() = default;
