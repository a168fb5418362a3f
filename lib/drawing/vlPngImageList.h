#pragma once
// TvlPngImageList: an image list whose pictures are PNG images with their own alpha. The
// platform list keeps one monochrome placeholder per item, at the item's index, so that its
// count and index checks hold; every drawing goes to the item's PNG: whole when enabled, at
// about half opacity when disabled.
//
// GUI thread only.

#include <memory>
#include <string>

#include "platform/core/Collection.h"
#include "platform/controls/ImageList.h"
#include "platform/graphics/PngImage.h"

class TvlPngImageList;

// The platform PNG picture under the library's name.
class TvlPngImage : public TPngImage {};

class TvlPngImageItem : public TCollectionItem {
 public:
  // Joins Collection with an empty PNG named "PngImage<index>" and a placeholder in the list.
  explicit TvlPngImageItem(TCollection* Collection);
  // Removes the item's placeholder from the list (when the list still has one at its index).
  ~TvlPngImageItem() override;

  // Another item: its PNG and name are copied.
  void Assign(TPersistent* Source) override;
  [[nodiscard]] std::string DisplayName() const override;

  [[nodiscard]] TvlPngImage* PngImage() const { return FPngImage.get(); }
  void SetPngImage(TPngImage* Value);
  [[nodiscard]] const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }

 protected:
  void AssignTo(TPersistent* Dest) override { TCollectionItem::AssignTo(Dest); }

 private:
  [[nodiscard]] TvlPngImageList* List() const;

  std::unique_ptr<TvlPngImage> FPngImage;
  std::string FName;
};

class TvlPngImageItems : public TCollection {
 public:
  explicit TvlPngImageItems(TvlPngImageList* AOwner);

  [[nodiscard]] TvlPngImageItem* Items(int Index) const { return static_cast<TvlPngImageItem*>(TCollection::Items(Index)); }
  [[nodiscard]] TvlPngImageItem* Add() { return static_cast<TvlPngImageItem*>(TCollection::Add()); }
  [[nodiscard]] TvlPngImageList* PngImageList() const { return FPngImageList; }

 protected:
  [[nodiscard]] TPersistent* GetOwner() const override;

 private:
  TvlPngImageList* FPngImageList;
};

class TvlPngImageList : public TCustomImageList {
 public:
  explicit TvlPngImageList(TComponent* AOwner);
  ~TvlPngImageList() override;

  [[nodiscard]] TvlPngImageItems* PngImages() const { return FPngImages.get(); }
  void SetPngImages(TvlPngImageItems* Value);
  [[nodiscard]] int PngWidth() const { return Width(); }
  [[nodiscard]] int PngHeight() const { return Height(); }
  // A new cell size removes every item (outside loading; while loading the items stay).
  void SetPngWidth(int Value);
  void SetPngHeight(int Value);

  // Puts a placeholder for a new item at Index.
  void InsertPlaceholder(int Index);

 protected:
  void DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled) override;

 private:
  void CellSizeChanged();

  std::unique_ptr<TvlPngImageItems> FPngImages;
};

// The copy of Source drawn for a disabled image: every pixel's alpha a becomes the nearest
// integer to a / 256 * 128 (halves to even), pixels of a single transparent colour alpha 0;
// pictures without alpha become true colour with alpha (127 for visible pixels of grey and
// palette pictures).
void MakeHalfTransparentPng(const TPngImage& Source, TPngImage& Dest);
