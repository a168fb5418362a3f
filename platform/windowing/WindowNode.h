#pragma once
// The inside of the window tree, shared by WindowTree.cpp, Painting.cpp, Input.cpp,
// NonClient.cpp, SystemMenu.cpp, LayeredWindow.cpp and the displays. Nothing outside the
// windowing part includes it.
//
// Every window (also message-only ones) has a node. Child windows (WS_CHILD with a parent) hang
// under their parent in z-order, top first; every other window is a top-level in the screen's
// z-order list (topmost ones first), and a top-level owns the 32-bit back buffer its whole tree
// paints into.
//
// Coordinates kept per node:
//   rect    the window rectangle in the parent's client coordinates (top-level: screen)
//   client  the client rectangle relative to the window's top-left corner
// "Top coordinates" are pixels of the top-level's back buffer (its window top-left is 0, 0).
//
// Locks. Two locks guard the windowing state, always taken in this order:
//   1. the tree lock (TreeLock(), recursive): every node below;
//   2. the window table's lock (Window.cpp): slots, classes, styles, texts, procedures.
// Code holding the tree lock may read the table (GetWindowLongPtr, IsWindow, GetParent ...).
// The table's lock is a leaf: Window.cpp never calls out of itself while holding it, so it
// never waits for the tree lock. Neither lock is held while a message is sent or a queue is
// touched; code collects what it needs under the lock and acts after releasing it.

#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/core/Types.h"

namespace wnd_detail {

struct TLayeredState {
  bool attributes = false;          // SetLayeredWindowAttributes was called
  DWORD flags = 0;                  // LWA_ALPHA, LWA_COLORKEY
  BYTE alpha = 255;
  COLORREF key = 0;
  std::shared_ptr<PixelSurface> image;  // UpdateLayeredWindow: straight-alpha pixels
  BYTE constant = 255;                  // UpdateLayeredWindow's constant alpha
  bool perPixel = false;                // AC_SRC_ALPHA was asked for
};

struct TWindowNode {
  HWND hwnd = nullptr;
  DWORD thread = 0;
  HWND parent = nullptr;  // tree parent of a child window, nullptr for a top-level
  HWND owner = nullptr;   // owner of a top-level (the parent given to a non-child window)
  std::vector<HWND> children;  // z-order, top first
  std::vector<HWND> owned;     // top-levels this window owns, oldest first
  TRect rect;
  TRect client;
  bool message_only = false;
  bool minimized = false;
  bool maximized = false;
  TRect restore;  // rect before minimize or maximize

  // Painting.
  Region update;        // window coordinates (relative to the window's top-left)
  bool erase = false;   // WM_ERASEBKGND owed with the next BeginPaint
  bool nc_paint = false;
  bool redraw = true;   // WM_SETREDRAW

  // Shape and layering.
  std::optional<Region> window_region;  // window coordinates
  TLayeredState layered;

  // Top-levels only: the back buffer and what changed in it since the display last saw it.
  std::shared_ptr<PixelSurface> back;
  Region dirty;  // top coordinates

  // The display's data for this window (a native window, say); freed with the node.
  std::shared_ptr<void> native;

  // The window's own copy of its system menu (GetSystemMenu), destroyed with the node.
  std::shared_ptr<HMENU__> system_menu;
};

std::recursive_mutex& TreeLock();
// The node of a live window; nullptr otherwise. Tree lock held by the caller.
TWindowNode* Node(HWND h);
// Top-levels, top of the z-order first. Tree lock held by the caller.
std::vector<HWND>& TopLevels();

[[nodiscard]] bool StyleVisible(HWND h);
[[nodiscard]] DWORD StyleOf(HWND h);
[[nodiscard]] DWORD ExStyleOf(HWND h);

// Tree lock held by the caller for the helpers below.
// The top-level window whose back buffer h paints into (h itself for a top-level).
HWND TopOf(HWND h);
// The window's top-left corner in screen coordinates / in top coordinates.
TPoint ScreenOrigin(HWND h);
TPoint TopOrigin(HWND h);
// True when h and every ancestor are visible (and h is not minimized).
bool ReallyVisible(HWND h);
// The pixels of h (its client area when ClientOnly) a paint may touch, in top coordinates:
// clipped by the ancestors' client areas and regions, minus the visible siblings above h and
// above each ancestor; minus h's visible children when ClipChildren.
Region VisibleRegion(HWND h, bool ClientOnly, bool ClipChildren);
// Makes sure a top-level's back buffer matches its size (content kept at the top-left).
void EnsureBackBuffer(TWindowNode& top);

// Marks part of a window (window coordinates) as needing paint; children overlapping it follow
// unless the window clips its children. Returns the threads to wake (outside the lock).
void InvalidateNode(HWND h, const Region& area, bool erase, bool children, std::vector<DWORD>& wake);
// Invalidates what a window covered (screen region) in the windows below it: used after a
// move, resize, hide or z-order change.
void InvalidateScreenArea(const Region& screenArea, std::vector<DWORD>& wake);

}  // namespace wnd_detail
