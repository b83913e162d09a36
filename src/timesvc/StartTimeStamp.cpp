#include "timesvc/StartTimeStamp.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "timesvc/NtpTimestamp.h"

namespace mirvo {
namespace {

// More than enough rounds for a clock that moves (three at most); ends the wait on a clock that does not.
constexpr int kMaxEvenSecondRounds = 100;

std::string FormatStamp(int day, int month, int year, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d:%02d", day, month, year, hour, minute, second);
  return text;
}

}  // namespace

void OnConnect(StartTimeSettings& settings) {
  settings.askFlag = true;
  settings.choiceTimeMs = 0;
}

void ChooseStartTimeKind(StartTimeSettings& settings, IStartTimeKindDialog& dialog, const IClock& clock) {
  const StartTimeKindChoice choice = dialog.RunModal();
  switch (choice.kind) {
    case StartTimeKind::Utc:
      settings.utcFlag = true;
      settings.systemFlag = false;
      settings.utcOffset = choice.measuredOffset;
      settings.kindText = kStartTimeUtcText;
      break;
    case StartTimeKind::System:
      settings.utcFlag = false;
      settings.systemFlag = true;
      settings.utcOffset = 0;
      settings.kindText = kStartTimeSystemText;
      break;
    case StartTimeKind::Local:
      settings.utcFlag = false;
      settings.systemFlag = false;
      settings.utcOffset = 0;
      settings.kindText = kStartTimeLocalText;
      tzset();  // capture the time-zone rules in force now; local stamps convert with them
      break;
  }
  settings.choiceTimeMs = clock.UtcMilliseconds();
  settings.askFlag = false;
}

bool StartTimeKindNeeded(const StartTimeSettings& settings, const IClock& clock) {
  if (settings.askFlag) return true;
  return settings.utcFlag && clock.UtcMilliseconds() - kUtcChoiceLifetimeMs > settings.choiceTimeMs;
}

bool EnsureStartTimeKindChosen(StartTimeSettings& settings, IStartTimeKindDialog& dialog, const IClock& clock) {
  if (!StartTimeKindNeeded(settings, clock)) return false;
  ChooseStartTimeKind(settings, dialog, clock);
  return true;
}

CivilTime StartClockTime(const StartTimeSettings& settings, const IClock& clock) {
  const NtpTimestamp now = NtpFromUtcMilliseconds(clock.UtcMilliseconds());
  return CivilFromNtp(NtpAddOffset(now, settings.utcOffset));
}

StampedStart WaitForStartStamp(const StartTimeSettings& settings, const IClock& clock, ISleeper& sleeper) {
  // Wait for the first even second boundary after the call.
  CivilTime t = StartClockTime(settings, clock);
  int remembered = t.second;
  for (int round = 0; round < kMaxEvenSecondRounds; ++round) {
    sleeper.SleepMilliseconds(std::max(1, 1000 - t.millisecond));
    t = StartClockTime(settings, clock);
    if (t.second == remembered) continue;
    if (t.second % 2 == 0) break;
    remembered = t.second;
  }

  if (!settings.utcFlag && !settings.systemFlag)
    t = CivilFromUtcMilliseconds(UtcMillisecondsFromCivil(t) + clock.UtcOffsetSeconds() * 1000LL);

  StampedStart stamp;
  stamp.time = t;
  stamp.dateWord = PackStartDate(t);
  stamp.timeWord = PackStartTime(t);
  stamp.text = FormatStamp(t.day, t.month, t.year, t.hour, t.minute, t.second);
  return stamp;
}

std::uint16_t PackStartDate(const CivilTime& time) {
  const unsigned year = static_cast<unsigned>(time.year - 2000) & 0x7Fu;
  return static_cast<std::uint16_t>(((year << 4 | (static_cast<unsigned>(time.month) & 0x0Fu)) << 5) |
                                    (static_cast<unsigned>(time.day) & 0x1Fu));
}

std::uint16_t PackStartTime(const CivilTime& time) {
  const unsigned hour = static_cast<unsigned>(time.hour) & 0x1Fu;
  const unsigned minute = static_cast<unsigned>(time.minute) & 0x3Fu;
  return static_cast<std::uint16_t>(((hour << 6 | minute) << 5) | ((static_cast<unsigned>(time.second) >> 1) & 0x1Fu));
}

std::string StartStampText(std::uint16_t dateWord, std::uint16_t timeWord) {
  if (dateWord < 512) return kWaitingForStartText;
  return FormatStamp(dateWord & 0x1F, (dateWord >> 5) & 0x0F, dateWord / 512 + 2000, timeWord >> 11,
                     (timeWord >> 5) & 0x3F, (timeWord & 0x1F) * 2);
}

const char* StartKindText(bool utcBit, bool systemBit) {
  if (utcBit) return kStartTimeUtcText;
  if (systemBit) return kStartTimeSystemText;
  return kStartTimeLocalText;
}

}  // namespace mirvo
