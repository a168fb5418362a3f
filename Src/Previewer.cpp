#include "Src/Previewer.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "Src/FFMediaUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/Painting.h"
#include "platform/core/Thread.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/Painting.h"
#include "platform/core/Thread.h"
#include "platform/windowing/WindowTree.h"

// The GUI thread's side of a previewer: the form, the picture it shows and the message hook that
// turns a press on the picture into a caption drag. The queued call that releases it shares it,
// so it may outlive its previewer until the GUI thread gets there.
class TPreviewer::TWindow {
 public:
  TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  ~TWindow() { Release(); }

  // Shows APicture, making the form for the first one. Nothing once the user has closed it or
  // the window has been released.
  void Show(TPicture APicture) {
    if (Closed() || FReleased) return;
    FPicture = std::move(APicture);
    if (!FForm) Open(*FPicture.Bitmap);
    FForm->SetCaption(FormatMicroseconds(FPicture.PTS));
    // The window system keeps the new text without drawing it: the caption is drawn anew here.
    RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    FForm->Invalidate();
  }

  // Takes the hook out of the application's chain and frees the form; nothing when there is none.
  void Release() {
    FReleased = true;
    if (TApplication* app = FApplication.Get()) app->RemoveMessageHook(this);
    FApplication = TWeak<TApplication>();
    std::erase(Registry(), this);
    FForm.reset();
  }

  [[nodiscard]] bool Closed() const { return FClosed.load(); }
  [[nodiscard]] TForm* Form() const { return FForm.get(); }

 private:
  void Open(const TBitmap& AFirst) {
    FForm.reset(TForm::CreateNew(nullptr));
    FForm->SetBorderStyle(TFormBorderStyle::bsToolWindow);
    FForm->SetBorderIcons(TBorderIcons{TBorderIcon::biSystemMenu});
    FForm->SetColor(clBlack);
    FForm->SetClientWidth(AFirst.Width());
    FForm->SetClientHeight(AFirst.Height());
    Place(TSize{AFirst.Width(), AFirst.Height()});
    // The close goes ahead (the form hides); the previewer answers false from now on.
    FForm->OnCloseQuery = [this](TObject*, bool&) { FClosed = true; };
    FForm->OnPaint = [this](TObject*) { Paint(); };
    // Keyed, so previewers of engines that end in any order leave the others' hooks in place.
    FApplication = TWeak<TApplication>(Application());
    FApplication->AddMessageHook([this](MSG& AMsg, bool& AHandled) { DragByPicture(AMsg, AHandled); }, this);
    FForm->Show();
  }

  // Sizes and places the form for a first picture of ASize, owned by the main window (kept above
  // it by the desktop, not above every other program).
  void Place(TSize ASize) {
    HWND ownerHandle = nullptr;
    TRect owner;
    if (auto* main = dynamic_cast<TCustomForm*>(Application()->MainForm()); main && main->HandleAllocated()) {
      ownerHandle = main->Handle();
      if (main->Visible()) GetWindowRect(ownerHandle, &owner);
    }
    FForm->HandleNeeded();  // the window has its border and caption from here on
    FForm->SetClientWidth(ASize.cx);
    FForm->SetClientHeight(ASize.cy);
    const TSize frame{FForm->Width() - FForm->ClientWidth(), FForm->Height() - FForm->ClientHeight()};
    const TPreviewPlacement place = PlacePreview(ASize, frame, Screen()->WorkAreaRect(), owner, OpenCount());
    FScale = place.Scale;
    FForm->SetBoundsRect(place.Window);
    if (ownerHandle) SetWindowLongPtr(FForm->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerHandle));
    Registry().push_back(this);
  }

  void Paint() {
    TBitmap* picture = FPicture.Bitmap.get();
    if (!picture) return;
    if (FScale >= 1) {
      FForm->Canvas()->Draw(0, 0, picture);
      return;
    }
    const int w = std::max(1, static_cast<int>(picture->Width() * FScale + 0.5));
    const int h = std::max(1, static_cast<int>(picture->Height() * FScale + 0.5));
    FForm->Canvas()->StretchDraw(TRect{0, 0, w, h}, picture);
  }

  // The preview windows shown now (GUI thread), so a new one cascades off the others.
  static std::vector<TWindow*>& Registry() {
    static std::vector<TWindow*> windows;
    return windows;
  }
  static int OpenCount() {
    int n = 0;
    for (TWindow* w : Registry()) n += w->FForm && w->FForm->Visible() ? 1 : 0;
    return n;
  }

  // A left press on the picture moves the window as a press on its caption would.
  void DragByPicture(MSG& AMsg, bool& AHandled) {
    if (AMsg.message != WM_LBUTTONDOWN || !FForm || !FForm->HandleAllocated() || AMsg.hwnd != FForm->Handle())
      return;
    AHandled = true;
    SendMessage(AMsg.hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(AMsg.pt.X, AMsg.pt.Y));
  }

  std::unique_ptr<TForm> FForm;
  TPicture FPicture;  // the picture on show (the form paints it)
  TWeak<TApplication> FApplication;  // the application whose message chain holds the hook
  std::atomic<bool> FClosed{false};  // set on the GUI thread, read by PaintFrame anywhere
  bool FReleased = false;
  double FScale = 1;  // client size / size of the first picture
};

