#include "platform/layer/ddraw/ddraw_internal.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <vector>

namespace layer {
namespace {

struct Registry {
    std::vector<std::unique_ptr<DirectDrawObject>> directDraws;
    std::vector<std::unique_ptr<Surface>> surfaces;
    std::vector<std::unique_ptr<Palette>> palettes;
    // For telling our surfaces from any other pointer without touching it.
    std::unordered_set<const IDirectDrawSurface*> surfaceSet;
    // Surfaces found lately, by address: a frame's blits name the same few
    // surfaces a hundred times. Surfaces are only freed by ResetDirectDraw,
    // which empties this, so an entry never outlives its surface.
    std::array<const IDirectDrawSurface*, 32> recent{};
    DirectDrawObject* exclusiveOwner = nullptr;
};

Registry& State()
{
    static Registry registry;
    return registry;
}

template <typename T> int CountAlive(const std::vector<std::unique_ptr<T>>& objects)
{
    return static_cast<int>(std::count_if(
        objects.begin(), objects.end(), [](const std::unique_ptr<T>& o) { return o->Alive(); }));
}

}  // namespace

Surface* AdoptSurface(std::unique_ptr<Surface> surface)
{
    Registry& registry = State();
    Surface* raw = surface.get();
    registry.surfaces.push_back(std::move(surface));
    registry.surfaceSet.insert(raw);
    return raw;
}

Palette* AdoptPalette(std::unique_ptr<Palette> palette)
{
    Palette* raw = palette.get();
    State().palettes.push_back(std::move(palette));
    return raw;
}

DirectDrawObject* AdoptDirectDraw(std::unique_ptr<DirectDrawObject> object)
{
    DirectDrawObject* raw = object.get();
    State().directDraws.push_back(std::move(object));
    return raw;
}

Surface* FindSurface(const IDirectDrawSurface* surface)
{
    if (surface == nullptr)
        return nullptr;
    Registry& registry = State();
    const IDirectDrawSurface*& slot
        = registry.recent[(reinterpret_cast<uintptr_t>(surface) / 64) % registry.recent.size()];
    if (slot != surface) {
        if (registry.surfaceSet.count(surface) == 0)
            return nullptr;
        slot = surface;
    }
    // Only the layer's Surface objects were put in the set.
    return static_cast<Surface*>(const_cast<IDirectDrawSurface*>(surface));
}

Surface* LivePrimary()
{
    for (const std::unique_ptr<Surface>& surface : State().surfaces) {
        if (surface->Alive() && surface->Role() == SurfaceRole::Primary)
            return surface.get();
    }
    return nullptr;
}

void EndObjectsOf(const DirectDrawObject* owner)
{
    Registry& registry = State();
    // A primary ends its back buffer itself; the loop skips what is ended.
    for (const std::unique_ptr<Surface>& surface : registry.surfaces) {
        if (surface->Alive() && surface->Owner() == owner)
            surface->End();
    }
    for (const std::unique_ptr<Palette>& palette : registry.palettes) {
        if (palette->Alive() && palette->Owner() == owner)
            palette->End();
    }
}

DirectDrawObject* ExclusiveOwner()
{
    return State().exclusiveOwner;
}

void SetExclusiveOwner(DirectDrawObject* owner)
{
    State().exclusiveOwner = owner;
}

int CountLiveSurfaces()
{
    return CountAlive(State().surfaces);
}

int CountLivePalettes()
{
    return CountAlive(State().palettes);
}

int CountLiveDirectDrawObjects()
{
    return CountAlive(State().directDraws);
}

void ResetDirectDraw()
{
    Registry& registry = State();
    // Ending gives back device contexts and the display mode properly.
    for (const std::unique_ptr<DirectDrawObject>& object : registry.directDraws) {
        if (object->Alive())
            object->End();
    }
    for (const std::unique_ptr<Surface>& surface : registry.surfaces) {
        if (surface->Alive())
            surface->End();
    }
    registry.surfaceSet.clear();
    registry.recent.fill(nullptr);
    registry.surfaces.clear();
    registry.palettes.clear();
    registry.directDraws.clear();
    registry.exclusiveOwner = nullptr;
}

DDPIXELFORMAT DisplayPixelFormat()
{
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = 0xF800;
    format.dwGBitMask = 0x07E0;
    format.dwBBitMask = 0x001F;
    return format;
}

}  // namespace layer
