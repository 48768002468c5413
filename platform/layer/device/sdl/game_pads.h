// The game controllers plugged in, through SDL's game controller API, and the
// keys they hold: the d-pad and the left stick are the arrow keys, Back and B
// are Escape. Internal to the SDL backend.
#pragma once

#include <SDL_events.h>
#include <SDL_gamecontroller.h>
#include <vector>

namespace layer {

class GamePads {
public:
    // Opens a controller that arrived, closes one that left; other events
    // are not the pads'.
    void Take(const SDL_Event& event);
    void CloseAll();
    // Whether any pad holds this Win32 virtual key, as SDL last read the
    // pads (when the events were pumped, as for the keyboard).
    bool Holds(int virtualKey) const;

private:
    std::vector<SDL_GameController*> open_;
};

}  // namespace layer
