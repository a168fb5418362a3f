#include "lib/data/vlResourceStrData.h"

#include "lib/data/vlconst.h"
#include "platform/core/SysUtils.h"

TvlResourceStrData::TvlResourceStrData(TComponent* AOwner)
    : TComponent(AOwner), FResStrs(std::make_unique<TStringList>()) {
  for (const TvlBuiltInText& text : vlBuiltInTexts())
    FResStrs->Add(std::string(text.Name) + "=" + std::string(text.Text));
}

TvlResourceStrData::~TvlResourceStrData() = default;

void TvlResourceStrData::SetResStrings(TStrings* Value) { FResStrs->Assign(Value); }

std::string TvlResourceStrData::GetResStr(const std::string& ResName) const {
  for (int i = 0; i < FResStrs->Count(); ++i) {
    const std::string line = FResStrs->Strings(i);
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (AnsiSameText(std::string_view(line).substr(0, equals), ResName)) return line.substr(equals + 1);
  }
  return {};
}
