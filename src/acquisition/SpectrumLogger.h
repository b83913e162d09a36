// The SPECTRUM LOGGER group of the acquisition panel: RUNS, COMPLETED, the storage folder and file
// name base, the ENABLE arming checks, the numbered file names and the running flag of a series.
#pragma once

#include <cstdint>
#include <string>

#include "display/UserDialog.h"

namespace mirvo {

inline constexpr const char* kInvalidFileNameText = "INVALID FILE NAME!";
inline constexpr const char* kNoDeviceText = "No device is connected. Please, connect/reconect!";
inline constexpr const char* kNoFolderOrBaseText = "Please specify a storage folder and/or a file name base!";
inline constexpr const char* kNoRunsText = "Please specify RUNS greater than zero!";
inline constexpr const char* kPressResetText = "Please clear current time and counts by pressing RESET button!";
inline constexpr const char* kStopAcquisitionFirstText =
    "Please stop current spectrum acquisition\nbefore enabling the spectrum logging!";
inline constexpr const char* kOverwriteLoggingText =
    "LOGGING DATA WITH THIS FILE NAME ALREADY EXISTS.\nDO YOU WANT TO OVERWRITE THE LOGGING FILES?";
inline constexpr const char* kFolderWhileLoggingText =
    "A storage folder can not be selected while the SPECTRUM LOGGER records spectra.\nPlease uncheck ENABLE to "
    "select a new folder!";
inline constexpr const char* kSelectFolderTitle = "Select Folder";
inline constexpr const char* kFolderChooserStart = "/";
inline constexpr char kFolderSeparator = '/';
inline constexpr const char* kRefusedBaseCharacters = "<>:\"/\\|?*";

// The folder picker of the FOLDER button; false when the user cancelled.
class IFolderChooser {
 public:
  virtual ~IFolderChooser() = default;
  virtual bool ChooseFolder(const std::string& title, const std::string& startFolder, std::string& chosen) = 0;
};

// Whether each run is also saved as an N42.42 file (the .mps name with the extension .n42): not at
// all (the default), beside the .mps file, or instead of it. The value is what the settings store
// keeps.
enum class LoggedN42 : std::uint32_t { Off = 0, Beside = 1, Instead = 2 };

// One finished run of a series, as it is to be saved.
struct LoggedRunFile {
  std::string path;  // "<folder><base>_%04d.mps"
  int run = 0;
  double realSeconds = 0.0;
  double liveSeconds = 0.0;
  double deadPercent = 0.0;
  std::string startText;  // the acquisition panel's start stamp text
  std::string kindText;   // its start-time kind text
  LoggedN42 n42 = LoggedN42::Off;  // the logger's N42 choice when the run was saved
};

// Saves the BUFFER set of a finished run (written to a temporary file, then renamed); shows its own
// messages on failure and returns false.
class ILoggedRunSaver {
 public:
  virtual ~ILoggedRunSaver() = default;
  virtual bool SaveLoggedRun(const LoggedRunFile& file) = 0;
};

// What the ENABLE checks look at besides the logger's own fields.
struct LoggerArmingFacts {
  bool responding = false;     // the instrument answers
  double realTime = 0.0;       // the acquisition panel's real time
  std::uint16_t lastRunBit = 0;  // the engine's last reported run bit
};

// "<path base>_%04d.mps" (five digits from run 10000 on).
std::string LoggedFileName(const std::string& pathBase, int run);
bool ValidFileNameBase(const std::string& base);

class SpectrumLogger {
 public:
  SpectrumLogger(IUserDialog& dialogs, IFolderChooser& folders) : dialogs_(dialogs), folders_(folders) {}

  // ENABLE clicked, with the box's new state. Returns true when the series is stopped (or was never
  // running) and the engine's logged-series step must go back to 0.
  bool OnEnableClicked(bool ticked, const LoggerArmingFacts& facts);
  void OnFolderClicked();
  // FILE NAME (BASE) edited: the base to show (the stored one while a series runs).
  const std::string& OnBaseEdited(const std::string& base);
  // RUNS changed: the value to show. While a series runs it cannot go below the run in progress,
  // so that the series still ends by itself.
  std::int32_t OnRunsChanged(std::int32_t runs);

  std::int32_t Runs() const { return runs_; }
  std::int32_t Completed() const { return completed_; }
  void SetCompleted(std::int32_t completed) { completed_ = completed; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Running() const { return running_; }
  void SetRunning(bool running) { running_ = running; }
  const std::string& StorageFolder() const { return folder_; }
  const std::string& FileNameBase() const { return base_; }
  const std::string& PathBase() const { return pathBase_; }
  std::string FileOfRun(int run) const { return LoggedFileName(pathBase_, run); }

  void SetSaver(ILoggedRunSaver* saver) { saver_ = saver; }
  LoggedN42 N42() const { return n42_; }
  // Values outside the three choices (an old or damaged setting) mean Off.
  void SetN42(LoggedN42 mode) { n42_ = mode == LoggedN42::Beside || mode == LoggedN42::Instead ? mode : LoggedN42::Off; }
  // Saves a counted run; false when it could not be saved (the series goes on).
  bool SaveRun(const LoggedRunFile& file);

  // For the command-line tool and tests: the fields as the controls would set them.
  void SetStorageFolder(const std::string& folder);
  void SetFileNameBase(const std::string& base);

 private:
  bool Refuse(const char* message);

  IUserDialog& dialogs_;
  IFolderChooser& folders_;
  ILoggedRunSaver* saver_ = nullptr;
  LoggedN42 n42_ = LoggedN42::Off;
  std::int32_t runs_ = 0;
  std::int32_t completed_ = 0;
  bool enabled_ = false;
  bool running_ = false;
  std::string folder_;
  std::string base_;
  std::string pathBase_;
};

}  // namespace mirvo
