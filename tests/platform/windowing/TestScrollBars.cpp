// Window scroll bars: values, showing and hiding through the range, the client rectangle they
// take, hit codes, and the requests a mouse press on each part sends.

#include "platform/windowing/ScrollBars.h"

#include <climits>

#include "platform/core/Clock.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/Screen.h"
#include "tests/platform/Watchdog.h"
#include "tests/platform/WindowFixture.h"

namespace {

class ScrollBarsTest : public WindowWorld {
 protected:
  // A 200 x 150 top-level at (100, 100) with both bars and no frame.
  HWND MakeScrolled(DWORD bars = WS_VSCROLL | WS_HSCROLL) {
    HWND h = Make(WS_POPUP | WS_VISIBLE | bars, Bounds(100, 100, 200, 150), nullptr, RGB(255, 255, 255));
    Pump();
    return h;
  }
  static SCROLLINFO Info(HWND h, int bar) {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    EXPECT_TRUE(GetScrollInfo(h, bar, &si));
    return si;
  }
  static void SetAll(HWND h, int bar, int mn, int mx, UINT page, int pos) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = mn;
    si.nMax = mx;
    si.nPage = page;
    si.nPos = pos;
    SetScrollInfo(h, bar, &si, TRUE);
  }
  // The scroll requests the window received: (message, code, high word).
  struct TRequest {
    UINT msg;
    int code;
    int hi;
    bool operator==(const TRequest&) const = default;
  };
  static std::vector<TRequest> Requests(HWND h) {
    std::vector<TRequest> out;
    for (auto& m : log) {
      if (m.hwnd == h && (m.msg == WM_VSCROLL || m.msg == WM_HSCROLL)) out.push_back({m.msg, LOWORD(m.w), HIWORD(m.w)});
    }
    return out;
  }
};

TEST_F(ScrollBarsTest, BarsTakeTheirStripsOffTheClientArea) {
  HWND h = MakeScrolled();
  const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  TRect c;
  GetClientRect(h, &c);
  EXPECT_EQ(c, Rect(0, 0, 200 - cx, 150 - cy));
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(100 + 200 - cx / 2, 120)), HTVSCROLL);
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(120, 100 + 150 - cy / 2)), HTHSCROLL);
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(120, 120)), HTCLIENT);

  SCROLLBARINFO info;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &info));
  EXPECT_EQ(info.rcScrollBar, Bounds(300 - cx, 100, cx, 150 - cy));

  ShowScrollBar(h, SB_BOTH, FALSE);
  GetClientRect(h, &c);
  EXPECT_EQ(c, Rect(0, 0, 200, 150));
  EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(299, 120)), HTCLIENT);
  ShowScrollBar(h, SB_VERT, TRUE);
  GetClientRect(h, &c);
  EXPECT_EQ(c, Rect(0, 0, 200 - cx, 150));
}

TEST_F(ScrollBarsTest, ValuesAreKeptWithinRangeAndPage) {
  HWND h = MakeScrolled(WS_VSCROLL);
  struct Case {
    const char* what;
    int mn, mx;
    UINT page;
    int pos;
    int wantPos;
    UINT wantPage;
  } cases[] = {
      {"plain", 0, 99, 10, 50, 50, 10},
      {"position past the last page", 0, 99, 10, 95, 90, 10},
      {"position below the minimum", 10, 50, 5, 0, 10, 5},
      {"page larger than the range is cut", 0, 9, 30, 5, 0, 10},
      {"full 32-bit range", INT_MIN, INT_MAX, 0, 2000000000, 2000000000, 0},
      {"max below min becomes an empty range", 20, 10, 0, 15, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetAll(h, SB_VERT, c.mn, c.mx, c.page, c.pos);
    SCROLLINFO si = Info(h, SB_VERT);
    EXPECT_EQ(si.nPos, c.wantPos);
    EXPECT_EQ(si.nPage, c.wantPage);
    EXPECT_EQ(si.nTrackPos, c.wantPos);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), c.wantPos);
  }
  int mn = -1, mx = -1;
  EXPECT_TRUE(SetScrollRange(h, SB_VERT, 5, 500, FALSE));
  EXPECT_TRUE(GetScrollRange(h, SB_VERT, &mn, &mx));
  EXPECT_EQ(mn, 5);
  EXPECT_EQ(mx, 500);
  EXPECT_EQ(SetScrollPos(h, SB_VERT, 300, TRUE), 20) << "returns the previous position";
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 300);
}

