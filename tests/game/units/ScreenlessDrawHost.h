#pragma once
// A unit drawing host for tests that watch one part of the drawing: the texts, frames and
// bounds go nowhere, smoke is drawn and the kernel is never inside a handler.
#include "game/units/draw/UnitDrawHost.h"

class ScreenlessDrawHost : public UnitDrawHost {
 public:
  void DrawScreenText(const char* /*text*/, int32_t /*x*/, int32_t /*y*/) override {}
  void SetUnitScreenBounds(Unit& /*unit*/, const GRect& /*bounds*/) override {}
  void SetWaypointScreenBounds(const GRect& /*bounds*/) override {}
  void DrawUnitFrame(const GRect& /*bounds*/, uint8_t /*r*/, uint8_t /*g*/, uint8_t /*b*/) override {}
  bool IsSmokeDrawn() const override { return true; }
  bool IsMarkerColour() const override { return false; }
  void BindFlashTexture() override {}
  bool IsInsideInputHandler() const override { return false; }
  int32_t GetSideNationality(int32_t /*sideIndex*/) const override { return -1; }
  void EnsureCrewFigure(int32_t /*code*/) override {}
};
