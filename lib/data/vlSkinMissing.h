#pragma once
// What a loaded skin lacked when its controls asked for it: the element names a control looked
// up and did not find, and the picture indexes other than -1 that name no picture. A control
// that meets either draws its built-in look, so an empty record means every control drew from
// the skin. A diagnosis of a skin against the controls (tests read it), not skin data: every
// load or clear of the container starts its record afresh, and a container that goes takes its
// record with it. GUI thread only.

#include <initializer_list>
#include <set>
#include <string>

class TBitmap;
class TvlDataSkinControl;
class TvlSkinData;

struct TvlSkinMissing {
  std::set<std::string> Elements;  // a look-up among alternatives notes them joined by "|"
  std::set<int> Pictures;
};

// The record of SkinData (empty when nothing was noted).
[[nodiscard]] const TvlSkinMissing& vlSkinMissing(const TvlSkinData* SkinData);
void vlNoteMissingElement(const TvlSkinData* SkinData, const std::string& Name);
void vlNoteMissingPicture(const TvlSkinData* SkinData, int Index);
void vlForgetMissing(const TvlSkinData* SkinData);

// Index of the first of Names, in their order, among the container's control elements; -1
// without a container, for an empty skin or when none is there (a loaded skin then notes the
// alternatives as missing).
[[nodiscard]] int vlFindControlElement(TvlSkinData* SkinData, std::initializer_list<const char*> Names);

// Look-ups shared by the skinned controls and menus (all range-checked).
// Index of Name among the container's control elements; -1 without a container, for an empty
// skin or an absent name (a loaded skin then notes it as missing).
[[nodiscard]] int vlFindControlElement(TvlSkinData* SkinData, const std::string& Name);
// The element at Index, nullptr when the index is outside the list.
[[nodiscard]] TvlDataSkinControl* vlControlElement(TvlSkinData* SkinData, int Index);
// The further picture at Index, nullptr for -1, an index outside the list or an empty picture
// (a loaded skin then notes the index as missing).
[[nodiscard]] TBitmap* vlSkinPicture(TvlSkinData* SkinData, int Index);
