// Writes the scenarios that ship with the program from their readable sources:
//   make_scenarios <output folder> <source.txt>...
// Each source (data/scenarios/*.txt) becomes "<title>.wrb" in the output folder, written by the
// game file writer from a battle the editor's own code makes: the random map generator lays the
// map from the source's seed and parameters (a river, bridges or bocage are then painted over
// it), the purchase catalogue offers each bought formation or class to the side's force at the
// battle's date and the editor's purchase adds its units, the battle takes them as the editor
// hands them over (reinforcement groups with their slots' arrival settings), and the units stand
// at drawn points of their side's placement zone. The same sources give the same bytes on every
// run. A source line that cannot be used stops the tool with "file:line: reason" and nothing of
// that scenario written.
//
// A source is one directive a line ('#' starts a comment):
//   title <words>                         the scenario's name (and its file's)
//   date <YYMM>                           4406 .. 4505
//   time day | dawn | night
//   weather clear | overcast | rain | fog | thick-fog | snow
//   ground very-dry | dry | damp | wet | mud | deep-mud | light-snow | snow | deep-snow
//   turns <n>                             the battle's length, 3 .. 120
//   type axis-attack | allied-attack | meeting
//   seed <n>                              the draws of the map and of the placement
//   map <width m> <height m> town|village|farmland|rural open|light|moderate|heavy <hills 0-4>
//   bocage                                every enclosure of the map a bank of bocage
//   river <column> <width>                a north-south river of water tiles, in tiles
//   bridge <row>                          a bridge across the river at a row of tiles
//   edge west|north|east|south axis|allied|none
//   exit axis|allied west|north|east|south
//   force axis|allied <force code> <experience 0-4>
//   zone axis|allied <x0> <y0> <x1> <y1>   the side's placement zone, metres
//   slot axis|allied <1-5> <turn> <chance %> <entry x> <entry y>
//   buy axis|allied [slot <1-5>] formation|infantry|vehicle <class> [x<count>]
//   flag small|large <x> <y>
//   briefing overall|axis|allied          the text follows up to a line "end"; lines join
//                                          with blanks, an empty line starts a paragraph
//   operation <battles 2-10> <turns a battle 3-60> advance|assault|destroy good|mixed|bad
//                                          an operation ("<title>.wrc"): its battles are cut
//                                          out of the map around the front, which lies 600 m
//                                          from the attacker's edge (the attacker's zone must
//                                          lie short of it and the defender's beyond it); it
//                                          takes no flags, exits or reinforcement slots
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapParams.h"
#include "editor/UnitCatalogue.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PPath.h"

namespace {

constexpr int32_t kPlacementTries = 400;
constexpr uint8_t kWater = 25;
constexpr uint8_t kBridgeAlongX = 91;
constexpr uint8_t kFirstWall = 100;
constexpr uint8_t kFirstHedge = 131;
constexpr uint8_t kFirstBocage = 162;
constexpr int32_t kLayouts = 30;

// A line the tool cannot use: where, and why.
struct SourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Purchase {
  int32_t line = 0;
  int32_t side = 0;
  int32_t slot = 0;
  int32_t kind = 0;
  int32_t classIndex = 0;
  int32_t count = 1;
};

struct Zone {
  bool set = false;
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct Scenario {
  std::string title;
  int32_t date = 0;
  int32_t timeOfDay = 0;
  int32_t weather = 0;
  int32_t ground = 1;
  int32_t turns = 0;
  int32_t attacker = -1;
  uint32_t seed = 1;
  bool haveMap = false;
  RandomMapParams map;
  bool bocage = false;
  int32_t riverColumn = -1;
  int32_t riverWidth = 0;
  std::vector<int32_t> bridges;
  int32_t edgeOwner[4] = {2, 2, 2, 2};
  int32_t exitEdge[2] = {-1, -1};
  int32_t force[2] = {-1, -1};
  int32_t experience[2] = {2, 2};
  Zone zones[2];
  EditorState::ArrivalSlot slots[2][EditorState::kSlots];
  std::vector<Purchase> purchases;
  std::vector<VictoryFlag> flags;
  std::string briefing[3];
  // An operation: its battles (0 for a single battle), turns a battle, type and weather.
  int32_t battles = 0;
  int32_t battleTurns = 0;
  int32_t operationType = 1;
  int32_t weatherPattern = 1;
};

class Reader {
 public:
  Reader(std::string file, int32_t line, const std::vector<std::string>& words) : file_(std::move(file)), line_(line), words_(words) {}

