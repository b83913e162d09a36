// Upload and verify of a 1 MiB design at 921600 baud: the time of each as a ratio to the time its
// bytes need on the line (10 bits a byte, requests and replies). Prints figures, asserts nothing.
//
//   fpga_bench                 against the in-process simulator at --baud 921600
//   fpga_bench PORT [BAUD]     against a running `kvetral-sim --baud 921600 --link PORT`
//
// The simulator paces only its replies; the requests reach a pseudo-terminal at once. So the line
// time of an upload (521-byte requests, 9-byte replies) is mostly bytes the simulator never holds
// back, and the verify (11-byte requests, 523-byte replies) is the figure that shows the program's
// own turnaround. Both ratios and the paced share are printed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "fpga/DesignToolSession.h"
#include "fpga/FpgaProgrammer.h"
#include "fpga/SerialFlashPort.h"
#include "lib/Simulator.h"
#include "shell/HeadlessHost.h"

using namespace mirvo;

namespace {

class QuietListener final : public fpga::IFpgaListener {
 public:
  explicit QuietListener(fpga::DesignToolSession& session) : session_(session) {}
  void OnMessage(const std::string& line) override { last = line; }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void OnProgressRange(std::uint64_t, std::uint64_t) override {}
  void OnProgress(std::uint64_t) override {}
  void OnBusyChanged(bool) override {}
  void KeepPortInUse() override { session_.KeepPortInUse(); }
  std::string last;

 private:
  fpga::DesignToolSession& session_;
};

struct Figure {
  double seconds = 0;
  std::uint64_t blocks = 0;
};

}  // namespace

int main(int argc, char** argv) {
  constexpr std::size_t kDesignBytes = 1u << 20;
  unsigned baud = 921600;
  std::string device;
  std::unique_ptr<kvetral::Simulator> sim;
  if (argc > 1) {
    device = argv[1];
    if (argc > 2) baud = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
  } else {
    kvetral::SimOptions options;
    options.baud = baud;
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    if (!sim->Start(&error)) {
      std::fprintf(stderr, "simulator: %s\n", error.c_str());
      return 1;
    }
    device = sim->DevicePath();
  }

  char folder[] = "/tmp/mirvo-fpga-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) return 1;
  const std::string design = std::string(folder) + "/design.rbf";  // reversed both ways: verifies clean
  {
    std::ofstream out(design, std::ios::binary);
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < kDesignBytes; ++i) {
      x = x * 1103515245u + 12345u;
      out.put(static_cast<char>(x >> 16));
    }
  }

  HeadlessHost host;
  HeadlessConnection connection(host);
  LinkLifecycle& lifecycle = connection.lifecycle;
  lifecycle.SetDeviceName(device);
  lifecycle.SetBaudRate(baud);
  if (!lifecycle.ConnectHardware()) return 1;
  lifecycle.Policy().AutoUpdateSwitch().SetAutoUpdate(false);
  connection.loop.RunUntil([&] { return host.statusFolds > 0 || !lifecycle.Link().Connected(); });
  fpga::DesignToolSession session(lifecycle);
  if (host.statusFolds == 0 || !session.Begin()) return 1;
  QuietListener listener(session);
  fpga::SerialFlashPort port(session.Port());
  fpga::FpgaProgrammer programmer(port, listener);
  connection.loop.RunUntil([&] {
    return session.TryTakePort([&](std::uintptr_t events) { programmer.OnPortEvent(events); }) || session.LinkLost();
  });
  connection.loop.SetTimer(fpga::FpgaProgrammer::kTimerPeriodMs, [&] { programmer.OnTimerTick(); });

  const auto run = [&](bool upload) {
    Figure figure;
    const auto start = std::chrono::steady_clock::now();
    if (!(upload ? programmer.Upload(design) : programmer.Verify(design))) return figure;
    connection.loop.RunUntil([&] { return !programmer.Busy(); });
    figure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figure.blocks = programmer.BlockCounter() / fpga::kFlashBlockSize;
    if (programmer.Outcome() != fpga::FpgaOutcome::kDone)
      std::fprintf(stderr, "%s ended: %s (%s)\n", upload ? "upload" : "verify", fpga::OutcomeName(programmer.Outcome()),
                   listener.last.c_str());
    return figure;
  };
  const Figure upload = run(true);
  const Figure verify = run(false);
  session.Release();
  lifecycle.DisconnectHardware();
  std::remove(design.c_str());
  ::rmdir(folder);

  const double bytesPerSecond = baud / 10.0;
  const auto report = [&](const char* name, const Figure& f, std::size_t request, std::size_t reply) {
    const double line = static_cast<double>(f.blocks * (request + reply)) / bytesPerSecond;
    const double paced = static_cast<double>(f.blocks * reply) / bytesPerSecond;
    std::printf("%-7s %5llu blocks  %7.3f s  line time %7.3f s  ratio %5.3f  (replies alone %7.3f s, ratio %6.3f)\n",
                name, static_cast<unsigned long long>(f.blocks), f.seconds, line, f.seconds / line, paced,
                f.seconds / paced);
  };
  std::printf("1 MiB design, %u baud, %s\n", baud, sim ? "in-process simulator" : device.c_str());
  report("upload", upload, fpga::kFlashWriteLength, fpga::kFlashWriteReplyLength);
  report("verify", verify, fpga::kFlashReadLength, fpga::kFlashReadReplyLength);
  return upload.blocks > 0 && verify.blocks > 0 ? 0 : 1;
}
