#include "editor/win32/dpi.h"

namespace tovren {

namespace {

// A function of user32.dll that this Windows may not have, or nullptr.
template <typename Function> Function user32Function(const char* name) {
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name);
    // Through void (*)(), the one function pointer type that converts to all others.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

UINT systemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

void becomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    if (const auto setContext = user32Function<SetContext>("SetProcessDpiAwarenessContext")) {
        if (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
            return;
        }
    }
    ::SetProcessDPIAware();
}

UINT dpiOfWindow(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = user32Function<GetDpi>("GetDpiForWindow");
    const UINT dpi = getDpi != nullptr ? getDpi(window) : systemDpi();
    return dpi == 0 ? USER_DEFAULT_SCREEN_DPI : dpi;
}

void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = user32Function<Adjust>("AdjustWindowRectExForDpi");
    if (adjust != nullptr) {
        adjust(&rect, style, FALSE, exStyle, dpi);
    } else {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

LOGFONTW messageFontForDpi(UINT dpi) {
    using Parameters = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto parameters = user32Function<Parameters>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parameters != nullptr) {
        parameters(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
        return metrics.lfMessageFont;
    }
    // Older Windows give the font at the system's resolution, which is then all there is.
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
    return font;
}

} // namespace tovren
