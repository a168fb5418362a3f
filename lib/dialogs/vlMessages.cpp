#include "lib/dialogs/vlMessages.h"

#include <algorithm>

#include "lib/forms/Velmora.h"
#include "lib/data/vlDataSkinControls.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsCheckRadio.h"
#include "lib/data/vlSkinData.h"
#include "lib/data/vlconst.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/graphics/Icon.h"
#include "platform/controls/ImageList.h"
#include "platform/graphics/Picture.h"
#include "platform/core/Resources.h"

namespace {

constexpr int kButtonWidth = 70, kButtonGap = 10, kDefaultButtonHeight = 25;
constexpr int kLabelLeft = 50, kLabelTop = 15, kPictureLeft = 5, kIconSize = 32;
// A longer message wraps at this width: lines a reader's eye can follow, a box of about 530
// pixels.
constexpr int kMaxMessageWidth = 440;

struct TButtonKind {
  TMsgDlgBtn Button;
  const char* Name;
  const char* Key;
  TModalResult Result;
};
// In row order.
constexpr TButtonKind kButtons[] = {
    {TMsgDlgBtn::mbYes, "Yes", "MSG_BTN_YES", mrYes},
    {TMsgDlgBtn::mbNo, "No", "MSG_BTN_NO", mrNo},
    {TMsgDlgBtn::mbOK, "OK", "MSG_BTN_OK", mrOk},
    {TMsgDlgBtn::mbCancel, "Cancel", "MSG_BTN_CANCEL", mrCancel},
    {TMsgDlgBtn::mbAbort, "Abort", "MSG_BTN_ABORT", mrAbort},
    {TMsgDlgBtn::mbRetry, "Retry", "MSG_BTN_RETRY", mrRetry},
    {TMsgDlgBtn::mbIgnore, "Ignore", "MSG_BTN_IGNORE", mrIgnore},
    {TMsgDlgBtn::mbAll, "All", "MSG_BTN_ALL", mrAll},
    {TMsgDlgBtn::mbNoToAll, "NoToAll", "MSG_BTN_NOTOALL", mrNoToAll},
    {TMsgDlgBtn::mbYesToAll, "YesToAll", "MSG_BTN_YESTOALL", mrYesToAll},
    {TMsgDlgBtn::mbHelp, "Help", "MSG_BTN_HELP", mrNone},
    {TMsgDlgBtn::mbClose, "Close", "MSG_BTN_CLOSE", mrClose},
};

// The caption key of a kind of message (none for mtCustom), and the program's own picture of it.
const char* CaptionKeyOf(TMsgDlgType DlgType) {
  switch (DlgType) {
    case TMsgDlgType::mtWarning: return "MSG_CAP_WARNING";
    case TMsgDlgType::mtError: return "MSG_CAP_ERROR";
    case TMsgDlgType::mtInformation: return "MSG_CAP_INFORMATION";
    case TMsgDlgType::mtConfirmation: return "MSG_CAP_CONFIRM";
    case TMsgDlgType::mtCustom: break;
  }
  return nullptr;
}

const char* ProgramIconOf(TMsgDlgType DlgType) {
  switch (DlgType) {
    case TMsgDlgType::mtWarning: return "VL_MSG_WARNING";
    case TMsgDlgType::mtError: return "VL_MSG_ERROR";
    case TMsgDlgType::mtInformation: return "VL_MSG_INFORMATION";
    case TMsgDlgType::mtConfirmation: return "VL_MSG_QUESTION";
    case TMsgDlgType::mtCustom: break;
  }
  return nullptr;
}

// The icon of a kind of message: the program's own picture when it has one, else the system's
// standard icon; nullptr for mtCustom.
HICON MessageIconOf(TMsgDlgType DlgType) {
  const char* name = ProgramIconOf(DlgType);
  if (!name) return nullptr;
  if (HICON own = LoadIcon(HInstance(), name)) return own;
  return LoadIcon(nullptr, StandardIconOf(DlgType));
}

// The default button of a set (OK, else Yes, else Retry) and its cancel button (Cancel, else No,
// else OK); a choice missing from the set is no button at all.
TMsgDlgBtn DefaultButtonOf(TMsgDlgButtons Buttons) {
  if (Buttons.Contains(TMsgDlgBtn::mbOK)) return TMsgDlgBtn::mbOK;
  if (Buttons.Contains(TMsgDlgBtn::mbYes)) return TMsgDlgBtn::mbYes;
  return TMsgDlgBtn::mbRetry;
}

TMsgDlgBtn CancelButtonOf(TMsgDlgButtons Buttons) {
  if (Buttons.Contains(TMsgDlgBtn::mbCancel)) return TMsgDlgBtn::mbCancel;
  if (Buttons.Contains(TMsgDlgBtn::mbNo)) return TMsgDlgBtn::mbNo;
  return TMsgDlgBtn::mbOK;
}

TFont* NewDefaultFont() {
  auto* f = new TFont();
  f->SetName("Arial");
  f->SetHeight(14);
  f->SetStyle(TFontStyles{});
  return f;
}

}  // namespace

