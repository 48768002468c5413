// The program's icon: the house tile on its lawn, as a tile with rounded
// corners, at the sizes Windows and the desktop themes ask for.
#pragma once

#include "icon_image.h"
#include "tile_image.h"

#include <filesystem>

namespace tilegen {

// The house tile resampled to `size` pixels square.
IconImage DrawIcon(const TileImage& house, int size);

// tilescroll.ico (16, 32, 48 and 256) and one PNG a size for the desktop
// themes, tilescroll-<size>.png, into `folder`.
void WriteIcons(const std::filesystem::path& folder, const TileImage& house);

}  // namespace tilegen
