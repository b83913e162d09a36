#include "panels/AmplifierSettings.h"

#include <cctype>
#include <string>

namespace mirvo {
namespace {

template <std::size_t N>
std::vector<std::string> Words(const std::array<const char*, N>& entries) {
  std::vector<std::string> words;
  for (const char* entry : entries) words.push_back(ListWord(entry));
  return words;
}

std::string Join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : "|") + word;
  return text;
}

// A drop-down list by its words: shown as the selected word, set through `select`.
NamedSetting List(const char* name, std::vector<std::string> words, std::function<int()> selected,
                  std::function<void(int)> select) {
  const std::string accepts = Join(words);
  return {name, "", accepts,
          [words, selected] { return words.at(static_cast<std::size_t>(selected())); },
          [words, select, accepts](const std::string& text, std::string& error) {
            const int index = WordIndex(text, words);
            if (index < 0) {
              error = accepts;
              return false;
            }
            select(index);
            return true;
          }};
}

NamedSetting OnOff(const char* name, std::function<bool()> get, std::function<void(bool)> set) {
  return {name, "", "on|off", [get] { return std::string(get() ? "on" : "off"); },
          [set](const std::string& text, std::string& error) {
            bool on = false;
            if (!ParseOnOff(text, on)) {
              error = "on or off";
              return false;
            }
            set(on);
            return true;
          }};
}

NamedSetting Whole(const char* name, const char* unit, int maximum, std::function<int()> get,
                   std::function<void(int)> set) {
  const std::string range = "0 .. " + std::to_string(maximum);
  return {name, unit, range, [get] { return std::to_string(get()); },
          [set, range, maximum](const std::string& text, std::string& error) {
            long long value = 0;
            if (!ParseWholeNumber(text, 0, maximum, value)) {
              error = "a whole number " + range;
              return false;
            }
            set(static_cast<int>(value));
            return true;
          }};
}

}  // namespace

std::string ListWord(const char* entry) {
  std::string word(entry);
  for (char& c : word) c = (c == ' ' || c == '_') ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

std::vector<NamedSetting> AmplifierSettings(AmplifierPanel& panel, StabilizerSettings& stabilizer,
                                            const SpectrumRecord& live) {
  AmplifierPanel* p = &panel;
  std::vector<NamedSetting> settings;
  settings.push_back(Whole("gain.coarse", "", 3, [p] { return p->CoarseIndex(); },
                           [p](int index) { p->OnCoarseSelected(index); }));
  settings.back().value = [p] {
    std::string factor = CoarseText(p->CoarseFactor());
    factor.erase(0, factor.find_first_not_of(' '));
    return std::to_string(p->CoarseIndex()) + " (x" + factor + ")";
  };
  settings.push_back({"gain.fine", "x", "1.0 .. 1.2",
                      [p] { return p->FineText() + " (code " + std::to_string(p->FineCode()) + ")"; },
                      [p](const std::string& text, std::string& error) {
                        if (!FineCodeFromText(text)) {
                          error = "a factor from 1.0 to 1.2";
                          return false;
                        }
                        // As typed into the FINE edit, which then loses the focus.
                        p->OnFineFocus(true);
                        p->OnFineTextChanged(text);
                        p->OnFineFocus(false);
                        return true;
                      }});
  settings.push_back(Whole("gain.fine.code", "", amp::kFineCodeMax, [p] { return p->FineCode(); },
                           [p](int code) { p->OnFineCodeChanged(code); }));
  settings.push_back({"gain.total", "x", "shown only", [p] { return p->TotalText(); },
                      [](const std::string&, std::string& error) {
                        error = "gain.total follows gain.coarse and gain.fine";
                        return false;
                      }});
  settings.push_back(Whole("offset.adc", "LSB", amp::kAdcOffsetMax, [p] { return p->AdcOffset(); },
                           [p](int value) { p->OnAdcOffsetChanged(value); }));
  settings.push_back(OnOff("offset.adc.default", [p] { return p->AdcDefault(); },
                           [p](bool on) { p->OnAdcDefaultToggled(on); }));
  settings.push_back(Whole("offset.amplifier", "LSB", amp::kAmpOffsetMax, [p] { return p->AmpOffset(); },
                           [p](int value) { p->OnAmpOffsetChanged(value); }));
  settings.push_back(OnOff("offset.auto", [p] { return p->AutoOffset(); }, [p](bool on) { p->OnAutoToggled(on); }));
  settings.push_back(OnOff("stabilizer", [p] { return p->StabilizerEnabled(); },
                           [p](bool on) { p->OnEnableToggled(on); }));
  StabilizerSettings* s = &stabilizer;
  const SpectrumRecord* record = &live;
  settings.push_back({"stabilizer.windows", "channels", "C-2w,C-w,C+w,C+2w each 0 .. 16383",
                      [record] {
                        const RegisterImage& image = record->registers;
                        return std::to_string(image[kRegStabilizerFirst] & 0x7FFF) + "," +
                               std::to_string(image[kRegStabilizerFirst + 1]) + "," +
                               std::to_string(image[kRegStabilizerFirst + 2]) + "," +
                               std::to_string(image[kRegStabilizerFirst + 3]);
                      },
                      [s](const std::string& text, std::string& error) {
                        // The four edits of the dialog, then OK.
                        s->Open();
                        std::size_t from = 0;
                        for (int edge = 0; edge < 4; ++edge) {
                          const std::size_t comma = text.find(',', from);
                          if ((edge < 3) == (comma == std::string::npos)) {
                            error = "four channels C-2w,C-w,C+w,C+2w";
                            return false;
                          }
                          s->SetText(edge, text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
                          from = comma + 1;
                        }
                        if (!s->Ok()) {
                          error = kEdgeRangeText;
                          return false;
                        }
                        return true;
                      }});
  settings.push_back(List("dio.din", Words(kDinFunctionTexts), [p] { return p->DinSelection(); },
                          [p](int index) { p->OnDinSelected(index); }));
  settings.push_back(List("dio.rin", Words(kRinFunctionTexts), [p] { return p->RinSelection(); },
                          [p](int index) { p->OnRinSelected(index); }));
  const char* drives[3] = {"dio.rout.drive", "dio.s.drive", "dio.t.drive"};
  const char* functions[3] = {"dio.rout.func", "dio.s.func", "dio.t.func"};
  const std::vector<std::string> functionWords[3] = {Words(kRoutFunctionTexts), Words(kSFunctionTexts),
                                                     Words(kTFunctionTexts)};
  for (int o = 0; o < 3; ++o) {
    const Output output = static_cast<Output>(o);
    settings.push_back(List(drives[o], Words(kDriveTexts), [p, output] { return p->DriveSelection(output); },
                            [p, output](int index) { p->OnDriveSelected(output, index); }));
  }
  for (int o = 0; o < 3; ++o) {
    const Output output = static_cast<Output>(o);
    settings.push_back(List(functions[o], functionWords[o], [p, output] { return p->FunctionSelection(output); },
                            [p, output](int index) { p->OnFunctionSelected(output, index); }));
  }
  return settings;
}

}  // namespace mirvo
