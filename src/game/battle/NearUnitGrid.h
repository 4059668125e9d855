#pragma once
#include <cstdint>
#include <vector>

class Unit;

// Some of the battle's units (its vehicles, say), in the order of its units, bucketed by the
// square of ground each stood on when the grid was made, so that the question "which of them
// are within reach of this mover now" reads a few buckets instead of every unit. The grid is
// made again at every slice of the action: within one slice no unit moves farther than the
// margin the buckets are read with, and every unit a bucket hands on is measured again where it
// stands now, so the answer is the one the whole list would give, in the same order.
class NearUnitGrid {
 public:
  // How far a unit may move between the making of the grid and a question: many times what
  // the fastest vehicle covers in one slice.
  static constexpr float kMargin = 8.0f;

  // Buckets the units (in the battle's order) where they stand now.
  void Make(const std::vector<Unit*>& units);

  // Appends to `out`, in the order the units were handed to Make, every one other than `mover`
  // whose distance from (x, y) along each axis is at most `reach` now; with unmeasured, every
  // one whose distance is not a number too (a unit or a point at no finite place).
  void Gather(const Unit* mover, float x, float y, float reach, bool unmeasured, std::vector<Unit*>& out) const;

 private:
  static constexpr float kCell = 32.0f;
  // The units as handed to Make.
  std::vector<Unit*> units_;
  // Per bucket, row by row, the first of its entries in entries_ (one more at the end).
  std::vector<int32_t> starts_;
  // The units' indices, bucket by bucket, each bucket's in ascending order, with where each
  // stood when the grid was made.
  struct Entry {
    int32_t index;
    float x;
    float y;
  };
  std::vector<Entry> entries_;
  // Units standing at no finite point: handed to every question.
  std::vector<int32_t> strays_;
  // The bucket of each unit (-1 for a stray), while the grid is made.
  std::vector<int32_t> cellOf_;
  // The indices a question collects before they are put in order.
  mutable std::vector<int32_t> picked_;
  float originX_ = 0.0f;
  float originY_ = 0.0f;
  int32_t columns_ = 0;
  int32_t rows_ = 0;
};
