#pragma once

#include <string>
#include <windows.h>

namespace tovren {

// Answers WM_GETOBJECT for a control: Windows' own accessible object for it, which names it
// from the label before it, with `description` added, which that object cannot know. Screen
// readers read it as the control's description, through Microsoft Active Accessibility.
// Returns 0 (Windows answers itself) for any object but the control's client.
LRESULT describedAccessibleObject(HWND control, WPARAM w, LPARAM l,
                                  const std::wstring& description);

} // namespace tovren
