#include "platform/layer/ddraw/ddraw_internal.h"

#include <algorithm>
#include <array>
#include <deque>
#include <unordered_set>
#include <vector>

namespace layer {
namespace {

// How many ended objects of each kind keep their shell.
constexpr size_t KEPT_SHELLS = 256;

// The live objects of one kind, and the shells of the last ones ended: an
// object leaves the live ones when it ends, and its shell is freed once
// KEPT_SHELLS more have ended, so that memory stays flat however many objects
// come and go.
template <typename T> struct Objects {
    std::vector<std::unique_ptr<T>> live;
    std::deque<std::unique_ptr<T>> ended;

    T* Adopt(std::unique_ptr<T> object)
    {
        live.push_back(std::move(object));
        return live.back().get();
    }
    void Retire(const T* object)
    {
        const auto it = std::find_if(live.begin(), live.end(),
            [&](const std::unique_ptr<T>& o) { return o.get() == object; });
        if (it == live.end())
            return;
        ended.push_back(std::move(*it));
        *it = std::move(live.back());
        live.pop_back();
        if (ended.size() > KEPT_SHELLS)
            ended.pop_front();
    }
    // Each End retires its object.
    void EndAll()
    {
        while (!live.empty())
            live.back()->End();
        ended.clear();
    }
};

struct Registry {
    Objects<DirectDrawObject> directDraws;
    Objects<Surface> surfaces;
    Objects<Palette> palettes;
    // For telling our live surfaces from any other pointer without touching it.
    std::unordered_set<const IDirectDrawSurface*> surfaceSet;
    // Surfaces found lately, by address: a frame's blits name the same few
    // surfaces a hundred times. A surface leaves it when it ends.
    std::array<const IDirectDrawSurface*, 32> recent{};
    DirectDrawObject* exclusiveOwner = nullptr;
};

Registry& State()
{
    static Registry registry;
    return registry;
}

const IDirectDrawSurface*& RecentSlot(const IDirectDrawSurface* surface)
{
    Registry& registry = State();
    return registry.recent[(reinterpret_cast<uintptr_t>(surface) / 64) % registry.recent.size()];
}

}  // namespace

Surface* AdoptSurface(std::unique_ptr<Surface> surface)
{
    Surface* raw = State().surfaces.Adopt(std::move(surface));
    State().surfaceSet.insert(raw);
    return raw;
}

Palette* AdoptPalette(std::unique_ptr<Palette> palette)
{
    return State().palettes.Adopt(std::move(palette));
}

DirectDrawObject* AdoptDirectDraw(std::unique_ptr<DirectDrawObject> object)
{
    return State().directDraws.Adopt(std::move(object));
}

void RetireSurface(const Surface* surface)
{
    Registry& registry = State();
    registry.surfaceSet.erase(surface);
    if (const IDirectDrawSurface*& slot = RecentSlot(surface); slot == surface)
        slot = nullptr;
    registry.surfaces.Retire(surface);
}

void RetirePalette(const Palette* palette)
{
    State().palettes.Retire(palette);
}

void RetireDirectDraw(const DirectDrawObject* object)
{
    State().directDraws.Retire(object);
}

Surface* FindSurface(const IDirectDrawSurface* surface)
{
    if (surface == nullptr)
        return nullptr;
    const IDirectDrawSurface*& slot = RecentSlot(surface);
    if (slot != surface) {
        if (State().surfaceSet.count(surface) == 0)
            return nullptr;
        slot = surface;
    }
    // Only the layer's Surface objects were put in the set.
    return static_cast<Surface*>(const_cast<IDirectDrawSurface*>(surface));
}

Surface* LivePrimary()
{
    for (const std::unique_ptr<Surface>& surface : State().surfaces.live) {
        if (surface->Role() == SurfaceRole::Primary)
            return surface.get();
    }
    return nullptr;
}

void MarkEverySurfaceLost()
{
    for (const std::unique_ptr<Surface>& surface : State().surfaces.live)
        surface->MarkLost();
}

void EndObjectsOf(const DirectDrawObject* owner)
{
    // Ending takes each out of the live ones, so they are listed first; a
    // primary ends its back buffer itself.
    std::vector<Surface*> surfaces;
    for (const std::unique_ptr<Surface>& surface : State().surfaces.live) {
        if (surface->Owner() == owner && surface->Role() != SurfaceRole::BackBuffer)
            surfaces.push_back(surface.get());
    }
    for (Surface* surface : surfaces)
        surface->End();
    std::vector<Palette*> palettes;
    for (const std::unique_ptr<Palette>& palette : State().palettes.live) {
        if (palette->Owner() == owner)
            palettes.push_back(palette.get());
    }
    for (Palette* palette : palettes)
        palette->End();
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
    return static_cast<int>(State().surfaces.live.size());
}

int CountLivePalettes()
{
    return static_cast<int>(State().palettes.live.size());
}

int CountLiveDirectDrawObjects()
{
    return static_cast<int>(State().directDraws.live.size());
}

int CountKeptShells()
{
    const Registry& registry = State();
    return static_cast<int>(registry.directDraws.ended.size() + registry.surfaces.ended.size()
        + registry.palettes.ended.size());
}

void ResetDirectDraw()
{
    Registry& registry = State();
    // Ending gives back device contexts and the display mode properly; the
    // DirectDraw objects end what they made.
    registry.directDraws.EndAll();
    registry.surfaces.EndAll();
    registry.palettes.EndAll();
    registry.surfaceSet.clear();
    registry.recent.fill(nullptr);
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
