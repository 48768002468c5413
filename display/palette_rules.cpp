#include "display/palette_rules.h"

void BuildDefaultPalette(PALETTEENTRY table[PALETTE_SIZE])
{
    for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
        table[i].peRed = static_cast<BYTE>(((i >> 5) & 7) * 255 / 7);
        table[i].peGreen = static_cast<BYTE>(((i >> 2) & 7) * 255 / 7);
        table[i].peBlue = static_cast<BYTE>((i & 3) * 255 / 3);
        table[i].peFlags = 0;
    }
}

int32_t ColorTableCount(
    uint32_t biSize, uint16_t biBitCount, uint32_t biClrUsed, bool fileHeaderTest)
{
    const bool sizeFits = fileHeaderTest ? biSize == INFO_HEADER_SIZE : biSize >= INFO_HEADER_SIZE;
    if (!sizeFits || biBitCount > 8)
        return 0;
    const uint32_t count = biClrUsed != 0 ? biClrUsed : 1u << biBitCount;
    return static_cast<int32_t>(count);
}

int32_t ColorTableEntriesTaken(int32_t count, uint64_t tableBytes)
{
    if (count <= 0)
        return 0;
    int64_t taken = count < PALETTE_SIZE ? count : PALETTE_SIZE;
    const uint64_t entriesInside = tableBytes / COLOR_TABLE_ENTRY_SIZE;
    if (entriesInside < static_cast<uint64_t>(taken))
        taken = static_cast<int64_t>(entriesInside);
    return static_cast<int32_t>(taken);
}

uint32_t MaskToBitDepth(uint32_t raw, uint32_t bits)
{
    // A shift by 32 or more is undefined, so the wide depths keep the word here.
    if (bits >= 32)
        return raw;
    return raw & ((1u << bits) - 1);
}

PALETTEENTRY PaletteEntryFromColorTable(const uint8_t entry[COLOR_TABLE_ENTRY_SIZE], bool fromFile)
{
    PALETTEENTRY result;
    result.peRed = entry[2];
    result.peGreen = entry[1];
    result.peBlue = entry[0];
    result.peFlags = fromFile ? entry[3] : 0;
    return result;
}
