#include "editor/win32/win32form1.h"

#include "editor/editorcommands.h"
#include "editor/editorfields.h"
#include "editor/form1layout.h"
#include "editor/insertedlinebreaks.h"
#include "editor/win32/describedaccessible.h"
#include "editor/win32/dpi.h"
#include "linkstore/windows/widetext.h"

#include <algorithm>
#include <commctrl.h>
#include <stdexcept>
#include <vector>

namespace tovren {

namespace {

constexpr wchar_t windowClass[] = L"TovrenForm1";
// The controls never move, so the window keeps its size: no sizing border, no maximise box.
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
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
    LOGFONTW description = messageFontForDpi(dpi);
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

std::wstring windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
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

std::wstring className(HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return name;
}

// Each label is created right before its field, and so lies above it. A label paints all but
// the parts that fields and buttons cover, so that they are drawn above it. (A window region
// would not do: labels draw with their parent's clipping.)
LRESULT CALLBACK paintBelowControls(HWND label, UINT message, WPARAM w, LPARAM l, UINT_PTR /*id*/,
                                    DWORD_PTR /*data*/) {
    if (message != WM_PAINT) {
        return ::DefSubclassProc(label, message, w, l);
    }
    PAINTSTRUCT paint{};
    HDC context = ::BeginPaint(label, &paint);
    RECT own{};
    ::GetWindowRect(label, &own);
    for (HWND sibling = ::GetWindow(::GetParent(label), GW_CHILD); sibling != nullptr;
         sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        RECT box{};
        RECT covered{};
        ::GetWindowRect(sibling, &box);
        if (className(sibling) != L"Static" && ::IntersectRect(&covered, &own, &box)) {
            ::MapWindowPoints(HWND_DESKTOP, label, reinterpret_cast<POINT*>(&covered), 2);
            ::ExcludeClipRect(context, covered.left, covered.top, covered.right, covered.bottom);
        }
    }
    ::DefSubclassProc(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(context),
                      PRF_CLIENT | PRF_ERASEBKGND);
    ::EndPaint(label, &paint);
    return 0;
}

// A text field whose accessible object carries a description: the text at `data`.
LRESULT CALLBACK describeToScreenReaders(HWND field, UINT message, WPARAM w, LPARAM l,
                                         UINT_PTR /*id*/, DWORD_PTR data) {
    if (message == WM_GETOBJECT) {
        const auto* description = reinterpret_cast<const std::wstring*>(data);
        if (const LRESULT object = describedAccessibleObject(field, w, l, *description)) {
            return object;
        }
    }
    return ::DefSubclassProc(field, message, w, l);
}

// The order in which the controls are created, as indices into the layout table. Windows
// takes it as the tab order, and its accessible objects name a field after the label created
// right before it; so the focusable controls come in tab order, each field right after its
// label, and the map name's description before its label.
std::vector<std::size_t> creationOrder() {
    std::vector<std::size_t> focusable;
    for (std::size_t i = 0; i < form1Layout.controls.size(); ++i) {
        if (form1Layout.controls[i].kind != ControlKind::Label) {
            focusable.push_back(i);
        }
    }
    std::sort(focusable.begin(), focusable.end(), [](std::size_t a, std::size_t b) {
        return form1Layout.controls[a].tabIndex < form1Layout.controls[b].tabIndex;
    });
    std::vector<std::size_t> order;
    for (const std::size_t index : focusable) {
        const std::string_view name = form1Layout.controls[index].name;
        const auto named =
            std::find_if(editorFields.begin(), editorFields.end(),
                         [name](const NamedField& f) { return f.controlName == name; });
        if (named != editorFields.end()) {
            if (named->field == EditorField::mapname) {
                order.push_back(indexOf(mapNameHintLabel));
            }
            order.push_back(indexOf(named->labelName));
        }
        order.push_back(index);
    }
    return order;
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
    layOut(dpiOfWindow(window_));
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
    for (const std::size_t index : creationOrder()) {
        const ControlLayout& layout = form1Layout.controls[index];
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        switch (layout.kind) {
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOPREFIX;
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
        } else if (layout.kind == ControlKind::Label) {
            ::SetWindowSubclass(control, paintBelowControls, 0, 0);
        }
        controls_[index] = control;
    }
    mapNameDescription_ = toWide(form1Layout.controls[indexOf(mapNameHintLabel)].caption);
    ::SetWindowSubclass(control("mapname"), describeToScreenReaders, 0,
                        reinterpret_cast<DWORD_PTR>(&mapNameDescription_));
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
    adjustWindowRectForDpi(frame, windowStyle, windowExStyle, dpi);
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
    case WM_ACTIVATE:
        // As a dialog box does: the control that had the focus gets it back on reactivation,
        // instead of the window itself, where typing would go nowhere.
        if (LOWORD(w) == WA_INACTIVE) {
            HWND focused = ::GetFocus();
            if (focused != nullptr && ::IsChild(window_, focused)) {
                lastFocus_ = focused;
            }
            return 0;
        }
        if (HIWORD(w) == 0) { // not minimised
            restoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
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

void Win32Form1::restoreFocus() {
    ::SetFocus(lastFocus_ != nullptr && ::IsWindow(lastFocus_) ? lastFocus_ : control("Command1"));
}

// Keeps out the line breaks that an edit brings in (see removeInsertedLineBreaks).
void Win32Form1::keepSingleLine(HWND field) {
    const auto index = static_cast<std::size_t>(
        std::find(controls_.begin(), controls_.end(), field) - controls_.begin());
    if (index >= controls_.size()) {
        return;
    }
    std::wstring text = windowText(field);
    DWORD start = 0;
    ::SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    std::size_t caret = start;
    const bool removed = removeInsertedLineBreaks(accepted_[index], text, caret);
    accepted_[index] = text;
    if (removed) {
        ::SetWindowTextW(field, text.c_str()); // comes back here, and changes nothing then
        ::SendMessageW(field, EM_SETSEL, caret, static_cast<LPARAM>(caret));
    }
}

HWND Win32Form1::control(std::string_view name) const {
    return controls_[indexOf(name)];
}

std::string Win32Form1::fieldText(EditorField field) const {
    const auto named = std::find_if(editorFields.begin(), editorFields.end(),
                                    [field](const NamedField& f) { return f.field == field; });
    return fromWide(windowText(control(named->controlName)));
}

void Win32Form1::setFieldText(EditorField field, const std::string& text) {
    const auto named = std::find_if(editorFields.begin(), editorFields.end(),
                                    [field](const NamedField& f) { return f.field == field; });
    // Load's lines go in as read: they hold no CR, and a lone LF is part of the line.
    const std::wstring value = toWide(text);
    accepted_[indexOf(named->controlName)] = value;
    ::SetWindowTextW(control(named->controlName), value.c_str());
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