  [[noreturn]] void Fail(const std::string& reason) const {
    throw SourceError(file_ + ":" + std::to_string(line_) + ": " + reason);
  }
  size_t Count() const { return words_.size(); }
  void Expect(size_t count) const {
    if (words_.size() != count) Fail(words_[0] + " takes " + std::to_string(count - 1) + " values");
  }
  const std::string& Word(size_t i) const {
    if (i >= words_.size()) Fail(words_[0] + " is missing a value");
    return words_[i];
  }
  long Number(size_t i, long low, long high) const {
    const std::string& text = Word(i);
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
      Fail("\"" + text + "\" is not a whole number " + std::to_string(low) + ".." + std::to_string(high));
    return value;
  }
  int32_t Choice(size_t i, const std::vector<std::string>& names) const {
    for (size_t n = 0; n < names.size(); ++n) {
      if (Word(i) == names[n]) return static_cast<int32_t>(n);
    }
    std::string all;
    for (const std::string& name : names) all += (all.empty() ? "" : ", ") + name;
    Fail("\"" + Word(i) + "\" is not one of " + all);
  }
  int32_t Side(size_t i) const { return Choice(i, {"axis", "allied"}); }

 private:
  std::string file_;
  int32_t line_;
  const std::vector<std::string>& words_;
};

const std::vector<std::string> kEdges = {"west", "north", "east", "south"};

std::vector<std::string> Split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Briefing lines joined with blanks; an empty line is a paragraph break.
std::string JoinBriefing(const std::vector<std::string>& lines) {
  std::string text;
  bool paragraph = false;
  for (const std::string& raw : lines) {
    const size_t start = raw.find_first_not_of(" \t");
    if (start == std::string::npos) {
      paragraph = !text.empty();
      continue;
    }
    const std::string line = raw.substr(start, raw.find_last_not_of(" \t\r") + 1 - start);
    if (paragraph) text += "\r\r";
    else if (!text.empty()) text += ' ';
    text += line;
    paragraph = false;
  }
  return text;
}

Scenario Parse(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw SourceError(path + ":0: cannot be read");
  Scenario s;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  for (size_t n = 0; n < lines.size(); ++n) {
    const int32_t lineNumber = static_cast<int32_t>(n + 1);
    std::string text = lines[n];
    if (const size_t hash = text.find('#'); hash != std::string::npos) text.erase(hash);
    const std::vector<std::string> words = Split(text);
    if (words.empty()) continue;
    const Reader r(path, lineNumber, words);
    const std::string& key = words[0];
    if (key == "title") {
      const size_t start = text.find("title") + 5;
      s.title = text.substr(text.find_first_not_of(" \t", start));
      s.title.erase(s.title.find_last_not_of(" \t\r") + 1);
      if (s.title.size() > 31) r.Fail("the title is longer than 31 characters");
      if (s.title.find_first_of("/\\:.") != std::string::npos) r.Fail("the title must make a file name");
    } else if (key == "date") {
      r.Expect(2);
      s.date = static_cast<int32_t>(r.Number(1, 4406, 4505));
      if (s.date % 100 < 1 || s.date % 100 > 12) r.Fail("the month must be 01..12");
    } else if (key == "time") {
      r.Expect(2);
      s.timeOfDay = r.Choice(1, {"day", "dawn", "night"});
    } else if (key == "weather") {
      r.Expect(2);
      s.weather = r.Choice(1, {"clear", "overcast", "rain", "fog", "thick-fog", "snow"});
    } else if (key == "ground") {
      r.Expect(2);
      s.ground = r.Choice(1, {"very-dry", "dry", "damp", "wet", "mud", "deep-mud", "light-snow", "snow", "deep-snow"});
    } else if (key == "turns") {
      r.Expect(2);
      s.turns = static_cast<int32_t>(r.Number(1, 3, 120));
    } else if (key == "type") {
      r.Expect(2);
      // The battle's attacker: side index 0 Axis, 1 Allied, 2 a meeting engagement.
      s.attacker = r.Choice(1, {"axis-attack", "allied-attack", "meeting"});
    } else if (key == "seed") {
      r.Expect(2);
      s.seed = static_cast<uint32_t>(r.Number(1, 1, 2147483647));
    } else if (key == "map") {
      r.Expect(6);
      s.haveMap = true;
      s.map.widthMetres = static_cast<float>(r.Number(1, 400, 3000));
      s.map.heightMetres = static_cast<float>(r.Number(2, 400, 3000));
      s.map.mapType = r.Choice(3, {"town", "village", "farmland", "rural"});
      s.map.treeCoverage = r.Choice(4, {"open", "light", "moderate", "heavy"});
      s.map.hilliness = static_cast<int32_t>(r.Number(5, 0, 4));
    } else if (key == "bocage") {
      r.Expect(1);
      s.bocage = true;
    } else if (key == "river") {
      r.Expect(3);
      if (!s.haveMap) r.Fail("the river needs the map first");
      const long tiles = static_cast<long>((s.map.widthMetres + 1.0f) * 0.05f);
      s.riverColumn = static_cast<int32_t>(r.Number(1, 2, tiles - 4));
      s.riverWidth = static_cast<int32_t>(r.Number(2, 1, 4));
      if (s.riverColumn + s.riverWidth > tiles - 2) r.Fail("the river runs off the map");
    } else if (key == "bridge") {
      r.Expect(2);
      if (s.riverColumn < 0) r.Fail("a bridge needs the river first");
      const long tiles = static_cast<long>((s.map.heightMetres + 1.0f) * 0.05f);
      s.bridges.push_back(static_cast<int32_t>(r.Number(1, 1, tiles - 2)));
    } else if (key == "edge") {
      r.Expect(3);
      s.edgeOwner[r.Choice(1, kEdges)] = r.Choice(2, {"axis", "allied", "none"});
    } else if (key == "exit") {
      r.Expect(3);
      s.exitEdge[r.Side(1)] = r.Choice(2, kEdges);
    } else if (key == "force") {
      r.Expect(4);
      const int32_t side = r.Side(1);
      const int32_t code = static_cast<int32_t>(r.Number(2, 0, 18));
      if (Editor::CatalogueForceIndex(code) < 0) r.Fail("force " + words[2] + " has no purchase catalogue");
      if ((code >= 6 && code <= 11) != (side == 0)) r.Fail("force " + words[2] + " does not fight for that side");
      s.force[side] = code;
      s.experience[side] = static_cast<int32_t>(r.Number(3, 0, 4));
    } else if (key == "zone") {
      r.Expect(6);
      if (!s.haveMap) r.Fail("a zone needs the map first");
      Zone& zone = s.zones[r.Side(1)];
      zone.set = true;
      zone.x0 = static_cast<float>(r.Number(2, 0, static_cast<long>(s.map.widthMetres)));
      zone.y0 = static_cast<float>(r.Number(3, 0, static_cast<long>(s.map.heightMetres)));
      zone.x1 = static_cast<float>(r.Number(4, 0, static_cast<long>(s.map.widthMetres)));
      zone.y1 = static_cast<float>(r.Number(5, 0, static_cast<long>(s.map.heightMetres)));
      if (zone.x1 - zone.x0 < 60.0f || zone.y1 - zone.y0 < 60.0f) r.Fail("a zone is at least 60 m each way");
    } else if (key == "slot") {
      r.Expect(7);
      const int32_t side = r.Side(1);
      EditorState::ArrivalSlot& slot = s.slots[side][r.Number(2, 1, EditorState::kSlots) - 1];
      slot.arrivalTurn = static_cast<int32_t>(r.Number(3, 1, 120));
      slot.chance = EditorState::PercentChance(static_cast<int32_t>(r.Number(4, 1, 100)));
      slot.entryX = static_cast<float>(r.Number(5, 0, 5000));
      slot.entryY = static_cast<float>(r.Number(6, 0, 5000));
    } else if (key == "buy") {
      Purchase p;
      p.line = lineNumber;
      p.side = r.Side(1);
      size_t at = 2;
      if (r.Word(at) == "slot") {
        p.slot = static_cast<int32_t>(r.Number(at + 1, 1, EditorState::kSlots));
        at += 2;
      }
      const int32_t kind = r.Choice(at, {"infantry", "vehicle", "formation"});
      p.kind = kind == 2 ? PurchaseEntry::kFormation : kind;
      p.classIndex = static_cast<int32_t>(r.Number(at + 1, 0, 300));
      if (r.Count() == at + 3) {
        const std::string& times = r.Word(at + 2);
        if (times.size() < 2 || times[0] != 'x') r.Fail("a count is written x<n>");
        const std::vector<std::string> countWords = {"x", times.substr(1)};
        p.count = static_cast<int32_t>(Reader(path, lineNumber, countWords).Number(1, 1, 20));
      } else if (r.Count() != at + 2) {
        r.Fail("buy takes a side, an optional slot, a kind, a class and an optional count");
      }
      s.purchases.push_back(p);
    } else if (key == "flag") {
      r.Expect(4);
      if (!s.haveMap) r.Fail("a flag needs the map first");
      const int32_t type = r.Choice(1, {"small", "large"});
      s.flags.emplace_back(static_cast<float>(r.Number(2, 20, static_cast<long>(s.map.widthMetres) - 20)),
                           static_cast<float>(r.Number(3, 20, static_cast<long>(s.map.heightMetres) - 20)), type);
    } else if (key == "operation") {
      r.Expect(5);
      s.battles = static_cast<int32_t>(r.Number(1, 2, 10));
      s.battleTurns = static_cast<int32_t>(r.Number(2, 3, 60));
      s.operationType = r.Choice(3, {"advance", "assault", "destroy"});
      s.weatherPattern = r.Choice(4, {"good", "mixed", "bad"});
    } else if (key == "briefing") {
      r.Expect(2);
      const int32_t which = r.Choice(1, {"overall", "axis", "allied"});
      std::vector<std::string> body;
      size_t end = n + 1;
      while (end < lines.size() && Split(lines[end]) != std::vector<std::string>{"end"}) body.push_back(lines[end++]);
      if (end == lines.size()) r.Fail("the briefing has no line \"end\"");
      s.briefing[which] = JoinBriefing(body);
      if (s.briefing[which].empty()) r.Fail("the briefing is empty");
      n = end;
    } else {
      r.Fail("unknown directive \"" + key + "\"");
    }
  }
  const auto missing = [&path](const std::string& what) { throw SourceError(path + ":0: " + what + " is missing"); };
  if (s.title.empty()) missing("title");
  if (s.date == 0) missing("date");
  if (s.turns == 0 && s.battles == 0) missing("turns");
  if (s.attacker < 0) missing("type");
  if (!s.haveMap) missing("map");
  for (int32_t side = 0; side < 2; ++side) {
    const char* name = side == 0 ? "the Axis" : "the Allied";
    if (s.force[side] < 0) missing(std::string(name) + " force");
    if (!s.zones[side].set) missing(std::string(name) + " zone");
  }
  if (s.flags.empty() && s.battles == 0) missing("a flag");
  if (s.battles != 0) {
    const auto refuse = [&path](const std::string& what) { throw SourceError(path + ":0: an operation takes no " + what); };
    if (!s.flags.empty()) refuse("flags");
    if (s.exitEdge[0] >= 0 || s.exitEdge[1] >= 0) refuse("exits");
    if (s.attacker > 1) refuse("meeting engagement");
    for (const Purchase& p : s.purchases) {
      if (p.slot != 0) refuse("reinforcement slots");
    }
    if (s.turns != 0) refuse("turns (its battles' length is given with the operation)");
  }
  for (int32_t i = 0; i < 3; ++i) {
    if (s.briefing[i].empty()) missing(std::string("the ") + (i == 0 ? "overall" : i == 1 ? "Axis" : "Allied") + " briefing");
  }
  return s;
}

// The generator's map, with the source's painting over it: enclosures turned to bocage, a
// river of level water and bridges across it.
void LayMap(Map& map, const Scenario& s) {
  RandomMapGenerator::Generate(map, s.map);
  auto& tiles = map.terrain.tiles;
  const int32_t w = map.size.tilesX;
  const int32_t h = map.size.tilesY;
  if (s.bocage) {
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        uint8_t& code = tiles.At(x, y).code;
        if (code >= kFirstWall && code < kFirstWall + kLayouts) code = static_cast<uint8_t>(kFirstBocage + code - kFirstWall);
        else if (code >= kFirstHedge && code < kFirstHedge + kLayouts) code = static_cast<uint8_t>(kFirstBocage + code - kFirstHedge);
      }
    }
  }
  if (s.riverColumn < 0) return;
  // The river lies at the lowest ground of its course, so that its water is level.
  float low = map.terrain.tileHeight.At(s.riverColumn, 0);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = s.riverColumn; x < s.riverColumn + s.riverWidth; ++x) low = std::min(low, map.terrain.tileHeight.At(x, y));
  }
  for (int32_t y = 0; y < h; ++y) {
    const bool bridge = std::find(s.bridges.begin(), s.bridges.end(), y) != s.bridges.end();
    for (int32_t x = s.riverColumn; x < s.riverColumn + s.riverWidth; ++x) {
      MapTile& tile = tiles.At(x, y);
      tile.code = bridge ? kBridgeAlongX : kWater;
      tile.roadCode = 0;
      map.terrain.tileHeight.At(x, y) = low;
    }
  }
}

