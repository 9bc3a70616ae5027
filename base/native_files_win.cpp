// The file-system calls of native_files.h on Windows: handles opened with no sharing (the
// system's own exclusive hold), FlushFileBuffers, MoveFileExW. Paths go to the wide calls
// as UTF-16, so Cyrillic folder and file names work whatever the ANSI code page is.

#include <windows.h>

#include <cctype>
#include <cerrno>

#include "base/native_files.h"
#include "base/wide_path.h"

namespace tarvex::native {
namespace {

// The names Windows keeps for devices in every folder, with any extension ("NUL",
// "com3.bin", "C:\\x\\aux.txt"), and the device namespace itself ("\\\\.\\COM3").
bool namesADevice(const std::string& path) {
  if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("\\\\?\\GLOBALROOT", 0) == 0) return true;
  const auto slash = path.find_last_of(kSeparators);
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.size() > 1 && name[1] == ':' && slash == std::string::npos) name = name.substr(2);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (name == device) return true;
  }
  return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// The POSIX meaning of the latest system error, for callers written against errno.
void setErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      errno = EEXIST;
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      errno = EACCES;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      errno = EWOULDBLOCK;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    default:
      errno = EIO;
      break;
  }
}

FileHandle opened(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) {
    setErrnoFromLastError();
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(handle);
}

}  // namespace

FileHandle openHeld(const std::string& path, OpenMode mode) {
  if (namesADevice(path)) {
    errno = EACCES;
    return kNoFile;
  }
  DWORD access = GENERIC_WRITE;
  DWORD disposition = OPEN_ALWAYS;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  switch (mode) {
    case OpenMode::kCreateAlways:
      // OPEN_ALWAYS, then emptied: a file another operation holds fails the open itself
      // (no sharing), so it is never truncated.
      break;
    case OpenMode::kCreateNew:
    case OpenMode::kCreateNewPrivate:
      disposition = CREATE_NEW;
      // A reparse point (a symbolic link) of that name exists, so CREATE_NEW refuses it.
      flags |= FILE_FLAG_OPEN_REPARSE_POINT;
      break;
    case OpenMode::kReadExisting:
      access = GENERIC_READ;
      disposition = OPEN_EXISTING;
      break;
  }
  // Share mode 0: no other open of the file succeeds while this handle lives.
  const FileHandle file =
      opened(CreateFileW(widePath(path).c_str(), access, 0, nullptr, disposition, flags, nullptr));
  if (file == kNoFile || mode != OpenMode::kCreateAlways) return file;
  if (GetFileType(handleOf(file)) == FILE_TYPE_DISK && !SetEndOfFile(handleOf(file))) {
    setErrnoFromLastError();
    CloseHandle(handleOf(file));
    return kNoFile;
  }
  return file;
}

namespace {

// Opens an existing regular file with the access and sharing given; a folder or a device
// is never opened: opening some has effects of their own.
Existing openRegular(const std::string& path, DWORD access, DWORD share, FileHandle* file) {
  *file = kNoFile;
  if (namesADevice(path)) return Existing::kNotRegularFile;
  const std::wstring wide = widePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Existing::kMissing
                                                                          : Existing::kFailed;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Existing::kNotRegularFile;
  const FileHandle candidate = opened(
      CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (candidate == kNoFile) return Existing::kFailed;
  if (GetFileType(handleOf(candidate)) != FILE_TYPE_DISK) {
    CloseHandle(handleOf(candidate));
    return Existing::kNotRegularFile;
  }
  *file = candidate;
  return Existing::kOpened;
}

}  // namespace

Existing openExistingRegular(const std::string& path, FileHandle* file) {
  return openRegular(path, GENERIC_READ, 0, file);
}

// Held as a writer holds it, nothing written: a reader that shares writing (as every plain
// reader does) gets in, while another hold, an exclusive open, a writer or a replacement
// does not.
Existing holdExistingRegular(const std::string& path, FileHandle* file) {
  return openRegular(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, file);
}

PathKind kindOf(const std::string& path, bool ownEntry) {
  if (namesADevice(path)) return PathKind::kOther;
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNothing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::kOther;
  if (ownEntry && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return PathKind::kOther;
  return PathKind::kRegularFile;
}

bool writeAll(FileHandle file, const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    DWORD done = 0;
    if (!WriteFile(handleOf(file), bytes, chunk, &done, nullptr) || done == 0) {
      setErrnoFromLastError();
      return false;
    }
    bytes += done;
    count -= done;
  }
  return true;
}

long readUpTo(FileHandle file, std::uint8_t* bytes, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    const std::size_t left = count - total;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD done = 0;
    if (!ReadFile(handleOf(file), bytes + total, chunk, &done, nullptr)) {
      setErrnoFromLastError();
      return -1;
    }
    if (done == 0) break;
    total += done;
  }
  return static_cast<long>(total);
}

long long sizeOf(FileHandle file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handleOf(file), &size)) return -1;
  return size.QuadPart;
}

bool close(FileHandle file, bool flush) {
  bool ok = true;
  if (flush && !FlushFileBuffers(handleOf(file))) ok = false;
  if (!CloseHandle(handleOf(file))) ok = false;
  return ok;
}

bool replaceHeld(const std::string& from, const std::string& to, FileHandle held) {
  // A file open without sharing cannot be replaced: the hold ends just before the move.
  if (held != kNoFile) CloseHandle(handleOf(held));
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  setErrnoFromLastError();
  return false;
}

bool moveWithoutReplacing(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  setErrnoFromLastError();
  return false;
}

// NTFS journals its folder entries and the moves above are write-through: nothing to flush.
bool syncFolder(const std::string&) { return true; }

long processId() { return static_cast<long>(GetCurrentProcessId()); }

std::tm localTime(std::time_t when) {
  std::tm local{};
  localtime_s(&local, &when);
  return local;
}

}  // namespace tarvex::native
