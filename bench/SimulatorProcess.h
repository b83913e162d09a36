// kvetral-sim as its own process for the benchmarks that measure the program against it: started
// with a link in a fresh folder, ended (SIGTERM) and cleaned up when the object goes; it dies with
// the benchmark.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

class SimulatorProcess {
 public:
  // Runs `executable --baud 921600 [extra...] --link <folder>/ttyKVbench`; true once the link is there.
  bool Start(const std::string& executable, const std::vector<std::string>& extra = {}) {
    char folderTemplate[] = "/tmp/mirvo_bench.XXXXXX";
    if (!mkdtemp(folderTemplate)) return false;
    folder_ = folderTemplate;
    link_ = folder_ + "/ttyKVbench";
    std::vector<std::string> args = {executable, "--baud", "921600"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"--link", link_});
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      const int devNull = open("/dev/null", O_WRONLY);
      if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      std::fprintf(stderr, "cannot run %s\n", executable.c_str());
      _exit(127);
    }
    // The simulator makes its link once its pseudo-terminal serves.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    struct stat info{};
    while (std::chrono::steady_clock::now() < deadline) {
      if (stat(link_.c_str(), &info) == 0) return true;
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  ~SimulatorProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
    }
    if (!link_.empty()) unlink(link_.c_str());
    if (!folder_.empty()) rmdir(folder_.c_str());
  }
  pid_t Pid() const { return pid_; }
  const std::string& Link() const { return link_; }

 private:
  pid_t pid_ = -1;
  std::string folder_;
  std::string link_;
};
