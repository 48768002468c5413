// The view onto the map: the map coordinates one past its right and bottom
// edges, and the move that keeps it inside the map.
#pragma once

#include <cstdint>

extern int32_t viewRight;
extern int32_t viewBottom;

// Applies the held keys in the order Right, Left, Up, Down, each move clamped
// at once, before the next key is looked at.
void ScrollView(bool rightHeld, bool leftHeld, bool upHeld, bool downHeld);
