#include "app/shell.h"

#include "app/identity.h"
#include "linkstore/linkfile.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

namespace tovren {

namespace {

// The release package for Linux carries its own Qt in .tovren/ beside the program, its
// libraries found through the program's RUNPATH. Its plugins are looked for there and nowhere
// else, so that no plugin of another Qt on the system is loaded. A build from source has no
// such folder and uses the system's Qt.
void useCarriedQtPlugins() {
    const QString plugins =
        QString::fromStdString(programDirectory()) + QStringLiteral("/.tovren/plugins");
    if (QFileInfo(plugins).isDir()) {
        QCoreApplication::setLibraryPaths({plugins});
    }
}

} // namespace

int runTovren(const char* programName) {
    useCarriedQtPlugins();
    int argumentCount = 1;
    char* arguments[] = {const_cast<char*>(programName), nullptr};
    QApplication application(argumentCount, arguments);
    applyIdentity(application);
    Form1 window(QString::fromUtf8(identity::applicationTitle), deliverClick);
    window.show();
    return QApplication::exec();
}

void applyIdentity(QApplication& application) {
    // The name gives the windows their class; the product name "Tovren!" titles the message
    // boxes. No display name: it would be appended to every window title.
    QApplication::setApplicationName(QString::fromUtf8(identity::programName));
    QApplication::setApplicationVersion(QString::fromUtf8(identity::version));
    // Sizes up to 64 pixels keep the icon sharp at twice the usual scale; larger ones would cost
    // start-up time, as every size is decoded and handed to the window system at once.
    QIcon globe;
    for (const int size : {16, 32, 48, 64}) {
        globe.addFile(QStringLiteral(":/tovren/globe-%1.png").arg(size), QSize(size, size));
    }
    application.setWindowIcon(globe);
}

void deliverClick(Form1& window, const std::function<void()>& command) {
    try {
        command();
    } catch (const FileFailure& failure) {
        reportFatalFailure(window, failure);
    }
}

void reportFatalFailure(Form1& window, const FileFailure& failure) {
    window.showMessage(QMessageBox::Critical, QString::fromStdString(failure.description()));
}

} // namespace tovren
