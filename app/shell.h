#pragma once

#include "editor/form1.h"
#include "linkstore/filefailure.h"

#include <functional>

class QApplication;

namespace tovren {

// Starts Tovren: its identity, the window Form1 and the event loop, until the window is
// closed. Command-line arguments are not read; Qt sees only the program's name.
int runTovren(const char* programName);

// Gives the application its name, version and globe icon.
void applyIdentity(QApplication& application);

// Runs a button's command, the one place where a FileFailure is caught.
void deliverClick(Form1& window, const std::function<void()>& command);

// Tells the user of a failure in a "Tovren!" box. When it is dismissed the program goes on,
// with the window and everything typed into it as they were, so the user can try again.
void reportFatalFailure(Form1& window, const FileFailure& failure);

} // namespace tovren
