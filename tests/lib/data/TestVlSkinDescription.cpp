#include "lib/data/vlSkinDescription.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlDataSkinObjects.h"
#include "lib/data/vlSkinData.h"
#include "platform/core/Exceptions.h"

namespace {

std::unique_ptr<TMemIniFile> IniOf(const std::string& text) {
  auto ini = std::make_unique<TMemIniFile>("");
  TStringList lines;
  lines.SetText(text);
  ini->SetStrings(&lines);
  return ini;
}

// Gives every bound field a value different from its default, distinct per key.
void SetDistinctValues(const TvlSkinKeys& keys) {
  int n = 1;
  for (const auto& e : keys.Entries()) {
    ++n;
    std::visit(
        [&](auto* field) {
          using T = std::remove_pointer_t<decltype(field)>;
          // Distinct and within what the reader accepts (alpha values are 0..255).
          if constexpr (std::is_same_v<T, std::int32_t>)
            *field = vlIntegerRefusal(e.Key, 1000) ? n : e.IntDefault + 1000 + n;
          else if constexpr (std::is_same_v<T, bool>) *field = true;
          else if constexpr (std::is_same_v<T, std::string>) *field = std::string(e.Key) + " value";
          else if constexpr (std::is_same_v<T, TRect>) *field = TRect{-n, n, n + 10, n + 20};
          else if constexpr (std::is_same_v<T, TPoint>) *field = TPoint{n, -n};
          else if constexpr (std::is_same_v<T, TFontStyles>) *field = TFontStyles{TFontStyle::fsBold, TFontStyle::fsStrikeOut};
          else if constexpr (std::is_same_v<T, TAlignment>) *field = TAlignment::taLeftJustify;
          else if constexpr (std::is_same_v<T, TvlStretchType>) *field = TvlStretchType::vlstVert;
          else if constexpr (std::is_same_v<T, TvlMorphKind>) *field = TvlMorphKind::mkPush;
          else if constexpr (std::is_same_v<T, TvlInActiveEffect>) *field = TvlInActiveEffect::ieInvert;
          else if constexpr (std::is_same_v<T, TvlStdCommand>) *field = TvlStdCommand::cmRollUp;
        },
        e.Value);
  }
}

// Compares two objects' fields key by key; names the first key that differs.
void ExpectSameValues(const TvlSkinKeys& a, const TvlSkinKeys& b) {
  ASSERT_EQ(a.Entries().size(), b.Entries().size());
  for (std::size_t i = 0; i < a.Entries().size(); ++i) {
    SCOPED_TRACE(a.Entries()[i].Key);
    std::visit(
        [&](auto* left) {
          using T = std::remove_pointer_t<decltype(left)>;
          auto* right = std::get<T*>(b.Entries()[i].Value);
          EXPECT_TRUE(*left == *right);
        },
        a.Entries()[i].Value);
  }
}

// Keys a section holds, as the INI object lists them (lower-cased for comparison).
std::set<std::string> KeysOf(TCustomIniFile& ini, const std::string& section) {
  TStringList keys;
  ini.ReadSection(section, &keys);
  std::set<std::string> result;
  for (int i = 0; i < keys.Count(); ++i) {
    std::string k = keys.Strings(i);
    for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    result.insert(k);
  }
  return result;
}

std::set<std::string> BoundKeys(const TvlSkinKeys& keys) {
  std::set<std::string> result;
  for (const auto& e : keys.Entries()) {
    std::string k = e.Key;
    for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    result.insert(k);
  }
  return result;
}

}  // namespace

// ---- value encodings ----

