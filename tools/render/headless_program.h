// The program brought up on the layer's headless backend as far as its
// first frame would need: a window, the display and the tile set.
#pragma once

// False, after one line on standard error, when the display cannot be set up.
bool StartHeadlessProgram(const char* toolName);
void StopHeadlessProgram();
