// mirvo-cli regs PORT [--write REG=VALUE]... [--load FILE.rgv] [--save FILE.rgv] [--dry-run]
// [--overwrite] [--show] [--baud B]: raw access to the instrument registers 0x00..0x7F through the
// register debugger's engine: single registers go into the live image and the full block is
// written; a register file is read into the debugger's table and written whole.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/cli/CliAcquisition.h"
#include "app/cli/CliOptions.h"
#include "base/TextFormat.h"
#include "panels/PanelHost.h"
#include "panels/RegisterDebuggerPanel.h"

namespace mirvo::cli {
namespace {

struct RegisterWrite {
  unsigned reg = 0;
  unsigned value = 0;
};

// A whole number in decimal or, with "0x", hexadecimal; false for anything else.
bool ParseNumber(const std::string& text, unsigned long& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    return false;
  if (digits.size() > 8) {
    value = 0xFFFFFFFFul;  // certainly out of range
    return true;
  }
  value = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
  return true;
}

// "REG=VALUE" as one register write; false with the reason in `error`.
bool ParseWrite(const std::string& text, RegisterWrite& write, std::string& error) {
  const auto equals = text.find('=');
  unsigned long reg = 0, value = 0;
  if (equals == std::string::npos || !ParseNumber(text.substr(0, equals), reg) ||
      !ParseNumber(text.substr(equals + 1), value)) {
    error = FormatText("needs REG=VALUE (decimal or 0x hexadecimal), not '%s'", text.c_str());
    return false;
  }
  if (reg >= static_cast<unsigned long>(RegisterDebuggerPanel::kRegisters)) {
    error = FormatText("register %s is out of range (0x00 to 0x7F)", text.substr(0, equals).c_str());
    return false;
  }
  if (value > 0xFFFFul) {
    error = FormatText("value %s for register 0x%02lX is out of range (0 to 65535)", text.substr(equals + 1).c_str(), reg);
    return false;
  }
  write = {static_cast<unsigned>(reg), static_cast<unsigned>(value)};
  return true;
}

// The file dialogs answered with the path given on the command line.
class GivenPath final : public IFileChooser {
 public:
  bool ChooseFile(const FileDialogRequest&, std::string& chosen) override {
    chosen = path;
    return !path.empty();
  }
  std::string path;
};

// The BUFFER set of the session, the logger state through its acquisition panel.
class SessionHost final : public BufferSetPanelHost {
 public:
  explicit SessionHost(CliAcquisition& session) : BufferSetPanelHost(session.host.buffers), session_(session) {}
  bool SeriesRunning() const override { return session_.panel.SeriesRunning(); }

