// Message boxes, the folder picker and the start-time kind dialog for tests: every text is recorded,
// every answer is scripted.
#pragma once

#include <string>
#include <vector>

#include "acquisition/SpectrumLogger.h"
#include "display/UserDialog.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo::test {

class ScriptedDialogs final : public IUserDialog, public IFolderChooser, public IStartTimeKindDialog {
 public:
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { messages.push_back(text); }
  bool AskOkCancel(const std::string& text, const std::string& caption, MessageIcon icon) override {
    questions.push_back(text);
    questionCaption = caption;
    questionIcon = icon;
    return answerOk;
  }
  bool ChooseFolder(const std::string& title, const std::string& start, std::string& chosen) override {
    folderTitle = title;
    folderStart = start;
    chosen = folderAnswer;
    return !folderAnswer.empty();
  }
  StartTimeKindChoice RunModal() override {
    ++kindDialogRuns;
    return {kind, 0.0};
  }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::string questionCaption;
  MessageIcon questionIcon = MessageIcon::None;
  bool answerOk = true;
  std::string folderAnswer;
  std::string folderTitle, folderStart;
  StartTimeKind kind = StartTimeKind::System;
  int kindDialogRuns = 0;
};

}  // namespace mirvo::test
