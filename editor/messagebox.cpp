#include "editor/messagebox.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace tovren {

void showMessageBox(QWidget& window, QMessageBox::Icon icon, const QString& text) {
    const QPointer<QWidget> focused = window.focusWidget();
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok, &window);
    box.exec();
    window.activateWindow();
    if (focused) {
        focused->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace tovren
