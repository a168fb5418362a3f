// The folder test and the filter combo box (TvlSkinFilterComboBox).
#include "lib/vlFileCtrl.h"

#include "platform/SysUtils.h"

bool IsExistingFolder(const std::string& Path) { return !Path.empty() && DirectoryExists(Path); }

TvlSkinFilterComboBox::TvlSkinFilterComboBox(TComponent* AOwner) : TvlSkinComboBox(AOwner) {
  SetFilter(kDefaultFilter);
}

void TvlSkinFilterComboBox::SetFilter(const std::string& Value) {
  if (!FFilter.empty() && SameText(Value, FFilter)) return;
  FFilter = Value;
  // The entries exist at once (the items live in the drop-down list, not in the window), so
  // an index chosen before the box is shown stays chosen.
  BuildFilterList();
  ItemIndexChanged();
}

void TvlSkinFilterComboBox::BuildFilterList() {
  Items()->Clear();
  FMaskList.Clear();
  std::string rest = FFilter;
  for (std::size_t bar = rest.find('|'); bar != std::string::npos; bar = rest.find('|')) {
    const std::string description = rest.substr(0, bar);
    rest.erase(0, bar + 1);
    const std::size_t next = rest.find('|');
    const std::string mask = rest.substr(0, next);
    rest.erase(0, next == std::string::npos ? rest.size() : next + 1);
    Items()->Add(description);
    FMaskList.Add(mask);
  }
  if (Items()->Count() > 0) SetItemIndex(0);
}

std::string TvlSkinFilterComboBox::Mask() const {
  if (FMaskList.Count() == 0) return "*.*";
  const int index = ItemIndex();
  return FMaskList.Strings(index >= 0 && index < FMaskList.Count() ? index : FMaskList.Count() - 1);
}