// The map read back through its stored form, so that every set-up pass has run on it as on a
// map the game opens.
Map* ReadBack(MapAppServices& app, const Map& map) {
  GMemoryFile out;
  map.Write(out.File());
  GMemoryFile in(out.Bytes());
  auto* read = new Map(app);
  if (!read->Read(&in.File()) || in.File().HasError()) {
    delete read;
    return nullptr;
  }
  return read;
}

// The catalogue's entry for the purchase, offered to the side's force at the battle's date.
const PurchaseEntry* FindEntry(const UnitCatalogue& catalogue, int32_t row, const Purchase& p) {
  for (int32_t category = 0; category < UnitCatalogue::kCategories; ++category) {
    const GObjectGroup& list = catalogue.List(row, category);
    for (int32_t i = 0; i < list.Count(); ++i) {
      const auto* entry = static_cast<const PurchaseEntry*>(list.GetItem(i));
      if (entry->kind == p.kind && entry->classIndex == p.classIndex) return entry;
    }
  }
  return nullptr;
}

// Stands the unit at a drawn point of the zone where it can stand; false when none is found.
bool Place(Unit& unit, const Zone& zone) {
  for (int32_t attempt = 0; attempt < kPlacementTries; ++attempt) {
    const float x = zone.x0 + 10.0f + RandomFloatTimes(zone.x1 - zone.x0 - 20.0f);
    const float y = zone.y0 + 10.0f + RandomFloatTimes(zone.y1 - zone.y0 - 20.0f);
    if (unit.CanStandAt(x, y, true)) {
      unit.SetPosition(x, y);
      return true;
    }
  }
  return false;
}

