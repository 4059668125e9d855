#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/GameSettings.h"
#include "support/TestFolder.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

}  // namespace

TEST(GameSettingsTest, DefaultsGiveTheFortyStoredBytesAndTheUnstoredOptions) {
  GameSettings settings;
  DisplayPreset record;
  const std::string file = settings.FileBytes(record);
  ASSERT_EQ(file.size(), 105u);
  EXPECT_EQ(file.substr(65), Bytes({2, 0, 2, 1, 2, 0, 0, 0, 1, 0, 2, 1, 1, 0, 1, 2, 1, 1, 2, 1}) + std::string(20, '\0'));
  const int8_t unstored[5] = {0, 1, 1, 1, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(settings.Get(40 + i), unstored[i]) << i;
  EXPECT_EQ(settings.OtherOptions()[18], 2);
}

TEST(GameSettingsTest, StoredValuesOutsideTheirRangeTakeTheDefault) {
  // Option 18 (gamma) 100 would set a gamma of 11.
  EXPECT_EQ(GameSettings::Mended(18, 100), 2);
  EXPECT_EQ(GameSettings::Mended(18, 4), 4);
  EXPECT_EQ(GameSettings::Mended(18, -1), 2);
  EXPECT_EQ(GameSettings::Mended(0, 3), 2);
  EXPECT_EQ(GameSettings::Mended(2, 3), 3);
  EXPECT_EQ(GameSettings::Mended(7, 4), 0);
  EXPECT_EQ(GameSettings::Mended(9, 5), 0);
  // Reserved options and the address bytes keep any value (192 is stored as -64).
  EXPECT_EQ(GameSettings::Mended(6, -7), -7);
  EXPECT_EQ(GameSettings::Mended(21, -64), -64);
  EXPECT_EQ(GameSettings::Mended(39, 99), 99);
}

TEST(GameSettingsTest, TheFileIsReadMendedAndAForeignOneIsIgnoredWhole) {
  TestFolder folder;
  std::string bytes(105, '\0');
  bytes[1] = 1;
  for (int i = 0; i < 40; ++i) bytes[65 + i] = 1;
  bytes[65 + 18] = 100;
  const std::string path = folder.WriteFile("prefs", bytes);
  GameSettings settings;
  DisplayPreset record;
  ASSERT_TRUE(settings.ReadFile(path, record));
  EXPECT_EQ(record.use3DPreset, 1);
  EXPECT_EQ(settings.Get(18), 2);
  EXPECT_EQ(settings.Get(0), 1);

  bytes[0] = 1;
  folder.WriteFile("prefs", bytes);
  GameSettings fresh;
  DisplayPreset untouched;
  EXPECT_FALSE(fresh.ReadFile(path, untouched));
  EXPECT_EQ(untouched.use3DPreset, 0);
  EXPECT_EQ(fresh.Get(0), 2);
  // A short file too.
  folder.WriteFile("prefs", std::string(104, '\0'));
  EXPECT_FALSE(fresh.ReadFile(path, untouched));
  EXPECT_FALSE(fresh.ReadFile(folder.Native() + "missing", untouched));
}

TEST(GameSettingsTest, WritingGoesThroughATemporaryNameAndKeepsTheOldFileOnFailure) {
  TestFolder folder;
  GameSettings settings;
  settings.Set(0, 1);
  DisplayPreset record;
  const std::string path = folder.Native() + "prefs";
  ASSERT_TRUE(settings.WriteFile(path, record));
  EXPECT_EQ(folder.ReadFile("prefs"), settings.FileBytes(record));
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
  // A folder in the way of the temporary name: nothing written, the old file kept whole.
  std::filesystem::create_directory(path + ".new");
  settings.Set(0, 0);
  EXPECT_FALSE(settings.WriteFile(path, record));
  EXPECT_EQ(folder.ReadFile("prefs")[65], 1);
}

TEST(GameSettingsTest, TheTwoPlayersSetsChangePlaces) {
  GameSettings settings;
  settings.Set(4, 0);
  settings.SwapWithOther();
  EXPECT_EQ(settings.Get(4), 2);
  EXPECT_EQ(settings.OtherOptions()[4], 0);
}
