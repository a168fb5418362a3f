#include "Src/FFBaseComponent.h"

int SeekFlagsToInt(TSeekFlags AFlags) { return static_cast<int>(AFlags.Bits() & 0xF); }
