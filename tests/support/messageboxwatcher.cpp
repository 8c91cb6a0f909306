#include "support/messageboxwatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace tovren::testing {

namespace {
constexpr int pollMilliseconds = 10;
}

MessageBoxWatcher::MessageBoxWatcher() {
    QTimer::singleShot(pollMilliseconds, this, &MessageBoxWatcher::look);
}

void MessageBoxWatcher::look() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        box->button(QMessageBox::Ok)->click();
    }
    QTimer::singleShot(pollMilliseconds, this, &MessageBoxWatcher::look);
}

} // namespace tovren::testing
