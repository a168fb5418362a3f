#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"

namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

V Lines(const TStrings& list) {
  V out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ini-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  [[nodiscard]] std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  [[nodiscard]] std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string dir_;
};

// Every INI class must read the same text the same way.
std::unique_ptr<TCustomIniFile> Open(bool writeThrough, const std::string& path) {
  if (writeThrough) return std::make_unique<TIniFile>(path);
  return std::make_unique<TMemIniFile>(path);
}

TEST_F(IniFiles, LookupsIgnoreCaseAndMissingKeysGiveTheDefault) {
  std::string path = Write("opt.ini",
                           "[Options]\r\nThread_Count = 4\r\nAfter_Done=\r\nPath=C:=x\r\n\r\n"
                           "[OutPath]\r\nOutPath=/home/u/输出\r\n");
  for (bool writeThrough : {false, true}) {
    SCOPED_TRACE(writeThrough ? "TIniFile" : "TMemIniFile");
    auto ini = Open(writeThrough, path);
    EXPECT_EQ(ini->ReadString("options", "THREAD_COUNT", "Error"), "4");
    EXPECT_EQ(ini->ReadInteger("OPTIONS", "thread_count", -1), 4);
    EXPECT_EQ(ini->ReadString("Options", "After_Done", "Error"), "") << "present but empty is not missing";
    EXPECT_EQ(ini->ReadString("Options", "Path", ""), "C:=x");
    EXPECT_EQ(ini->ReadString("outpath", "outpath", ""), "/home/u/输出");
    EXPECT_EQ(ini->ReadString("Options", "Nope", "Error"), "Error");
    EXPECT_EQ(ini->ReadString("Nope", "Thread_Count", "Error"), "Error");
    EXPECT_TRUE(ini->ValueExists("OPTIONS", "after_done"));
    EXPECT_FALSE(ini->ValueExists("Options", "Nope"));
    EXPECT_TRUE(ini->SectionExists("outPATH"));
    EXPECT_FALSE(ini->SectionExists("Skin"));

    TStringList list;
    list.Add("stale");
    ini->ReadSection("Options", &list);
    EXPECT_EQ(Lines(list), (V{"Thread_Count", "After_Done", "Path"}));
    ini->ReadSections(&list);
    EXPECT_EQ(Lines(list), (V{"Options", "OutPath"}));
    ini->ReadSectionValues("options", &list);
    EXPECT_EQ(Lines(list), (V{"Thread_Count=4", "After_Done=", "Path=C:=x"}));
  }
}

