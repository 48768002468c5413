// Palettes: one built from a bitmap's colour table, and the display palette's
// single-entry update with its shadow copy.
#include "display/bitmap_utils.h"
#include "display/display_state.h"
#include "display/palette_rules.h"
#include "platform/win32.h"

#include <cstring>

PALETTEENTRY PaletteShadow[PALETTE_SIZE];

namespace {

constexpr UINT COLOR_TABLE_BYTES = PALETTE_SIZE * COLOR_TABLE_ENTRY_SIZE;

// Entries from a bitmap resource's colour table (flags 0). Only the entries
// that lie inside the resource's bytes are taken, and a resource too short to
// hold its info header reads as zeros past its end.
void TakeResourceColorTable(HRSRC resource, PALETTEENTRY table[PALETTE_SIZE])
{
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(NULL, resource)));
    if (bytes == NULL) {
        OutputDebugStringA("lock resource failed\n");
        return;
    }
    const DWORD size = SizeofResource(NULL, resource);

    BITMAPINFOHEADER header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(&header, bytes, size < sizeof(header) ? size : sizeof(header));

    const int32_t count
        = ColorTableCount(header.biSize, header.biBitCount, header.biClrUsed, false);
    const uint64_t tableBytes = size > header.biSize ? size - header.biSize : 0;
    const int32_t taken = ColorTableEntriesTaken(count, tableBytes);
    const BYTE* colorTable = bytes + (taken > 0 ? header.biSize : 0);
    for (int32_t i = 0; i < taken; ++i)
        table[i] = PaletteEntryFromColorTable(colorTable + i * COLOR_TABLE_ENTRY_SIZE, false);
}

// Entries from a .bmp file: the bytes after the info header go straight into
// the table as far as the file reaches, and the declared entries among them
// that the file filled are put into palette order, keeping each reserved byte
// as the flags.
void TakeFileColorTable(LPCSTR path, PALETTEENTRY table[PALETTE_SIZE])
{
    const HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return;

    // Zeroed, so that a file shorter than its headers never leaves them undefined.
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER infoHeader;
    std::memset(&fileHeader, 0, sizeof(fileHeader));
    std::memset(&infoHeader, 0, sizeof(infoHeader));
    const UINT fileHeaderRead = _lread(file, &fileHeader, FILE_HEADER_SIZE);
    const UINT infoHeaderRead = _lread(file, &infoHeader, INFO_HEADER_SIZE);
    const UINT tableRead = _lread(file, table, COLOR_TABLE_BYTES);
    _lclose(file);

    // A file that ends inside its headers has no header to trust: it counts
    // as one that fails the size test.
    if (fileHeaderRead != FILE_HEADER_SIZE || infoHeaderRead != INFO_HEADER_SIZE)
        return;

    const int32_t count
        = ColorTableCount(infoHeader.biSize, infoHeader.biBitCount, infoHeader.biClrUsed, true);
    // Only the entries the read filled are converted: where the file ends
    // first, the rest keep the ramp as it is.
    const int32_t taken = ColorTableEntriesTaken(
        count, tableRead == static_cast<UINT>(HFILE_ERROR) ? 0 : tableRead);
    for (int32_t i = 0; i < taken; ++i) {
        uint8_t entry[COLOR_TABLE_ENTRY_SIZE];
        std::memcpy(entry, &table[i], sizeof(entry));
        table[i] = PaletteEntryFromColorTable(entry, true);
    }
}

}  // namespace

IDirectDrawPalette* LoadPaletteFromBitmap(IDirectDraw* directDraw, LPCSTR name)
{
    // Without a DirectDraw object no palette can be made: nothing is read.
    if (directDraw == NULL)
        return NULL;

    PALETTEENTRY table[PALETTE_SIZE];
    BuildDefaultPalette(table);

    if (name != NULL) {
        // A resource of that name wins over a file, whatever its table holds.
        HRSRC resource = FindResourceA(NULL, name, RT_BITMAP);
        if (resource != NULL)
            TakeResourceColorTable(resource, table);
        else
            TakeFileColorTable(name, table);
    }

    IDirectDrawPalette* palette = NULL;
    if (directDraw->CreatePalette(DDPCAPS_8BIT, table, &palette, NULL) != DD_OK)
        return NULL;
    return palette;
}

BOOL SetPaletteEntry(int32_t index, BYTE red, BYTE green, BYTE blue)
{
    // Outside the table, or with no palette to write, nothing is written.
    if (index < 0 || index >= PALETTE_SIZE || DisplayState.DisplayPalette == NULL)
        return 0;

    PALETTEENTRY entry;
    entry.peRed = red;
    entry.peGreen = green;
    entry.peBlue = blue;
    entry.peFlags = PC_NOCOLLAPSE;
    DisplayState.DisplayPalette->SetEntries(0, index, 1, &entry);
    PaletteShadow[index] = entry;
    return 1;
}
