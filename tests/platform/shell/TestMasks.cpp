// File-name masks: wildcards, sets and ranges, letter case, characters beyond ASCII, and masks
// that cannot be read.

#include <gtest/gtest.h>

#include <string>

#include "platform/shell/Masks.h"

namespace {

TEST(Masks, MatchWholeNamesWithWildcardsSetsAndRangesIgnoringCase) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"movie.avi", "*.avi", true},
      {"MOVIE.AVI", "*.avi", true},
      {"movie.avi.part", "*.avi", false},
      {"readme", "*.*", false},  // the dot is a character of its own
      {"readme", "*", true},
      {"", "*", true},
      {"", "?", false},
      {"a.b.c", "*.*", true},
      {"clip1.mp4", "clip?.mp4", true},
      {"clip12.mp4", "clip?.mp4", false},
      {"clip12.mp4", "clip*.mp4", true},
      {"视频.mp4", "??.mp4", true},  // "?" is one character, not one byte
      {"视频.MP4", "视*.mp4", true},
      {"b.jpg", "[abc].jpg", true},
      {"d.jpg", "[abc].jpg", false},
      {"Q.jpg", "[a-z].jpg", true},
      {"5.jpg", "[a-z].jpg", false},
      {"5.jpg", "[!a-z].jpg", true},
      {"x-y", "x[-]y", true},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false},
      {"abcabd", "*abd", true},
      {"ab", "a**b", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " ~ " + c.mask);
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches);
  }
}

TEST(Masks, AnUnreadableMaskIsAnErrorNamingWhere) {
  struct Case {
    const char* mask;
    const char* message;
  };
  const Case cases[] = {
      {"*.[ab", "'*.[ab' is an invalid mask at (2)"},
      {"[]x", "'[]x' is an invalid mask at (0)"},
      {"a[!]", "'a[!]' is an invalid mask at (1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    try {
      (void)MatchesMask("a", c.mask);
      ADD_FAILURE() << "no error";
    } catch (const EMaskException& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
}

}  // namespace
