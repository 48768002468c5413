// Copies the twelve tile pictures from the executable's resources into the
// tile surfaces; a failed tile ends the run through the quit message.
#pragma once

void LoadTileSet();
