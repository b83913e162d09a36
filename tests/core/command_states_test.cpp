// The main window's command enabling and check marks, and the link state of its status bar, decided
// from a real connection lifecycle, acquisition panel and record tables in each situation.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "acquisition/AcquisitionPanel.h"
#include "display/RecordSets.h"
#include "acquisition/LinkLifecycle.h"
#include "shell/CommandStates.h"
#include "shell/Commands.h"

namespace mirvo {
namespace {

using State = LinkLifecycle::State;

class DiscardedEvents final : public IMessageTarget {
 public:
  void PostMessage(unsigned, std::uintptr_t, std::intptr_t) override {}
};

// The engine's host, with the live and settings records of the record tables as the main window has them.
class TablesHost final : public IReporter, public ILiveRecord, public IAcquisitionHost {
 public:
  explicit TablesHost(RecordSets& sets) : sets_(sets) {}
  void AddLine(const std::string&) override {}
  void ShowError(const std::string&) override {}
  RegisterImage& Image() override { return sets_.LiveRecord().registers; }
  int RefreshEnable() const override { return const_cast<RecordSets&>(sets_).LiveRecord().refreshEnable; }
  void SetRefreshEnable(int value) override { sets_.LiveRecord().refreshEnable = value; }
  void StoreStatus(const packet::StatusBlock&) override {}
  SpectrumRecord& LiveRecord() override { return sets_.LiveRecord(); }
  const SpectrumRecord* SettingsRecord() override { return &sets_.SettingsRecord(); }
  bool SettingsRecordLive() const override { return sets_.SettingsRecordLive(); }
  double SamplePeriodUs() const override { return kDefaultSamplePeriodUs; }

  StartTimeSettings startTime;

 private:
  RecordSets& sets_;
};

// The main window's long-lived objects, put into a situation.
struct Window {
  Window() {
    panel.Attach(lifecycle);
    panel.Initialise();
  }
  void SetLink(State state) {
    CHardwareLink& link = lifecycle.Link();
    link.SetConnected(state != State::kClosed);
    link.SetResponding(state == State::kRunning);
    link.SetRetryCounter(state == State::kFailing ? CHardwareLink::kRetryLimit : 0);
  }
  // A FILE tab chosen on pane 0: the next tick shows the FILE set everywhere.
  void ShowFileSet() {
    sets.SelectTab(0, kFileSet);
    sets.SyncIfRequested();
    EXPECT_EQ(sets.ShownSetMode(), kFileSet);
  }
  CommandStates Decide() { return DecideCommandStates(ReadCommandFacts(lifecycle, panel, sets)); }

