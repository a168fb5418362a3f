#include "app/Unit5.h"

#include <string>
#include <utility>

#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr const char* kSection = "Options";

// A key's values and the box each checks, in the order of the values ("0", "1", ...).
struct TChoiceKey {
  const char* Key;
  const char* Default;
};
constexpr TChoiceKey kAfterDone{"After_Done", "0"};
constexpr TChoiceKey kThreadPriority{"Thread_Priority", "3"};
constexpr TChoiceKey kOverwriteFile{"Overwrite_File", "1"};

TvlSkinCheckRadioBox* MakeBox(TComponent* Owner, TWinControl* Parent, const TRect& Bounds, const char* Caption,
                              bool Radio, int Group, TvlSkinData* SkinData) {
  auto* box = new TvlSkinCheckRadioBox(Owner);
  box->SetRadio(Radio);
  if (Radio) box->SetSkinDataName("radiobox");
  box->GroupIndex = Group;
  box->SetParent(Parent);
  box->SetBoundsRect(Bounds);
  box->SetCaption(Caption);
  box->SetSkinData(SkinData);
  return box;
}

}  // namespace

int ThreadCountFromOption(const std::string& Value) {
  int count = 0;
  if (Value.empty() || Value.size() > 2 || !TryStrToInt(Value, count) || Value != std::to_string(count)) return 1;
  return count >= 1 && count <= kMaxThreadCount ? count : 1;
}

TForm5::TForm5(TComponent* AOwner, TOptionFile Options, TvlSkinData* MainSkin, TvlSkinData* ToolSkin,
               std::function<void(bool)> SetPreview, IConverterDialogs& Dialogs)
    : TForm(AOwner), options_(std::move(Options)), set_preview_(std::move(SetPreview)), dialogs_(Dialogs) {
  SetName("Form5");
  vlVelmora1 = SetUpSkinnedForm(this, "选项", TFormBorderStyle::bsDialog, TPosition::poMainFormCenter,
                                kOptionsClientWidth, kOptionsClientHeight, MainSkin);
  // Its caption's close button closes it as 取消 does (hidden caption buttons would leave the
  // skin's close button in place, dead).
  // The thread-count list shows 8 counts at a time.
  vlVelmora1->SetMaxMenuItemsInWindow(8);
  BuildControls(MainSkin, ToolSkin);
  OnCreate = [this](TObject*) { FormCreate(); };
}

TForm5::~TForm5() { vlSkinComboBox2.reset(); }

