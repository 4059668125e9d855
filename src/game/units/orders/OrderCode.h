#pragma once
#include <cstdint>

// The orders a player (or the computer player) gives to a unit: the command numbers an orders
// menu item fires, the battle's order dispatch takes and a unit's order checks answer. The
// numbers travel as plain commands through the menus and the battle's command handler, so the
// values are fixed.
enum OrderCode : int32_t {
  // Movement: each becomes a waypoint move mode.
  kOrderFastMove = 20,
  kOrderReverse = 21,
  kOrderMove = 22,
  kOrderHunt = 23,
  kOrderSneak = 24,
  kOrderCrawl = 25,
  kOrderRun = 26,
  kOrderWithdraw = 27,
  kOrderCancelMoves = 28,
  kOrderPause = 29,
  kOrderHide = 30,
  kOrderRotate = 31,
  // Targets.
  kOrderTarget = 32,
  kOrderNextTarget = 33,
  kOrderAmbush = 34,
  kOrderCancelTarget = 35,
  kOrderSmoke = 36,
  kOrderAreaTarget = 37,
  kOrderLineOfSight = 38,
  kOrderNone = 39,
  kOrderButtonUp = 40,
  kOrderSplit = 41,
  // The answers of the vehicle question and the waypoint level menus.
  kOrderYes = 42,
  kOrderNo = 43,
  kOrderBottomFloor = 44,
  kOrderTopFloor = 45,
  // Set-up.
  kOrderSetupMove = 46,
  kOrderSetupPlace = 47,
  kOrderSetupFacing = 48,
  kOrderDugIn = 49,
  kOrderHoldPlace = 50,
  kOrderFlagPick = 51,
  kOrderFirst = kOrderFastMove,
  kOrderLast = kOrderFlagPick,
};
