#pragma once

// What the kernel asks of the graphics store when the display changes or comes back: reload
// every graphic's pixels, give up every graphic's surfaces, and make them again. The kernel
// owns it; deleting it deletes the store. This base is the stand-in of a store that holds no
// graphics.
class GKernelStore {
 public:
  virtual ~GKernelStore() = default;
  virtual void RestoreAll() {}
  virtual void FlushAll() {}
  virtual void RecreateAll() {}
};
