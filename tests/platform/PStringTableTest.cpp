#include "platform/PStringTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "StringIds.h"
#include "support/ResourceRecorder.h"

namespace {

std::string Load(uint32_t id) {
  char buffer[256];
  const int n = PStringTable::LoadString(id, buffer, sizeof buffer);
  return std::string(buffer, static_cast<size_t>(n));
}

bool Has(uint32_t id) { return PStringTable::Find(id, nullptr) != nullptr; }

// Inclusive id runs.
using Runs = std::vector<std::pair<uint32_t, uint32_t>>;

std::vector<uint32_t> Missing(const Runs& runs) {
  std::vector<uint32_t> missing;
  for (const auto& [first, last] : runs)
    for (uint32_t id = first; id <= last; ++id)
      if (!Has(id)) missing.push_back(id);
  return missing;
}

std::vector<uint32_t> LongerThan(const Runs& runs, size_t limit) {
  std::vector<uint32_t> longer;
  for (const auto& [first, last] : runs)
    for (uint32_t id = first; id <= last; ++id) {
      uint32_t length = 0;
      if (PStringTable::Find(id, &length) != nullptr && length > limit) longer.push_back(id);
    }
  return longer;
}

TEST(PStringTableTexts, KeepBlanksAtEitherEndAndInnerRuns) {
  EXPECT_EQ(Load(1208), "shift-A    Viewpoint up");
  EXPECT_EQ(Load(1250), "ARROWS     Move viewpoint");
  EXPECT_EQ(Load(283), " Coverage");
  EXPECT_EQ(Load(1363), "  (");
  EXPECT_EQ(Load(1340), "Kill: ");
  EXPECT_EQ(Load(1390), "  Top  ");
  EXPECT_EQ(Load(1416), "Weapon         Range: 40m  100m  250m  500m 1000m");
  EXPECT_EQ(Load(601), "June  1944");
}

TEST(PStringTableTexts, HoldTheNamedTextsInWindows1252) {
  EXPECT_EQ(Load(5200), "Heavy Tank");
  EXPECT_EQ(Load(5223), "Pillbox");
  EXPECT_EQ(Load(1540), "Tarvane Osmr Vel Prefs");
  EXPECT_EQ(Load(504), "Fallschirmj\xE4ger");
  EXPECT_EQ(Load(505), "Gebirgsj\xE4ger");
  EXPECT_EQ(Load(202), "saved in the \"PBEM\" directory.  Then you should switch to your");
  EXPECT_EQ(Load(1261), "\\          Switch sides (Editor only)");
  EXPECT_EQ(Load(440), "Axis Total Victory");
  EXPECT_EQ(Load(444), "Draw");
  EXPECT_EQ(Load(448), "Allied Total Victory");
  EXPECT_EQ(Load(1150), "January");
  EXPECT_EQ(Load(1161), "December");
  EXPECT_EQ(Load(5000), "open ground");
  EXPECT_EQ(Load(5044), "pavement");
  EXPECT_EQ(Load(5100), "Am");
  EXPECT_EQ(Load(5103), "Br");
  EXPECT_EQ(Load(5108), "SS");
}

TEST(PStringTableTexts, TheKeyHelpGapsStayAbsent) {
  for (uint32_t id : {1221u, 1222u, 1264u}) {
    ResourceRecorder::ExpectAbsent(PResourceObserver::Kind::kString, static_cast<int32_t>(id));
    char buffer[8] = "x";
    EXPECT_EQ(PStringTable::LoadString(id, buffer, sizeof buffer), 0) << id;
    EXPECT_STREQ(buffer, "") << id;
  }
}

TEST(PStringTableTexts, EveryIdOfTheNumberedRunsExists) {
  Runs runs = {{440, 448},   {631, 636},   {671, 679},   {1050, 1055}, {1110, 1124}, {1130, 1136},
               {1140, 1142}, {1150, 1161}, {1200, 1220}, {1250, 1263}, {1265, 1272}, {1340, 1346},
               {1450, 1479}, {5000, 5044}, {5100, 5118}, {5200, 5223}, {5300, 5306}, {5308, 5310},
               {5400, 5406}, {5408, 5410}, {5600, 5606}, {5800, 5803}, {5500, 5500}, {5504, 5504},
               {5510, 5532}, {210, 213},   {234, 238},   {266, 268},   {290, 300},   {1560, 1564},
               {1620, 1625}, {1650, 1652}, {650, 655},   {201, 203}};
  for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 15u, 16u, 22u, 24u, 25u,
                        26u, 27u, 28u, 31u, 35u})
    runs.push_back({5700 + code, 5700 + code});
  EXPECT_EQ(Missing(runs), std::vector<uint32_t>{});
  // A category folded into another and the unused inanimate kind have no text of their own.
  for (uint32_t id : {5714u, 5307u}) {
    ResourceRecorder::ExpectAbsent(PResourceObserver::Kind::kString, static_cast<int32_t>(id));
    EXPECT_FALSE(Has(id)) << id;
  }
}

// Pop-up items are kept in 31-byte strings and control labels in 63-byte ones: no text of
// theirs may be cut.
TEST(PStringTableTexts, PopupItemsAndControlLabelsFitTheirStrings) {
  const Runs popupItems = {{130, 132},   {135, 136},   {491, 494},   {501, 506},   {510, 518},
                           {521, 524},   {531, 532},   {540, 543},   {561, 563},   {571, 573},
                           {581, 591},   {601, 612},   {621, 623},   {631, 636},   {671, 679},
                           {689, 693},   {702, 703},   {711, 712},   {731, 732},   {741, 742},
                           {751, 755},   {760, 762},   {771, 776},   {781, 794},   {801, 803},
                           {821, 830},   {851, 860},   {872, 877},   {881, 885},   {900, 905},
                           {910, 915},   {480, 483},   {951, 952},   {961, 965},   {971, 974},
                           {983, 985},   {1000, 1001}, {1011, 1014}, {1021, 1024}, {1031, 1035},
                           {kStrFreeToPlace, kStrStickToDefault}, {kStrBonusNone, kStrBonusPlus3},
                           {kStrBalanceAllied200, kStrBalanceAxis200},
                           {kStrTimeLimitNone, kStrTimeLimit30}};
  EXPECT_EQ(Missing(popupItems), std::vector<uint32_t>{});
  EXPECT_EQ(LongerThan(popupItems, 31), std::vector<uint32_t>{});
  const Runs controlLabels = {{310, 312}, {920, 925}, {kStrOnePlayer, kStrTcpIp}};
  EXPECT_EQ(Missing(controlLabels), std::vector<uint32_t>{});
  EXPECT_EQ(LongerThan(controlLabels, 63), std::vector<uint32_t>{});
}

TEST(PStringTableTexts, TheProtocolVersionIsAPlainDecimalNumber) {
  const std::string version = Load(9999);
  ASSERT_FALSE(version.empty());
  for (char c : version) EXPECT_TRUE(c >= '0' && c <= '9') << version;
  EXPECT_EQ(std::stoi(version), 110);
}

TEST(PStringTableTexts, ReservedTextsAreNamedInStringIds) {
  static_assert(kStrSightBlocked >= 20000 && kStrSightBlocked <= 20999);
  EXPECT_EQ(Load(kStrSightBlocked), "Sight Blocked");
  EXPECT_EQ(Load(kStrExposure), "Exposure: ");
  EXPECT_EQ(Load(kStrWaypointWithdraw), " (withdraw)");
  EXPECT_EQ(Load(kStrTimeLimit1), "Time Limit:  1 minute");
}

}  // namespace
