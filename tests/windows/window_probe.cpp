// Looks at a running Tovren.exe from another process, as Windows' tools and screen readers
// do: its window's styles and client size, and each field's name and description through
// Microsoft Active Accessibility. Prints what is wrong and exits with 1, or exits with 0.
// Last it repaints the labels, so that a label drawn over the field it overlaps would show.
// Usage: window_probe.exe CLIENT_WIDTH CLIENT_HEIGHT
#include <cstdio>
#include <cstdlib>
#include <oleacc.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

int failures = 0;

void expect(bool holds, const char* what, const std::wstring& seen = {}) {
    if (!holds) {
        std::printf("FAILED: %s%s%ls\n", what, seen.empty() ? "" : ": ", seen.c_str());
        ++failures;
    }
}

std::wstring accessibleText(HWND window, long object,
                            HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR*)) {
    IAccessible* accessible = nullptr;
    const HRESULT found =
        ::AccessibleObjectFromWindow(window, static_cast<DWORD>(object), __uuidof(IAccessible),
                                     reinterpret_cast<void**>(&accessible));
    if (FAILED(found)) {
        return L"(no accessible object: error " + std::to_wstring(found) + L")";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    std::wstring result;
    if (SUCCEEDED((accessible->*property)(self, &text)) && text != nullptr) {
        result = text;
        ::SysFreeString(text);
    }
    accessible->Release();
    return result;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::puts("usage: window_probe.exe CLIENT_WIDTH CLIENT_HEIGHT");
        return 2;
    }
    ::CoInitialize(nullptr);
    HWND form = ::FindWindowW(L"TovrenForm1", nullptr);
    if (form == nullptr) {
        std::puts("FAILED: no Tovren window");
        return 1;
    }

    const LONG style = ::GetWindowLongW(form, GWL_STYLE);
    expect((style & WS_THICKFRAME) == 0, "the window has a sizing border");
    expect((style & WS_MAXIMIZEBOX) == 0, "the window has a maximise box");
    expect((style & WS_MINIMIZEBOX) != 0, "the window has no minimise box");
    RECT client{};
    ::GetClientRect(form, &client);
    expect(client.right == std::atoi(argv[1]) && client.bottom == std::atoi(argv[2]),
           "the client area's size",
           std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom));

    const std::wstring title = accessibleText(form, OBJID_CLIENT, &IAccessible::get_accName);
    expect(title == L"Link Map to other Maps!", "the window's accessible name", title);

    // The fields in creation order, which is also the tab order.
    const std::vector<std::wstring> names{L"Going Up!", L"Going Down!", L"Going Left!",
                                          L"Going Right!", L"Mapname"};
    std::vector<HWND> fields;
    for (HWND child = ::GetWindow(form, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) == L"Edit") {
            fields.push_back(child);
        }
    }
    expect(fields.size() == names.size(), "five text fields");
    for (std::size_t i = 0; i < fields.size() && i < names.size(); ++i) {
        const std::wstring name =
            accessibleText(fields[i], OBJID_CLIENT, &IAccessible::get_accName);
        expect(name == names[i], "a field's accessible name", name + L", not " + names[i]);
    }
    if (fields.size() == names.size()) {
        const std::wstring description =
            accessibleText(fields.back(), OBJID_CLIENT, &IAccessible::get_accDescription);
        expect(description == L"Filename of maps ie: map1 ", "the map name's description",
               description);
    }
    for (HWND child = ::GetWindow(form, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) == L"Static") {
            ::RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
    }
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
