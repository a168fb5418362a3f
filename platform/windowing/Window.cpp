#include "platform/windowing/Window.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/windowing/Display.h"
#include "platform/windowing/MessageQueue.h"
#include "platform/core/Thread.h"
#include "platform/windowing/NonClient.h"
#include "platform/windowing/WindowTree.h"

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

struct TClassRecord {
  WNDCLASS cls;
  std::string name;
  ATOM atom = 0;
};

struct TWindowRecord {
  bool used = false;
  std::uint64_t generation = 0;
  DWORD thread = 0;
  std::string class_name;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;
  LONG_PTR style = 0;
  LONG_PTR ex_style = 0;
  LONG_PTR id = 0;
  LONG_PTR user_data = 0;
  std::string text;
  bool destroying = false;
  std::shared_ptr<TWndMethod> method;  // AllocateHWnd windows
  std::unique_ptr<TWindowExtension> extension;
};

// Handle layout: bits 0..23 hold slot index + 1, the bits above the slot's generation.
constexpr std::uintptr_t kIndexBits = 24;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;

struct TWindowTable {
  std::mutex mutex;
  std::unordered_map<std::string, TClassRecord> classes;  // by lower-case name
  ATOM next_atom = 0xC000;
  std::vector<TWindowRecord> slots;
  std::vector<std::size_t> free_slots;
  detail::TWindowHooks hooks;
};

TWindowTable& Table() {
  static auto* table = new TWindowTable;
  return *table;
}

HWND MakeHandle(std::size_t index, std::uint64_t generation) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(index + 1) |
                                static_cast<std::uintptr_t>(generation << kIndexBits));
}

// The live record of h, or nullptr. Table lock held by the caller.
TWindowRecord* Find(TWindowTable& t, HWND h) {
  auto v = reinterpret_cast<std::uintptr_t>(h);
  std::size_t index = v & kIndexMask;
  if (index == 0 || index > t.slots.size()) return nullptr;
  TWindowRecord& r = t.slots[index - 1];
  if (!r.used || r.generation != static_cast<std::uint64_t>(v >> kIndexBits)) return nullptr;
  return &r;
}

LRESULT UtilityWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  std::shared_ptr<TWndMethod> method;
  {
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    if (auto* r = Find(t, h)) method = r->method;
  }
  if (!method || !*method) return DefWindowProc(h, msg, w, l);
  TMessage m{msg, w, l, 0};
  (*method)(m);
  return m.Result;
}

constexpr const char* kUtilWindowClass = "UtilityWindow";

void RegisterUtilClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS cls;
    cls.lpfnWndProc = UtilityWindowProc;
    cls.lpszClassName = kUtilWindowClass;
    RegisterClass(&cls);
  });
}

// Frees the slot of h and returns its extension, to be destroyed outside the lock.
std::unique_ptr<TWindowExtension> FreeSlot(TWindowTable& t, HWND h) {
  TWindowRecord* r = Find(t, h);
  if (!r) return nullptr;
  auto extension = std::move(r->extension);
  std::uint64_t generation = r->generation + 1;
  *r = TWindowRecord{};
  r->generation = generation;
  t.free_slots.push_back(static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(h) & kIndexMask) - 1);
  return extension;
}

}  // namespace

ATOM RegisterClass(const WNDCLASS* lpWndClass) {
  if (!lpWndClass || !lpWndClass->lpszClassName || !*lpWndClass->lpszClassName || !lpWndClass->lpfnWndProc) {
    return 0;
  }
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  std::string key = Lower(lpWndClass->lpszClassName);
  if (t.classes.count(key)) return 0;
  TClassRecord rec{*lpWndClass, lpWndClass->lpszClassName, t.next_atom++};
  rec.cls.lpszClassName = nullptr;  // the caller's text need not outlive the call
  rec.cls.lpszMenuName = nullptr;
  ATOM atom = rec.atom;
  t.classes.emplace(std::move(key), std::move(rec));
  return atom;
}

