// A built program run as a child process for tests, its stdout and stderr on pipes: wait for a line
// it prints, signal it, collect its output and exit status. Every wait is on the child's own events
// (poll on its pipes) with a guard deadline that only keeps a broken child from hanging the test.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace mirvo::test {

class Subprocess {
 public:
  static constexpr int kGuardMs = 60000;

  // Starts `program` with `args`; `environment` entries "NAME=value" replace or add to the
  // inherited ones. stdin is /dev/null.
  Subprocess(const std::string& program, const std::vector<std::string>& args,
             const std::vector<std::string>& environment = {}) {
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
      CloseAll(out, err);
      return;
    }
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText = environment;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('=') + 1);
      bool replaced = false;
      for (const auto& own : environment) replaced = replaced || own.compare(0, name.size(), name) == 0;
      if (!replaced) envText.push_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
      pid_ = -1;
      ::close(out[0]);
      ::close(err[0]);
      return;
    }
    outFd_ = out[0];
    errFd_ = err[0];
  }
  ~Subprocess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    if (outFd_ >= 0) ::close(outFd_);
    if (errFd_ >= 0) ::close(errFd_);
  }
  Subprocess(const Subprocess&) = delete;
  Subprocess& operator=(const Subprocess&) = delete;

  bool Started() const { return pid_ > 0; }

  // Reads until stdout holds a line (ended by '\n' or '\r') containing `text`, and returns that
  // line; nothing when the output ends or the guard passes first.
  std::optional<std::string> WaitForLine(const std::string& text, int guardMs = kGuardMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
    for (;;) {
      std::size_t lineStart = 0;
      for (std::size_t i = 0; i < out_.size(); ++i) {
        if (out_[i] != '\n' && out_[i] != '\r') continue;
        const std::string line = out_.substr(lineStart, i - lineStart);
        if (i >= scanned_ && line.find(text) != std::string::npos) {
          scanned_ = i + 1;
          return line;
        }
        lineStart = i + 1;
      }
      if (outFd_ < 0 || !PollOnce(end)) return std::nullopt;
    }
  }

  // Closes our end of the child's stdout: its next write meets a broken pipe.
  void CloseOutput() {
    if (outFd_ >= 0) ::close(outFd_);
    outFd_ = -1;
  }

  void Signal(int signal) const {
    if (pid_ > 0 && !exited_) ::kill(pid_, signal);
  }

  // Reads both pipes to their end and reaps the child. Returns its exit status, 128 + the signal
  // that ended it, or -1 when the guard passed (the child is then killed).
  int Wait(int guardMs = kGuardMs) {
    if (pid_ <= 0) return -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
    bool guardPassed = false;
    while (!guardPassed && (outFd_ >= 0 || errFd_ >= 0)) guardPassed = !PollOnce(end);
    if (guardPassed) ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exited_ = true;
    if (guardPassed) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
  }

  const std::string& Out() const { return out_; }
  const std::string& Err() const { return err_; }

 private:
  static void CloseAll(int out[2], int err[2]) {
    for (int fd : {out[0], out[1], err[0], err[1]})
      if (fd >= 0) ::close(fd);
  }

  // Waits for output on either pipe and takes it; false when the guard passed.
  bool PollOnce(std::chrono::steady_clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    const int n = ::poll(fds, 2, static_cast<int>(left.count()));
    if (n < 0) return errno == EINTR;
    if (n == 0) return false;
    Take(fds[0], outFd_, out_);
    Take(fds[1], errFd_, err_);
    return true;
  }
  static void Take(const pollfd& p, int& fd, std::string& into) {
    if (fd < 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR))) return;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      ::close(fd);
      fd = -1;
    }
  }

  pid_t pid_ = -1;
  bool exited_ = false;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
  std::size_t scanned_ = 0;
};

// The result of a program run to its end.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& environment = {}) {
  Subprocess child(program, args, environment);
  RunResult result;
  result.status = child.Wait();
  result.out = child.Out();
  result.err = child.Err();
  return result;
}

}  // namespace mirvo::test
