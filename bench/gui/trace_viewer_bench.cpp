// The trace viewer's figures against kvetral-sim at 921600 baud: traces shown per second in NRM mode,
// that rate against the bound the line and the simulator's re-arm time set for the trace polling
// loop, and the CPU the program uses meanwhile (the whole main window, the Trace Viewer pane drawing
// every block).
//
// Usage: trace_viewer_bench [--seconds N] [--sim PATH]   (QT_QPA_PLATFORM=offscreen, or a DISPLAY)
// The simulator runs as its own process (by default build/bin/kvetral-sim beside build/bin/bench/);
// its CPU is shown beside the program's, not counted in it.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDockWidget>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../SimulatorProcess.h"
#include "acquisition/LinkLifecycle.h"
#include "protocol/Packets.h"
#include "shell/Commands.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"
#include "traces/TraceViewer.h"
#include "traces/gui/COscopeView.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr double kBaud = 921600;
constexpr double kRearmMs = 20;  // the simulator arms the next trace this long after a trace read

double SelfCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return s(usage.ru_utime) + s(usage.ru_stime);
}

// utime + stime of another process from /proc/<pid>/stat, or -1.
double ProcessCpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
    if (index == 15)
      return static_cast<double>(utime + std::strtoull(field.c_str(), nullptr, 10)) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  return -1;
}

class PaintCounter final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  long paints = 0;
};

bool RunUntil(const std::function<bool()>& done, int limitMs) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (SteadyClock::now() >= deadline) return false;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 20;
  std::string sim = (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "kvetral-sim").string();
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--seconds") seconds = std::max(1, std::atoi(argv[i + 1]));
    if (std::string(argv[i]) == "--sim") sim = argv[i + 1];
  }
  QApplication app(argc, argv);
  SimulatorProcess simulator;
  if (!simulator.Start(sim)) {
    std::fprintf(stderr, "trace_viewer_bench: cannot start %s\n", sim.c_str());
    return 2;
  }

  mirvo::MemorySettingsBackend settings;
  mirvo::CMainFrame frame(mirvo::DefaultClock(), settings);
  frame.resize(1600, 900);
  frame.show();
  QDockWidget* pane = frame.Pane("TraceViewerPane");
  pane->setFloating(true);
  pane->resize(1000, 640);
  pane->show();
  mirvo::TraceViewer& viewer = *frame.Traces();
  PaintCounter paints;
  frame.TraceView()->Screen()->installEventFilter(&paints);

  frame.Lifecycle().SetDeviceName(simulator.Link());
  frame.RunCommand(mirvo::cmd::kConnect);
  if (!RunUntil([&] { return frame.Lifecycle().Link().Responding() && viewer.Synchronised(); }, 10000)) {
    std::fprintf(stderr, "trace_viewer_bench: the simulator did not answer\n");
    return 2;
  }
  viewer.OnRun();  // NRM, SLOW, F LLD, 2 us/div
  if (!RunUntil([&] { return viewer.BlocksShown() >= 20; }, 10000)) {
    std::fprintf(stderr, "trace_viewer_bench: no traces\n");
    return 2;
  }

  const long long blocks0 = viewer.BlocksShown();
  const long paints0 = paints.paints;
  const double cpu0 = SelfCpuSeconds();
  const double simCpu0 = ProcessCpuSeconds(simulator.Pid());
  const auto t0 = SteadyClock::now();
  RunFor(seconds * 1000);
  const double wall = std::chrono::duration<double>(SteadyClock::now() - t0).count();
  const double cpu = SelfCpuSeconds() - cpu0;
  const double simCpu = ProcessCpuSeconds(simulator.Pid()) - simCpu0;
  const double traces = static_cast<double>(viewer.BlocksShown() - blocks0) / wall;
  viewer.OnRun();
  frame.RunCommand(mirvo::cmd::kDisconnect);

  // The loop's bound: after a trace read the instrument re-arms (kRearmMs from the request) while the
  // 1049-byte reply crosses the line; then one status read (279 bytes) that finds the trace ready.
  const double bytesPerMs = kBaud / 10.0 / 1000.0;
  const double traceReplyMs = (mirvo::packet::kTraceByteCount + mirvo::packet::kReadReplyOverhead) / bytesPerMs;
  const double statusReplyMs = (2 * 127 + mirvo::packet::kReadReplyOverhead) / bytesPerMs;
  const double cycleMs = std::max(kRearmMs, traceReplyMs) + statusReplyMs;
  const double bound = 1000.0 / cycleMs;
  std::printf("traces shown: %.1f /s over %.1f s (trace area paints %.1f /s)\n", traces, wall,
              static_cast<double>(paints.paints - paints0) / wall);
  std::printf("bound: %.1f /s (re-arm %.0f ms, trace reply %.2f ms, status reply %.2f ms at 921600 baud); ratio %.3f\n",
              bound, kRearmMs, traceReplyMs, statusReplyMs, traces / bound);
  std::printf("mirvo-psd CPU: %.1f %% of one core; kvetral-sim CPU: %.1f %%\n", 100.0 * cpu / wall,
              simCpu >= 0 ? 100.0 * simCpu / wall : -1.0);
  return 0;
}
