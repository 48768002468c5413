// Surfaces whose memory the platform took back while the program was not
// shown (the user switched away from it): allocated again, and the tile
// pictures copied in again.
#pragma once

void RestoreLostSurfaces();