TEST(SkinDescriptionValues, RectanglesAndPoints) {
  struct Case {
    const char* text;
    bool valid;
    TRect rect;
  };
  const Case rects[] = {
      {"1,2,3,4", true, {1, 2, 3, 4}},
      {" 1 , 2 ,3 , 4 ", true, {1, 2, 3, 4}},
      {"-5,x-6,7a,8,99", true, {-5, -6, 7, 8}},
      {"1,2,3", false, {}},
      {"1,2,,4", false, {}},
      {"a,b,c,d", false, {}},
      {"", false, {}},
      {"1,2,3,99999999999", false, {}},
  };
  for (const Case& c : rects) {
    SCOPED_TRACE(c.text);
    if (c.valid) EXPECT_EQ(ParseRectText(c.text), c.rect);
    else EXPECT_THROW((void)ParseRectText(c.text), EConvertError);
  }
  EXPECT_EQ(ParsePointText("-5,3"), (TPoint{-5, 3}));
  EXPECT_EQ(ParsePointText("1,2,3"), (TPoint{1, 2}));
  EXPECT_THROW((void)ParsePointText("7"), EConvertError);
}

TEST(SkinDescriptionValues, IntegersBooleansAndKeywords) {
  auto ini = IniOf(
      "[S]\nhex=$10\nhex2=0x20\nneg=-7\nbig=4294967296\nword=abc\nallbits=$FFFFFFFF\n"
      "b1=1\nb2=2\nb3=true\n"
      "st1=sthorz\nst2=STVERT\nst3=other\nst4=stvert\n"
      "ie1=iedarkness\nie2=nonsense\n"
      "fs1=fsitalic,fsbold\nfs2=FSBOLD\n"
      "al1=taleftjustify\nal2=whatever\n"
      "mk=mkleftslide\nmk2=MKPUSH\n"
      "cmd1=cmclose\ncmd2=cmclos\n");
  TCustomIniFile* f = ini.get();
  EXPECT_EQ(ReadIniInteger(f, "S", "hex", 0), 16);
  EXPECT_EQ(ReadIniInteger(f, "S", "hex2", 0), 32);
  EXPECT_EQ(ReadIniInteger(f, "S", "neg", 0), -7);
  EXPECT_EQ(ReadIniInteger(f, "S", "big", 5), 5);
  EXPECT_EQ(ReadIniInteger(f, "S", "word", 6), 6);
  EXPECT_EQ(ReadIniInteger(f, "S", "allbits", 0), -1);
  EXPECT_EQ(ReadIniInteger(f, "S", "absent", 9), 9);
  EXPECT_TRUE(ReadIniBoolean(f, "S", "b1"));
  EXPECT_FALSE(ReadIniBoolean(f, "S", "b2"));
  EXPECT_FALSE(ReadIniBoolean(f, "S", "b3"));
  EXPECT_EQ(ReadStretchType(f, "S", "st1"), TvlStretchType::vlstHorz);
  EXPECT_EQ(ReadStretchType(f, "S", "st2"), TvlStretchType::vlstHorz);
  EXPECT_EQ(ReadStretchType(f, "S", "st3"), TvlStretchType::vlstHorz);
  EXPECT_EQ(ReadStretchType(f, "S", "st4"), TvlStretchType::vlstVert);
  EXPECT_EQ(ReadStretchType(f, "S", "absent"), TvlStretchType::vlstFull);
  EXPECT_EQ(ReadInActiveEffect(f, "S", "ie1"), TvlInActiveEffect::ieDarkness);
  EXPECT_EQ(ReadInActiveEffect(f, "S", "ie2"), TvlInActiveEffect::ieGrayScale);
  EXPECT_EQ(ReadInActiveEffect(f, "S", "absent"), TvlInActiveEffect::ieBrightness);
  EXPECT_EQ(ReadIniFontStyles(f, "S", "fs1"), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
  EXPECT_TRUE(ReadIniFontStyles(f, "S", "fs2").Empty());
  EXPECT_EQ(ReadIniAlignment(f, "S", "al1"), TAlignment::taLeftJustify);
  EXPECT_EQ(ReadIniAlignment(f, "S", "al2"), TAlignment::taRightJustify);
  EXPECT_EQ(ReadIniAlignment(f, "S", "absent"), TAlignment::taCenter);
  EXPECT_EQ(ReadMorphKind(f, "S", "mk"), TvlMorphKind::mkLeftSlide);
  EXPECT_EQ(ReadMorphKind(f, "S", "mk2"), TvlMorphKind::mkDefault);
  EXPECT_EQ(ReadStdCommand(f, "S", "cmd1"), TvlStdCommand::cmClose);
  EXPECT_EQ(ReadStdCommand(f, "S", "cmd2"), TvlStdCommand::cmMinimizeToTray);
  EXPECT_EQ(ReadStdCommand(f, "S", "absent"), TvlStdCommand::cmDefault);

  TMemIniFile out("");
  WriteIniFontStyles(&out, "W", "fs", TFontStyles{TFontStyle::fsUnderline, TFontStyle::fsBold});
  EXPECT_EQ(out.ReadString("W", "fs", ""), "fsbold,fsunderline");
  WriteIniRect(&out, "W", "r", TRect{-1, 2, 3, 4});
  EXPECT_EQ(out.ReadString("W", "r", ""), "-1,2,3,4");
}

TEST(SkinDescriptionValues, StringListsStopAtTheEntriesPresent) {
  auto ini = IniOf("[P]\nnamescount=2147483647\n0=a.bmp\n1=b.bmp\n");
  TStringList names;
  ReadIniStrings(ini.get(), "P", "names", &names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Strings(1), "b.bmp");
}

TEST(SkinDescriptionValues, SkinFileTest) {
  const std::string five =
      "[VERSION]\nver=1\n[PICTURES]\npicture=\n[FORMINFO]\nborderwidth=0\n"
      "[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\ncount=0\n";
  EXPECT_TRUE(IsSkinIniFile(IniOf(five).get()));
  EXPECT_FALSE(IsSkinIniFile(IniOf("[VERSION]\nver=1\n[PICTURES]\npicture=\n[FORMINFO]\nx=0\n"
                                   "[SKINOBJECTS]\ncount=0\n")
                                 .get()));
  EXPECT_FALSE(IsSkinIniFile(IniOf(five.substr(0, five.size() - 8)).get()));  // SKINCONTROLS without a key
}

TEST(SkinDescriptionValues, ListEntries) {
  std::string name, word;
  SplitObjectEntry("panel1:expanel", name, word);
  EXPECT_EQ(name, "panel1");
  EXPECT_EQ(word, "expanel");
  SplitObjectEntry("panel1:panel:more", name, word);
  EXPECT_EQ(word, "panel:more");
  EXPECT_EQ(vlCreateControlDescription(word, name), nullptr);
  SplitObjectEntry("nocolon", name, word);
  EXPECT_EQ(name, "");
  EXPECT_EQ(word, "");
}

// ---- every kind round-trips every key ----

TEST(SkinDescriptionKinds, EveryControlKindRoundTripsEveryKey) {
  ASSERT_EQ(vlControlTypeWords().size(), 28u);
  for (std::string_view word : vlControlTypeWords()) {
    SCOPED_TRACE(std::string(word));
    auto written = vlCreateControlDescription(word, "elem");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(vlControlTypeWord(written.get()), word);

    // A fresh description already holds the defaults that reading an empty section gives.
    auto fresh = vlCreateControlDescription(word, "elem");
    auto fromEmpty = vlCreateControlDescription(word, "elem");
    TMemIniFile empty("");
    fromEmpty->LoadFromFile(&empty);
    TvlSkinKeys freshKeys, emptyKeys;
    fresh->BindKeys(freshKeys);
    fromEmpty->BindKeys(emptyKeys);
    ExpectSameValues(freshKeys, emptyKeys);

    TvlSkinKeys keys;
    written->BindKeys(keys);
    SetDistinctValues(keys);
    TMemIniFile ini("");
    written->SaveToFile(&ini);
    EXPECT_EQ(KeysOf(ini, "elem"), BoundKeys(keys));

    auto read = vlCreateControlDescription(word, "elem");
    read->LoadFromFile(&ini);
    if (auto* updown = dynamic_cast<TvlDataSkinUpDownControl*>(written.get())) {
      EXPECT_EQ(updown->LTPoint, TPoint{});  // the writer zeroed the nine-part geometry
      EXPECT_EQ(updown->ClRect, TRect{});
    }
    TvlSkinKeys readKeys;
    read->BindKeys(readKeys);
    ExpectSameValues(keys, readKeys);
  }
}

TEST(SkinDescriptionKinds, EveryObjectKindRoundTripsEveryKey) {
  ASSERT_EQ(vlObjectTypeWords().size(), 8u);
  for (std::string_view word : vlObjectTypeWords()) {
    SCOPED_TRACE(std::string(word));
    auto written = vlCreateObjectDescription(word, "obj");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(vlObjectTypeWord(written.get()), word);
    TvlSkinKeys keys;
    written->BindKeys(keys);
    SetDistinctValues(keys);
    // Values the readers derive: an animation never morphs; menu-item active images are set.
    if (word == "animate") written->Morphing = false;
    TMemIniFile ini("");
    written->SaveToFile(&ini);
    EXPECT_EQ(KeysOf(ini, "obj"), BoundKeys(keys));
    auto read = vlCreateObjectDescription(word, "obj");
    read->LoadFromFile(&ini);
    TvlSkinKeys readKeys;
    read->BindKeys(readKeys);
    ExpectSameValues(keys, readKeys);
  }
}

TEST(SkinDescriptionKinds, FixedSectionsRoundTrip) {
  TvlDataSkinPopupWindow popup;
  TvlDataSkinLayerFrame layer;
  TvlDataSkinHintWindow hint;
  TvlSkinColors colours;
  TvlSkinKeys popupKeys, layerKeys, hintKeys, colourKeys;
  popup.BindKeys(popupKeys);
  layer.BindKeys(layerKeys);
  hint.BindKeys(hintKeys);
  colours.BindKeys(colourKeys);
  for (auto* k : {&popupKeys, &layerKeys, &hintKeys, &colourKeys}) SetDistinctValues(*k);
  TMemIniFile ini("");
  popup.SaveToFile(&ini);
  layer.SaveToFile(&ini);
  hint.SaveToFile(&ini);
  colours.SaveToFile(&ini);
  TvlDataSkinPopupWindow popup2;
  TvlDataSkinLayerFrame layer2;
  TvlDataSkinHintWindow hint2;
  TvlSkinColors colours2;
  popup2.LoadFromFile(&ini);
  layer2.LoadFromFile(&ini);
  hint2.LoadFromFile(&ini);
  colours2.LoadFromFile(&ini);
  TvlSkinKeys k1, k2, k3, k4;
  popup2.BindKeys(k1);
  layer2.BindKeys(k2);
  hint2.BindKeys(k3);
  colours2.BindKeys(k4);
  ExpectSameValues(popupKeys, k1);
  ExpectSameValues(layerKeys, k2);
  ExpectSameValues(hintKeys, k3);
  ExpectSameValues(colourKeys, k4);
}

// ---- defaults and derived values ----

TEST(SkinDescriptionKinds, DefaultsAndDerivedValuesOfControls) {
  auto ini = IniOf(
      "[b]\npictureindex=2\n[sl]\n[lb]\n[cb]\n[ud]\nlefttoppoint=4,4\nclientrect=2,2,20,20\nupbuttonrect=1,1,5,5\n"
      "[mb]\nactivefontcolor=7\ntrackbuttonrect=1,2,3,4\n[clb]\nfontheight=20\nitemcheckrect=0,0,9,9\n");
  auto button = vlCreateControlDescription("button", "b");
  button->LoadFromFile(ini.get());
  auto* b = dynamic_cast<TvlDataSkinButtonControl*>(button.get());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->PictureIndex, 2);
  EXPECT_EQ(b->AnimateInterval, 25);
  EXPECT_EQ(b->GlowLayerAlphaBlendValue, 255);
  EXPECT_EQ(b->GlowLayerPictureIndex, -1);
  EXPECT_EQ(b->GlowLayerMaskPictureIndex, -1);
  EXPECT_EQ(b->FontName, "Arial");
  EXPECT_EQ(b->FontHeight, 14);

  auto stdlabel = vlCreateControlDescription("stdlabel", "sl");
  stdlabel->LoadFromFile(ini.get());
  EXPECT_EQ(dynamic_cast<TvlDataSkinStdLabelControl*>(stdlabel.get())->ActiveFontColor, static_cast<TColor>(RGB(0, 0, 255)));

  auto listbox = vlCreateControlDescription("listbox", "lb");
  listbox->LoadFromFile(ini.get());
  auto* l = dynamic_cast<TvlDataSkinListBox*>(listbox.get());
  EXPECT_EQ(l->HScrollBarName, "hscrollbar");
  EXPECT_EQ(l->VScrollBarName, "vscrollbar");
  EXPECT_EQ(l->BothScrollBarName, "bothhscrollbar");
  EXPECT_EQ(l->CaptionFontName, "Arial");
  EXPECT_EQ(l->CaptionFontHeight, 14);

  auto controlbar = vlCreateControlDescription("controlbar", "cb");
  controlbar->LoadFromFile(ini.get());
  EXPECT_EQ(dynamic_cast<TvlDataSkinControlBar*>(controlbar.get())->ItemOffset1, 3);
  EXPECT_EQ(dynamic_cast<TvlDataSkinControlBar*>(controlbar.get())->ItemOffset2, 3);

  auto updown = vlCreateControlDescription("updown", "ud");
  updown->LoadFromFile(ini.get());
  auto* u = dynamic_cast<TvlDataSkinUpDownControl*>(updown.get());
  EXPECT_EQ(u->LTPoint, TPoint{});
  EXPECT_EQ(u->ClRect, TRect{});
  EXPECT_EQ(u->UpButtonRect, (TRect{1, 1, 5, 5}));

  auto menubutton = vlCreateControlDescription("menubutton", "mb");
  menubutton->LoadFromFile(ini.get());
  auto* mb = dynamic_cast<TvlDataSkinButtonControl*>(menubutton.get());
  ASSERT_NE(mb, nullptr);  // a menu button is a button too
  EXPECT_EQ(mb->ActiveFontColor, 7);
  EXPECT_EQ(dynamic_cast<TvlDataSkinMenuButtonControl*>(mb)->TrackButtonRect, (TRect{1, 2, 3, 4}));
  EXPECT_EQ(vlControlTypeWord(mb), "menubutton");

  auto checklist = vlCreateControlDescription("checklistbox", "clb");
  checklist->LoadFromFile(ini.get());
  EXPECT_EQ(dynamic_cast<TvlDataSkinListBox*>(checklist.get())->FontHeight, 20);
  EXPECT_EQ(dynamic_cast<TvlDataSkinCheckListBox*>(checklist.get())->ItemCheckRect, (TRect{0, 0, 9, 9}));
  EXPECT_EQ(vlControlTypeWord(checklist.get()), "checklistbox");

  auto bad = IniOf("[x]\nskinrect=1,2\n");
  auto label = vlCreateControlDescription("label", "x");
  EXPECT_THROW(label->LoadFromFile(bad.get()), EConvertError);
}

