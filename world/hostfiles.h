#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovren {

// What a change of the world that touches many files (a map renamed or removed) needs of the
// host's files and folders beyond the store's saves; one implementation per host. Failures are
// FileFailure, worded as the store words its own.

// A file of the folder by its whole name: folder, one separator, name.
std::string pathInFolder(const std::string& folder, const std::string& fileName);

// What a path names, its last part not followed if it is a symbolic link.
enum class EntryType { None, File, Other }; // Other: a folder, a device, a pipe
EntryType entryType(const std::string& path);

// Gives the file `from` the second name `to` in the same folder (a hard link): both names lead
// to the same bytes until one is removed. Refuses, as AccessDenied, where `to` exists or the
// file system cannot give a file two names.
void addSecondName(const std::string& from, const std::string& to);

// Whether two paths name one file (after addSecondName), or two files, or not both exist.
enum class TwoNames { Neither, FirstOnly, SecondOnly, OneFile, TwoFiles };
TwoNames twoNames(const std::string& first, const std::string& second);

// Removes a name that is not a link file's (a map's .tmx beside it, a journal). Throws
// FileFailure; a name that is not there is not a failure.
void removeName(const std::string& path);

// Throws FileFailure (AccessDenied) if the file could not be changed so now: saved (another
// program holds it as a save holds it, or it may not be written) or removed (on Windows, held
// open by a program that keeps it from being removed, or read-only). A load that holds it a
// moment is waited for. A file that is not there is no failure here.
enum class FileChange { Save, Remove };
void refuseIfHeld(const std::string& path, FileChange change);

// Makes the folder's entries as they are now (names made, renamed, removed) last through a
// power cut. Where the host cannot, the folder is left as its file system keeps it.
void syncFolder(const std::string& folder);

// Writes a whole file, replacing what it held, and returns once its bytes are on the device.
void writeDurably(const std::string& path, const std::string& bytes);

// A whole file's bytes; none where there is no such file. Throws FileFailure otherwise.
std::optional<std::string> readWhole(const std::string& path);

// Keeps every other change of the world out of one folder while it is held: a rename or
// removal of maps holds it from its plan to its end, so two never interleave. The host lets
// it go when the process ends, however it ends.
class FolderLock {
public:
    // Takes it if no other process holds it; throws FileFailure where the folder cannot be
    // locked at all.
    static std::optional<FolderLock> tryToTake(const std::string& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&&) = delete;
    FolderLock(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(std::intptr_t held) : held_(held) {}
    std::intptr_t held_; // the host's handle of what is held
};

} // namespace tovren
