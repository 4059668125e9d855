#include "app/AlertTable.h"

#include "framework/core/GString.h"

namespace {

constexpr AlertTable::Row kRows[] = {
    {0, 1700, 0, 82, -1},     {1, 1701, 1702, 82, -1},  {2, 1705, 1706, 82, -1},  {3, 1703, 1704, 82, -1},
    {4, 1709, 1704, 82, -1},  {5, 1711, 1704, 82, -1},  {6, 1710, 1704, 82, -1},  {7, 325, 0, 84, -1},      {8, 0, 0, 84, -1},
    {9, 337, 336, 84, -1},    {10, 332, 336, 84, -1},   {11, 338, 339, 84, -1},   {12, 326, 0, 84, -1},
    {13, 327, 0, 84, -1},     {14, 334, 0, 84, -1},     {15, 321, 0, 81, 84},     {16, 322, 0, 86, 87},
    {17, 323, 0, 88, 89},     {18, 324, 0, 18, 17},     {19, 328, 0, 82, 84},     {20, 320, 0, 109, 110},
    {21, 320, 0, 111, 112},   {22, 320, 0, 113, 114},   {23, 320, 0, 115, 116},   {24, 333, 0, 78, 83},
    {25, 340, 341, 83, -1},
};

}  // namespace

const AlertTable::Row* AlertTable::Find(int32_t number) {
  for (const Row& row : kRows)
    if (row.number == number) return &row;
  return nullptr;
}

void AlertTable::PlayBalanceText(int32_t value, GString& text) {
  int32_t ending = 331;
  if (value >= 2500) {
    ending = 317;
    value -= 5000;
  }
  text.LoadResource(329);
  text.AppendResource(value < 0 ? 130 : 131);
  text.AppendResource(330);
  text.AppendNumber(value < 0 ? -value : value);
  text.AppendResource(static_cast<uint32_t>(ending));
}
