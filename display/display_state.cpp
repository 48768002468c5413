#include "display/display_state.h"

DisplayStateRecord DisplayState = {};
