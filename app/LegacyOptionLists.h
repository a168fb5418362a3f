#pragma once
// The legacy preset window's option lists: the same six lists as the main window's choosers,
// filled from the window's own 50 templates ("R1" .. "R19", "V1" .. "V10", "F1" .. "F7",
// "A1" .. "A6", "S1" .. "S5", "M1" .. "M3") with one entry per legacy preset code. Fill them
// with FillOptionChoosers(Choosers, LegacyOptionTables(), Code). Tables:
// LegacyOptionListTable.cpp.

#include "app/OptionLists.h"

[[nodiscard]] TOptionTables LegacyOptionTables();
