#pragma once
#include <cstdint>

// What each of the 23 weapon models must hold, by routine number 0..22: its triangles and
// vertex records, its fan, strip, triangle and inline-triangle steps, its texture binds and
// the slots they bind, its layout, and its sections in drawing order (Nd/Mb: N draw steps and
// M binds; save: a saved matrix; E: the elevation; F: muzzle flash and recoil; T: the
// turned-back group, closed by ";"). The model compiler refuses data that differ from it.
struct WeaponModelCounts {
  int32_t triangles;
  int32_t vertices;
  int32_t fans;
  int32_t strips;
  int32_t triangleSteps;
  int32_t inlineTriangles;
  int32_t binds;
  const char* slots;
  const char* layout;
  const char* sections;
};

inline constexpr int32_t kWeaponModels = 23;

inline constexpr WeaponModelCounts kWeaponModelCounts[kWeaponModels] = {
    {188, 350, 59, 6, 16, 0, 15, "0-6, 8, 10, 11, 14-16", "one group", "42d/6b, save, 17d/4b, E, 12d/2b, F, 10d/3b"},
    {242, 470, 107, 0, 0, 7, 15, "1-7, 10-16", "two groups", "T 35d/3b; 35d/6b, E, 24d/3b, F, 20d/3b"},
    {200, 358, 63, 6, 10, 0, 17, "0-6, 8, 11-16", "open", "50d/11b, E, 7d/3b, F, 22d/3b"},
    {213, 383, 66, 6, 13, 0, 17, "0-6, 8, 11-16", "open", "51d/11b, E, 11d/3b, F, 23d/3b"},
    {205, 383, 88, 0, 1, 0, 14, "1-6, 10-16", "two groups", "T 35d/3b; 14d/4b, E, 14d/4b, F, 26d/3b"},
    {226, 408, 74, 5, 12, 0, 17, "0-11, 13-16", "open", "52d/10b, E, 13d/4b, F, 26d/3b"},
    {221, 393, 71, 6, 9, 0, 16, "0-5, 8, 11-16", "open", "52d/10b, E, 11d/3b, F, 23d/3b"},
    {60, 100, 18, 0, 2, 0, 3, "3, 6, 7", "one group", "12d/2b, save, E, 8d/1b"},
    {72, 124, 23, 0, 3, 0, 3, "3, 6, 7", "one group", "18d/2b, save, E, 8d/1b"},
    {128, 236, 38, 6, 10, 0, 15, "0-4, 6-8, 11, 12, 16", "one group", "32d/8b, save, 7d/3b, E, 15d/4b"},
    {171, 331, 79, 0, 1, 0, 14, "1-9, 11, 15, 16", "two groups", "T 20d/3b; 47d/7b, E, 8d/3b, F, 5d/1b"},
    {237, 465, 106, 0, 0, 8, 12, "1-6, 8, 10-13", "two groups", "T 26d/3b; 36d/5b, E, 32d/3b, F, 20d/1b"},
    {179, 345, 66, 0, 17, 0, 12, "1-6, 8, 10-12", "two groups", "T 21d/3b; 40d/5b, E, 11d/3b, F, 11d/1b"},
    {288, 534, 105, 12, 6, 0, 15, "0-6, 8, 11, 12, 14-16", "two groups", "T 73d/6b; 18d/4b, E, 17d/4b, F, 15d/1b"},
    {222, 396, 71, 6, 10, 0, 17, "0-6, 8, 11-16", "open", "52d/11b, E, 13d/3b, F, 22d/3b"},
    {180, 334, 61, 6, 10, 0, 17, "0-5, 8-11, 13-16", "open", "44d/11b, E, 22d/3b, F, 11d/3b"},
    {188, 348, 65, 6, 9, 0, 16, "0-5, 8-11, 13-16", "one group", "36d/6b, save, 11d/4b, E, 22d/3b, F, 11d/3b"},
    {207, 361, 59, 5, 13, 0, 14, "0-5, 7, 8, 10, 12-16", "one group", "49d/8b, save, E, 14d/3b, F, 14d/3b"},
    {221, 413, 75, 5, 16, 0, 15, "0-5, 7-11, 13-16", "one group", "65d/9b, save, E, 15d/3b, F, 16d/3b"},
    {257, 475, 88, 5, 16, 0, 15, "0-5, 7-11, 13-16", "one group", "65d/9b, save, E, 17d/3b, F, 27d/3b"},
    {193, 345, 68, 5, 3, 0, 14, "0-5, 7-10, 13-16", "one group", "48d/8b, save, E, 16d/3b, F, 12d/3b"},
    {207, 373, 66, 5, 12, 0, 16, "0-16", "one group", "62d/10b, save, E, 5d/3b, F, 16d/3b"},
    {116, 214, 37, 6, 6, 0, 16, "0-8, 11, 14-16", "one group", "26d/8b, save, 3d/2b, E, 20d/6b"},
};
