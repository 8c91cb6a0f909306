#pragma once

#include "editor/form1.h"
#include "support/temporarydirectory.h"

#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <memory>

namespace tovren::testing {

// What the tests of the window and of the shell share: a fresh directory for link files, the
// window on it, and its controls by name.
class Form1Fixture : public QObject {
protected:
    std::unique_ptr<TemporaryDirectory> directory;
    std::unique_ptr<Form1> window;

    QLineEdit* field(const char* name) const { return window->findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }

    void fill(const QString& mapName, const QStringList& neighbours) const {
        field("mapname")->setText(mapName);
        const char* names[] = {"Up", "Down", "Left1", "Right"};
        for (int i = 0; i < 4; ++i) {
            field(names[i])->setText(neighbours.value(i));
        }
    }

    QStringList neighbours() const {
        return {field("Up")->text(), field("Down")->text(), field("Left1")->text(),
                field("Right")->text()};
    }
};

} // namespace tovren::testing