// ---- TvlMessageForm ---------------------------------------------------------------------------------

TvlMessageForm* TvlMessageForm::CreateEx(TComponent* AOwner, int X, int Y) {
  auto* form = CreateForm<TvlMessageForm>(AOwner);
  form->SetBorderStyle(TFormBorderStyle::bsDialog);
  form->SetKeyPreview(true);
  if (X < -10000) {
    form->SetPosition(TPosition::poScreenCenter);
  } else {
    form->SetLeft(X);
    form->SetTop(Y);
  }
  form->VMR = new TvlVelmora(form);
  form->VMR->SetBorderIcons(TvlBorderIcons{});
  return form;
}

void TvlMessageForm::HelpButtonClick(TObject*) { Application()->HelpContext(HelpContext()); }

// ---- TvlSkinMessage ---------------------------------------------------------------------------------

TvlSkinMessage::TvlSkinMessage(TComponent* AOwner)
    : TComponent(AOwner), FDefaultFont(NewDefaultFont()), FDefaultButtonFont(NewDefaultFont()) {}

TvlSkinMessage::~TvlSkinMessage() {
  ReplaceReference(FSD, static_cast<TvlSkinData*>(nullptr), FCtrlFSD);
  ReplaceReference(FCtrlFSD, static_cast<TvlSkinData*>(nullptr));
}

void TvlSkinMessage::SetSkinData(TvlSkinData* Value) { ReplaceReference(FSD, Value, FCtrlFSD); }
void TvlSkinMessage::SetCtrlSkinData(TvlSkinData* Value) { ReplaceReference(FCtrlFSD, Value, FSD); }

void TvlSkinMessage::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
}

std::string TvlSkinMessage::InterfaceText(const char* Key, bool EmptyFallsBack) const {
  if (FCtrlFSD && FCtrlFSD->ResourceStrData()) {
    std::string text = FCtrlFSD->ResourceStrData()->GetResStr(Key);
    if (!text.empty() || !EmptyFallsBack) return text;
  }
  return vlBuiltInText(Key);
}

int TvlSkinMessage::ButtonHeight() const {
  if (!FCtrlFSD || FCtrlFSD->Empty) return kDefaultButtonHeight;
  auto* e = dynamic_cast<TvlDataSkinButtonControl*>(
      vlControlElement(FCtrlFSD, vlFindControlElement(FCtrlFSD, ButtonSkinDataName)));
  return e ? RectHeight(e->SkinRect) : kDefaultButtonHeight;
}

