#pragma once
// The real tarvex-cli run as a child process, its standard output and error collected
// through pipes, every wait bounded so a hung program fails the test instead of CI.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace tarvex::cli::test {

class ChildProcess {
 public:
  // Starts the program with the arguments, HOME set to home (for the base files), and the
  // standard descriptors in `closed` closed, as a shell's `2>&-` leaves them.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& home, const std::vector<int>& closed = {}) {
    // Everything the child needs is made here: between fork and exec it only calls what
    // is safe in a copy of a process with other threads (the emulator's) running.
    std::vector<std::string> environment{"HOME=" + home};
    for (char** e = environ; *e; ++e) {
      if (std::string(*e).rfind("HOME=", 0) != 0) environment.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
      ::close(out[0]);
      ::close(out[1]);
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      for (const int fd : closed) ::close(fd);
      ::execve(program.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~ChildProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }

  // Collects output until `until` holds for the standard output, or both pipes close, or
  // the bound passes. True when `until` held (or, without one, the pipes closed).
  bool collect(std::chrono::milliseconds bound,
               const std::function<bool(const std::string&)>& until = {}) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (out_ >= 0 || err_ >= 0) {
      if (until && until(stdout_)) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
      if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
      drain(fds[0], &out_, &stdout_);
      drain(fds[1], &err_, &stderr_);
    }
    return until ? until(stdout_) : true;
  }

  // Waits for the program to end: its exit status, or -1 when it did not end in time or
  // was ended by a signal.
  int wait(std::chrono::milliseconds bound) {
    if (pid_ <= 0) return -1;
    collect(bound);
    const auto deadline = std::chrono::steady_clock::now() + bound;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      ::usleep(10000);
    }
    return -1;
  }

  void signal(int number) {
    if (pid_ > 0) ::kill(pid_, number);
  }
  const std::string& out() const { return stdout_; }
  const std::string& err() const { return stderr_; }

 private:
  static void drain(const pollfd& p, int* fd, std::string* into) {
    if (*fd < 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR))) return;
    char buffer[4096];
    const ssize_t n = ::read(*fd, buffer, sizeof buffer);
    if (n > 0) {
      into->append(buffer, static_cast<std::size_t>(n));
    } else {
      ::close(*fd);
      *fd = -1;
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
  std::string stdout_;
  std::string stderr_;
};

}  // namespace tarvex::cli::test
