#pragma once
// The picture variants of the open and save dialog: the same window with a preview pane at its
// right (a splitter, then a framed panel holding a scroll box with the picture and its two
// external bars) and a fifth tool button that switches the preview between the picture's own
// size and stretched to the pane. The edit, the filter box and the two buttons keep fixed
// places. A file that is not a picture of a known kind, a damaged one, a file above
// kvlMaxPreviewFileSize or a picture above kvlMaxPreviewPixels shows the empty preview; nothing is
// raised out of the selection. Metafiles have no picture class here and show the empty preview
// too. GUI thread only.
//
//   +------------------------------------------------------------+
//   | Look in: [folder      v] [<][^][*]  [view v][stretch]      |
//   +-------------------------------------+ || +-----------------+
//   | file list                           | || | picture       ^ |
//   |                                     | || |               v |
//   |                                     | || | <      >        |
//   +-------------------------------------+    +-----------------+
//   | File name: [               ]  [ Open ]                     |
//   | Files of type: [           ]  [Cancel]                     |
//   +------------------------------------------------------------+

#include <cstdint>

#include "lib/dialogs/vlSkinOpenDialog.h"

class TImage;
class TvlSkinScrollBox;
class TvlSkinSplitter;

// Largest file the preview reads, and largest picture (width x height) it shows.
inline constexpr std::int64_t kvlMaxPreviewFileSize = std::int64_t{64} * 1024 * 1024;
inline constexpr std::int64_t kvlMaxPreviewPixels = std::int64_t{8192} * 8192;

class TvlOpenPictureDlgForm : public TvlOpenDlgForm {
 public:
  static TvlOpenPictureDlgForm* CreateEx(TComponent* AOwner, bool ASaveMode, TvlSkinData* ACtrlSkinData,
                                         bool AToolButtonsTransparent);
  explicit TvlOpenPictureDlgForm(TComponent* AOwner) : TvlOpenDlgForm(AOwner) {}

  // The selected file's name goes to the edit and its picture to the preview; a folder or no
  // selection clears the edit and shrinks an unstretched preview to nothing.
  void FLVChange(TObject* Sender, TListItem* Item, TItemChange Change) override;
  // Down: the picture fills the scroll box; up: the picture at its own size.
  void StretchButtonClick(TObject* Sender);
  // Loads FileName into the preview (the empty preview when it cannot) and, unless stretched,
  // sizes the image to the picture and updates the scroll ranges. True when a picture loaded.
  bool ShowPicture(const std::string& FileName);
  [[nodiscard]] bool Stretched() const;

  TvlSkinPanel* ImagePanel = nullptr;
  TImage* Image = nullptr;
  TvlSkinScrollBox* ScrollBox = nullptr;
  TvlSkinScrollBar* SBVScrollBar = nullptr;
  TvlSkinScrollBar* SBHScrollBar = nullptr;
  TvlSkinSpeedButton* StretchButton = nullptr;
  TvlSkinSplitter* Splitter = nullptr;

 private:
  void FitImageToPicture();
};

class TvlSkinOpenPictureDialog : public TvlSkinOpenDialog {
 public:
  explicit TvlSkinOpenPictureDialog(TComponent* AOwner);

  // The preview always opens stretched.
  bool StretchPicture = false;
  // Width of the preview pane when the dialog opens; updated after every run.
  int ImagePanelWidth = 190;
  // The stretch state of the last run.
  bool DialogStretch = false;

  [[nodiscard]] TvlOpenPictureDlgForm* PictureDialogForm() const {
    return dynamic_cast<TvlOpenPictureDlgForm*>(DialogForm());
  }

 protected:
  TvlOpenDlgForm* CreateDialogForm() override;
  void BeforeShow(TvlOpenDlgForm* Form) override;
  void AfterRun(TvlOpenDlgForm* Form) override;
};

class TvlSkinSavePictureDialog : public TvlSkinOpenPictureDialog {
 public:
  explicit TvlSkinSavePictureDialog(TComponent* AOwner);
};
