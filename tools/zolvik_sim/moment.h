#pragma once
#include <string_view>

#include "platform/win_types.h"

// The moment the simulated clock shows unless told otherwise: Monday,
// 7 December 2026, 14:05:09.
inline constexpr win::SystemTime DefaultMoment{2026, 12, 1, 7, 14, 5, 9, 0};

// "YYYY-MM-DD", optionally followed by "THH:MM", ":SS" and ".mmm", as the
// local time GetLocalTime reports, day of the week included. Throws
// ToolError for anything else or for a date that does not exist.
win::SystemTime ParseMoment(std::string_view text);
