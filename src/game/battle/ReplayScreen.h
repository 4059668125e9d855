#pragma once
#include <cstdint>

class Battle;
class Packet;

// What the turn and its replay tell the battle screen and the sound, and the little they ask:
// the action computed (the GO strip hidden, its progress) and the next orders (the GO strip
// back), the start of the action's replay, the second hot-seat viewer's replay, the
// end-of-replay sound, the blinking indicator, the go-button picture, the seconds display, the
// camera counter, the Shift key and the sounds handed over each frame. The battle screen
// implements it; tests use a fake. Without one (the headless battle) the turn runs unseen and
// the replay silently.
class ReplayScreen {
 public:
  virtual ~ReplayScreen() = default;

  // The action's record stands at its start (Battle::ComputeAction): the screen brings its
  // figures up to date and starts the replay (Battle::BeginReplay), playing when the action
  // was computed here (play), paused at the start of an action received.
  virtual void ActionStarted(Battle& battle, bool play) = 0;
  // The action is about to be computed or received: the GO strip goes until the next orders.
  virtual void HideGoStrip() = 0;
  // The next orders phase: the replay's strip goes and the GO strip shows again.
  virtual void ShowGoStrip() = 0;
  // The computing of the action has reached this slice (0 at its start).
  virtual void ShowProgress(int32_t slice) = 0;
  // Hot seat: the first player has watched the action; the replay starts again from the turn's
  // start, paused, for the second.
  virtual void ReplayForSecondViewer() = 0;
  virtual void PlaySound(int32_t number, int32_t priority) = 0;
  virtual void SetBlinkIndicator(bool on) = 0;
  virtual void ShowGoButton(bool shown) = 0;
  virtual void ShowSeconds(int32_t seconds) = 0;
  virtual void SetCameraCounter(int32_t value) = 0;
  virtual bool IsShiftDown() const = 0;
  virtual void SetSoundPhase(int32_t phase) = 0;
  // One queued sound event of this frame, to be started where it is heard.
  virtual void StartSoundEvent(const Packet& packet) = 0;
  virtual void InvalidateInfoPanel() = 0;
  // The sounds of the action to load before the replay: count pairs of number and looped byte.
  virtual void PreloadSounds(int32_t count, const uint16_t* numbers, const uint8_t* looped) = 0;
  // The sound channels that play at once: the budget of the action's sound thinning.
  virtual int32_t GetSoundChannelCount() const = 0;
};