BOOL UnregisterClass(const char* lpClassName, HINSTANCE) {
  if (!lpClassName) return FALSE;
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  return t.classes.erase(Lower(lpClassName)) ? TRUE : FALSE;
}

BOOL GetClassInfo(HINSTANCE, const char* lpClassName, WNDCLASS* lpWndClass) {
  if (!lpClassName || !lpWndClass) return FALSE;
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  auto it = t.classes.find(Lower(lpClassName));
  if (it == t.classes.end()) return FALSE;
  *lpWndClass = it->second.cls;
  return TRUE;
}

HWND CreateWindowEx(DWORD dwExStyle, const char* lpClassName, const char* lpWindowName, DWORD dwStyle,
                    int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                    HINSTANCE hInstance, void* lpParam) {
  if (!lpClassName) return nullptr;
  detail::EnsureWindowTree();  // the windowing part hears of every window from the first one on
  auto& t = Table();
  HWND h = nullptr;
  detail::TWindowHooks hooks;
  std::string class_name;
  {
    std::lock_guard lock(t.mutex);
    auto it = t.classes.find(Lower(lpClassName));
    if (it == t.classes.end()) return nullptr;
    std::size_t index;
    if (!t.free_slots.empty()) {
      index = t.free_slots.back();
      t.free_slots.pop_back();
    } else {
      if (t.slots.size() >= kIndexMask) return nullptr;
      index = t.slots.size();
      t.slots.emplace_back();
    }
    TWindowRecord& r = t.slots[index];
    r.used = true;
    r.thread = GetCurrentThreadId();
    r.class_name = it->second.name;
    r.proc = it->second.cls.lpfnWndProc;
    r.instance = hInstance;
    r.parent = Find(t, hWndParent) ? hWndParent : nullptr;
    r.style = static_cast<LONG_PTR>(dwStyle);
    r.ex_style = static_cast<LONG_PTR>(dwExStyle);
    r.id = (dwStyle & WS_CHILD) ? static_cast<LONG_PTR>(reinterpret_cast<std::uintptr_t>(hMenu)) : 0;
    r.text = lpWindowName ? lpWindowName : "";
    h = MakeHandle(index, r.generation);
    hooks = t.hooks;
    class_name = r.class_name;
  }
  detail::EnsureThreadQueue();  // the owner thread must have a queue for its messages
  CREATESTRUCT cs;
  cs.lpCreateParams = lpParam;
  cs.hInstance = hInstance;
  cs.hMenu = hMenu;
  cs.hwndParent = hWndParent;
  cs.cx = nWidth;
  cs.cy = nHeight;
  cs.x = X;
  cs.y = Y;
  cs.style = static_cast<LONG>(dwStyle);
  cs.lpszName = lpWindowName;
  cs.lpszClass = class_name.c_str();
  cs.dwExStyle = dwExStyle;
  detail::TreeWindowCreated(h, cs);
  if (hooks.OnCreate) hooks.OnCreate(h, cs);
  if (SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
    DestroyWindow(h);
    return nullptr;
  }
  if (IsWindow(h)) detail::InitialClientArea(h);
  if (SendMessage(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (IsWindow(h)) detail::ShowCreatedWindow(h);
  return IsWindow(h) ? h : nullptr;
}

HWND CreateWindow(const char* lpClassName, const char* lpWindowName, DWORD dwStyle, int X, int Y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                  void* lpParam) {
  return CreateWindowEx(0, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent,
                        hMenu, hInstance, lpParam);
}

BOOL DestroyWindow(HWND hWnd) {
  auto& t = Table();
  detail::TWindowHooks hooks;
  {
    std::lock_guard lock(t.mutex);
    TWindowRecord* r = Find(t, hWnd);
    if (!r || r->thread != GetCurrentThreadId()) return FALSE;
    if (r->destroying) return TRUE;  // already on its way (e.g. DestroyWindow from WM_DESTROY)
    r->destroying = true;
    hooks = t.hooks;
  }
  // Taken after the table's lock is released: the tree lock comes first (WindowNode.h).
  const std::vector<HWND> children = detail::TreeDependents(hWnd);
  // A visible window is hidden first: the windows below repaint, and the activation and focus
  // move on while the window can still hear of it.
  if (GetWindowLongPtr(hWnd, GWL_STYLE) & WS_VISIBLE) {
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessage(hWnd, WM_DESTROY, 0, 0);
  for (HWND child : children) DestroyWindow(child);
  SendMessage(hWnd, WM_NCDESTROY, 0, 0);
  detail::KillWindowTimers(hWnd);
  if (hooks.OnDestroy) hooks.OnDestroy(hWnd);
  detail::TreeWindowDestroyed(hWnd);
  std::unique_ptr<TWindowExtension> extension;
  {
    std::lock_guard lock(t.mutex);
    extension = FreeSlot(t, hWnd);
  }
  return TRUE;
}

BOOL IsWindow(HWND hWnd) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  return Find(t, hWnd) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  TWindowRecord* r = Find(t, hWnd);
  if (!r) return 0;
  if (lpdwProcessId) *lpdwProcessId = static_cast<DWORD>(getpid());
  return r->thread;
}

HWND GetParent(HWND hWnd) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  TWindowRecord* r = Find(t, hWnd);
  return r && Find(t, r->parent) ? r->parent : nullptr;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
  auto& t = Table();
  HWND old = nullptr;
  {
    std::lock_guard lock(t.mutex);
    TWindowRecord* r = Find(t, hWndChild);
    if (!r || hWndNewParent == hWndChild) return nullptr;
    if (hWndNewParent && !Find(t, hWndNewParent)) return nullptr;
    old = Find(t, r->parent) ? r->parent : nullptr;
    r->parent = hWndNewParent;
  }
  detail::TreeParentChanged(hWndChild);
  return old;
}

int GetClassName(HWND hWnd, char* lpClassName, int nMaxCount) {
  std::string name = GetClassName(hWnd);
  if (!lpClassName || nMaxCount <= 0 || name.empty()) return 0;
  int n = std::min(static_cast<int>(name.size()), nMaxCount - 1);
  std::memcpy(lpClassName, name.data(), static_cast<std::size_t>(n));
  lpClassName[n] = '\0';
  return n;
}

std::string GetClassName(HWND hWnd) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  TWindowRecord* r = Find(t, hWnd);
  return r ? r->class_name : std::string{};
}

