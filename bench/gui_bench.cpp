// The whole program's figures: start-up time to the first painted main window, and the CPU the
// program uses over 30 s while its four panes redraw growing spectra from kvetral-sim at 921600 baud.
//
// Usage: gui_bench [--seconds N] [--sim PATH]   (QT_QPA_PLATFORM=offscreen, or a DISPLAY)
// The simulator runs as its own process, so its CPU is not in the program's figure (it is shown
// beside it). The main window is built as mirvo-psd builds it, on an in-memory settings store.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SimulatorProcess.h"
#include "base/Clock.h"
#include "display/gui/CSpectrum.h"
#include "acquisition/LinkLifecycle.h"
#include "shell/Commands.h"
#include "shell/OutputLog.h"
#include "shell/SettingsStore.h"
#include "shell/gui/CMainFrame.h"

#ifndef KVETRAL_SIM_PATH
#define KVETRAL_SIM_PATH "kvetral-sim"
#endif

namespace {

using SteadyClock = std::chrono::steady_clock;

double MillisecondsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU seconds (user, system) of this process, every thread included.
struct CpuTime {
  double user = 0;
  double system = 0;
  double Total() const { return user + system; }
};
CpuTime ProcessCpu() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// CPU seconds of another process from /proc/<pid>/stat (utime + stime), or -1 when unreadable.
double OtherProcessCpu(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {  // field 3 is the state, 14 utime, 15 stime
    if (index == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
    if (index == 15) {
      stime = std::strtoull(field.c_str(), nullptr, 10);
      return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
  }
  return -1;
}

// Notes the first paint of the main window, and when that first frame is complete (the event
// loop is back after painting and flushing every widget of the window).
class FirstPaintWatch final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted) {
      painted = true;
      firstPaint = SteadyClock::now();
      QTimer::singleShot(0, [this] {
        frameDone = SteadyClock::now();
        frameComplete = true;
      });
      watched->removeEventFilter(this);
    }
    return false;
  }
  bool painted = false;
  bool frameComplete = false;
  SteadyClock::time_point firstPaint;
  SteadyClock::time_point frameDone;
};

// Counts the paints of the plot areas.
class PaintCounter final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  long paints = 0;
};

// Runs the event loop until `done` holds or `limitMs` passes (checks every 20 ms; never used
// inside the measured window). A modal window that turns up is reported and closed.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (SteadyClock::now() >= deadline) return false;
    if (QWidget* modal = QApplication::activeModalWidget()) {
      std::fprintf(stderr, "gui_bench: a dialog came up: \"%s\"\n", qPrintable(modal->windowTitle()));
      modal->close();
      return false;
    }
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// Runs the event loop for exactly `ms` with nothing of the benchmark's own in it.
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

