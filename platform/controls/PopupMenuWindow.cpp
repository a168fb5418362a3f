// The plain popup menu: one top-most tool window per open level, in the classic system-colour
// look, tracked by a loop of its own until a command is chosen or the menu is cancelled.
//
//   +----------------------------------+   3-pixel raised frame
//   |               ^                  |   scroll strip (only on a level taller than the work area)
//   | [glyph] Caption      Ctrl+S    > |   row: glyph column, caption, shortcut, submenu arrow
//   |----------------------------------|   separator row
//   |               v                  |   scroll strip
//   +----------------------------------+
//
// A level taller than the work area is cut to the work area's height and scrolls by whole rows:
// while the mouse rests on a scroll strip, with the wheel, and whenever the keyboard moves the
// highlight out of view.
//
// The root level holds the mouse capture, so every mouse message of the session reaches the
// loop, which hit-tests the levels in screen coordinates. Keys are taken out of the queue
// before they reach the focus window. Nothing of a level is freed while one of its handlers
// runs: levels close by being marked, and the loop frees them between messages.

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/windowing/Input.h"
#include "platform/controls/Menus.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/windowing/Messages.h"
#include "platform/windowing/Painting.h"
#include "platform/windowing/Screen.h"
#include "platform/windowing/Window.h"
#include "platform/windowing/WindowTree.h"

namespace detail {
namespace {

constexpr const char* kPopupClass = "TPlainPopupMenuWindow";
constexpr int kFrame = 3;            // raised edge around a level
constexpr int kSeparatorHeight = 9;  // a separator row
constexpr int kArrowColumn = 16;     // room for the submenu arrow
constexpr int kShortCutGap = 24;     // between the widest caption and the widest shortcut
constexpr int kScrollStrip = 12;     // height of a scroll strip
constexpr UINT_PTR kSubmenuTimer = 1;
constexpr UINT kSubmenuDelay = 400;  // ms of hovering before a submenu opens by itself
constexpr UINT_PTR kScrollTimer = 2;
constexpr UINT kScrollInterval = 60;  // ms per row while the mouse rests on a scroll strip
constexpr int kWheelRows = 3;         // rows per wheel notch

class TTracker;

struct TRow {
  TWeak<TMenuItem> item;
  TRect rect;  // client coordinates of the unscrolled level
  bool line = false;
};

// One open level: the visible children of one item.
class TPopupLevel {
 public:
  TPopupLevel(TTracker& Tracker, TMenuItem* Parent, TCustomImageList* Images);
  ~TPopupLevel();
  TPopupLevel(const TPopupLevel&) = delete;
  TPopupLevel& operator=(const TPopupLevel&) = delete;

  [[nodiscard]] HWND Handle() const { return hwnd_; }
  [[nodiscard]] bool Empty() const { return rows_.empty(); }
  // The item whose children the level shows (nullptr once freed).
  [[nodiscard]] TMenuItem* ParentItem() const { return parent_.Get(); }
  // Places the level at a point (root) or beside a row of the previous level, and shows it.
  void ShowAt(TPoint Pos, TPopupAlignment Alignment);
  void ShowBeside(const TRect& ItemOnScreen);

  // The row under a screen point, -1 for none (separators included).
  [[nodiscard]] int RowAt(TPoint Screen) const;
  [[nodiscard]] bool Contains(TPoint Screen) const;
  [[nodiscard]] int Active() const { return active_; }
  void SetActive(int Row);
  [[nodiscard]] TMenuItem* ItemAt(int Row) const { return Row >= 0 && Row < Count() ? rows_[Row].item.Get() : nullptr; }
  [[nodiscard]] int Count() const { return static_cast<int>(rows_.size()); }
  [[nodiscard]] bool Selectable(int Row) const;
  // The part of the row that is shown, on screen; empty when it is scrolled out of view.
  [[nodiscard]] TRect RowOnScreen(int Row) const;
  // Next/previous selectable row after From in the given direction, wrapping; -1 for none.
  [[nodiscard]] int Step(int From, int Direction) const;
  // The rows whose caption has Key as accelerator.
  [[nodiscard]] std::vector<int> RowsWithAccel(WORD Key) const;
  [[nodiscard]] TCustomImageList* Images() const { return images_.Get(); }
  int openedRow = -1;  // the row whose submenu is the next level, -1 none

  // Scrolling (only a level taller than its work area scrolls).
  [[nodiscard]] bool Scrolls() const { return scrolls_; }
  [[nodiscard]] int TopRow() const { return top_; }
  // -1 for the upper scroll strip under the screen point, +1 for the lower, 0 for neither.
  [[nodiscard]] int StripAt(TPoint Screen) const;
  // Moves the first shown row by Rows (negative: up), within the rows; true when it moved.
  bool ScrollBy(int Rows);
  // Scrolls as little as needed to show the whole row.
  void ScrollIntoView(int Row);
  // The strip the mouse rests on (0 none); a resting mouse scrolls on kScrollTimer.
  [[nodiscard]] int HoveredStrip() const { return hoveredStrip_; }
  void SetHoveredStrip(int Strip);

  static LRESULT WindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

