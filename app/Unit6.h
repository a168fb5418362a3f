#pragma once
// The legacy preset window "设置选项": an older, second preset dialog beside the main window. A
// group list and a preset list (title and one-line description per preset) choose a preset, six
// option lists offer its choices, and OK writes the preset's parameters, the output file name and
// the chosen options into the main window's current-preset fields. It keeps no state of its own
// beyond its controls; what its handlers do is TLegacyPresetModel's.
//
//   creation ─> group list: the twelve groups, group 0 selected (no handler bound yet)
//     └─> FormCreate ─> Button2Click: preset list of the group, preset 0 selected
//           └─> the preset list's click ─> Button18Click: the six lists filled for the code,
//               All_Trant_Number := code, Video_DisableVideo := False
//   OK ─────> Button5Click (parameters, output name), then Button13Click (the lists' values),
//             then the window closes
//   Cancel ─> the window closes; nothing is written
//
// The procedure buttons of the hidden panel Panel1 are the window's subroutines: a handler runs
// another by clicking its button. The program creates the window at start-up after the main and
// options windows and never shows it. GUI thread only.

#include <memory>

#include "app/LegacyPresetModel.h"
#include "app/MainWindowControls.h"
#include "platform/controls/Forms.h"

class TButton;
class TConvexa;
class TImage;
class TImageList;
class TPanel;
class TvlSkinButton;
class TvlSkinData;
class TvlSkinPageControl;
class TvlSkinPanel;
class TvlSkinTabSheet;
class TvlSkinTextLabel;
class TvlVelmora;

inline constexpr int kLegacyPresetClientWidth = 703;
inline constexpr int kLegacyPresetClientHeight = 474;

class TForm6 : public TForm {
 public:
  // SkinData (the main window's skin 1) draws the window and its controls and must outlive it;
  // MainFields and OutputFolder are the main window's, read and written by OK; Hooks answer the
  // options window's overwrite choice.
  TForm6(TComponent* AOwner, TvlSkinData* SkinData, TCurrentPreset& MainFields, const TOutputFolder& OutputFolder,
         TLegacyPresetHooks Hooks);
  ~TForm6() override;

  // ---- Controls ----
  TvlVelmora* vlVelmora1 = nullptr;
  TvlSkinPanel* vlSkinPanel2 = nullptr;          // frame around the two pickers
  TvlSkinTextLabel* vlSkinTextLabel5 = nullptr;  // 输出格式：
  std::unique_ptr<TPresetPickerBox> vlSkinOfficeComboBox2;  // groups
  std::unique_ptr<TPresetPickerBox> vlSkinOfficeComboBox1;  // presets of the group
  TvlSkinButton* vlSkinButton1 = nullptr;                   // 设置, never visible
  TPanel* Panel1 = nullptr;                                 // the procedure buttons, hidden
  TImage* Image1 = nullptr;
  TButton *Button6 = nullptr, *Button5 = nullptr, *Button7 = nullptr, *Button2 = nullptr, *Button13 = nullptr,
          *Button11 = nullptr, *Button18 = nullptr;
  TConvexa* Convexa = nullptr;  // made and freed with the window; nothing calls it
  TImageList* ImageList1 = nullptr;  // one picture per group
  TImageList* ImageList2 = nullptr;  // empty
  TvlSkinPageControl* vlSkinPageControl1 = nullptr;
  TvlSkinTabSheet *vlSkinTabSheet1 = nullptr, *vlSkinTabSheet2 = nullptr, *FilterSheet = nullptr,
                  *vlSkinTabSheet3 = nullptr;
  // On the first sheet: resolution, video bit rate, audio bit rate, scaling mode, frame rate,
  // sample rate.
  std::unique_ptr<TOptionChooserBox> vlSkinComboBox1, vlSkinComboBox2, vlSkinComboBox3, vlSkinComboBox4,
      vlSkinComboBox9, vlSkinComboBox10;
  TvlSkinButton* vlSkinButton3 = nullptr;  // 取消
  TvlSkinButton* vlSkinButton2 = nullptr;  // 确定

  // ---- Handlers ----
  void FormCreate();
  void vlSkinButton2Click();  // OK
  void vlSkinButton3Click();  // Cancel
  void Button2Click();        // the preset list of the selected group
  void Button18Click();       // the six lists of the selected preset
  void Button5Click();        // the preset's parameters and the output name
  void Button13Click();       // the six lists' values
  void Button6Click();        // the legacy reset of the current-preset fields

 private:
  void BuildPickers(TvlSkinData* SkinData);
  void BuildProcedureButtons();
  void BuildOptionPages(TvlSkinData* SkinData);
  void BuildDialogButtons(TvlSkinData* SkinData);

  std::unique_ptr<TLegacyPresetModel> model_;
};