TEST_F(ScrollBarsTest, RangeShowsAndHidesTheBar) {
  HWND h = MakeScrolled(0);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  EXPECT_FALSE(GetScrollInfo(h, SB_VERT, &si)) << "a window that never had the bar";
  EXPECT_FALSE(GetScrollInfo(h, SB_CTL, &si));

  SetAll(h, SB_VERT, 0, 99, 10, 0);
  EXPECT_TRUE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL) << "a range that needs scrolling shows the bar";
  SetAll(h, SB_VERT, 0, 9, 10, 0);
  EXPECT_FALSE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL) << "a page covering the range hides it";
  EXPECT_TRUE(GetScrollInfo(h, SB_VERT, &si)) << "values stay readable once set";

  si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
  ShowScrollBar(h, SB_VERT, TRUE);
  SetScrollInfo(h, SB_VERT, &si, FALSE);
  EXPECT_TRUE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL) << "SIF_DISABLENOSCROLL keeps it";
  SetScrollRange(h, SB_VERT, 0, 0, FALSE);
  EXPECT_FALSE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL);

  EXPECT_FALSE(GetScrollInfo(nullptr, SB_VERT, &si));
  EXPECT_EQ(GetScrollPos(nullptr, SB_VERT), 0);
  EXPECT_FALSE(ShowScrollBar(nullptr, SB_VERT, TRUE));
}

TEST_F(ScrollBarsTest, PressOnEachPartSendsItsRequests) {
  HWND h = MakeScrolled(WS_VSCROLL);
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  const int x = 300 - cx / 2;
  SetAll(h, SB_VERT, 0, 99, 50, 0);  // the thumb covers the upper half of the track
  struct Case {
    const char* what;
    int y;
    std::vector<TRequest> want;
  } cases[] = {
      {"up arrow", 101, {{WM_VSCROLL, SB_LINEUP, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0}}},
      {"down arrow", 248, {{WM_VSCROLL, SB_LINEDOWN, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0}}},
      {"page below the thumb", 100 + 150 - cx - 5, {{WM_VSCROLL, SB_PAGEDOWN, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0}}},
      {"thumb without moving", 100 + cx + 5, {{WM_VSCROLL, SB_THUMBPOSITION, 0}, {WM_VSCROLL, SB_ENDSCROLL, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWatchdog dog(c.what);
    log.clear();
    display->MouseDown({x, c.y});
    display->MouseUp({x, c.y});
    Pump();
    EXPECT_EQ(Requests(h), c.want);
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(ScrollBarsTest, ThumbDragTracksThirtyTwoBitPositions) {
  HWND h = MakeScrolled(WS_HSCROLL);
  const int cy = GetSystemMetrics(SM_CYHSCROLL);
  const int y = 250 - cy / 2;
  SetAll(h, SB_HORZ, 0, 1000000, 0, 0);
  std::vector<int> tracked;
  spy = [&](HWND w, UINT msg, WPARAM wp, LPARAM) {
    if (w != h || msg != WM_HSCROLL) return;
    SCROLLINFO si;
    si.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(h, SB_HORZ, &si);
    if (LOWORD(wp) == SB_THUMBTRACK) {
      tracked.push_back(si.nTrackPos);
      EXPECT_EQ(HIWORD(wp), si.nTrackPos & 0xFFFF) << "the message carries the low 16 bits";
      EXPECT_EQ(si.nPos, 0) << "the position moves only when the window sets it";
    }
    if (LOWORD(wp) == SB_THUMBPOSITION) SetScrollPos(h, SB_HORZ, si.nTrackPos, TRUE);
  };
  TWatchdog dog("thumb drag");
  display->MouseDown({100 + cy + 2, y});   // on the thumb at the track's start
  display->MouseMove({300 - cy - 1, y});   // past the track's end
  display->MouseUp({300 - cy - 1, y});
  Pump();
  ASSERT_FALSE(tracked.empty());
  EXPECT_EQ(tracked.back(), 1000000) << "the far end is the range's maximum, beyond 16 bits";
  auto r = Requests(h);
  ASSERT_GE(r.size(), 3u);
  EXPECT_EQ(r[r.size() - 2].code, SB_THUMBPOSITION);
  EXPECT_EQ(r.back().code, SB_ENDSCROLL);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), 1000000);
}

TEST_F(ScrollBarsTest, HeldArrowRepeatsOnTheClock) {
  TScopedTestClock clock;
  HWND h = MakeScrolled(WS_VSCROLL);
  SetAll(h, SB_VERT, 0, 99, 10, 50);
  const int x = 300 - GetSystemMetrics(SM_CXVSCROLL) / 2;
  int lines = 0;
  spy = [&](HWND w, UINT msg, WPARAM wp, LPARAM) {
    if (w != h || msg != WM_VSCROLL || LOWORD(wp) != SB_LINEDOWN) return;
    ++lines;
    if (lines == 1) clock.Advance(500);  // the first repeat waits 500 ms
    else if (lines < 4) clock.Advance(50);
    else display->MouseUp({x, 248});
  };
  TWatchdog dog("arrow repeat");
  display->MouseDown({x, 248});
  Pump();
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(Requests(h).back().code, SB_ENDSCROLL);
}

}  // namespace
