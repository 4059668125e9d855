#pragma once
#include <cstdint>

// Hears of every numbered resource the program asks for: string ids from the string table,
// bitmap numbers and sound numbers looked up in the program's own folders. The program runs
// with none installed; tests install one to find numbers asked for that have no source row.
class PResourceObserver {
 public:
  enum class Kind : uint8_t { kString, kBitmap, kSound };

  virtual ~PResourceObserver() = default;
  // number was asked for; folder is the program-form folder it was looked up in (empty for
  // strings, which live in the program itself).
  virtual void Requested(Kind kind, int32_t number, const char* folder) = 0;

  // The one observer, or nullptr. Installing replaces the previous one.
  static void Install(PResourceObserver* observer);
  static PResourceObserver* Current();
  // Tells the installed observer, if any.
  static void Note(Kind kind, int32_t number, const char* folder = "");
};