TvlMessageForm* TvlSkinMessage::CreateMessageForm(const TRequest& R) {
  TvlMessageForm* form = TvlMessageForm::CreateEx(Application(), R.X, R.Y);
  std::unique_ptr<TvlMessageForm> guard(form);  // freed when building fails
  form->SetHelpContext(R.HelpCtx);
  form->HelpFile = R.HelpFile;
  TvlVelmora* vmr = form->VMR;
  vmr->SetSkinData(FSD);
  vmr->SetMenusSkinData(FCtrlFSD);
  vmr->SetAlphaBlend(AlphaBlend);
  vmr->AlphaBlendAnimation = AlphaBlendAnimation;
  vmr->SetAlphaBlendValue(AlphaBlendValue);

  const int bh = ButtonHeight();
  int count = 0;
  for (const TButtonKind& b : kButtons) count += R.Buttons.Contains(b.Button) ? 1 : 0;
  const int rowWidth = count > 0 ? count * kButtonWidth + count * kButtonGap - kButtonGap : 0;

  if (R.UseCaption) {
    form->SetCaption(R.Caption);
  } else if (const char* key = CaptionKeyOf(R.DlgType)) {
    form->SetCaption(InterfaceText(key));
  } else {
    form->SetCaption(Application()->Title());
  }

  auto* label = new TvlSkinStdLabel(form);
  label->SetName("Message");
  label->SetFont(FDefaultFont.get());
  label->SetDefaultFont(FDefaultFont.get());
  label->UseSkinFont = UseSkinFont;
  label->SetSkinDataName(MessageLabelSkinDataName);
  label->SetSkinData(FCtrlFSD);
  label->SetParent(form);
  // The message is text, not a caption with accelerators: an "&" in a file name stays.
  label->SetShowAccelChar(false);
  label->SetAutoSize(true);
  label->SetCaption(R.Msg);
  label->SetLeft(kLabelLeft);
  label->SetTop(kLabelTop);
  if (label->Width() > kMaxMessageWidth) {
    // Wrapped at spaces and beside Chinese characters; a path longer than a line is broken where
    // it fills one. The label keeps this width and grows downwards.
    label->BreakLongWords = true;
    label->SetWidth(kMaxMessageWidth);
    label->SetWordWrap(true);
  }
  form->Message = label;

  const int labelMiddle = label->Top() + label->Height() / 2;
  if (!R.Custom) {
    auto* image = new TImage(form);
    image->SetName("Image");
    image->SetParent(form);
    if (HICON icon = MessageIconOf(R.DlgType)) image->Picture()->Icon()->SetHandle(icon);
    image->SetBounds(kPictureLeft, std::max(10, labelMiddle - kIconSize / 2), kIconSize, kIconSize);
  } else if (R.Images && R.ImageIndex >= 0 && R.ImageIndex <= R.Images->Count() - 1) {
    auto* image = new TImage(form);
    image->SetName("Image");
    image->SetParent(form);
    image->SetTransparent(true);
    R.Images->GetIcon(R.ImageIndex, image->Picture()->Icon());
    image->SetBounds(kPictureLeft, labelMiddle - kIconSize / 2, R.Images->Width(), R.Images->Height());
  }

  form->SetClientHeight(bh + label->Height() + 50);
  form->SetClientWidth(std::max(label->Left() + label->Width(), rowWidth) + 40);

  if (R.CheckBox && ShowAgainFlag) {
    form->SetClientHeight(form->ClientHeight() + 40);
    auto* box = new TvlSkinCheckRadioBox(form);
    box->SetName("checkbox");
    form->DisplayCheckBox = box;
    box->SetDefaultHeight(30);
    box->SetChecked(!ShowAgainFlagValue);
    box->SetParent(form);
    box->SetDefaultFont(FDefaultFont.get());
    box->SetUseSkinFont(UseSkinFont);
    box->SetSkinData(FCtrlFSD);
    box->SetCaption(InterfaceText("MSG_CAP_SHOWFLAG", true));
    // Measured with the box's own font: the skin's when it uses it, else the default one.
    TBitmap measure;
    TFont* f = measure.Canvas()->Font();
    f->Assign(FDefaultFont.get());
    if (box->SkinIndex() != -1 && UseSkinFont) {
      f->SetName(box->FontName);
      f->SetHeight(box->FontHeight);
    }
    const int textWidth = measure.Canvas()->TextWidth(box->Caption());
    if (form->ClientWidth() < textWidth + 60) form->SetClientWidth(textWidth + 60);
    box->SetBounds(kPictureLeft, form->ClientHeight() - bh - 50, textWidth + 55, box->DefaultHeight());
  }

  const int maxWidth = vmr->GetMaxWidth(), minWidth = vmr->GetMinWidth();
  if (form->Width() > maxWidth)
    form->SetWidth(maxWidth);
  else if (form->Width() < minWidth)
    form->SetWidth(minWidth);

  const TMsgDlgBtn defaultButton = DefaultButtonOf(R.Buttons), cancelButton = CancelButtonOf(R.Buttons);
  int x = (form->ClientWidth() - rowWidth) / 2;
  const int y = form->ClientHeight() - bh - 10;
  for (const TButtonKind& kind : kButtons) {
    if (!R.Buttons.Contains(kind.Button)) continue;
    auto* b = new TvlSkinButton(form);
    b->SetParent(form);
    b->SetName(kind.Name);
    b->SetCanFocused(true);
    b->SetCaption(InterfaceText(kind.Key));
    b->ModalResult = kind.Result;
    b->SetDefault(kind.Button == defaultButton);
    // The default button starts with the focus, so Enter presses it whatever else is focusable.
    if (kind.Button == defaultButton) form->SetActiveControl(b);
    b->Cancel = kind.Button == cancelButton;
    b->SetDefaultHeight(bh);
    b->SetBounds(x, y, kButtonWidth, bh);
    b->SetDefaultFont(FDefaultButtonFont.get());
    b->SetUseSkinFont(UseSkinFont);
    if (kind.Button == TMsgDlgBtn::mbHelp) b->OnClick = [form](TObject* Sender) { form->HelpButtonClick(Sender); };
    b->SetSkinDataName(ButtonSkinDataName);
    b->SetSkinData(FCtrlFSD);
    x += kButtonWidth + kButtonGap;
  }
  return guard.release();
}

