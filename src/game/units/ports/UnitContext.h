#pragma once

class UnitDrawHost;
class UnitOrderHost;
class UnitScreen;
class UnitServices;

// The ports through which the units reach the program around them, gathered in one place: the
// services (the application and everything the battle in play answers), the order host (what
// the orders ask of the battle and the operation), the draw host (what the unit drawing asks
// of the battlefield view) and the screen (the notices the units send to whoever shows them).
// A null port is none: the units then behave as outside any battle, without a view, with
// nobody watching. One context is in force at a time; a UnitContextScope installs its ports
// for its lifetime, and only a scope changes the context in force.
class UnitContext {
 public:
  UnitServices* services = nullptr;
  UnitOrderHost* orders = nullptr;
  UnitDrawHost* draw = nullptr;
  UnitScreen* screen = nullptr;

  // The context in force. Inline: the units ask for it at every question they put.
  static const UnitContext& Current() { return current_; }

 private:
  friend class UnitContextScope;
  static void Install(const UnitContext& context);

  // The context in force; only UnitContextScope writes it.
  static UnitContext current_;
};

inline UnitContext UnitContext::current_{};
