// The per-frame input step: Escape asks the main window to close, the arrow
// keys move the view.
#pragma once

void ProcessInput();
