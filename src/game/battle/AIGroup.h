#pragma once
#include <cstdint>
#include <vector>

#include "framework/core/GObjectGroup.h"

class BattleBase;
class GFile;
class Unit;

// A computer-player group of units of one side. It never owns its units. Its mode says what
// it is for: 0 free; 1 the set-up placement group; 2 units that cannot take part; 3 the
// catch-all; 4 free on a defending side; 5 + k holding objective k; 10005 + k sent to
// objective k.
class AIGroup : public GObjectGroup {
 public:
  static constexpr int32_t kFree = 0;
  static constexpr int32_t kPlacement = 1;
  static constexpr int32_t kCannotTakePart = 2;
  static constexpr int32_t kCatchAll = 3;
  static constexpr int32_t kDefendingFree = 4;
  static constexpr int32_t kHoldingBase = 5;
  static constexpr int32_t kSentBase = 10005;

  AIGroup() = default;
  ~AIGroup() override = default;

  // Fresh storage, not owning its units, mode 0, no ids waiting.
  void Init();

  // The stored form: mode (i16), member count (u32), each unit's packed id (i16). A group
  // read back holds no units: its ids wait (PendingIds) until ResolveIds turns them into
  // units. A member count larger than the bytes left can hold is refused before anything is
  // allocated (the file's error flag, one log line).
  void Read(GFile& file) override;
  void Write(GFile& file) const override;
  const std::vector<int16_t>& PendingIds() const { return pendingIds_; }
  // Appends the unit of every waiting id, from the last id to the first, so that the order
  // read is the order kept. False, with the group unchanged, when an id names no unit.
  bool ResolveIds(const BattleBase& battle);

  Unit* UnitAt(int32_t index) const;
  // The plain mean of the members' positions; an empty group keeps its centre.
  void UpdateCentre();
  // ---- The objectives' part ----
  // The unit the group measures its way to an objective from: its first living member that
  // cannot move, else its last member; null for an empty group.
  Unit* GetReferenceUnit() const;
  // ---- End of the objectives' part ----

  int32_t mode = kFree;
  float centreX = 0.0f;
  float centreY = 0.0f;

 private:
  std::vector<int16_t> pendingIds_;
};