// The generator's map for the battle or operation (the attacker's edge given to it), painted
// and read back, in place of the one the battle or operation holds.
void UseMap(MapAppServices& app, BattleBase& base, const Scenario& s, const std::string& path) {
  Scenario laid = s;
  laid.map.attackerEdge = -1;
  for (int32_t edge = 0; edge < 4 && s.attacker < 2; ++edge) {
    if (s.edgeOwner[edge] == s.attacker) laid.map.attackerEdge = edge;
  }
  LayMap(*base.map, laid);
  Map* map = ReadBack(app, *base.map);
  if (map == nullptr) throw SourceError(path + ":0: the map does not read back");
  delete base.map;
  base.map = map;
}

// The purchases, through the editor's own purchase with its values preset per side, stood in
// their zones and handed to the battle or operation as the editor hands them over.
void Buy(const Scenario& s, const std::string& path, BattleBase& base) {
  EditorState editor;
  editor.preset = 1;
  // Units bought but not handed over (a later line failed) are deleted with the lists.
  struct Unsold {
    EditorState& editor;
    ~Unsold() {
      for (int32_t side = 0; side < 2; ++side) {
        for (int32_t slot = 0; slot < EditorState::kPurchaseSlots; ++slot) editor.PurchaseList(side, slot).DeleteAll(true);
      }
    }
  } unsold{editor};
  UnitCatalogue catalogue;
  UnitCatalogue::Conditions conditions;
  conditions.date = s.date;
  conditions.battleType = s.attacker;
  conditions.hasBattle = true;
  conditions.timeOfDay = s.timeOfDay;
  conditions.weather = s.weather;
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t slot = 0; slot < EditorState::kSlots; ++slot) editor.Slot(side, slot) = s.slots[side][slot];
  }
  for (const Purchase& p : s.purchases) {
    const std::vector<std::string> words = {"buy"};
    const Reader r(path, p.line, words);
    conditions.presetSide = p.side;
    catalogue.Fill(conditions, false, false);
    const int32_t row = Editor::CatalogueForceIndex(s.force[p.side]);
    const PurchaseEntry* entry = FindEntry(catalogue, row, p);
    if (entry == nullptr)
      r.Fail("the catalogue does not offer that to force " + std::to_string(s.force[p.side]) + " in " + std::to_string(s.date));
    editor.presetSide = p.side;
    editor.presetForce = s.force[p.side];
    editor.presetExperience = s.experience[p.side];
    editor.presetSlot = p.slot;
    for (int32_t n = 0; n < p.count; ++n) editor.AddPurchase(*entry, 0, false);
  }
  for (int32_t side = 0; side < 2; ++side) {
    GObjectGroup& onMap = editor.PurchaseList(side, 0);
    if (onMap.Count() == 0)
      throw SourceError(path + ":0: the " + (side == 0 ? "Axis" : "Allied") + " side has no units on the map");
    for (int32_t i = 0; i < onMap.Count(); ++i) {
      auto* unit = static_cast<Unit*>(onMap.GetItem(i));
      if (!Place(*unit, s.zones[side])) throw SourceError(path + ":0: a unit finds no ground to stand on in its zone");
      // As the editor saves a scenario for play: unidentified, in its side's set-up zone.
      unit->identificationLevel = 0;
      unit->setupZone = static_cast<uint8_t>(side == 0 ? 4 : 1);
    }
  }
  GGroup* lists[2][EditorState::kPurchaseSlots];
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t slot = 0; slot < EditorState::kPurchaseSlots; ++slot) lists[side][slot] = &editor.PurchaseList(side, slot);
  }
  base.TakePurchasedUnits(lists[0], lists[1], false, &editor);
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t g = 0; g < base.reinforcements[side].Count(); ++g) {
      GGroup& units = base.GroupUnits(side, g);
      for (int32_t i = 0; i < units.Count(); ++i) static_cast<Unit*>(units.GetItem(i))->identificationLevel = 0;
    }
  }
  // The units are the scenario's own, not arrivals: no side is told of reinforcements when
  // the battle opens.
  base.sideOnMap[0] = 0;
  base.sideOnMap[1] = 0;
}

