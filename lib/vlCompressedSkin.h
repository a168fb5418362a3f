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

#include "platform/Component.h"
#include "platform/Streams.h"

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

class TvlSkinListItem : public TObject {
 public:
  // Index is the item's place in its collection at creation; it names the item "vlSkin<Index>".
  TvlSkinListItem(TvlCompressedSkinList* List, int Index);
  ~TvlSkinListItem() override;

  std::string Description;
  std::string Name;

  [[nodiscard]] TvlCompressedStoredSkin* Skin() const { return FSkin.get(); }
  [[nodiscard]] const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value);
  [[nodiscard]] const std::string& CompressedFileName() const { return FCompressedFileName; }
  void SetCompressedFileName(const std::string& Value);

  // The raw-byte stored form "Skin": the container format.
  void ReadSkin(TStream* Stream) { FSkin->LoadFromCompressStream(Stream); }
  void WriteSkin(TStream* Stream) { FSkin->SaveToCompressStream(Stream); }

 private:
  TvlCompressedSkinList* FList;
  std::unique_ptr<TvlCompressedStoredSkin> FSkin;
  std::string FFileName;
  std::string FCompressedFileName;
};

// The items of a skin list, owned by it.
class TvlSkinListItems : public TObject {
 public:
  explicit TvlSkinListItems(TvlCompressedSkinList* ASkinList) : FSkinList(ASkinList) {}

  [[nodiscard]] int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError for an index outside 0 .. Count-1.
  [[nodiscard]] TvlSkinListItem* GetItem(int Index) const;
  TvlSkinListItem* Add();
  void Delete(int Index);
  void Clear() { FItems.clear(); }
  [[nodiscard]] TvlCompressedSkinList* Owner() const { return FSkinList; }

 private:
  TvlCompressedSkinList* FSkinList;
  std::vector<std::unique_ptr<TvlSkinListItem>> FItems;
};

class TvlCompressedSkinList : public TComponent {
 public:
  explicit TvlCompressedSkinList(TComponent* AOwner);
  ~TvlCompressedSkinList() override;

  [[nodiscard]] TvlSkinListItems* Skins() const { return FSkins.get(); }

 private:
  std::unique_ptr<TvlSkinListItems> FSkins;
};
