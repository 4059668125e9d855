// The sound catalogue itself: every number the game plays has its row, the voices are
// exactly the numbers the units' voice table can draw, each in its group's language.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tools/SoundTestRows.h"

namespace {
using soundrows::ReadRows;
using soundrows::Row;

struct VoiceGroup {
  int base;
  const char* language;
  int takes[15];  // takes per situation 0..14
};

const VoiceGroup kVoiceGroups[] = {
    {2000, "de", {8, 8, 6, 8, 4, 3, 3, 2, 4, 2, 4, 2, 4, 2, 3}},
    {1000, "en-us", {10, 10, 7, 10, 4, 6, 6, 3, 6, 2, 4, 2, 9, 4, 8}},
    {6000, "en-gb", {9, 8, 4, 5, 4, 4, 6, 3, 4, 2, 5, 2, 9, 3, 4}},
    {3000, "pl", {8, 5, 5, 8, 5, 4, 4, 2, 3, 2, 4, 2, 6, 1, 3}},
    {4000, "fr", {10, 8, 3, 5, 4, 5, 4, 3, 4, 1, 4, 1, 7, 1, 5}},
};

std::set<int> Range(int from, int to) {
  std::set<int> s;
  for (int n = from; n <= to; ++n) s.insert(n);
  return s;
}

// The effects, interface sounds and streams the game plays by number.
std::set<int> EffectNumbers() {
  std::set<int> s = {30, 128, 129, 133, 150, 151, 152, 153, 170, 171, 190, 300, 323, 330, 435, 700, 701, 702, 710, 711, 231};
  for (auto [a, b] : {std::pair{160, 162}, {200, 202}, {209, 213}, {219, 221}, {228, 230}, {311, 312}, {320, 322},
                      {400, 405}, {420, 421}, {430, 431}, {440, 442}, {445, 446}, {450, 451}, {460, 462},
                      {470, 473}, {500, 510}, {620, 627}, {800, 804}, {900, 904}})
    for (int n : Range(a, b)) s.insert(n);
  return s;
}

bool Reserved(int n) { return (n >= 240 && n <= 299) || (n >= 340 && n <= 399); }

TEST(SoundCatalogue, HoldsEveryEffectStreamAndVoiceOnce) {
  const auto rows = ReadRows();
  std::set<int> voices, effects, streams;
  for (const auto& [n, r] : rows) {
    if (Reserved(n)) continue;
    if (!r.phrase.empty()) voices.insert(n);
    else if (r.Stereo()) streams.insert(n);
    else effects.insert(n);
  }
  EXPECT_EQ(voices.size(), 353u);
  EXPECT_EQ(effects, EffectNumbers());
  EXPECT_EQ(effects.size(), 96u);
  EXPECT_EQ(streams, (std::set<int>{5000, 5001, 5002, 5003, 5004, 5005, 5006, 5007, 5010}));
  EXPECT_EQ(voices.size() + effects.size() + streams.size(), 458u);
  // The blocks of the built-in data tables hold only weapon reports and engine loops.
  for (const auto& [n, r] : rows) {
    if (n >= 240 && n <= 299) {
      EXPECT_EQ(r.recipe.rfind("gun", 0), 0u) << n;
    }
    if (n >= 340 && n <= 399) {
      EXPECT_EQ(r.recipe.rfind("engine", 0), 0u) << n;
    }
  }
}

TEST(SoundCatalogue, VoicesAreBasePlusTenTimesSituationPlusTakeInTheirGroupsLanguage) {
  const auto rows = ReadRows();
  std::set<int> expected;
  for (const VoiceGroup& g : kVoiceGroups) {
    for (int s = 0; s < 15; ++s) {
      std::set<std::pair<std::string, std::string>> takes;
      for (int k = 0; k < g.takes[s]; ++k) {
        const int n = g.base + 10 * s + k;
        expected.insert(n);
        auto it = rows.find(n);
        ASSERT_NE(it, rows.end()) << n;
        const Row& r = it->second;
        EXPECT_EQ(r.language, g.language) << n;
        EXPECT_EQ(r.length, "speech") << n;
        EXPECT_EQ(r.player, "Unit::MaybeVoiceSound") << n;
        // Each take of a situation is another phrase or another speaker.
        EXPECT_TRUE(takes.insert({r.phrase, r.Arg("speaker")}).second) << n << " repeats " << r.phrase;
      }
    }
  }
  EXPECT_EQ(expected.size(), 353u);
  std::set<int> voices;
  for (const auto& [n, r] : rows)
    if (!r.phrase.empty()) voices.insert(n);
  EXPECT_EQ(voices, expected);
}

TEST(SoundCatalogue, FormsAndRecipesFitWhatPlaysThem) {
  const auto rows = ReadRows();
  for (const auto& [n, r] : rows) {
    SCOPED_TRACE(n);
    if (n >= 340 && n <= 399) continue;  // engine loops of the data tables
    const char* form = n >= 5000 && n <= 5007 ? "stream-loop" : n == 5010 ? "stream"
                       : n == 133 || n == 300 ? "mono-loop" : "mono";
    EXPECT_EQ(r.form, form);
  }
  EXPECT_EQ(rows.at(133).recipe.rfind("engine", 0), 0u);
  for (int n = 620; n <= 627; ++n) EXPECT_EQ(rows.at(n).recipe.rfind("incoming", 0), 0u) << n;
  for (int n = 400; n <= 473; ++n)
    if (rows.count(n)) {
      EXPECT_EQ(rows.at(n).recipe.rfind("smallarms", 0), 0u) << n;
    }
  for (int n = 200; n <= 231; ++n)
    if (rows.count(n)) {
      EXPECT_EQ(rows.at(n).recipe.rfind("explosion", 0), 0u) << n;
    }
}

}  // namespace
