#pragma once
// The few file-system calls the image files, the loaders and the backups folder need, in
// this system's own terms: descriptors and flock on POSIX (native_files_posix.cpp), handles
// opened without sharing on Windows (native_files_win.cpp). Paths are UTF-8. A failure
// leaves errno set as POSIX would (EEXIST, ENOENT, EACCES, EWOULDBLOCK for a file another
// operation holds, ENOSPC, EIO otherwise), so the callers read the same on both.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace tarvex::native {

// What joins a folder and a name in the paths this system's users read.
// And every character that ends a folder's part of a path.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr const char* kSeparators = "\\/";
#else
inline constexpr char kSeparator = '/';
inline constexpr const char* kSeparators = "/";
#endif

// An open file: a descriptor or a handle.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum class OpenMode {
  kCreateAlways,  // created, or an existing one emptied once it is held
  kCreateNew,     // created; an existing name (a symbolic link included) is refused
  kCreateNewPrivate,  // as kCreateNew, for this account's eyes only (the profile's own
                      // folder already is on Windows)
  kReadExisting,  // an existing file, for reading
};

// Opened and held exclusively: while it is open no other operation opens it. A file
// another operation holds is refused (EWOULDBLOCK) and left as it is.
FileHandle openHeld(const std::string& path, OpenMode mode);

enum class Existing { kOpened, kMissing, kNotRegularFile, kFailed };
// Opens an existing regular file for reading, held exclusively, without ever opening a
// directory, FIFO or device (a FIFO would block, a device may act on being opened).
Existing openExistingRegular(const std::string& path, FileHandle* file);

// Holds an existing regular file against every other operation's hold, write or
// replacement until closed, as openExistingRegular does; where the system lets the choice
// be made (Windows), others may still read it meanwhile.
Existing holdExistingRegular(const std::string& path, FileHandle* file);

// What a path names now, without opening it: nothing, a regular file, or something else (a
// folder, a device, a FIFO). A symbolic link counts as what it points to, or as nothing when
// it points nowhere; `ownEntry` asks about the link itself instead (any link is kOther).
enum class PathKind { kNothing, kRegularFile, kOther };
PathKind kindOf(const std::string& path, bool ownEntry = false);

// All of count bytes, or false.
bool writeAll(FileHandle file, const std::uint8_t* bytes, std::size_t count);
// Up to count bytes; fewer only at the end of the file. -1 on a read error.
long readUpTo(FileHandle file, std::uint8_t* bytes, std::size_t count);
// The open file's size, or -1.
long long sizeOf(FileHandle file);
// Flushes what was written to the disk (when `flush`) and closes. False if anything written
// may not have been stored.
bool close(FileHandle file, bool flush);

// Puts `from` under `to`, replacing a file there, which `held` (when not kNoFile) holds open
// for this operation. The hold is given up by the time it returns: after the move where
// the system lets a held file be replaced, just before it where it does not. Flushes the
// move where the system can.
bool replaceHeld(const std::string& from, const std::string& to, FileHandle held);
// Puts `from` under `to` unless something is there already (false with errno EEXIST).
bool moveWithoutReplacing(const std::string& from, const std::string& to);
// Flushes the folder's entries, so a rename in it survives a power cut. True where the
// system has nothing to flush.
bool syncFolder(const std::string& folder);

// A UTF-8 path for std::filesystem, which on Windows would read a narrow string in the
// ANSI code page; and back.
inline std::filesystem::path fsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// This process, for names no other process takes.
long processId();
// The local time of `when`.
std::tm localTime(std::time_t when);

}  // namespace tarvex::native