TEST(SkinDescriptionKinds, DerivedValuesOfObjects) {
  auto ini = IniOf(
      "[max]\nhint=Maximize\ncommand=cmmaximize\n[max2]\nhint=maximize\ncommand=cmmaximize\n"
      "[roll]\nhint=Roll Up\ncommand=cmrollup\n[typo]\ncommand=cmclos\n[none]\n"
      "[anim]\nmorphing=1\n[mi]\ncheckimagerect=1,2,11,12\nactiveradioimagerect=0,0,5,5\nradioimagerect=9,9,10,10\n"
      "[uo]\nactivepictureindex=3\nskinrect=1,1,2,2\n[cap]\nreflactioncolor=77\nreflectioncolor=88\n"
      "[btn]\ndisableskinrsect=1,2,3,4\n");
  auto load = [&](const char* word, const char* name) {
    auto o = vlCreateObjectDescription(word, name);
    o->LoadFromFile(ini.get());
    return o;
  };
  struct RestoreCase {
    const char* name;
    const char* hint;
  };
  const RestoreCase restores[] = {{"max", "Restore"}, {"max2", ""}, {"roll", "Restore"}, {"none", ""}};
  for (const RestoreCase& c : restores) {
    SCOPED_TRACE(c.name);
    auto o = load("stdbutton", c.name);
    EXPECT_EQ(dynamic_cast<TvlDataSkinStdButton*>(o.get())->RestoreHint, c.hint);
  }
  EXPECT_EQ(dynamic_cast<TvlDataSkinStdButton*>(load("stdbutton", "typo").get())->Command,
            TvlStdCommand::cmMinimizeToTray);
  EXPECT_EQ(dynamic_cast<TvlDataSkinStdButton*>(load("stdbutton", "none").get())->Command, TvlStdCommand::cmDefault);

  auto anim = load("animate", "anim");
  auto* a = dynamic_cast<TvlDataSkinAnimate*>(anim.get());
  EXPECT_FALSE(a->Morphing);
  EXPECT_EQ(a->CountFrames, 1);
  EXPECT_EQ(a->TimerInterval, 50);

  auto mi = load("menuitem", "mi");
  auto* m = dynamic_cast<TvlDataSkinMenuItem*>(mi.get());
  EXPECT_EQ(m->ActiveCheckImageRect, (TRect{1, 2, 11, 12}));
  EXPECT_EQ(m->ActiveRadioImageRect, (TRect{0, 0, 5, 5}));  // has a size of its own: kept
  EXPECT_EQ(m->ActiveArrowImageRect, TRect{});

  auto uo = load("userobject", "uo");
  EXPECT_EQ(uo->ActivePictureIndex, -1);
  EXPECT_EQ(uo->SkinRect, (TRect{1, 1, 2, 2}));

  auto cap = load("caption", "cap");
  auto* c = dynamic_cast<TvlDataSkinCaption*>(cap.get());
  EXPECT_EQ(c->ReflectionColor, 77);
  EXPECT_EQ(c->GlowSize, 3);
  TMemIniFile out("");
  c->SaveToFile(&out);
  EXPECT_EQ(out.ReadString("cap", "reflactioncolor", ""), "77");
  EXPECT_EQ(out.ReadString("cap", "reflactionactivecolor", ""), "0");

  EXPECT_EQ(dynamic_cast<TvlDataSkinButton*>(load("button", "btn").get())->DisableSkinRect, (TRect{1, 2, 3, 4}));
  EXPECT_EQ(vlObjectTypeWord(load("mainmenubarbutton", "x").get()), "mainmenubarbutton");
}

TEST(SkinDescriptionKinds, ColoursStartAtZeroAndResetToSystemColours) {
  TvlSkinColors colours;
  EXPECT_EQ(colours.FcBtnFace, 0);
  colours.SetColorsToDefault();
  EXPECT_EQ(colours.FcBtnFace, clBtnFace);
  EXPECT_EQ(colours.FcBtnShadow, clBtnShadow);
  TMemIniFile empty("");
  TvlDataSkinLayerFrame layer;
  layer.LoadFromFile(&empty);
  EXPECT_EQ(layer.PictureIndex, -1);
  EXPECT_EQ(layer.AlphaBlendValue, 255);
  EXPECT_EQ(layer.InActiveAlphaBlendValue, 255);
}
