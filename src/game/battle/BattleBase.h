#pragma once
#include <cstdint>

#include "framework/core/GGroup.h"
#include "framework/core/GObject.h"
#include "game/map/MapBattleServices.h"

class Map;

// The common base of the battle and the operation: the map it owns, the conditions it is
// fought in and its unit group, as the map and the units read them. The battle engine grows
// it; so far it answers the map's questions from its fields.
class BattleBase : public GObject, public MapBattleServices {
 public:
  BattleBase();
  ~BattleBase() override;
  BattleBase(const BattleBase&) = delete;
  BattleBase& operator=(const BattleBase&) = delete;

  const Map* GetMap() const override { return map; }
  // Snow ground: the ground conditions 6 "Light Snow", 7 "Snow" and 8 "Deep Snow".
  bool IsSnowGround() const override { return groundCondition >= 6 && groundCondition <= 8; }
  int32_t GetGroundCondition() const override { return groundCondition; }
  int32_t GetWeather() const override { return weather; }
  int32_t GetSeason() const override { return season; }
  int32_t GetDate() const override { return date; }
  int32_t GetTimeOfDay() const override { return timeOfDay; }
  float GetVisibilityFactor() const override { return visibilityFactor; }
  int32_t GetVisibilityClass() const override { return visibilityClass; }
  int32_t GetPlacingSide() const override { return placingSide; }
  bool IsNoRecord() const override { return noRecord != 0; }
  bool GetReplayFlag(int32_t index) const override { return replayFlags[index & 1] != 0; }
  int32_t GetCurrentSlice() const override { return currentSlice; }
  int32_t GetUnitCount() const override { return units.Count(); }
  MapUnitView* GetUnit(int32_t index) const override;
  // The packet list and the effect list come with the battle engine; until then nothing is
  // recorded.
  void RecordPacket(const MapPacket& /*packet*/) override {}
  void AddCollapseEffect(float /*x*/, float /*y*/, bool /*tall*/, int32_t /*argument*/) override {}
  void StartTileFire(int32_t /*tileX*/, int32_t /*tileY*/) override {}
  void GetBattlefieldViewSize(int32_t& width, int32_t& height) const override {
    width = 0;
    height = 0;
  }
  GObject* NewPictureView(int32_t /*left*/, int32_t /*top*/, int32_t /*width*/, int32_t /*height*/) override {
    return nullptr;
  }

  Map* map = nullptr;  // owned
  int32_t groundCondition = 0;
  int32_t weather = 0;
  int32_t season = 0;
  int32_t date = 4406;
  int32_t timeOfDay = 0;
  float visibilityFactor = 1.0f;
  int32_t visibilityClass = 0;
  int32_t placingSide = 0;
  uint8_t noRecord = 0;
  uint8_t replayFlags[2] = {};
  int32_t currentSlice = -1;
  GGroup units;  // every unit, in list order
};
