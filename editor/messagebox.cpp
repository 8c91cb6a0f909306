#include "editor/messagebox.h"

#include <QPointer>
#include <QWidget>

namespace tovren {

void showMessageBox(QWidget& window, const QString& title, QMessageBox::Icon icon,
                    const QString& text) {
    const QPointer<QWidget> focused = window.focusWidget();
    QMessageBox box(icon, title, text, QMessageBox::Ok, &window);
    box.exec();
    window.activateWindow();
    if (focused) {
        focused->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace tovren
