#pragma once
#include <cstdint>

class MapUnitView;

// The battle screen's input modes: none, the picks the orders start, the waypoint drag, the
// replay, an alert on screen and the selection rectangle.
namespace InputModes {
inline constexpr int32_t kNoPick = 0;
inline constexpr int32_t kLinePick = 1;
inline constexpr int32_t kMovePick = 2;
inline constexpr int32_t kTargetPick = 3;
inline constexpr int32_t kWaypointDrag = 4;
inline constexpr int32_t kReplay = 5;
inline constexpr int32_t kPlacePick = 6;
inline constexpr int32_t kFacingPick = 7;
inline constexpr int32_t kFlagPick = 8;
inline constexpr int32_t kAlert = 9;
inline constexpr int32_t kSelectionDrag = 10;
}  // namespace InputModes

// What the order dispatch and the battlefield view share between an order and the click that
// completes it. One per map; the map owns it.
struct OrderState {
  // The code the next waypoint of a movement pick takes (a withdrawal's own code included).
  int32_t pendingMoveCode = 0;
  // The map point last computed under the pointer (metres).
  float pickX = 0.0f;
  float pickY = 0.0f;
  // The unit under the pointer during a pick: a carrier to board, or the target. Not owned.
  MapUnitView* hovered = nullptr;
  // Set by the second target variant, cleared by the other target orders and a completed target.
  uint8_t secondTargetVariant = 0;
  // Set by the place-only set-up order: the facing pick that follows is skipped.
  uint8_t placeOnly = 0;
  // The screen point at which the orders menu opens, and the last click's point.
  int32_t menuX = 0;
  int32_t menuY = 0;
  int32_t questionX = 0;
  int32_t questionY = 0;
  // The selected unit's map point and base height when the pick began.
  float originX = 0.0f;
  float originY = 0.0f;
  float originHeight = 0.0f;
  int32_t originScreenX = 0;
  int32_t originScreenY = 0;
  // The ground point the view last picked: map point, height and screen position.
  float groundZ = 0.0f;
  int32_t groundScreenX = 0;
  int32_t groundScreenY = 0;
  // While recording, the unit drawing reports the unit the pick hit. Not owned.
  uint8_t pickRecording = 0;
  MapUnitView* pickedUnit = nullptr;
};
