#pragma once
// The up-down control (window class "msctls_updown32"): two arrow buttons that step a position
// between Min and Max. A press on a button steps at once and, while held, again after 500 ms and
// then every 100 ms. Each step made by the user is reported to the parent window the way the
// platform's up-down does it: WM_VSCROLL (vertical) or WM_HSCROLL (horizontal) with
// SB_THUMBPOSITION in the low word of wParam, the new position's low 16 bits in the high word
// and the up-down's window in lParam, followed by SB_ENDSCROLL when the button is released.
// The tab control scrolls its row of tabs by those messages; a skinned replacement may take
// the window over and send them itself.
//
// Messages: UDM_SETRANGE/GETRANGE (16-bit, max in the low word), UDM_SETRANGE32/GETRANGE32
// (wParam min, lParam max / pointers), UDM_SETPOS/GETPOS, UDM_SETPOS32/GETPOS32. GUI thread.

#include "platform/controls/Controls.h"

constexpr UINT UDM_SETRANGE = WM_USER + 101;
constexpr UINT UDM_GETRANGE = WM_USER + 102;
constexpr UINT UDM_SETPOS = WM_USER + 103;
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114;

constexpr DWORD UDS_WRAP = 0x0001;
constexpr DWORD UDS_HORZ = 0x0040;

enum class TUDOrientation { udHorizontal, udVertical };
// btNext raises the position (the up or right button), btPrev lowers it.
enum class TUDBtnType { btNext, btPrev };
// Asked before a user step changes Position; clearing AllowChange cancels the step.
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;

class TCustomUpDown : public TCustomControl {
 public:
  explicit TCustomUpDown(TComponent* AOwner);
  ~TCustomUpDown() override;

  // Min and Max may be given in either order; Position stays between them.
  [[nodiscard]] int Min() const { return min_; }
  void SetMin(int Value);
  [[nodiscard]] int Max() const { return max_; }
  void SetMax(int Value);
  // A write is kept within the range; it does not notify the parent (only user steps do).
  [[nodiscard]] int Position() const { return position_; }
  void SetPosition(int Value);
  // The step of one press or repeat (never below 1 in effect).
  [[nodiscard]] int Increment() const { return increment_; }
  void SetIncrement(int Value) { increment_ = Value; }
  [[nodiscard]] TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation Value);
  // A step past an end goes to the other end instead of stopping.
  [[nodiscard]] bool Wrap() const { return wrap_; }
  void SetWrap(bool Value) { wrap_ = Value; }

  // Steps as a press on Button does (events and parent notification included).
  void Step(TUDBtnType Button);

  TUDChangingEvent OnChanging;
  // After each user step (named so: TControl's OnClick is a notify event).
  TUDClickEvent OnButtonClick;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The button under a client point; false outside both.
  bool ButtonAt(TPoint P, TUDBtnType& Button) const;
  [[nodiscard]] TRect ButtonRect(TUDBtnType Button) const;

 private:
  void Notify(int Code);
  // Ends a press (release, lost capture, cancel mode): stops the repeat, tells SB_ENDSCROLL.
  void StopRepeat();

  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int increment_ = 1;
  TUDOrientation orientation_ = TUDOrientation::udVertical;
  bool wrap_ = false;
  bool pressed_ = false;
  TUDBtnType pressed_button_ = TUDBtnType::btNext;
};

class TUpDown : public TCustomUpDown {
 public:
  explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};
