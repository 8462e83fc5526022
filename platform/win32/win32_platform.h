#pragma once
#include "platform/platform.h"

namespace win {

// The real Windows platform, one per process; each call passes straight
// through to the ANSI Win32 function of the same name.
Platform& Win32Platform();


}  // namespace win
