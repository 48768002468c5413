// The surface description is a 108-byte record on 32-bit Windows; the display
// code fills it field by field and passes its size in dwSize, so a header that
// lays it out differently must stop the build rather than the program.
#include "platform/win32.h"

static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC must be 108 bytes on 32-bit Windows");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT must be 32 bytes on 32-bit Windows");
static_assert(sizeof(void*) == 4, "the Windows build is 32-bit");
