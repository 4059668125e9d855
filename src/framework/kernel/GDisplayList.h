#pragma once
#include <cstdint>

class GObjectGroup;
class PWindow;

// The display list the kernel's display selection works from (GKernel::Select3DMode): the
// drivers with their 3-D devices and usable modes as a tree, and the candidates (one driver,
// device and mode each) flattened from it in the order of trying. Both exist from Enumerate
// to Delete; the candidates point into the tree.
class GDisplayList {
 public:
  GDisplayList() = default;
  ~GDisplayList();
  GDisplayList(const GDisplayList&) = delete;
  GDisplayList& operator=(const GDisplayList&) = delete;

  // Reads the display list of both passes (display drivers, then 3-D-only ones) into a new
  // tree, keeping 16-bit modes from 640 x 480 up to maxWidth x maxHeight, and sorts the
  // candidates. Each driver, device and mode is logged. A display list that cannot be read
  // ends the program.
  void Enumerate(PWindow* window, int32_t maxWidth, int32_t maxHeight);
  // Deletes the candidates, then the tree.
  void Delete();
  GObjectGroup* DriverTree() const { return driverTree_; }
  GObjectGroup* Candidates() const { return candidates_; }

 private:
  GObjectGroup* driverTree_ = nullptr;  // owning
  GObjectGroup* candidates_ = nullptr;  // owning
};
