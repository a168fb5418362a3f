// The converter's skinned windows in skin 1: the options window drawn headless and compared with
// its expected picture; and the options window, the message box, the folder picker and the open
// dialog shown on a real X server, read back from it and compared with what the headless display
// shows of the same window. The X server is one of the test's own (Xvfb on a free display,
// skipped when the program is not installed), so windows of tests running beside it never cover
// what it reads.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Unit5.h"
#include "lib/dialogs/vlMessages.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "lib/controls/vlSkinSizeGrip.h"
#include "lib/dialogs/vlSkinOpenDialog.h"
#include "platform/controls/Application.h"
#include "platform/core/Clock.h"
#include "platform/windowing/Display.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/HeadlessDisplay.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/RunProgram.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/x11/X11Display.h"
#include "skins/vlSkinArt.h"
#include "tests/app/MainWindowWorld.h"
#include "tests/lib/SkinnedFolderDialog.h"
#include "tests/lib/SkinnedMessageDialog.h"
#include "tests/lib/SkinnedTestForm.h"

#define Region X11Region
#define Display XDisplay
#define Screen XScreen
#define Time X11Time
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Region
#undef Display
#undef Screen
#undef Time

namespace {

namespace fs = std::filesystem;
using skinned_test_form::Pump;

constexpr int kScreenWidth = 1024, kScreenHeight = 768;

// An Xvfb server of the test's own on the first free display, ended with the object.
class TPrivateXServer {
 public:
  TPrivateXServer() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const int devnull = ::open("/dev/null", O_WRONLY);
      if (devnull >= 0) {
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
      }
      const std::string fd = std::to_string(fds[1]);
      const std::string screen = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    if (pid_ < 0) {
      ::close(fds[0]);
      return;
    }
    // The server writes its display number once it listens; an absent program closes the pipe.
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~TPrivateXServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  TPrivateXServer(const TPrivateXServer&) = delete;
  TPrivateXServer& operator=(const TPrivateXServer&) = delete;

  // ":N", or empty when the server did not start.
  [[nodiscard]] const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// A window's place and picture (rows top-down, 0xAARRGGBB).
struct TShot {
  TRect Bounds;
  std::vector<std::uint32_t> Pixels;
};

// Reads a rectangle of the screen the windows are on.
using TGrab = std::function<std::vector<std::uint32_t>(const TRect&)>;

// A window of the converter, opened on the current display, shot with Grab once it has painted,
// and closed again.
using TWindowShot = std::function<TShot(const TGrab&)>;

// Both skins as the converter holds them, skin 1 with its interface texts.
struct TSkins {
  TSkins() {
    vlLoadFixtureSkin(&Main, TvlSkinArtKind::Main);
    vlLoadFixtureSkin(&Tools, TvlSkinArtKind::Tools);
    // The built-in texts, the Chinese ones in place of those the converter replaces.
    TStrings* texts = Texts.ResStrings();
    for (const auto& table : {std::vector<const char*>(std::begin(skinned_message_dialog::kChineseTexts),
                                                       std::end(skinned_message_dialog::kChineseTexts)),
                              std::vector<const char*>(std::begin(skinned_folder_dialog::kChineseTexts),
                                                       std::end(skinned_folder_dialog::kChineseTexts))})
      for (const std::string line : table) {
        const int at = texts->IndexOfName(line.substr(0, line.find('=')));
        if (at >= 0)
          texts->SetStrings(at, line);
        else
          texts->Add(line);
      }
    Main.SetResourceStrData(&Texts);
  }
  ~TSkins() { Main.SetResourceStrData(nullptr); }

