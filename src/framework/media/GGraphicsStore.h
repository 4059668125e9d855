#pragma once
#include <cstdint>
#include <memory>

#include "framework/core/GObject.h"

class GGroup;
class GStub;
class PSurface;

// The kernel's store of loaded bitmaps: at most one GStub per (kind, number), each counting
// the handles that use it. It also drops and rebuilds the 2-D surfaces around a display
// change and refills them after the display lost them.
class GGraphicsStore : public GObject {
 public:
  GGraphicsStore() = default;
  GGraphicsStore(const GGraphicsStore&) = delete;
  GGraphicsStore& operator=(const GGraphicsStore&) = delete;
  // Logs the stubs still held ("*** Graphics store not empty!") and deletes them; a stub
  // still in use ends the program.
  ~GGraphicsStore() override;

  // Makes the stub group; call once after construction.
  void Init();
  // The stub of (kind, number) with its use count raised by 1; null when none.
  GStub* FindStub(int32_t kind, int32_t number);
  // A new stub (use count 1) holding the surface or texture, appended to the store.
  GStub* AddStub(int32_t kind, int32_t number, int32_t width, int32_t height, std::unique_ptr<PSurface> surface,
                 std::unique_ptr<PSurface> texture);
  // Gives one use back; the stub is deleted with its last use.
  void ReleaseStub(GStub* stub);

  void ReloadAll();
  void FlushAll();
  void RecreateAll();

  // The stubs held, for looking at the store.
  int32_t Count() const;
  GStub* GetStub(int32_t index) const;

 private:
  GGroup* stubs_ = nullptr;
};
