#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "game/battle/UnitList.h"

class GFile;
class MapAppServices;

// Units waiting off the map for their arrival turn, with the chance per check and the point
// where they enter. The units list never deletes its units by itself: DeleteUnits does.
class ReinforcementGroup : public GObject {
 public:
  ReinforcementGroup();
  ~ReinforcementGroup() override;
  ReinforcementGroup(const ReinforcementGroup&) = delete;
  ReinforcementGroup& operator=(const ReinforcementGroup&) = delete;

  // The defaults: arrival turn 4 in an operation, else 10; chance 1.0; entry point (0, 0).
  void Init(bool inOperation);
  // Deletes the units it holds, then takes every member of group.
  void SetUnits(GGroup& group);
  void DeleteUnits();

  // ---- Arrival (BattleReinforcements.cpp) ----
  // True when the group has arrived (or holds no units) and may be removed; false while it
  // waits. The reference turn is the running operation's battle number, else the battle's
  // turn. In an operation the operation places the group; in a battle the infantry boards
  // the carriers, the units become a computer-player group of their side and enter at the
  // entry point, vehicles first. Either way the list is emptied without deleting the units.
  bool CheckArrival(MapAppServices& app);
  // Boards the group's infantry onto its carriers: the carriers (a capacity above 0, and not
  // armoured unless the class protects its riders) by capacity, armour and class byte, the
  // infantry by speed class, loading value, size, leadership and letter.
  void LoadCarriers();
  // Every unit lets go of its pictures.
  void ReleaseAppearance();
  // ---- End of arrival ----

  // Arrival turn (u32), chance, entry x, entry y (f32), the units list, an extension length
  // byte n and n bytes. Reading refuses (error flag) a chance or point that is not finite and
  // a unit count beyond the bytes left or 500.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  int32_t arrivalTurn = 10;  // negative: never
  float chance = 1.0f;
  float entryX = 0.0f;
  float entryY = 0.0f;
  UnitList units;
};
