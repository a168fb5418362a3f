#include "app/Unit2.h"

#include "app/MainWindowControls.h"
#include "app/Unit1.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"

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
  const char* lines[] = {"视频与音频格式转换：把视频和音频文件转换成VCD、DVD、",
                         "手机、播放器和网页等常用格式。",
                         "官方网站：www.qirelo.com",
                         "联系邮箱：support@qirelo.com"};
  VersionLabel = MakeSkinLabel(this, card, Box(20, 50, 348, 20), "版本：" + ProgramVersion(), MainSkin);
  int top = 76;
  for (const char* line : lines) {
    MakeSkinLabel(this, card, Box(20, top, 348, 20), line, MainSkin);
    top += line == lines[1] ? 28 : 22;
  }
  Button1 = MakeSkinButton(this, this, Box(kAboutClientWidth - 16 - 84, 214, 84, 28), "确定", MainSkin);
  Button1->SetDefault(true);
  Button1->Cancel = true;
  Button1->OnClick = [this](TObject*) { Close(); };
}
