#pragma once
// TPicture: holds one graphic of any picture class and picks the class by file extension.
//
// Extensions (any letter case): .bmp TBitmap, .png TPngImage, .jpg and .jpeg TJPEGImage,
// .gif TGIFImage, .ico TIcon.

#include <memory>
#include <string>

#include "platform/graphics/Graphic.h"

class TBitmap;
class TIcon;

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  // The graphic, nullptr when the picture is empty. The picture owns it.
  [[nodiscard]] TGraphic* Graphic() const { return graphic_.get(); }
  // Replaces the graphic with a copy of Value (of Value's class); nullptr empties the picture.
  // Raises EInvalidGraphic for a graphic class the picture does not know.
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap: a graphic of another class (or none) is first replaced by a new
  // empty bitmap.
  [[nodiscard]] TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  // The graphic as an icon, the same way (so Icon()->SetHandle(LoadIcon(nullptr, IDI_HAND))
  // shows a standard icon).
  [[nodiscard]] TIcon* Icon();
  void SetIcon(TIcon* Value);

  // 0 when empty.
  [[nodiscard]] int Width() const;
  [[nodiscard]] int Height() const;

  // Loads the file into a new graphic of the class its extension names. Raises EInvalidGraphic
  // "Unknown picture file extension (.xyz)" for another extension, EFOpenError for a file that
  // cannot be opened and EInvalidGraphic for bad data; the picture is then unchanged.
  void LoadFromFile(const std::string& FileName);
  // Writes the graphic in the format its extension names, converting through a bitmap when the
  // graphic is of another class; an unknown extension gets the graphic's own format. Nothing is
  // written for an empty picture. Raises EFCreateError when the file cannot be created.
  void SaveToFile(const std::string& FileName);

  // Takes a copy of another picture's graphic, or of a graphic; nullptr empties the picture.
  void Assign(TPersistent* Source) override;

  // Fires after every change of the graphic or of what it holds.
  TNotifyEvent OnChange;

 protected:
  // Gives a graphic the picture's graphic (Dest->Assign(Graphic())).
  void AssignTo(TPersistent* Dest) override;

 private:
  void Adopt(std::unique_ptr<TGraphic> graphic);
  void Changed();

  std::unique_ptr<TGraphic> graphic_;
};
