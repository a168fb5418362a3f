#pragma once
// A skin taken apart into its pictures and its description text, and put back together with
// another description: how the hostile-skin tests and the skin fuzz target change what a real
// skin says while keeping its pictures.

#include <cstdint>
#include <string>

#include "lib/data/vlCompressedSkin.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlzlibcompress.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"

namespace skin_description_text {

// A skin's payload split where its description text begins.
struct TSplitSkin {
  std::string Pictures;
  std::string Description;
};

inline TSplitSkin Split(TvlSkinData* Skin) {
  TvlCompressedStoredSkin stored(nullptr);
  stored.LoadFromSkinData(Skin);
  TMemoryStream payload;
  stored.DeCompressToStream(&payload);
  const std::string bytes(static_cast<const char*>(payload.Memory()), static_cast<std::size_t>(payload.Size()));
  const std::size_t text = bytes.find("[VERSION]");
  if (text == std::string::npos) return {bytes, {}};
  return {bytes.substr(0, text), bytes.substr(text)};
}

// Loads Pictures followed by Description (Size bytes) into Target through its compressed-skin
// load, with the change messages that load sends.
inline void Load(TvlSkinData& Target, const std::string& Pictures, const void* Description, std::size_t Size) {
  TMemoryStream packed;
  {
    // Stored without compression: the pictures are large, and a fuzzing run loads them often.
    TCompressionStream compressor(TCompressionLevel::clNone, &packed);
    compressor.WriteBuffer(Pictures.data(), static_cast<std::int64_t>(Pictures.size()));
    if (Size > 0) compressor.WriteBuffer(Description, static_cast<std::int64_t>(Size));
    compressor.Finish();
  }
  packed.SetPosition(0);
  TvlCompressedStoredSkin stored(nullptr);
  stored.ReadCompressedData(&packed);
  Target.LoadCompressedStoredSkin(&stored);
}

inline void Load(TvlSkinData& Target, const TSplitSkin& Skin) {
  Load(Target, Skin.Pictures, Skin.Description.data(), Skin.Description.size());
}

// Description with Key of Section set to Value.
inline std::string WithValue(const std::string& Description, const std::string& Section, const std::string& Key,
                             const std::string& Value) {
  TStringList lines;
  lines.SetText(Description);
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  ini.WriteString(Section, Key, Value);
  TStringList out;
  ini.GetStrings(&out);
  return out.Text();
}

}  // namespace skin_description_text
