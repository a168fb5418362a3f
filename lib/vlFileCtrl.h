#pragma once
// File-system helpers of the file dialogs: the folder test and the filter combo box, which offers
// the entries of a filter text ("description|mask|description|mask…") and answers the mask of
// the chosen entry. GUI thread only.

#include <string>

#include "lib/vlSkinBoxCtrlsCombo.h"
#include "platform/Strings.h"

// True when Path names an existing directory (its attributes can be read and carry the
// directory flag).
[[nodiscard]] bool IsExistingFolder(const std::string& Path);

class TvlSkinFilterComboBox : public TvlSkinComboBox {
 public:
  // The filter of one entry that lists every file.
  static constexpr const char* kDefaultFilter = "All files (*.*)|*.*";

  explicit TvlSkinFilterComboBox(TComponent* AOwner);

  [[nodiscard]] const std::string& Filter() const { return FFilter; }
  // A different text (compared ignoring case) rebuilds the entries and selects the first: pairs
  // of a description and a mask, all separated by "|". A trailing description without a mask is
  // dropped; a text without "|" gives no entries.
  void SetFilter(const std::string& Value);
  // The mask of the selected entry; with no selection the last entry's, "*.*" without entries.
  [[nodiscard]] std::string Mask() const;
  // The masks of the entries, in their order.
  [[nodiscard]] const TStringList& MaskList() const { return FMaskList; }

 private:
  void BuildFilterList();

  std::string FFilter;
  TStringList FMaskList;
};
