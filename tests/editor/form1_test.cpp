#include "editor/form1.h"
#include "linkstore/linkfile.h"
#include "support/form1fixture.h"
#include "support/messageboxwatcher.h"
#include "support/temporarydirectory.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

namespace tovren {

using testing::MessageBoxWatcher;
using testing::readBytes;
using testing::TemporaryDirectory;
using testing::writeBytes;

class Form1Test : public testing::Form1Fixture {
    Q_OBJECT

private:
    QString focusName() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    void showWindow() {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    std::string linkFile(const std::string& name) const { return directory->file(name); }

private slots:
    // Boxes are titled by the window, not by the application's name.
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Tovren")); }

    void init() {
        directory = std::make_unique<TemporaryDirectory>();
        window = std::make_unique<Form1>(QStringLiteral("Tovren!"));
        window->setLinkDirectory(directory->path());
    }

    void cleanup() {
        window.reset();
        directory.reset();
    }

    void shouldLayOutEveryControlAtItsPlaceWithItsCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Label5") << "Label5"
                                << "QLabel"
                                << "Filename of maps ie: map1 " << QRect(40, 0, 241, 17);
        QTest::newRow("Label1") << "Label1"
                                << "QLabel"
                                << "Going Up!" << QRect(48, 32, 73, 25);
        QTest::newRow("Label2") << "Label2"
                                << "QLabel"
                                << "Going Down!" << QRect(168, 32, 73, 25);
        QTest::newRow("Up") << "Up"
                            << "QLineEdit"
                            << "" << QRect(48, 48, 113, 19);
        QTest::newRow("Down") << "Down"
                              << "QLineEdit"
                              << "" << QRect(168, 48, 113, 19);
        QTest::newRow("Label3") << "Label3"
                                << "QLabel"
                                << "Going Left!" << QRect(48, 88, 73, 25);
        QTest::newRow("Label4") << "Label4"
                                << "QLabel"
                                << "Going Right!" << QRect(168, 88, 73, 25);
        QTest::newRow("Left1") << "Left1"
                               << "QLineEdit"
                               << "" << QRect(48, 104, 113, 19);
        QTest::newRow("Right") << "Right"
                               << "QLineEdit"
                               << "" << QRect(168, 104, 113, 19);
        QTest::newRow("Label6") << "Label6"
                                << "QLabel"
                                << "Mapname" << QRect(0, 152, 81, 25);
        QTest::newRow("mapname") << "mapname"
                                 << "QLineEdit"
                                 << "" << QRect(96, 160, 201, 19);
        QTest::newRow("Command2") << "Command2"
                                  << "QPushButton"
                                  << "Load" << QRect(0, 208, 145, 33);
        QTest::newRow("Command1") << "Command1"
                                  << "QPushButton"
                                  << "Done" << QRect(152, 208, 145, 33);
    }

