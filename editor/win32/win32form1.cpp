#include "editor/win32/win32form1.h"

#include "editor/editorcommands.h"
#include "editor/insertedlinebreaks.h"
#include "editor/win32/controlbehaviour.h"
#include "editor/win32/dpi.h"
#include "editor/win32/fontfitting.h"
#include "linkstore/windows/widetext.h"

#include <algorithm>
#include <stdexcept>

namespace tovren {

namespace {

constexpr wchar_t windowClass[] = L"TovrenForm1";
// The controls never move, so the window keeps its size: no sizing border, no maximise box.
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD windowExStyle = WS_EX_CONTROLPARENT;
// Each control's id is its place in the layout table from here on, clear of IDOK and IDCANCEL,
// which Enter and Escape send.
constexpr int firstControlId = 100;
constexpr int doneId = firstControlId + static_cast<int>(buttonIndex(ButtonCommand::Done));
constexpr int loadId = firstControlId + static_cast<int>(buttonIndex(ButtonCommand::Load));
constexpr int iconResource = 1;

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
        controls_[index] = control;
        switch (layout.kind) {
        case ControlKind::Label:
            paintBelowOtherControls(control);
            break;
        case ControlKind::TextField:
            ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0); // no limit of its own
            pasteWithoutLineBreaks(control);
            fields_[static_cast<std::size_t>(*layout.field)] = control;
            if (!layout.describedBy.empty()) {
                mapNameDescription_ =
                    toWide(form1Layout.controls[controlIndex(layout.describedBy)].caption);
                describeToScreenReaders(control, mapNameDescription_);
            }
            break;
        case ControlKind::PushButton:
            (layout.command == ButtonCommand::Done ? done_ : load_) = control;
            break;
        }
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
    adjustWindowRectForDpi(frame, windowStyle, windowExStyle, dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form1::show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetForegroundWindow(window_);
    ::SetFocus(done_);
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
    if (message.hwnd == done_ || message.hwnd == load_) {
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
    return self->handleMessage(message, w, l);
}

LRESULT Win32Form1::handleMessage(UINT message, WPARAM w, LPARAM l) {
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
    case WM_COMMAND:
        if (HIWORD(w) == EN_CHANGE) {
            keepSingleLine(reinterpret_cast<HWND>(l));
        } else if (HIWORD(w) == BN_CLICKED) {
            switch (LOWORD(w)) {
            case doneId:
                deliverClick_(*this, [this] { runDoneCommand(*this); });
                break;
            case loadId:
                deliverClick_(*this, [this] { runLoadCommand(*this); });
                break;
            default:
                break;
            }
        }
        return 0; // IDOK and IDCANCEL, from Enter and Escape, do nothing
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

void Win32Form1::restoreFocus() {
    ::SetFocus(lastFocus_ != nullptr && ::IsWindow(lastFocus_) ? lastFocus_ : done_);
}

// Keeps out the line breaks that an edit brings in (see removeInsertedLineBreaks).
void Win32Form1::keepSingleLine(HWND changed) {
    const auto index = static_cast<std::size_t>(std::find(fields_.begin(), fields_.end(), changed) -
                                                fields_.begin());
    if (index >= fields_.size()) {
        return;
    }
    std::wstring text = windowText(changed);
    DWORD start = 0;
    ::SendMessageW(changed, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    std::size_t caret = start;
    const bool removed = removeInsertedLineBreaks(accepted_[index], text, caret);
    accepted_[index] = text;
    if (removed) {
        ::SetWindowTextW(changed, text.c_str()); // comes back here, and changes nothing then
        ::SendMessageW(changed, EM_SETSEL, caret, static_cast<LPARAM>(caret));
    }
}

std::string Win32Form1::fieldText(EditorField field) const {
    return fromWide(windowText(this->field(field)));
}

void Win32Form1::setFieldText(EditorField field, const std::string& text) {
    // Load's lines go in as read: they hold no CR, and a lone LF is part of the line.
    const std::wstring value = toWide(text);
    accepted_[static_cast<std::size_t>(field)] = value;
    ::SetWindowTextW(this->field(field), value.c_str());
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
