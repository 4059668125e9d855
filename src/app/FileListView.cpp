#include "app/FileListView.h"

#include <string>

#include "app/GameFileHeader.h"
#include "app/GameFolders.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GGroup.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GSoundManager.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GStripRadioButton.h"
#include "framework/ui/GViewHost.h"
#include "platform/PFileSystem.h"

namespace {

constexpr int32_t kNameColumns = 27;

uint16_t ListPixel(int32_t r, int32_t g, int32_t b) {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

GGraphic* LoadPicture(int32_t number) {
  auto* graphic = new GGraphic();
  graphic->Load(0, number);
  return graphic;
}

void PlayListSound(int16_t number) {
  if (gSoundManager != nullptr) gSoundManager->PlaySound(number, 0);
}

}  // namespace

FileListView::~FileListView() {
  FreeLists();
  delete head_;
  delete row_;
  delete foot_;
  delete icons_;
}

int32_t FileListView::SizeNameIndex(int32_t size) {
  if (size < 36) return 0;
  if (size < 81) return 1;
  if (size < 151) return 2;
  return size < 251 ? 3 : 4;
}

int32_t FileListView::FlagIcon(int32_t forceCode) {
  constexpr int8_t kIcons[kLastForceCode + 1] = {1, 6, 1, 5, 7, 5, 2, 9, 8, 2, 10, 11, 0, 0, 4, 12, 4, 3, 3};
  return forceCode >= 0 && forceCode <= kLastForceCode ? kIcons[forceCode] : -1;
}

void FileListView::Init(GView* parent, int32_t sizeClass) {
  sizeClass_ = sizeClass;
  const int32_t w = sizeClass == 0 ? 636 : 796;
  const int32_t h = sizeClass == 0 ? 272 : sizeClass == 1 ? 392 : 560;
  Place(parent, -1, 70, w, h);
  SetNoFill(1);
  deleteButton_ = new GStripButton();
  deleteButton_->IStripButton(this, w - 285, 23, kCommandDelete, 10033, 0);
  const int32_t first = sizeClass == 0 ? 11220 : 11223;
  head_ = LoadPicture(first);
  row_ = LoadPicture(first + 1);
  foot_ = LoadPicture(first + 2);
  icons_ = LoadPicture(11240);
  tabs_.Init();
  const int32_t tabCommands[2] = {kCommandBattles, kCommandOperations};
  for (int32_t tab = 0; tab < 2; ++tab) {
    auto* button = new GStripRadioButton();
    button->IStripRadioButton(&tabs_, 0, this, w - 170, 15 + 18 * tab, static_cast<int16_t>(11232 + tab), 0);
    button->SetCommand(tabCommands[tab]);
    button->SetClickSound(151);
  }
  pageUp_ = new GStripButton();
  pageUp_->IStripButton(this, w - 80, 15, kCommandPageUp, 11230, 2);
  pageUp_->SetClickSound(150);
  pageDown_ = new GStripButton();
  pageDown_->IStripButton(this, w - 80, 33, kCommandPageDown, 11231, 2);
  pageDown_->SetClickSound(150);
  ReadFolders();
  rowsPerPage_ = (h - 80) / kRowPitch;
  for (int32_t i = 0; i < 5; ++i) sizeNames_[i].LoadResource(static_cast<uint32_t>(1560 + i));
  DoCommand(kCommandPageUp);
  UpdateDeleteButton();
}

void FileListView::FreeLists() {
  for (int32_t tab = 0; tab < 2; ++tab) {
    SafeDelete(files_[tab]);
    SafeDelete(headers_[tab]);
  }
}

void FileListView::ReadFolders() {
  FreeLists();
  if (gKernel == nullptr) return;
  const char* folders[2] = {GameFolders::SavedGamesFolderName().CStr(), GameFolders::ScenariosFolderName().CStr()};
  const char* codes[2] = {"wrb0", "wrc0"};
  for (int32_t tab = 0; tab < 2; ++tab) {
    // Saved games first, then the scenarios, each folder sorted by name.
    files_[tab] = gKernel->ListFiles(folders[0], codes[tab]);
    GObjectGroup* second = gKernel->ListFiles(folders[1], codes[tab]);
    second->SetOwnsMembers(false);
    for (int32_t i = 0; i < second->Count(); ++i) files_[tab]->Append(second->GetItem(i));
    delete second;
    headers_[tab] = new GGroup();
    headers_[tab]->Init();
    headers_[tab]->SetOwnsMembers(true);
    // Unreadable files and files whose header cannot be read are left out (and logged).
    files_[tab]->RemoveIf(ReadListedGameFile, headers_[tab], true);
    page_[tab] = 0;
  }
  selected_[0] = 0;
  selected_[1] = files_[1]->Count() > 0 ? 0 : -1;
}

int32_t FileListView::GetTab() {
  const int32_t index = tabs_.GetSelectedIndex();
  return index == 1 ? 1 : 0;
}

void FileListView::SelectTab(int32_t tab) {
  tabs_.SelectAt(tab == 1 ? 1 : 0);
  DoCommand(tab == 1 ? kCommandOperations : kCommandBattles);
}

int32_t FileListView::GetFileCount(int32_t tab) const {
  const GObjectGroup* files = files_[tab & 1];
  return files != nullptr ? files->Count() : 0;
}

const GameFileHeader* FileListView::GetHeader(int32_t tab, int32_t index) const {
  const GGroup* headers = headers_[tab & 1];
  if (headers == nullptr || index < 0 || index >= headers->Count()) return nullptr;
  return static_cast<const GameFileHeader*>(headers->GetItem(index));
}

int32_t FileListView::RowCount(int32_t tab) const { return GetFileCount(tab) + (tab == 0 ? 1 : 0); }

int32_t FileListView::PageCount(int32_t tab) const {
  return (RowCount(tab) + rowsPerPage_ - 1) / rowsPerPage_;
}

void FileListView::GetRowName(int32_t tab, int32_t index, GString& name) const {
  name.Clear();
  if (index < 0 || index >= GetFileCount(tab)) return;
  const auto* entry = static_cast<const GFileEntry*>(files_[tab & 1]->GetItem(index));
  GString255 text;
  text = entry->name;
  GKernel::StripExtension(text);
  const std::string cut = std::string(text.CStr()).substr(0, kNameColumns);
  name.Assign(cut.c_str());
}

void FileListView::GetRowDetail(int32_t tab, int32_t index, GString& text) const {
  text.Clear();
  const GameFileHeader* header = GetHeader(tab, index);
  if (header == nullptr) return;
  if (header->savedGame != 0) {
    text.LoadResource(1534);
    return;
  }
  text.AssignNumber(header->length);
  text.AppendChar(' ');
  text.AppendResource(tab == 0 ? 641 : 811);
  text.AppendResource(1080);
  text.Append(sizeNames_[SizeNameIndex(header->size)]);
}

void FileListView::Draw() {
  const int32_t tab = GetTab();
  DrawGraphic(head_, 0, 0);
  for (int32_t i = 0; i < rowsPerPage_; ++i) DrawGraphic(row_, 0, 62 + kRowPitch * i);
  DrawGraphic(foot_, 0, 62 + kRowPitch * rowsPerPage_);
  const int32_t page = page_[tab];
  int32_t counter = tab == 0 ? 1 : 0;
  if (tab == 0 && page == 0) {
    GString255 text;
    text.LoadResource(1530);
    DrawShadowedText(&text, 19, 80, -1, 0, 255, 228, 60, 0, 0, 0, 1);
    text.LoadResource(1531);
    DrawShadowedText(&text, sizeClass_ == 0 ? 322 : 345, 80, -1, 0, 255, 228, 60, 0, 0, 0, 1);
  }
  for (int32_t i = 0; i < GetFileCount(tab); ++i, ++counter) {
    if (counter >= page * rowsPerPage_ && counter < page * rowsPerPage_ + rowsPerPage_)
      DrawRow(tab, i, counter - page * rowsPerPage_);
  }
  const int32_t r = selected_[tab] - page * rowsPerPage_;
  if (selected_[tab] >= 0 && r >= 0 && r < rowsPerPage_) {
    GRect frame{16, 65 + kRowPitch * r, Width() - 19, 89 + kRowPitch * r};
    FrameRect(frame, ListPixel(255, 255, 0));
    frame = GRect{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1};
    FrameRect(frame, ListPixel(109, 126, 69));
  }
}

void FileListView::DrawRow(int32_t tab, int32_t index, int32_t onPage) {
  const GameFileHeader* header = GetHeader(tab, index);
  if (header == nullptr) return;
  const int32_t y = 81 + kRowPitch * onPage;
  const bool saved = header->savedGame != 0;
  const uint8_t g = saved ? 175 : 255;
  const uint8_t b = saved ? 110 : 255;
  GString255 text;
  GetRowName(tab, index, text);
  DrawShadowedText(&text, 19, y, -1, 0, 255, g, b, 0, 0, 0, 1);
  GetRowDetail(tab, index, text);
  DrawShadowedText(&text, sizeClass_ == 0 ? 205 : 225, y - 1, -1, 0, 255, g, b, 0, 0, 0, 1);
  DrawShadowedText(&header->title, sizeClass_ == 0 ? 322 : 345, y - 1, -1, 0, 255, g, b, 0, 0, 0, 1);
  // The header reader leaves out files of other force codes, so every listed code has a flag.
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t icon = FlagIcon(header->forces[side]);
    if (icon < 0) continue;
    DrawGraphicPart(icons_, GRect{20 * icon, 0, 20 * icon + 20, 20}, Width() - (side == 0 ? 42 : 66), y - 14);
  }
}

