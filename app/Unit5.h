#pragma once
// The options window "选项": what to do when a whole batch has ended, what to do when an output
// file exists, how many files convert at once, whether the converter shows its live preview, and
// the priority of the conversion threads. Its controls are the live settings for the whole run
// (the main window reads them when a batch starts or ends and when it names an output file);
// section [Options] of "option.ini" carries them from one run to the next:
//
//   creation ─> every key read into the controls (missing or unknown values get their default,
//               which is written back)
//   OK ───────> the controls written into the section, then the window closes
//   Cancel ───> the window closes; nothing is written, the changed controls stay in force
//
// Created once at start-up and shown modally from the main window. GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "app/ConversionControl.h"
#include "app/ConverterDialogs.h"
#include "app/MainWindowControls.h"
#include "app/OptionFile.h"
#include "platform/controls/Forms.h"

class TvlSkinButton;
class TvlSkinCheckRadioBox;
class TvlSkinData;
class TvlVelmora;

inline constexpr int kOptionsClientWidth = 528;
inline constexpr int kOptionsClientHeight = 471;
// The thread-count list offers 1 to this many files at once.
inline constexpr int kMaxThreadCount = 19;

// The thread count a stored Thread_Count value stands for: "1" to "19" as they are, anything
// else (missing, empty, "0", not a number, out of range) 1.
[[nodiscard]] int ThreadCountFromOption(const std::string& Value);

class TForm5 : public TForm {
 public:
  // MainSkin draws the window and its group boxes, ToolSkin the radio boxes and the thread-count
  // list. SetPreview switches the converter's live preview (Convexa.Preview). Dialogs shows the
  // error of a write the file refuses.
  TForm5(TComponent* AOwner, TOptionFile Options, TvlSkinData* MainSkin, TvlSkinData* ToolSkin,
         std::function<void(bool)> SetPreview, IConverterDialogs& Dialogs);
  ~TForm5() override;

  // ---- Controls ----
  // 转换工作完成后: open the output folder, shut down, play the end sound, nothing.
  TvlSkinCheckRadioBox *vlSkinCheckRadioBox1 = nullptr, *vlSkinCheckRadioBox2 = nullptr,
                       *vlSkinCheckRadioBox4 = nullptr, *vlSkinCheckRadioBox5 = nullptr;
  // 如果输出文件存在时: overwrite, rename.
  TvlSkinCheckRadioBox *vlSkinCheckRadioBox3 = nullptr, *vlSkinCheckRadioBox6 = nullptr;
  // 转换参数: the thread count ("1" to "19") and the live preview.
  std::unique_ptr<TOptionChooserBox> vlSkinComboBox2;
  TvlSkinCheckRadioBox* vlSkinCheckRadioBox8 = nullptr;
  // 转换时CPU利用方式: idle, lower, lowest, normal (top to bottom).
  TvlSkinCheckRadioBox *vlSkinCheckRadioBox9 = nullptr, *vlSkinCheckRadioBox11 = nullptr,
                       *vlSkinCheckRadioBox10 = nullptr, *vlSkinCheckRadioBox12 = nullptr;
  TvlSkinButton* vlSkinButton6 = nullptr;  // 确定
  TvlSkinButton* vlSkinButton1 = nullptr;  // 取消
  TvlVelmora* vlVelmora1 = nullptr;

  // ---- Operations ----
  void FormCreate();
  // Reads [Options] into the controls (Thread_Count, After_Done, Thread_Priority,
  // Overwrite_File, Show_Preview); raises "Unable to write to ..." when a default cannot be
  // written back, the later keys then unread.
  void Button1Click();
  // Writes the controls into [Options]; raises when the file refuses.
  void Button2Click();
  void vlSkinButton6Click();  // OK
  void vlSkinButton1Click();  // Cancel
  void vlSkinCheckRadioBox8Click();

  // ---- What the other windows read ----
  [[nodiscard]] TConversionSettings ConversionSettings() const;
  // "直接覆盖输出文件" is checked.
  [[nodiscard]] bool OverwriteOutput() const;

 private:
  void BuildControls(TvlSkinData* MainSkin, TvlSkinData* ToolSkin);

  TOptionFile options_;
  std::function<void(bool)> set_preview_;
  IConverterDialogs& dialogs_;
};