int TvlSkinMessage::Execute(const TRequest& R) {
  TvlMessageForm* form = CreateMessageForm(R);
  if (R.AskPosition && OnSetShowPos) {
    int ax = form->Left(), ay = form->Top();
    OnSetShowPos(ax, ay, form->Width(), form->Height());
    form->SetLeft(ax);
    form->SetTop(ay);
  }
  // Whatever way the modal run ends, the check box's answer is kept and the form is freed (unless
  // a handler freed it already).
  TWeak<TvlMessageForm> alive(form);
  auto finish = [&] {
    TvlMessageForm* f = alive.Get();
    if (!f) return;
    if (f->DisplayCheckBox) ShowAgainFlagValue = !f->DisplayCheckBox->Checked();
    delete f;
  };
  TModalResult result = mrCancel;
  try {
    result = form->ShowModal();
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

namespace {

using TRequest = TvlSkinMessage::TRequest;

// A dialog with the caption and icon of its kind.
TRequest KindRequest(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  TRequest r;
  r.Msg = Msg;
  r.DlgType = DlgType;
  r.Buttons = Buttons;
  r.HelpCtx = HelpCtx;
  return r;
}

// A dialog with the caller's caption and an image of a list.
TRequest ImageRequest(const std::string& Msg, const std::string& Caption, TCustomImageList* Images, int ImageIndex,
                      TMsgDlgButtons Buttons, int HelpCtx) {
  TRequest r;
  r.Msg = Msg;
  r.Caption = Caption;
  r.UseCaption = true;
  r.Custom = true;
  r.Images = Images;
  r.ImageIndex = ImageIndex;
  r.Buttons = Buttons;
  r.HelpCtx = HelpCtx;
  return r;
}

TRequest At(TRequest R, int X, int Y, bool AskPosition) {
  R.X = X;
  R.Y = Y;
  R.AskPosition = AskPosition;
  return R;
}

TRequest WithHelpFile(TRequest R, const std::string& HelpFile) {
  R.HelpFile = HelpFile;
  return R;
}

TRequest WithoutCheckBox(TRequest R) {
  R.CheckBox = false;
  return R;
}

}  // namespace

int TvlSkinMessage::MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return Execute(KindRequest(Msg, DlgType, Buttons, HelpCtx));
}

int TvlSkinMessage::MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                  int X, int Y) {
  return Execute(At(KindRequest(Msg, DlgType, Buttons, HelpCtx), X, Y, true));
}

int TvlSkinMessage::MessageDlgHelp(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                   const std::string& HelpFileName) {
  return Execute(WithHelpFile(KindRequest(Msg, DlgType, Buttons, HelpCtx), HelpFileName));
}

int TvlSkinMessage::MessageDlg2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType,
                                TMsgDlgButtons Buttons, int HelpCtx) {
  return MessageDlgHelp2(Msg, ACaption, DlgType, Buttons, HelpCtx, std::string());
}

int TvlSkinMessage::MessageDlgHelp2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType,
                                    TMsgDlgButtons Buttons, int HelpCtx, const std::string& HelpFileName) {
  TRequest r = WithHelpFile(KindRequest(Msg, DlgType, Buttons, HelpCtx), HelpFileName);
  r.Caption = ACaption;
  r.UseCaption = true;
  return Execute(r);
}

int TvlSkinMessage::CustomMessageDlg(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                                     int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx) {
  return Execute(ImageRequest(Msg, ACaption, AImages, AImageIndex, Buttons, HelpCtx));
}

int TvlSkinMessage::CustomMessageDlgPos(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                                        int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y) {
  return Execute(At(ImageRequest(Msg, ACaption, AImages, AImageIndex, Buttons, HelpCtx), X, Y, true));
}

int TvlSkinMessage::CustomMessageDlgHelp(const std::string& Msg, const std::string& ACaption,
                                         TCustomImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                                         int HelpCtx, const std::string& HelpFileName) {
  return Execute(WithHelpFile(ImageRequest(Msg, ACaption, AImages, AImageIndex, Buttons, HelpCtx), HelpFileName));
}

int TvlSkinMessage::WideMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return Execute(WithoutCheckBox(KindRequest(Msg, DlgType, Buttons, HelpCtx)));
}

int TvlSkinMessage::WideMessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                      int HelpCtx, int X, int Y) {
  // The wide form at a position does not ask the owner.
  return Execute(WithoutCheckBox(At(KindRequest(Msg, DlgType, Buttons, HelpCtx), X, Y, false)));
}