void FileListView::MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t, uint8_t) {
  (void)x;
  const int32_t tab = GetTab();
  // Truncated toward zero: up to 23 pixels above the first row still count as row 0.
  const int32_t r = (y - 65) / kRowPitch;
  if (r < 0 || r >= rowsPerPage_) return;
  const int32_t index = r + rowsPerPage_ * page_[tab];
  if (index >= RowCount(tab)) return;
  selected_[tab] = index;
  Invalidate();
  if (doubleClick != 0) {
    PlayListSound(152);
    DoCommand(kCommandPlay);
    return;
  }
  PlayListSound(150);
  UpdateDeleteButton();
}

void FileListView::UpdatePageButtons(int32_t tab) {
  pageUp_->SetEnabled(page_[tab] > 0 ? 1 : 0);
  pageDown_->SetEnabled(page_[tab] < PageCount(tab) - 1 ? 1 : 0);
}

void FileListView::DoCommand(int32_t command) {
  if (command < kCommandBattles || command > kCommandDelete) {
    GView::DoCommand(command);
    return;
  }
  const int32_t tab = GetTab();
  switch (command) {
    case kCommandPageUp:
      if (page_[tab] > 0) {
        --page_[tab];
        selected_[tab] = page_[tab] * rowsPerPage_;
      }
      UpdateDeleteButton();
      break;
    case kCommandPageDown:
      if (page_[tab] < PageCount(tab) - 1) {
        ++page_[tab];
        selected_[tab] = page_[tab] * rowsPerPage_;
      }
      UpdateDeleteButton();
      break;
    case kCommandDelete: DeleteSelected(tab); break;
    default: UpdateDeleteButton(); break;
  }
  Invalidate();
  UpdatePageButtons(GetTab());
}

