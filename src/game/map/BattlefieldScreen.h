#pragma once
#include <cstdint>

class GObject;
class Map;
struct MapPacket;

// What the battle and the map tell the screen that shows them: redraws, labels, the view's
// projection, the fire, smoke and positional sounds of the battlefield frame, the camera
// counter, the cursor, sounds, and the program's screens a battle hands over to. Tell-only:
// nothing comes back and no rule waits on it, so a battle nobody watches does nothing for each
// (NullBattlefieldScreen). The application answers them in the program.
class BattlefieldScreen {
 public:
  virtual ~BattlefieldScreen() = default;

  // The exclamation beep.
  virtual void Beep() = 0;
  // Camera dip option to 0, zoom option to 1.
  virtual void ResetCameraDipAndZoom() = 0;
  // Updates the battle screen and redraws the battlefield view when it exists.
  virtual void RefreshBattleScreen() = 0;
  // Units of the side to play arrived: the idle step shows "Reinforcements have arrived.".
  virtual void RequestReinforcementsNotice() = 0;
  // Draws a text at the screen projection of a point (highlight chooses the colour).
  virtual void DrawTextAt(const char* text, bool highlight, float x, float y, float z) = 0;
  // Up to two label lines at a screen point, kept inside the view; the texts and codes as the
  // unit or building drawing gave them.
  virtual void DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                           int32_t code2) = 0;
  // The mouse cursor on or off.
  virtual void ShowCursor(bool show) = 0;
  // Plays a sound of the sound table once.
  virtual void PlaySound(int32_t number) = 0;

  // ---- The battlefield frame, as the map's frame (Map::Draw) asks for it ----
  // The battlefield view: its projection (horizontal field of view in degrees, near and far
  // planes in metres) over its own rectangle and its fill with its background colour.
  virtual void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) = 0;
  virtual void FillBattlefieldBackground() = 0;
  // The distance 3-D sounds are pushed away from the listener, metres.
  virtual void SetSoundDistanceOffset(float metres) = 0;
  // The fire pass and the smoke pass of the burning tiles.
  virtual void DrawBurningTiles(Map& map) = 0;
  virtual void DrawSmoke(Map& map) = 0;
  // The upkeep of the map's positional sounds: finished one-shot sounds go; with reposition
  // the others and the looped ones move to where their sources now stand.
  virtual void KeepMapSounds(Map& map, bool reposition) = 0;
  // Starts a positional sound event of the map at once (Map::AddSoundEvent), outside the
  // recorded action: a burning tile's fire when the screen opens or the replay restarts.
  virtual void StartMapSound(Map& map, const MapPacket& event) = 0;
  // The kernel's camera counter, which marks that the camera is animating.
  virtual void SetCameraCounter(bool on) = 0;
  virtual void RaiseCameraCounter() = 0;

  // ---- The program's screens a battle hands over to ----
  // The purchase screen for a side that must still buy its force.
  virtual void OpenPurchaseScreen(int32_t side) = 0;
  // GO while the editor shows its battle in the battle screen: the editor takes it back.
  virtual void ReturnToEditor() = 0;
  // The title screen's streamed sound ends.
  virtual void EndTitleSound() = 0;
};
