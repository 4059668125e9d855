#pragma once

// What the shared unit code asks of an airplane beyond the numbered operations. Reached
// through Unit::AsAirplane; the airplane class implements it.
class AirplaneServices {
 public:
  virtual ~AirplaneServices() = default;

  // 1 + (14 - 2 x rating) / 1200 x the difference of its speed fields.
  virtual float DamageFactor() const = 0;
};
