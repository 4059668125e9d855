#pragma once
#include <cstdint>
#include <vector>

class MapUnitView;

// The vehicles near one sight line. It does not own its members; the map keeps one and
// clears it for every trace, so its storage is reused rather than allocated per trace.
class SightUnitList {
 public:
  void Clear() { members_.clear(); }
  void Append(const MapUnitView* unit) { members_.push_back(unit); }
  int32_t Count() const { return static_cast<int32_t>(members_.size()); }
  bool IsEmpty() const { return members_.empty(); }
  const MapUnitView* At(int32_t index) const { return members_[static_cast<size_t>(index)]; }
  const std::vector<const MapUnitView*>& Members() const { return members_; }

 private:
  std::vector<const MapUnitView*> members_;
};
