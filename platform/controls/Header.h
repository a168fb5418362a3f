#pragma once
// The column header of a list view: a child window of class "SysHeader32" with a row of
// sections. It answers the header queries (count, section rectangle, order, hit test) so a
// subclasser can read and paint it, lets the user drag a divider to resize a section and shows
// a pressed section while the left button is held on it.
//
// A THeaderWindow owns its window: the window dies with the object (or earlier with its parent,
// after which the object only forgets the handle). GUI thread only.

#include <functional>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/core/Types.h"

constexpr UINT HDM_FIRST = 0x1200;
constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0;
constexpr UINT HDM_HITTEST = HDM_FIRST + 6;       // lParam: HDHITTESTINFO*; answers the item or -1
constexpr UINT HDM_GETITEMRECT = HDM_FIRST + 7;   // wParam: item, lParam: TRect*; answers TRUE/FALSE
constexpr UINT HDM_GETORDERARRAY = HDM_FIRST + 17;  // wParam: count, lParam: int[count]

constexpr UINT HHT_NOWHERE = 0x0001;
constexpr UINT HHT_ONHEADER = 0x0002;
constexpr UINT HHT_ONDIVIDER = 0x0004;
constexpr UINT HHT_ONDIVOPENED = 0x0008;  // on the divider of a section of width 0
constexpr UINT HHT_ABOVE = 0x0100;
constexpr UINT HHT_BELOW = 0x0200;
constexpr UINT HHT_TORIGHT = 0x0400;
constexpr UINT HHT_TOLEFT = 0x0800;

struct HDHITTESTINFO {
  TPoint pt;       // header client coordinates
  UINT flags = 0;  // HHT_*
  int iItem = -1;
};

// The class name of header windows.
inline constexpr const char* kHeaderClassName = "SysHeader32";

struct THeaderSection {
  std::string Caption;
  int Width = 0;     // pixels; 0 hides the section
  int MaxWidth = 0;  // 0: no limit while dragging
  TAlignment Alignment = TAlignment::taLeftJustify;
};

class THeaderWindow {
 public:
  // Creates the header as a visible child of Parent and announces it to Parent with
  // WM_PARENTNOTIFY (WM_CREATE, the header's handle), as a child window's creation does.
  explicit THeaderWindow(HWND Parent);
  ~THeaderWindow();
  THeaderWindow(const THeaderWindow&) = delete;
  THeaderWindow& operator=(const THeaderWindow&) = delete;

  // nullptr once the window was destroyed (e.g. with its parent).
  [[nodiscard]] HWND Handle() const { return handle_; }
  [[nodiscard]] const std::vector<THeaderSection>& Sections() const { return sections_; }
  void SetSections(std::vector<THeaderSection> Sections);
  // The section held down by the left button, -1 for none.
  [[nodiscard]] int PressedSection() const { return pressed_; }
  // The divider being dragged, -1 for none.
  [[nodiscard]] int TrackingSection() const { return tracking_; }
  // Section rectangle in header client coordinates (0 wide for a hidden section).
  [[nodiscard]] TRect SectionRect(int Index) const;
  [[nodiscard]] HDHITTESTINFO HitTest(TPoint Pos) const;
  // The font sections are drawn in (copied).
  void SetFont(TFont* Font);

  // A divider drag changed a section's width (called on every move).
  std::function<void(int Index, int NewWidth)> OnSectionResize;
  // The left button went down and up on the same section.
  std::function<void(int Index)> OnSectionClick;

 private:
  static LRESULT WindowProcedure(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT Msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC DC);
  void MouseDown(TPoint Pos);
  void MouseMove(TPoint Pos);
  void MouseUp(TPoint Pos);

  HWND handle_ = nullptr;
  std::vector<THeaderSection> sections_;
  TFont font_;
  int pressed_ = -1;
  bool press_inside_ = false;
  int tracking_ = -1;
  int track_start_x_ = 0;
  int track_start_width_ = 0;
};
