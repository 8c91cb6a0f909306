// Tovren.exe: the application shell on Windows. Shows Form1 and runs its message loop; every
// click is delivered inside the one catch for FileFailure.
#include "app/identity.h"
#include "editor/win32/dpi.h"
#include "editor/win32/win32form1.h"
#include "linkstore/filefailure.h"
#include "linkstore/windows/widetext.h"

#include <objbase.h>
#include <windows.h>

namespace tovren {

namespace {

// Tells the user of a failure in a "Tovren!" box. When it is dismissed the program goes on,
// with the window and everything typed into it as they were, so the user can try again.
void reportFatalFailure(Win32Form1& window, const FileFailure& failure) {
    window.showMessage(failure.description(), MB_ICONERROR);
}

void deliverClick(Win32Form1& window, const std::function<void()>& command) {
    try {
        command();
    } catch (const FileFailure& failure) {
        reportFatalFailure(window, failure);
    }
}

} // namespace

} // namespace tovren

// The command line is not read.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    tovren::becomeDpiAware();
    // Screen readers ask for the fields' accessible objects through COM.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    tovren::Win32Form1 window(instance, tovren::toWide(tovren::identity::applicationTitle),
                              tovren::deliverClick);
    window.show(showCommand);
    return window.run();
}
