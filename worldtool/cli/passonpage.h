#pragma once

#include <string>

namespace tovren {

// A page that passes the browser on to an address, in a file that only this user may read, in a
// folder of its own made for it: the browser is started on the file, so that the address, and
// the secret it holds, shows in no program's arguments, which every user of the machine may
// read. The file and its folder go when this does.
class PassOnPage {
public:
    // Throws std::runtime_error where the file cannot be written.
    explicit PassOnPage(const std::string& url);
    PassOnPage(const PassOnPage&) = delete;
    PassOnPage& operator=(const PassOnPage&) = delete;
    ~PassOnPage();

    const std::string& file() const { return file_; }

private:
    std::string folder_;
    std::string file_;
};

} // namespace tovren
