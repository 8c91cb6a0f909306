#pragma once

#include "filefailure.h"
#include "linkrecord.h"
#include "linkstoreapi.h"

#include <cstddef>
#include <string>

namespace tovren {

// The absolute path of the directory holding the running executable (symbolic links
// resolved), never the working directory. Only a root directory ends with a separator.
TOVREN_LINKSTORE_API std::string programDirectory();

// Where the link file of a map lives: directory, one separator, the name as typed, ".link".
// The parts are joined as they are: nothing is trimmed, checked or normalised.
TOVREN_LINKSTORE_API std::string linkFilePath(const std::string& directory,
                                              const std::string& mapName);

// Writes the record as four CR LF-terminated lines from the first byte of the file, creating
// it when missing and never emptying it first, so bytes past the new content stay. Other
// writers (another Tovren among them) are refused while it is open, readers are not. Returns
// only once the bytes are on the device; throws FileFailure otherwise.
TOVREN_LINKSTORE_API void saveLinkFile(const std::string& path, const LinkRecord& record);

// Saves the record as saveLinkFile does, into a file it makes: never over a file that is there
// already, nor through a symbolic link (or on Windows, any reparse point) in its place, even one
// that leads nowhere. Throws FileFailure; AccessDenied where something has that name.
TOVREN_LINKSTORE_API void createLinkFile(const std::string& path, const LinkRecord& record);

// Reads the first four lines of a link file; anything after the fourth is ignored. Another
// Tovren's save of the file in progress is waited for (up to two seconds), so that the lines
// never come from two records. Throws FileFailure, InputPastEndOfFile when the file has fewer
// than four lines.
TOVREN_LINKSTORE_API LinkRecord loadLinkFile(const std::string& path);

// As loadLinkFile, for a program that reads link files that anyone may have put there, such as
// a world's: it reads no more than `mostBytes` looking for the four lines, and without them
// throws OtherFailure ("larger than any link file").
TOVREN_LINKSTORE_API LinkRecord loadLinkFile(const std::string& path, std::size_t mostBytes);

} // namespace tovren
