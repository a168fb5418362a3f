#pragma once
// Drawing a block of B, G, R, A pixels (straight alpha) scaled into a rectangle of a device
// context: how the picture graphics (PNG, JPEG, GIF, icons, image lists) draw themselves.

#include <cstdint>

#include "platform/core/Types.h"

class TBitmap;

enum class TPixelBlend {
  Opaque,  // copied like a 24-bit bitmap (the drawn pixels get alpha 0, as any blit of one)
  Alpha,   // blended over the destination by each pixel's alpha (and the constant alpha)
};

// Draws Width x Height pixels, rows Stride bytes apart, scaled into Rect (logical coordinates of
// the DC, its origins and clip applied) by the platform's stretch rule. ConstantAlpha scales
// every pixel's alpha in Alpha mode (255: as they are). Answers false when the DC is not valid
// or the rectangle or picture is empty.
bool DrawBgraPixels(HDC DC, const TRect& Rect, const std::uint8_t* Pixels, int Width, int Height, int Stride,
                    TPixelBlend Blend, std::uint8_t ConstantAlpha = 255);

// Makes Bitmap a 32-bit copy of Width x Height pixels (top-down rows of Width * 4 bytes, B, G, R,
// A): how the picture graphics assign themselves to a bitmap.
void CopyBgraToBitmap(TBitmap* Bitmap, const std::uint8_t* Pixels, int Width, int Height);
