#include "app/Unit1.h"

#include <utility>

#include "app/OptionLists.h"
#include "lib/forms/Velmora.h"
#include "lib/controls/vlSkinHint.h"
#include "lib/data/vlCompressedSkin.h"
#include "lib/controls/vlSkinBoxCtrlsEdit.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/Edit.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Thread.h"
#include "platform/shell/DesktopOpener.h"

namespace {

// The interface texts of the skinned windows, dialogs and edits in place of the built-in
// English ones: caption buttons and the window menu, the edits' context menu, the message box,
// the folder picker and the open dialog.
constexpr std::pair<const char*, const char*> kInterfaceTexts[] = {
    {"MSG_BTN_YES", "是(&Y)"},          {"MSG_BTN_NO", "否(&N)"},
    {"MSG_BTN_OK", "确定"},             {"MSG_BTN_CANCEL", "取消"},
    {"MSG_BTN_HELP", "帮助(&H)"},       {"MSG_BTN_NEWFOLDER_HINT", "新建文件夹"},
    {"MSG_NEWFOLDER", "新建文件夹"},    {"MSG_CAP_WARNING", "警告"},
    {"MSG_CAP_ERROR", "错误"},          {"MSG_CAP_INFORMATION", "信息"},
    {"MSG_CAP_CONFIRM", "确认"},        {"MSG_CAP_SHOWFLAG", "不再显示此消息"},
    {"MSG_BTN_ABORT", "中止(&A)"},      {"MSG_BTN_RETRY", "重试(&R)"},
    {"MSG_BTN_IGNORE", "忽略(&I)"},     {"MSG_BTN_ALL", "全部(&A)"},
    {"MSG_BTN_NOTOALL", "全部否(&O)"},  {"MSG_BTN_YESTOALL", "全部是(&Y)"},
    {"MORECOLORS", "其他颜色..."},      {"AUTOCOLOR", "自动"},
    {"CUSTOMCOLOR", "自定义..."},
    // The caption's menu and buttons.
    {"MI_MINCAPTION", "最小化(&N)"},     {"MI_MAXCAPTION", "最大化(&X)"},
    {"MI_CLOSECAPTION", "关闭(&C)"},     {"MI_RESTORECAPTION", "还原(&R)"},
    {"MI_MINTOTRAYCAPTION", "最小化到托盘(&T)"}, {"MI_ROLLUPCAPTION", "卷起(&L)"},
    {"MINBUTTON_HINT", "最小化"},        {"MAXBUTTON_HINT", "最大化"},
    {"CLOSEBUTTON_HINT", "关闭"},        {"TRAYBUTTON_HINT", "最小化到托盘"},
    {"ROLLUPBUTTON_HINT", "卷起"},       {"MENUBUTTON_HINT", "系统菜单"},
    {"RESTORE_HINT", "还原"},
    // The edits' menu.
    {"EDIT_UNDO", "撤销"},               {"EDIT_COPY", "复制"},
    {"EDIT_CUT", "剪切"},                {"EDIT_PASTE", "粘贴"},
    {"EDIT_DELETE", "删除"},             {"EDIT_SELECTALL", "全选"},
    // The open and save dialogs.
    {"MSG_BTN_OPEN", "打开(&O)"},        {"MSG_BTN_SAVE", "保存(&S)"},
    {"MSG_BTN_CLOSE", "关闭"},           {"MSG_BTN_BACK_HINT", "返回"},
    {"MSG_BTN_UP_HINT", "向上一级"},     {"MSG_BTN_VIEWMENU_HINT", "查看菜单"},
    {"MSG_BTN_STRETCH_HINT", "拉伸图片"}, {"MSG_FILENAME", "文件名："},
    {"MSG_FILETYPE", "文件类型："},      {"MSG_LV_DETAILS", "详细信息"},
    {"MSG_LV_ICON", "大图标"},           {"MSG_LV_SMALLICON", "小图标"},
    {"MSG_LV_LIST", "列表"},             {"MSG_OVERWRITE", "文件已存在，要替换它吗？"},
    {"MSG_PREVIEWSKIN", "预览"},         {"MSG_PREVIEWBUTTON", "按钮"},
    {"FLV_NAME", "名称"},                {"FLV_SIZE", "大小"},
    {"FLV_TYPE", "类型"},                {"FLV_LOOKIN", "查找范围："},
    {"FLV_MODIFIED", "修改日期"},        {"FLV_ATTRIBUTES", "属性"},
    {"FLV_DISKSIZE", "总大小"},          {"FLV_FREESPACE", "可用空间"},
};

// The open dialogs' filter: 42 entries, the first shown at first. The texts are kept as they
// are (an ideographic space in the FLAC entry, a space after "(" in the DVR-MS entry and after
// ";" in the AIFF entry).
constexpr const char* kOpenDialogFilter[] = {
    "所有文件格式 (*.*)|*.*|",
    "支持的视频/音频文件格式|*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;"
    "*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.SWF;",
    "*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;"
    "*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;*.m4v;*.3gpp;*.3gp2;*.qt|",
    "支持的视频文件格式|*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;"
    "*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.SWF;*.WV;*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;"
    "*.dif;*.m4v;*.3gpp;*.3gp2;*.qt|",
    "支持的音频文件格式|*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;"
    "*.WV;*.TTA;*.AC3|",
    "AVI文件 (*.avi)|*.avi|",
    "Real视频文件格式 (*.rm;*.rmvb)|*.rm;*.rmvb|",
    "MP4视频格式 (*.mp4;*.m4v)|*.mp4;*.m4v|",
    "MPEG视频格式 (*.mpg;*.mpeg)|*.mpg;*.mpeg|",
    "DVD视频格式 (*.vob)|*.vob|",
    "VCD/SVCD视频格式 (*.dat;*.mpg)|*.dat;*.mpg|",
    "ASF微软视频格式 (*.asf)|*.asf|",
    "WMV微软视频格式 (*.wmv)|*.wmv|",
    "手机3GPP文件格式 (*.3gp;*.3gpp)|*.3gp;*.3gpp|",
    "手机3GPP2文件格式 (*.3g2;*.3gp2)|*.3g2;*.3gp2|",
    "Flash动画格式 (*.swf)|*.swf|",
    "Flash视频格式 (*.flv)|*.flv|",
    "MKV视频媒体格式 (*.mkv)|*.mkv|",
    "Quick Time视频文件格式 (*.mov;*.qt)|*.mov;*.qt|",
    "DV数字视频文件格式 (*.dv;*.dif)|*.dv;*.dif|",
    "Raw h261类型文件 (*.h261)|*.h261|",
    "Raw h264类型文件 (*.h264)|*.h264|",
    "YUV类型文件 (*.yuv)|*.yuv|",
    "GIF图片动画格式 (*.gif)|*.gif|",
    "MJPEG视频格式(*.mjpg;*.mjpeg)|*.mjpg;*.mjpeg|",
    "TS视频格式 (*.ts)|*.ts|",
    "WMV高清HD视频格式 (*.xwmv)|*.xwmv|",
    "微软数字视频格式( *.dvr-ms)|*.dvr-ms|",
    "iTunes视频格式 (*.m4v)|*.m4v|",
    "MP3音频格式 (*.mp3)|*.mp3|",
    "CD音频格式 (*.cda)|*.cda|",
    "WMA微软音频格式 (*.wma)|*.wma|",
    "WAVE音频格式 (*.wav)|*.wav|",
    "REAL音频格式 (*.ra;*.ram)|*.ra;*.ram|",
    "MP4音频格式 (*.m4a;*.mp4)|*.m4a;*.mp4|",
    "AAC高级音频格式 (*.aac)|*.aac|",
    "AC3音频格式 (*.ac3)|*.ac3|",
    "Monkey音频格式 (*.ape;*.cue)|*.ape;*.cue|",
    "Flac无损压缩音频格式\u3000(*.flac)|*.flac|",
    "MPEG音频编码格式(*.mpa)|*.mpa|",
    "MPEG 2音频编码格式(*.mp2)|*.mp2|",
    "OGG音频编码格式(*.ogg)|*.ogg|",
    "AIFF音频编码格式(*.aif; *.aiff)|*.aif; *.aiff|",
};
static_assert(std::size(kOpenDialogFilter) == 43);

// The logger of the window: its own, or the one of the process when another part made it first
// (only one may exist).
TFFLogger* MakeLogger(TComponent* Owner) {
  try {
    return new TFFLogger(Owner);
  } catch (const EAssertionFailed&) {
    return GetLogger();
  }
}

// A skin list holding the program's embedded skin of that resource name (empty when the program
// has none).
void AddEmbeddedSkin(TvlCompressedSkinList* List, const char* ResourceName) {
  TvlSkinListItem* item = List->Skins()->Add();
  try {
    TResourceStream stream(HInstance(), ResourceName, RT_RCDATA);
    item->ReadSkin(&stream);
  } catch (const Exception&) {
    // Without the resource the item stays empty and the windows keep their built-in look.
  }
}

}  // namespace