TEST_F(IniFiles, TypedValues) {
  TMemIniFile ini("");
  struct Case {
    const char* text;
    int integer;  // read with default -7
    bool boolean;  // read with default true
  };
  const Case cases[] = {
      {"42", 42, true},          {"-13", -13, true},       {"0x1F", 31, true},   {"$ff", 255, true},
      {"$FFFFFFFF", -1, true},   {"-$10", -16, true},      {"0", 0, false},      {"2", 2, true},
      {"", -7, true},            {"abc", -7, true},        {"12abc", -7, true},  {"0x", -7, true},
      {"2147483648", -7, true},  {"-2147483648", -2147483647 - 1, true},         {"$100000000", -7, true},
      {"true", -7, true},        {"1.5", -7, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ini.WriteString("S", "k", c.text);
    EXPECT_EQ(ini.ReadInteger("S", "k", -7), c.integer);
    EXPECT_EQ(ini.ReadBool("S", "k", true), c.boolean);
  }
  EXPECT_FALSE(ini.ReadBool("S", "missing", false));
  EXPECT_TRUE(ini.ReadBool("S", "missing", true));

  ini.WriteBool("S", "on", true);
  ini.WriteBool("S", "off", false);
  ini.WriteInteger("S", "neg", -5);
  EXPECT_EQ(ini.ReadString("S", "on", ""), "1");
  EXPECT_EQ(ini.ReadString("S", "off", ""), "0");
  EXPECT_EQ(ini.ReadString("S", "neg", ""), "-5");

  for (double value : {0.1, -2.5e-8, 1e20, 3.0}) {
    SCOPED_TRACE(value);
    ini.WriteFloat("F", "x", value);
    EXPECT_EQ(ini.ReadFloat("F", "x", 99), value);
  }
  for (const char* bad : {"", "1,5", "nan", "inf", "1.5x"}) {
    SCOPED_TRACE(bad);
    ini.WriteString("F", "x", bad);
    EXPECT_EQ(ini.ReadFloat("F", "x", 99), 99);
  }
}

TEST_F(IniFiles, MalformedFilesReadAsFarAsTheyMakeSense) {
  struct Case {
    const char* name;
    std::string text;
    V expected;  // GetStrings of what was understood
  };
  const Case cases[] = {
      {"keys before any section", "a=1\r\njunk\r\n[S]\r\nk=v\r\n", {"[S]", "k=v", ""}},
      {"header without ]", "[A]\r\nx=1\r\n[B\r\ny=2\r\n[C]\r\nz=3", {"[A]", "x=1", "", "[C]", "z=3", ""}},
      {"text after ]", "[A] trailing\r\nx=1", {"[A]", "x=1", ""}},
      {"empty key and no =", "[A]\r\n=v\r\n  = w\r\nnoequals\r\nk =  v  \r\n", {"[A]", "k=v", ""}},
      {"repeated key keeps the first", "[A]\r\nk=1\r\nK=2\r\n", {"[A]", "k=1", ""}},
      {"repeated section merges", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n", {"[A]", "x=1", "z=3", "", "[B]", "y=2", ""}},
      {"comments stay out of keys", "; top\r\n[A]\r\n;k=1\r\nk=2\r\n", {"; top", "[A]", ";k=1", "k=2", ""}},
      {"blank section name", "[]\r\nk=v", {"[]", "k=v", ""}},
      {"only garbage", "\x01\x02=\r\n[\r\n]\r\n==\r\n", {}},
      {"NUL bytes", std::string("[A]\r\nk=a\0b\r\n", 12), {"[A]", std::string("k=a\0b", 5), ""}},
      {"lone CR line ends", "[A]\rk=v\r[B]\rj=w", {"[A]", "k=v", "", "[B]", "j=w", ""}},
      {"UTF-8 mark", "\xEF\xBB\xBF[A]\r\nk=v", {"[A]", "k=v", ""}},
      {"UTF-16 LE", std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0v\0", 16), {"[A]", "k=v", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMemIniFile ini(Write("bad.ini", c.text));
    TStringList out;
    ini.GetStrings(&out);
    EXPECT_EQ(Lines(out), c.expected);
  }

  // Random bytes never crash the reader.
  std::string noise;
  unsigned seed = 12345;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const char alphabet[] = "[]=;\r\n aZ\x00\xff\xfe";
    noise += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
  }
  TMemIniFile ini(Write("noise.ini", noise));
  TStringList sections;
  ini.ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) (void)ini.ReadInteger(sections[i], "a", 0);
}

TEST_F(IniFiles, MemIniFileRoundTripsThroughItsFile) {
  std::string path = Path("round.ini");
  {
    TMemIniFile ini(path);
    ini.WriteString("Options", "Thread_Count", "2");
    ini.WriteString("OutPath", "OutPath", "/tmp/out put");
    ini.WriteString("options", "thread_count", "3");  // same key, other case
    ini.WriteBool("Options", "Show_Preview", true);
    EXPECT_FALSE(fs::exists(path)) << "nothing is written before UpdateFile";
    ini.UpdateFile();
  }
  EXPECT_EQ(Read("round.ini"), "[Options]\r\nThread_Count=3\r\nShow_Preview=1\r\n\r\n[OutPath]\r\nOutPath=/tmp/out put\r\n\r\n");

  TMemIniFile again(path);
  EXPECT_EQ(again.ReadInteger("Options", "Thread_Count", 0), 3);
  again.DeleteKey("OPTIONS", "THREAD_COUNT");
  again.EraseSection("outpath");
  again.WriteString("Skin", "SetSkin", "1");
  TStringList lines;
  again.GetStrings(&lines);
  EXPECT_EQ(Lines(lines), (V{"[Options]", "Show_Preview=1", "", "[Skin]", "SetSkin=1", ""}));

  // From text, as a skin description is read out of a stream.
  TStringList text;
  text.SetText("[VERSION]\nskinname=Blue\n[PICTURES]\ncount=0");
  TMemIniFile memory("");
  memory.SetStrings(&text);
  EXPECT_EQ(memory.ReadString("version", "SKINNAME", ""), "Blue");
  memory.UpdateFile();  // memory only: nothing happens
  memory.Clear();
  EXPECT_FALSE(memory.SectionExists("VERSION"));

  memory.Rename(path, true);
  EXPECT_EQ(memory.FileName(), path);
  EXPECT_EQ(memory.ReadString("Skin", "SetSkin", ""), "") << "again was never written to its file";
  EXPECT_TRUE(memory.ReadBool("Options", "Show_Preview", false));
}

TEST_F(IniFiles, SectionsWithoutKeysDoNotCountAsPresent) {
  TMemIniFile ini(Write("empty.ini", "[A]\r\n; only a comment\r\n[B]\r\nk=1\r\n"));
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_TRUE(ini.SectionExists("B"));
  ini.DeleteKey("B", "k");
  EXPECT_FALSE(ini.SectionExists("B"));
}

TEST_F(IniFiles, NewKeysGoAfterTheLastKeyOfTheirSection) {
  TMemIniFile ini(Write("c.ini", "[A]\r\nx=1\r\n; about B\r\n[B]\r\n; nothing yet\r\n"));
  ini.WriteString("A", "y", "2");
  ini.WriteString("B", "z", "3");
  TStringList lines;
  ini.GetStrings(&lines);
  EXPECT_EQ(Lines(lines), (V{"[A]", "x=1", "y=2", "; about B", "", "[B]", "; nothing yet", "z=3", ""}));
}

// Keys are found through a per-section index: it has to follow every insertion and removal,
// also where comments sit between and behind the keys.
TEST_F(IniFiles, LookupsStayRightAsKeysComeAndGo) {
  TMemIniFile ini(Write("idx.ini", "[A]\r\nk1=1\r\n;between\r\nk2=2\r\n;tail\r\n[B]\r\nk1=b\r\n"));
  ini.WriteString("A", "k3", "3");   // goes before the closing comment, which moves on
  ini.DeleteKey("a", "K1");          // every later entry moves back
  ini.WriteString("A", "K2", "22");  // an existing key, other case
  ini.WriteString("A", "k4", "4");
  EXPECT_EQ(ini.ReadString("A", "k1", "-"), "-");
  EXPECT_EQ(ini.ReadString("A", "k2", "-"), "22");
  EXPECT_EQ(ini.ReadString("A", "k3", "-"), "3");
  EXPECT_EQ(ini.ReadString("A", "k4", "-"), "4");
  EXPECT_EQ(ini.ReadString("B", "k1", "-"), "b");
  TStringList lines;
  ini.GetStrings(&lines);
  EXPECT_EQ(Lines(lines), (V{"[A]", ";between", "k2=22", "k3=3", "k4=4", ";tail", "", "[B]", "k1=b", ""}));

  // Many keys, every other one removed again, the rest rewritten: each still reads its own value.
  const int count = 3000;
  for (int i = 0; i < count; ++i) ini.WriteString("Many", "Key" + std::to_string(i), std::to_string(i));
  for (int i = 0; i < count; i += 2) ini.DeleteKey("many", "key" + std::to_string(i));
  for (int i = 1; i < count; i += 4) ini.WriteString("Many", "KEY" + std::to_string(i), "x" + std::to_string(i));
  for (int i = 0; i < count; ++i) {
    const std::string expected = i % 2 == 0 ? "-" : (i % 4 == 1 ? "x" : "") + std::to_string(i);
    ASSERT_EQ(ini.ReadString("Many", "Key" + std::to_string(i), "-"), expected) << i;
  }
  ini.ReadSection("Many", &lines);
  ASSERT_EQ(lines.Count(), count / 2);
  EXPECT_EQ(lines[0], "Key1");
  EXPECT_EQ(lines[count / 2 - 1], "Key" + std::to_string(count - 1));
}

TEST_F(IniFiles, IniFileWritesEachChangeThrough) {
  std::string path = Path("live.ini");
  TIniFile ini(path);
  EXPECT_FALSE(fs::exists(path));
  ini.WriteInteger("Options", "Thread_Count", 2);
  EXPECT_EQ(Read("live.ini"), "[Options]\r\nThread_Count=2\r\n\r\n");

  // A change made by someone else in the meantime survives the next write.
  {
    TIniFile other(path);
    other.WriteString("Skin", "SetSkin", "1");
  }
  ini.WriteString("Options", "After_Done", "0");
  EXPECT_EQ(Read("live.ini"), "[Options]\r\nThread_Count=2\r\nAfter_Done=0\r\n\r\n[Skin]\r\nSetSkin=1\r\n\r\n");

  ini.DeleteKey("Options", "thread_count");
  ini.EraseSection("SKIN");
  EXPECT_EQ(Read("live.ini"), "[Options]\r\nAfter_Done=0\r\n\r\n");

  TIniFile reopened(path);
  EXPECT_EQ(reopened.ReadString("options", "after_done", "Error"), "0");
}

TEST_F(IniFiles, RefusedWritesRaiseAndChangeNothing) {
  // Tests may run with every permission, so make the write fail by the path itself: a missing
  // folder, and a "folder" that is a regular file.
  Write("plain-file", "x");
  const std::string targets[] = {Path("no-such-folder/option.ini"), Path("plain-file/option.ini")};
  for (const auto& target : targets) {
    SCOPED_TRACE(target);
    TIniFile ini(target);
    try {
      ini.WriteString("Options", "Thread_Count", "2");
      FAIL() << "the write must be refused";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(e.Message, "Unable to write to " + target);
    }
    EXPECT_EQ(ini.ReadString("Options", "Thread_Count", "Error"), "Error") << "the refused change is undone";
    EXPECT_THROW(ini.WriteBool("A", "b", true), Exception);

    TMemIniFile memory(target);
    memory.WriteString("A", "b", "c");
    EXPECT_THROW(memory.UpdateFile(), EFCreateError);
  }
}

}  // namespace
