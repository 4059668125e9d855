// Saved games damaged a byte at a time and opened the way the game list opens them (read,
// prepared for play, a frame drawn, a turn computed): whatever the readers accept must play
// without ending the program or faulting. The damage: bytes of the header and of the play
// settings after it set to 0x00, 0xFF and one more than they were, and a seeded sample of the
// rest of the file (the battle, its map and units) changed the same ways. The damage found
// this way that ended play is kept, one case each, in
// GameFileTest.DamageThatWouldEndPlayIsRefused.
//
// The suite runs a small sample; the wide search (every byte of the header and settings, three
// thousand of the rest, over the test saved game, scenario and operation) takes minutes under
// the sanitizers and is run by hand, each case named on the error stream before it plays:
//   test_app --gtest_also_run_disabled_tests --gtest_filter='GamePlayDamage.*'
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/GamePlayPath.h"
#include "platform/PClock.h"
#include "platform/PPath.h"
#include "support/TestFolder.h"

namespace {

struct Damage {
  size_t at;
  uint8_t value;
};

// Where a game file's content keeps what: the header (its 16 bytes and the title), the block
// of 1,024 after it, the play settings and briefings up to the file version and its reserved
// bytes, and the rest.
struct Layout {
  size_t header = 0;
  size_t settings = 0;
  size_t body = 0;
};

Layout LayoutOf(const std::string& content) {
  Layout l;
  l.header = 16 + (content.size() > 15 ? static_cast<uint8_t>(content[15]) : 0);
  l.settings = l.header + 1024;
  // The file version (4) follows the briefings, then the extension count 255, two bytes and
  // 253 reserved zeros.
  for (size_t i = l.settings; i + 4 + 253 <= content.size(); ++i) {
    if (content[i] == 4 && static_cast<uint8_t>(content[i + 1]) == 255 &&
        content.compare(i + 4, 253, std::string(253, '\0')) == 0) {
      l.body = i + 4 + 253;
      break;
    }
  }
  return l;
}

// Each byte of [from, to) set to 0x00, 0xFF and one more, where that changes it.
void EveryByte(const std::string& content, size_t from, size_t to, std::vector<Damage>& out) {
  for (size_t at = from; at < to && at < content.size(); ++at) {
    const auto was = static_cast<uint8_t>(content[at]);
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, static_cast<uint8_t>(was + 1)}) {
      if (value != was) out.push_back({at, value});
    }
  }
}

// count bytes of [from, to) drawn with the seed, each changed the same three ways.
void Sample(const std::string& content, size_t from, size_t to, size_t count, uint32_t seed,
            std::vector<Damage>& out) {
  if (to > content.size()) to = content.size();
  if (from >= to) return;
  std::mt19937 draw(seed);
  std::uniform_int_distribution<size_t> place(from, to - 1);
  std::set<size_t> chosen;
  for (size_t i = 0; i < count * 4 && chosen.size() < count; ++i) chosen.insert(place(draw));
  for (size_t at : chosen) EveryByte(content, at, at + 1, out);
}

class GamePlayDamage : public ::testing::Test {
 protected:
  GamePlayDamage() { PClock::SetFake([] { return uint64_t{5000}; }); }
  ~GamePlayDamage() override { PClock::SetFake(nullptr); }

  static std::string TestGame(const char* relative) {
    return GamePlayPath::Decoded(PPath::ToProgram(std::string(TARVANE_TEST_GAMES_DIR) + "/" + relative));
  }

  // Plays every damaged file; the number the readers accepted (each of which played).
  size_t PlayAll(const std::string& content, const std::vector<Damage>& damage, bool name) {
    size_t accepted = 0;
    for (const Damage& d : damage) {
      std::string bytes = content;
      bytes[d.at] = static_cast<char>(d.value);
      if (name) std::fprintf(stderr, "damage: byte %zu set to 0x%02X\n", d.at, d.value);
      if (path_.Play(bytes)) ++accepted;
    }
    return accepted;
  }

  TestFolder folder_{true};  // the program folder, where the error log goes
  GamePlayPath path_;
};

TEST_F(GamePlayDamage, DamagedSavedGamesAreRefusedOrPlay) {
  const std::string saved = TestGame("Saved Games/Test Saved Game.wrb");
  const Layout l = LayoutOf(saved);
  ASSERT_GT(l.body, l.settings);
  ASSERT_TRUE(path_.Play(saved));
  std::vector<Damage> damage;
  EveryByte(saved, 0, l.header, damage);
  Sample(saved, l.settings, l.body, 6, 1, damage);
  Sample(saved, l.body, saved.size(), 10, 2, damage);
  const size_t accepted = PlayAll(saved, damage, false);
  // Much of a battle may change and stay a battle: some of the damage must have been played.
  EXPECT_GT(accepted, 0u);
}

TEST_F(GamePlayDamage, DISABLED_WideSearch) {
  for (const char* game :
       {"Saved Games/Test Saved Game.wrb", "Scenarios/Test Scenario.wrb", "Scenarios/Test Operation.wrc"}) {
    const std::string content = TestGame(game);
    const Layout l = LayoutOf(content);
    ASSERT_GT(l.body, l.settings) << game;
    std::vector<Damage> damage;
    EveryByte(content, 0, l.header, damage);
    Sample(content, l.header, l.settings, 64, 3, damage);
    EveryByte(content, l.settings, l.body, damage);
    Sample(content, l.body, content.size(), 3000, 4, damage);
    const size_t accepted = PlayAll(content, damage, true);
    std::fprintf(stderr, "%s: %zu damaged files, %zu accepted and played\n", game, damage.size(), accepted);
  }
}

}  // namespace
