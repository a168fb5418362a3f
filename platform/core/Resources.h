#pragma once
// The program's table of named resources: data compiled into the program (skins, bitmaps)
// registered under a name and a type before main runs, and read back as streams.
//
// A generated source file registers each resource with a static object:
//   static const TResourceRegistration kSkin("SKIN1", RT_RCDATA, kSkinBytes, sizeof kSkinBytes);

#include <cstddef>
#include <string>

#include "platform/core/Streams.h"
#include "platform/core/Types.h"

// Constant-initialised, so static registrations in any file may use them.
inline constexpr char RT_RCDATA[] = "RCDATA";
inline constexpr char RT_BITMAP[] = "BITMAP";

// Registers Size bytes at Data (which must live as long as the program) under Name and Type.
// Names and types match regardless of ASCII case; a second registration of the same name and
// type is ignored, so the first stays.
struct TResourceRegistration {
  TResourceRegistration(std::string name, std::string type, const void* data, std::size_t size);
};

struct TResourceData {
  const void* Data = nullptr;
  std::size_t Size = 0;
};

// The registered resource, or nullptr.
[[nodiscard]] const TResourceData* FindResourceData(const std::string& Name, const std::string& Type);

// The module handle of the program, the only module whose resources exist.
[[nodiscard]] HINSTANCE HInstance();

// A read-only stream over a registered resource. Raises EResNotFound "Resource NAME not found"
// when there is none.
class TResourceStream : public TCustomMemoryStream {
 public:
  TResourceStream(HINSTANCE Instance, const std::string& ResName, const std::string& ResType);
};
