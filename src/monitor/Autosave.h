// Autosave of a running BUFFER acquisition: every N minutes the BUFFER set goes through the safe
// writer to a recovery file in the user's state folder. A clean end of the run or a save of it
// clears the file; an instrument found reset during the run keeps the last one under a name of its
// own; and a connect that would replace unsaved BUFFER counts with a smaller instrument memory
// saves them first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

// What one status read shows, as the autosave needs it.
struct AutosaveReading {
  bool running = false;
  double realSeconds = 0.0;
  std::uint64_t totalCounts = 0;  // all counts of the BUFFER spectra
  std::uint32_t startStamp = 0;   // registers 0x16 and 0x17: a new stamp is a run started on purpose
  bool seriesRunning = false;     // a logged series saves (and resets) its own runs: not watched here
};

// A line for the Events pane; `notify` asks for a non-blocking notice besides.
struct AutosaveNotice {
  std::string text;
  bool warning = false;
  bool notify = false;
};

class Autosave {
 public:
  // Writes the BUFFER set to a path through the given file-system calls.
  using BufferWriter = std::function<FileResult(const std::string& path, FileSystemOps& fs)>;

  Autosave(const IClock& clock, BufferWriter writer, FileSystemOps& fs = RealFileSystem())
      : clock_(clock), writer_(std::move(writer)), fs_(fs) {}

  // 0 switches autosave off.
  void SetIntervalMinutes(int minutes) { intervalMinutes_ = minutes < 0 ? 0 : minutes; }
  int IntervalMinutes() const { return intervalMinutes_; }

  // The recovery file of the running acquisition: "<recovery folder>/running-acquisition.mps";
  // empty when the folder cannot be made.
  static std::string RecoveryFilePath();
  // A recovery file left by a run that did not end cleanly; empty when there is none.
  static std::string LeftOverRecoveryFile();
  // Moves a recovery file to a name of its own in the recovery folder (so the next autosave does
  // not replace it); returns the new path, or empty when it could not be moved.
  static std::string KeepAside(const std::string& path);

  std::vector<AutosaveNotice> OnStatus(const AutosaveReading& reading);
  // The BUFFER set was saved by the user or the logger: the autosave of the run is no longer needed.
  std::vector<AutosaveNotice> OnBufferSaved(std::uint64_t totalCounts);

  // Connect guard, first half (before the port opens): when the BUFFER set holds counts that were
  // never saved, they are written to the recovery folder.
  std::vector<AutosaveNotice> OnConnecting(std::uint64_t bufferCounts, double bufferRealSeconds);
  // Second half, at the first status read of the connection: the copy is kept (and announced)
  // when the instrument holds less than the BUFFER set did, and removed otherwise.
  std::vector<AutosaveNotice> OnFirstStatus(double instrumentRealSeconds);

  bool RunWatched() const { return runActive_; }
  // The last autosave of this run; empty when none was made.
  const std::string& LastSavePath() const { return lastSavePath_; }
  std::int64_t LastSaveMs() const { return lastSaveMs_; }
  bool HasUnsavedCounts(std::uint64_t totalCounts) const { return totalCounts > 0 && totalCounts != savedCounts_; }

 private:
  std::vector<AutosaveNotice> SaveNow(const AutosaveReading& reading);
  void ClearRecoveryFile();
  void Baseline(const AutosaveReading& reading);

  const IClock& clock_;
  BufferWriter writer_;
  FileSystemOps& fs_;
  int intervalMinutes_ = 10;
  bool runActive_ = false;
  double lastReal_ = 0.0;
  std::uint64_t lastCounts_ = 0;
  std::uint32_t lastStamp_ = 0;
  std::int64_t lastTryMs_ = 0;
  bool advanced_ = false;  // the run's real time has been seen to advance
  std::int64_t lastSaveMs_ = 0;
  double savedReal_ = 0.0;
  std::string lastSavePath_;
  std::uint64_t savedCounts_ = 0;
  // the connect guard
  std::string guardPath_;
  double guardReal_ = 0.0;
};

}  // namespace mirvo
