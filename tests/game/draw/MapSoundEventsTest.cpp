// The battle's positional sound events on the null audio back-end: the camera shake, the
// viewing side, looped sounds of units, aircraft, kinds and the upkeep.
#include <cmath>

#include "MapTestRig.h"
#include "framework/core/GGroup.h"
#include "framework/media/SoundTestSupport.h"
#include "game/battle/Packet.h"
#include "game/draw/MapSoundEventOf.h"
#include "game/draw/MapSoundLoop.h"
#include "game/draw/MapSoundOneShot.h"
#include "game/map/SoundKinds.h"
#include "platform/PAudioDevice.h"

namespace {
using namespace soundtest;

// The sound manager's program folder is the current one; the map goes before the manager.
struct SoundWorld {
  MapRig maps;
  SoundFixture sounds;
  Camera camera;
  FakeBattle& battle = maps.app.MakeBattle();
  std::unique_ptr<Map> map = maps.Default(20, 20);

  SoundWorld() {
    sounds.WriteSound(700, Wave(Pattern(4000)));
    map->camera.x[0] = 100.0f;
    map->camera.y[0] = 100.0f;
    map->camera.x[1] = 300.0f;
    map->camera.y[1] = 300.0f;
    map->camera.height = 0.0f;
    maps.app.options[8] = 1;
  }
  // An event heard by side 0 at (x, y, z) and by side 1 far away.
  static MapPacket Event(int16_t kind, float x, float y, float z, float shake, bool looped = false,
                         MapUnitView* source = nullptr) {
    MapPacket p;
    p.kind = MapPacket::kSound;
    p.sound.number = 700;
    p.sound.kind = kind;
    p.sound.looped = looped ? 1 : 0;
    p.sound.source = source;
    p.sound.parameter = shake;
    p.sound.position[0][0] = x;
    p.sound.position[0][1] = y;
    p.sound.position[0][2] = z;
    p.sound.position[1][0] = 5000.0f;
    p.sound.position[1][1] = 5000.0f;
    return p;
  }
  int OneShots() const { return map->display.oneShotSounds->Count(); }
  int Loops() const { return map->display.loopedSounds->Count(); }
  MapSound& LastLoop() const {
    return *static_cast<MapSound*>(map->display.loopedSounds->GetItem(Loops() - 1));
  }
};

TEST(MapSoundEvents, OneShotsNearTheCameraRaiseTheShakeByDistance) {
  SoundWorld w;
  w.map->AddSoundEvent(SoundWorld::Event(9, 130.0f, 100.0f, 0.0f, 1.0f));
  EXPECT_FLOAT_EQ(w.map->frame.shake, 1.0f);
  w.map->frame.shake = 0.0f;
  w.map->AddSoundEvent(SoundWorld::Event(9, 100.0f, 160.0f, 0.0f, 1.0f));
  EXPECT_NEAR(w.map->frame.shake, 0.43528f, 1e-5f);
  // A weaker event never lowers it.
  w.map->AddSoundEvent(SoundWorld::Event(9, 100.0f, 130.0f, 0.0f, 0.2f));
  EXPECT_NEAR(w.map->frame.shake, 0.43528f, 1e-5f);
  w.map->frame.shake = 0.0f;
  w.map->AddSoundEvent(SoundWorld::Event(9, 100.0f, 100.0f + 364.3f, 0.0f, 1.0f));
  EXPECT_EQ(w.map->frame.shake, 0.0f);
  w.map->AddSoundEvent(SoundWorld::Event(9, 100.0f, 100.0f + 364.0f, 0.0f, 1.0f));
  EXPECT_GT(w.map->frame.shake, 0.0f);
  // Option 8 off: no change.
  w.map->frame.shake = 0.0f;
  w.maps.app.options[8] = 0;
  w.map->AddSoundEvent(SoundWorld::Event(9, 100.0f, 100.0f, 0.0f, 1.0f));
  EXPECT_EQ(w.map->frame.shake, 0.0f);
  // Looped events never shake.
  w.maps.app.options[8] = 1;
  w.map->AddSoundEvent(SoundWorld::Event(5, 100.0f, 100.0f, 0.0f, 1.0f, true));
  EXPECT_EQ(w.map->frame.shake, 0.0f);
  EXPECT_EQ(w.OneShots(), 6);
  EXPECT_EQ(w.Loops(), 1);
}

TEST(MapSoundEvents, NoGameSideHearsAndShakesAsSideZero) {
  SoundWorld w;
  w.maps.app.currentSide = 2;
  w.map->AddSoundEvent(SoundWorld::Event(9, 100.0f, 110.0f, 0.0f, 1.0f));
  EXPECT_FLOAT_EQ(w.map->frame.shake, 1.0f);
  auto* shot = static_cast<MapSound*>(w.map->display.oneShotSounds->GetItem(0));
  EXPECT_NEAR(shot->GetStoredDistance(), std::sqrt(100.0f * 100.0f + 110.0f * 110.0f), 0.01f);
  // Side 1 hears it at its own point, far from its own camera.
  w.map->frame.shake = 0.0f;
  w.maps.app.currentSide = 1;
  w.map->AddSoundEvent(SoundWorld::Event(9, 300.0f, 300.0f, 0.0f, 1.0f));
  EXPECT_EQ(w.map->frame.shake, 0.0f);
}

TEST(MapSoundEvents, AVehiclesLoopReplacesOnlyItsOwnLoopsOfKinds3And12) {
  SoundWorld w;
  FakeUnit tank(MapUnitView::kVehicle, 1, 100.0f, 100.0f);
  FakeUnit other(MapUnitView::kVehicle, 1, 120.0f, 100.0f);
  FakeUnit squad(MapUnitView::kInfantry, 1, 140.0f, 100.0f);
  w.map->AddSoundEvent(SoundWorld::Event(3, 0, 0, 0, 0, true, &tank));
  w.map->AddSoundEvent(SoundWorld::Event(12, 0, 0, 0, 0, true, &other));
  w.map->AddSoundEvent(SoundWorld::Event(5, 0, 0, 0, 0, true, &tank));  // replaces the kind 3
  ASSERT_EQ(w.Loops(), 2);
  EXPECT_TRUE(w.LastLoop().BelongsTo(&tank));
  EXPECT_EQ(w.LastLoop().GetPriority(), 5);
  w.map->AddSoundEvent(SoundWorld::Event(12, 0, 0, 0, 0, true, &tank));  // kind 5 stays
  EXPECT_EQ(w.Loops(), 3);
  w.map->AddSoundEvent(SoundWorld::Event(3, 0, 0, 0, 0, true, &squad));
  w.map->AddSoundEvent(SoundWorld::Event(3, 0, 0, 0, 0, true, &squad));
  EXPECT_EQ(w.Loops(), 5);
  w.map->StopUnitLoopSounds(&squad);
  EXPECT_EQ(w.Loops(), 5);
  w.map->StopUnitLoopSounds(&tank);
  EXPECT_EQ(w.Loops(), 4);
}

TEST(MapSoundEvents, AircraftOneShotsSoundFromBelowKindsNormaliseAndBadEventsAreSkipped) {
  SoundWorld w;
  FakeUnit plane(MapUnitView::kAirplane, 1, 100.0f, 100.0f, 300.0f);
  w.map->AddSoundEvent(SoundWorld::Event(11, 0, 0, 0, 0, false, &plane));
  w.map->AddSoundEvent(SoundWorld::Event(13, 0, 0, 0, 0, true, &plane));
  auto* shot = static_cast<MapSound*>(w.map->display.oneShotSounds->GetItem(0));
  EXPECT_NEAR(shot->GetStoredDistance(), std::sqrt(100.0f * 100.0f * 2.0f + 500.0f * 500.0f), 0.05f);
  EXPECT_NEAR(w.LastLoop().GetStoredDistance(), std::sqrt(100.0f * 100.0f * 2.0f + 300.0f * 300.0f), 0.05f);
  EXPECT_EQ(shot->GetPriority(), 10);
  EXPECT_EQ(w.LastLoop().GetPriority(), 16);
  EXPECT_EQ(shot->GetMinDistance(), SoundKindMinDistance(11));
  EXPECT_EQ(shot->GetInstanceLimit(), 2);
  // A kind without a class, or a point that is not a number: skipped and logged.
  w.map->AddSoundEvent(SoundWorld::Event(20, 0, 0, 0, 0));
  w.map->AddSoundEvent(SoundWorld::Event(26, 0, 0, 0, 0, true));
  w.map->AddSoundEvent(SoundWorld::Event(9, NAN, 0, 0, 1.0f));
  EXPECT_EQ(w.OneShots(), 1);
  EXPECT_EQ(w.Loops(), 1);
  std::string log;
  for (const std::string& line : w.sounds.folder.LogLines()) log += line + "\n";
  EXPECT_NE(log.find("kind without a class, skipped; kind 20"), std::string::npos) << log;
  EXPECT_NE(log.find("kind without a class, skipped; kind 26"), std::string::npos) << log;
  EXPECT_NE(log.find("not a number"), std::string::npos) << log;
}

TEST(MapSoundEvents, TheUpkeepDropsFinishedSoundsEveryFrameAndMovesTheRestOnRequest) {
  SoundWorld w;
  FakeUnit truck(MapUnitView::kVehicle, 1, 100.0f, 0.0f, 0.0f);
  w.map->AddSoundEvent(SoundWorld::Event(9, 0, 0, 0, 0, false, &truck));
  MapPacket silent = SoundWorld::Event(9, 10.0f, 0, 0, 0);
  silent.sound.number = 701;  // no such sound: no channel, finished at once
  w.map->AddSoundEvent(silent);
  w.map->AddSoundEvent(SoundWorld::Event(3, 0, 0, 0, 0, true, &truck));
  ASSERT_EQ(w.OneShots(), 2);
  truck.x = 200.0f;
  w.map->UpdateSounds(false);
  ASSERT_EQ(w.OneShots(), 1);
  auto* shot = static_cast<MapSound*>(w.map->display.oneShotSounds->GetItem(0));
  EXPECT_NEAR(shot->GetStoredDistance(), 100.0f, 0.01f);
  EXPECT_NEAR(w.LastLoop().GetStoredDistance(), 100.0f, 0.01f);
  w.map->UpdateSounds(true);
  EXPECT_NEAR(shot->GetStoredDistance(), 200.0f, 0.01f);
  EXPECT_NEAR(w.LastLoop().GetStoredDistance(), 200.0f, 0.01f);
  // Once it has played to its end the one-shot goes.
  w.sounds.manager().GetDevice()->Advance(100000);
  w.sounds.manager().Update();
  w.map->UpdateSounds(false);
  EXPECT_EQ(w.OneShots(), 0);
  EXPECT_EQ(w.Loops(), 1);
}

TEST(MapSoundEvents, ARecordedSoundPacketPlaysAsTheSameEvent) {
  SoundWorld w;
  Packet p;
  p.kind = Packet::kSound;
  p.sound.number = 700;
  p.sound.soundKind = 9;
  p.sound.parameter = 1.0f;
  p.sound.position[0][0] = 100.0f;
  p.sound.position[0][1] = 120.0f;
  p.sound.position[1][0] = 7.0f;
  p.sound.audible[1] = 1;
  const MapPacket m = MapSoundEventOf(p);
  EXPECT_EQ(m.sound.kind, 9);
  EXPECT_EQ(m.sound.position[1][0], 7.0f);
  EXPECT_EQ(m.sound.audible[1], 1);
  w.map->AddSoundEvent(m);
  EXPECT_EQ(w.OneShots(), 1);
  EXPECT_FLOAT_EQ(w.map->frame.shake, 1.0f);
}

}  // namespace
