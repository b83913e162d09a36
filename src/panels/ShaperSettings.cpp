#include "panels/ShaperSettings.h"
#include "base/TextFormat.h"

#include <cstdlib>
#include <string>

namespace mirvo {
namespace {

using Field = ShaperPanel::TimeField;
using List = ShaperPanel::List;

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

// A whole number in a range, handed to `take`.
NamedSetting Number(const char* name, const char* unit, long long low, long long high,
                    std::function<std::string()> value, std::function<void(long long)> take) {
  const std::string range = std::to_string(low) + " .. " + std::to_string(high);
  return {name, unit, range, std::move(value),
          [low, high, range, take](const std::string& text, std::string& error) {
            long long number = 0;
            if (!ParseWholeNumber(text, low, high, number)) {
              error = "a whole number from " + range;
              return false;
            }
            take(number);
            return true;
          }};
}

NamedSetting OnOff(const char* name, std::function<bool()> value, std::function<void(bool)> take) {
  return {name, "", "on|off", [value] { return std::string(value() ? "on" : "off"); },
          [take](const std::string& text, std::string& error) {
            bool on = false;
            if (!ParseOnOff(text, on)) {
              error = "on or off";
              return false;
            }
            take(on);
            return true;
          }};
}

// One entry of a list, given as its text ("1.25").
NamedSetting Entry(const char* name, ShaperPanel& panel, List list, int entries, std::string (*text)(int)) {
  return {name, "", text(0) + " .. " + text(entries - 1), [&panel, list, text] { return text(panel.MarginIndex(list)); },
          [&panel, list, entries, text](const std::string& value, std::string& error) {
            for (int i = 0; i < entries; ++i) {
              if (ParseDouble(value.c_str(), nullptr) == ParseDouble(text(i).c_str(), nullptr) && !value.empty()) {
                panel.OnListSelected(list, i);
                return true;
              }
            }
            error = "one of " + text(0) + ", " + text(1) + " .. " + text(entries - 1);
            return false;
          }};
}

NamedSetting Time(const char* name, ShaperPanel& panel, Field field, int maximum) {
  return Number(name, "samples", 1, maximum,
                [&panel, field] {
                  return std::to_string(panel.Time(field)) + " = " + Trimmed(panel.TimeUsText(field)) + " us";
                },
                [&panel, field](long long v) { panel.OnTimeChanged(field, v); });
}

}  // namespace

std::vector<NamedSetting> ShaperSettings(ShaperPanel& panel) {
  ShaperPanel* p = &panel;
  std::vector<NamedSetting> s;
  s.push_back(Time("shaper.slow.rise", panel, Field::kSlowRise, 2040));
  s.push_back(Time("shaper.slow.flat", panel, Field::kSlowFlat, 511));
  s.push_back(Time("shaper.fast.rise", panel, Field::kFastRise, 1020));
  s.push_back(Time("shaper.fast.flat", panel, Field::kFastFlat, 255));
  s.push_back(Number("shaper.long-tc", "", 0, 8191,
                     [p] { return std::to_string(p->LongTc()) + " = " + Trimmed(p->LongTcUsText()) + " us"; },
                     [p](long long v) { p->OnLongTcChanged(v); }));
  s.push_back(Number("shaper.short-tc", "", 0, 511,
                     [p] { return std::to_string(p->ShortTc()) + " = " + Trimmed(p->ShortTcUsText()) + " us"; },
                     [p](long long v) { p->OnShortTcChanged(v); }));
  s.push_back(Number("shaper.threshold.slow", "chn", 0, kThresholdMax,
                     [p] {
                       return (p->ThresholdSlow() == 0 ? std::string("0 (AUTO)") : std::to_string(p->ThresholdSlow())) +
                              " est. " + p->EstimatedSlowText();
                     },
                     [p](long long v) { p->OnThresholdSlowChanged(v); }));
  s.push_back(Number("shaper.threshold.fast", "chn", 0, kThresholdMax,
                     [p] {
                       return (p->ThresholdFast() == 0 ? std::string("0 (AUTO)") : std::to_string(p->ThresholdFast())) +
                              " est. " + p->EstimatedFastText();
                     },
                     [p](long long v) { p->OnThresholdFastChanged(v); }));
  s.push_back(Entry("shaper.margin.slow", panel, List::kSlowMargin, kAutoMarginEntries, AutoMarginText));
  s.push_back(Entry("shaper.margin.fast", panel, List::kFastMargin, kAutoMarginEntries, AutoMarginText));
  s.push_back(Number("shaper.blr.slow", "", 0, 1023, [p] { return std::to_string(p->BlrSlow()); },
                     [p](long long v) { p->OnBlrSlowChanged(v); }));
  s.push_back(OnOff("shaper.blr.slow.sym", [p] { return p->SlowSym(); }, [p](bool on) { p->OnSlowSymToggled(on); }));
  s.push_back(OnOff("shaper.blr.acc", [p] { return p->Acc(); }, [p](bool on) { p->OnAccToggled(on); }));
  s.push_back(Number("shaper.blr.fast", "", 0, 255, [p] { return std::to_string(p->BlrFast()); },
                     [p](long long v) { p->OnBlrFastChanged(v); }));
  s.push_back(OnOff("shaper.blr.fast.sym", [p] { return p->FastSym(); }, [p](bool on) { p->OnFastSymToggled(on); }));
  s.push_back(OnOff("shaper.pileup", [p] { return p->PileUpOn(); }, [p](bool on) { p->OnPileUpOnToggled(on); }));
  s.push_back(OnOff("shaper.pileup.enhanced", [p] { return p->Enhanced(); }, [p](bool on) { p->OnEnhancedToggled(on); }));
  s.push_back(OnOff("shaper.norm.auto", [p] { return p->AutoNormalisation(); }, [p](bool on) { p->OnAutoToggled(on); }));
  s.push_back(OnOff("shaper.norm.fine", [p] { return p->Fine(); }, [p](bool on) { p->OnFineToggled(on); }));
  s.push_back(Entry("shaper.norm.bdc", panel, List::kBdc, kBdcEntries, BdcText));
  s.push_back(Number("shaper.norm.factor", "", 1, kFactorMax, [p] { return std::to_string(p->Factor()); },
                     [p](long long v) { p->OnFactorChanged(v); }));
  s.push_back({"shaper.tips.gain", "", "1 .. 500", [p] { return std::to_string(p->TipsGain()); },
               [p](const std::string& text, std::string& error) {
                 long long gain = 0;
                 if (!ParseWholeNumber(text, 1, 500, gain)) {
                   error = kTipsGainRangeText;
                   return false;
                 }
                 return p->OnTipsGainTyped(gain);
               }});
  s.push_back({"shaper.symmetry", "", "-10000 .. 10000", [p] { return p->SymmetryText(); },
               [p](const std::string& text, std::string& error) {
                 long long value = 0;
                 if (!ParseWholeNumber(text, -1000000, 1000000, value)) {
                   error = "a whole number (limited to -10000 .. 10000)";
                   return false;
                 }
                 return p->OnSymmetryText(text);
               }});
  return s;
}

}  // namespace mirvo
