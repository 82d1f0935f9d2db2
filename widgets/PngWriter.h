// A PNG file of a picture, written without any library: 8-bit RGB, each row filtered against the one
// above and deflated with the fixed codes and repeats of the byte or pixel before. A chart (flat
// colours, long runs) comes out small; other pictures come out whole, only larger.
//
// Portable: no Windows header.
#pragma once

#include <cstdint>
#include <vector>

// `pixels`: `height` rows of `width` pixels, top row first, each 0x00RRGGBB (a 32-bit DIB's layout).
std::vector<unsigned char> EncodePng(const std::uint32_t* pixels, int width, int height);
