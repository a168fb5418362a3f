// The frame objects of a skinned form: what each kind takes from its description.

#include "lib/VelmoraObjects.h"

#include "lib/Velmora.h"
#include "lib/vlSkinCtrls.h"
#include "lib/vlSkinData.h"
#include "lib/vlUtils.h"

TvlActiveSkinObject::TvlActiveSkinObject(TvlVelmora* AParent, TvlDataSkinObject* AData) : Parent(AParent) {
  SD = AParent ? AParent->SkinData() : nullptr;
  if (SD) Picture = SD->FPicture.get();
  if (!AData) return;
  IDName = AData->IDName;
  Hint = AData->Hint;
  SkinRectInAPicture = AData->SkinRectInAPicture;
  SkinRect = AData->SkinRect;
  ActiveSkinRect = AData->ActiveSkinRect;
  InActiveSkinRect = AData->InActiveSkinRect;
  Morphing = AData->Morphing;
  MorphKind = AData->MorphKind;
  GlowLayerPictureIndex = AData->GlowLayerPictureIndex;
  GlowLayerMaskPictureIndex = AData->GlowLayerMaskPictureIndex;
  GlowLayerOffsetX = AData->GlowLayerOffsetX;
  GlowLayerOffsetY = AData->GlowLayerOffsetY;
  GlowLayerAlphaBlendValue = AData->GlowLayerAlphaBlendValue;
  ObjectRect = SkinRect;
  // A picture index outside the skin names no picture (vlSkinPicture checks the range).
  ActivePicture = vlSkinPicture(SD, AData->ActivePictureIndex);
  ActiveMaskPicture = vlSkinPicture(SD, AData->ActiveMaskPictureIndex);
  if (!ActivePicture) SetNullRect(ActiveSkinRect);
  if (IsNullRect(ActiveSkinRect)) Morphing = false;
}

TvlActiveSkinObject::~TvlActiveSkinObject() = default;

namespace {
// The looks of the restore state (maximized, minimized, rolled up) and the two hints.
template <typename Object, typename Description>
void CopyRestoreLooks(Object& O, const Description& D) {
  O.RestoreRect = D.RestoreRect;
  O.RestoreActiveRect = D.RestoreActiveRect;
  O.RestoreInActiveRect = D.RestoreInActiveRect;
  O.RestoreDownRect = D.RestoreDownRect;
  O.RestoreHint = D.RestoreHint;
  O.FTempHint = O.Hint;
}
}  // namespace

void TvlActiveSkinObject::Draw(TCanvas*, bool) {}

TvlSkinAnimateObject::TvlSkinAnimateObject(TvlVelmora* AParent, TvlDataSkinAnimate* AData)
    : TvlActiveSkinObject(AParent, AData) {
  if (!AData) return;
  CountFrames = AData->CountFrames;
  Cycle = AData->Cycle;
  ButtonStyle = AData->ButtonStyle;
  TimerInterval = AData->TimerInterval < 25 ? 25 : AData->TimerInterval;
  Command = AData->Command;
  DownSkinRect = AData->DownSkinRect;
  CopyRestoreLooks(*this, *AData);
}

TvlSkinButtonObject::TvlSkinButtonObject(TvlVelmora* AParent, TvlDataSkinButton* AData)
    : TvlActiveSkinObject(AParent, AData) {
  if (!AData) return;
  DownRect = AData->DownRect;
  DisableSkinRect = AData->DisableSkinRect;
}

TvlSkinStdButtonObject::TvlSkinStdButtonObject(TvlVelmora* AParent, TvlDataSkinStdButton* AData)
    : TvlSkinButtonObject(AParent, AData) {
  if (!AData) return;
  FSkinSupport = true;
  Command = AData->Command;
  CopyRestoreLooks(*this, *AData);
}

TvlSkinCaptionObject::TvlSkinCaptionObject(TvlVelmora* AParent, TvlDataSkinCaption* AData)
    : TvlActiveSkinObject(AParent, AData) {}

std::unique_ptr<TvlActiveSkinObject> vlCreateSkinObject(TvlVelmora* AParent, TvlDataSkinObject* AData) {
  // Menu items, menu bar items and menu bar buttons belong to the menus. A menu bar button is
  // also a standard button, so the menu kinds are tested first.
  if (dynamic_cast<TvlDataSkinMainMenuItem*>(AData) || dynamic_cast<TvlDataSkinMenuItem*>(AData) ||
      dynamic_cast<TvlDataSkinMainMenuBarButton*>(AData))
    return nullptr;
  if (auto* d = dynamic_cast<TvlDataSkinStdButton*>(AData)) return std::make_unique<TvlSkinStdButtonObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataSkinButton*>(AData)) return std::make_unique<TvlSkinButtonObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataSkinCaption*>(AData)) return std::make_unique<TvlSkinCaptionObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataSkinAnimate*>(AData)) return std::make_unique<TvlSkinAnimateObject>(AParent, d);
  if (auto* d = dynamic_cast<TvlDataUserObject*>(AData)) return std::make_unique<TvlUserObject>(AParent, d);
  return nullptr;
}
