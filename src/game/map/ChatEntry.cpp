#include "game/map/ChatEntry.h"

#include <string>

#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"

void ChatEntry::KeyChar(int8_t c) {
  if (c != 13) {
    GTextEntry::KeyChar(c);
    return;
  }
  const std::string text = Text();
  Clear();
  SetVisible(0);
  if (!text.empty()) app_.Exchange().SendChat(text.c_str());
}