std::uint64_t TotalCounts(mirvo::CMainFrame& frame) {
  std::uint64_t sum = 0;
  for (std::uint32_t count : frame.Memory().Counts()) sum += count;
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  const auto programStart = SteadyClock::now();
  int seconds = 30;
  std::string simulatorPath = KVETRAL_SIM_PATH;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 1 || value > 3600) {
        std::fprintf(stderr, "gui_bench: --seconds takes a whole number from 1 to 3600\n");
        return 2;
      }
      seconds = static_cast<int>(value);
    } else if (arg == "--sim" && i + 1 < argc) {
      simulatorPath = argv[++i];
    } else if (arg.rfind("-", 0) == 0 && arg.rfind("-platform", 0) != 0) {
      std::fprintf(stderr, "usage: gui_bench [--seconds N] [--sim PATH]\n");
      return 2;
    }
  }
  alarm(static_cast<unsigned>(seconds) + 120);  // a hung run ends; the simulator goes with it

  SimulatorProcess simulator;
  if (!simulator.Start(simulatorPath, {"--rate", "20000"})) {
    std::fprintf(stderr, "gui_bench: kvetral-sim (%s) did not come up\n", simulatorPath.c_str());
    return 1;
  }

  // Start-up, as mirvo-psd does it, on an in-memory settings store.
  const auto applicationStart = SteadyClock::now();
  QApplication app(argc, argv);
  QApplication::setOrganizationName(mirvo::settings_key::kOrganisation);
  QApplication::setApplicationName(mirvo::settings_key::kApplication);
  mirvo::MemorySettingsBackend settings;
  const auto constructionStart = SteadyClock::now();
  mirvo::CMainFrame mainFrame(mirvo::DefaultClock(), settings);
  const auto constructed = SteadyClock::now();
  FirstPaintWatch paintWatch;
  mainFrame.installEventFilter(&paintWatch);
  mainFrame.show();
  if (!RunUntil([&] { return paintWatch.frameComplete; }, 20000)) {
    std::fprintf(stderr, "gui_bench: the main window was never painted\n");
    return 1;
  }
  RunUntil([] { return false; }, 500);  // the deferred default pane sizes settle

  std::printf("platform %s, screen %dx%d, main window %dx%d\n", qPrintable(QGuiApplication::platformName()),
              QGuiApplication::primaryScreen()->size().width(), QGuiApplication::primaryScreen()->size().height(),
              mainFrame.width(), mainFrame.height());
  std::printf("start-up: construction to first paint of the main window  %8.1f ms  (goal < 1000 ms)\n",
              MillisecondsBetween(constructionStart, paintWatch.firstPaint));
  std::printf("          construction to first frame complete            %8.1f ms\n",
              MillisecondsBetween(constructionStart, paintWatch.frameDone));
  std::printf("          of which CMainFrame construction                %8.1f ms\n",
              MillisecondsBetween(constructionStart, constructed));
  std::printf("          QApplication creation to first paint            %8.1f ms\n",
              MillisecondsBetween(applicationStart, paintWatch.firstPaint));
  std::printf("          main() to first paint (simulator start included) %7.1f ms\n",
              MillisecondsBetween(programStart, paintWatch.firstPaint));

  // The plot areas whose paints show that the panes redraw.
  PaintCounter plotPaints;
  const auto plots = mainFrame.findChildren<mirvo::CSpectrum*>();
  for (mirvo::CSpectrum* plot : plots) plot->viewport()->installEventFilter(&plotPaints);
  int visiblePlots = 0;
  for (mirvo::CSpectrum* plot : plots) visiblePlots += plot->isVisible() ? 1 : 0;
  std::printf("plot controls %lld, visible %d", static_cast<long long>(plots.size()), visiblePlots);
  for (int k = 0; k < 4; ++k)
    std::printf("%s S%d %d/%d", k == 0 ? ";" : ",", k, mainFrame.Sets().BufferPlot(k).SoftSize(),
                mainFrame.Sets().BufferPlot(k).HardSize());
  std::printf(" channels (soft/hard)\n");
  if (plots.isEmpty()) std::printf("NOTE: the main window has no spectrum plot controls yet: nothing is redrawn\n");

  // Connect, then start counting the way START does: run bits in the live image, settings written.
  mainFrame.Lifecycle().SetDeviceName(simulator.Link());
  mainFrame.RunCommand(mirvo::cmd::kConnect);
  auto& link = mainFrame.Lifecycle().Link();
  if (!link.Connected() || !RunUntil([&] { return link.Responding(); }, 10000)) {
    std::fprintf(stderr, "gui_bench: the simulator at %s did not answer\n", simulator.Link().c_str());
    return 1;
  }
  mainFrame.Sets().LiveRecord().registers.SetRun();
  link.WriteSettingsRegisters();
  const std::uint64_t before = TotalCounts(mainFrame);
  if (!RunUntil([&] { return TotalCounts(mainFrame) > before; }, 15000)) {
    std::fprintf(stderr, "gui_bench: the spectra do not grow\n");
    return 1;
  }
  RunUntil([] { return false; }, 1000);  // one full memory read under way

  // The 200 ms ticks that redraw the panes (a pane whose counts did not change renders nothing
  // new and gets no paint event, so paints alone undercount the redraws).
  long ticks = 0;
  if (auto* commTimer = mainFrame.findChild<QTimer*>("CommTimer"))
    QObject::connect(commTimer, &QTimer::timeout, [&ticks] { ++ticks; });

  // The measured window: nothing of the benchmark runs in it but one timer at its end and the
  // two counters above.
  const std::uint64_t countsAtStart = TotalCounts(mainFrame);
  const long paintsAtStart = plotPaints.paints;
  const long ticksAtStart = ticks;
  const double simulatorAtStart = OtherProcessCpu(simulator.Pid());
  const CpuTime cpuAtStart = ProcessCpu();
  const auto wallAtStart = SteadyClock::now();
  RunFor(seconds * 1000);
  const auto wallAtEnd = SteadyClock::now();
  const CpuTime cpuAtEnd = ProcessCpu();
  const double simulatorAtEnd = OtherProcessCpu(simulator.Pid());
  const long paints = plotPaints.paints - paintsAtStart;
  ticks -= ticksAtStart;
  const std::uint64_t countsAtEnd = TotalCounts(mainFrame);

  const double wall = MillisecondsBetween(wallAtStart, wallAtEnd) / 1000.0;
  const double cpu = cpuAtEnd.Total() - cpuAtStart.Total();
  std::printf("connected to kvetral-sim --baud 921600 --rate 20000 at %s, link %s\n", simulator.Link().c_str(),
              link.Responding() && link.Connected() ? "responding" : "NOT RESPONDING");
  std::printf("window %.2f s: spectra grew from %llu to %llu counts; %ld ticks (%.2f per second), %ld plot paints "
              "(%.1f per second)\n",
              wall, static_cast<unsigned long long>(countsAtStart), static_cast<unsigned long long>(countsAtEnd), ticks,
              static_cast<double>(ticks) / wall, paints, static_cast<double>(paints) / wall);
  std::printf("program CPU: %.3f s (user %.3f, system %.3f) = %.2f %% of one core  (goal < 10 %%)\n", cpu,
              cpuAtEnd.user - cpuAtStart.user, cpuAtEnd.system - cpuAtStart.system, 100.0 * cpu / wall);
  if (simulatorAtStart >= 0 && simulatorAtEnd >= 0)
    std::printf("simulator CPU (its own process, not counted): %.2f s = %.2f %% of one core\n",
                simulatorAtEnd - simulatorAtStart, 100.0 * (simulatorAtEnd - simulatorAtStart) / wall);

  mainFrame.RunCommand(mirvo::cmd::kDisconnect);
  const std::size_t lines = mainFrame.Log().Size();
  for (std::size_t i = lines > 6 ? lines - 6 : 0; i < lines; ++i)
    std::printf("  log: %s\n", mainFrame.Log().Line(i).c_str());
  mainFrame.close();
  return 0;
}
