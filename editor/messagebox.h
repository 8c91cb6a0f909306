#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace tovren {

// Shows a modal message box with one OK button over the window and waits until the user
// dismisses it. Afterwards the window has the keyboard focus again on the control that held
// it, even where no window manager gives it back.
void showMessageBox(QWidget& window, const QString& title, QMessageBox::Icon icon,
                    const QString& text);

} // namespace tovren