BOOL SetWindowText(HWND hWnd, const std::string& Text) {
  if (!IsWindow(hWnd)) return FALSE;
  return SendMessage(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str())) ? TRUE : FALSE;
}

std::string GetWindowText(HWND hWnd) {
  LRESULT length = SendMessage(hWnd, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = SendMessage(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
  return text;
}

LONG_PTR GetWindowLongPtr(HWND hWnd, int nIndex) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  TWindowRecord* r = Find(t, hWnd);
  if (!r) return 0;
  switch (nIndex) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(r->proc);
    case GWL_USERDATA: return r->user_data;
    case GWL_STYLE: return r->style;
    case GWL_EXSTYLE: return r->ex_style;
    case GWL_ID: return r->id;
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(r->parent);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(r->instance);
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  auto& t = Table();
  std::unique_lock lock(t.mutex);
  TWindowRecord* r = Find(t, hWnd);
  if (!r) return 0;
  LONG_PTR old = 0;
  switch (nIndex) {
    case GWL_WNDPROC:
      if (dwNewLong == 0) return 0;  // a window always keeps a procedure
      old = reinterpret_cast<LONG_PTR>(r->proc);
      r->proc = reinterpret_cast<WNDPROC>(dwNewLong);
      return old;
    case GWL_USERDATA: old = r->user_data; r->user_data = dwNewLong; return old;
    case GWL_STYLE: old = r->style; r->style = dwNewLong; return old;
    case GWL_EXSTYLE: old = r->ex_style; r->ex_style = dwNewLong; return old;
    case GWL_ID: old = r->id; r->id = dwNewLong; return old;
    case GWL_HWNDPARENT: {
      old = reinterpret_cast<LONG_PTR>(r->parent);
      r->parent = reinterpret_cast<HWND>(dwNewLong);
      lock.unlock();
      detail::TreeParentChanged(hWnd);
      return old;
    }
    case GWL_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(r->instance);
      r->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
      return old;
    default: return 0;
  }
}

LONG_PTR GetWindowLong(HWND hWnd, int nIndex) { return GetWindowLongPtr(hWnd, nIndex); }
LONG_PTR SetWindowLong(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return SetWindowLongPtr(hWnd, nIndex, dwNewLong);
}

LRESULT CallWindowProc(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT CopyTextToBuffer(const std::string& Text, WPARAM Size, LPARAM Buffer) {
  auto* buffer = reinterpret_cast<char*>(Buffer);
  if (!buffer || Size == 0) return 0;
  const std::size_t n = std::min(Text.size(), static_cast<std::size_t>(Size) - 1);
  std::memcpy(buffer, Text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  {
    bool handled = false;
    LRESULT result = detail::DefWindowProcWindowing(hWnd, Msg, wParam, lParam, handled);
    if (handled) return result;
  }
  switch (Msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SETTEXT: {
      auto& t = Table();
      {
        std::lock_guard lock(t.mutex);
        TWindowRecord* r = Find(t, hWnd);
        if (!r) return FALSE;
        r->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      }
      Display().WindowTextChanged(hWnd);
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
    case WM_GETTEXT: {
      std::string text;
      {
        auto& t = Table();
        std::lock_guard lock(t.mutex);
        TWindowRecord* r = Find(t, hWnd);
        if (!r) return 0;
        text = r->text;
      }
      if (Msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
      return CopyTextToBuffer(text, wParam, lParam);
    }
    default:
      return 0;
  }
}

HWND AllocateHWnd(TWndMethod AMethod) {
  RegisterUtilClass();
  HWND h = CreateWindowEx(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                          nullptr, nullptr, nullptr);
  if (!h) return nullptr;
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  if (auto* r = Find(t, h)) r->method = std::make_shared<TWndMethod>(std::move(AMethod));
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  {
    // The method must not hear of the destruction: its object is usually going away.
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    if (auto* r = Find(t, Wnd)) r->method.reset();
  }
  DestroyWindow(Wnd);
}

TWindowExtension* GetWindowExtension(HWND hWnd) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  TWindowRecord* r = Find(t, hWnd);
  return r ? r->extension.get() : nullptr;
}

void SetWindowExtension(HWND hWnd, std::unique_ptr<TWindowExtension> Extension) {
  std::unique_ptr<TWindowExtension> old;
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  if (TWindowRecord* r = Find(t, hWnd)) {
    old = std::move(r->extension);
    r->extension = std::move(Extension);
  }
}

void detail::SetWindowHooks(const TWindowHooks& Hooks) {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  t.hooks = Hooks;
}

void detail::ReleaseThreadWindows(DWORD ThreadId) {
  auto& t = Table();
  std::vector<HWND> windows;
  detail::TWindowHooks hooks;
  {
    std::lock_guard lock(t.mutex);
    hooks = t.hooks;
    for (std::size_t i = 0; i < t.slots.size(); ++i) {
      if (t.slots[i].used && t.slots[i].thread == ThreadId) windows.push_back(MakeHandle(i, t.slots[i].generation));
    }
  }
  for (HWND h : windows) {
    if (hooks.OnDestroy) hooks.OnDestroy(h);
    detail::TreeWindowDestroyed(h);
    std::unique_ptr<TWindowExtension> extension;  // destroyed after the lock is released
    std::lock_guard lock(t.mutex);
    extension = FreeSlot(t, h);
  }
}

std::size_t detail::LiveWindowCount() {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  return t.slots.size() - t.free_slots.size();
}
