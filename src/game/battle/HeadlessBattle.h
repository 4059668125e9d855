#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "game/battle/HeadlessHost.h"

class Battle;

// A battle with no window, sound or link: loads a scenario or a saved game from a file or from
// bytes, prepares it for play as the battle screen would (without the screen), saves it, and
// digests it. It installs its host as the unit services while it lives; one at a time.
class HeadlessBattle {
 public:
  HeadlessBattle();
  ~HeadlessBattle();
  HeadlessBattle(const HeadlessBattle&) = delete;
  HeadlessBattle& operator=(const HeadlessBattle&) = delete;

  // A new battle on a fresh map.
  void New();
  // Reads a stored battle and prepares it for play. A refused stream leaves the battle that
  // was loaded before as it was; false.
  bool LoadBytes(const std::string& bytes);
  bool LoadFile(const std::string& path);
  // The stored battle; false (and nothing written) when it cannot be stored.
  bool SaveBytes(std::string& out);
  // Writes through a temporary file that replaces path only when the whole battle was
  // written: a failed save leaves the previous file as it was.
  bool SaveFile(const std::string& path);
  // A digest of the stored battle and the generator's state.
  uint32_t Digest();

  Battle* GetBattle() const { return battle_.get(); }
  HeadlessHost& Host() { return *host_; }
  // Takes a host of the caller's (a recording one); the battle in play moves to it.
  void SetHost(std::unique_ptr<HeadlessHost> host);

 private:
  bool Load(class GFile& file);
  void Prepare();

  std::unique_ptr<HeadlessHost> host_;
  std::unique_ptr<Battle> battle_;
};
