#pragma once
// What the tests do differently on POSIX and on Windows: the special files one system has
// and the other lacks, a hold on a file as another program would take it, the environment.

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace tarvex::test {

#ifdef _WIN32
inline constexpr const char* kNullDevice = "NUL";
// Windows has no file that opens and then fails every read.
inline constexpr const char* kUnreadableFile = "";
#else
inline constexpr const char* kNullDevice = "/dev/null";
// Memory at address 0 is never mapped: the file opens and every read of it fails.
inline constexpr const char* kUnreadableFile = "/proc/self/mem";
#endif

// A FIFO at path; false where the system has none (Windows), and the check is skipped.
inline bool makeFifo(const std::filesystem::path& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

// Holds a file as another operation holding it exclusively would, until destroyed.
class ForeignHold {
 public:
  explicit ForeignHold(const std::filesystem::path& path) {
#ifdef _WIN32
    handle_ = CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
#endif
  }
  ~ForeignHold() {
#ifdef _WIN32
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
    if (fd_ >= 0) ::close(fd_);
#endif
  }
  ForeignHold(const ForeignHold&) = delete;
  ForeignHold& operator=(const ForeignHold&) = delete;
  bool held() const {
#ifdef _WIN32
    return handle_ != INVALID_HANDLE_VALUE;
#else
    return fd_ >= 0;
#endif
  }

 private:
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
};

// The value is UTF-8; on Windows it reaches both the C runtime's copy of the environment
// and the system's, in UTF-16.
inline void setEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  const int size = MultiByteToWideChar(CP_UTF8, 0, value.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, value.c_str(), -1, wide.data(), size);
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  _wputenv_s(wideName.c_str(), wide.c_str());
  SetEnvironmentVariableW(wideName.c_str(), wide.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

inline void unsetEnv(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
  SetEnvironmentVariableA(name, nullptr);
#else
  ::unsetenv(name);
#endif
}

}  // namespace tarvex::test
