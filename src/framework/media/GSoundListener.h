#pragma once

// Where the listener stands: the renderer's camera. Positional sounds hand their world
// position to it and get it back in listener space (x right, y up, z the distance in front).
class GSoundListener {
 public:
  virtual ~GSoundListener() = default;
  virtual void TransformToListener(float& x, float& y, float& z) const = 0;
};
