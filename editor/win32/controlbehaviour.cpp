#include "editor/win32/controlbehaviour.h"

#include "editor/win32/describedaccessible.h"

#include <algorithm>
#include <commctrl.h>

namespace tovren {

namespace {

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

LRESULT CALLBACK pasteProcedure(HWND field, UINT message, WPARAM w, LPARAM l, UINT_PTR /*id*/,
                                DWORD_PTR /*data*/) {
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

// (A window region would not do: labels draw with their parent's clipping.)
LRESULT CALLBACK paintProcedure(HWND label, UINT message, WPARAM w, LPARAM l, UINT_PTR /*id*/,
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

LRESULT CALLBACK describeProcedure(HWND field, UINT message, WPARAM w, LPARAM l, UINT_PTR /*id*/,
                                   DWORD_PTR data) {
    if (message == WM_GETOBJECT) {
        const auto* description = reinterpret_cast<const std::wstring*>(data);
        if (const LRESULT object = describedAccessibleObject(field, w, l, *description)) {
            return object;
        }
    }
    return ::DefSubclassProc(field, message, w, l);
}

} // namespace

std::wstring windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void pasteWithoutLineBreaks(HWND field) {
    ::SetWindowSubclass(field, pasteProcedure, 0, 0);
}

void paintBelowOtherControls(HWND label) {
    ::SetWindowSubclass(label, paintProcedure, 0, 0);
}

void describeToScreenReaders(HWND field, const std::wstring& description) {
    ::SetWindowSubclass(field, describeProcedure, 0, reinterpret_cast<DWORD_PTR>(&description));
}

} // namespace tovren