void TForm5::BuildControls(TvlSkinData* MainSkin, TvlSkinData* ToolSkin) {
  constexpr int kLeft = 16, kWidth = kOptionsClientWidth - 2 * kLeft, kColumn = 250, kBoxWidth = 200, kBoxHeight = 22;
  const auto row = [](int Column, int Top) { return Box(20 + Column * kColumn, Top, kBoxWidth, kBoxHeight); };

  TvlSkinGroupBox* afterRun = MakeSkinGroup(this, this, Box(kLeft, 14, kWidth, 96), "转换工作完成后", MainSkin);
  vlSkinCheckRadioBox1 = MakeBox(this, afterRun, row(0, 38), "自动打开输出文件夹", true, 1, ToolSkin);
  vlSkinCheckRadioBox2 = MakeBox(this, afterRun, row(1, 38), "自动关闭计算机", true, 1, ToolSkin);
  vlSkinCheckRadioBox4 = MakeBox(this, afterRun, row(0, 66), " 播放提示音乐", true, 1, ToolSkin);
  vlSkinCheckRadioBox5 = MakeBox(this, afterRun, row(1, 66), "不进行任何操作", true, 1, ToolSkin);

  TvlSkinGroupBox* existing = MakeSkinGroup(this, this, Box(kLeft, 122, kWidth, 68), "如果输出文件存在时", MainSkin);
  vlSkinCheckRadioBox3 = MakeBox(this, existing, row(0, 38), "直接覆盖输出文件", true, 2, ToolSkin);
  vlSkinCheckRadioBox6 = MakeBox(this, existing, row(1, 38), "自动重命名输出文件", true, 2, ToolSkin);

  TvlSkinGroupBox* conversion = MakeSkinGroup(this, this, Box(kLeft, 202, kWidth, 96), "转换参数", MainSkin);
  MakeSkinLabel(this, conversion, Box(20, 38, 150, kBoxHeight), "同时进行转换的文件个数", MainSkin);
  // A skinned combo box in fixed-list style; its list shows 8 items at a time.
  vlSkinComboBox2 = std::make_unique<TOptionChooserBox>(this, conversion, Box(176, 37, 80, 24), ToolSkin);
  for (int count = 1; count <= kMaxThreadCount; ++count) vlSkinComboBox2->AddItem(std::to_string(count));
  vlSkinComboBox2->SetItemIndex(0);
  vlSkinCheckRadioBox8 = MakeBox(this, conversion, row(0, 66), "转换时进行实时视频预览", false, 0, ToolSkin);
  vlSkinCheckRadioBox8->OnClick = [this](TObject*) { vlSkinCheckRadioBox8Click(); };

  TvlSkinGroupBox* priority = MakeSkinGroup(this, this, Box(kLeft, 310, kWidth, 96), "转换时CPU利用方式", MainSkin);
  vlSkinCheckRadioBox9 = MakeBox(this, priority, row(0, 38), "系统空闲时进行", true, 3, ToolSkin);
  vlSkinCheckRadioBox11 = MakeBox(this, priority, row(1, 38), "较低优先级进行", true, 3, ToolSkin);
  vlSkinCheckRadioBox10 = MakeBox(this, priority, row(0, 66), "最低优先级进行", true, 3, ToolSkin);
  vlSkinCheckRadioBox12 = MakeBox(this, priority, row(1, 66), "正常优先级进行", true, 3, ToolSkin);

  vlSkinButton6 = MakeSkinButton(this, this, Box(kOptionsClientWidth - 16 - 2 * 84 - 8, 426, 84, 28), "确定", MainSkin);
  vlSkinButton1 = MakeSkinButton(this, this, Box(kOptionsClientWidth - 16 - 84, 426, 84, 28), "取消", MainSkin);
  vlSkinButton6->SetDefault(true);
  vlSkinButton1->Cancel = true;
  vlSkinButton6->OnClick = [this](TObject*) { vlSkinButton6Click(); };
  vlSkinButton1->OnClick = [this](TObject*) { vlSkinButton1Click(); };

  // The form data's states, before the section is read.
  vlSkinCheckRadioBox1->SetChecked(true);
  vlSkinCheckRadioBox6->SetChecked(true);
  vlSkinCheckRadioBox12->SetChecked(true);
}

void TForm5::FormCreate() {
  try {
    Button1Click();
  } catch (const Exception& E) {
    dialogs_.ShowMessage(E.Message, "选项", TMsgDlgType::mtError);
  }
}

