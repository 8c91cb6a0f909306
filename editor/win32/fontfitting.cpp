#include "editor/win32/fontfitting.h"

#include "editor/form1layout.h"
#include "editor/win32/dpi.h"
#include "linkstore/windows/widetext.h"

#include <cstdlib>

namespace tovren {

namespace {

constexpr int smallestFontPixels = 8;

// Whether every caption fits on one line in its control, and a line of text in a field.
bool fontFits(HFONT font, UINT dpi) {
    HDC context = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(context, font);
    bool fits = true;
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(context, &metrics);
    for (const ControlLayout& control : form1Layout.controls) {
        const std::wstring caption = toWide(control.caption);
        SIZE extent{};
        ::GetTextExtentPoint32W(context, caption.c_str(), static_cast<int>(caption.size()),
                                &extent);
        const int width = twipsToPixels(control.width, static_cast<int>(dpi));
        const int height = twipsToPixels(control.height, static_cast<int>(dpi));
        const int needed =
            control.kind == ControlKind::TextField ? metrics.tmHeight + 4 : metrics.tmHeight;
        fits = fits && extent.cx <= width && needed <= height;
    }
    ::SelectObject(context, previous);
    ::ReleaseDC(nullptr, context);
    return fits;
}

} // namespace

HFONT fittingFont(UINT dpi) {
    LOGFONTW description = messageFontForDpi(dpi);
    HFONT font = ::CreateFontIndirectW(&description);
    while (!fontFits(font, dpi) && std::abs(description.lfHeight) > smallestFontPixels) {
        ::DeleteObject(font);
        description.lfHeight += description.lfHeight < 0 ? 1 : -1;
        font = ::CreateFontIndirectW(&description);
    }
    return font;
}

} // namespace tovren
