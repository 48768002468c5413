// The rules of the bitmap and palette utilities that need no platform: the
// default colour ramp, how many colour-table entries a bitmap header
// declares, how many of them are taken, and how a colour-table entry becomes
// a palette entry. The platform header only lends the PALETTEENTRY record.
#pragma once

#include "platform/win32.h"

#include <cstdint>

constexpr int32_t PALETTE_SIZE = 256;
constexpr uint32_t INFO_HEADER_SIZE = 40;  // BITMAPINFOHEADER
constexpr uint32_t FILE_HEADER_SIZE = 14;  // BITMAPFILEHEADER
constexpr uint32_t COLOR_TABLE_ENTRY_SIZE = 4;  // RGBQUAD

// Fills all 256 entries: index bits 7-5 pick the red level, 4-2 the green,
// 1-0 the blue; flags 0.
void BuildDefaultPalette(PALETTEENTRY table[PALETTE_SIZE]);

// The colour-table entries an info header declares: 0 when the header size
// test fails (a file needs exactly 40, a resource at least 40) or the bit
// count is above 8; else biClrUsed, or 1 << biBitCount when that is 0. Taken
// as signed, so a biClrUsed of 0x80000000 or more is negative.
int32_t ColorTableCount(
    uint32_t biSize, uint16_t biBitCount, uint32_t biClrUsed, bool fileHeaderTest);

// How many entries to convert: the count limited to the palette's 256 (a
// negative count takes none) and to the whole entries within tableBytes.
int32_t ColorTableEntriesTaken(int32_t count, uint64_t tableBytes);

// The raw pixel word cut down to its low `bits` bits; 32 or more keep it all.
uint32_t MaskToBitDepth(uint32_t raw, uint32_t bits);

// A colour-table entry (blue, green, red, reserved) as a palette entry (red,
// green, blue, flags). A file's reserved byte becomes the flags; a resource's
// entries get flags 0.
PALETTEENTRY PaletteEntryFromColorTable(const uint8_t entry[COLOR_TABLE_ENTRY_SIZE], bool fromFile);
