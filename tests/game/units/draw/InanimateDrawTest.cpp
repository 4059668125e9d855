// What objects and the aircraft put on the recording renderer: a minefield's sign only when
// identified and its block in view, the mounds of minefields only in the set-up phase, the
// obstacles' mounds always, and the aircraft's shadow only while it attacks in the replay.
#include <gtest/gtest.h>

#include <memory>

#include "framework/media/RendererRig.h"
#include "game/map/Map.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/TestUnitWorld.h"
#include "support/TestFolder.h"

namespace {

struct ObjectDrawRig {
  ObjectDrawRig() {
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    Map& map = *world.Battle().map;
    map.terrain.blockViewState.Fill(2);
    map.camera.viewLevel[0] = 2;
    map.camera.viewLevel[1] = 2;
    gGraph3D = rig.r.get();
    rig.r->SetProjection(0, 0, 640, 480, 70.0f, 1.0f, 2000.0f);
    rig.r->LookAt(200.0f, -100.0f, 250.0f, 200.0f, 200.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  }
  ~ObjectDrawRig() { gGraph3D = nullptr; }
  ObjectDrawRig(const ObjectDrawRig&) = delete;
  ObjectDrawRig& operator=(const ObjectDrawRig&) = delete;

  // Primitives the unit's drawing hands the device, opaque and translucent.
  size_t Drawn(Unit& unit) {
    rig.device.ClearCalls();
    const size_t queued = rig.r->AlphaBytes() + rig.r->QueueBytes();
    rig.r->PushMatrix();
    rig.r->TranslateXY(unit.x, unit.y);
    unit.Draw(false);
    rig.r->PopMatrix();
    return rig.device.Draws().size() + (rig.r->AlphaBytes() + rig.r->QueueBytes() != queued ? 1 : 0);
  }

  TestFolder folder{true};
  TestUnitWorld world;
  RecordingRig rig;
};

TEST(InanimateDraw, MinefieldSignAndMoundsFollowKnowledgeViewAndPhase) {
  ObjectDrawRig rig;
  Inanimate field;
  field.Init(Inanimate::kTankMines, 1, 200.0f, 200.0f, 0.0f);
  EXPECT_EQ(rig.Drawn(field), 0u);  // not identified
  field.identificationLevel = 1;
  EXPECT_GT(rig.Drawn(field), 0u);
  rig.world.Battle().map->terrain.blockViewState.Fill(0);
  EXPECT_EQ(rig.Drawn(field), 0u);  // its block out of view
  rig.world.Battle().setupPhase = true;
  EXPECT_GT(rig.Drawn(field), 0u);  // the mound shows while forces are set up

  Inanimate wire;
  wire.Init(Inanimate::kWire, 0, 200.0f, 200.0f, 20.0f);
  rig.world.Battle().setupPhase = false;
  EXPECT_GT(rig.Drawn(wire), 0u);
  Inanimate flag;
  flag.Init(Inanimate::kLargeFlagMarker, 0, 200.0f, 200.0f, 0.0f);
  EXPECT_EQ(rig.Drawn(flag), 0u);  // the battle screen draws flag markers
}

TEST(InanimateDraw, ReinforcementMarkerSlotsAndMissingPictures) {
  ObjectDrawRig rig;
  Inanimate marker;
  marker.Init(Inanimate::kReinforcementMarker, 0, 200.0f, 200.0f, 90.0f);
  marker.markerId = -1;
  EXPECT_EQ(marker.MarkerSlot(), 4);
  marker.markerId = -9;
  EXPECT_EQ(marker.MarkerSlot(), 12);
  // A slot outside the texture table loads nothing and draws without a picture.
  marker.markerId = -60;
  EXPECT_EQ(marker.MarkerSlot(), -1);
  marker.PrepareAppearance();
  EXPECT_GT(rig.Drawn(marker), 0u);
}

TEST(AirplaneDraw, ShadowIsFiveShapesOnlyWhileAttackingInTheReplay) {
  ObjectDrawRig rig;
  Airplane airplane;
  airplane.Initialize(0, 2);
  airplane.x = 200.0f;
  airplane.y = 200.0f;
  airplane.state = Airplane::kAttacking;
  EXPECT_EQ(rig.Drawn(airplane), 0u);
  rig.world.app.inputMode = InputModes::kReplay;
  EXPECT_GT(rig.Drawn(airplane), 0u);
  airplane.state = Airplane::kLeaving;
  EXPECT_EQ(rig.Drawn(airplane), 0u);
}

}  // namespace
