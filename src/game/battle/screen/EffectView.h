#pragma once
#include <cstdint>

class GRandom;
class Unit;

// What a short-lived effect needs of the battlefield while it draws: the options and view that
// shape it, the eye it turns its smoke toward, the map's effect and smoke textures, and the
// presentation's generator for its flicker. The battle hands the map's answers; tests use a
// fake.
class EffectView {
 public:
  virtual ~EffectView() = default;

  // The smoke graphics option: 2 is High Quality (puffs, a shorter and fainter flash).
  virtual int32_t SmokeOption() const = 0;
  // The battlefield's view level, 0..7.
  virtual int32_t ViewLevel() const = 0;
  // The eye of this frame: ground point and height, metres.
  virtual float EyeX() const = 0;
  virtual float EyeY() const = 0;
  virtual float EyeHeight() const = 0;
  // Binds one of the four effect textures (kind 0..3) as the renderer's texture.
  virtual void BindEffectTexture(int32_t kind) = 0;
  // Binds smoke frame 0..9 as the renderer's texture.
  virtual void BindSmokeTexture(int32_t frame) = 0;
  // The ground height at a point, and the detail factor of ground drawn there.
  virtual float ElevationAt(float x, float y) const = 0;
  virtual float DetailFactorAt(float x, float y) const = 0;
  // Binds one of the three flame textures, picked with the generator of Random().
  virtual void BindRandomEffectTexture() = 0;
  // Binds the current frame of the animated fire.
  virtual void BindAnimatedFireTexture() = 0;
  // A shooter's part: whether it belongs to the side whose view is shown, where it stands now
  // (ground point and base height), and whether it is of the Axis.
  virtual bool IsViewersSide(const Unit& shooter) const = 0;
  virtual void ShooterPoint(const Unit& shooter, float* x, float* y, float* z) const = 0;
  virtual bool IsAxis(const Unit& shooter) const = 0;
  // The generator every draw of the effects takes from; never the game's.
  virtual GRandom& Random() = 0;
};