  std::unique_ptr<SpectrumMemory> memory = std::make_unique<SpectrumMemory>();
  RecordSets sets{*memory};
  test::FakeClock clock;
  test::FakeSleeper sleeper;
  test::ScriptedDialogs dialogs;
  TablesHost host{sets};
  DiscardedEvents events;
  LinkLifecycle lifecycle{host, host, *memory, events, sleeper};
  AcquisitionPanel panel{host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs};
};

struct Situation {
  const char* what;
  State link;
  bool fileSetShown;
  bool logging;
  bool runBit;
  // Expected: Connect (and AutoConnect), Disconnect, Port, Start, Stop, Erase.
  bool connect, disconnect, port, start, stop, erase;
};

TEST(CommandStates, EnablingFollowsTheLinkTheLoggerTheRunBitAndTheShownSet) {
  constexpr State kClosed = State::kClosed, kNoReply = State::kAwaitingFirstReply, kOnline = State::kRunning,
                  kFailing = State::kFailing;
  const Situation situations[] = {
      // what                                link      file   log    run    conn   disc   port   start  stop   erase
      {"closed, BUFFER shown",               kClosed,  false, false, false, true,  false, true,  false, false, true},
      {"closed, run bit left from before",   kClosed,  false, false, true,  true,  false, true,  false, false, true},
      {"closed, FILE shown",                 kClosed,  true,  false, false, false, false, false, false, false, false},
      {"online, stopped",                    kOnline,  false, false, false, false, true,  true,  true,  false, true},
      {"online, acquiring",                  kOnline,  false, false, true,  false, true,  true,  false, true,  true},
      {"port open, no reply yet, stopped",   kNoReply, false, false, false, false, true,  true,  true,  false, true},
      {"link failing, acquiring",            kFailing, false, false, true,  false, true,  true,  false, true,  true},
      {"online, logged series between runs", kOnline,  false, true,  false, false, true,  true,  false, false, true},
      {"online, logged series acquiring",    kOnline,  false, true,  true,  false, true,  true,  false, false, true},
      {"online, FILE shown, stopped",        kOnline,  true,  false, false, false, false, false, false, false, false},
      {"online, FILE shown, acquiring",      kOnline,  true,  false, true,  false, false, false, false, false, false},
  };
  for (const Situation& s : situations) {
    SCOPED_TRACE(s.what);
    Window window;
    window.SetLink(s.link);
    if (s.fileSetShown) window.ShowFileSet();
    window.panel.Logger().SetRunning(s.logging);
    if (s.runBit) window.sets.LiveRecord().registers.SetRun();
    const CommandStates states = window.Decide();
    EXPECT_EQ(states.Enabled(cmd::kConnect), s.connect);
    EXPECT_EQ(states.Enabled(cmd::kAutoConnect), s.connect);
    EXPECT_EQ(states.Enabled(cmd::kDisconnect), s.disconnect);
    EXPECT_EQ(states.Enabled(cmd::kPort), s.port);
    EXPECT_EQ(states.Enabled(cmd::kStart), s.start);
    EXPECT_EQ(states.Enabled(cmd::kStop), s.stop);
    EXPECT_EQ(states.Enabled(cmd::kErase), s.erase);
  }
}

TEST(CommandStates, OnlyTheLinkAndAcquisitionCommandsFollowTheState) {
  const CommandStates states = DecideCommandStates(CommandFacts{});
  for (int always :
       {cmd::kOpenSpectrum, cmd::kSaveSpectrumAs, cmd::kAbout, cmd::kColor, cmd::kLinear, cmd::kFullSpectrum})
    EXPECT_FALSE(states.Enabled(always).has_value()) << always;
  EXPECT_EQ(states.enabled.size(), 10u);
}

TEST(CommandStates, RegisterCommandsNeedTheOpenPortAboutHardwareAlsoAFileRecordOfS0) {
  struct Case {
    const char* what;
    State link;
    bool s0FileActive;
    bool copyRegisters, aboutHardware;
  };
  const Case cases[] = {
      {"closed, BUFFER of S0 active", State::kClosed, false, false, false},
      {"closed, FILE of S0 active", State::kClosed, true, false, true},
      {"port open, no reply yet", State::kAwaitingFirstReply, false, true, true},
      {"online", State::kRunning, false, true, true},
      {"online, FILE of S0 active", State::kRunning, true, true, true},
      {"link failing", State::kFailing, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window window;
    window.SetLink(c.link);
    if (c.s0FileActive) window.ShowFileSet();
    const CommandStates states = window.Decide();
    EXPECT_EQ(states.Enabled(cmd::kCopyRegistersBufferToFile), c.copyRegisters);
    EXPECT_EQ(states.Enabled(cmd::kCopyRegistersFileToBuffer), c.copyRegisters);
    EXPECT_EQ(states.Enabled(cmd::kAboutHardware), c.aboutHardware);
  }
}

TEST(CommandStates, SoftSizeAndRoiModeMarksFollowTheActivePlot) {
  struct Case {
    int softSize;
    int roiMode;
    int softSizeCommand;  // the one ticked
    int roiCommand;       // the one ticked
  };
  const Case cases[] = {
      {4096, 0, 32816, cmd::kRoiMarkOver}, {2048, 1, 32810, cmd::kRoiFromCursor},
      {1365, 0, 32818, cmd::kRoiMarkOver}, {1024, 1, 32812, cmd::kRoiFromCursor},
      {682, 0, 32819, cmd::kRoiMarkOver},  {512, 1, 32814, cmd::kRoiFromCursor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.softSize);
    CommandFacts facts;
    facts.activeSoftSize = c.softSize;
    facts.roiMode = c.roiMode;
    const CommandStates states = DecideCommandStates(facts);
    ASSERT_EQ(states.checked.size(), 11u);
    for (const CommandFlag& flag : states.checked)
      EXPECT_EQ(flag.on, flag.command == c.softSizeCommand || flag.command == c.roiCommand || flag.command == cmd::kLinear)
          << flag.command;
  }

  // Read off the record tables: the active plot's soft size and the tables' ROI mode.
  Window window;
  window.sets.SetSoftSize(1024);
  window.sets.SetRoiMode(1);
  const CommandStates states = window.Decide();
  EXPECT_EQ(states.Checked(32812), true);
  EXPECT_EQ(states.Checked(32816), false);
  EXPECT_EQ(states.Checked(cmd::kRoiFromCursor), true);
  EXPECT_EQ(states.Checked(cmd::kRoiMarkOver), false);
}

TEST(CommandStates, ScaleMarksFollowTheActivePlot) {
  struct Case {
    bool linear;
    bool automatic;
  };
  for (const Case c : {Case{true, false}, Case{false, false}, Case{true, true}, Case{false, true}}) {
    CommandFacts facts;
    facts.linearScale = c.linear;
    facts.automaticScale = c.automatic;
    const CommandStates states = DecideCommandStates(facts);
    EXPECT_EQ(states.Checked(cmd::kLinear), c.linear);
    EXPECT_EQ(states.Checked(cmd::kLogarithmic), !c.linear);
    EXPECT_EQ(states.Checked(cmd::kAutoVertical), c.automatic);
  }
  // Read off the active plot: the automatic scale (linear only), then logarithmic (which ends it).
  Window window;
  window.sets.ActivePlot().ToggleAutomaticScale();
  CommandStates states = window.Decide();
  EXPECT_EQ(states.Checked(cmd::kLinear), true);
  EXPECT_EQ(states.Checked(cmd::kAutoVertical), true);
  window.sets.ActivePlot().SetLogarithmicScale();
  states = window.Decide();
  EXPECT_EQ(states.Checked(cmd::kLogarithmic), true);
  EXPECT_EQ(states.Checked(cmd::kLinear), false);
  EXPECT_EQ(states.Checked(cmd::kAutoVertical), false);
}

TEST(LinkStateText, OneTextPerLifecycleState) {
  const std::pair<State, std::string> cases[] = {
      {State::kClosed, "OFFLINE"},
      {State::kAwaitingFirstReply, "WAITING"},
      {State::kRunning, "ONLINE"},
      {State::kFailing, "WAITING"},
  };
  for (const auto& [state, text] : cases) {
    EXPECT_EQ(LinkStateText(state), text);
    Window window;
    window.SetLink(state);
    EXPECT_EQ(window.Decide().linkStateText, text);
  }
}

}  // namespace
}  // namespace mirvo
