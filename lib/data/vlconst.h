#pragma once
// The skin library's built-in English interface texts: what a skinned form, menu, message box or
// dialog shows when no interface text table is attached to its skin container, and the lines a
// new interface text table starts with.

#include <span>
#include <string>
#include <string_view>

struct TvlBuiltInText {
  std::string_view Name;  // the table key, exactly as written (note FIND_REPLACE_All)
  std::string_view Text;
};

// Every built-in text, in the order a new interface text table lists them.
[[nodiscard]] std::span<const TvlBuiltInText> vlBuiltInTexts();

// The built-in text of a key (exact, case-sensitive match), or empty when there is none.
[[nodiscard]] std::string vlBuiltInText(std::string_view Name);
