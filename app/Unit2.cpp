#include "app/Unit2.h"

#include "app/MainWindowControls.h"
#include "app/Unit1.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinExCtrls.h"

#ifndef CONVERTER_VERSION
#error "the build names the program's version (CONVERTER_VERSION)"
#endif

std::string ProgramVersion() { return CONVERTER_VERSION; }

TForm2::TForm2(TComponent* AOwner, TvlSkinData* MainSkin) : TForm(AOwner) {
  SetName("Form2");
  vlVelmora1 = SetUpSkinnedForm(this, "关于软件", TFormBorderStyle::bsDialog, TPosition::poMainFormCenter,
                                kAboutClientWidth, kAboutClientHeight, MainSkin);

  TvlSkinPanel* card = MakeSkinPanel(this, this, Box(16, 16, kAboutClientWidth - 32, 184), "panel", MainSkin);
  TvlSkinStdLabel* title = MakeSkinLabel(this, card, Box(20, 16, 340, 28), kApplicationTitle, MainSkin);
  title->UseSkinFont = false;
  title->Font()->SetName("微软雅黑");
  title->Font()->SetHeight(-17);
  title->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  const char* lines[] = {"视频与音频格式转换：把视频和音频文件转换成VCD、DVD、", "手机、播放器和网页等常用格式。"};
  VersionLabel = MakeSkinLabel(this, card, Box(20, 50, 348, 20), "版本：" + ProgramVersion(), MainSkin);
  MakeSkinLabel(this, card, Box(20, 76, 348, 20), lines[0], MainSkin);
  MakeSkinLabel(this, card, Box(20, 98, 348, 20), lines[1], MainSkin);
  // The maker's page and mail address open through the desktop's opener; the glow around a
  // hovered link needs a few pixels above and below its text.
  const auto link = [&](int Top, const char* Caption, const char* Address) {
    auto* l = new TvlSkinLinkLabel(this);
    l->SetParent(card);
    l->SetAutoSize(false);
    l->SetAlignment(TAlignment::taCenter);
    l->SetBoundsRect(Box(20, Top, 348, 28));
    l->SetCaption(Caption);
    l->URL = Address;
    l->GlowEffect = true;
    l->GlowSize = 6;
    l->SetUseUnderLine(true);
    l->UseSkinFont = true;
    l->DefaultActiveFontColor = clBlue;
    l->SetSkinData(MainSkin);
    return l;
  };
  WebLink = link(124, "官方网站：www.qirelo.com", TForm1::kHomePage);
  MailLink = link(152, "联系邮箱：support@qirelo.com", TForm1::kSupportMail);
  Button1 = MakeSkinButton(this, this, Box(kAboutClientWidth - 16 - 84, 214, 84, 28), "确定", MainSkin);
  Button1->SetDefault(true);
  Button1->Cancel = true;
  Button1->OnClick = [this](TObject*) { Close(); };
}