 private:
  void Measure();
  // Cuts the level to the work area's height (it scrolls then) and returns the window height.
  int FitHeight(const TRect& WorkArea);
  void Place(TPoint TopLeft);
  // Where rows show in the client area: between the scroll strips of a scrolling level.
  [[nodiscard]] TRect View() const;
  // The row's rectangle in client coordinates as scrolled now (it may lie outside View()).
  [[nodiscard]] TRect RowRect(int Row) const;
  void Paint(HDC DC);
  void PaintRow(TCanvas& Canvas, int Row);
  void PaintStrip(TCanvas& Canvas, int Strip);
  void InvalidateRow(int Row);

  TTracker& tracker_;
  TWeak<TMenuItem> parent_;
  TWeak<TCustomImageList> images_;
  HWND hwnd_ = nullptr;
  std::vector<TRow> rows_;
  int active_ = -1;
  int width_ = 0, height_ = 0;  // height_: all rows, unscrolled
  int windowHeight_ = 0;        // height_, or less for a scrolling level
  bool scrolls_ = false;
  int top_ = 0;                 // first row shown
  int maxTop_ = 0;              // top_ that shows the last row at the bottom
  int hoveredStrip_ = 0;
  int glyphWidth_ = 16, textLeft_ = 0, shortCutLeft_ = 0;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TFont> boldFont_;  // the default item's
};

// The state of one tracking session (one Popup call).
class TTracker {
 public:
  TTracker(TMenuItem* Root, TCustomImageList* Images, const TPlainPopupOptions& Options)
      : root_(Root), images_(Images), options_(Options) {}

  TMenuItem* Run(TPoint Pos, TPopupAlignment Alignment);
  void Cancel() { done_ = true; }
  void SubmenuTimer(HWND Level);
  void ScrollTimer(HWND Level);
  [[nodiscard]] std::vector<HWND> Windows() const;
  [[nodiscard]] TRect ItemRect(const TMenuItem* Item) const;

 private:
  bool Filter(MSG& Msg);  // true when the message belonged to the menu
  void MouseMove(TPoint Screen);
  void MouseDown(TPoint Screen);
  void MouseUp(TPoint Screen);
  void Wheel(TPoint Screen, int Delta);
  void KeyDown(WORD Key);
  void Char(char32_t Ch);
  // Highlights a row of level L (-1: none) and tells the owner window and the application of a
  // newly highlighted item. The keyboard scrolls the row into view; the mouse only reaches
  // rows in view.
  void Select(std::size_t L, int Row, bool ByMouse);
  // The owner's messages at the start and end of the session.
  void NotifyEnter();
  void NotifyExit();
  void Notify(UINT Msg, WPARAM wParam, LPARAM lParam);
  // Opens the submenu of the row of level L (closing deeper levels); SelectFirst highlights
  // its first selectable row (keyboard).
  void OpenSubmenu(std::size_t L, int Row, bool SelectFirst);
  void CloseAfter(std::size_t L);
  void Choose(TMenuItem* Item);
  [[nodiscard]] int LevelAt(TPoint Screen) const;
  [[nodiscard]] int LevelOf(HWND Handle) const;
  void FreeClosed();
  // Shows the root level and runs the loop; CaptureOwner is the window given the capture.
  void Track(TPoint Pos, TPopupAlignment Alignment, HWND& CaptureOwner);