  TvlResourceStrData Texts{nullptr};
  TvlSkinData Main{nullptr};
  TvlSkinData Tools{nullptr};
};

// The options window as the converter first shows it: its stored choices read from a fresh
// options file in Folder.
TShot ShootOptions(TSkins& Skins, const fs::path& Folder, const TGrab& Grab) {
  main_window::TScriptedDialogs dialogs;
  std::unique_ptr<TForm5> form(
      new TForm5(nullptr, TOptionFile((Folder / "option.ini").string()), &Skins.Main, &Skins.Tools, [](bool) {}, dialogs));
  form->FormCreate();
  form->Show();
  Pump();
  TShot shot{form->BoundsRect(), {}};
  shot.Pixels = Grab(shot.Bounds);
  form.reset();
  Pump();
  return shot;
}

// The confirmation the converter asks before it overwrites an output file.
TShot ShootMessage(TSkins& Skins, const TGrab& Grab) {
  TvlSkinMessage message(nullptr);
  message.SetSkinData(&Skins.Main);
  message.SetCtrlSkinData(&Skins.Main);
  message.ShowAgainFlag = true;
  TvlSkinMessage::TRequest r;
  r.Msg = "输出文件“旅行记录.mp4”已存在。\n要覆盖原有文件吗？";
  r.DlgType = TMsgDlgType::mtConfirmation;
  r.Caption = "提示";
  r.UseCaption = true;
  r.Buttons = TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel};
  r.X = 40;
  r.Y = 40;
  std::unique_ptr<TvlMessageForm> form(message.CreateMessageForm(r));
  form->Show();
  Pump();
  TShot shot{form->BoundsRect(), {}};
  shot.Pixels = Grab(shot.Bounds);
  form.reset();
  Pump();
  return shot;
}

// A modal window of type Form that Run shows, shot once it is active and the queue has run dry,
// then closed.
template <typename Form>
TShot ShootModal(const std::function<void()>& Run, const TGrab& Grab) {
  TShot shot;
  bool shooting = false;
  Application()->OnIdle = [&](TObject*, bool& Done) {
    Done = true;
    auto* form = dynamic_cast<Form*>(Screen()->ActiveForm());
    if (!form || shooting) return;
    shooting = true;
    shot.Bounds = form->BoundsRect();
    shot.Pixels = Grab(shot.Bounds);
    PostMessage(form->Handle(), WM_CLOSE, 0, 0);
  };
  Run();
  Application()->OnIdle = nullptr;
  Pump();
  return shot;
}

// The folder picker opened at a folder of a temporary shell tree.
TShot ShootFolderPicker(TSkins& Skins, const TGrab& Grab) {
  TShellTestTree tree;
  for (const char* name : {"视频/输出", "视频/素材", "音乐"}) TShellTestTree::MakeFolder(tree.Usb + "/" + name);
  TvlSkinSelectDirectoryDialog dialog(nullptr);
  dialog.Title = "选择输出目录";
  dialog.SetSkinData(&Skins.Main);
  dialog.SetCtrlSkinData(&Skins.Main);
  dialog.Directory = tree.Usb + "/视频/输出";
  return ShootModal<TvlSelDirDlgForm>([&] { dialog.Execute(); }, Grab);
}

// The open dialog listing a folder of clips in a temporary shell tree.
TShot ShootOpenDialog(TSkins& Skins, const TGrab& Grab) {
  TShellTestTree tree;
  const std::string clips = tree.Usb + "/视频";
  TShellTestTree::MakeFolder(clips + "/素材");
  for (const char* name : {"旅行记录.mp4", "毕业典礼.avi", "生日聚会.mkv"}) std::ofstream(clips + "/" + name) << "clip";
  TvlSkinOpenDialog dialog(nullptr);
  dialog.Title = "添加文件";
  dialog.Filter = "视频文件|*.mp4;*.avi;*.mkv|所有文件|*.*";
  dialog.SetSkinData(&Skins.Main);
  dialog.SetCtrlSkinData(&Skins.Main);
  dialog.InitialDir = clips;
  return ShootModal<TvlOpenDlgForm>([&] { dialog.Execute(); }, Grab);
}

class SkinnedWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless = HeadlessDisplay();
    ASSERT_NE(headless, nullptr);
    headless->SetScreenSize({kScreenWidth, kScreenHeight});
    headless->SetWorkArea({0, 0, kScreenWidth, kScreenHeight});
    headless->MouseMove({kScreenWidth - 1, kScreenHeight - 1});
    std::string pattern = (fs::temp_directory_path() / "skinned-windows-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    skins = std::make_unique<TSkins>();
  }
  void TearDown() override {
    skins.reset();
    std::error_code ec;
    fs::remove_all(folder, ec);
  }

