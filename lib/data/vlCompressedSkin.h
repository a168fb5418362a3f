#pragma once
// Compressed skins: a stored skin (one zlib stream of the skin payload), skin list items and the
// skin list component.
//
// Container format (a compressed skin file and a list item's "Skin" data), little-endian:
//   +0  int32  version (written 3; above 3 means no skin)
//   +4  int32  length N of the zlib stream
//   +8  N      zlib stream (level 9, so it starts 78 DA) of the payload
// Payload: int32 version; three flagged pictures (flag byte 0 = a BMP file follows, else none:
// frame picture, inactive frame picture, mask; version 2 has two more that are dropped);
// int32 count P; P BMP files; the description text (CR LF lines) to the end.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Collection.h"
#include "platform/controls/Component.h"
#include "platform/core/Streams.h"

class TvlSkinData;

// Largest inflated payload a stored skin may produce (a few megabytes in practice).
inline constexpr std::int64_t kvlMaxSkinPayload = std::int64_t{256} * 1024 * 1024;

class TvlCompressedStoredSkin : public TComponent {
 public:
  explicit TvlCompressedStoredSkin(TComponent* AOwner);
  ~TvlCompressedStoredSkin() override;

  std::string Description;

  [[nodiscard]] bool Empty() const;
  [[nodiscard]] const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value);
  [[nodiscard]] const std::string& CompressedFileName() const { return FCompressedFileName; }
  void SetCompressedFileName(const std::string& Value);

  // Packs a skin container.
  void LoadFromSkinData(TvlSkinData* ASkinData);
  // Packs an INI description file and the BMP files beside it; a file that is not a skin file
  // leaves the stored skin unchanged.
  void LoadFromIniFile(const std::string& AFileName);
  // Read the container format. A version above 3 gives an empty stored skin; a length that is
  // negative or larger than the bytes present raises EReadError and leaves it empty.
  void LoadFromCompressFile(const std::string& AFileName);
  void LoadFromCompressStream(TStream* Stream);
  // Write the container format; the file form writes no file for an empty stored skin.
  void SaveToCompressFile(const std::string& AFileName);
  void SaveToCompressStream(TStream* Stream);
  // Inflates the stored data into S at its position. A truncated or corrupt stream, or one that
  // inflates beyond kvlMaxSkinPayload, raises EDecompressionError.
  void DeCompressToStream(TMemoryStream* S);

  // The raw-byte stored form "CompressedData": the zlib stream alone.
  void ReadCompressedData(TStream* Stream);
  void WriteCompressedData(TStream* Stream);

  // The zlib stream of the payload (empty: no skin).
  [[nodiscard]] TMemoryStream* CompressedStream() const { return FCompressedStream.get(); }

 private:
  [[nodiscard]] bool Designing() const;
  std::string FFileName;
  std::string FCompressedFileName;
  std::unique_ptr<TMemoryStream> FCompressedStream;
};

class TvlCompressedSkinList;

// One skin of a skin list, with its own stored skin.
class TvlSkinListItem : public TCollectionItem {
 public:
  // Joins Collection and is named "vlSkin<its index at creation>".
  explicit TvlSkinListItem(TCollection* Collection);
  ~TvlSkinListItem() override;

  std::string Description;
  std::string Name;

  [[nodiscard]] std::string DisplayName() const override { return Name; }
  // Copies another item's texts and stored skin.
  void Assign(TPersistent* Source) override;
  [[nodiscard]] TvlCompressedStoredSkin* Skin() const { return FSkin.get(); }
  [[nodiscard]] const std::string& FileName() const { return FFileName; }
  // At design time (outside form loading) the item first packs the named INI description, then
  // keeps only the name part; otherwise the text is only stored. Likewise for the compressed file.
  void SetFileName(const std::string& Value);
  [[nodiscard]] const std::string& CompressedFileName() const { return FCompressedFileName; }
  void SetCompressedFileName(const std::string& Value);

  // The raw-byte stored form "Skin": the container format.
  void ReadSkin(TStream* Stream) { FSkin->LoadFromCompressStream(Stream); }
  void WriteSkin(TStream* Stream) { FSkin->SaveToCompressStream(Stream); }

 private:
  [[nodiscard]] TvlCompressedSkinList* List() const;
  std::unique_ptr<TvlCompressedStoredSkin> FSkin;
  std::string FFileName;
  std::string FCompressedFileName;
};

// The items of a skin list; the list is its owner.
class TvlSkinListItems : public TCollection {
 public:
  explicit TvlSkinListItems(TvlCompressedSkinList* ASkinList);

  // Raises EListError for an index outside 0 .. Count-1.
  [[nodiscard]] TvlSkinListItem* GetItem(int Index) const { return static_cast<TvlSkinListItem*>(Items(Index)); }
  TvlSkinListItem* Add() { return static_cast<TvlSkinListItem*>(TCollection::Add()); }
  [[nodiscard]] TvlCompressedSkinList* SkinList() const { return FSkinList; }

 protected:
  [[nodiscard]] TPersistent* GetOwner() const override;

 private:
  TvlCompressedSkinList* FSkinList;
};

class TvlCompressedSkinList : public TComponent {
 public:
  explicit TvlCompressedSkinList(TComponent* AOwner);
  ~TvlCompressedSkinList() override;

  [[nodiscard]] TvlSkinListItems* Skins() const { return FSkins.get(); }
  // Replaces the owned items by copies of Value's items (texts and stored skins).
  void SetSkins(TvlSkinListItems* Value) { FSkins->Assign(Value); }

 private:
  std::unique_ptr<TvlSkinListItems> FSkins;
};
