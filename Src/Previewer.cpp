#include "Src/Previewer.h"

#include <utility>

#include "Src/FFMediaUtils.h"
#include "platform/controls/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/Painting.h"
#include "platform/core/Thread.h"

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
    FForm.reset();
  }

  [[nodiscard]] bool Closed() const { return FClosed.load(); }
  [[nodiscard]] TForm* Form() const { return FForm.get(); }

 private:
  void Open(const TBitmap& AFirst) {
    FForm.reset(TForm::CreateNew(nullptr));
    FForm->SetFormStyle(TFormStyle::fsStayOnTop);
    FForm->SetBorderStyle(TFormBorderStyle::bsToolWindow);
    FForm->SetBorderIcons(TBorderIcons{TBorderIcon::biSystemMenu});
    FForm->SetPosition(TPosition::poScreenCenter);
    FForm->SetColor(clBlack);
    FForm->SetClientWidth(AFirst.Width());
    FForm->SetClientHeight(AFirst.Height());
    // The close goes ahead (the form hides); the previewer answers false from now on.
    FForm->OnCloseQuery = [this](TObject*, bool&) { FClosed = true; };
    FForm->OnPaint = [this](TObject*) { FForm->Canvas()->Draw(0, 0, FPicture.Bitmap.get()); };
    // Keyed, so previewers of engines that end in any order leave the others' hooks in place.
    FApplication = TWeak<TApplication>(Application());
    FApplication->AddMessageHook([this](MSG& AMsg, bool& AHandled) { DragByPicture(AMsg, AHandled); }, this);
    FForm->Show();
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
};

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
