#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

using V = std::vector<std::string>;

TEST(StringList, NamesAndValuesSplitAtTheFirstEquals) {
  TStringList list;
  list.SetText("x=y=z\r\n=v\r\nplain\r\nKey = spaced\r\nempty=\r\n");

  struct Case {
    int index;
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {0, "x", "y=z"}, {1, "", "v"}, {2, "", ""}, {3, "Key ", " spaced"}, {4, "empty", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(list.Names(c.index), c.name);
    EXPECT_EQ(list.ValueFromIndex(c.index), c.value);
  }

  EXPECT_EQ(list.Values("X"), "y=z") << "names match regardless of case";
  EXPECT_EQ(list.IndexOfName("plain"), -1) << "a line without '=' has no name";
  EXPECT_EQ(list.IndexOfName(""), 1);
  EXPECT_EQ(list.IndexOfName("empty"), 4);
  EXPECT_EQ(list.Values("missing"), "");
}

TEST(StringList, SetValueReplacesAppendsAndDeletes) {
  TStringList list;
  list.SetText("a=1\r\nb=2\r\n");
  list.SetValue("B", "two=2");
  list.SetValue("c", "3");
  EXPECT_EQ(Lines(list), (V{"a=1", "B=two=2", "c=3"}));
  list.SetValue("a", "");
  EXPECT_EQ(Lines(list), (V{"B=two=2", "c=3"}));
  list.SetValue("nothing", "");
  EXPECT_EQ(list.Count(), 2);

  // A sorted list keeps its order (it refuses a plain replacement of a line).
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Add("b=1");
  sorted.Add("m=1");
  sorted.SetValue("b", "z");
  sorted.SetValue("a", "1");
  EXPECT_EQ(Lines(sorted), (V{"a=1", "b=z", "m=1"}));
  EXPECT_THROW(sorted.SetStrings(0, "x"), EListError);
}

TEST(StringList, SortedListsFindAndTreatDuplicates) {
  TStringList list;
  list.SetText("pear\r\napple\r\nFig\r\n");
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (V{"apple", "Fig", "pear"}));

  int index = -1;
  EXPECT_TRUE(list.Find("FIG", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find("banana", index));
  EXPECT_EQ(index, 1) << "where it would go";
  EXPECT_EQ(list.IndexOf("PEAR"), 2);

  EXPECT_EQ(list.Add("APPLE"), 0) << "dupIgnore is the default and answers the present line";
  EXPECT_EQ(list.Count(), 3);

  list.SetDuplicates(TDuplicates::dupError);
  try {
    list.Add("apple");
    FAIL() << "a duplicate must be refused";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "String list does not allow duplicates");
  }

  list.SetDuplicates(TDuplicates::dupAccept);
  list.Add("APPLE");
  EXPECT_EQ(Lines(list), (V{"apple", "APPLE", "Fig", "pear"}));

  EXPECT_THROW(list.Insert(0, "zz"), EListError);
  EXPECT_THROW(list.Exchange(0, 1), EListError);
  EXPECT_THROW(list.Move(0, 3), EListError);
  EXPECT_EQ(list.Count(), 4) << "refused operations change nothing";

  list.SetCaseSensitive(true);
  EXPECT_EQ(Lines(list), (V{"APPLE", "Fig", "apple", "pear"}));
  EXPECT_EQ(list.IndexOf("fig"), -1);
}

TEST(StringList, IndexErrorsAndObjects) {
  TStringList list;
  list.Add("a");
  TStringList payload;
  list.AddObject("b", &payload);
  EXPECT_EQ(list.Objects(1), &payload);
  EXPECT_EQ(list.IndexOfObject(&payload), 1);

  list.Move(1, 0);
  EXPECT_EQ(Lines(list), (V{"b", "a"}));
  EXPECT_EQ(list.Objects(0), &payload) << "the object moves with its line";
  list.Exchange(0, 1);
  EXPECT_EQ(list.Objects(1), &payload);

  for (int bad : {-1, 2}) {
    SCOPED_TRACE(bad);
    try {
      (void)list.Strings(bad);
      FAIL();
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message, "List index out of bounds (" + std::to_string(bad) + ")");
    }
    EXPECT_THROW(list.Delete(bad), EListError);
    EXPECT_THROW(list.SetObject(bad, nullptr), EListError);
  }
  EXPECT_THROW(list.Insert(3, "x"), EListError);
  list.Insert(2, "end");
  EXPECT_EQ(list[2], "end");
}

