#include "game/units/tables/Hack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "datatables/DataTableCompiler.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/LittleEndian.h"
#include "game/units/tables/DataTablesBlock.h"
#include "game/units/DataTablesRig.h"
#include "platform/PSystem.h"

namespace {

// The published CRC-32 step worked bit by bit, apart from the program's table.
uint32_t CrcStepByBits(uint32_t crc, uint8_t byte) {
  crc ^= byte;
  for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  return crc;
}

std::vector<uint8_t> Records(uint32_t size, int32_t count, uint8_t seed) {
  std::vector<uint8_t> bytes(size * static_cast<uint32_t>(count));
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

// A block as the tool makes it from seven tables; returns its end key.
uint32_t MakeBlock(const std::vector<std::vector<uint8_t>>& tables, std::vector<uint8_t>& block) {
  block = DataTableCompiler::Compress(DataTableCompiler::FrameTables(tables));
  return DataTableCompiler::Scramble(block);
}

}  // namespace

TEST(HackUnscramble, HandWorkedGroupGivesItsBytesAndKey) {
  // 04: bit 2 moves to bit 5 -> 20; 12, 34 inverted -> ED, CB; 10: bit 4 moves to bit 7 -> 80.
  // Reordered ED 80 CB 20, then XOR with the start key's bytes E4 C7 21 5B.
  uint8_t group[4] = {0x04, 0x12, 0x34, 0x10};
  const uint32_t key = Hack::Unscramble(group, 4);
  EXPECT_EQ(group[0], 0x09);
  EXPECT_EQ(group[1], 0x47);
  EXPECT_EQ(group[2], 0xEA);
  EXPECT_EQ(group[3], 0x7B);
  uint32_t expected = Hack::kStartKey;
  for (uint8_t b : {0x09, 0x47, 0xEA, 0x7B}) expected = CrcStepByBits(expected, b);
  EXPECT_EQ(key, expected);
  // Bits already alike are left: 24 keeps bits 2 and 5, 90 bits 4 and 7.
  uint8_t same[4] = {0x24, 0x00, 0xFF, 0x90};
  Hack::Unscramble(same, 4);
  EXPECT_EQ(same[0], static_cast<uint8_t>(0xFF ^ 0xE4));  // old byte 1 inverted
  EXPECT_EQ(same[1], static_cast<uint8_t>(0x90 ^ 0xC7));  // old byte 3
  EXPECT_EQ(same[2], static_cast<uint8_t>(0x00 ^ 0x21));  // old byte 2 inverted
  EXPECT_EQ(same[3], static_cast<uint8_t>(0x24 ^ 0x5B));  // old byte 0
}

TEST(HackUnscramble, RestoresWhatTheToolScrambledAndEndsOnItsKey) {
  for (size_t size : {0u, 1u, 3u, 4u, 5u, 1000u, 4099u}) {
    std::vector<uint8_t> plain(size);
    for (size_t i = 0; i < size; ++i) plain[i] = static_cast<uint8_t>(i * 131 + size);
    std::vector<uint8_t> block = plain;
    const uint32_t key = DataTableCompiler::Scramble(block);
    ASSERT_EQ(block.size() % 4, 0u);
    ASSERT_LT(block.size() - size, 4u);
    EXPECT_EQ(Hack::Unscramble(block.data(), block.size()), key) << size;
    plain.resize(block.size(), 0);
    EXPECT_EQ(block, plain) << size;
  }
}

TEST(HackTables, FreeingBeforeLoadingFreesNothing) {
  Hack::FreeTables();
  EXPECT_EQ(gVehicleClasses.Count(), 0);
  EXPECT_EQ(gFormations.Count(), 0);
  EXPECT_FALSE(gWeapons.IsValid(0));
  Hack::FreeTables();
}

TEST(HackTables, SyntheticBlockLoadsSevenTablesAndAccessorsReadTheirOffsets) {
  DataTablesRig rig;
  std::vector<std::vector<uint8_t>> tables = {
      Records(VehicleData::kSize, 3, 1),   Records(InfantryData::kSize, 2, 2), Records(WeaponData::kSize, 5, 3),
      Records(SmallArmsData::kSize, 1, 4), Records(VehicleModelData::kSize, 2, 5),
      Records(WeaponDrawData::kSize, 1, 6), Records(FormationData::kSize, 1, 7)};
  StoreLEFloat(&tables[0][VehicleData::kSize * 2 + 208], 3.25f);
  StoreLE32(&tables[2][WeaponData::kSize * 4 + 96], 0x3F800000u);   // 1.0f
  StoreLEFloat(&tables[2][WeaponData::kSize * 4 + 100], 2500.0f);
  StoreLE16(&tables[2][WeaponData::kSize * 1 + 92], 0x0041);
  // A partial record after the small-arms entry.
  tables[3].resize(tables[3].size() + 40, 0xEE);
  std::vector<uint8_t> block;
  const uint32_t key = MakeBlock(tables, block);
  Hack::LoadTablesFrom(block.data(), block.size(), key);

  EXPECT_EQ(gVehicleClasses.Count(), 3);
  EXPECT_EQ(gInfantryClasses.Count(), 2);
  EXPECT_EQ(gWeapons.Count(), 5);
  EXPECT_EQ(gSmallArms.Count(), 1);
  EXPECT_EQ(gVehicleModels.Count(), 2);
  EXPECT_EQ(gWeaponDraws.Count(), 1);
  EXPECT_EQ(gFormations.Count(), 1);
  EXPECT_EQ(gSmallArms.Length(), SmallArmsData::kSize + 40);
  EXPECT_FALSE(gSmallArms.IsValid(1));
  EXPECT_FALSE(gSmallArms.IsValid(-1));
  EXPECT_FLOAT_EQ(gVehicleClasses[2].Size(), 3.25f);
  EXPECT_FLOAT_EQ(gWeapons[4].MinRange(), 1.0f);
  EXPECT_FLOAT_EQ(gWeapons[4].MaxRange(), 2500.0f);
  EXPECT_EQ(gWeapons[1].Flags(), 0x0041);
  // Every byte of every table came through: spot checks at both ends of the records.
  EXPECT_EQ(gInfantryClasses[1].U8(0), tables[1][InfantryData::kSize]);
  EXPECT_EQ(gFormations[0].U8(151), tables[6][151]);
  EXPECT_EQ(gVehicleModels[1].I16(0), LoadLEI16(&tables[4][VehicleModelData::kSize]));
  EXPECT_EQ(gWeaponDraws[0].TextureCount(), LoadLEI16(&tables[5][12]));
  EXPECT_EQ(gVehicleClasses[0].ModelIndex(), LoadLEI32(&tables[0][256]));

  Hack::FreeTables();
  EXPECT_EQ(gVehicleClasses.Count(), 0);
  EXPECT_EQ(gSmallArms.Count(), 0);
}

TEST(HackTables, ReadTableRefusesALengthBeyondTheFile) {
  DataTablesRig rig;
  GFile* file = gKernel->CreateTempFile(false);
  file->WriteU32(100);
  file->WriteU32(7);
  file->Rewind();
  uint32_t length = 1;
  EXPECT_EQ(Hack::ReadTable(*file, &length), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_TRUE(file->HasError());
  SafeDelete(file);
}

TEST(HackTables, RecordTextStopsAtTheFieldsEnd) {
  uint8_t bytes[VehicleData::kSize];
  std::memset(bytes, 'A', sizeof bytes);
  const VehicleData v(bytes);
  EXPECT_EQ(v.Name().size(), 35u);
  EXPECT_EQ(v.ShortName().size(), 19u);
  bytes[3] = 0;
  EXPECT_EQ(v.Name(), "AAA");
}

using HackTablesDeathTest = testing::Test;

TEST_F(HackTablesDeathTest, AFlippedByteOfTheBuiltInBlockFailsTheKey) {
  DataTablesRig rig;
  std::vector<uint8_t> block(kDataTablesBlock, kDataTablesBlock + kDataTablesBlockSize);
  block[block.size() / 2] ^= 0x10;
  EXPECT_EXIT(Hack::LoadTablesFrom(block.data(), block.size(), kDataTablesEndKey),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "Hack\\.cpp");
  // The same block unflipped loads.
  block[block.size() / 2] ^= 0x10;
  Hack::LoadTablesFrom(block.data(), block.size(), kDataTablesEndKey);
  EXPECT_GE(gWeapons.Count(), 105);
}

TEST_F(HackTablesDeathTest, AnIndexOutsideItsTableIsFatal) {
  EXPECT_EXIT(gWeapons[0], testing::ExitedWithCode(PSystem::kFatalExitStatus), "Hack\\.cpp");
}