TForm1::TForm1(TComponent* AOwner, TMainWindowSetup Setup) : TForm(AOwner), setup_(std::move(Setup)) {
  if (!setup_.AfterRun) {
    system_after_run_ = std::make_unique<TSystemAfterRunActions>(setup_.Folders.EndSound());
    setup_.AfterRun = system_after_run_.get();
  }
  SetName("Form1");

  Convexa = new TConvexa(this);
  FFLogger = MakeLogger(this);
  FFLogger->OnLog = [this](TObject* Sender, DWORD Thread, TLogLevel Level, const std::string& Message) {
    FFLoggerLog(Sender, Thread, Level, Message);
  };

  BuildSkins();
  BuildControls();
  folder_.OnChange = [this] { Video_OutPut_Folder_Edit->SetText(folder_.Text()); };
  BuildPreview();

  // The category list's items are form data: item 0 is selected before any handler exists.
  TPresetChain::AddCategoryItems(*vlSkinOfficeComboBox2);
  vlSkinOfficeComboBox2->SetItemIndex(0);
  TPresetChainHooks hooks;
  hooks.OverwriteOutput = [this] { return OverwriteOutput(); };
  hooks.FocusJobList = [this] { FocusJobList(); };
  hooks.PreviewRow = [this](const std::string& File) { preview_->PreviewRow(File); };
  hooks.OutputRenamed = [this](int Row) { FollowRowOutput(Row); };
  hooks.SelectedRows = [this] { return RowsForChoosers(); };
  const TOptionChoosers choosers{*vlSkinComboBox1, *vlSkinComboBox2, *vlSkinComboBox3,
                                 *vlSkinComboBox4, *vlSkinComboBox9, *vlSkinComboBox10};
  chain_ = std::make_unique<TPresetChain>(*vlSkinOfficeComboBox2, *vlSkinOfficeComboBox1, choosers, jobs_, folder_,
                                          std::move(hooks));
  IConversionView& view = *this;
  conversion_ = std::make_unique<TConversionControl>(*Convexa, jobs_, folder_, view, *setup_.AfterRun,
                                                     [this] { return ConversionSettings(); });
  BindCommands();

  // An opener that started and then failed says so from its own thread; the window tells the user.
  SetDesktopOpenFailedHandler([this, alive = alive_](const std::string& Target, const std::string& Reason) {
    TThread::Queue(nullptr, [this, alive, Target, Reason] {
      if (*alive) ShowWarning(OpenFailedMessage(Target, Reason));
    });
  });
  OnCreate = [this](TObject*) { FormCreate(); };
  OnCloseQuery = [this](TObject*, bool& CanClose) { FormCloseQuery(CanClose); };
}