    void shouldLayOutEveryControlAtItsPlaceWithItsCaption() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        showWindow();
        auto* control = window->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->metaObject()->className(), kind);
        QCOMPARE(control->geometry(), geometry);
        QVERIFY(control->isVisible());
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), caption);
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        } else if (auto* push = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(push->text(), caption);
        }
    }

    void shouldHaveItsTitleSizeAndThirteenControls() {
        showWindow();
        QCOMPARE(window->objectName(), QStringLiteral("Form1"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Link Map to other Maps!"));
        QCOMPARE(window->size(), QSize(312, 247));
        QCOMPARE(window->minimumSize(), QSize(312, 247));
        QCOMPARE(window->maximumSize(), QSize(312, 247));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QCOMPARE(window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 13);
    }

    void shouldShowItselfToScreenReadersAsAWindowReadTopToBottom() {
        QCOMPARE(field("Up")->accessibleName(), QStringLiteral("Going Up!"));
        QCOMPARE(field("Down")->accessibleName(), QStringLiteral("Going Down!"));
        QCOMPARE(field("Left1")->accessibleName(), QStringLiteral("Going Left!"));
        QCOMPARE(field("Right")->accessibleName(), QStringLiteral("Going Right!"));
        QCOMPARE(field("mapname")->accessibleName(), QStringLiteral("Mapname"));
        QCOMPARE(field("mapname")->accessibleDescription(),
                 QStringLiteral("Filename of maps ie: map1 "));
        QAccessibleInterface* form = QAccessible::queryAccessibleInterface(window.get());
        QCOMPARE(form->role(), QAccessible::Window);
        QCOMPARE(form->text(QAccessible::Name), QStringLiteral("Link Map to other Maps!"));
        QStringList readingOrder;
        for (int i = 0; i < form->childCount(); ++i) {
            readingOrder << form->child(i)->object()->objectName();
        }
        QCOMPARE(readingOrder,
                 (QStringList{"Label5", "Label1", "Label2", "Up", "Down", "Label3", "Label4",
                              "Left1", "Right", "Label6", "mapname", "Command2", "Command1"}));
    }

    void shouldFitEveryCaptionInItsControl() {
        showWindow();
        for (auto* label : window->findChildren<QLabel*>()) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
        }
    }

    void shouldDrawFieldsAboveTheLabelsTheyOverlap() {
        showWindow();
        // Label1 spans y 32..56 and Up starts at y 48: their overlap belongs to the field.
        QCOMPARE(window->childAt(60, 52), field("Up"));
        QCOMPARE(window->childAt(180, 108), field("Right"));
        QCOMPARE(window->childAt(10, 170), window->findChild<QLabel*>("Label6"));
    }

    void shouldStartWithEmptyFieldsAndTheFocusOnDone() {
        showWindow();
        for (const QString& text : neighbours()) {
            QVERIFY(text.isEmpty());
        }
        QVERIFY(field("mapname")->text().isEmpty());
        QCOMPARE(focusName(), QStringLiteral("Command1"));
    }

    void shouldMoveTheFocusInTabOrderBothWays() {
        showWindow();
        const QStringList forward{"Up",      "Down",     "Left1",   "Right",
                                  "mapname", "Command2", "Command1"};
        for (const QString& expected : forward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(focusName(), expected);
        }
        const QStringList backward{"Command2", "mapname", "Right",   "Left1",
                                   "Down",     "Up",      "Command1"};
        for (const QString& expected : backward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(focusName(), expected);
        }
    }

    void shouldRunDoneWithSpaceOnTheFocusedButtonAtOnce() {
        showWindow();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(readBytes(linkFile(".link")), std::string("\r\n\r\n\r\n\r\n"));
        QVERIFY(!window->isVisible());
    }

    void shouldRunDoneWithEnterOnTheFocusedButton() {
        showWindow();
        fill("map1", {"map0", "map2", "map3", "map4"});
        QTest::keyClick(button("Command1"), Qt::Key_Return);
        QCOMPARE(readBytes(linkFile("map1.link")), std::string("map0\r\nmap2\r\nmap3\r\nmap4\r\n"));
        QVERIFY(!window->isVisible());
    }

    void shouldRunLoadWithEnterOnTheFocusedButton() {
        writeBytes(linkFile("map1.link"), "a\r\nb\r\nc\r\nd\r\n");
        showWindow();
        field("mapname")->setText("map1");
        button("Command2")->setFocus();
        QTest::keyClick(button("Command2"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(neighbours(), (QStringList{"a", "b", "c", "d"}));
    }

    void shouldRunNothingOnEnterInAFieldOrOnEscape() {
        showWindow();
        fill("map1", {"a", "b", "c", "d"});
        for (const char* name : {"Up", "Down", "Left1", "Right", "mapname"}) {
            field(name)->setFocus();
            QTest::keyClick(field(name), Qt::Key_Return);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(window->isVisible());
        QVERIFY(!std::filesystem::exists(linkFile("map1.link")));
        QCOMPARE(neighbours(), (QStringList{"a", "b", "c", "d"}));
    }

    void shouldFillTheNeighboursOnALoadClickAndKeepTheFocusOnLoad() {
        writeBytes(linkFile("map1.link"), "map0\r\nmap2\r\nmap3\r\nmap4\r\n");
        showWindow();
        fill("map1", {"x", "x", "x", "x"});
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(neighbours(), (QStringList{"map0", "map2", "map3", "map4"}));
        QCOMPARE(field("mapname")->text(), QStringLiteral("map1"));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
        QVERIFY(window->isVisible());
    }

    void shouldWarnAboutAnEmptyMapNameAndGiveTheFocusBack() {
        showWindow();
        fill("", {"keep1", "keep2", "keep3", "keep4"});
        button("Command2")->setFocus();
        MessageBoxWatcher watcher;
        QTest::keyClick(button("Command2"), Qt::Key_Space);
        QCOMPARE(watcher.boxes().size(), std::size_t{1});
        const auto& box = watcher.boxes().front();
        QCOMPARE(box.title, QStringLiteral("Tovren!"));
        QCOMPARE(box.text, QStringLiteral("Please enter a mapname!"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(neighbours(), (QStringList{"keep1", "keep2", "keep3", "keep4"}));
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
    }

    void shouldKeepLineBreaksOutOfTheFields() {
        showWindow();
        field("Up")->setText("map\r\n2");
        QCOMPARE(field("Up")->text(), QStringLiteral("map2"));
        field("Down")->setFocus();
        QApplication::clipboard()->setText("pasted\nname\r");
        field("Down")->paste();
        QCOMPARE(field("Down")->text(), QStringLiteral("pastedname"));
        QCOMPARE(field("Down")->cursorPosition(), 10);
        field("Left1")->insert("\rleft\n");
        QCOMPARE(field("Left1")->text(), QStringLiteral("left"));
        field("mapname")->setFocus();
        QTest::keyClicks(field("mapname"), "map1");
        QCOMPARE(field("mapname")->text(), QStringLiteral("map1"));
    }

    void shouldCarryOneHundredThousandCharactersThroughDoneAndLoad() {
        const QString longName(100'000, QLatin1Char('n'));
        showWindow();
        fill("map1", {longName, "down", longName + "ä", ""});
        QCOMPARE(field("Up")->text().size(), 100'000);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        Form1 nextRun(QStringLiteral("Tovren!"));
        nextRun.setLinkDirectory(directory->path());
        nextRun.setFieldText(EditorField::mapname, "map1");
        QTest::mouseClick(nextRun.findChild<QPushButton*>("Command2"), Qt::LeftButton);
        QCOMPARE(nextRun.findChild<QLineEdit*>("Up")->text(), longName);
        QCOMPARE(nextRun.findChild<QLineEdit*>("Left1")->text(), longName + "ä");
    }

    void shouldWriteBackTheLinesLoadReadWithTheirLoneLineFeeds() {
        writeBytes(linkFile("map1.link"), "u\r\nd\nx\r\r\nr");
        showWindow();
        field("mapname")->setText("map1");
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(field("Down")->text(), QStringLiteral("d\nx"));
        // Typing and pasting into that line keep its own LF and bring in none of theirs.
        field("Down")->setFocus();
        field("Down")->end(false);
        QTest::keyClicks(field("Down"), "y");
        QApplication::clipboard()->setText("z\r\n");
        field("Down")->paste();
        QCOMPARE(field("Down")->text(), QStringLiteral("d\nxyz"));
        field("Down")->backspace();
        field("Down")->backspace();
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(readBytes(linkFile("map1.link")), std::string("u\r\nd\nx\r\n\r\nr\r\n"));
    }

    void shouldKeepItsSizeAndEveryControlInPlace() {
        showWindow();
        QList<QRect> before;
        for (auto* child : window->findChildren<QWidget*>()) {
            before << child->geometry();
        }
        window->resize(800, 600);
        window->resize(100, 100);
        QApplication::processEvents();
        QCOMPARE(window->size(), QSize(312, 247));
        QList<QRect> after;
        for (auto* child : window->findChildren<QWidget*>()) {
            after << child->geometry();
        }
        QCOMPARE(after, before);
    }

    void shouldSaveNothingWhenClosedByTheFrame() {
        showWindow();
        fill("map1", {"a", "b", "c", "d"});
        window->close();
        QVERIFY(std::filesystem::is_empty(directory->path()));
    }
};

} // namespace tovren

QTEST_MAIN(tovren::Form1Test)
#include "form1_test.moc"
