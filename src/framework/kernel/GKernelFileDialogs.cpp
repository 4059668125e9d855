// The open and save dialogs: the platform's file chooser, drawn with the kernel's 2-D drawing
// and font 0, run in a loop of its own while the program's event loop waits behind it.
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "platform/PFile.h"
#include "platform/PFileChooser.h"
#include "platform/PFont.h"
#include "platform/PMessage.h"
#include "platform/PWindow.h"

namespace {

// The filter's one description.
constexpr const char* kFilterName = "Scenario";
constexpr int32_t kFont = 0;

struct Palette {
  uint16_t face;
  uint16_t shadow;
  uint16_t text;
  uint16_t field;
  uint16_t selection;
  uint16_t selectionText;
  uint16_t title;
  uint16_t titleText;
  uint16_t message;
  uint16_t dimmed;
};

Palette MakePalette(const GKernel& k) {
  auto pixel = [&](int32_t r, int32_t g, int32_t b) { return static_cast<uint16_t>(k.RGBToPixel(r, g, b)); };
  return Palette{pixel(192, 192, 192), pixel(96, 96, 96),   pixel(0, 0, 0),     pixel(255, 255, 255),
                 pixel(0, 0, 128),     pixel(255, 255, 255), pixel(0, 0, 128),   pixel(255, 255, 255),
                 pixel(160, 0, 0),     pixel(128, 128, 128)};
}

GRect ToGRect(const PRect& r) { return GRect{r.left, r.top, r.right, r.bottom}; }

// The text from x on its baseline, cut at its end (or, with keepEnd, at its start) to end
// before right.
void DrawText(GKernel& k, std::string text, int32_t x, int32_t baseline, int32_t right, uint16_t pixel,
              bool keepEnd = false) {
  const PFont& font = k.SelectFont(kFont);
  while (!text.empty() && x + font.TextWidth(text) > right) {
    if (keepEnd) text.erase(text.begin());
    else text.pop_back();
  }
  PSurface* surface = k.GetDrawingSurface();
  if (surface == nullptr) FatalError(__LINE__, "GKernel");
  font.DrawText(*surface, text, x, baseline, pixel);
}

void DrawButton(GKernel& k, const Palette& p, const PRect& r, const char* label, bool enabled) {
  const GRect g = ToGRect(r);
  k.FillRect(GRect{g.left, g.top, g.right - 1, g.bottom - 1}, p.face);
  k.FrameRect(GRect{g.left, g.top, g.right - 1, g.bottom - 1}, p.shadow);
  const int32_t width = k.SelectFont(kFont).TextWidth(label, std::strlen(label));
  DrawText(k, label, g.left + (g.Width() - width) / 2, g.top + (g.Height() + 9) / 2, g.right, enabled ? p.text : p.dimmed);
}

void DrawChooser(GKernel& k, const PFileChooser& c) {
  const Palette p = MakePalette(k);
  const PFileChooser::Layout& l = c.GetLayout();
  const GRect frame = ToGRect(l.frame);
  const bool saving = c.GetKind() == PFileChooser::Kind::kSave;

  k.FillRect(GRect{frame.left, frame.top, frame.right - 1, frame.bottom - 1}, p.face);
  k.FrameRect(GRect{frame.left, frame.top, frame.right - 1, frame.bottom - 1}, p.shadow);
  const GRect title = ToGRect(l.titleBar);
  k.FillRect(GRect{title.left, title.top, title.right - 1, title.bottom - 1}, p.title);
  DrawText(k, saving ? "Save As" : "Open", title.left + 8, title.top + 15, title.right - 8, p.titleText);

  const std::string folder = c.RelativeFolder();
  DrawText(k, "Look in:", l.labelX, l.lookInBaseline, l.fieldX - 4, p.text);
  // Texts are put together by appending: g++ 12 at -O3 reports a false overlap (-Wrestrict)
  // inside a literal + std::string.
  std::string lookIn = "\\";
  if (!folder.empty()) lookIn.append(folder, 0, folder.size() - 1);
  DrawText(k, lookIn, l.fieldX, l.lookInBaseline, l.upButton.left - 8, p.text, true);
  DrawButton(k, p, l.upButton, "Up", c.CanGoUp());

  const GRect list = ToGRect(l.list);
  k.FillRect(GRect{list.left, list.top, list.right - 1, list.bottom - 1}, p.field);
  k.FrameRect(GRect{list.left, list.top, list.right - 1, list.bottom - 1}, p.shadow);
  const std::vector<PFileChooser::Entry>& entries = c.Entries();
  for (int32_t row = 0; row < PFileChooser::kVisibleRows; ++row) {
    const int32_t index = c.FirstVisibleRow() + row;
    if (index >= static_cast<int32_t>(entries.size())) break;
    const int32_t top = list.top + 2 + row * PFileChooser::kRowHeight;
    const bool selected = index == c.Selection();
    if (selected) k.FillRect(GRect{list.left + 2, top, list.right - 3, top + PFileChooser::kRowHeight - 1}, p.selection);
    const PFileChooser::Entry& entry = entries[static_cast<size_t>(index)];
    std::string name;
    if (entry.folder) name += '[';
    name += entry.name;
    if (entry.folder) name += ']';
    DrawText(k, name, list.left + 6, top + 12, list.right - 4, selected ? p.selectionText : p.text);
  }

  DrawText(k, "File name:", l.labelX, l.nameBaseline, l.fieldX - 4, p.text);
  const GRect field = ToGRect(l.nameField);
  k.FillRect(GRect{field.left, field.top, field.right - 1, field.bottom - 1}, p.field);
  k.FrameRect(GRect{field.left, field.top, field.right - 1, field.bottom - 1}, p.shadow);
  DrawText(k, c.NameText() + "_", field.left + 4, l.nameBaseline, field.right - 4, p.text, true);
  DrawText(k, "Files of type:", l.labelX, l.filterBaseline, l.fieldX - 4, p.text);
  DrawText(k, c.FilterText(), l.fieldX, l.filterBaseline, l.okButton.left - 8, p.text);
  DrawButton(k, p, l.okButton, saving ? "Save" : "Open", true);
  DrawButton(k, p, l.cancelButton, "Cancel", true);
  DrawText(k, c.MessageText(), l.labelX, l.messageBaseline, frame.right - 8, p.message);

  if (c.GetState() == PFileChooser::State::kConfirmOverwrite) {
    const GRect q = ToGRect(l.question);
    k.FillRect(GRect{q.left, q.top, q.right - 1, q.bottom - 1}, p.face);
    k.FrameRect(GRect{q.left, q.top, q.right - 1, q.bottom - 1}, p.text);
    DrawText(k, c.QuestionText(), q.left + 10, q.top + 28, q.right - 10, p.text, true);
    DrawButton(k, p, l.yesButton, "Yes", true);
    DrawButton(k, p, l.noButton, "No", true);
  }
  k.CopyRectToFront(frame);
}

// Runs the chooser until the player chose or cancelled; true with a chosen file. Without a
// window or screen to show it on, the dialog counts as cancelled.
bool RunChooser(GKernel& k, PFileChooser& chooser) {
  PWindow* window = k.GetWindow();
  if (window == nullptr || k.GetBackBuffer() == nullptr || k.GetPrimarySurface() == nullptr) return false;
  // The dialog draws in 2-D on the back buffer, whatever the screen behind it draws with.
  const bool was3D = k.Is3D();
  k.Set3DFlag(false);
  const bool wasToFront = k.IsDrawingToFront();
  k.SetDrawToFront(false);
  k.ShowSystemCursor(true);
  DrawChooser(k, chooser);
  while (!chooser.IsFinished()) {
    PMessage message;
    // No message will come any more (a window that is gone): nothing was chosen.
    if (!window->GetMessage(message)) {
      chooser.Cancel();
      break;
    }
    // Activation changes still reach the kernel, which restores the display when the
    // program becomes active again.
    if (message.type == PMessageType::kActivate) k.WindowProc(message);
    chooser.HandleMessage(message);
    // Drawn again once the waiting keys are handled: a name typed or pasted at speed is not
    // drawn a letter at a time.
    if (!chooser.IsFinished() && window->Queue().Empty()) DrawChooser(k, chooser);
  }
  k.SetDrawToFront(wasToFront);
  k.Set3DFlag(was3D);
  return chooser.GetState() == PFileChooser::State::kChosen;
}

PFileChooser::Settings DialogSettings(PFileChooser::Kind kind, const GString& programFolder, const char* folder,
                                      const char* const* codes, int32_t codeCount) {
  PFileChooser::Settings s;
  s.kind = kind;
  s.root = programFolder.CStr();
  if (folder != nullptr) s.folder = folder;
  s.filterName = kFilterName;
  for (int32_t i = 0; i < codeCount && codes[i] != nullptr; ++i) {
    const std::string extension(codes[i], strnlen(codes[i], 3));
    if (extension.empty()) break;
    s.extensions.push_back(extension);
  }
  if (!s.extensions.empty()) s.defaultExtension = s.extensions[0];
  return s;
}

// After the dialog: the program's display back, redrawn at once.
void AfterDialog(GKernel& k) {
  k.PrepareForSystemDialog(true);
  if (k.GetRootView() != nullptr) {
    k.GetRootView()->Invalidate();
    k.UpdateScreen();
  }
}

}  // namespace

