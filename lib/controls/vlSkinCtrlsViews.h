#pragma once
// The platform tree view and list view with a skinned appearance: font and colours from a
// "treeview" or "listview" element, no window frame and no system scroll bars, and up to two
// external skinned scroll bars (TvlSkinScrollBar) placed beside the view that follow its scroll
// state and scroll it. The list view also paints its column header ("SysHeader32") from a button
// element ("resizetoolbutton").
//
// A synchronisation reads the view's own scroll state after every change that can move it
// (skin, items, size, paint, keys, clicks) and hands it to the bars; a bar shows only while
// there is something to scroll. Positions are whole integers throughout. GUI thread only.

#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "lib/controls/vlSkinCtrlsScrollBar.h"
#include "lib/data/vlSkinData.h"
#include "platform/controls/ListView.h"
#include "platform/controls/TreeView.h"

// WM_vlPaintFrameToDC (lib/data/vlSkinData.h) is answered vlPaintFrameToDCAnswer by the views, which
// have no frame to draw.
// A list view paints its column header into the device context in wParam.
constexpr UINT WM_vlPaintHeaderToDC = 0xB1C8;

// What the skinned tree and list views share, whatever platform view they are: the link to the
// skin and to the external bars. Base is TCustomTreeView or TCustomListView.
template <class Base>
class TvlSkinView : public Base, public TvlSkinClient {
 public:
  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  // A container with a skin applies it at once.
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
  // Font and colour without an element.
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  [[nodiscard]] TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value);
  bool UseSkinFont = true;
  // The bar is enabled, hidden and made to scroll the view; then the bars follow the view.
  [[nodiscard]] TvlSkinScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TvlSkinScrollBar* Value);
  [[nodiscard]] TvlSkinScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TvlSkinScrollBar* Value);
  [[nodiscard]] int SkinIndex() const { return FIndex; }
  // Hands the view's scroll state to the bars.
  virtual void SyncScrollBars() = 0;

 protected:
  TvlSkinView(TComponent* AOwner, std::string Name);
  ~TvlSkinView() override;

  // Scrolls the view to Bar's position (Kind SB_VERT or SB_HORZ).
  virtual void BarScrolled(TvlSkinScrollBar* Bar, int Kind) = 0;
  // The view's font and colour from the element (an element of another kind changes neither).
  void ApplySkin();
  // Bar visibility as the view wants it, with the re-entry guard set; true when it changed.
  bool ShowBar(TvlSkinScrollBar* Bar, bool Visible);
  // After a synchronisation: the horizontal bar takes the "both" look while the vertical one
  // shows, and an aligned view's parent lays out again when a bar came or went.
  void AfterSync(bool Changed);
  // Re-applies the bars' alignment so their parent lays them out.
  void RealignBars();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void CMVisibleChanged(TMessage& Message) override;
  // The answers of a view without a frame or system scroll bars; false for other messages.
  static bool FramelessMessage(TMessage& Message);

  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName;
  int FIndex = -1;
  std::unique_ptr<TFont> FDefaultFont;
  TColor FDefaultColor = clWindow;
  TvlSkinScrollBar* FVScrollBar = nullptr;
  TvlSkinScrollBar* FHScrollBar = nullptr;
  // A synchronisation (or a layout it caused) is under way.
  bool FInCheckScrollBars = false;

 private:
  void AttachBar(TvlSkinScrollBar*& Field, TvlSkinScrollBar* Value, int Kind);
};

// ---- Tree view ----------------------------------------------------------------------------------

class TvlSkinCustomTreeView : public TvlSkinView<TCustomTreeView> {
 public:
  explicit TvlSkinCustomTreeView(TComponent* AOwner);

  // Looks the element up and takes its font and colours, then lets the bars follow.
  void ChangeSkinData() override;
  void SyncScrollBars() override;

 protected:
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  void Change(TTreeNode* Node) override;
  void BarScrolled(TvlSkinScrollBar* Bar, int Kind) override;
};

// ---- List view ----------------------------------------------------------------------------------

// Draws a header section's content on Cnvs within R (section coordinates).
using TvlDrawHeaderSectionEvent = std::function<void(TCanvas* Cnvs, TListColumn* Column, bool Pressed, TRect R)>;

class TvlSkinCustomListView : public TvlSkinView<TCustomListView> {
 public:
  explicit TvlSkinCustomListView(TComponent* AOwner);
  ~TvlSkinCustomListView() override;

  // The button element the column header is drawn from.
  [[nodiscard]] const std::string& HeaderSkinDataName() const { return FHeaderSkinDataName; }
  void SetHeaderSkinDataName(const std::string& Value) { FHeaderSkinDataName = Value; }
  TvlDrawHeaderSectionEvent OnDrawHeaderSection;

  void ChangeSkinData() override;
  void SyncScrollBars() override;
  // The subclassed header window (nullptr without one).
  [[nodiscard]] HWND AttachedHeader() const { return FHeaderHandle; }
  // The section pressed by the left button, -1 for none.
  [[nodiscard]] int ActiveSection() const { return FHeaderDown ? FActiveSection : -1; }
  // The header painted into DC (its own coordinates).
  void PaintHeader(HDC DC);

 protected:
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  void Change(TListItem* Item, TItemChange Change) override;
  void BarScrolled(TvlSkinScrollBar* Bar, int Kind) override;
  // With a skin: its highlight colours while focused; without the focus, its highlight faded
  // into the view's colour under the view's text colour. Without one, the base's.
  [[nodiscard]] TListSelectionLook SelectionLook(bool HasFocus) const override;

 private:
  static LRESULT HeaderProcedure(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT HeaderMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  void AttachHeader(HWND Header);
  void DetachHeader();
  [[nodiscard]] int ItemHeight() const;
  // The header element (a button element), looked up again for every drawing.
  void GetHeaderSkin();
  [[nodiscard]] TRect SectionRect(int Index) const;
  void DrawSection(HDC DC, int Index, const TRect& R, bool Pressed);
  void DrawHeaderFace(TBitmap* B, bool Pressed, bool OpenRight);

  std::string FHeaderSkinDataName = "resizetoolbutton";
  bool FDevDown = false;
  bool FromSB = false;
  int FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
  HWND FHeaderHandle = nullptr;
  WNDPROC FDefHeaderProc = nullptr;
  int FActiveSection = -1;
  bool FHeaderDown = false;
  // The header element.
  int FHIndex = -1;
  TPoint HLTPt{}, HRTPt{}, HLBPt{}, HRBPt{};
  TRect HSkinRect{}, HClRect{}, HActiveSkinRect{}, HDownSkinRect{};
  TBitmap* HPicture = nullptr;
  TColor HFontColor = 0, HDownFontColor = 0;
  bool HStretchEffect = false;
  TvlStretchSides HSides{};
  TvlStretchType HStretchType = TvlStretchType::vlstFull;
};

class TvlSkinListView : public TvlSkinCustomListView {
 public:
  using TvlSkinCustomListView::TvlSkinCustomListView;
};
