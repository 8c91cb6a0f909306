#pragma once

#include <string>
#include <windows.h>

namespace tovren {

// What the window's controls do beyond Windows' own controls, each given to a control by
// subclassing it.

// The text a window holds.
std::wstring windowText(HWND window);

// A text field pastes the clipboard without its line breaks, as the Qt window does; Windows'
// own single-line field would keep only the first line.
void pasteWithoutLineBreaks(HWND field);

// A label paints all but the parts that fields and buttons cover, so that they are drawn above
// it although it lies above them (it is created right before its field).
void paintBelowOtherControls(HWND label);

// A text field whose accessible object carries a description, which must outlive the field.
void describeToScreenReaders(HWND field, const std::wstring& description);

} // namespace tovren