GFile* GKernel::OpenFileDialog(const char* folder, const char* type1, const char* type2, const char* type3,
                               const char* type4, int32_t mode, bool* openFailed) {
  if (openFailed != nullptr) *openFailed = false;
  PrepareForSystemDialog(false);
  const char* const codes[4] = {type1, type2, type3, type4};
  PFileChooser chooser(DialogSettings(PFileChooser::Kind::kOpen, programFolder_, folder, codes, 4), screenWidth_,
                       screenHeight_);
  const bool chosen = RunChooser(*this, chooser);
  AfterDialog(*this);
  if (!chosen) return nullptr;

  const std::string& path = chooser.ChosenPath();
  std::unique_ptr<PFile> handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  auto* file = handle ? new GFile() : nullptr;
  if (file != nullptr && !file->IFile(std::move(handle), path.c_str(), mode)) SafeDelete(file);
  if (file == nullptr && openFailed != nullptr) *openFailed = true;
  return file;
}

bool GKernel::SaveFileDialogPath(const char* folder, const char* typeCode, const char* defaultName, std::string& path) {
  PrepareForSystemDialog(false);
  PFileChooser::Settings settings = DialogSettings(PFileChooser::Kind::kSave, programFolder_, folder, &typeCode, 1);
  if (defaultName != nullptr) settings.name = defaultName;
  PFileChooser chooser(std::move(settings), screenWidth_, screenHeight_);
  const bool chosen = RunChooser(*this, chooser);
  AfterDialog(*this);
  if (chosen) path = chooser.ChosenPath();
  return chosen;
}

GFile* GKernel::SaveFileDialog(const char* folder, const char* typeCode, const char* defaultName, int32_t mode) {
  std::string path;
  if (!SaveFileDialogPath(folder, typeCode, defaultName, path)) return nullptr;
  std::unique_ptr<PFile> handle =
      PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways);
  if (!handle) {
    Beep();
    return nullptr;
  }
  auto* file = new GFile();
  if (!file->IFile(std::move(handle), path.c_str(), mode)) SafeDelete(file);
  return file;
}
