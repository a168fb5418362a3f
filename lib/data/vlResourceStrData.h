#pragma once
// TvlResourceStrData: the skin library's interface text table, lines of a key, "=" and the text.
// A skinned part whose skin container has a table attached shows the table's answer, even an
// empty one; only without a table does it show its built-in English text (vlconst.h).

#include <memory>
#include <string>

#include "platform/controls/Component.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/core/Strings.h"

class TvlResourceStrData : public TComponent {
 public:
  // Starts with the built-in texts, one line each, and CharSet 1 (DEFAULT_CHARSET).
  explicit TvlResourceStrData(TComponent* AOwner);
  ~TvlResourceStrData() override;

  [[nodiscard]] TStringList* ResStrings() const { return FResStrs.get(); }
  // Replaces every line by a copy of Value's lines.
  void SetResStrings(TStrings* Value);

  TFontCharset CharSet = 1;  // DEFAULT_CHARSET

  // The text after the first "=" of the first line whose key (the text before that "=")
  // equals ResName ignoring case; empty when no line matches.
  [[nodiscard]] std::string GetResStr(const std::string& ResName) const;

 private:
  std::unique_ptr<TStringList> FResStrs;
};
