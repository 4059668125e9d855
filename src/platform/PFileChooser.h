#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PRect.h"

struct PMessage;

// The system's open and save dialog: a modal file chooser of the program's own. This is its
// model and its handling of the window's messages; the caller runs the loop, hands it every
// message and draws it from what it shows here (the layout, the listing, the name field).
//
// It lists the sub-folders and, under the filter, the files of one folder at a time, lets the
// player move into sub-folders and back up, but never above its root folder, and takes a
// name typed into its name field. Typed names are plain names (PFileName): they can never
// name a file outside the folder shown. The open dialog takes only a file that exists; the
// save dialog adds the default extension to a name typed without one and asks before it
// replaces an existing file.
class PFileChooser {
 public:
  enum class Kind : uint8_t { kOpen, kSave };
  enum class State : uint8_t {
    kRunning,           // the player is choosing
    kConfirmOverwrite,  // save: the chosen file exists, the question is up
    kChosen,            // ChosenPath gives the file
    kCancelled,
  };
  struct Settings {
    Kind kind = Kind::kOpen;
    // Program form with its trailing "\": the folder nothing above which can be reached.
    std::string root;
    // The first folder shown, relative to the root ("" the root itself; "A\B" a folder two
    // levels down). A folder that is not there leaves the root shown.
    std::string folder;
    // The filter: the extensions (without the dot) of the files listed, under one
    // description. No extensions: every file.
    std::string filterName;
    std::vector<std::string> extensions;
    // Added (with a dot) to a saved name typed without an extension; "" adds nothing.
    std::string defaultExtension;
    // The name field's first text.
    std::string name;
  };
  struct Entry {
    std::string name;
    bool folder = false;
  };
  // Where everything is on the screen.
  struct Layout {
    PRect frame;
    PRect titleBar;
    PRect upButton;
    PRect list;
    PRect nameField;
    PRect okButton;
    PRect cancelButton;
    PRect question;
    PRect yesButton;
    PRect noButton;
    int32_t lookInBaseline = 0;
    int32_t nameBaseline = 0;
    int32_t filterBaseline = 0;
    int32_t messageBaseline = 0;
    int32_t labelX = 0;
    int32_t fieldX = 0;
  };

  static constexpr int32_t kWidth = 440;
  static constexpr int32_t kHeight = 340;
  static constexpr int32_t kRowHeight = 16;
  static constexpr int32_t kVisibleRows = 12;
  // Paths are kept to what the program's 255-character path strings hold.
  static constexpr size_t kMaxPath = 255;

  PFileChooser(Settings settings, int32_t screenWidth, int32_t screenHeight);

  // Takes one message of the window: characters edit the name field (Return accepts, Escape
  // cancels, Backspace erases), arrow and page keys move through the list, clicks press the
  // buttons and pick list rows (a double click opens a folder or takes a file).
  void HandleMessage(const PMessage& message);
  // Ends the dialog as cancelled (the window closed, no more messages).
  void Cancel() { state_ = State::kCancelled; }

  State GetState() const { return state_; }
  bool IsFinished() const { return state_ == State::kChosen || state_ == State::kCancelled; }
  // The chosen file, program form, once the state is kChosen.
  const std::string& ChosenPath() const { return chosen_; }

  // What is shown.
  Kind GetKind() const { return settings_.kind; }
  const Layout& GetLayout() const { return layout_; }
  const std::vector<Entry>& Entries() const { return entries_; }
  int32_t Selection() const { return selection_; }
  int32_t FirstVisibleRow() const { return firstVisible_; }
  const std::string& NameText() const { return name_; }
  // The folder shown, program form with its trailing "\", and relative to the root ("" at
  // the root).
  const std::string& Folder() const { return folder_; }
  std::string RelativeFolder() const { return folder_.substr(settings_.root.size()); }
  bool CanGoUp() const { return folder_.size() > settings_.root.size(); }
  // "Scenario (*.wrb;*.wrc)", or "All files (*.*)" without a filter.
  std::string FilterText() const;
  // A line about the last refused choice ("File not found."), or "".
  const std::string& MessageText() const { return message_; }
  // The overwrite question while it is up.
  std::string QuestionText() const;

 private:
  void Load();
  void Enter(const std::string& name);
  void GoUp();
  void Select(int32_t index);
  void Accept();
  void Refuse(const char* text);
  void Choose(const std::string& path);
  void Click(int32_t x, int32_t y, bool doubleClick);
  void Key(uint32_t key);
  void Char(uint8_t c);
  bool Matches(const std::string& fileName) const;

  Settings settings_;
  Layout layout_;
  State state_ = State::kRunning;
  std::string folder_;
  std::vector<Entry> entries_;
  int32_t selection_ = -1;
  int32_t firstVisible_ = 0;
  std::string name_;
  std::string message_;
  std::string pending_;  // the file the overwrite question is about
  std::string chosen_;
};