void FileListView::DeleteSelected(int32_t tab) {
  PlayListSound(151);
  const int32_t old = selected_[tab];
  const int32_t index = old - (tab == 0 ? 1 : 0);
  if (index < 0 || index >= GetFileCount(tab)) return;
  auto* entry = static_cast<GFileEntry*>(files_[tab]->GetItem(index));
  const GameFileHeader* header = GetHeader(tab, index);
  // Only saved games are offered for deletion.
  if (header == nullptr || header->savedGame == 0) return;
  if (!PFileSystem::Delete(entry->path.CStr())) {
    FailAndReread("Saved game could not be deleted ", entry->name.CStr());
    return;
  }
  files_[tab]->RemoveAt(index, true);
  headers_[tab]->RemoveAt(index, true);
  int32_t selection = old - 1;
  if (selection < 0) selection = tab == 1 && files_[tab]->Count() == 0 ? -1 : 0;
  selected_[tab] = selection;
  if (page_[tab] > 0) {
    // Back one page and on again: the page stays in range of the shorter list.
    DoCommand(kCommandPageUp);
    DoCommand(kCommandPageDown);
  }
  UpdateDeleteButton();
}

void FileListView::FailAndReread(const char* what, const char* name) {
  GErrorLog::LogError((std::string(what) + name).c_str());
  if (gKernel != nullptr) gKernel->Beep();
  const int32_t tab = GetTab();
  ReadFolders();
  UpdateDeleteButton();
  UpdatePageButtons(tab);
  Invalidate();
}

void FileListView::UpdateDeleteButton() {
  const int32_t tab = GetTab();
  const GameFileHeader* header = GetHeader(tab, selected_[tab] - (tab == 0 ? 1 : 0));
  deleteButton_->SetVisible(header != nullptr && header->savedGame != 0 ? 1 : 0);
}

GFile* FileListView::OpenSelected(bool& quickBattle, bool& damaged) {
  damaged = false;
  const int32_t tab = GetTab();
  quickBattle = tab == 0 && selected_[0] == 0;
  if (quickBattle) return nullptr;
  const int32_t index = selected_[tab] - (tab == 0 ? 1 : 0);
  if (index < 0 || index >= GetFileCount(tab) || gKernel == nullptr) return nullptr;
  const auto* entry = static_cast<const GFileEntry*>(files_[tab]->GetItem(index));
  GFile* file = gKernel->OpenFileForReading(entry, GFile::kModeReadGameFile);
  if (file != nullptr) return file;
  // Still there, its stored form is damaged; gone, the list no longer holds what is on disk.
  damaged = PFileSystem::Exists(entry->path.CStr());
  if (damaged) {
    GErrorLog::LogError((std::string("Listed game file is damaged ") + entry->name.CStr()).c_str());
    gKernel->Beep();
  } else {
    FailAndReread("Listed game file could not be opened ", entry->name.CStr());
  }
  return nullptr;
}
