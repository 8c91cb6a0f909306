// How long Load takes to show a link file with long lines in Form1: from the click on Load to
// the window repainted with the four fields filled. Runs on the platform QT_QPA_PLATFORM names.
//
// Usage: longtext_bench [LINE_BYTES...]   (default: 1 KiB, 64 KiB, 1 MiB)
#include "editor/form1.h"
#include "linkstore/linkfile.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

double loadAndPaintMilliseconds(const std::string& directory, std::size_t lineBytes) {
    const std::string line(lineBytes, 'm');
    tovren::saveLinkFile(tovren::linkFilePath(directory, "map1"), {line, line, line, line});
    tovren::Form1 window(QStringLiteral("Tovren!"));
    window.setLinkDirectory(directory);
    window.setFieldText(tovren::EditorField::mapname, "map1");
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fputs("the window was not shown\n", stderr);
        std::exit(1);
    }
    auto* load = window.findChild<QPushButton*>(QStringLiteral("Command2"));
    const auto start = std::chrono::steady_clock::now();
    load->click();
    window.repaint(); // paints synchronously, with the long texts laid out
    QApplication::processEvents();
    const auto end = std::chrono::steady_clock::now();
    if (window.findChild<QLineEdit*>(QStringLiteral("Right"))->text().size() !=
        static_cast<qsizetype>(lineBytes)) {
        std::fputs("the fields were not filled\n", stderr);
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    }
    if (sizes.empty()) {
        sizes = {1 << 10, 64 << 10, 1 << 20};
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    const auto directory = std::filesystem::temp_directory_path() / "tovren-longtext-bench";
    std::filesystem::create_directories(directory);
    std::printf("%-14s %12s\n", "line bytes", "load + paint ms");
    for (const std::size_t size : sizes) {
        std::printf("%-14zu %12.1f\n", size, loadAndPaintMilliseconds(directory.string(), size));
    }
    std::filesystem::remove_all(directory);
    return 0;
}