TForm1::~TForm1() {
  *alive_ = false;
  SetDesktopOpenFailedHandler(nullptr);
  // What binds itself to the components goes before them; the preview's playback ends first.
  preview_.reset();
  FFPlayer = nullptr;
  conversion_.reset();
  chain_.reset();
  if (FFLogger && FFLogger->Owner() != this) FFLogger->OnLog = nullptr;
  vlSkinComboBox1.reset();
  vlSkinComboBox2.reset();
  vlSkinComboBox3.reset();
  vlSkinComboBox4.reset();
  vlSkinComboBox9.reset();
  vlSkinComboBox10.reset();
  vlSkinOfficeComboBox1.reset();
  vlSkinOfficeComboBox2.reset();
}

void TForm1::BuildPreview() {
  TPreviewPanelControls controls;
  controls.Screen = Panel6;
  controls.Slider = vlSkinSlider1;
  controls.PlayButton = vlSkinButton13;
  controls.PauseButton = vlSkinButton14;
  controls.StopButton = vlSkinButton15;
  controls.MuteButton = vlSkinButton16;
  controls.UnmuteButton = vlSkinButton20;
  controls.SnapshotButton = vlSkinButton22;
  controls.SettingsButton = vlSkinButton23;
  TPreviewPanelHooks hooks;
  hooks.Log = [this](const std::string& Line) { AddLog(Line); };
  hooks.RowSelected = [this] { return jobs_.ItemIndex() >= 0; };
  hooks.FocusJobList = [this] { FocusJobList(); };
  // The folder dialog shared with the output folder.
  hooks.ChooseSnapshotFolder = [this]() -> std::optional<std::string> {
    if (!setup_.Dialogs->SelectFolder(vlSkinSelectDirectoryDialog2)) return std::nullopt;
    return vlSkinSelectDirectoryDialog2.Directory;
  };
  preview_ = std::make_unique<TPreviewPanel>(controls, setup_.Folders.OptionFile(), std::move(hooks),
                                             setup_.Folders.LibraryFolder(), setup_.Folders.DefaultSnapshotFolder());
  FFPlayer = &preview_->Player();
}

