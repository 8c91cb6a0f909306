#include "editor/win32/win32form1.h"

#include "editor/editorcommands.h"
#include "editor/editorfields.h"
#include "editor/form1layout.h"
#include "linkstore/windows/widetext.h"

#include <algorithm>
#include <commctrl.h>
#include <stdexcept>
#include <vector>

namespace tovren {

namespace {

constexpr wchar_t windowClass[] = L"TovrenForm1";
constexpr DWORD windowStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD windowExStyle = WS_EX_CONTROLPARENT;
constexpr int firstControlId = 100; // clear of IDOK and IDCANCEL, which Enter and Escape send
constexpr int iconResource = 1;
constexpr int smallestFontPixels = 8; // the window's font shrinks to fit, but stays legible

std::size_t indexOf(std::string_view name) {
    const auto& controls = form1Layout.controls;
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [name](const ControlLayout& c) { return c.name == name; });
    return static_cast<std::size_t>(found - controls.begin());
}

UINT dpiOf(HWND window) {
    const UINT dpi = ::GetDpiForWindow(window);
    return dpi == 0 ? USER_DEFAULT_SCREEN_DPI : dpi;
}

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

// The platform's font for dialog text at this resolution, made smaller where it is too large
// for the layout, so that captions such as "Going Right!" are not cut off.
HFONT fittingFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    LOGFONTW description = metrics.lfMessageFont;
    HFONT font = ::CreateFontIndirectW(&description);
    while (!fontFits(font, dpi) && std::abs(description.lfHeight) > smallestFontPixels) {
        ::DeleteObject(font);
        description.lfHeight += description.lfHeight < 0 ? 1 : -1;
        font = ::CreateFontIndirectW(&description);
    }
    return font;
}

void registerWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClassInfo{};
    windowClassInfo.cbSize = sizeof windowClassInfo;
    windowClassInfo.lpfnWndProc = procedure;
    windowClassInfo.hInstance = instance;
    windowClassInfo.hIcon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    windowClassInfo.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    windowClassInfo.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClassInfo.lpszClassName = windowClass;
    ::RegisterClassExW(&windowClassInfo); // a second window finds it registered already
}

bool isLineBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// The clipboard's text, or nothing when it holds none.
std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) {
        return text;
    }
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = characters;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

// A text field pastes the clipboard without its line breaks, as the Qt window does; Windows'
// own single-line field would keep only the first line.
LRESULT CALLBACK pasteWithoutLineBreaks(HWND field, UINT message, WPARAM w, LPARAM l,
                                        UINT_PTR /*id*/, DWORD_PTR /*data*/) {
    if (message == WM_PASTE) {
        std::wstring text = clipboardText(field);
        std::erase_if(text, isLineBreak);
        ::SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        return 0;
    }
    return ::DefSubclassProc(field, message, w, l);
}

} // namespace

Win32Form1::Win32Form1(HINSTANCE instance, std::wstring messageTitle, ClickDelivery deliverClick)
    : instance_(instance), messageTitle_(std::move(messageTitle)),
      deliverClick_(std::move(deliverClick)) {
    registerWindowClass(instance_, procedure);
    window_ = ::CreateWindowExW(windowExStyle, windowClass, toWide(form1Layout.caption).c_str(),
                                windowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (window_ == nullptr) {
        throw std::runtime_error("the window could not be created");
    }
    createControls();
    layOut(dpiOf(window_));
}

Win32Form1::~Win32Form1() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
}

void Win32Form1::createControls() {
    // Windows takes the order of creation as the tab order and, first on top, as the order in
    // which overlapping controls are drawn: fields and buttons by tab index, then the labels.
    std::vector<std::size_t> order(form1Layout.controls.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [](std::size_t a, std::size_t b) {
        const ControlLayout& first = form1Layout.controls[a];
        const ControlLayout& second = form1Layout.controls[b];
        const bool firstIsLabel = first.kind == ControlKind::Label;
        const bool secondIsLabel = second.kind == ControlKind::Label;
        if (firstIsLabel != secondIsLabel) {
            return secondIsLabel;
        }
        return !firstIsLabel && first.tabIndex < second.tabIndex;
    });
    for (const std::size_t index : order) {
        const ControlLayout& layout = form1Layout.controls[index];
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        switch (layout.kind) {
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS;
            break;
        case ControlKind::TextField:
            className = L"EDIT";
            style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::PushButton:
            className = L"BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        }
        HWND control = ::CreateWindowExW(
            exStyle, className, toWide(layout.caption).c_str(), style, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + index)), instance_,
            nullptr);
        if (layout.kind == ControlKind::TextField) {
            ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0); // no limit of its own
            ::SetWindowSubclass(control, pasteWithoutLineBreaks, 0, 0);
        }
        controls_[index] = control;
    }
}

