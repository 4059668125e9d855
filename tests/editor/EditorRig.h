#pragma once
// The application on the fake back-end with the editor installed and opened through command
// 57, and helpers that script what the player types into the file chooser.
#include <filesystem>
#include <string>

#include "app/ShellRig.h"
#include "editor/EditorInstall.h"
#include "editor/EditorState.h"
#include "framework/ui/GPopup.h"
#include "platform/PMessage.h"

// The main screen's pictures from the build's BMP folder.
inline void LinkEditorBitmaps(const TestFolder& folder) {
  namespace fs = std::filesystem;
  const fs::path built = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "BMP";
  const fs::path into = fs::path(folder.Native()) / "BMP";
  std::error_code error;
  for (int n : {10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 10009, 10038,
                // the map editor's
                10012, 10013, 10014, 10019, 10020, 10021, 10022, 10023, 10024, 10025, 10026, 10027,
                10028, 10029, 10034, 10035, 10036, 10060, 11101, 11251, 11252, 11270,
                // the purchase and unit editing screens' and the briefing dialog's cancel
                10030, 10031, 10032, 10033, 10050, 10051, 10070, 11103,
                // the quick-battle set-up's title
                10071}) {
    const std::string name = std::to_string(n) + ".bmp";
    fs::create_symlink(built / name, into / name, error);
  }
}

// The popup at a point of an editor dialog (it may stand in a panel of the dialog), or null.
inline GPopup* PopupAt(GView* dialog, int32_t x, int32_t y) {
  const int32_t gx = dialog->Bounds().left + x + 2;
  const int32_t gy = dialog->Bounds().top + y + 2;
  GPopup* popup = nullptr;
  for (GView* view = dialog->FindChildAt(gx, gy); view != nullptr && popup == nullptr; view = view->FindChildAt(gx, gy))
    popup = dynamic_cast<GPopup*>(view);
  return popup;
}

class EditorRig {
 public:
  explicit EditorRig(int32_t width = 640, int32_t height = 480) : shell(false, width, height) {
    LinkEditorBitmaps(shell.folder);
    InstallEditor(*shell.app);
    std::filesystem::create_directories(shell.folder.Native() + "Saved Games");
    shell.app->DoCommand(57);
  }
  WRApplication& App() { return *shell.app; }
  EditorState* State() { return dynamic_cast<EditorState*>(shell.app->GetEditor()); }
  // What the player types into the next file chooser: a name and Return, or Escape.
  // The proposed name is erased first.
  void Choose(const std::string& name) { Type(std::string(40, '\b') + name + "\r"); }
  void Cancel() { Type("\x1b"); }
  void Type(const std::string& text) {
    for (char c : text) {
      PMessage m;
      m.type = PMessageType::kChar;
      m.param = static_cast<uint8_t>(c);
      shell.fake->ScriptMessage(m);
    }
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(shell.folder.Native() + relative);
  }
  bool Logged(const std::string& text) const {
    for (const std::string& line : shell.folder.LogLines())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  ShellRig shell;
};
