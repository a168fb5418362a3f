#pragma once
// The state of the modifier keys and mouse buttons that accompanies a key or mouse event.

#include "platform/core/Set.h"

enum class TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;
