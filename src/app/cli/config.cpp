// mirvo-cli config PORT [--show] [--set NAME=VALUE]...: the settings of the panels by name, shown
// as the instrument reports them and changed through each panel's own handler and register write.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "acquisition/AcquisitionSettings.h"
#include "app/cli/CliOptions.h"
#include "app/cli/ConfigPanels.h"

namespace mirvo::cli {

std::vector<ConfigPanelMaker>& ConfigPanelMakers() {
  static std::vector<ConfigPanelMaker> makers;
  return makers;
}

namespace {

struct Assignment {
  std::string name;
  std::string value;
};

struct ConfigArguments {
  AcquisitionOptions options;
  bool show = false;
  std::vector<Assignment> assignments;
};

void Show(const std::vector<NamedSetting>& settings) {
  for (const NamedSetting& s : settings) {
    // "N samples = X us": the unit goes with the number, before what the panel derives from it.
    std::string value = s.value();
    if (!s.unit.empty()) value.insert(std::min(value.find(' '), value.size()), " " + s.unit);
    std::printf("%-28s %-24s (%s)\n", s.name.c_str(), value.c_str(), s.accepts.c_str());
  }
}

int RunConfig(const ConfigArguments& args) {
  const std::vector<Assignment>& assignments = args.assignments;
  const bool show = args.show;
  CliAcquisition session(args.options);
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

std::function<int()> DefineConfig(CLI::App& command) {
  auto args = std::make_shared<ConfigArguments>();
  AddPortArgument(command, args->options.device);
  command.add_flag("--show", args->show, "print the settings (also after --set)");
  Repeatable(command.add_option_function<std::vector<std::string>>(
                 "--set",
                 [args](const std::vector<std::string>& texts) {
                   for (const std::string& text : texts) {
                     const auto equals = text.find('=');
                     args->assignments.push_back({text.substr(0, equals), text.substr(equals + 1)});
                   }
                 },
                 "change a setting (names: mirvo-cli config PORT --show); may be repeated"))
      ->type_name("NAME=VALUE")
      ->check(Check([](const std::string& text) {
        const auto equals = text.find('=');
        return equals == std::string::npos || equals == 0 ? std::string("needs NAME=VALUE") : std::string();
      }));
  AddBaudOption(command, args->options.baud);
  return [args] { return RunConfig(*args); };
}

const CliRegistration registration({"config", "show the panels' settings by name, or change them", DefineConfig});

}  // namespace
}  // namespace mirvo::cli
