// Surfaces whose memory the platform took back while the program was not
// shown (the user switched away from it): allocated again, and the tile
// pictures copied in again.
#pragma once

#include "platform/win32.h"

// Where the desktop kept its own mode after the user came back (Wine), it
// sets the display mode again first, but only once the program's window is
// in front. A tile that cannot be loaded again posts the quit request, which
// ends the run as at start-up. Returns TRUE when the display is the
// program's again, FALSE while the primary cannot come back yet (another
// program holds the display).
BOOL RestoreLostSurfaces();
