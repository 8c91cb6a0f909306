#include "app/identity.h"
#include "app/shell.h"
#include "support/form1fixture.h"
#include "support/messageboxwatcher.h"
#include "support/temporarydirectory.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace tovren {

using testing::MessageBoxWatcher;
using testing::readBytes;
using testing::TemporaryDirectory;
using testing::writeBytes;

class ShellTest : public testing::Form1Fixture {
    Q_OBJECT

private:
    void click(const char* buttonName) { QTest::mouseClick(button(buttonName), Qt::LeftButton); }

private slots:
    void initTestCase() { applyIdentity(*qApp); }

    void init() {
        directory = std::make_unique<TemporaryDirectory>();
        window =
            std::make_unique<Form1>(QString::fromUtf8(identity::applicationTitle), deliverClick);
        window->setLinkDirectory(directory->path());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() {
        window.reset();
        directory.reset();
    }

    void shouldCarryTitleVersionAndGlobeIcon() {
        // The name is the windows' class, which desktop entries match; people see "Tovren!".
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Tovren"));
        QCOMPARE(QApplication::applicationVersion(), QStringLiteral("1.00"));
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
        QVERIFY(icon.availableSizes().contains(QSize(64, 64)));
        QCOMPARE(window->windowIcon().cacheKey(), icon.cacheKey());
        // No display name is set, so nothing is appended to the window's title.
        QCOMPARE(window->windowHandle()->title(), QStringLiteral("Link Map to other Maps!"));
    }

    void shouldReportAFailedLoadAndKeepTheWindowAndFields() {
        fill("map9", {"keep1", "keep2", "keep3", "keep4"});
        MessageBoxWatcher watcher;
        click("Command2");
        QCOMPARE(watcher.boxes().size(), std::size_t{1});
        const auto& box = watcher.boxes().front();
        QCOMPARE(box.title, QStringLiteral("Tovren!"));
        QCOMPARE(box.text,
                 QString::fromStdString("File not found: " + directory->file("map9.link")));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(window->isVisible());
        QCOMPARE(neighbours(), (QStringList{"keep1", "keep2", "keep3", "keep4"}));
        QCOMPARE(field("mapname")->text(), QStringLiteral("map9"));
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command2"));
    }

    void shouldReportAShortFileWithoutChangingAField() {
        writeBytes(directory->file("map1.link"), "a\r\nb\r\n");
        fill("map1", {"keep1", "keep2", "keep3", "keep4"});
        MessageBoxWatcher watcher;
        click("Command2");
        QCOMPARE(watcher.boxes().size(), std::size_t{1});
        QVERIFY(watcher.boxes().front().text.startsWith("Input past end of file: "));
        QCOMPARE(neighbours(), (QStringList{"keep1", "keep2", "keep3", "keep4"}));
    }

    void shouldKeepTheWindowOpenAfterAFailedDoneSoTheUserCanRetry() {
        fill("nowhere/map1", {"a", "b", "c", "d"});
        MessageBoxWatcher watcher;
        click("Command1");
        QCOMPARE(watcher.boxes().size(), std::size_t{1});
        QVERIFY(watcher.boxes().front().text.startsWith("Path not found: "));
        QVERIFY(window->isVisible());
        QCOMPARE(neighbours(), (QStringList{"a", "b", "c", "d"}));

        field("mapname")->setText("map1"); // the user corrects the name and tries again
        click("Command1");
        QCOMPARE(watcher.boxes().size(), std::size_t{1});
        QCOMPARE(readBytes(directory->file("map1.link")), std::string("a\r\nb\r\nc\r\nd\r\n"));
        QVERIFY(!window->isVisible());
    }

    void shouldShowNoMessageWhenCommandsSucceed() {
        MessageBoxWatcher watcher;
        fill("map1", {"a", "", "", ""});
        click("Command1");
        QVERIFY(watcher.boxes().empty());
    }
};

} // namespace tovren

QTEST_MAIN(tovren::ShellTest)
#include "shell_test.moc"