void TForm1::BuildSkins() {
  vlCompressedSkinList1 = new TvlCompressedSkinList(this);
  AddEmbeddedSkin(vlCompressedSkinList1, "VL_SKIN_MAIN");
  vlCompressedSkinList2 = new TvlCompressedSkinList(this);
  AddEmbeddedSkin(vlCompressedSkinList2, "VL_SKIN_TOOLS");
  // The form data sets skin index 1 before the one-skin list is attached, so no skin is loaded
  // until the skin setting is read.
  vlSkinData1 = new TvlSkinData(this);
  vlSkinData1->SetSkinIndex(1);
  vlSkinData1->SetSkinList(vlCompressedSkinList1);
  // The skinned dialogs and message boxes take their texts from skin 1's table: the built-in
  // ones with the Chinese texts in place of those they show.
  vlResourceStrData1 = new TvlResourceStrData(this);
  TStrings* texts = vlResourceStrData1->ResStrings();
  for (const auto& [key, text] : kInterfaceTexts) {
    const int line = texts->IndexOfName(key);
    const std::string entry = std::string(key) + "=" + text;
    if (line >= 0)
      texts->SetStrings(line, entry);
    else
      texts->Add(entry);
  }
  vlSkinData1->SetResourceStrData(vlResourceStrData1);
  vlSkinData2 = new TvlSkinData(this);
  vlSkinData2->SetSkinList(vlCompressedSkinList2);
  vlVelmora1 = SetUpSkinnedForm(this, kApplicationTitle, TFormBorderStyle::bsSingle, TPosition::poDesktopCenter,
                                kMainClientWidth, kMainClientHeight, vlSkinData1);
  // Long option lists scroll in their drop-down.
  vlVelmora1->SetMaxMenuItemsInWindow(12);
  vlSkinHint1 = new TvlSkinHint(this);
  vlSkinHint1->SetSkinData(vlSkinData1);
  ShowCaptionHints(vlVelmora1, vlSkinHint1);
}

// ---- Creation and close ------------------------------------------------------------------------

void TForm1::FormCreate() {
  // Each step reports its own failure (an options file that refuses a write, say) and the later
  // steps still run, so the window is whole whatever the folder allows.
  const std::function<void()> steps[] = {
      [this] { Button15Click(); },
      [this] { Button17Click(); },
      [this] { Button21Click(); },
      [this] { Button3Click(); },
      [this] { chain_->FillPresetList(); },
      [this] {
        RenderTargets = {"Panel6"};
        RenderTargetIndex = 0;
      },
  };
  for (const auto& step : steps) {
    try {
      step();
    } catch (const Exception& E) {
      setup_.Dialogs->ShowMessage(E.Message, kApplicationTitle, TMsgDlgType::mtError);
    }
  }
}

