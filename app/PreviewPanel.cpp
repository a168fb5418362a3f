#include "app/PreviewPanel.h"

#include <cstdio>

#include "Src/MyUtils.h"
#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsButtons.h"
#include "lib/controls/vlSkinCtrlsSlider.h"
#include "platform/graphics/Bitmap.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Picture.h"
#include "platform/core/Resources.h"

namespace {

const char* StateName(TPlayState AState) {
  switch (AState) {
    case TPlayState::psPlay:
      return "预览：播放";
    case TPlayState::psPause:
      return "预览：暂停";
    case TPlayState::psResume:
      return "预览：继续";
    case TPlayState::psStep:
      return "预览：单帧";
    case TPlayState::psStop:
      return "预览：停止";
    case TPlayState::psEnd:
      return "预览：播放结束";
  }
  return "";
}

TVideoDriver VideoDriverOf(int Index) {
  return Index == 1 ? TVideoDriver::vdDirectDraw : Index == 2 ? TVideoDriver::vdGDI : TVideoDriver::vdDefault;
}

TAudioDriver AudioDriverOf(int Index) {
  return Index == 1 ? TAudioDriver::adDirectSound : Index == 2 ? TAudioDriver::adWaveOut : TAudioDriver::adDefault;
}

// Loads a built-in picture of the program into Bitmap; false when the program has none.
bool LoadBuiltinPicture(TBitmap& Bitmap, const std::string& Name) {
  try {
    Bitmap.LoadFromResourceName(HInstance(), Name);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// The button's own hint and, when it has no glyph yet, the built-in glyph.
void DressButton(TControl* Button, const std::string& Hint, const std::string& Glyph) {
  Button->SetHint(Hint);
  Button->SetShowHint(true);
  auto* behaviour = dynamic_cast<TvlButtonBehaviour*>(Button);
  if (!behaviour || (behaviour->Glyph() && !behaviour->Glyph()->Empty())) return;
  TBitmap picture;
  if (LoadBuiltinPicture(picture, Glyph)) {
    behaviour->SetNumGlyphs(1);
    behaviour->SetGlyph(&picture);
  }
}

}  // namespace

TPreviewPanel::TPreviewPanel(const TPreviewPanelControls& Controls, std::string OptionsFile, TPreviewPanelHooks Hooks,
                             std::string LibraryFolder, std::string DefaultFolder)
    : hooks_(std::move(Hooks)),
      screen_(Controls.Screen),
      slider_(Controls.Slider),
      play_(Controls.PlayButton),
      pause_(Controls.PauseButton),
      stop_(Controls.StopButton),
      mute_(Controls.MuteButton),
      unmute_(Controls.UnmuteButton),
      snapshot_(Controls.SnapshotButton),
      settings_(Controls.SettingsButton),
      player_(std::make_unique<TFFPlayer>(nullptr)),
      snapshots_(std::move(OptionsFile), TSnapshotHooks{hooks_.ChooseSnapshotFolder, hooks_.Log},
                 std::move(DefaultFolder)),
      library_folder_(LibraryFolder.empty() ? GetExePath() + "LibAV" : std::move(LibraryFolder)) {
  player_->OnFileOpen = [this](TObject*, int64_t ADuration, int AFrameWidth, int AFrameHeight, int& AScreenWidth,
                               int& AScreenHeight) {
    FFPlayerFileOpen(ADuration, AFrameWidth, AFrameHeight, AScreenWidth, AScreenHeight);
  };
  player_->OnPosition = [this](TObject*, int64_t APTS) { FFPlayerPosition(APTS); };
  player_->OnState = [this](TObject*, TPlayState AState) { FFPlayerState(AState); };
  BindControls();
}

TPreviewPanel::~TPreviewPanel() {
  player_->OnFileOpen = nullptr;
  player_->OnPosition = nullptr;
  player_->OnState = nullptr;
  player_->OnHook = nullptr;
  player_->Stop(true);
  if (TWinControl* s = video_screen_.Get()) s->SetVisible(false);
  UnbindControls();
}

void TPreviewPanel::BindControls() {
  if (TWinControl* screen = screen_.Get()) {
    // Panel6's children: the idle picture, under the video screen that covers it while a file
    // is open.
    auto* idle = new TImage(screen);
    idle->SetParent(screen);
    idle->SetAlign(TAlign::alClient);
    idle->SetCenter(true);
    LoadBuiltinPicture(*idle->Picture()->Bitmap(), "VL_PREVIEW_IDLE");
    auto* video = new TPanel(screen);
    video->SetVisible(false);
    video->SetParent(screen);
    video->SetAlign(TAlign::alClient);
    video->SetBevelOuter(TBevelCut::bvNone);
    video->SetShowCaption(false);
    video->SetColor(clBlack);
    video_screen_ = TWeak<TWinControl>(video);
  }
  if (auto* slider = slider_.Get()) {
    slider->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { SliderPressed(); };
    slider->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { SliderReleased(); };
  }
  struct TButtonBinding {
    TControl* Button;
    const char* Hint;
    const char* Glyph;
    std::function<void()> Click;
  };
  const TButtonBinding buttons[] = {
      {play_.Get(), "播放", "VL_PREVIEW_PLAY", [this] { Play(); }},
      {pause_.Get(), "暂停", "VL_PREVIEW_PAUSE", [this] { Pause(); }},
      {stop_.Get(), "停止", "VL_PREVIEW_STOP", [this] { StopAndRewind(); }},
      {mute_.Get(), "静音", "VL_PREVIEW_SOUND", [this] { Mute(); }},
      {unmute_.Get(), "静音", "VL_PREVIEW_MUTED", [this] { Unmute(); }},
      {snapshot_.Get(), "快照", "VL_PREVIEW_SNAPSHOT",
       [this] { snapshots_.TakeSnapshot(player_->CurrentFrame(), file_name_); }},
      {settings_.Get(), "设置", "VL_PREVIEW_SETTINGS", [this] { snapshots_.MarkPictureType(); }},
  };
  for (const TButtonBinding& b : buttons) {
    if (!b.Button) continue;
    DressButton(b.Button, b.Hint, b.Glyph);
    b.Button->OnClick = [Click = b.Click](TObject*) { Click(); };
  }
  if (TControl* settings = settings_.Get())
    settings->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState, int, int) {
      if (Button == TMouseButton::mbLeft) snapshots_.PopupMenuAtCursor(settings_.Get());
    };
  if (TControl* mute = mute_.Get()) mute->SetVisible(!player_->Mute());
  if (TControl* unmute = unmute_.Get()) unmute->SetVisible(player_->Mute());
}

void TPreviewPanel::UnbindControls() {
  if (TvlSkinSlider* slider = slider_.Get()) {
    slider->OnMouseDown = nullptr;
    slider->OnMouseUp = nullptr;
  }
  for (TControl* button :
       {play_.Get(), pause_.Get(), stop_.Get(), mute_.Get(), unmute_.Get(), snapshot_.Get(), settings_.Get()})
    if (button) button->OnClick = nullptr;
  if (TControl* settings = settings_.Get()) settings->OnMouseDown = nullptr;
}

void TPreviewPanel::Log(const std::string& Line) const {
  if (hooks_.Log) hooks_.Log(Line);
}

void TPreviewPanel::FocusJobList() const {
  if (hooks_.FocusJobList) hooks_.FocusJobList();
}

// ---- Opening -------------------------------------------------------------------------------------

void TPreviewPanel::PreviewRow(const std::string& File) {
  if (auto* slider = slider_.Get()) slider->SetValue(0);
  file_name_ = File;
  OpenPreview();
}

void TPreviewPanel::OpenPreview() {
  if (!player_->AVLibLoaded() && !player_->LoadAVLib(library_folder_)) {
    Log(player_->LastErrMsg());
    return;
  }
  player_->SetVideoDriver(VideoDriverOf(Settings.VideoDriverIndex));
  player_->SetAudioDriver(AudioDriverOf(Settings.AudioDriverIndex));
  // The previous playback ends first, so that its stop (which hides the video screen) is over
  // before the screen is shown for this one.
  player_->Stop(true);
  TWinControl* video = video_screen_.Get();
  if (video) video->SetVisible(true);
  const HWND host = video ? video->Handle() : nullptr;
  if (!player_->Open(file_name_, host, Settings.OpenPaused)) {
    Log(player_->LastErrMsg());
    RestoreScreen();
  }
}

void TPreviewPanel::StopAndRewind() {
  if (!hooks_.RowSelected || !hooks_.RowSelected()) return;
  try {
    OpenPreview();
  } catch (const std::exception& E) {
    Log(E.what());
    player_->Stop(true);
  }
  FocusJobList();
}

void TPreviewPanel::ClearPreview() {
  player_->Stop(true);
  RestoreScreen();
}

void TPreviewPanel::RestoreScreen() {
  duration_ = 0;
  if (auto* slider = slider_.Get()) slider->SetValue(0);
  if (TWinControl* video = video_screen_.Get()) video->SetVisible(false);
  // Painted by the message loop, after what the hidden screen uncovered in the windows around.
  if (TWinControl* screen = screen_.Get()) screen->Invalidate();
}

// ---- Buttons and slider ----------------------------------------------------------------------------

void TPreviewPanel::Play() {
  player_->Resume();
  FocusJobList();
}

void TPreviewPanel::Pause() {
  player_->Pause();
  FocusJobList();
}

void TPreviewPanel::Mute() {
  player_->SetMute(true);
  if (TControl* unmute = unmute_.Get()) unmute->SetVisible(true);
  if (TControl* mute = mute_.Get()) mute->SetVisible(false);
}

void TPreviewPanel::Unmute() {
  player_->SetMute(false);
  if (TControl* mute = mute_.Get()) mute->SetVisible(true);
  if (TControl* unmute = unmute_.Get()) unmute->SetVisible(false);
}

void TPreviewPanel::SliderPressed() {
  slider_held_ = true;
  player_->Pause();
}

void TPreviewPanel::SliderReleased() {
  player_->Pause();
  auto* slider = slider_.Get();
  // A file that does not tell its duration (or a slider without range) gives no place to go to.
  if (slider && duration_ > 0 && slider->MaxValue() > 0)
    player_->Seek(duration_ * slider->Value() / slider->MaxValue());
  player_->Resume();
  slider_held_ = false;
}

void TPreviewPanel::WindowMoved() { player_->UpdateScreenPosition(); }

void TPreviewPanel::DetachPlayerEvents() {
  player_->OnPosition = nullptr;
  player_->OnState = nullptr;
  player_->OnHook = nullptr;
}

// ---- Player events -----------------------------------------------------------------------------

void TPreviewPanel::FFPlayerFileOpen(int64_t ADuration, int AFrameWidth, int AFrameHeight, int& AScreenWidth,
                                     int& AScreenHeight) {
  Log(player_->AVProbe()->FileInfoText());
  char line[128];
  std::snprintf(line, sizeof line, "时长：%.2f 秒，画面尺寸：%dx%d", static_cast<double>(ADuration) / 1000000.0,
                AFrameWidth, AFrameHeight);
  Log(line);
  if (TWinControl* video = video_screen_.Get()) {
    AScreenWidth = video->ClientWidth();
    AScreenHeight = video->ClientHeight();
  } else {
    AScreenWidth = Screen()->Width();
    AScreenHeight = Screen()->Height();
  }
  duration_ = ADuration;
  if (auto* slider = slider_.Get()) {
    slider->SetIncrement(5);
    slider->SetMaxValue(slider->Width());
    slider->SetValue(0);
  }
}

void TPreviewPanel::FFPlayerPosition(int64_t APTS) {
  if (slider_held_ || APTS < 0 || duration_ <= 0) return;
  if (auto* slider = slider_.Get()) slider->SetValue(static_cast<int>(int64_t{slider->MaxValue()} * APTS / duration_));
}

void TPreviewPanel::FFPlayerState(TPlayState AState) {
  Log(StateName(AState));
  if (AState == TPlayState::psStop) {
    RestoreScreen();
  } else if (AState == TPlayState::psEnd) {
    // Paused first: a seek asked while paused shows the picture it lands on. Asked while still
    // playing, the pause that follows at once could leave the file's last picture (or one just
    // past the start) on screen while the position reads 0.
    player_->Pause();
    player_->Seek(int64_t{0}, TSeekFlags{TSeekFlag::sfAny}, false);
  }
}

// ---- Layout ------------------------------------------------------------------------------------

//   572,296 ┌─────────────── 视频预览 ───────────────┐ 219 x 226
//           │  9,27 ┌──────────────────────────────┐  │
//           │       │    Panel6 200 x 124, black    │  │
//           │       └──────────────────────────────┘  │
//           │  8,156 ═══════[]════════════════════════ │ slider 202 wide
//           │  9,186 [play][pause][stop][mute][snap][set] │ 30 x 30, 34 apart
//           └─────────────────────────────────────────┘
TPreviewPanelLayout CreatePreviewPanelControls(TWinControl* Parent) {
  TComponent* owner = Parent->Owner() ? Parent->Owner() : Parent;
  TPreviewPanelLayout layout;
  auto* panel = new TvlSkinGroupBox(owner);
  panel->SetParent(Parent);
  panel->SetBounds(572, 296, 219, 226);
  panel->SetCaption("视频预览");
  layout.Panel = panel;

  auto* screen = new TPanel(owner);
  screen->SetName("Panel6");
  screen->SetParent(panel);
  screen->SetBounds(9, 27, 200, 124);
  screen->SetBevelOuter(TBevelCut::bvNone);
  screen->SetShowCaption(false);
  screen->SetColor(clBlack);
  layout.Controls.Screen = screen;

  auto* slider = new TvlSkinSlider(owner);
  slider->SetParent(panel);
  slider->SetBounds(8, 156, 202, 26);
  slider->SetOptions(TvlSliderOptions{TvlSliderOption::soSmooth});
  layout.Controls.Slider = slider;

  TControl** places[] = {&layout.Controls.PlayButton, &layout.Controls.PauseButton,    &layout.Controls.StopButton,
                         &layout.Controls.MuteButton, &layout.Controls.SnapshotButton, &layout.Controls.SettingsButton};
  auto button = [&](int Place) {
    auto* b = new TvlSkinButton(owner);
    b->SetParent(panel);
    b->SetBounds(9 + 34 * Place, 186, 30, 30);
    b->UseSkinSize = false;
    b->SetCanFocused(false);
    return b;
  };
  for (int place = 0; place < 6; ++place) *places[place] = button(place);
  layout.Controls.UnmuteButton = button(3);
  layout.Controls.UnmuteButton->SetVisible(false);
  return layout;
}
