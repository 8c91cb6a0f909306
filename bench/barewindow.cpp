// The floors for Tovren's start-up: Qt alone, one empty window of Form1's size and title; and,
// with --with-caption, the same window showing one line of text, which is what it costs Qt to
// load its font database at all.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv) {
    const bool withCaption = argc > 1 && std::strcmp(argv[1], "--with-caption") == 0;
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Link Map to other Maps!"));
    window.resize(312, 247);
    if (withCaption) {
        auto* label = new QLabel(QStringLiteral("Going Up!"), &window);
        label->setGeometry(48, 32, 73, 25);
    }
    window.show();
    return QApplication::exec();
}
