#include "platform/layer/device/sdl/game_pads.h"

#include "platform/layer/include/windows.h"

#include <algorithm>

namespace layer {
namespace {

// A stick at rest reads a little off centre, more so as a pad wears; a
// third of the way out is a deliberate push.
constexpr int STICK_DEAD_ZONE = 10923;

struct PadKey {
    int virtualKey;
    SDL_GameControllerButton button;
    SDL_GameControllerAxis axis;  // SDL_CONTROLLER_AXIS_INVALID for none
    int direction;  // the side of the axis that holds the key
};

constexpr PadKey PAD_KEYS[] = {
    {VK_LEFT, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_AXIS_LEFTX, -1},
    {VK_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_AXIS_LEFTX, 1},
    {VK_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_AXIS_LEFTY, -1},
    {VK_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_AXIS_LEFTY, 1},
    {VK_ESCAPE, SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_AXIS_INVALID, 0},
    {VK_ESCAPE, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_AXIS_INVALID, 0},
};

}  // namespace

void GamePads::Take(const SDL_Event& event)
{
    if (event.type == SDL_CONTROLLERDEVICEADDED) {
        // A pad SDL cannot open is left out, as if it were not there.
        if (SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which))
            open_.push_back(pad);
    } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
        // Here `which` is the instance, not the device index.
        std::erase_if(open_, [&](SDL_GameController* pad) {
            if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) != event.cdevice.which)
                return false;
            SDL_GameControllerClose(pad);
            return true;
        });
    }
}

void GamePads::CloseAll()
{
    for (SDL_GameController* pad : open_)
        SDL_GameControllerClose(pad);
    open_.clear();
}

bool GamePads::Holds(int virtualKey) const
{
    for (SDL_GameController* pad : open_) {
        for (const PadKey& key : PAD_KEYS) {
            if (key.virtualKey != virtualKey)
                continue;
            if (SDL_GameControllerGetButton(pad, key.button) != 0)
                return true;
            if (key.axis != SDL_CONTROLLER_AXIS_INVALID
                && key.direction * SDL_GameControllerGetAxis(pad, key.axis) > STICK_DEAD_ZONE)
                return true;
        }
    }
    return false;
}

}  // namespace layer