  // Lets the hover fades and the layered border's fade-in run to their end on the test clock.
  void Settle() {
    for (int i = 0; i < 16; ++i) {
      clock.Advance(25);
      Pump();
    }
  }

  // What the headless screen shows.
  TGrab HeadlessGrab() {
    return [this](const TRect& R) {
      Settle();
      return skinned_test_form::Shot(headless, R);
    };
  }

  // Shoots each window headless, then on a private X server, and compares the two pictures.
  void CompareOnX(const std::vector<std::pair<const char*, TWindowShot>>& Windows) {
    std::vector<TShot> expected;
    for (const auto& [name, shoot] : Windows) expected.push_back(shoot(HeadlessGrab()));

    OnX([&](TX11Display* x11, const std::string&) {
    auto* dpy = static_cast<XDisplay*>(x11->Connection());
    const TGrab grab = [&](const TRect& R) {
      Settle();
      x11->Sync();
      std::vector<std::uint32_t> out(static_cast<std::size_t>(R.Width()) * R.Height(), 0);
      XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), R.Left, R.Top, static_cast<unsigned>(R.Width()),
                                static_cast<unsigned>(R.Height()), AllPlanes, ZPixmap);
      if (!image) return out;
      for (int y = 0; y < R.Height(); ++y)
        for (int x = 0; x < R.Width(); ++x)
          out[static_cast<std::size_t>(y) * R.Width() + x] =
              static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF) | 0xFF000000u;
      XDestroyImage(image);
      return out;
    };

    for (std::size_t i = 0; i < Windows.size(); ++i) {
      SCOPED_TRACE(Windows[i].first);
      const TShot shown = Windows[i].second(grab);
      const TShot& want = expected[i];
      ASSERT_EQ(shown.Bounds, want.Bounds) << "the window takes the same place on both screens";
      ASSERT_EQ(shown.Pixels.size(), want.Pixels.size());
      const int w = want.Bounds.Width(), h = want.Bounds.Height();
      const TSurfaceDifference d =
          CompareSurfaces(shown.Pixels.data(), w * 4, want.Pixels.data(), w * 4, w, h, 8, false);
      // The rounded corners of the frame show what lies beneath the window: the headless
      // screen's background or the server's root.
      EXPECT_LE(d.DifferingPixels, 60) << Windows[i].first << " differs on the X server";
      if (d.DifferingPixels > 60) {
        const std::string name = std::string("x11_") + std::to_string(i);
        SaveSurfacePng(name + ".actual.png", shown.Pixels.data(), w, h, w * 4, false);
        SaveSurfacePng(name + ".headless.png", want.Pixels.data(), w, h, w * 4, false);
      }
    }
    });
  }

  // Runs Act with the display on a private X server (its name given), then puts the headless
  // display back; skips when Xvfb cannot be started.
  void OnX(const std::function<void(TX11Display*, const std::string&)>& Act) {
    TPrivateXServer server;
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb could not be started";
    auto opened = TX11Display::Open(server.Name().c_str());
    ASSERT_NE(opened, nullptr) << "the X server " << server.Name() << " does not answer";
    TX11Display* x11 = opened.get();
    std::unique_ptr<TDisplay> previous = SetDisplay(std::move(opened));
    SetThreadEventSource(x11);
    Act(x11, server.Name());
    SetThreadEventSource(nullptr);
    SetDisplay(std::move(previous));
  }

  TScopedTestClock clock;
  TApplication app{nullptr};
  THeadlessDisplay* headless = nullptr;
  fs::path folder;
  std::unique_ptr<TSkins> skins;
};