 private:
  CliAcquisition& session_;
};

void PrintRegister(unsigned reg, unsigned value) {
  std::printf("0x%02X  0x%04X  %5u\n", reg, value, value);
}

void PrintChange(unsigned reg, unsigned from, unsigned to) {
  std::printf("0x%02X  0x%04X %5u  ->  0x%04X %5u\n", reg, from, from, to, to);
}

struct RegsArguments {
  AcquisitionOptions options;
  std::vector<RegisterWrite> writes;
  std::string loadPath;
  std::string savePath;
  bool dryRun = false;
  bool overwrite = false;
  bool show = false;
};

int RunRegs(const RegsArguments& args) {
  const std::vector<RegisterWrite>& writes = args.writes;
  const std::string& loadPath = args.loadPath;
  const std::string& savePath = args.savePath;
  const AcquisitionOptions& options = args.options;
  const bool dryRun = args.dryRun;
  const bool overwrite = args.overwrite;
  const bool show = args.show;
  if (!loadPath.empty() && !writes.empty()) return UsageError("--load and --write do not go together");
  if (dryRun && loadPath.empty() && writes.empty()) return UsageError("--dry-run goes with --load or --write");
  if (!loadPath.empty()) {
    // A file that cannot be read is refused before the instrument is touched.
    RegisterValues check{};
    const FileResult readable = LoadRegisterFile(loadPath, check);
    if (!readable.Ok()) {
      std::fprintf(stderr, "mirvo-cli regs: %s: %s\n", readable.message.c_str(), loadPath.c_str());
      return kExitUsage;
    }
  }

  CliAcquisition session(options);
  session.dialogs.overwrite = overwrite;
  SessionHost host(session);
  GivenPath files;
  RegisterDebuggerPanel debugger(host, session.dialogs, files);
  debugger.Attach(session.lifecycle);
  debugger.Initialise();

  CliAcquisition::InstallInterruptHandler();
  if (!session.Connect()) return kExitFailure;
  if ((!writes.empty() || !loadPath.empty()) && !dryRun && host.SeriesRunning()) {
    std::fprintf(stderr, "mirvo-cli regs: a logged series is running; nothing written\n");
    session.Disconnect();
    return kExitFailure;
  }
  const RegisterImage& image = session.host.record.registers;

  bool written = false;
  if (!writes.empty()) {
    for (const RegisterWrite& w : writes) {
      PrintChange(w.reg, image[w.reg], w.value);
      if (dryRun) continue;
      debugger.OnRegisterSelected(static_cast<int>(w.reg));
      debugger.ShowValue(w.value);
      debugger.OnWrite();
    }
    written = !dryRun;
  }
  if (!loadPath.empty()) {
    debugger.SetAutoRead(false);  // the table holds the file until it is written
    files.path = loadPath;
    const FileResult loaded = debugger.OnLoadFile();
    if (!loaded.Ok()) {
      session.Disconnect();
      return kExitUsage;
    }
    int changes = 0;
    for (unsigned reg = 0; reg < static_cast<unsigned>(RegisterDebuggerPanel::kRegisters); ++reg) {
      const unsigned value = debugger.Values()[reg];
      if (value == image[reg]) continue;
      PrintChange(reg, image[reg], value);
      ++changes;
    }
    std::printf("%d register%s change%s\n", changes, changes == 1 ? "" : "s", dryRun ? " (dry run: nothing written)" : "");
    if (!dryRun) {
      debugger.WriteTable();
      written = true;
    }
  } else if (dryRun) {
    std::printf("(dry run: nothing written)\n");
  }

  if (written) {
    // The block goes out, is acknowledged, and a status read brings back what the instrument holds.
    const CHardwareLink& link = session.lifecycle.Link();
    const bool sent = session.Pump([&] {
      return !link.Pending(CHardwareLink::kSlotAllWrite) && !(link.Busy() && link.Kind() == RequestKind::kRegisterWrite);
    });
    if (!sent || !session.WaitForStatus()) {
      if (!CliAcquisition::Interrupted()) session.ReportLinkFailure("regs");
      return kExitFailure;
    }
    for (const RegisterWrite& w : writes) {
      // Register 0 is never read back; the instrument keeps its own counters and versions.
      if (w.reg != 0 && image[w.reg] != w.value)
        std::fprintf(stderr, "mirvo-cli regs: register 0x%02X reads back 0x%04X (the instrument keeps it)\n", w.reg,
                     static_cast<unsigned>(image[w.reg]));
    }
  }

  int status = kExitOk;
  if (!savePath.empty()) {
    debugger.SetAutoRead(true);
    debugger.OnRead();  // the table as the instrument holds it now
    files.path = savePath;
    const FileResult saved = debugger.OnSaveFile();
    if (saved.Ok()) {
      std::printf("Saved %s\n", saved.path.c_str());
    } else {
      if (saved.status != kFileCancelled) std::fprintf(stderr, "mirvo-cli regs: %s: %s\n", saved.message.c_str(), saved.path.c_str());
      status = kExitUsage;
    }
  }
  if (show || (writes.empty() && loadPath.empty() && savePath.empty())) {
    for (unsigned reg = 0; reg < static_cast<unsigned>(RegisterDebuggerPanel::kRegisters); ++reg)
      PrintRegister(reg, image[reg]);
  }
  session.Disconnect();
  return status;
}

std::function<int()> DefineRegs(CLI::App& command) {
  auto args = std::make_shared<RegsArguments>();
  const auto notEmpty = Check([](const std::string& text) { return text.empty() ? std::string("needs a file name") : std::string(); });
  AddPortArgument(command, args->options.device);
  Repeatable(command.add_option_function<std::vector<std::string>>(
                     "--write",
                     [args](const std::vector<std::string>& texts) {
                       for (const std::string& text : texts) {
                         RegisterWrite parsed;
                         std::string unused;
                         if (ParseWrite(text, parsed, unused)) args->writes.push_back(parsed);
                       }
                     },
                     "write one register (decimal or 0x hexadecimal); may be repeated"))
          ->type_name("REG=VALUE")
          ->check(Check([](const std::string& text) {
            RegisterWrite unused;
            std::string error;
            return ParseWrite(text, unused, error) ? std::string() : error;
          }));
  command.add_option("--load", args->loadPath, "write the registers of a register file (not with --write)")
      ->type_name("FILE.rgv")
      ->check(notEmpty);
  command.add_option("--save", args->savePath, "save the registers as a register file")->type_name("FILE.rgv")->check(notEmpty);
  command.add_flag("--dry-run", args->dryRun, "show what --load or --write would change, write nothing");
  command.add_flag("--overwrite", args->overwrite, "replace an existing --save file");
  command.add_flag("--show", args->show, "print the registers (also after writing)");
  AddBaudOption(command, args->options.baud);
  return [args] { return RunRegs(*args); };
}

const CliRegistration registration({"regs", "print, write, save or load the raw registers 0x00..0x7F", DefineRegs});

}  // namespace
}  // namespace mirvo::cli
