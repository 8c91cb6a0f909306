#pragma once

#include <windows.h>

namespace tovren {

// The platform's font for dialog text at this resolution, made smaller where it is too large
// for the layout table, so that captions such as "Going Right!" are not cut off; never smaller
// than stays legible. The caller deletes it.
HFONT fittingFont(UINT dpi);

} // namespace tovren
