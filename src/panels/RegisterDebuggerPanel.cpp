#include "panels/RegisterDebuggerPanel.h"

#include <algorithm>
#include <cstdio>

#include "acquisition/LinkLifecycle.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

std::int64_t ParseHexText(const std::string& text) {
  unsigned value = 0;
  if (std::sscanf(text.c_str(), "%X", &value) != 1) return -1;
  return static_cast<std::int32_t>(value);  // a sign is taken by "%X": "-1" stays negative
}

std::int64_t ParseDecText(const std::string& text) {
  int value = 0;
  if (std::sscanf(text.c_str(), "%d", &value) != 1) return -1;
  return value;
}

RegisterDebuggerPanel::RegisterDebuggerPanel(IPanelHost& host, IUserDialog& dialogs, IFileChooser& files)
    : host_(host), dialogs_(dialogs), files_(files) {
  for (int reg = 0; reg < kRegisters; ++reg) values_[static_cast<std::size_t>(reg)] = static_cast<std::uint16_t>(reg * 10);
}

void RegisterDebuggerPanel::Attach(LinkLifecycle& lifecycle) {
  link_ = &lifecycle.Link();
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kRegisterDebugger, *this, nullptr);
}

void RegisterDebuggerPanel::Initialise() {
  initialised_ = true;
  selected_ = 0;
  ShowValue(SelectedValue());
}

bool RegisterDebuggerPanel::Responding() const { return link_ != nullptr && link_->Responding(); }

// ---------------------------------------------------------------------------------------------
// Operations

void RegisterDebuggerPanel::RefreshFromRecord() {
  if (!initialised_) return;
  if (autoRead_ || readRequest_) {
    if (const SpectrumRecord* record = host_.SettingsRecord()) {
      for (int reg = 0; reg < kRegisters; ++reg)
        values_[static_cast<std::size_t>(reg)] = record->registers[static_cast<unsigned>(reg)];
    }
  }
  ShowValue(SelectedValue());
}

void RegisterDebuggerPanel::ShowValue(std::int64_t value) {
  const auto v = static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, 0, 65535));
  values_[static_cast<std::size_t>(selected_)] = v;
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
  decText_ = text;
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(v));
  hexText_ = text;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// Handlers

void RegisterDebuggerPanel::OnRegisterSelected(int reg) {
  if (!initialised_ || reg < 0 || reg >= kRegisters) return;
  selected_ = reg;
  ShowValue(SelectedValue());
}

void RegisterDebuggerPanel::Typed(std::int64_t value) {
  ShowValue(value);
  if (autoWrite_) OnWrite();
}

void RegisterDebuggerPanel::OnHexTyped(const std::string& text) {
  if (!initialised_ || !hexFocused_) return;
  Typed(ParseHexText(text.substr(0, kHexLength)));
}

void RegisterDebuggerPanel::OnDecTyped(const std::string& text) {
  if (!initialised_ || !decFocused_) return;
  Typed(ParseDecText(text.substr(0, kDecLength)));
}

void RegisterDebuggerPanel::OnBitClicked(int bit) {
  if (!initialised_ || bit < 0 || bit >= kBits) return;
  Typed(SelectedValue() ^ (1u << bit));
}

void RegisterDebuggerPanel::OnRead() {
  readRequest_ = true;
  RefreshFromRecord();
  readRequest_ = false;
}

RegisterDebuggerPanel::WriteOutcome RegisterDebuggerPanel::SendFullBlock(SpectrumRecord& live) {
  if (!Responding()) {
    live.refreshEnable = 1;
    return WriteOutcome::kNotResponding;
  }
  if (host_.SeriesRunning()) return WriteOutcome::kKeptForSeries;
  link_->WriteAllRegisters();
  return WriteOutcome::kSent;
}

RegisterDebuggerPanel::WriteOutcome RegisterDebuggerPanel::OnWrite() {
  SpectrumRecord& live = host_.LiveRecord();
  live.refreshEnable = 0;
  // Only the selected register goes to the image; the rest of the table stays the debugger's.
  live.registers[static_cast<unsigned>(selected_)] = SelectedValue();
  return SendFullBlock(live);
}

RegisterDebuggerPanel::WriteOutcome RegisterDebuggerPanel::WriteTable() {
  SpectrumRecord& live = host_.LiveRecord();
  live.refreshEnable = 0;
  for (int reg = 0; reg < kRegisters; ++reg)
    live.registers[static_cast<unsigned>(reg)] = values_[static_cast<std::size_t>(reg)];
  return SendFullBlock(live);
}

FileResult RegisterDebuggerPanel::OnLoadFile() {
  std::string path;
  FileResult result{kFileCancelled, "", ""};
  if (files_.ChooseFile({false, kLoadRegisterFileTitle, kLoadRegisterFileFilter, ""}, path))
    result = LoadRegisterFileChosen(path, values_, dialogs_);
  ShowValue(SelectedValue());
  return result;
}

FileResult RegisterDebuggerPanel::OnSaveFile() {
  std::string path;
  if (!files_.ChooseFile({true, kSaveRegisterFileTitle, kSaveRegisterFileFilter, kRegisterFileExtension}, path))
    return {kFileCancelled, "", ""};
  return SaveRegisterFileAs(path, values_, dialogs_);
}

}  // namespace mirvo
