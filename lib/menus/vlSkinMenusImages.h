#pragma once
// The images menu: a drop-down picker showing the images of an image list as a grid, with
// optional full-width button rows and header rows, remembering the chosen entry (ItemIndex).
//
//   +--------------------------+
//   | [img][img][img][img]     |  cells of image size + 10, columns touching,
//   | [img][img][img][img]     |  rows 1 pixel apart
//   | header caption           |  full width, cannot be chosen
//   | [img] button caption     |  full width
//   +--------------------------+
//
// The popup is a non-activating top-most tool window holding the mouse capture and the
// application's message hook while it is open, painted from the skin's popup-window
// description (its picture and mask), its "label" control (headers) and its "menuitembutton"
// (else "resizebutton") control (entry frames), or in a built-in look. A picture index outside
// the skin's list means no picture (the built-in look for that part).
//
// Closing frees the popup after the handling that closed it has returned: its own handlers
// keep it alive while they run, so a click or key that closes the menu (and events that free
// the menu itself) never free the window under its own feet. GUI thread only.

#include <functional>
#include <memory>
#include <string>

#include "platform/core/Collection.h"
#include "platform/controls/Component.h"
#include "platform/controls/Controls.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TFont;
class TvlSkinData;
class TvlSkinImagesMenu;

class TvlImagesMenuItem : public TCollectionItem {
 public:
  explicit TvlImagesMenuItem(TCollection* Collection) : TCollectionItem(Collection) {}
  // Copies ImageIndex, Caption, Button and Hint (not Header, not the event).
  void Assign(TPersistent* Source) override;

  int ImageIndex = -1;
  std::string Caption;
  TNotifyEvent OnClick;
  bool Button = false;  // a full-width row with image and caption
  bool Header = false;  // a full-width caption row that cannot be chosen
  std::string Hint;
  TRect ItemRect{};     // in the popup, set by the layout
};

class TvlImagesMenuItems : public TCollection {
 public:
  explicit TvlImagesMenuItems(TvlSkinImagesMenu* AImagesMenu);
  [[nodiscard]] TvlImagesMenuItem* Item(int Index) const { return static_cast<TvlImagesMenuItem*>(Items(Index)); }
  TvlImagesMenuItem* AddItem() { return static_cast<TvlImagesMenuItem*>(Add()); }
  TvlSkinImagesMenu* ImagesMenu;

 protected:
  [[nodiscard]] TPersistent* GetOwner() const override;
};

class TvlSkinImagesMenuPopupWindow : public TCustomControl {
 public:
  explicit TvlSkinImagesMenuPopupWindow(TvlSkinImagesMenu* AImagesMenu);
  ~TvlSkinImagesMenuPopupWindow() override;

  // Sizes, places below (or above) PopupRect inside the work area and shows the window.
  void Show(const TRect& PopupRect);
  // Hides the window, gives the hook and the capture back and tells the menu.
  void Hide(bool AProcessEvents);
  // Entry under the mouse or marked by the keyboard, -1 none.
  [[nodiscard]] int MouseInItem() const { return FMouseInItem; }
  [[nodiscard]] bool SkinSupport() const { return FSkinSupport; }
  void KeyDown(WORD Key);

  std::weak_ptr<TvlSkinImagesMenuPopupWindow> FSelf;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  void CalcItemRects();
  void CalcWindowSize();
  [[nodiscard]] int ItemAt(int X, int Y) const;
  void DrawItems(TCanvas* C, int Hot, int Sel);
  void DrawItemFrame(TCanvas* C, const TRect& R, bool Pressed);
  void DrawItemCaption(TCanvas* C, const std::string& Text, TRect R, bool Pressed, bool Hovered);
  void DrawHeader(TCanvas* C, const TRect& R, const std::string& Text);
  void AppMessage(MSG& Msg, bool& Handled);
  void SetMarked(int Index);
  friend class TvlSkinImagesMenu;

  TvlSkinImagesMenu* ImagesMenu;
  bool FSkinSupport = false;
  bool FHooked = false;
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewItemsRect{};
  TBitmap* WindowPicture = nullptr;
  TBitmap* MaskPicture = nullptr;
  int FMouseInItem = -1;
  int OldMouseInItem = -1;
  bool FDown = false;
  bool FItemDown = false;
};

class TvlSkinImagesMenu : public TComponent {
 public:
  explicit TvlSkinImagesMenu(TComponent* AOwner);
  ~TvlSkinImagesMenu() override;

  void Popup(int X, int Y);
  void PopupFromRect(const TRect& R);
  // Closes an open popup without choosing.
  void Hide();
  // The entry at ItemIndex, nullptr when there is none.
  [[nodiscard]] TvlImagesMenuItem* SelectedItem() const;
  // The open popup, nullptr while closed.
  [[nodiscard]] TvlSkinImagesMenuPopupWindow* PopupWindow() const { return FPopupWindow.get(); }

  [[nodiscard]] TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  [[nodiscard]] TvlImagesMenuItems* ImagesItems() const { return FImagesItems.get(); }
  void SetImagesItems(TvlImagesMenuItems* Value);
  int ItemIndex = -1;
  [[nodiscard]] int ColumnsCount() const { return FColumnsCount; }
  // Values outside 1 .. 50 are ignored.
  void SetColumnsCount(int Value);
  [[nodiscard]] TvlSkinData* SkinData() const { return FSkinData; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);

  bool ShowSelectedItem = true;
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  int AlphaBlendValue = 200;
  bool UseSkinFont = true;

  TNotifyEvent OnItemClick, OnChange, OnMenuClose, OnMenuPopup;
  // Set by an attached button: refresh after the choice changed / after the menu closed.
  TNotifyEvent OnInternalChange, OnInternalMenuClose;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TvlSkinImagesMenuPopupWindow;
  void PopupWindowClosed(bool ProcessEvents);

  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TvlImagesMenuItems> FImagesItems;
  int FColumnsCount = 1;
  TvlSkinData* FSkinData = nullptr;
  std::shared_ptr<TvlSkinImagesMenuPopupWindow> FPopupWindow;
  int FOldItemIndex = -1;
  std::unique_ptr<TFont> FDefaultFont;
};
