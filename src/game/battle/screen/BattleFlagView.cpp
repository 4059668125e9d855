// The battle's victory flags handed to the battlefield drawing.
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/MapFlagView.h"

bool Battle::GetFlagView(int32_t index, MapFlagView& out) const {
  if (index < 0 || index >= flags.Count()) return false;
  const VictoryFlag* flag = FlagAt(index);
  if (flag == nullptr) return false;
  out.x = flag->x;
  out.y = flag->y;
  out.type = flag->type;
  out.contested = flag->contested != 0;
  out.owner = flag->holder;
  out.hidden = flag->dynamic != 0;
  out.chosen = flag->chosen != 0;
  return true;
}
