#pragma once
#include <cstdint>

#include "framework/core/GString31.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GView.h"

class GFile;
class GGraphic;
class GGroup;
class GObjectGroup;
class GStripButton;
class GameFileHeader;

// The game selection list: the battles (tab 0) and the operations (tab 1) of the "Saved
// Games" and "Scenarios" folders, saved games first, with the quick battle as the first row
// of the battles tab. Rows show the name, the length and size (or "Saved Game"), the title
// and the two forces' flags; the list pages, deletes saved games and opens the chosen file.
// Its own commands are 65 to 69; 59 (play) and 60 (back) go on to the application.
class FileListView : public GView {
 public:
  static constexpr int32_t kCommandBattles = 65;
  static constexpr int32_t kCommandOperations = 66;
  static constexpr int32_t kCommandPageUp = 67;
  static constexpr int32_t kCommandPageDown = 68;
  static constexpr int32_t kCommandDelete = 69;
  static constexpr int32_t kCommandPlay = 59;
  static constexpr int32_t kRowPitch = 24;
  // The widest force code a row can show.
  static constexpr int32_t kLastForceCode = 18;

  FileListView() = default;
  ~FileListView() override;

  // Lays the view out in the parent by the screen size class and reads both folders.
  void Init(GView* parent, int32_t sizeClass);
  void Draw() override;
  void DoCommand(int32_t command) override;
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;

  // The quick battle (quickBattle set, null), the chosen file opened for reading, or null
  // with nothing chosen. A file gone since the list was read beeps, is logged and the list is
  // read again; one whose stored form cannot be opened beeps and sets damaged.
  GFile* OpenSelected(bool& quickBattle, bool& damaged);
  // The delete button shows only for a saved game selected on the current tab.
  void UpdateDeleteButton();

  // What the screen shows, for the tests and the play driver.
  int32_t GetTab();
  void SelectTab(int32_t tab);
  int32_t GetSelected(int32_t tab) const { return selected_[tab & 1]; }
  int32_t GetPage(int32_t tab) const { return page_[tab & 1]; }
  int32_t GetRowsPerPage() const { return rowsPerPage_; }
  // The files of the tab (the quick battle row not counted).
  int32_t GetFileCount(int32_t tab) const;
  const GameFileHeader* GetHeader(int32_t tab, int32_t index) const;
  // The file's name without folder and extension, cut to 27 characters.
  void GetRowName(int32_t tab, int32_t index, GString& name) const;
  // The second column: "Saved Game", or the length and the size name.
  void GetRowDetail(int32_t tab, int32_t index, GString& text) const;
  GStripButton* GetDeleteButton() const { return deleteButton_; }
  GStripButton* GetPageUpButton() const { return pageUp_; }
  GStripButton* GetPageDownButton() const { return pageDown_; }

  // The size name's index (0 "Tiny" .. 4 "Huge") of a size value.
  static int32_t SizeNameIndex(int32_t size);
  // The flag icon of a force code 0..18; -1 outside.
  static int32_t FlagIcon(int32_t forceCode);

 private:
  // Reads both folders into the two tabs; the selections and pages start again.
  void ReadFolders();
  void FreeLists();
  // Rows of the tab: its files, and the quick battle on the battles tab.
  int32_t RowCount(int32_t tab) const;
  int32_t PageCount(int32_t tab) const;
  void UpdatePageButtons(int32_t tab);
  void DrawRow(int32_t tab, int32_t index, int32_t onPage);
  void DeleteSelected(int32_t tab);
  // Logs the failure, beeps and reads the folders again.
  void FailAndReread(const char* what, const char* name);

  GStripButton* deleteButton_ = nullptr;
  GGraphic* head_ = nullptr;
  GGraphic* row_ = nullptr;
  GGraphic* foot_ = nullptr;
  GGraphic* icons_ = nullptr;
  GStripButton* pageUp_ = nullptr;
  GStripButton* pageDown_ = nullptr;
  CRadioGroup tabs_;
  GObjectGroup* files_[2] = {};
  GGroup* headers_[2] = {};
  int32_t selected_[2] = {};
  int32_t page_[2] = {};
  int32_t rowsPerPage_ = 8;
  int32_t sizeClass_ = 0;
  GString31 sizeNames_[5];
};
