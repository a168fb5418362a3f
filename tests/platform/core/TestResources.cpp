#include <gtest/gtest.h>

#include <string>

#include "platform/core/Exceptions.h"
#include "platform/core/Resources.h"

namespace {

const char kSkinBytes[] = "skin bytes";
const unsigned char kBitmapBytes[] = {'B', 'M', 0, 1};
// Registered before main, as generated files do.
const TResourceRegistration kSkin("QireloSkin1", RT_RCDATA, kSkinBytes, sizeof kSkinBytes - 1);
const TResourceRegistration kBitmap("QireloSkin1", RT_BITMAP, kBitmapBytes, sizeof kBitmapBytes);
const TResourceRegistration kLater("QIRELOSKIN1", "rcdata", "other", 5);

TEST(Resources, NamedLookupsAndStreams) {
  const TResourceData* skin = FindResourceData("qireloskin1", "RCDATA");
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->Data, kSkinBytes) << "the first registration of a name and type stays";
  EXPECT_EQ(FindResourceData("QireloSkin1", RT_BITMAP)->Size, sizeof kBitmapBytes);
  EXPECT_EQ(FindResourceData("QireloSkin2", RT_RCDATA), nullptr);

  TResourceStream stream(HInstance(), "QIRELOSKIN1", RT_RCDATA);
  EXPECT_EQ(stream.Size(), 10);
  char buffer[16] = {};
  stream.Seek(5, TSeekOrigin::soBeginning);
  stream.ReadBuffer(buffer, 5);
  EXPECT_EQ(std::string(buffer, 5), "bytes");
  EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError) << "resources are read-only";

  try {
    TResourceStream missing(HInstance(), "NoSuchSkin", RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource NoSuchSkin not found");
  }
}

}  // namespace