// The battle keeps the Axis briefing in slot 0, the Allied in 1 and the overall in 2.
void SetBriefings(BattleBase& base, const Scenario& s) {
  constexpr int32_t kSlots[3] = {2, 0, 1};
  for (int32_t i = 0; i < 3; ++i) base.briefing[kSlots[i]] = s.briefing[i];
}

void SetCommon(BattleBase& base, const Scenario& s) {
  base.title.Assign(s.title.c_str());
  base.date = s.date;
  base.season = SeasonOfDate(s.date);
  base.timeOfDay = s.timeOfDay;
  base.weather = s.weather;
  base.groundCondition = s.ground;
  base.attacker = s.attacker;
  SetBriefings(base, s);
}

void Write(const std::string& file, const std::string& path, Battle* battle, Campaign* operation, const Scenario& s) {
  GameFileSettings settings;
  settings.editorOpen = 1;
  settings.gameName.Assign(s.title.c_str());
  if (!GameFile::WriteFile(PPath::ToProgram(file), GFile::kModeWriteGameFile, settings, battle, operation)) {
    std::filesystem::remove(file);
    throw SourceError(path + ":0: " + file + " cannot be written");
  }
}

void BuildBattle(const Scenario& s, const std::string& path, const std::filesystem::path& outFolder) {
  HeadlessBattle headless;
  headless.New();
  Battle& battle = *headless.GetBattle();
  SetCommon(battle, s);
  battle.lastTurn = s.turns;
  for (int32_t edge = 0; edge < 4; ++edge) battle.edgeOwner[edge] = s.edgeOwner[edge];
  for (int32_t side = 0; side < 2; ++side) {
    battle.exitScoring[side] = s.exitEdge[side] >= 0 ? 1 : 0;
    if (s.exitEdge[side] >= 0) battle.exitEdge[side] = s.exitEdge[side];
  }
  UseMap(headless.Host(), battle, s, path);
  // The placement zones: Axis zone 4, Allied zone 1.
  for (int32_t side = 0; side < 2; ++side) {
    const Zone& zone = s.zones[side];
    for (int32_t y = static_cast<int32_t>(zone.y0 * 0.05f); y < static_cast<int32_t>(zone.y1 * 0.05f); ++y) {
      for (int32_t x = static_cast<int32_t>(zone.x0 * 0.05f); x < static_cast<int32_t>(zone.x1 * 0.05f); ++x) {
        if (battle.map->terrain.tiles.Contains(x, y)) battle.map->terrain.tiles.At(x, y).zone = side == 0 ? 4 : 1;
      }
    }
  }
  battle.flags.DeleteAll(true);
  for (const VictoryFlag& flag : s.flags) battle.flags.Append(new VictoryFlag(flag.x, flag.y, flag.type));
  battle.autoObjective = 0;
  Buy(s, path, battle);
  battle.SetStartViews();
  Write((outFolder / (s.title + ".wrb")).string(), path, &battle, nullptr, s);
}