void Win32Form1::layOut(UINT dpi) {
    HFONT font = fittingFont(dpi);
    const int scale = static_cast<int>(dpi);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlLayout& layout = form1Layout.controls[i];
        ::MoveWindow(controls_[i], twipsToPixels(layout.left, scale),
                     twipsToPixels(layout.top, scale), twipsToPixels(layout.width, scale),
                     twipsToPixels(layout.height, scale), TRUE);
        ::SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
    font_ = font;
    RECT frame{0, 0, twipsToPixels(form1Layout.clientWidth, scale),
               twipsToPixels(form1Layout.clientHeight, scale)};
    ::AdjustWindowRectExForDpi(&frame, windowStyle, FALSE, windowExStyle, dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form1::show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetForegroundWindow(window_);
    ::SetFocus(control("Command1"));
}

int Win32Form1::run() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (translateEnter(message) || ::IsDialogMessageW(window_, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// Enter presses the button that has the focus, and does nothing in a text field.
bool Win32Form1::translateEnter(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN || window_ == nullptr ||
        !::IsChild(window_, message.hwnd)) {
        return false;
    }
    if (message.hwnd == control("Command1") || message.hwnd == control("Command2")) {
        ::SendMessageW(message.hwnd, BM_CLICK, 0, 0);
    }
    return true;
}

LRESULT CALLBACK Win32Form1::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ == nullptr) {
        return ::DefWindowProcW(window, message, w, l);
    }
    return self->handle(message, w, l);
}

LRESULT Win32Form1::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(w);
        if (HIWORD(w) == BN_CLICKED && id >= firstControlId) {
            click(id);
        } else if (HIWORD(w) == EN_CHANGE) {
            keepSingleLine(reinterpret_cast<HWND>(l));
        }
        return 0; // IDOK and IDCANCEL, from Enter and Escape, do nothing
    }
    case WM_DPICHANGED: {
        layOut(HIWORD(w));
        const auto* suggested = reinterpret_cast<const RECT*>(l);
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        ::DestroyWindow(window_); // closing saves nothing and asks nothing
        return 0;
    case WM_DESTROY:
        window_ = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, w, l);
    }
}

void Win32Form1::click(int controlId) {
    const std::size_t index = static_cast<std::size_t>(controlId - firstControlId);
    if (index >= controls_.size()) {
        return;
    }
    const std::string_view name = form1Layout.controls[index].name;
    void (*command)(EditorView&) = nullptr;
    if (name == "Command1") {
        command = runDoneCommand;
    } else if (name == "Command2") {
        command = runLoadCommand;
    } else {
        return;
    }
    deliverClick_(*this, [this, command] { command(*this); });
}

// A line break, typed or pasted, would shift every later line of the link file: out with it.
void Win32Form1::keepSingleLine(HWND field) {
    const int length = ::GetWindowTextLengthW(field);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(field, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    if (std::none_of(text.begin(), text.end(), isLineBreak)) {
        return;
    }
    DWORD start = 0;
    ::SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    const auto cursor = text.begin() + std::min<std::size_t>(start, text.size());
    const auto breaksBefore = std::count_if(text.begin(), cursor, isLineBreak);
    std::erase_if(text, isLineBreak);
    ::SetWindowTextW(field, text.c_str());
    const auto caret = static_cast<WPARAM>(start - static_cast<DWORD>(breaksBefore));
    ::SendMessageW(field, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

HWND Win32Form1::control(std::string_view name) const {
    return controls_[indexOf(name)];
}

std::string Win32Form1::fieldText(EditorField field) const {
    const auto named = std::find_if(editorFields.begin(), editorFields.end(),
                                    [field](const NamedField& f) { return f.field == field; });
    HWND edit = control(named->controlName);
    const int length = ::GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return fromWide(text);
}

void Win32Form1::setFieldText(EditorField field, const std::string& text) {
    const auto named = std::find_if(editorFields.begin(), editorFields.end(),
                                    [field](const NamedField& f) { return f.field == field; });
    ::SetWindowTextW(control(named->controlName), toWide(text).c_str());
}

void Win32Form1::showWarning(const std::string& message) {
    showMessage(message, MB_ICONEXCLAMATION);
}

void Win32Form1::showMessage(const std::string& text, UINT icon) {
    HWND focused = ::GetFocus();
    ::MessageBoxW(window_, toWide(text).c_str(), messageTitle_.c_str(), MB_OK | icon);
    if (window_ != nullptr && ::IsWindow(focused)) {
        ::SetFocus(focused);
    }
}

void Win32Form1::unloadWindow() {
    // Closed once the command has returned, not from inside the click that runs it.
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

} // namespace tovren
