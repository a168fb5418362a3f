#include "lib/data/vlResourceStrData.h"

#include <gtest/gtest.h>

#include "lib/data/vlconst.h"

TEST(ResourceStrData, StartsWithTheBuiltInTexts) {
  TvlResourceStrData table(nullptr);
  EXPECT_EQ(table.ResStrings()->Count(), 131);
  EXPECT_EQ(table.ResStrings()->Strings(0), "MI_MINCAPTION=Mi&nimize");
  EXPECT_EQ(table.ResStrings()->Strings(130), "DBNAV_REFRESH=REFRESH");
  EXPECT_EQ(table.CharSet, 1);
  struct Case {
    const char* key;
    const char* text;
  };
  const Case cases[] = {
      {"mi_maxcaption", "Ma&ximize"},          // keys ignore case
      {"FLV_LOOKIN", "Look in: "},             // trailing blank kept
      {"FIND_REPLACE_All", "Replace All"},
      {"MSG_BTN_NOTOALL", "N&oToAll"},
      {"NO_SUCH_KEY", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(table.GetResStr(c.key), c.text);
  }
  EXPECT_EQ(vlBuiltInText("MSG_CAP_SHOWFLAG"), "Do not display this message again");
  EXPECT_EQ(vlBuiltInText("msg_cap_showflag"), "");
}

TEST(ResourceStrData, LookupRules) {
  TvlResourceStrData table(nullptr);
  TStringList lines;
  lines.Add("NOEQUALS");
  lines.Add("EQ=a=b");
  lines.Add("DUP=first");
  lines.Add("DUP=second");
  lines.Add("SPACED =x");
  lines.Add("EMPTY=");
  table.SetResStrings(&lines);
  EXPECT_EQ(table.ResStrings()->Count(), 6);
  EXPECT_EQ(table.GetResStr("NOEQUALS"), "");
  EXPECT_EQ(table.GetResStr("EQ"), "a=b");
  EXPECT_EQ(table.GetResStr("dup"), "first");
  EXPECT_EQ(table.GetResStr("SPACED"), "");
  EXPECT_EQ(table.GetResStr("SPACED "), "x");
  EXPECT_EQ(table.GetResStr("EMPTY"), "");
  EXPECT_EQ(table.GetResStr("MI_MINCAPTION"), "");  // the defaults were replaced
}
