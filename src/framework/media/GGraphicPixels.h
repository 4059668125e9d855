#pragma once
// The steps of turning a numbered bitmap into a surface or texture: reading the file, making
// the surface, and the texel work on ARGB1555 textures (key colour, tint, filling transparent
// texels, halving).
#include <cstdint>
#include <memory>

#include "platform/PBitmapFile.h"
#include "platform/PResult.h"
#include "platform/PSurface.h"

// Reads "BMP\<number>.bmp" from the program folder and, when that fails, from the alternate
// data folder: only when one is known, or with alwaysRetry from whatever folder the host
// gives for it (the program folder again when none is known). unreadable tells whether a file
// was found but could not be decoded (malformed, cut short or too large).
bool ReadNumberedBitmap(int32_t number, bool alwaysRetry, PBitmapFile::Image& out, bool& unreadable);

// A surface of the size on the host's display: a texture (ARGB1555, from the texture budget
// when there is one) or an off-screen surface in the screen format.
PResult CreateBitmapSurface(int32_t width, int32_t height, bool texture, std::unique_ptr<PSurface>& out);

// Magenta texels (0x7C1F) become 0, every other texel gets the alpha bit and, unless all three
// factors are 1.0, its red, green and blue fields multiplied by them (truncated and held within
// 0..31). True when some texel became transparent.
bool PrepareTexturePixels(PSurface& texture, const float* colorScale);

// Every texel that is exactly 0 takes the average colour (alpha bit clear) of its non-zero
// neighbours left, right, above and below, wrapping at the edges; texels filled earlier in the
// pass count for later ones. Filtering at the edge of a transparent area then does not darken.
void FillTransparentTexels(PSurface& texture);

// Halves the texture level times along a side (level 1: the width, or the height when the
// width is 8 or less; level 2: both sides above 8; higher levels repeat). Transparent texels
// are kept in proportion through an error term that runs over the whole picture. False, with
// the texture as it was after the last halving that succeeded, when no new texture can be made.
bool HalveTexture(int32_t level, std::unique_ptr<PSurface>& texture, int32_t& width, int32_t& height);
