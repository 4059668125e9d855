#include "platform/PWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/PClock.h"
#include "platform/PFailureInjection.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PKey.h"
#include "platform/PSystem.h"

namespace {

SDL_Event Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = scancode;
  e.key.keysym.mod = mod;
  return e;
}

struct FakeWindow {
  PFakeBackEnd* fake;
  PWindow window;
  FakeWindow() : fake(new PFakeBackEnd), window(std::unique_ptr<PBackEnd>(fake)) {}
};

TEST(PWindow, QueueOperationsAndKeyStates) {
  FakeWindow w;
  ASSERT_TRUE(w.window.Create("Tarvane: Ossmere", 640, 480));
  w.fake->ScriptEvent(Key(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT));
  w.fake->ScriptEvent(Key(true, SDLK_x, SDL_SCANCODE_X, KMOD_LSHIFT));
  w.fake->ScriptEvent(Key(false, SDLK_x, SDL_SCANCODE_X, KMOD_LSHIFT));
  w.fake->ScriptEvent(Key(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0));

  // Before anything is taken, the live state already knows every event; the state of the
  // last message taken does not.
  EXPECT_FALSE(w.window.IsKeyDownNow(kKeyShift));
  EXPECT_FALSE(w.window.IsKeyDown(kKeyShift));
  PMessage m;
  ASSERT_TRUE(w.window.LookAhead(PMessageType::kKeyUp, m));  // not removed
  EXPECT_EQ(m.param, kKeyA + 23u);
  ASSERT_TRUE(w.window.GetMessage(m));
  EXPECT_EQ(m.type, PMessageType::kKeyDown);
  EXPECT_TRUE(w.window.IsKeyDown(kKeyShift));
  ASSERT_TRUE(w.window.PeekMessage(m));  // 'X' key-down
  ASSERT_TRUE(w.window.PeekKeyUp(m));    // the 'X' key-up jumps the queue
  EXPECT_EQ(m.param, kKeyA + 23u);
  ASSERT_TRUE(w.window.PeekMessage(m));
  EXPECT_EQ(m.type, PMessageType::kChar);
  EXPECT_EQ(m.param, static_cast<uint32_t>('X'));
  ASSERT_TRUE(w.window.PeekMessage(m));
  EXPECT_EQ(m.type, PMessageType::kKeyUp);
  EXPECT_EQ(m.param, kKeyShift);
  EXPECT_FALSE(w.window.IsKeyDown(kKeyShift));
  EXPECT_FALSE(w.window.PeekMessage(m));
  // A blocking get with nothing scripted gives up instead of hanging.
  EXPECT_FALSE(w.window.GetMessage(m, 10));
}

TEST(PWindow, CursorPositionWarpAndDisplayCount) {
  FakeWindow w;
  w.fake->SetWindowSize(1280, 960);  // twice the screen
  ASSERT_TRUE(w.window.Create("T", 640, 480));
  w.window.SetCursorPos(320, 240);
  ASSERT_EQ(w.fake->Warps().size(), 1u);
  EXPECT_EQ(w.fake->Warps()[0].x, 641);
  EXPECT_EQ(w.fake->Warps()[0].y, 481);
  int32_t x;
  int32_t y;
  w.window.GetCursorPos(x, y);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
  w.window.SetCursorPos(5000, -3);  // clamped to the screen
  w.window.GetCursorPos(x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 0);
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.x = 101;
  move.motion.y = 51;
  w.fake->ScriptEvent(move);
  PMessage m;
  ASSERT_TRUE(w.window.PeekMessage(m));
  EXPECT_EQ(m.type, PMessageType::kMouseMove);
  EXPECT_EQ(m.x, 50);
  EXPECT_EQ(m.y, 25);

  EXPECT_EQ(w.window.ShowCursor(false), -1);
  EXPECT_FALSE(w.fake->CursorVisible());
  EXPECT_EQ(w.window.ShowCursor(false), -2);
  EXPECT_EQ(w.window.ShowCursor(true), -1);
  EXPECT_FALSE(w.fake->CursorVisible());
  EXPECT_EQ(w.window.ShowCursor(true), 0);
  EXPECT_TRUE(w.fake->CursorVisible());
}

TEST(PWindow, OpeningCanFailAndTheFatalHookLivesWithTheWindow) {
  FakeWindow w;
  PFailureInjection::Arm("OpenWindow", PResult::kGeneric);
  EXPECT_FALSE(w.window.Create("T", 640, 480));
  EXPECT_FALSE(w.window.Exists());
  ASSERT_TRUE(w.window.Create("T\xE9", 640, 480));
  EXPECT_EQ(w.fake->Title(), "T\xC3\xA9");  // Windows-1252 title, UTF-8 window
  PSystem::Beep();
  EXPECT_EQ(w.fake->BeepCount(), 1);
  w.window.Destroy();
  EXPECT_FALSE(w.window.Exists());
}

TEST(PWindowDeathTest, FatalExitShowsAMessageBoxWhileTheWindowExists) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        PWindow window{std::make_unique<PFakeBackEnd>()};
        window.Create("T", 640, 480);
        PSystem::FatalExit("stop");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "message box T: stop");
  // Without a window there is no box.
  EXPECT_EXIT(
      {
        { PWindow window{std::make_unique<PFakeBackEnd>()}; window.Create("T", 640, 480); }
        PSystem::FatalExit("stop");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "^stop\n$");
}

TEST(PWindow, SdlWindowOpensAndClosesOnTheDummyDriver) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  PWindow window;
  ASSERT_TRUE(window.Create("Tarvane: Ossmere", 640, 480));
  EXPECT_TRUE(window.Exists());
  int32_t w;
  int32_t h;
  window.DesktopSize(w, h);
  EXPECT_GT(w, 0);
  std::vector<uint32_t> frame(640 * 480, 0x00FF00FF);
  window.Present(frame.data(), 640, 480);
  PMessage m;
  window.PeekMessage(m);
  window.SetCursorPos(10, 10);
  window.Destroy();
  EXPECT_FALSE(window.Exists());
}

}  // namespace
