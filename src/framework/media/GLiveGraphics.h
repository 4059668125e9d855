#pragma once

class GGraphic;
class GGroup;

// The graphics alive while the program runs, which the graphics register themselves in
// (through their host) and which own them: going away deletes every graphic still in it.
// While it does, a graphic leaving the group does not take itself out.
class GLiveGraphics {
 public:
  GLiveGraphics();
  ~GLiveGraphics();
  GLiveGraphics(const GLiveGraphics&) = delete;
  GLiveGraphics& operator=(const GLiveGraphics&) = delete;

  // Adds the graphic unless it is already there, or takes it out (GGraphicFactory::TrackGraphic).
  void Track(GGraphic* graphic, bool add);
  // Deletes every graphic and the group (null afterwards); nothing can be added then.
  void DeleteAll();
  GGroup* Group() const { return group_; }
  bool IsWalking() const { return walking_; }

 private:
  GGroup* group_ = nullptr;  // owning
  bool walking_ = false;
};
