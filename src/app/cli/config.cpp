// mirvo-cli config PORT [--show] [--set NAME=VALUE]...: the settings of the panels by name, shown
// as the instrument reports them and changed through each panel's own handler and register write.
#include <algorithm>
#include <cstdio>

#include "acquisition/AcquisitionSettings.h"
#include "app/cli/ConfigPanels.h"

namespace mirvo::cli {

std::vector<ConfigPanelMaker>& ConfigPanelMakers() {
  static std::vector<ConfigPanelMaker> makers;
  return makers;
}

namespace {

constexpr const char* kUsage = "Usage: mirvo-cli config PORT [--show] [--set NAME=VALUE]... [--baud B]\n";

struct Assignment {
  std::string name;
  std::string value;
};

// Takes every "--set NAME=VALUE" out of `args`; false after a message on a malformed one.
bool TakeAssignments(std::vector<std::string>& args, std::vector<Assignment>& assignments) {
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] != "--set") {
      ++i;
      continue;
    }
    const std::string text = i + 1 < args.size() ? args[i + 1] : "";
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
      std::fprintf(stderr, "mirvo-cli config: --set needs NAME=VALUE\n");
      return false;
    }
    assignments.push_back({text.substr(0, equals), text.substr(equals + 1)});
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
  }
  return true;
}

void Show(const std::vector<NamedSetting>& settings) {
  for (const NamedSetting& s : settings) {
    // "N samples = X us": the unit goes with the number, before what the panel derives from it.
    std::string value = s.value();
    if (!s.unit.empty()) value.insert(std::min(value.find(' '), value.size()), " " + s.unit);
    std::printf("%-28s %-24s (%s)\n", s.name.c_str(), value.c_str(), s.accepts.c_str());
  }
}

int RunConfig(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::vector<Assignment> assignments;
  std::string baud;
  const bool show = TakeFlag(args, "--show");
  if (!TakeAssignments(args, assignments) || !TakeOption(args, "--baud", baud)) return kExitUsage;
  if (args.size() != 1) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  AcquisitionOptions options;
  options.device = args[0];
  if (!baud.empty()) {
    std::vector<std::string> baudArgs{"--baud", baud};
    if (!ParseBaud(baudArgs, options.baud)) return kExitUsage;
  }

  CliAcquisition session(options);
  std::vector<std::shared_ptr<void>> keep;
  ConfigPanelContext context{session, keep};
  std::vector<NamedSetting> settings = AcquisitionSettings(session.panel);
  std::vector<ConfigPanelMaker> makers = ConfigPanelMakers();
  std::stable_sort(makers.begin(), makers.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
  for (const ConfigPanelMaker& maker : makers) {
    std::vector<NamedSetting> more = maker.make(context);
    settings.insert(settings.end(), more.begin(), more.end());
  }
  // Names are checked before anything is sent.
  for (const Assignment& a : assignments) {
    if (std::none_of(settings.begin(), settings.end(), [&](const NamedSetting& s) { return s.name == a.name; })) {
      std::fprintf(stderr, "mirvo-cli config: no setting '%s' (mirvo-cli config PORT --show lists them)\n",
                   a.name.c_str());
      return kExitUsage;
    }
  }

  CliAcquisition::InstallInterruptHandler();
  if (!session.Connect()) return kExitFailure;
  int status = kExitOk;
  for (const Assignment& a : assignments) {
    const auto it = std::find_if(settings.begin(), settings.end(), [&](const NamedSetting& s) { return s.name == a.name; });
    std::string error;
    if (!it->set(a.value, error)) {
      std::fprintf(stderr, "mirvo-cli config: bad value '%s' for %s: %s\n", a.value.c_str(), a.name.c_str(),
                   error.empty() ? it->accepts.c_str() : error.c_str());
      status = kExitUsage;
      break;
    }
  }
  if (!assignments.empty()) {
    // The writes go out, are acknowledged, and a status read brings back what the instrument holds.
    const CHardwareLink& link = session.lifecycle.Link();
    const bool written = session.Pump([&] {
      return !link.Pending(CHardwareLink::kSlotSettingsWrite) && !link.Pending(CHardwareLink::kSlotAllWrite) &&
             !(link.Busy() && link.Kind() == RequestKind::kRegisterWrite);
    });
    if (!written || !session.WaitForStatus()) {
      if (!CliAcquisition::Interrupted()) session.ReportLinkFailure("config");
      return kExitFailure;
    }
  }
  if (show || assignments.empty()) Show(settings);
  session.Disconnect();
  return status;
}

const CliRegistration registration({"config", "PORT [--show] [--set NAME=VALUE]... [--baud B]",
                                    "show the panels' settings by name, or change them", RunConfig});

}  // namespace
}  // namespace mirvo::cli
