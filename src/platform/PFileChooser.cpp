#include "platform/PFileChooser.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "platform/PFileName.h"
#include "platform/PFileSystem.h"
#include "platform/PKey.h"
#include "platform/PMessage.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

namespace {

constexpr uint8_t kCharBackspace = 8;
constexpr uint8_t kCharReturn = 13;
constexpr uint8_t kCharEscape = 27;

bool Inside(const PRect& r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

std::string Lowered(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool NameOrder(const std::string& a, const std::string& b) {
  const std::string la = Lowered(a);
  const std::string lb = Lowered(b);
  return la != lb ? la < lb : a < b;
}

// The sub-folders of a folder whose names the chooser can show and enter.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::string native = PPath::ToNative(folder);
  if (native.empty() || native.back() != '/') native.push_back('/');
  DIR* d = opendir(native.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.empty() || name[0] == '.') continue;
    struct stat st{};
    if (::stat((native + name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    std::string program;
    if (PFileName::FromListing(name, program)) names.push_back(program);
  }
  closedir(d);
  std::sort(names.begin(), names.end(), NameOrder);
  return names;
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

}  // namespace

PFileChooser::PFileChooser(Settings settings, int32_t screenWidth, int32_t screenHeight)
    : settings_(std::move(settings)) {
  if (settings_.root.empty() || settings_.root.back() != '\\') settings_.root.push_back('\\');
  folder_ = settings_.root;
  const std::string& start = settings_.folder;
  if (!start.empty() && PFileName::IsValidFolderPath(start) && PFileSystem::IsFolder(settings_.root + start))
    folder_ = settings_.root + start + "\\";
  name_ = settings_.name.size() > PFileName::kMaxLength ? settings_.name.substr(0, PFileName::kMaxLength)
                                                        : settings_.name;

  const int32_t x = (screenWidth - kWidth) / 2;
  const int32_t y = (screenHeight - kHeight) / 2;
  Layout& l = layout_;
  l.frame = PRect{x, y, x + kWidth, y + kHeight};
  l.titleBar = PRect{x, y, x + kWidth, y + 20};
  l.lookInBaseline = y + 40;
  l.upButton = PRect{x + 360, y + 26, x + 430, y + 46};
  l.list = PRect{x + 10, y + 52, x + 430, y + 52 + kVisibleRows * kRowHeight + 4};
  l.labelX = x + 10;
  l.fieldX = x + 100;
  l.nameField = PRect{x + 100, y + 258, x + 330, y + 278};
  l.nameBaseline = y + 272;
  l.filterBaseline = y + 300;
  l.okButton = PRect{x + 345, y + 258, x + 430, y + 278};
  l.cancelButton = PRect{x + 345, y + 286, x + 430, y + 306};
  l.messageBaseline = y + 328;
  const int32_t cx = screenWidth / 2;
  const int32_t cy = screenHeight / 2;
  l.question = PRect{cx - 190, cy - 45, cx + 190, cy + 45};
  l.yesButton = PRect{cx - 90, cy + 12, cx - 10, cy + 34};
  l.noButton = PRect{cx + 10, cy + 12, cx + 90, cy + 34};
  Load();
}

std::string PFileChooser::FilterText() const {
  if (settings_.extensions.empty()) return "All files (*.*)";
  std::string text = settings_.filterName + " (";
  for (size_t i = 0; i < settings_.extensions.size(); ++i) {
    if (i > 0) text += ";";
    text += "*." + settings_.extensions[i];
  }
  return text + ")";
}

std::string PFileChooser::QuestionText() const {
  const size_t slash = pending_.rfind('\\');
  return pending_.substr(slash == std::string::npos ? 0 : slash + 1) + " already exists. Replace it?";
}

bool PFileChooser::Matches(const std::string& fileName) const {
  if (settings_.extensions.empty()) return true;
  const std::string extension = PFileName::Extension(fileName);
  for (const std::string& wanted : settings_.extensions)
    if (PPath::SameIgnoringCase(extension, wanted)) return true;
  return false;
}

void PFileChooser::Load() {
  entries_.clear();
  for (std::string& name : SubFolders(folder_)) entries_.push_back(Entry{std::move(name), true});
  std::vector<std::string> files;
  for (std::string& name : PFileSystem::ListFolder(folder_, "")) {
    if (Matches(name)) files.push_back(std::move(name));
  }
  std::sort(files.begin(), files.end(), NameOrder);
  for (std::string& name : files) entries_.push_back(Entry{std::move(name), false});
  selection_ = -1;
  firstVisible_ = 0;
}

void PFileChooser::Enter(const std::string& name) {
  if (folder_.size() + name.size() + 1 > kMaxPath) {
    Refuse("The folder's path is too long.");
    return;
  }
  folder_ += name + "\\";
  message_.clear();
  Load();
}

void PFileChooser::GoUp() {
  if (!CanGoUp()) return;
  // Drop the last part and its "\".
  const size_t slash = folder_.rfind('\\', folder_.size() - 2);
  folder_.resize(slash + 1);
  message_.clear();
  Load();
}

void PFileChooser::Select(int32_t index) {
  const int32_t count = static_cast<int32_t>(entries_.size());
  if (count == 0) return;
  selection_ = std::clamp(index, 0, count - 1);
  if (selection_ < firstVisible_) firstVisible_ = selection_;
  if (selection_ >= firstVisible_ + kVisibleRows) firstVisible_ = selection_ - kVisibleRows + 1;
  const Entry& entry = entries_[static_cast<size_t>(selection_)];
  if (!entry.folder) name_ = entry.name;
  message_.clear();
}

void PFileChooser::Refuse(const char* text) {
  message_ = text;
  PSystem::Beep();
}

void PFileChooser::Choose(const std::string& path) {
  chosen_ = path;
  state_ = State::kChosen;
}

void PFileChooser::Accept() {
  std::string name = Trimmed(name_);
  if (name.empty()) {
    if (selection_ >= 0 && entries_[static_cast<size_t>(selection_)].folder)
      Enter(entries_[static_cast<size_t>(selection_)].name);
    return;
  }
  if (!PFileName::IsValid(name)) {
    Refuse("The file name is not valid.");
    return;
  }
  // A sub-folder's name typed in opens the folder (under its own spelling).
  for (const Entry& entry : entries_) {
    if (entry.folder && PPath::SameIgnoringCase(entry.name, name)) {
      name_.clear();
      Enter(entry.name);
      return;
    }
  }
  std::string path = folder_ + name;
  const bool noExtension = PFileName::Extension(name).empty() && !settings_.defaultExtension.empty();
  if (settings_.kind == Kind::kOpen) {
    if (noExtension && !PFileSystem::Exists(path)) path += "." + settings_.defaultExtension;
    if (path.size() > kMaxPath || !PFileSystem::Exists(path) || PFileSystem::IsFolder(path)) {
      Refuse("File not found.");
      return;
    }
    Choose(path);
    return;
  }
  if (noExtension) {
    name += "." + settings_.defaultExtension;
    path = folder_ + name;
  }
  if (name.size() > PFileName::kMaxLength || path.size() > kMaxPath || PFileSystem::IsFolder(path)) {
    Refuse("The file name is not valid.");
    return;
  }
  if (PFileSystem::Exists(path)) {
    pending_ = path;
    state_ = State::kConfirmOverwrite;
    return;
  }
  Choose(path);
}

void PFileChooser::Click(int32_t x, int32_t y, bool doubleClick) {
  const Layout& l = layout_;
  if (state_ == State::kConfirmOverwrite) {
    if (Inside(l.yesButton, x, y)) Choose(pending_);
    else if (Inside(l.noButton, x, y)) state_ = State::kRunning;
    return;
  }
  if (Inside(l.okButton, x, y)) {
    Accept();
  } else if (Inside(l.cancelButton, x, y)) {
    state_ = State::kCancelled;
  } else if (Inside(l.upButton, x, y)) {
    GoUp();
  } else if (Inside(l.list, x, y)) {
    const int32_t row = (y - l.list.top - 2) / kRowHeight;
    const int32_t index = firstVisible_ + row;
    if (row < 0 || row >= kVisibleRows || index >= static_cast<int32_t>(entries_.size())) return;
    Select(index);
    if (!doubleClick) return;
    const Entry entry = entries_[static_cast<size_t>(index)];
    if (entry.folder) Enter(entry.name);
    else Accept();
  }
}

void PFileChooser::Key(uint32_t key) {
  if (state_ != State::kRunning) return;
  const int32_t count = static_cast<int32_t>(entries_.size());
  switch (key) {
    case kKeyUp:
      Select(selection_ < 0 ? 0 : selection_ - 1);
      break;
    case kKeyDown:
      Select(selection_ + 1);
      break;
    case kKeyPageUp:
      Select(selection_ - kVisibleRows);
      break;
    case kKeyPageDown:
      Select(selection_ < 0 ? kVisibleRows - 1 : selection_ + kVisibleRows);
      break;
    case kKeyHome:
      Select(0);
      break;
    case kKeyEnd:
      Select(count - 1);
      break;
    default:
      break;
  }
}

void PFileChooser::Char(uint8_t c) {
  if (state_ == State::kConfirmOverwrite) {
    if (c == 'y' || c == 'Y' || c == kCharReturn) Choose(pending_);
    else if (c == 'n' || c == 'N' || c == kCharEscape) state_ = State::kRunning;
    return;
  }
  if (c == kCharReturn) {
    Accept();
  } else if (c == kCharEscape) {
    state_ = State::kCancelled;
  } else if (c == kCharBackspace) {
    if (!name_.empty()) name_.pop_back();
    message_.clear();
  } else if (c >= 32 && c != 127) {
    if (name_.size() < PFileName::kMaxLength) name_.push_back(static_cast<char>(c));
    message_.clear();
  }
}

void PFileChooser::HandleMessage(const PMessage& message) {
  if (IsFinished()) return;
  switch (message.type) {
    case PMessageType::kChar:
      Char(static_cast<uint8_t>(message.param));
      break;
    case PMessageType::kKeyDown:
      Key(message.param);
      break;
    case PMessageType::kLeftDown:
      Click(message.x, message.y, false);
      break;
    case PMessageType::kLeftDoubleClick:
      Click(message.x, message.y, true);
      break;
    case PMessageType::kClose:
      state_ = State::kCancelled;
      break;
    default:
      break;
  }
}
