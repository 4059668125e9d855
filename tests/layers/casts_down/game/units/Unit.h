#pragma once
// The unit base the kind-cast check starts from.
class Unit {
 public:
  virtual ~Unit() = default;
};
