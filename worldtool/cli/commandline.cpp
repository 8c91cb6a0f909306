#include "worldtool/cli/commandline.h"

#ifdef _WIN32
#include "linkstore/windows/widetext.h"

#include <windows.h>
// (after windows.h, which it needs)
#include <shellapi.h>
#endif

namespace tovren {

#ifdef _WIN32

std::vector<std::string> commandLineArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int index = 0; wide != nullptr && index < count; ++index) {
        arguments.push_back(fromWide(wide[index]));
    }
    ::LocalFree(wide);
    return arguments;
}

void useUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

#else

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return {argv, argv + argc};
}

void useUtf8Console() {}

#endif

} // namespace tovren
