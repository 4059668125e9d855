#pragma once

class Unit;

// What the units tell the screen that shows them: the unit panel, the map and the waypoint
// display to redraw, a menu to open for the player. Tell-only: nothing comes back and no rule
// waits on it, so every notice does nothing by default, which is exactly what a battle nobody
// watches wants (NullUnitScreen). The battle screen answers them in the program.
class UnitScreen {
 public:
  virtual ~UnitScreen() = default;

  // The unit panel shows the changed orders.
  virtual void RefreshUnitPanel() {}
  // Opens the waypoint level menu at the unit's selected waypoint (a waypoint on a building
  // with an upper floor).
  virtual void OpenWaypointMenu(Unit& /*unit*/) {}
  // The waypoint display follows a shortened route.
  virtual void RefreshWaypointDisplay() {}
  // The screen is updated and the battlefield view redrawn.
  virtual void RefreshMap() {}
  // A vehicle the player targeted would fight with its machine guns alone: the screen asks
  // whether the main gun fires too (the yes/no menu at the last click, for the single selected
  // vehicle). The answer, if the player gives one, comes back later through the vehicle's
  // SetQuestionAnswer; unasked, the vehicle keeps the machine guns it chose.
  virtual void AskVehicleQuestion(Unit& /*vehicle*/) {}
};

// The screen of the context in force; a NullUnitScreen when none is installed.
UnitScreen& GetUnitScreen();
