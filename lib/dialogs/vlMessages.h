#pragma once
// The skinned message box: a component (TvlSkinMessage) that builds a message form in code for
// each call, skins it, shows it modally, frees it and answers the modal result of the button
// that closed it. The form shows the text, a standard icon or an image of a list, a row of push
// buttons from a button set and, when asked, a "don't show this again" check box.
//
//   +---------------------------------------------+
//   | [icon]  message text (wrapped at 440 px)    |   label at (50, 15), icon at x 5
//   |                                             |
//   | [x] Do not display this message again        |   only with ShowAgainFlag
//   |          [ Yes ] [ No ] [Cancel]            |   70 wide, 10 apart, 10 from the bottom
//   +---------------------------------------------+
//
// The frame follows SkinData (through the form's own form skinner); the controls, the menus and
// the interface texts follow CtrlSkinData. GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "platform/controls/Component.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"

class TCustomImageList;
class TvlSkinCheckRadioBox;
class TvlSkinData;
class TvlSkinStdLabel;
class TvlVelmora;

// Lets the owner move a dialog shown at a caller's position: the form's left and top come in,
// the position to use goes out.
using TvlMessageSetShowPosEvent = std::function<void(int& AX, int& AY, int AWidth, int AHeight)>;

// The form of one message dialog: its form skinner (no caption buttons), the message label and,
// when asked, the check box. Lives for one call.
class TvlMessageForm : public TForm {
 public:
  // A new empty dialog form owned by AOwner with its form skinner; an X below -10000 centres it
  // on the screen, otherwise it stands at (X, Y).
  static TvlMessageForm* CreateEx(TComponent* AOwner, int X, int Y);
  explicit TvlMessageForm(TComponent* AOwner) : TForm(AOwner) {}

  // The Help button: asks the application for the topic of the form's help context.
  void HelpButtonClick(TObject* Sender);

  TvlVelmora* VMR = nullptr;
  TvlSkinCheckRadioBox* DisplayCheckBox = nullptr;
  TvlSkinStdLabel* Message = nullptr;
  std::string HelpFile;
};

class TvlSkinMessage : public TComponent {
 public:
  explicit TvlSkinMessage(TComponent* AOwner);
  ~TvlSkinMessage() override;

  // ---- Settings ----
  [[nodiscard]] TvlSkinData* SkinData() const { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] TvlSkinData* CtrlSkinData() const { return FCtrlFSD; }
  void SetCtrlSkinData(TvlSkinData* Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
  [[nodiscard]] TFont* DefaultButtonFont() const { return FDefaultButtonFont.get(); }
  void SetDefaultButtonFont(TFont* Value) { FDefaultButtonFont->Assign(Value); }
  std::string ButtonSkinDataName = "button";
  std::string MessageLabelSkinDataName = "stdlabel";
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  BYTE AlphaBlendValue = 200;
  bool UseSkinFont = true;
  // Show the check box that suppresses the message in future.
  bool ShowAgainFlag = false;
  // True: the message is to be shown again (the check box starts unchecked). Written back after
  // every dialog that has the check box; the caller decides whether to show the next one.
  bool ShowAgainFlagValue = false;
  TvlMessageSetShowPosEvent OnSetShowPos;

  // ---- Dialogs (each answers the modal result; closing the form otherwise answers 2) ----
  // Caption and icon by DlgType.
  int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
  // At (X, Y) (X below -10000: centred), then OnSetShowPos.
  int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
  int MessageDlgHelp(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                     const std::string& HelpFileName);
  // With a caption of the caller's.
  int MessageDlg2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                  int HelpCtx);
  int MessageDlgHelp2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType,
                      TMsgDlgButtons Buttons, int HelpCtx, const std::string& HelpFileName);
  // With image AImageIndex of AImages as the picture (none when the list or index is missing).
  int CustomMessageDlg(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages, int AImageIndex,
                       TMsgDlgButtons Buttons, int HelpCtx);
  int CustomMessageDlgPos(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                          int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
  int CustomMessageDlgHelp(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                           int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, const std::string& HelpFileName);
  // Never with the check box, never changing ShowAgainFlagValue.
  int WideMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
  int WideMessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                        int Y);

  // The dialog of a request, built but not shown (the operations above show and free it).
  struct TRequest {
    std::string Msg;
    std::string Caption;           // used when UseCaption
    bool UseCaption = false;
    TMsgDlgType DlgType = TMsgDlgType::mtInformation;
    TCustomImageList* Images = nullptr;  // the custom variant's picture
    int ImageIndex = -1;
    bool Custom = false;
    TMsgDlgButtons Buttons;
    int HelpCtx = 0;
    std::string HelpFile;
    int X = -10001, Y = -10001;
    bool AskPosition = false;  // OnSetShowPos is asked
    bool CheckBox = true;      // the check box when ShowAgainFlag is on
  };
  [[nodiscard]] TvlMessageForm* CreateMessageForm(const TRequest& Request);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // The interface text of Key: the table's answer when CtrlSkinData has a table (an empty one
  // too, unless EmptyFallsBack), else the built-in text.
  [[nodiscard]] std::string InterfaceText(const char* Key, bool EmptyFallsBack = false) const;
  [[nodiscard]] int ButtonHeight() const;
  int Execute(const TRequest& Request);

  TvlSkinData* FSD = nullptr;
  TvlSkinData* FCtrlFSD = nullptr;
  std::unique_ptr<TFont> FDefaultFont;
  std::unique_ptr<TFont> FDefaultButtonFont;
};