TEST(StringList, TextSplitsEveryLineBreakAndWritesCrLf) {
  struct Case {
    const char* name;
    std::string text;
    V lines;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"one break", "\r\n", {""}},
      {"no final break", "a\r\nb", {"a", "b"}},
      {"mixed", "a\nb\rc\r\nd\n\re", {"a", "b", "c", "d", "", "e"}},
      {"blank lines kept", "a\r\n\r\n\nb\n", {"a", "", "", "b"}},
      {"embedded NUL", std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
  TStringList list;
  list.SetText("a\nb");
  EXPECT_EQ(list.Text(), "a\r\nb\r\n");
}

TEST(StringList, DelimitedAndCommaText) {
  struct Case {
    const char* text;
    V lines;
  };
  const Case reads[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"a b,c", {"a", "b", "c"}},
      {"\"a b\",\"say \"\"hi\"\"\"", {"a b", "say \"hi\""}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"  ", {}},
      {"\"\"", {""}},
      {"中文,x", {"中文", "x"}},
  };
  for (const auto& c : reads) {
    SCOPED_TRACE(c.text);
    TStringList list;
    list.SetCommaText(c.text);
    EXPECT_EQ(Lines(list), c.lines);
    // What is written reads back to the same lines.
    TStringList again;
    again.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(again), c.lines);
  }

  TStringList list;
  list.SetText("a b\r\nc\r\nq\"d\r\n");
  EXPECT_EQ(list.CommaText(), "\"a b\",c,\"q\"\"d\"");
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  EXPECT_EQ(list.DelimitedText(), "'a b';c;q\"d");
  list.SetDelimitedText("x;'y;z'");
  EXPECT_EQ(Lines(list), (V{"x", "y;z"}));
  EXPECT_EQ(list.Delimiter(), ';') << "CommaText does not change the list's own delimiter";
}

TEST(StringList, ChangeEventsFireOncePerOuterUpdate) {
  TStringList list;
  std::vector<std::string> log;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    log.push_back("changing");
  };
  list.OnChange = [&](TObject*) { log.push_back("change"); };

  list.Add("a");
  EXPECT_EQ(log, (V{"changing", "change"}));
  log.clear();

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(log, (V{"changing"}));
  list.EndUpdate();
  EXPECT_EQ(log, (V{"changing", "change"}));
  log.clear();

  list.SetText("x\ny\nz");
  EXPECT_EQ(log, (V{"changing", "change"}));
  log.clear();
  list.EndUpdate();  // unbalanced: ignored
  EXPECT_TRUE(log.empty());
}

TEST(StringList, AssignAddStringsAndCustomSort) {
  TStringList source;
  source.SetText("b\nA\nc");
  TStringList copy;
  copy.Add("old");
  copy.Assign(&source);
  EXPECT_EQ(Lines(copy), (V{"b", "A", "c"}));

  copy.AddStrings(&copy);
  EXPECT_EQ(Lines(copy), (V{"b", "A", "c", "b", "A", "c"}));

  copy.CustomSort([](TStringList* list, int a, int b) {
    // Descending by raw bytes.
    return list->Strings(b).compare(list->Strings(a));
  });
  EXPECT_EQ(Lines(copy), (V{"c", "c", "b", "b", "A", "A"}));

  copy.Sort();
  EXPECT_EQ(Lines(copy), (V{"A", "A", "b", "b", "c", "c"}));
}

class StringListFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "strings-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

TEST_F(StringListFiles, LoadDetectsByteOrderMarks) {
  struct Case {
    const char* name;
    std::string bytes;
    V lines;
  };
  const Case cases[] = {
      {"plain", "a=1\r\n中\n", {"a=1", "中"}},
      {"utf-8 mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", {"[s]", "k=v"}},
      {"utf-16 le", std::string("\xFF\xFE" "a\0=\0\x2D\x4E\r\0\n\0b\0", 14), {"a=中", "b"}},
      {"utf-16 be", std::string("\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00", 10), {"a", "\xF0\x9F\x98\x80"}},
      {"utf-16 odd tail and lone surrogate", std::string("\xFF\xFE\x00\xD8x\0z", 7), {"\xEF\xBF\xBDx"}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.LoadFromFile(Write("in.txt", c.bytes));
    EXPECT_EQ(Lines(list), c.lines);
  }
}

TEST_F(StringListFiles, SaveWritesUtf8WithoutMarkAndMissingFilesRaise) {
  TStringList list;
  list.SetText("\xEF\xBB\xBFno\nmark");  // a mark inside the text is just text
  list.Delete(0);
  list.Add("中文");
  std::string path = dir_ + "/out.txt";
  list.SaveToFile(path);
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, "mark\r\n中文\r\n");

  std::string missing = dir_ + "/missing.txt";
  try {
    list.LoadFromFile(missing);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message.rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << e.Message;
  }
  EXPECT_EQ(list.Count(), 2) << "a failed load keeps the lines";
  EXPECT_THROW(list.SaveToFile(dir_ + "/none/out.txt"), EFCreateError);
}

TEST(StringList, LoadFromStreamReadsTheRestFromThePosition) {
  TStringStream stream("HEADER|line1\r\nline2");
  stream.SetPosition(7);
  TStringList list;
  list.LoadFromStream(&stream);
  EXPECT_EQ(Lines(list), (V{"line1", "line2"}));
}

}  // namespace
