#include <gtest/gtest.h>

#include <cstdlib>

// Every test program runs headless: no window and no sound card, whatever runs it.
int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