// An operation made as the editor makes one: a fresh operation on the generated map with its
// initial zones, the purchases on it, then its first battle set up from it.
void BuildOperation(const Scenario& s, const std::string& path, const std::filesystem::path& outFolder) {
  HeadlessBattle headless;
  std::string bytes;
  {
    Campaign operation(headless.Host(), &headless);
    headless.Host().InPlay().SetCampaign(&operation);
    operation.SetUp(nullptr);
    SetCommon(operation, s);
    operation.lastTurn = s.battles;
    operation.battleTurns = s.battleTurns;
    operation.operationType = s.operationType;
    operation.weatherPattern = s.weatherPattern;
    operation.nightEvery = 0;
    for (int32_t edge = 0; edge < 4; ++edge) {
      if (s.edgeOwner[edge] == s.attacker) operation.attackerEdge = edge;
    }
    UseMap(headless.Host(), operation, s, path);
    operation.SetInitialZones();
    // The units are placed on the operation's map, as while the operation is read.
    headless.Host().InPlay().ReadOperation(&operation);
    try {
      Buy(s, path, operation);
    } catch (...) {
      headless.Host().InPlay().SetCampaign(nullptr);
      headless.Host().InPlay().EndRead();
      throw;
    }
    operation.SetStartViews();
    GMemoryFile out;
    operation.Write(out.File());
    headless.Host().InPlay().SetCampaign(nullptr);
    headless.Host().InPlay().EndRead();
    bytes = out.Bytes();
  }
  if (!headless.LoadOperationBytes(bytes)) throw SourceError(path + ":0: the operation does not read back");
  // The briefings go with the operation in the game file.
  SetBriefings(*headless.GetCampaign(), s);
  // The game list names the operation by its title, and each of its battles takes it.
  headless.GetCampaign()->title.Assign(s.title.c_str());
  headless.GetBattle()->title.Assign(s.title.c_str());
  Write((outFolder / (s.title + ".wrc")).string(), path, headless.GetBattle(), headless.GetCampaign(), s);
}

void Build(const Scenario& s, const std::string& path, const std::filesystem::path& outFolder) {
  SeedRandom(s.seed);
  if (s.battles != 0) BuildOperation(s, path, outFolder);
  else BuildBattle(s, path, outFolder);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_scenarios <output folder> <source.txt>...\n");
    return 2;
  }
  const std::filesystem::path out = std::filesystem::absolute(argv[1]);
  std::filesystem::create_directories(out);
  // The data tables are unpacked through the kernel's temporary files, in a work folder of
  // the tool's own.
  const std::filesystem::path work = out / ".make_scenarios";
  std::filesystem::create_directories(work);
  PPath::SetProgramFolder(work.string() + "/");
  int result = 0;
  {
    GKernel kernel;
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    for (int i = 2; i < argc && result == 0; ++i) {
      try {
        Build(Parse(argv[i]), argv[i], out);
      } catch (const SourceError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        result = 1;
      }
    }
    Hack::FreeTables();
    GErrorLog::Close();
  }
  std::error_code ignored;
  std::filesystem::remove_all(work, ignored);
  return result;
}
