#pragma once

#include <cstddef>
#include <string>

namespace tovren {

// A file of the folder opened to read from its start, a piece at a time, on the host's file
// interface: what Tovren reads beside the link files without keeping them. A folder, a device
// or a pipe in the file's place is refused without being read.
class FileReader {
public:
    // Throws FileFailure.
    explicit FileReader(const std::string& path);
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // Up to `most` bytes into `into`: 0 at the end of the file. Throws FileFailure.
    std::size_t read(char* into, std::size_t most);

private:
    std::string path_;
    void* handle_; // the host's own
};

// Appends the rest of the file to `text`. Throws FileFailure.
inline void readToEnd(FileReader& file, std::string& text) {
    constexpr std::size_t piece = std::size_t{1} << 16U;
    for (;;) {
        const std::size_t had = text.size();
        text.resize(had + piece);
        const std::size_t count = file.read(text.data() + had, piece);
        text.resize(had + count);
        if (count == 0) {
            return;
        }
    }
}

} // namespace tovren
