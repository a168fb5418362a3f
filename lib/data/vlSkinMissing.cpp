#include "lib/data/vlSkinMissing.h"

#include <map>

#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlSkinData.h"
#include "platform/graphics/Bitmap.h"

namespace {

std::map<const TvlSkinData*, TvlSkinMissing>& Records() {
  static std::map<const TvlSkinData*, TvlSkinMissing> records;
  return records;
}

}  // namespace

const TvlSkinMissing& vlSkinMissing(const TvlSkinData* SkinData) {
  static const TvlSkinMissing none;
  const auto found = Records().find(SkinData);
  return found == Records().end() ? none : found->second;
}

void vlNoteMissingElement(const TvlSkinData* SkinData, const std::string& Name) {
  if (SkinData) Records()[SkinData].Elements.insert(Name);
}

void vlNoteMissingPicture(const TvlSkinData* SkinData, int Index) {
  if (SkinData) Records()[SkinData].Pictures.insert(Index);
}

void vlForgetMissing(const TvlSkinData* SkinData) { Records().erase(SkinData); }

int vlFindControlElement(TvlSkinData* SkinData, std::initializer_list<const char*> Names) {
  if (!SkinData || SkinData->Empty) return -1;
  std::string tried;
  for (const char* name : Names) {
    const int index = SkinData->GetControlIndex(name);
    if (index >= 0) return index;
    tried += (tried.empty() ? "" : "|") + std::string(name);
  }
  if (!tried.empty()) vlNoteMissingElement(SkinData, tried);
  return -1;
}

int vlFindControlElement(TvlSkinData* SkinData, const std::string& Name) {
  if (!SkinData || SkinData->Empty) return -1;
  const int index = SkinData->GetControlIndex(Name);
  if (index < 0) vlNoteMissingElement(SkinData, Name);
  return index;
}

TvlDataSkinControl* vlControlElement(TvlSkinData* SkinData, int Index) {
  if (!SkinData || Index < 0 || static_cast<std::size_t>(Index) >= SkinData->CtrlList.size()) return nullptr;
  return SkinData->CtrlList[static_cast<std::size_t>(Index)].get();
}

TBitmap* vlSkinPicture(TvlSkinData* SkinData, int Index) {
  if (!SkinData || Index == -1) return nullptr;
  TBitmap* b = Index >= 0 && static_cast<std::size_t>(Index) < SkinData->FActivePictures.size()
                   ? SkinData->FActivePictures[static_cast<std::size_t>(Index)].get()
                   : nullptr;
  if (b && !b->Empty()) return b;
  if (!SkinData->Empty) vlNoteMissingPicture(SkinData, Index);
  return nullptr;
}
