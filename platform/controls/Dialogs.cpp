#include "platform/controls/Dialogs.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/windowing/Display.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Picture.h"
#include "platform/controls/StdCtrls.h"

int StandardIconOf(TMsgDlgType DlgType) {
  switch (DlgType) {
    case TMsgDlgType::mtWarning: return IDI_EXCLAMATION;
    case TMsgDlgType::mtError: return IDI_HAND;
    case TMsgDlgType::mtInformation: return IDI_ASTERISK;
    case TMsgDlgType::mtConfirmation: return IDI_QUESTION;
    case TMsgDlgType::mtCustom: break;
  }
  return 0;
}

namespace {

// The standard icon an MB_ICON* flag asks for; 0 for none.
int IconOfFlags(UINT Flags) {
  switch (Flags & MB_ICONMASK) {
    case MB_ICONHAND: return StandardIconOf(TMsgDlgType::mtError);
    case MB_ICONQUESTION: return StandardIconOf(TMsgDlgType::mtConfirmation);
    case MB_ICONEXCLAMATION: return StandardIconOf(TMsgDlgType::mtWarning);
    case MB_ICONASTERISK: return StandardIconOf(TMsgDlgType::mtInformation);
    default: return 0;
  }
}

struct TChoice {
  const char* caption;
  int id;
};

std::vector<TChoice> ChoicesOf(UINT Flags) {
  switch (Flags & 0x0F) {
    case MB_OKCANCEL: return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case MB_YESNOCANCEL: return {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO: return {{"&Yes", IDYES}, {"&No", IDNO}};
    default: return {{"OK", IDOK}};
  }
}

}  // namespace

// Layout, in client pixels:
//
//   16  [icon 32x32] 12 [text, as wide as its longest line]  16
//   16 (top margin; the text is centred on the icon when it is shorter)
//   ...  16
//   [button 75 x 25] 8 [button] ...  centred, 16 from the bottom
int ShowMessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  constexpr int kMargin = 16, kIconSize = 32, kIconGap = 12, kButtonWidth = 75, kButtonHeight = 25, kButtonGap = 8;
  const std::vector<TChoice> choices = ChoicesOf(Flags);
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBorderStyle(TFormBorderStyle::bsDialog);
  form->SetCaption(Caption);
  form->SetPosition(TPosition::poMainFormCenter);

  int textLeft = kMargin, contentHeight = 0;
  if (const int icon = IconOfFlags(Flags)) {
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
    image->Picture()->Icon()->SetHandle(LoadIcon(nullptr, icon));
    textLeft += kIconSize + kIconGap;
    contentHeight = kIconSize;
  }
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetCaption(Text);
  label->SetShowAccelChar(false);
  label->SetLeft(textLeft);
  label->SetTop(kMargin + std::max(0, (contentHeight - label->Height()) / 2));
  contentHeight = std::max(contentHeight, label->Height());

  const int count = static_cast<int>(choices.size());
  const int buttonsWidth = count * (kButtonWidth + kButtonGap) - kButtonGap;
  const int width = std::max(textLeft + label->Width(), buttonsWidth + kMargin) + kMargin;
  const int buttonsTop = kMargin + contentHeight + kMargin;
  form->SetClientWidth(width);
  form->SetClientHeight(buttonsTop + kButtonHeight + kMargin);
  int x = (width - buttonsWidth) / 2;
  for (const TChoice& choice : choices) {
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetCaption(choice.caption);
    button->SetModalResult(choice.id);
    button->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
    button->SetDefault(&choice == &choices.front());
    button->SetCancel(choice.id == IDCANCEL || count == 1 || choice.id == IDNO);
    x += kButtonWidth + kButtonGap;
  }
  const TModalResult result = form->ShowModal();
  if (result == mrNone) return count == 1 ? IDOK : IDCANCEL;
  return result;
}

BOOL MessageBeep(UINT) {
  Display().Beep();
  return TRUE;
}