namespace {

// The largest scale (at most 1) at which a picture with its frame fits ASpace.
double FitScale(TSize APicture, TSize AFrame, TSize ASpace) {
  if (APicture.cx <= 0 || APicture.cy <= 0) return 0;
  const double sx = static_cast<double>(ASpace.cx - AFrame.cx) / APicture.cx;
  const double sy = static_cast<double>(ASpace.cy - AFrame.cy) / APicture.cy;
  return std::clamp(std::min(sx, sy), 0.0, 1.0);
}

// The parts of AWork beside, below and above AOwner (each as wide or high as the work area).
std::vector<TRect> FreeStrips(const TRect& AWork, const TRect& AOwner) {
  return {TRect{std::max(AWork.Left, AOwner.Right), AWork.Top, AWork.Right, AWork.Bottom},
          TRect{AWork.Left, AWork.Top, std::min(AWork.Right, AOwner.Left), AWork.Bottom},
          TRect{AWork.Left, std::max(AWork.Top, AOwner.Bottom), AWork.Right, AWork.Bottom},
          TRect{AWork.Left, AWork.Top, AWork.Right, std::min(AWork.Bottom, AOwner.Top)}};
}

}  // namespace

TPreviewPlacement PlacePreview(TSize APicture, TSize AFrame, const TRect& AWorkArea, const TRect& AOwner, int AIndex) {
  constexpr int kSmallest = 160;  // narrower pictures are no use: then the corner of the work area
  constexpr int kCascade = 24;    // step between the windows of several conversions
  const bool owned = !AOwner.IsEmpty() && AOwner.Left < AWorkArea.Right && AWorkArea.Left < AOwner.Right &&
                     AOwner.Top < AWorkArea.Bottom && AWorkArea.Top < AOwner.Bottom;
  TRect space = AWorkArea;
  double scale = FitScale(APicture, AFrame, TSize{AWorkArea.Width(), AWorkArea.Height()});
  bool besideOwner = false;
  if (owned) {
    double best = 0;
    for (const TRect& strip : FreeStrips(AWorkArea, AOwner)) {
      if (strip.IsEmpty()) continue;
      const double s = FitScale(APicture, AFrame, TSize{strip.Width(), strip.Height()});
      if (s > best) {
        best = s;
        space = strip;
      }
    }
    besideOwner = best * APicture.cx >= std::min(kSmallest, APicture.cx);
    if (besideOwner) {
      scale = best;
    } else {
      space = AWorkArea;
      scale = FitScale(APicture, AFrame, TSize{AWorkArea.Width() / 2, AWorkArea.Height() / 2});
    }
  }
  const int w = static_cast<int>(APicture.cx * scale + 0.5) + AFrame.cx;
  const int h = static_cast<int>(APicture.cy * scale + 0.5) + AFrame.cy;
  TPoint at{space.Left + (space.Width() - w) / 2, space.Top + (space.Height() - h) / 2};
  if (owned && !besideOwner) {
    // The corner farthest from the owner's centre.
    const TPoint centre{(AOwner.Left + AOwner.Right) / 2, (AOwner.Top + AOwner.Bottom) / 2};
    const TPoint workCentre{(AWorkArea.Left + AWorkArea.Right) / 2, (AWorkArea.Top + AWorkArea.Bottom) / 2};
    at.X = centre.X > workCentre.X ? AWorkArea.Left : AWorkArea.Right - w;
    at.Y = centre.Y > workCentre.Y ? AWorkArea.Top : AWorkArea.Bottom - h;
  }
  // Several windows cascade, each kept inside its space.
  const int step = kCascade * (std::max(AIndex, 0) % 8);
  at.X = std::clamp(at.X + step, space.Left, std::max(space.Left, space.Right - w));
  at.Y = std::clamp(at.Y + step, space.Top, std::max(space.Top, space.Bottom - h));
  return TPreviewPlacement{TRect{at.X, at.Y, at.X + w, at.Y + h}, scale};
}

TPreviewer::TPreviewer() : FWindow(std::make_shared<TWindow>()) {}

TPreviewer::~TPreviewer() {
  FNews.Revoke();  // no picture is shown from here on (waits for one being shown on the GUI thread)
  // Runs at once on the GUI thread; from another thread it is queued and runs there.
  TThread::Queue(nullptr, [window = FWindow] { window->Release(); });
}

bool TPreviewer::PaintFrame(TBitmap* ABitmap, int AFrameNumber, int64_t APTS) {
  if (Closed()) return false;
  if (!ABitmap || ABitmap->Empty()) return true;
  auto copy = std::make_shared<TBitmap>();
  copy->Assign(ABitmap);
  bool queue = false;
  {
    std::lock_guard<std::mutex> guard(FPendingLock);
    FPending = TPicture{std::move(copy), AFrameNumber, APTS};
    queue = !FQueued;
    FQueued = true;
  }
  if (queue) FNews.QueueInMainThread([this](const TLiveness::TAlive&) { ShowPending(); });
  return true;
}

bool TPreviewer::Closed() const { return FWindow->Closed(); }

TForm* TPreviewer::Form() const { return FWindow->Form(); }

void TPreviewer::ShowPending() {
  std::optional<TPicture> picture;
  {
    std::lock_guard<std::mutex> guard(FPendingLock);
    picture.swap(FPending);
    FQueued = false;
  }
  // A handler run by the showing may free this previewer; the window stays until it returns.
  const std::shared_ptr<TWindow> window = FWindow;
  if (picture) window->Show(std::move(*picture));
}
