// The main of every test program. Before the first case it points fontconfig at the test fonts
// (tests/fonts.conf: only the faces scripts/setup installs) and fixes FreeType's hinting, so a
// drawn picture does not depend on the fonts or the settings of the machine; programs the tests
// start inherit both.

#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::setenv("FONTCONFIG_FILE", CONVERTER_TEST_FONTS, 1);
  // The hinting engines as this FreeType ships them, whatever the environment asks for.
  ::setenv("FREETYPE_PROPERTIES",
           "truetype:interpreter-version=40 cff:no-stem-darkening=1 autofitter:no-stem-darkening=1", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
