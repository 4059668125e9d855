#include "app/OptionKeys.h"

#include "StringIds.h"
#include "app/GameSettings.h"

namespace {

struct Toggle {
  uint8_t key;
  int32_t option;
  int32_t nameId;
};

constexpr Toggle kToggles[] = {{'B', 1, 290},  {'L', 16, 291}, {'V', 44, 292}, {'F', 42, 293},
                               {'R', 5, 294},  {'M', 3, 295},  {'E', 43, 296}, {'K', 8, 297},
                               {'D', 14, 298}, {'G', 13, 299}, {'O', 17, 300}, {'J', 20, 302}};

int8_t Next(int8_t value, int32_t count) { return static_cast<int8_t>((value + 1) % count); }

// A cycled option: (v + 1) mod count, never negative even from a value the file did not hold.
int8_t Cycle(GameSettings& settings, int32_t option, int32_t count) {
  int8_t v = settings.Get(option);
  if (v < 0) v = -1;
  v = Next(v, count);
  settings.Set(option, v);
  return v;
}

}  // namespace

void OptionKeys::GammaText(int32_t level, GString& text) {
  text.LoadResource(233);
  text.AppendResource(static_cast<uint32_t>(234 + (level >= 0 && level <= 4 ? level : 0)));
}

bool OptionKeys::Apply(uint8_t key, GameSettings& settings, Result& result) {
  GString& text = result.text;
  text.Clear();
  for (const Toggle& t : kToggles) {
    if (t.key != key) continue;
    const bool wasOff = settings.Get(t.option) == 0;
    settings.Set(t.option, wasOff ? 1 : 0);
    text.LoadResource(static_cast<uint32_t>(t.nameId));
    text.AppendChar(' ');
    text.AppendResource(wasOff ? 222 : 221);
    return true;
  }
  switch (key) {
    case 'S': {
      const int8_t v = Cycle(settings, GameSettings::kSound, 3);
      result.applyIndex = GameSettings::kSound;
      text.LoadResource(220);
      text.AppendResource(static_cast<uint32_t>(221 + v));
      return true;
    }
    case 'P': text.LoadResource(static_cast<uint32_t>(210 + Cycle(settings, 7, 4))); return true;
    case 'I':
      text.LoadResource(265);
      text.AppendResource(static_cast<uint32_t>(266 + Cycle(settings, 15, 3)));
      return true;
    case 'W':
      text.LoadResource(240);
      text.AppendResource(static_cast<uint32_t>(241 + Cycle(settings, 12, 3)));
      return true;
    case 'H': {
      // The text names the new horizon.
      const int8_t v = Cycle(settings, 9, 5);
      result.redraw = true;
      text.LoadResource(250);
      if (v == 0) {
        text.AppendResource(251);
      } else {
        text.AppendNumber((v + 1) * 500);
        text.AppendChar('m');
      }
      return true;
    }
    case 'C': {
      const int8_t v = Cycle(settings, 4, 5);
      text.LoadResource(270);
      if (v == 0) {
        text.AppendResource(271);
      } else {
        text.AppendResource(272);
        text.AppendNumber(v);
      }
      return true;
    }
    case 'T': {
      const int8_t old = settings.Get(2);
      const int8_t v = old >= 0 && old < 3 ? static_cast<int8_t>(old + 1) : 0;
      settings.Set(2, v);
      text.LoadResource(280);
      if (v == 0) {
        text.AppendResource(241);
      } else {
        text.AppendResource(v == 3 ? 243u : static_cast<uint32_t>(280 + v));
        text.AppendResource(283);
      }
      return true;
    }
    case 'Z':
    case 'A': {
      int32_t v = settings.Get(GameSettings::kCameraDip) + (key == 'Z' ? -1 : 1);
      if (v < -10) v = -10;
      if (v > 2) v = 2;
      settings.Set(GameSettings::kCameraDip, static_cast<int8_t>(v));
      result.redraw = true;
      text.LoadResource(kStrCameraDip);
      text.AppendNumber(v);
      return true;
    }
    case '[':
    case ']': {
      int8_t v = settings.Get(GameSettings::kZoom);
      if (key == '[') {
        if (v == 2) v = 1;
        else if (v == 4) v = 2;
        else if (v == 8) v = 4;
      } else {
        if (v == 1) v = 2;
        else if (v == 2) v = 4;
        else if (v == 4) v = 8;
      }
      settings.Set(GameSettings::kZoom, v);
      result.redraw = true;
      text.LoadResource(260);
      text.AppendNumber(v);
      return true;
    }
    default: return false;
  }
}