TEST_F(SkinnedWindowsTest, OptionsWindowMatchesItsExpectedPicture) {
  const TShot shot = ShootOptions(*skins, folder, HeadlessGrab());
  skinned_test_form::CompareWithExpected(shot.Pixels, shot.Bounds.Width(), shot.Bounds.Height(),
                                         main_window::ExpectedFolder(), "options_window");
}

TEST_F(SkinnedWindowsTest, WindowsOnAnXServerShowWhatTheHeadlessScreenShows) {
  CompareOnX({
      {"options window", [this](const TGrab& Grab) { return ShootOptions(*skins, folder, Grab); }},
      {"message box", [this](const TGrab& Grab) { return ShootMessage(*skins, Grab); }},
      {"folder picker", [this](const TGrab& Grab) { return ShootFolderPicker(*skins, Grab); }},
      {"open dialog", [this](const TGrab& Grab) { return ShootOpenDialog(*skins, Grab); }},
  });
}

// A person drags the open dialog's corner grip with the pointer (real input through the server):
// the dialog grows by the drag and keeps its top-left corner.
TEST_F(SkinnedWindowsTest, TheOpenDialogGrowsWhenItsCornerGripIsDraggedOnAnXServer) {
  OnX([&](TX11Display* x11, const std::string& server) {
    TShellTestTree tree;
    TvlSkinOpenDialog dialog(nullptr);
    dialog.SetSkinData(&skins->Main);
    dialog.SetCtrlSkinData(&skins->Main);
    dialog.InitialDir = tree.Usb;
    TRect before, after;
    int dragged = -2;
    // Wakes the modal loop now and then so a drag that never arrives ends the test, not hangs it.
    std::atomic<bool> done{false};
    std::atomic<HWND> window{nullptr};
    std::thread waker([&] {
      while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (HWND h = window) PostMessage(h, WM_NULL, 0, 0);
      }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    Application()->OnIdle = [&](TObject*, bool& Done) {
      Done = true;
      auto* form = dynamic_cast<TvlOpenDlgForm*>(Screen()->ActiveForm());
      if (!form || form->ModalResult() != mrNone) return;
      if (dragged == -2) {
        window = form->Handle();
        before = form->BoundsRect();
        const TPoint at = form->SizeGrip->ClientToScreen(TPoint{TvlSkinSizeGrip::kSide / 2, TvlSkinSizeGrip::kSide / 2});
        const std::string x = std::to_string(at.X), y = std::to_string(at.Y);
        const std::string x2 = std::to_string(at.X + 70), y2 = std::to_string(at.Y + 50);
        // The pointer moves on and lets go once the sizing holds it, as a hand does.
        form->AddWindowProcHook([&, x2, y2](TMessage& M, const TWndMethod& Next) {
          Next(M);
          if (M.Msg != WM_ENTERSIZEMOVE) return;
          test_programs::RunOn(server, {"xdotool", "mousemove", x2, y2, "mouseup", "1"});
          x11->Sync();
        });
        dragged = test_programs::RunOn(server, {"xdotool", "mousemove", x, y, "mousedown", "1"});
        x11->Sync();
        if (dragged != 0) form->SetModalResult(mrCancel);
        return;
      }
      if (form->BoundsRect() != before || std::chrono::steady_clock::now() > deadline) {
        after = form->BoundsRect();
        form->SetModalResult(mrCancel);
      }
    };
    dialog.Execute();
    Application()->OnIdle = nullptr;
    done = true;
    waker.join();
    Pump();
    if (dragged != 0) GTEST_SKIP() << "xdotool does not run";
    EXPECT_EQ(after, (TRect{before.Left, before.Top, before.Right + 70, before.Bottom + 50}));
  });
}

}  // namespace
