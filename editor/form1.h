#pragma once

#include "editor/editorview.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace tovren {

// The program's one window: four neighbour fields, the map name, and the buttons Load
// (Command2) and Done (Command1), built from the table form1Layout (editor/form1layout.h).
class Form1 : public QWidget, public EditorView {
    Q_OBJECT

public:
    // Runs the command behind a click. The shell passes one that reports file failures.
    using ClickDelivery = std::function<void(Form1& window, const std::function<void()>& command)>;

    // Message boxes carry `messageTitle`, the application's title.
    explicit Form1(QString messageTitle, ClickDelivery deliverClick = runClick,
                   QWidget* parent = nullptr);

    // Where Done and Load keep link files; the program's own directory unless set.
    void setLinkDirectory(std::string directory);

    std::string fieldText(EditorField field) const override;
    void setFieldText(EditorField field, const std::string& text) override;
    void showWarning(const std::string& message) override;
    void unloadWindow() override;

    // A modal box over the window with one OK button; the focus comes back afterwards.
    void showMessage(QMessageBox::Icon icon, const QString& text);

    // Runs the command for a window with no shell around it. A file failure is told in a box
    // over the window, which stays open: no exception may unwind through Qt's event loop.
    static void runClick(Form1& window, const std::function<void()>& command);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void connectButtons();
    QLineEdit& lineEdit(EditorField field) const;
    void click(void (*command)(EditorView&, const std::string&));

    QString messageTitle_;
    ClickDelivery deliverClick_;
    std::string linkDirectory_;
    std::array<QLineEdit*, 5> fields_{}; // by EditorField
    QPushButton* done_ = nullptr;        // Command1
    QPushButton* load_ = nullptr;        // Command2
};

} // namespace tovren
