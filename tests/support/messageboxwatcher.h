#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <vector>

namespace tovren::testing {

// What a test saw of a modal message box before dismissing it.
struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

// While it lives, dismisses every modal message box with its OK button and records it.
// Polls with single-shot timers, which also fire inside the box's own event loop.
class MessageBoxWatcher : public QObject {
public:
    MessageBoxWatcher();

    const std::vector<SeenMessageBox>& boxes() const { return boxes_; }

private:
    void look();

    std::vector<SeenMessageBox> boxes_;
};

} // namespace tovren::testing
