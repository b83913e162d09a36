#include "app/cli/CliAcquisition.h"

#include <csignal>
#include <cstdlib>
#include <numeric>

#include "app/cli/CliOptions.h"
#include "base/TextFormat.h"
#include "link/PortEnumerator.h"

namespace mirvo::cli {
namespace {

std::atomic<bool> interrupted{false};
void OnInterrupt(int) { interrupted = true; }

}  // namespace

void AddAcquisitionOptions(CLI::App& command, AcquisitionOptions& options) {
  command.add_option("--preset", options.presetSeconds, "the preset time of a run in seconds")
      ->type_name("SECONDS")
      ->required()
      ->check(Check([](const std::string& text) {
        char* end = nullptr;
        const long long value = std::strtoll(text.c_str(), &end, 10);
        if (!text.empty() && end != text.c_str() && *end == '\0' && value > 0 && value <= kMaxPresetSeconds)
          return std::string();
        return FormatText("the preset must be a whole number of seconds from 1 to %lld",
                          static_cast<long long>(kMaxPresetSeconds));
      }));
  command.add_flag("--live", options.live, "the preset is a live time (default: real time)");
  command
      .add_option_function<std::string>(
          "--stamp",
          [&options](const std::string& kind) {
            options.stamp = kind == "utc" ? StartTimeKind::Utc : kind == "local" ? StartTimeKind::Local : StartTimeKind::System;
          },
          "the start-time kind (default system)")
      ->type_name("system|utc|local")
      ->check(OneOf({"system", "utc", "local"}));
  AddBaudOption(command, options.baud);
}

void CliDialogs::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
  messages.push_back(text);
  std::fprintf(stderr, "\n%s\n", text.c_str());
}

bool CliDialogs::AskOkCancel(const std::string& text, const std::string&, MessageIcon) {
  messages.push_back(text);
  if (!overwrite) std::fprintf(stderr, "%s\n(refused: pass --overwrite to overwrite)\n", text.c_str());
  return overwrite;
}

CliAcquisition::CliAcquisition(const AcquisitionOptions& opts)
    : options(opts),
      panel(host, StartTimeServices{host.startTime, dialogs, DefaultClock(), DefaultSleeper()}, dialogs, dialogs) {
  dialogs.kind = options.stamp;
  panel.Attach(lifecycle);
  panel.Initialise();
  lifecycle.SetDeviceName(ResolvePortArgument(options.device));
  lifecycle.SetBaudRate(options.baud);
}

void CliAcquisition::InstallInterruptHandler() {
  // A closed terminal (SIGHUP) or a reader gone from the pipe (SIGPIPE) ends the run like Ctrl+C:
  // the instrument is stopped, its memory read and the data saved.
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, OnInterrupt);
}

bool CliAcquisition::Interrupted() { return interrupted; }

bool CliAcquisition::Pump(const std::function<bool()>& done) {
  // The loop wakes at least every 50 ms, so a Ctrl+C is seen without a wake-up of its own.
  loop.RunUntil([&] { return done() || !Connected() || interrupted; });
  return Connected();
}

bool CliAcquisition::WaitForStatus() {
  const int folds = host.statusFolds;
  return Pump([&] { return host.statusFolds > folds; }) && host.statusFolds > folds;
}

bool CliAcquisition::Connect() {
  if (!lifecycle.ConnectHardware()) {
    ReportLinkFailure("connect");
    return false;
  }
  const bool ok = Pump([&] { return host.statusFolds > 0; }) && host.statusFolds > 0;
  if (!ok && !interrupted) ReportLinkFailure("connect");
  return ok;
}

bool CliAcquisition::ApplyPreset() {
  panel.OnPresetKindSelected(options.live ? 1 : 0);
  return panel.OnPresetTyped(options.presetSeconds);
}

bool CliAcquisition::StopAndReset() {
  const RegisterImage& image = host.record.registers;
  if (image.Running()) {
    panel.StopAcquisition();
    if (!Pump([&] { return !host.record.registers.Running() && host.statusFolds > 0; })) return false;
  }
  panel.ResetAcquisition();
  // The reset went out when a status read shows the times cleared.
  return Pump([&] { return panel.RealTime() == 0.0 && !host.record.registers.Running(); });
}

void CliAcquisition::Disconnect() {
  if (Connected()) lifecycle.DisconnectHardware();
}

void CliAcquisition::ReportLinkFailure(const char* command) const {
  std::fprintf(stderr, "\nmirvo-cli %s: the link to %s failed\n", command, lifecycle.DeviceName().c_str());
  const auto& entries = host.log.Entries();
  const std::size_t first = entries.size() > 8 ? entries.size() - 8 : 0;
  for (std::size_t i = first; i < entries.size(); ++i) std::fprintf(stderr, "  %s\n", entries[i].text.c_str());
}

std::string CliAcquisition::ProgressText() {
  const std::uint32_t* s1 = host.memory.Spectrum(1);
  const unsigned long long counts = std::accumulate(s1, s1 + SpectrumMemory::kChannels, 0ULL);
  char text[160];
  std::snprintf(text, sizeof text, "real %s s  live %s s  dead %s %%  S1 %llu counts", panel.RealText().c_str(),
                panel.LiveText().c_str(), panel.DeadText().c_str(), counts);
  return text;
}

bool CliAcquisition::SaveBufferSet(const std::string& path, std::string& error) {
  LoggedRunFile file;
  file.path = path;
  file.realSeconds = panel.RealTime();
  file.liveSeconds = panel.LiveTime();
  file.deadPercent = panel.DeadTime();
  file.startText = panel.StartStampText();
  file.kindText = panel.StartKindText();
  BufferRecordsRunSaver saver(host.BufferSet(), dialogs);
  const std::size_t before = dialogs.messages.size();
  if (saver.SaveLoggedRun(file)) return true;
  error = dialogs.messages.size() > before ? dialogs.messages.back() : "the file could not be written";
  if (!saver.lastFailureReason.empty()) error += "\n" + saver.lastFailureReason;  // the system's reason
  return false;
}

}  // namespace mirvo::cli
