// The scenario's three briefings brought in from text files and written back out, byte for
// byte: overall first, then the Axis and the Allied briefing. The file dialogs have no folder
// of their own and open at the root of the program folder.
#include <algorithm>
#include <string>

#include "editor/EditorDialogParts.h"
#include "editor/EditorState.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GLabel.h"
#include "game/battle/BattleBase.h"

namespace {

using namespace EditorDialogParts;

constexpr const char* kBriefingsSource = "EditorBriefings";
// The slots in the order the files are asked for: overall, Axis, Allied; and the names the
// save dialogs propose for them.
constexpr int32_t kSlotOrder[3] = {2, 0, 1};
constexpr int16_t kFirstFileName = 1650;

// The briefing in a file: its first bytes up to the limit. False when the read failed.
bool ReadBriefing(GFile& file, std::string& text) {
  const uint32_t size = std::min<uint32_t>(file.GetSize(), EditorState::kBriefingLimit);
  text.assign(size, '\0');
  if (size > 0) file.Read(text.data(), static_cast<int32_t>(size));
  return !file.HasError();
}

// The briefing's bytes into the file the save dialog made; false when any write failed.
bool WriteBriefing(GFile& file, const std::string& text) {
  if (!text.empty()) file.Write(text.data(), static_cast<int32_t>(text.size()));
  return file.Finish();
}

}  // namespace

void EditorState::ImportBriefings() {
  if (rootView == nullptr || mainView == nullptr) FatalError(__LINE__, kBriefingsSource);
  CloseScreen();
  mainView->SetVisible(0);
  GView* dialog = screenView = OpenDialog(rootView, 640, 240);
  for (int32_t line = 0; line < 6; ++line) {
    GLabel* label = Label(dialog, 0, 15 + 17 * line, dialog->Width(), static_cast<int16_t>(650 + line));
    label->SetAlignment(0);
  }
  Button(dialog, 163, dialog->Height() - 60, 119, 11101, 0, 152);
  Button(dialog, 362, dialog->Height() - 60, 120, 11103, 0, 152);
}

void EditorState::ReadBriefingFiles() {
  BattleBase* base = CurrentBattle();
  if (base == nullptr || gKernel == nullptr) FatalError(__LINE__, kBriefingsSource);
  for (int32_t slot : kSlotOrder) {
    std::string& briefing = base->briefing[slot];
    bool failed = false;
    GFile* file = gKernel->OpenFileDialog(nullptr, nullptr, nullptr, nullptr, nullptr, GFile::kModeRead, &failed);
    if (file == nullptr) {
      // Cancel empties the briefing; a file that cannot be opened keeps it.
      if (failed) gKernel->Beep();
      else briefing.clear();
      continue;
    }
    // An empty file leaves the briefing empty: no block of no bytes is kept.
    std::string text;
    if (ReadBriefing(*file, text)) {
      briefing = std::move(text);
    } else {
      GErrorLog::LogError(("Briefing file could not be read: " + file->Path()).c_str());
      gKernel->Beep();
    }
    delete file;
  }
}

void EditorState::ExportBriefings() {
  BattleBase* base = CurrentBattle();
  if (base == nullptr || gKernel == nullptr) FatalError(__LINE__, kBriefingsSource);
  for (int32_t i = 0; i < 3; ++i) {
    GString255 name;
    name.LoadResource(static_cast<int16_t>(kFirstFileName + i));
    // No file: cancelled, or one that could not be made (the dialog beeped).
    GFile* file = gKernel->SaveFileDialog(nullptr, nullptr, name.CStr(), GFile::kModeWrite);
    if (file == nullptr) continue;
    if (!WriteBriefing(*file, base->briefing[kSlotOrder[i]])) {
      GErrorLog::LogError(("Briefing could not be written: " + file->Path()).c_str());
      gKernel->Beep();
    }
    delete file;
  }
}
