#pragma once
#include <cstdint>

#include "game/units/ports/UnitContext.h"

// Installs ports of the units' context while it lives. By default only the ports it is given
// (the non-null ones) replace those in force, the others staying as they are; a whole scope
// installs every port, a null one as none. When it goes, what it installed goes with it and
// the ports beneath come back: scopes stack, and one that ends out of turn takes only its own
// ports away, never a later scope's.
class UnitContextScope {
 public:
  struct Whole {};
  static constexpr Whole kWhole{};

  explicit UnitContextScope(const UnitContext& ports);
  UnitContextScope(Whole, const UnitContext& context);
  ~UnitContextScope();
  UnitContextScope(const UnitContextScope&) = delete;
  UnitContextScope& operator=(const UnitContextScope&) = delete;

 private:
  // Which ports the scope sets: bits of kServices .. kScreen.
  enum : uint8_t { kServices = 1, kOrders = 2, kDraw = 4, kScreen = 8, kAll = 15 };

  UnitContextScope(const UnitContext& ports, uint8_t chosen);
  // Puts in force the context the live scopes make, the oldest first, each over the one
  // before: the scope's own ports over those of the scopes beneath it.
  static void Recompose();
  static UnitContext Compose(const UnitContextScope* scope);

  UnitContext ports_;
  uint8_t chosen_;
  UnitContextScope* below_;  // the scope installed before this one, null for the first
};