void TForm1::FormCloseQuery(bool& CanClose) {
  CanClose = true;
  if (closed_) return;
  closed_ = true;
  preview_->DetachPlayerEvents();
  Convexa->OnCustomHook = nullptr;
  Convexa->OnProgress = nullptr;
  Convexa->OnTerminate = nullptr;
  Convexa->Stop(true);
  FFLogger->OnLog = nullptr;
  // The preview stops with the window, so no player thread outlives it.
  FFPlayer->Stop(true);
}

void TForm1::WndProc(TMessage& Message) {
  TForm::WndProc(Message);
  if ((Message.Msg == WM_WINDOWPOSCHANGING || Message.Msg == WM_WINDOWPOSCHANGED) && preview_)
    preview_->WindowMoved();
}

void TForm1::FFLoggerLog(TObject*, DWORD AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg) {
  AddLog("#" + std::to_string(AThreadID) + "." + std::to_string(static_cast<int>(ALogLevel)) + ": " + ALogMsg);
}

void TForm1::AddLog(const std::string& Line) {
  // A text of several lines becomes as many lines of the log; its last line end ends its last
  // line and makes no empty line of its own.
  std::string_view rest = Line;
  if (!rest.empty() && rest.back() == '\n') rest.remove_suffix(1);
  for (;;) {
    const std::size_t end = rest.find('\n');
    std::string_view part = rest.substr(0, end);
    if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
    mmoLog->Lines()->Add(std::string(part));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

// ---- Output folder, filter and skin ------------------------------------------------------------

void TForm1::Button17Click() {
  const TOptionFile options = Options();
  if (options.Exists()) {
    const std::string stored = options.Read("OutPath", "OutPath");
    if (!TOptionFile::IsMissing(stored)) {
      // A folder that cannot be made is still the output folder; the adds then say why.
      if (!DirectoryExists(stored)) ForceDirectories(stored);
      folder_.SetFolder(stored);
      return;
    }
  }
  const std::string folder = setup_.Folders.DefaultOutputFolder();
  if (!DirectoryExists(folder)) ForceDirectories(folder);
  folder_.SetFolder(folder);
  options.Write("OutPath", "OutPath", folder);
}

void TForm1::Button16Click() {
  if (DirectoryExists(folder_.FileOutPutPath())) Options().Write("OutPath", "OutPath", folder_.FileOutPutPath());
}

void TForm1::vlSkinButton5Click() {
  if (!setup_.Dialogs->SelectFolder(vlSkinSelectDirectoryDialog2)) return;
  const std::string chosen = vlSkinSelectDirectoryDialog2.Directory;
  if (!DirectoryExists(chosen)) return;
  folder_.SetFolder(chosen);
  try {
    Button16Click();
  } catch (const Exception& E) {
    setup_.Dialogs->ShowMessage(E.Message, kApplicationTitle, TMsgDlgType::mtError);
  }
  FocusJobList();
}

void TForm1::vlSkinButton6Click() {
  std::string error;
  if (!setup_.AfterRun->OpenOutputFolder(folder_.Text(), error)) ShowWarning(NoOpenerMessage(folder_.Text(), error));
  FocusJobList();
}

void TForm1::Button21Click() {
  std::string filter;
  for (const char* text : kOpenDialogFilter) filter += text;
  OpenDialog1.Filter = filter;
  OpenDialog2.Filter = filter;
}

void TForm1::Button3Click() {
  const TOptionFile options = Options();
  if (options.Exists()) {
    const std::string stored = options.Read("Skin", "SetSkin");
    int index = 0;
    // A value that is no whole number counts as missing.
    if (!TOptionFile::IsMissing(stored) && TryStrToInt(stored, index)) {
      vlSkinData1->SetSkinIndex(index);
      return;
    }
  }
  // The skin is loaded also when the options file cannot be written.
  vlSkinData1->SetSkinIndex(0);
  options.Write("Skin", "SetSkin", "0");
}
