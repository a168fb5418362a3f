#pragma once
// The preview window of a converting engine: a small tool window owned by the main window that
// shows the pictures the engine has just encoded, so the user can watch a conversion. One
// previewer per engine; the engine makes it on its first preview picture and frees it when the
// preview is switched off or the run's resources are released.
//
// Threads: PaintFrame is called on the engine's worker and never waits for the GUI thread. It
// hands a copy of the picture over as a queued call (a newer picture replaces one not shown yet)
// guarded by the previewer's liveness token, and answers from the closed flag, so a slow paint
// never slows a conversion. The form, its message hook and its caption are touched only on the
// GUI thread. The previewer may be destroyed on any thread: the form then goes on the GUI thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "Src/FFUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/Object.h"

class TForm;

// Where a preview window goes and how its pictures are scaled. The window (client area of the
// picture's size times Scale, plus AFrame for its border and caption) lies inside AWorkArea and
// off AOwner (the main window, whose buttons must stay reachable): in the widest free strip of
// the work area beside, below or above it, scaled down to fit there keeping the aspect (never
// enlarged). Where no strip takes a useful picture, the window goes in the work area corner
// farthest from the owner, at most half the work area. AIndex (the number of preview windows
// already open) cascades it so several stay apart. An empty AOwner means none.
struct TPreviewPlacement {
  TRect Window;       // screen coordinates
  double Scale = 1;   // client size / picture size, at most 1
};
[[nodiscard]] TPreviewPlacement PlacePreview(TSize APicture, TSize AFrame, const TRect& AWorkArea, const TRect& AOwner,
                                             int AIndex);

class TPreviewer : public TObject {
 public:
  // No window yet: the first picture makes it.
  TPreviewer();
  // Pictures not shown yet are dropped; the form and the message hook go on the GUI thread (at
  // once when this runs there, else by a queued call).
  ~TPreviewer() override;
  TPreviewer(const TPreviewer&) = delete;
  TPreviewer& operator=(const TPreviewer&) = delete;

  // Shows ABitmap (copied here: the caller may change it as soon as this returns) with the
  // caption "hh:mm:ss.mmm" of APTS (microseconds; "N/A" for the no-timestamp value). The first
  // picture makes the window, placed and scaled by PlacePreview (centred on the work area at
  // the picture's size when it fits and no main window is in the way); later pictures of another
  // size are drawn at the top-left corner at the same scale without resizing. A null or
  // empty bitmap shows nothing. Any thread; on the GUI thread the picture is shown before this
  // returns.
  // Returns true while the user has not closed the window, false once they have (nothing is
  // shown then, and the window never comes back for this previewer).
  [[nodiscard]] bool PaintFrame(TBitmap* ABitmap, int AFrameNumber, int64_t APTS);
  // The user has closed the window. Any thread.
  [[nodiscard]] bool Closed() const;
  // The preview form; nullptr until the first picture has been shown. GUI thread.
  [[nodiscard]] TForm* Form() const;

 private:
  class TWindow;
  struct TPicture {
    std::shared_ptr<TBitmap> Bitmap;
    int FrameNumber = 0;
    int64_t PTS = 0;  // microseconds
  };

  // GUI thread: shows the newest picture handed over.
  void ShowPending();

  std::shared_ptr<TWindow> FWindow;  // GUI thread, but its closed flag is read anywhere

  // The picture handed over and not shown yet, and whether a call to show it is queued.
  std::mutex FPendingLock;
  std::optional<TPicture> FPending;
  bool FQueued = false;

  TLiveness FNews;  // revoked first by the destructor
};
