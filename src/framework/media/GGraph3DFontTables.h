#pragma once
#include <cstdint>

// The renderer's three bitmap fonts: the numbers of their bitmaps, their cell heights, how far
// the baseline lies below the top of a cell, and the advance of every character code 32..255
// (index = code - 32; 0: the font has no glyph for the code). Fonts 0 and 1 have glyphs for
// the same 154 codes; font 2 is fixed-width, 7 pixels for every character.
//
// A font bitmap holds the glyphs in five rows, one cell high, of up to 32 glyphs each, in
// code order: black glyphs on white, each glyph as wide as its advance, packed from the left
// of its row (font 2: every glyph 7 pixels wide). The bitmaps are made at build time from
// these tables by tools/make_font_bitmaps.
namespace GGraph3DFontTables {

constexpr int32_t kFontCount = 3;
constexpr int32_t kFirstCode = 32;
constexpr int32_t kCodeCount = 224;
constexpr int32_t kGlyphsPerRow = 32;
constexpr int32_t kGlyphRows = 5;
constexpr int32_t kGlyphCount = 154;
constexpr int32_t kFixedAdvance = 7;
// The mixer the glyphs are put together in is as high as the tallest cell.
constexpr int32_t kMixerHeight = 15;

constexpr int32_t kBitmapNumber[kFontCount] = {30000, 30001, 30002};
constexpr int32_t kCellHeight[kFontCount] = {15, 12, 14};
constexpr int32_t kBaselineOffset[kFontCount] = {8, 8, 10};

// Advances of fonts 0 and 1. Beyond the first eight codes they are the advances of the faces
// the screen's 2-D fonts use (Liberation Sans Bold at 12 and Liberation Sans at 10 pixels),
// so that a text measures alike in both drawings.
constexpr uint8_t kWidths[2][kCodeCount] = {
    {
        6, 4, 7, 11, 8, 13, 10, 4, 4, 4, 5, 7, 3, 4, 3, 3,
        7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 3, 3, 7, 7, 7, 7,
        12, 8, 8, 8, 8, 7, 6, 8, 8, 3, 7, 8, 7, 10, 8, 9,
        8, 9, 8, 8, 7, 8, 8, 12, 8, 7, 7, 4, 3, 4, 7, 7,
        4, 7, 7, 7, 7, 7, 4, 7, 7, 3, 3, 7, 3, 11, 7, 7,
        7, 7, 5, 7, 4, 7, 6, 10, 7, 6, 6, 5, 3, 5, 7, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7,
        0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7,
        8, 8, 8, 8, 8, 8, 0, 8, 7, 7, 7, 7, 3, 3, 3, 3,
        0, 8, 9, 9, 9, 9, 9, 0, 9, 8, 8, 8, 8, 0, 0, 7,
        7, 7, 7, 7, 7, 7, 0, 7, 7, 7, 7, 7, 3, 3, 3, 3,
        0, 7, 7, 7, 7, 7, 7, 0, 7, 7, 7, 7, 7, 0, 0, 6},
    {
        3, 3, 5, 7, 6, 9, 8, 3, 3, 3, 4, 6, 3, 3, 3, 3,
        6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,
        10, 7, 7, 7, 7, 7, 6, 8, 7, 3, 5, 7, 6, 9, 7, 8,
        7, 8, 7, 7, 7, 7, 7, 9, 7, 7, 6, 3, 3, 3, 5, 6,
        3, 6, 6, 6, 6, 6, 3, 6, 6, 3, 3, 4, 3, 9, 6, 6,
        6, 6, 3, 4, 3, 6, 5, 7, 5, 5, 5, 3, 3, 3, 6, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7,
        0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6,
        7, 7, 7, 7, 7, 7, 0, 7, 7, 7, 7, 7, 3, 3, 3, 3,
        0, 7, 8, 8, 8, 8, 8, 0, 8, 7, 7, 7, 7, 0, 0, 6,
        6, 6, 6, 6, 6, 6, 0, 6, 6, 6, 6, 6, 3, 3, 3, 3,
        0, 6, 6, 6, 6, 6, 6, 0, 6, 6, 6, 6, 6, 0, 0, 5},
};

}  // namespace GGraph3DFontTables
