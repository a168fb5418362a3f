#pragma once
// TGraphic: the abstract picture of the component framework (bitmaps, icons, PNG, JPEG, GIF).
// A graphic knows its size, can be loaded from and saved to a stream or file, and draws itself
// into a rectangle of a canvas; OnChange fires after every change of its content.

#include <string>

#include "platform/core/Object.h"
#include "platform/core/Types.h"

class TCanvas;
class TStream;

class TGraphic : public TPersistent {
 public:
  [[nodiscard]] virtual int Width() const = 0;
  [[nodiscard]] virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  // True when the graphic holds no picture.
  [[nodiscard]] virtual bool Empty() const = 0;

  // When set, drawing leaves the graphic's transparent parts (its key colour or alpha) undrawn.
  [[nodiscard]] virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);

  // Reads the graphic's file format from the stream's current position; raises EInvalidGraphic
  // for data that is not a valid picture of the format (the graphic is then left empty).
  virtual void LoadFromStream(TStream* Stream) = 0;
  // Writes the graphic in its file format at the stream's current position.
  virtual void SaveToStream(TStream* Stream) = 0;
  // The file forms: open the file and call the stream forms. Raise EFOpenError/EFCreateError
  // when the file cannot be opened or created.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);

  [[nodiscard]] bool Modified() const { return modified_; }
  void SetModified(bool Value);

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  // Draws the whole graphic scaled into Rect of the canvas (TCanvas::Draw and StretchDraw).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  // Marks the graphic modified and fires OnChange.
  virtual void Changed(TObject* Sender);

 private:
  bool transparent_ = false;
  bool modified_ = false;
};