  TWeak<TMenuItem> root_;
  TWeak<TCustomImageList> images_;  // may be freed by a handler while the menu is open
  const TPlainPopupOptions& options_;
  std::vector<std::unique_ptr<TPopupLevel>> levels_;
  std::vector<std::unique_ptr<TPopupLevel>> closed_;  // freed between messages
  TWeak<TMenuItem> chosen_;
  bool done_ = false;
  bool buttonDownInMenu_ = false;
  bool entered_ = false;  // the owner heard WM_ENTERMENULOOP and is owed WM_EXITMENULOOP
};

thread_local TTracker* activeTracker = nullptr;

TRect WorkAreaAt(TPoint P) {
  MONITORINFO info;
  if (GetMonitorInfo(MonitorFromPoint(P, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  TRect r;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

// Menu text goes straight to the context with the font selected for the call: the canvas
// selects its own font only for its own drawing calls.
int MenuText(HDC DC, TFont* Font, TColor Color, const std::string& Text, TRect R, UINT Format) {
  HGDIOBJ oldFont = SelectObject(DC, Font->Handle());
  SetTextColor(DC, ColorToRGB(Color));
  int oldMode = SetBkMode(DC, TRANSPARENT);
  DrawText(DC, Text, &R, Format);
  SetBkMode(DC, oldMode);
  SelectObject(DC, oldFont);
  return (Format & DT_CALCRECT) ? R.Width() : 0;
}

bool RegisterPopupClass() {
  static const bool registered = [] {
    WNDCLASS cls;
    cls.style = CS_SAVEBITS | CS_DROPSHADOW;
    cls.lpfnWndProc = TPopupLevel::WindowProc;
    cls.lpszClassName = kPopupClass;
    return RegisterClass(&cls) != 0;
  }();
  return registered;
}

// ---- TPopupLevel ----

TPopupLevel::TPopupLevel(TTracker& Tracker, TMenuItem* Parent, TCustomImageList* Images)
    : tracker_(Tracker), parent_(Parent), images_(Images), font_(std::make_unique<TFont>()) {
  RegisterPopupClass();
  font_->SetName("Tahoma");
  font_->SetHeight(-12);
  font_->SetColor(clMenuText);
  boldFont_ = std::make_unique<TFont>();
  boldFont_->Assign(font_.get());
  boldFont_->SetStyle({TFontStyle::fsBold});
  // Separators that would show doubled, first or last are hidden, level by level.
  if (TMenu* menu = Parent->GetParentMenu(); menu && menu->AutoLineReduction() == TMenuAutoFlag::maAutomatic) {
    Parent->RethinkLines();
  }
  for (int i = 0; i < Parent->Count(); ++i) {
    TMenuItem* child = Parent->Items(i);
    if (TBasicAction* a = child->Action()) a->Update();
    if (!child->Visible()) continue;
    rows_.push_back({TWeak<TMenuItem>(child), {}, child->IsLine()});
  }
  hwnd_ = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         nullptr, nullptr);
  if (hwnd_) SetWindowLongPtr(hwnd_, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Measure();
}

TPopupLevel::~TPopupLevel() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtr(hwnd_, GWL_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TPopupLevel::Measure() {
  HDC dc = hwnd_ ? GetDC(hwnd_) : nullptr;
  int textHeight = 14;
  if (dc) {
    TRect r{0, 0, 0, 0};
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    DrawText(dc, "Wg", &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    textHeight = r.Height();
  }
  if (TCustomImageList* images = Images()) glyphWidth_ = std::max(16, images->Width());
  int rowHeight = std::max(textHeight + 6, 18);
  if (TCustomImageList* images = Images()) rowHeight = std::max(rowHeight, images->Height() + 4);
  int captionWidth = 0, shortCutWidth = 0;
  for (const TRow& row : rows_) {
    TMenuItem* item = row.item.Get();
    if (row.line || !item || !dc) continue;
    TFont* font = item->Default() ? boldFont_.get() : font_.get();
    constexpr UINT kMeasure = DT_CALCRECT | DT_SINGLELINE;
    captionWidth = std::max(captionWidth, MenuText(dc, font, clMenuText, item->Caption(), {}, kMeasure));
    std::string sc = ShortCutToText(item->ShortCut());
    if (!sc.empty()) shortCutWidth = std::max(shortCutWidth, MenuText(dc, font, clMenuText, sc, {}, kMeasure | DT_NOPREFIX));
  }
  if (dc) ReleaseDC(hwnd_, dc);
  textLeft_ = kFrame + glyphWidth_ + 8;
  shortCutLeft_ = textLeft_ + captionWidth + (shortCutWidth ? kShortCutGap : 0);
  width_ = shortCutLeft_ + shortCutWidth + kArrowColumn + kFrame;
  int y = kFrame;
  for (TRow& row : rows_) {
    int h = row.line ? kSeparatorHeight : rowHeight;
    row.rect = {kFrame, y, width_ - kFrame, y + h};
    y += h;
  }
  height_ = y + kFrame;
  windowHeight_ = height_;
}

int TPopupLevel::FitHeight(const TRect& WorkArea) {
  scrolls_ = height_ > WorkArea.Height() && !rows_.empty();
  top_ = 0;
  maxTop_ = 0;
  if (!scrolls_) {
    windowHeight_ = height_;
    return windowHeight_;
  }
  windowHeight_ = WorkArea.Height();
  // The highest first row that still shows every row after it; at least the last row is
  // reachable however low the work area.
  const int view = View().Height();
  int fitted = 0;
  int t = Count();
  while (t > 0 && fitted + rows_[t - 1].rect.Height() <= view) fitted += rows_[--t].rect.Height();
  maxTop_ = std::min(t, Count() - 1);
  return windowHeight_;
}

void TPopupLevel::Place(TPoint TopLeft) {
  if (!hwnd_) return;
  SetWindowPos(hwnd_, HWND_TOPMOST, TopLeft.X, TopLeft.Y, width_, windowHeight_, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TPopupLevel::ShowAt(TPoint Pos, TPopupAlignment Alignment) {
  TRect wa = WorkAreaAt(Pos);
  const int height = FitHeight(wa);
  int x = Pos.X;
  if (Alignment == TPopupAlignment::paRight) x -= width_;
  if (Alignment == TPopupAlignment::paCenter) x -= width_ / 2;
  int y = Pos.Y;
  if (y + height > wa.Bottom) y = Pos.Y - height;  // opens upwards from the point
  x = std::max(wa.Left, std::min(x, wa.Right - width_));
  y = std::max(wa.Top, std::min(y, wa.Bottom - height));
  Place({x, y});
}

void TPopupLevel::ShowBeside(const TRect& ItemOnScreen) {
  TRect wa = WorkAreaAt({ItemOnScreen.Left, ItemOnScreen.Top});
  const int height = FitHeight(wa);
  // The first row lines up with the parent row; the level overlaps the parent's frame.
  int x = ItemOnScreen.Right + kFrame;
  if (x + width_ > wa.Right) x = ItemOnScreen.Left - kFrame - width_;
  int y = ItemOnScreen.Top - kFrame;
  if (y + height > wa.Bottom) y = wa.Bottom - height;
  x = std::max(wa.Left, x);
  y = std::max(wa.Top, y);
  Place({x, y});
}

TRect TPopupLevel::View() const {
  if (!scrolls_) return {kFrame, kFrame, width_ - kFrame, windowHeight_ - kFrame};
  return {kFrame, kFrame + kScrollStrip, width_ - kFrame, std::max(kFrame + kScrollStrip, windowHeight_ - kFrame - kScrollStrip)};
}

TRect TPopupLevel::RowRect(int Row) const {
  TRect r = rows_[static_cast<std::size_t>(Row)].rect;
  if (!scrolls_) return r;
  const int shift = View().Top - rows_[static_cast<std::size_t>(top_)].rect.Top;
  return {r.Left, r.Top + shift, r.Right, r.Bottom + shift};
}

bool TPopupLevel::Contains(TPoint Screen) const {
  TRect r;
  return hwnd_ && GetWindowRect(hwnd_, &r) && r.Contains(Screen);
}

int TPopupLevel::RowAt(TPoint Screen) const {
  if (!Contains(Screen)) return -1;
  TPoint p = Screen;
  ScreenToClient(hwnd_, &p);
  if (!View().Contains(p)) return -1;  // on a scroll strip or the frame
  for (int i = top_; i < Count(); ++i) {
    if (RowRect(i).Contains(p)) return i;
  }
  return -1;
}

int TPopupLevel::StripAt(TPoint Screen) const {
  if (!scrolls_ || !Contains(Screen)) return 0;
  TPoint p = Screen;
  ScreenToClient(hwnd_, &p);
  const TRect view = View();
  if (p.X < view.Left || p.X >= view.Right) return 0;
  if (p.Y < view.Top) return -1;
  if (p.Y >= view.Bottom) return +1;
  return 0;
}

bool TPopupLevel::ScrollBy(int Rows) {
  if (!scrolls_) return false;
  const int top = std::clamp(top_ + Rows, 0, maxTop_);
  if (top == top_) return false;
  top_ = top;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

void TPopupLevel::ScrollIntoView(int Row) {
  if (!scrolls_ || Row < 0 || Row >= Count()) return;
  if (Row < top_) {
    ScrollBy(Row - top_);
    return;
  }
  const int bottom = View().Bottom;
  int top = top_;
  // Rows between the first shown one and Row, plus Row itself, must fit above the lower strip.
  while (top < Row && top < maxTop_ &&
         rows_[static_cast<std::size_t>(Row)].rect.Bottom - rows_[static_cast<std::size_t>(top)].rect.Top >
             bottom - View().Top) {
    ++top;
  }
  ScrollBy(top - top_);
}

void TPopupLevel::SetHoveredStrip(int Strip) {
  if (Strip == hoveredStrip_) return;
  hoveredStrip_ = Strip;
  if (!hwnd_) return;
  if (Strip != 0) {
    SetTimer(hwnd_, kScrollTimer, kScrollInterval, nullptr);
  } else {
    KillTimer(hwnd_, kScrollTimer);
  }
}

bool TPopupLevel::Selectable(int Row) const {
  // Disabled rows can be highlighted (the user sees where the keyboard is) but never run.
  return Row >= 0 && Row < Count() && !rows_[Row].line && rows_[Row].item;
}

TRect TPopupLevel::RowOnScreen(int Row) const {
  TRect r = RowRect(Row);
  const TRect view = View();
  r = {r.Left, std::max(r.Top, view.Top), r.Right, std::min(r.Bottom, view.Bottom)};
  if (r.IsEmpty()) return {};
  TPoint tl{r.Left, r.Top}, br{r.Right, r.Bottom};
  ClientToScreen(hwnd_, &tl);
  ClientToScreen(hwnd_, &br);
  return {tl.X, tl.Y, br.X, br.Y};
}

int TPopupLevel::Step(int From, int Direction) const {
  int n = Count();
  int start = From >= 0 ? From : (Direction > 0 ? -1 : n);
  for (int k = 1; k <= n; ++k) {
    int i = ((start + Direction * k) % n + n) % n;
    if (Selectable(i)) return i;
  }
  return -1;
}

std::vector<int> TPopupLevel::RowsWithAccel(WORD Key) const {
  std::vector<int> out;
  for (int i = 0; i < Count(); ++i) {
    if (TMenuItem* item = ItemAt(i); item && !rows_[i].line && IsAccel(Key, item->Caption())) out.push_back(i);
  }
  return out;
}

void TPopupLevel::SetActive(int Row) {
  if (Row == active_) return;
  InvalidateRow(active_);
  active_ = Row;
  InvalidateRow(active_);
}

void TPopupLevel::InvalidateRow(int Row) {
  if (Row < 0 || Row >= Count() || !hwnd_) return;
  TRect r = RowRect(Row);
  InvalidateRect(hwnd_, &r, FALSE);
}

void TPopupLevel::Paint(HDC DC) {
  TCanvas canvas;
  canvas.SetHandle(DC);
  TRect all{0, 0, width_, windowHeight_};
  canvas.Brush()->SetColor(clMenu);
  canvas.FillRect(all);
  TRect edge = all;
  DrawEdge(DC, &edge, EDGE_RAISED, BF_RECT);
  if (scrolls_) {
    PaintStrip(canvas, -1);
    PaintStrip(canvas, +1);
  }
  // Rows are clipped to the view; the canvas lets go of the context around the clip so the
  // restored state and the canvas agree on what is selected.
  canvas.SetHandle(nullptr);
  const TRect view = View();
  const int saved = SaveDC(DC);
  IntersectClipRect(DC, view.Left, view.Top, view.Right, view.Bottom);
  canvas.SetHandle(DC);
  for (int i = top_; i < Count() && RowRect(i).Top < view.Bottom; ++i) PaintRow(canvas, i);
  canvas.SetHandle(nullptr);
  RestoreDC(DC, saved);
}

void TPopupLevel::PaintStrip(TCanvas& Canvas, int Strip) {
  const TRect view = View();
  const int top = Strip < 0 ? kFrame : view.Bottom;
  const int cx = width_ / 2, cy = top + kScrollStrip / 2;
  // Greyed when the rows cannot move further that way.
  const bool live = Strip < 0 ? top_ > 0 : top_ < maxTop_;
  const TColor colour = live ? clMenuText : clGrayText;
  Canvas.Pen()->SetColor(colour);
  Canvas.Brush()->SetColor(colour);
  if (Strip < 0) {
    Canvas.Polygon({{cx - 4, cy + 2}, {cx, cy - 2}, {cx + 4, cy + 2}});
  } else {
    Canvas.Polygon({{cx - 4, cy - 2}, {cx, cy + 2}, {cx + 4, cy - 2}});
  }
}

void TPopupLevel::PaintRow(TCanvas& Canvas, int Row) {
  const TRow& row = rows_[Row];
  TMenuItem* item = row.item.Get();
  TRect r = RowRect(Row);
  if (row.line || !item) {
    int y = r.Top + r.Height() / 2 - 1;
    Canvas.Pen()->SetColor(clBtnShadow);
    Canvas.MoveTo(r.Left + 1, y);
    Canvas.LineTo(r.Right - 1, y);
    Canvas.Pen()->SetColor(clBtnHighlight);
    Canvas.MoveTo(r.Left + 1, y + 1);
    Canvas.LineTo(r.Right - 1, y + 1);
    return;
  }
  const bool selected = Row == active_;
  const bool enabled = item->Enabled();
  Canvas.Brush()->SetColor(selected ? clHighlight : clMenu);
  Canvas.FillRect(r);
  TColor text = !enabled ? clGrayText : selected ? clHighlightText : clMenuText;
  TFont* font = item->Default() ? boldFont_.get() : font_.get();
  TRect textRect{textLeft_, r.Top, r.Right - kArrowColumn, r.Bottom};
  if (item->OnDrawItem) {
    Canvas.SetFont(font);
    Canvas.Font()->SetColor(text);
    item->OnDrawItem(item, &Canvas, textRect, selected);
    return;
  }
  // Glyph column: the image (framed when ticked) or the check mark / radio dot.
  TRect glyph{r.Left + 2, r.Top, r.Left + 2 + glyphWidth_, r.Bottom};
  TCustomImageList* images = Images();
  bool hasImage = images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
  if (hasImage || item->HasBitmap()) {
    int w = hasImage ? images->Width() : item->Bitmap()->Width();
    int h = hasImage ? images->Height() : item->Bitmap()->Height();
    int x = glyph.Left + (glyph.Width() - w) / 2, y = glyph.Top + (glyph.Height() - h) / 2;
    if (hasImage) {
      images->Draw(&Canvas, x, y, item->ImageIndex(), enabled);
    } else {
      Canvas.Draw(x, y, item->Bitmap());
    }
    if (item->Checked()) {
      Canvas.Brush()->SetColor(text);
      Canvas.FrameRect({x - 1, y - 1, x + w + 1, y + h + 1});
    }
  } else if (item->Checked()) {
    int cx = glyph.Left + glyph.Width() / 2, cy = glyph.Top + glyph.Height() / 2;
    Canvas.Pen()->SetColor(text);
    Canvas.Brush()->SetColor(text);
    if (item->RadioItem()) {
      Canvas.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
    } else {
      for (int i = 0; i < 3; ++i) Canvas.Polyline({{cx - 4, cy - 1 + i}, {cx - 2, cy + 1 + i}, {cx + 3, cy - 4 + i}});
    }
  }
  HDC dc = Canvas.Handle();
  MenuText(dc, font, text, item->Caption(), textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  std::string sc = ShortCutToText(item->ShortCut());
  if (!sc.empty()) {
    MenuText(dc, font, text, sc, {shortCutLeft_, r.Top, r.Right - kArrowColumn, r.Bottom},
             DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  }
  if (item->Count() > 0) {
    int x = r.Right - kArrowColumn + 6, y = r.Top + r.Height() / 2;
    Canvas.Pen()->SetColor(text);
    Canvas.Brush()->SetColor(text);
    Canvas.Polygon({{x, y - 4}, {x + 4, y}, {x, y + 4}});
  }
}

LRESULT TPopupLevel::WindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TPopupLevel*>(GetWindowLongPtr(hWnd, GWL_USERDATA));
  switch (Msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(hWnd, &ps);
      if (self) self->Paint(dc);
      if (!wParam) EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (self && wParam == kSubmenuTimer) self->tracker_.SubmenuTimer(hWnd);
      if (self && wParam == kScrollTimer) self->tracker_.ScrollTimer(hWnd);
      return 0;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      // Someone else took the mouse: the menu ends.
      if (self) self->tracker_.Cancel();
      return 0;
    default:
      return DefWindowProc(hWnd, Msg, wParam, lParam);
  }
}

// ---- TTracker ----

WPARAM MenuSelectParam(WORD Item, WORD Flags) { return static_cast<WPARAM>(MAKELPARAM(Item, Flags)); }

TMenuItem* TTracker::Run(TPoint Pos, TPopupAlignment Alignment) {
  // Whatever way the loop ends (a handler may throw), the session is over afterwards: no level
  // left, the capture given back, the thread free to pop up another menu, the owner told.
  struct TSessionGuard {
    TTracker& tracker;
    TTracker* outer = activeTracker;
    HWND captureOwner = nullptr;
    bool ended = false;
    explicit TSessionGuard(TTracker& t) : tracker(t) { activeTracker = &t; }
    void End() {
      if (ended) return;
      ended = true;
      // Stop hearing WM_CAPTURECHANGED as a cancel before giving the capture back.
      for (auto& level : tracker.levels_) SetWindowLongPtr(level->Handle(), GWL_USERDATA, 0);
      for (auto& level : tracker.closed_) SetWindowLongPtr(level->Handle(), GWL_USERDATA, 0);
      if (captureOwner && GetCapture() == captureOwner) ReleaseCapture();
      tracker.levels_.clear();
      tracker.closed_.clear();
      activeTracker = outer;
    }
    ~TSessionGuard() {
      End();
      // Left by an exception: the owner still hears that the loop is over, but what its
      // handlers throw now cannot travel beside the exception already under way.
      try {
        tracker.NotifyExit();
      } catch (...) {
      }
    }
  } guard(*this);

  NotifyEnter();
  Track(Pos, Alignment, guard.captureOwner);
  guard.End();
  NotifyExit();
  return chosen_.Get();
}

void TTracker::Track(TPoint Pos, TPopupAlignment Alignment, HWND& CaptureOwner) {
  TMenuItem* root = root_.Get();
  if (!root) return;
  if (options_.OnOpenLevel) options_.OnOpenLevel(root, 0);
  if (!root_ || done_) return;
  levels_.push_back(std::make_unique<TPopupLevel>(*this, root_.Get(), images_.Get()));
  if (levels_[0]->Empty() || !levels_[0]->Handle()) return;
  levels_[0]->ShowAt(Pos, Alignment);
  CaptureOwner = levels_[0]->Handle();
  SetCapture(CaptureOwner);

  while (!done_) {
    FreeClosed();
    MSG msg;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the application loop must see it too
      break;
    }
    if (Filter(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

void TTracker::Notify(UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (options_.Owner && IsWindow(options_.Owner)) SendMessage(options_.Owner, Msg, wParam, lParam);
}

void TTracker::NotifyEnter() {
  entered_ = true;
  Notify(WM_ENTERMENULOOP, TRUE, 0);
}

void TTracker::NotifyExit() {
  if (!entered_) return;
  entered_ = false;
  Notify(WM_MENUSELECT, MenuSelectParam(0, 0xFFFF), 0);
  Application()->SetHint("");
  Notify(WM_EXITMENULOOP, TRUE, 0);
}

void TTracker::Select(std::size_t L, int Row, bool ByMouse) {
  TPopupLevel& level = *levels_[L];
  if (!ByMouse) level.ScrollIntoView(Row);
  if (Row == level.Active()) return;
  level.SetActive(Row);
  TMenuItem* item = level.ItemAt(Row);
  if (!item || !level.Selectable(Row)) return;
  TWeak<TMenuItem> alive(item);
  if (options_.Owner) {
    const bool popup = item->Count() > 0 || FindMenuHandle(item) != nullptr;
    UINT flags = MF_HILITE;
    if (popup) flags |= MF_POPUP;
    if (item->Checked()) flags |= MF_CHECKED;
    if (!item->Enabled()) flags |= MF_GRAYED | MF_DISABLED;
    if (ByMouse) flags |= MF_MOUSESELECT;
    const UINT id = popup                 ? static_cast<UINT>(item->MenuIndex())
                    : options_.CommandOf ? options_.CommandOf(item)
                                         : item->Command();
    TMenuItem* parent = level.ParentItem();
    HMENU menu = parent ? MenuHandleOf(parent) : nullptr;
    Notify(WM_MENUSELECT, MenuSelectParam(static_cast<WORD>(id), static_cast<WORD>(flags)),
           reinterpret_cast<LPARAM>(menu));
  }
  if (alive) Application()->SetHint(GetLongHint(alive->Hint()));
}

void TTracker::FreeClosed() { closed_.clear(); }

std::vector<HWND> TTracker::Windows() const {
  std::vector<HWND> out;
  for (const auto& level : levels_) out.push_back(level->Handle());
  return out;
}

TRect TTracker::ItemRect(const TMenuItem* Item) const {
  for (const auto& level : levels_) {
    for (int i = 0; i < level->Count(); ++i) {
      if (level->ItemAt(i) == Item) return level->RowOnScreen(i);
    }
  }
  return {};
}

int TTracker::LevelAt(TPoint Screen) const {
  // Deeper levels lie on top of their parents.
  for (int i = static_cast<int>(levels_.size()) - 1; i >= 0; --i) {
    if (levels_[static_cast<std::size_t>(i)]->Contains(Screen)) return i;
  }
  return -1;
}

int TTracker::LevelOf(HWND Handle) const {
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    if (levels_[i]->Handle() == Handle) return static_cast<int>(i);
  }
  return -1;
}

bool TTracker::Filter(MSG& Msg) {
  switch (Msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      MouseMove(Msg.pt);
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      MouseDown(Msg.pt);
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP:
      MouseUp(Msg.pt);
      return true;
    case WM_MOUSEWHEEL:
      Wheel(Msg.pt, static_cast<short>(HIWORD(Msg.wParam)));
      return true;
    case WM_MBUTTONUP:
    case WM_NCMBUTTONUP:
      return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      TranslateMessage(&Msg);  // the characters come as WM_CHAR for accelerators
      KeyDown(static_cast<WORD>(Msg.wParam));
      return true;
    case WM_CHAR:
    case WM_SYSCHAR:
      Char(static_cast<char32_t>(Msg.wParam));
      return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      return true;
    default:
      return false;
  }
}

void TTracker::MouseMove(TPoint Screen) {
  int l = LevelAt(Screen);
  // A scroll strip scrolls for as long as the mouse rests on it.
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    levels_[i]->SetHoveredStrip(static_cast<int>(i) == l ? levels_[i]->StripAt(Screen) : 0);
  }
  if (l < 0) {
    // Off the menu: the deepest level loses its highlight unless it leads to an open submenu.
    Select(levels_.size() - 1, -1, true);
    return;
  }
  auto L = static_cast<std::size_t>(l);
  TPopupLevel& level = *levels_[L];
  int row = level.RowAt(Screen);
  if (row < 0 || !level.Selectable(row)) {
    if (L + 1 == levels_.size()) Select(L, -1, true);
    return;
  }
  if (row == level.Active()) return;
  Select(L, row, true);
  CloseAfter(L);
  TMenuItem* item = level.ItemAt(row);
  if (item && item->Count() > 0 && item->Enabled()) SetTimer(level.Handle(), kSubmenuTimer, kSubmenuDelay, nullptr);
}

void TTracker::SubmenuTimer(HWND Level) {
  KillTimer(Level, kSubmenuTimer);
  int l = LevelOf(Level);
  if (l < 0) return;
  auto L = static_cast<std::size_t>(l);
  if (L + 1 == levels_.size()) OpenSubmenu(L, levels_[L]->Active(), false);
}

void TTracker::ScrollTimer(HWND Level) {
  int l = LevelOf(Level);
  if (l < 0) {
    KillTimer(Level, kScrollTimer);
    return;
  }
  auto L = static_cast<std::size_t>(l);
  TPopupLevel& level = *levels_[L];
  if (level.HoveredStrip() == 0 || !level.ScrollBy(level.HoveredStrip())) {
    KillTimer(Level, kScrollTimer);  // the end is reached; a new hover starts it again
    return;
  }
  CloseAfter(L);
}

void TTracker::Wheel(TPoint Screen, int Delta) {
  int l = LevelAt(Screen);
  if (l < 0 || Delta == 0) return;
  int rows = -Delta * kWheelRows / WHEEL_DELTA;
  if (rows == 0) rows = Delta > 0 ? -1 : 1;  // a fine-grained wheel still moves a row
  auto L = static_cast<std::size_t>(l);
  if (!levels_[L]->ScrollBy(rows)) return;
  CloseAfter(L);
  MouseMove(Screen);  // the row now under the mouse takes the highlight
}

void TTracker::MouseDown(TPoint Screen) {
  int l = LevelAt(Screen);
  if (l < 0) {
    // A press anywhere else ends the menu; the press itself is swallowed.
    Cancel();
    return;
  }
  buttonDownInMenu_ = true;
  auto L = static_cast<std::size_t>(l);
  int row = levels_[L]->RowAt(Screen);
  TMenuItem* item = levels_[L]->ItemAt(row);
  if (item && item->Count() > 0 && item->Enabled() && levels_[L]->Selectable(row)) {
    Select(L, row, true);
    OpenSubmenu(L, row, false);
  }
}

void TTracker::MouseUp(TPoint Screen) {
  bool pressedInMenu = buttonDownInMenu_;
  buttonDownInMenu_ = false;
  int l = LevelAt(Screen);
  if (l < 0) {
    // A release off the menu ends it only after a press inside (a drag out of the menu); the
    // release of the click that opened the menu must not.
    if (pressedInMenu) Cancel();
    return;
  }
  auto L = static_cast<std::size_t>(l);
  int row = levels_[L]->RowAt(Screen);
  if (!levels_[L]->Selectable(row)) return;
  TMenuItem* item = levels_[L]->ItemAt(row);
  if (item->Count() > 0) return;  // opened on the press
  Choose(item);
}

void TTracker::Choose(TMenuItem* Item) {
  if (!Item || !Item->Enabled()) return;
  chosen_ = TWeak<TMenuItem>(Item);
  Cancel();
}

void TTracker::OpenSubmenu(std::size_t L, int Row, bool SelectFirst) {
  TMenuItem* item = levels_[L]->ItemAt(Row);
  if (!item || item->Count() == 0 || !item->Enabled()) return;
  KillTimer(levels_[L]->Handle(), kSubmenuTimer);
  if (L + 1 < levels_.size() && levels_[L]->openedRow == Row) {
    if (SelectFirst && levels_[L + 1]->Active() < 0) Select(L + 1, levels_[L + 1]->Step(-1, +1), false);
    return;
  }
  CloseAfter(L);
  // A parent item hears OnClick when its submenu opens, the place to update its children.
  TWeak<TMenuItem> alive(item);
  if (item->OnClick) item->OnClick(item);
  if (alive && options_.OnOpenLevel) options_.OnOpenLevel(item, item->MenuIndex());
  if (!alive || done_) return;
  auto level = std::make_unique<TPopupLevel>(*this, item, images_.Get());
  if (level->Empty() || !level->Handle()) return;
  level->ShowBeside(levels_[L]->RowOnScreen(Row));
  levels_[L]->openedRow = Row;
  levels_.push_back(std::move(level));
  if (SelectFirst) Select(L + 1, levels_[L + 1]->Step(-1, +1), false);
}

void TTracker::CloseAfter(std::size_t L) {
  if (L < levels_.size()) levels_[L]->openedRow = -1;
  while (levels_.size() > L + 1) {
    ShowWindow(levels_.back()->Handle(), SW_HIDE);
    closed_.push_back(std::move(levels_.back()));
    levels_.pop_back();
  }
}

void TTracker::KeyDown(WORD Key) {
  std::size_t L = levels_.size() - 1;
  TPopupLevel& level = *levels_[L];
  switch (Key) {
    case VK_DOWN:
      Select(L, level.Step(level.Active(), +1), false);
      break;
    case VK_UP:
      Select(L, level.Step(level.Active(), -1), false);
      break;
    case VK_HOME:
      Select(L, level.Step(-1, +1), false);
      break;
    case VK_END:
      Select(L, level.Step(-1, -1), false);
      break;
    case VK_RIGHT:
      if (TMenuItem* item = level.ItemAt(level.Active()); item && item->Count() > 0) OpenSubmenu(L, level.Active(), true);
      break;
    case VK_LEFT:
      if (L > 0) CloseAfter(L - 1);
      break;
    case VK_ESCAPE:
      if (L > 0) {
        CloseAfter(L - 1);
      } else {
        Cancel();
      }
      break;
    case VK_RETURN:
    case VK_SPACE: {
      TMenuItem* item = level.ItemAt(level.Active());
      if (!item || !level.Selectable(level.Active())) break;
      if (item->Count() > 0) {
        OpenSubmenu(L, level.Active(), true);
      } else {
        Choose(item);
      }
      break;
    }
    case VK_MENU:
    case VK_F10:
      Cancel();
      break;
    default:
      break;
  }
}

void TTracker::Char(char32_t Ch) {
  if (Ch < 0x20 || Ch > 0xFFFF) return;
  std::size_t L = levels_.size() - 1;
  TPopupLevel& level = *levels_[L];
  std::vector<int> rows = level.RowsWithAccel(static_cast<WORD>(Ch));
  if (rows.empty()) return;
  if (rows.size() > 1) {
    // Several rows share the letter: each press moves to the next of them.
    auto next = std::upper_bound(rows.begin(), rows.end(), level.Active());
    Select(L, next == rows.end() ? rows.front() : *next, false);
    return;
  }
  Select(L, rows.front(), false);
  TMenuItem* item = level.ItemAt(rows.front());
  if (item->Count() > 0) {
    OpenSubmenu(L, rows.front(), true);
  } else {
    Choose(item);  // a disabled item only gets the highlight
  }
}

}  // namespace

TMenuItem* TrackPlainPopup(TMenuItem* Root, TCustomImageList* Images, TPoint Pos, TPopupAlignment Alignment,
                           const TPlainPopupOptions& Options) {
  if (activeTracker || !Root) return nullptr;
  TTracker tracker(Root, Images, Options);
  return tracker.Run(Pos, Alignment);
}

void CancelPlainPopup() {
  if (activeTracker) activeTracker->Cancel();
}

bool PlainPopupActive() { return activeTracker != nullptr; }

std::vector<HWND> PlainPopupWindows() { return activeTracker ? activeTracker->Windows() : std::vector<HWND>{}; }

TRect PlainPopupItemRect(const TMenuItem* Item) { return activeTracker ? activeTracker->ItemRect(Item) : TRect{}; }

}  // namespace detail
