#include "platform/PMoviePlayer.h"

#include <utility>

namespace {

// The player of a system without a movie library: it cannot start, and every other step
// does nothing.
class AbsentPlayer : public PMoviePlayer {
 public:
  bool StartLibrary() override { return false; }
  void StopLibrary() override {}
  void AttachWindow(PWindow*) override {}
  void DetachWindow() override {}
  bool OpenFile(const std::string&) override { return false; }
  bool MakeMovie() override { return false; }
  void Preroll() override {}
  PRect NaturalBox() override { return PRect{}; }
  void SetBox(const PRect&) override {}
  void Start() override {}
  bool IsDone() override { return true; }
  void Task(uint32_t) override {}
  void DisposeMovie() override {}
};

std::function<std::unique_ptr<PMoviePlayer>()>& Factory() {
  static std::function<std::unique_ptr<PMoviePlayer>()> factory;
  return factory;
}

}  // namespace

std::unique_ptr<PMoviePlayer> PMoviePlayer::Create() {
  if (Factory()) {
    std::unique_ptr<PMoviePlayer> player = Factory()();
    if (player) return player;
  }
  return std::make_unique<AbsentPlayer>();
}

void PMoviePlayer::SetFactory(std::function<std::unique_ptr<PMoviePlayer>()> factory) {
  Factory() = std::move(factory);
}
