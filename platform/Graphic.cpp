#include "platform/Graphic.h"

#include "platform/Exceptions.h"

void TGraphic::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::Changed(TObject* Sender) {
  modified_ = true;
  if (OnChange) OnChange(this);
}

// FIXME: the file forms wait for the stream classes; until then they refuse.
void TGraphic::LoadFromFile(const std::string& FileName) {
  throw EInvalidGraphicOperation("Cannot load " + FileName + ": file streams are not available");
}

void TGraphic::SaveToFile(const std::string& FileName) {
  throw EInvalidGraphicOperation("Cannot save " + FileName + ": file streams are not available");
}
