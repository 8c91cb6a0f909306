#pragma once

#include <string>
#include <string_view>

namespace tovren::testing {

// A fresh directory for one test, removed with everything in it when the test ends. Others may
// look into it, so that a test running as an unprivileged user can reach its files.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    ~TemporaryDirectory();

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, std::string_view bytes);

} // namespace tovren::testing
