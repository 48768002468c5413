// Copies the twelve tile pictures from the executable's resources into the
// tile surfaces; a failed tile ends the run through the quit message, with
// EXIT_FAILURE as its code.
#pragma once

void LoadTileSet();
