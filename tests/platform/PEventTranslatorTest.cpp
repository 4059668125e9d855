#include "platform/PEventTranslator.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/PKey.h"

namespace {

SDL_Event Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod, uint32_t time = 0) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.timestamp = time;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = scancode;
  e.key.keysym.mod = mod;
  return e;
}

SDL_Event Button(bool down, uint8_t button, int32_t x, int32_t y, uint32_t time) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.timestamp = time;
  e.button.button = button;
  e.button.x = x;
  e.button.y = y;
  return e;
}

SDL_Event Window(SDL_WindowEventID id) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = static_cast<uint8_t>(id);
  return e;
}

std::vector<PMessage> Drain(PMessageQueue& q) {
  std::vector<PMessage> out;
  PMessage m;
  while (q.Take(m)) out.push_back(m);
  return out;
}

struct KeyCase {
  const char* name;
  SDL_Keycode sym;
  SDL_Scancode scancode;
  uint16_t mod;
  PMessageType downType;
  uint8_t key;
  PMessageType charType;  // kNone: no character follows
  uint32_t character;
};

TEST(PEventTranslator, KeyDownsAndTheirCharacters) {
  const KeyCase cases[] = {
      {"left arrow", SDLK_LEFT, SDL_SCANCODE_LEFT, 0, PMessageType::kKeyDown, kKeyLeft, PMessageType::kNone, 0},
      {"down arrow", SDLK_DOWN, SDL_SCANCODE_DOWN, 0, PMessageType::kKeyDown, kKeyDown, PMessageType::kNone, 0},
      {"a", SDLK_a, SDL_SCANCODE_A, 0, PMessageType::kKeyDown, kKeyA, PMessageType::kChar, 'a'},
      {"shift a", SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT, PMessageType::kKeyDown, kKeyA, PMessageType::kChar, 'A'},
      {"caps a", SDLK_a, SDL_SCANCODE_A, KMOD_CAPS, PMessageType::kKeyDown, kKeyA, PMessageType::kChar, 'A'},
      {"caps shift a", SDLK_a, SDL_SCANCODE_A, KMOD_CAPS | KMOD_RSHIFT, PMessageType::kKeyDown, kKeyA,
       PMessageType::kChar, 'a'},
      {"alt s", SDLK_s, SDL_SCANCODE_S, KMOD_LALT, PMessageType::kSysKeyDown, kKeyA + 18, PMessageType::kSysChar, 's'},
      {"ctrl c", SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL, PMessageType::kKeyDown, kKeyA + 2, PMessageType::kChar, 3},
      {"ctrl z", SDLK_z, SDL_SCANCODE_Z, KMOD_RCTRL, PMessageType::kKeyDown, kKeyA + 25, PMessageType::kChar, 26},
      {"enter", SDLK_RETURN, SDL_SCANCODE_RETURN, 0, PMessageType::kKeyDown, kKeyReturn, PMessageType::kChar, 13},
      {"escape", SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0, PMessageType::kKeyDown, kKeyEscape, PMessageType::kChar, 27},
      {"shift 1", SDLK_1, SDL_SCANCODE_1, KMOD_LSHIFT, PMessageType::kKeyDown, kKey0 + 1, PMessageType::kChar, '!'},
      {"comma", SDLK_COMMA, SDL_SCANCODE_COMMA, 0, PMessageType::kKeyDown, kKeyComma, PMessageType::kChar, ','},
      {"f1", SDLK_F1, SDL_SCANCODE_F1, 0, PMessageType::kKeyDown, kKeyF1, PMessageType::kNone, 0},
      {"keypad 5", SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_NUM, PMessageType::kKeyDown, kKeyPad0 + 5, PMessageType::kChar,
       '5'},
      {"keypad 8 no num lock", SDLK_KP_8, SDL_SCANCODE_KP_8, 0, PMessageType::kKeyDown, kKeyUp, PMessageType::kNone, 0},
      {"keypad 5 no num lock", SDLK_KP_5, SDL_SCANCODE_KP_5, 0, PMessageType::kKeyDown, kKeyClear, PMessageType::kNone,
       0},
      {"keypad plus", SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 0, PMessageType::kKeyDown, kKeyPadAdd, PMessageType::kChar,
       '+'},
      {"keypad enter", SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_NUM, PMessageType::kKeyDown, kKeyReturn,
       PMessageType::kChar, 13},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    PEventTranslator t;
    PMessageQueue q;
    t.Translate(Key(true, c.sym, c.scancode, c.mod), q);
    std::vector<PMessage> got = Drain(q);
    ASSERT_EQ(got.size(), c.charType == PMessageType::kNone ? 1u : 2u);
    EXPECT_EQ(got[0].type, c.downType);
    EXPECT_EQ(got[0].param, c.key);
    EXPECT_TRUE(got[0].keys.IsDown(c.key));
    if (c.charType != PMessageType::kNone) {
      EXPECT_EQ(got[1].type, c.charType);
      EXPECT_EQ(got[1].param, c.character);
    }
  }
}

