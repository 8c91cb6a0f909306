#pragma once

#include "linkstore/linkrecord.h"

#include <cstddef>
#include <functional>
#include <string>

namespace tovren {

// What both hosts' saves and loads share, between the file interface and a LinkRecord.

// The bytes a record is saved as on this host: its texts in the host's code page, each
// followed by CR LF.
std::string savedBytes(const LinkRecord& record);

// Fills the buffer with the file's next bytes and returns how many; 0 at the end of the file.
using ReadSome = std::function<std::size_t(char* buffer, std::size_t size)>;

// Reads the first four lines of the file at `path` through `readSome`, stopping once they are
// in hand, and converts them from the host's code page. Throws InputPastEndOfFile when the
// file has fewer lines, and OtherFailure when they are too long to fit in memory.
LinkRecord readRecord(const std::string& path, const ReadSome& readSome);

} // namespace tovren
