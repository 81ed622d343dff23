// Small but valid image files written byte by byte, shared by the tests,
// the demo cache generator and the benchmarks. Plain C++, no Win32.
#ifndef MARROWICK_IMAGE_PAYLOADS_H
#define MARROWICK_IMAGE_PAYLOADS_H

#include <cstdint>
#include <string>

// Big- and little-endian integers appended to `out`.
void PutBE16(std::string &out, uint32_t v);
void PutBE32(std::string &out, uint32_t v);
void PutLE16(std::string &out, uint32_t v);
void PutLE32(std::string &out, uint32_t v);

// 8-bit RGB PNG, uncompressed: gradients from the colour (r0, g0, b0) with
// a 4-pixel check pattern in blue.
std::string MakePngImage(int width, int height, int r0, int g0, int b0);
// Baseline grayscale JPEG of flat 8 x 8 blocks around the level `base`
// (0 to 255, keep it between 40 and 120 for a visible gradient).
std::string MakeJpegImage(int blocksWide, int blocksHigh, int base);
// GIF89a of four colours (palette: four RGB triples), one frame.
std::string MakeGifImage(int width, int height, const unsigned char palette[12]);
// ICO with one 16 x 16 32-bit image: a round spot of the colour on
// transparency.
std::string MakeIcoImage(int red, int green, int blue);

#endif