void TForm5::Button1Click() {
  const auto read = [this](const char* Key) { return options_.Read(kSection, Key); };
  // The count the user chose last time; a value that is no count of the list (missing, "0",
  // text, out of range) falls back to "1", which is written back in its place.
  const std::string stored = read("Thread_Count");
  const int count = ThreadCountFromOption(stored);
  vlSkinComboBox2->SetItemIndex(count - 1);
  if (stored != std::to_string(count)) options_.Write(kSection, "Thread_Count", std::to_string(count));

  // Each choice key checks the box of its value; a missing or unknown value is written back as
  // the default, whose box is then checked.
  const auto choose = [&](const TChoiceKey& Key, std::initializer_list<TvlSkinCheckRadioBox*> Boxes) {
    std::string value = read(Key.Key);
    int index = -1;
    for (int i = 0; i < static_cast<int>(Boxes.size()); ++i)
      if (value == std::to_string(i)) index = i;
    if (index < 0) {
      options_.Write(kSection, Key.Key, Key.Default);
      index = std::stoi(Key.Default);
    }
    Boxes.begin()[index]->SetChecked(true);
  };
  choose(kAfterDone, {vlSkinCheckRadioBox1, vlSkinCheckRadioBox2, vlSkinCheckRadioBox4, vlSkinCheckRadioBox5});
  choose(kThreadPriority, {vlSkinCheckRadioBox9, vlSkinCheckRadioBox10, vlSkinCheckRadioBox11, vlSkinCheckRadioBox12});
  choose(kOverwriteFile, {vlSkinCheckRadioBox3, vlSkinCheckRadioBox6});

  const std::string preview = read("Show_Preview");
  if (preview != "0" && preview != "1") options_.Write(kSection, "Show_Preview", "0");
  // The box's click event switches the converter's preview, whatever the state.
  vlSkinCheckRadioBox8->SetChecked(preview == "1");
}

void TForm5::Button2Click() {
  const auto valueOf = [](std::initializer_list<TvlSkinCheckRadioBox*> Boxes) -> std::string {
    int i = 0;
    for (TvlSkinCheckRadioBox* box : Boxes) {
      if (box->Checked()) return std::to_string(i);
      ++i;
    }
    return std::string();
  };
  options_.Write(kSection, "Thread_Count", vlSkinComboBox2->Text());
  if (const std::string v = valueOf({vlSkinCheckRadioBox1, vlSkinCheckRadioBox2, vlSkinCheckRadioBox4, vlSkinCheckRadioBox5});
      !v.empty())
    options_.Write(kSection, "After_Done", v);
  options_.Write(kSection, "Show_Preview", vlSkinCheckRadioBox8->Checked() ? "1" : "0");
  if (const std::string v = valueOf({vlSkinCheckRadioBox9, vlSkinCheckRadioBox10, vlSkinCheckRadioBox11, vlSkinCheckRadioBox12});
      !v.empty())
    options_.Write(kSection, "Thread_Priority", v);
  if (const std::string v = valueOf({vlSkinCheckRadioBox3, vlSkinCheckRadioBox6}); !v.empty())
    options_.Write(kSection, "Overwrite_File", v);
}

void TForm5::vlSkinButton6Click() {
  try {
    Button2Click();
  } catch (const Exception& E) {
    // The window stays open: nothing is lost, the user may try again or cancel.
    dialogs_.ShowMessage(E.Message, "选项", TMsgDlgType::mtError);
    return;
  }
  Close();
}

void TForm5::vlSkinButton1Click() { Close(); }

void TForm5::vlSkinCheckRadioBox8Click() {
  if (set_preview_) set_preview_(vlSkinCheckRadioBox8->Checked());
}

TConversionSettings TForm5::ConversionSettings() const {
  TConversionSettings settings;
  settings.ThreadCount = vlSkinComboBox2->Text();
  if (vlSkinCheckRadioBox9->Checked())
    settings.Priority = TThreadPriority::tpIdle;
  else if (vlSkinCheckRadioBox10->Checked())
    settings.Priority = TThreadPriority::tpLowest;
  else if (vlSkinCheckRadioBox11->Checked())
    settings.Priority = TThreadPriority::tpLower;
  else if (vlSkinCheckRadioBox12->Checked())
    settings.Priority = TThreadPriority::tpNormal;
  if (vlSkinCheckRadioBox1->Checked())
    settings.AfterRun = TAfterRunAction::arOpenFolder;
  else if (vlSkinCheckRadioBox2->Checked())
    settings.AfterRun = TAfterRunAction::arShutDown;
  else if (vlSkinCheckRadioBox4->Checked())
    settings.AfterRun = TAfterRunAction::arPlaySound;
  else
    settings.AfterRun = TAfterRunAction::arNothing;
  return settings;
}

bool TForm5::OverwriteOutput() const { return vlSkinCheckRadioBox3->Checked(); }