TEST(PEventTranslator, KeyStateFollowsPressAndRelease) {
  PEventTranslator t;
  PMessageQueue q;
  t.Translate(Key(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), q);
  EXPECT_TRUE(t.LiveKeys().IsDown(kKeyShift));
  t.Translate(Key(true, SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_NUM | KMOD_LSHIFT), q);
  EXPECT_TRUE(t.LiveKeys().IsDown(kKeyPad0 + 5));
  // Num Lock goes off while the key is held: its release still lets go of the keypad 5.
  t.Translate(Key(false, SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_LSHIFT), q);
  EXPECT_FALSE(t.LiveKeys().IsDown(kKeyPad0 + 5));
  t.Translate(Key(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0), q);
  EXPECT_FALSE(t.LiveKeys().IsDown(kKeyShift));
  std::vector<PMessage> got = Drain(q);
  ASSERT_EQ(got.size(), 5u);  // shift down, keypad down, '5', keypad up, shift up
  EXPECT_EQ(got[2].type, PMessageType::kChar);
  EXPECT_TRUE(got[2].keys.IsDown(kKeyPad0 + 5));  // the key reads as down with its character
  EXPECT_EQ(got[3].type, PMessageType::kKeyUp);
  EXPECT_EQ(got[3].param, kKeyPad0 + 5u);
  EXPECT_FALSE(got[3].keys.IsDown(kKeyPad0 + 5));
  // Alt pressed and released alone gives system key messages.
  t.Translate(Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), q);
  t.Translate(Key(false, SDLK_LALT, SDL_SCANCODE_LALT, 0), q);
  got = Drain(q);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].type, PMessageType::kSysKeyDown);
  EXPECT_EQ(got[1].type, PMessageType::kSysKeyUp);
}

TEST(PEventTranslator, MouseButtonsAndDoubleClicks) {
  PEventTranslator t;
  PLetterbox box;
  box.Set(640, 480, 640, 480);
  t.SetLetterbox(box);
  PMessageQueue q;
  t.Translate(Button(true, SDL_BUTTON_LEFT, 10, 10, 1000), q);
  t.Translate(Button(false, SDL_BUTTON_LEFT, 10, 10, 1050), q);
  t.Translate(Button(true, SDL_BUTTON_LEFT, 11, 9, 1200), q);   // second press: double click
  t.Translate(Button(false, SDL_BUTTON_LEFT, 11, 9, 1250), q);
  t.Translate(Button(true, SDL_BUTTON_LEFT, 11, 9, 1300), q);   // a third press starts afresh
  t.Translate(Button(true, SDL_BUTTON_LEFT, 11, 9, 2000), q);   // too late
  t.Translate(Button(true, SDL_BUTTON_LEFT, 30, 9, 2100), q);   // too far
  t.Translate(Button(true, SDL_BUTTON_RIGHT, 30, 9, 2200), q);  // another button
  t.Translate(Button(true, SDL_BUTTON_RIGHT, 30, 9, 2300), q);
  t.Translate(Button(true, SDL_BUTTON_MIDDLE, 30, 9, 2400), q);  // not reported
  std::vector<PMessage> got = Drain(q);
  const PMessageType expected[] = {PMessageType::kLeftDown,  PMessageType::kLeftUp,   PMessageType::kLeftDoubleClick,
                                   PMessageType::kLeftUp,    PMessageType::kLeftDown, PMessageType::kLeftDown,
                                   PMessageType::kLeftDown,  PMessageType::kRightDown, PMessageType::kRightDoubleClick};
  ASSERT_EQ(got.size(), std::size(expected));
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].type, expected[i]) << i;
  EXPECT_EQ(got[2].x, 11);
  EXPECT_EQ(got[2].y, 9);
}

TEST(PEventTranslator, ActivationChangesAndCloseRequests) {
  PEventTranslator t;
  PMessageQueue q;
  t.Translate(Window(SDL_WINDOWEVENT_FOCUS_GAINED), q);  // already active: nothing
  t.Translate(Window(SDL_WINDOWEVENT_FOCUS_LOST), q);
  t.Translate(Window(SDL_WINDOWEVENT_FOCUS_LOST), q);
  t.Translate(Window(SDL_WINDOWEVENT_FOCUS_GAINED), q);
  t.Translate(Window(SDL_WINDOWEVENT_CLOSE), q);
  std::vector<PMessage> got = Drain(q);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].type, PMessageType::kActivate);
  EXPECT_EQ(got[0].param, 0u);
  EXPECT_EQ(got[1].type, PMessageType::kActivate);
  EXPECT_EQ(got[1].param, 1u);
  EXPECT_EQ(got[2].type, PMessageType::kClose);
}

TEST(PLetterbox, MapsWindowPositionsBackToScreenPixels) {
  PLetterbox box;
  box.Set(640, 480, 1920, 1080);  // bars left and right
  EXPECT_EQ(box.Target(), (PRect{240, 0, 1680, 1080}));
  int32_t x;
  int32_t y;
  box.ToScreen(240, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  box.ToScreen(1679, 1079, x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  box.ToScreen(10, 2000, x, y);  // on a bar and below the window: clamped
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 479);
  box.ToScreen(1900, -5, x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 0);
  // Every screen pixel's centre comes back to the same pixel.
  for (int32_t sx = 0; sx < 640; sx += 7) {
    int32_t wx;
    int32_t wy;
    box.ToWindow(sx, 479 - sx % 480, wx, wy);
    box.ToScreen(wx, wy, x, y);
    EXPECT_EQ(x, sx);
    EXPECT_EQ(y, 479 - sx % 480);
  }
  box.Set(800, 600, 800, 600);
  EXPECT_EQ(box.Target(), (PRect{0, 0, 800, 600}));
}

}  // namespace
