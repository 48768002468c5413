// DirectDrawCreate and the IDirectDraw object: cooperative level, display
// mode, and the making of surfaces and palettes.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/ddraw/ddraw_internal.h"
#include "platform/layer/device/screen.h"
#include "platform/layer/user/user_internal.h"

#include <cstring>
#include <new>

namespace layer {
namespace {

constexpr DWORD KNOWN_LEVEL_FLAGS = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES
    | DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
constexpr DWORD KNOWN_DESCRIPTION_FLAGS
    = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_BACKBUFFERCOUNT | DDSD_PIXELFORMAT;
constexpr DWORD PRIMARY_CAPS
    = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY;
constexpr DWORD OFFSCREEN_CAPS
    = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
// Larger surfaces are taken for a mistake rather than allocated.
constexpr DWORD MAX_SURFACE_SIDE = 8192;

struct Mode {
    DWORD width;
    DWORD height;
};
// The modes a display adapter of the time offered.
constexpr Mode DISPLAY_MODES[]
    = {{320, 200}, {320, 240}, {640, 400}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};

bool Exclusive(DWORD level)
{
    return (level & DDSCL_EXCLUSIVE) != 0;
}

bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b)
{
    return a.dwSize == b.dwSize && (a.dwFlags & DDPF_RGB) != 0 && a.dwRGBBitCount == b.dwRGBBitCount
        && a.dwRBitMask == b.dwRBitMask && a.dwGBitMask == b.dwGBitMask
        && a.dwBBitMask == b.dwBBitMask;
}

}  // namespace

ULONG DirectDrawObject::AddRef()
{
    return AddReference(this, alive_, refs_);
}

ULONG DirectDrawObject::Release()
{
    return ReleaseReference(this, alive_, refs_);
}

void DirectDrawObject::End()
{
    EndObjectsOf(this);
    GiveBackExclusiveUse();
    alive_ = false;
    RetireDirectDraw(this);
}

void DirectDrawObject::GiveBackExclusiveUse()
{
    if (setMode_) {
        RestoreDesktopMode();
        setMode_ = false;
    }
    if (ExclusiveOwner() == this) {
        SetExclusiveOwner(nullptr);
        SetDisplayWindow(nullptr);
    }
}

HRESULT DirectDrawObject::SetCooperativeLevel(HWND hwnd, DWORD flags)
{
    if (!BeginCall("SetCooperativeLevel", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    const bool normal = (flags & DDSCL_NORMAL) != 0;
    if ((flags & ~KNOWN_LEVEL_FLAGS) != 0 || exclusive != fullScreen || normal == exclusive) {
        Refuse("SetCooperativeLevel",
            "the level must be DDSCL_NORMAL or DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN");
        return DDERR_INVALIDPARAMS;
    }
    if (exclusive ? !WindowAlive(hwnd) : (hwnd != nullptr && !WindowAlive(hwnd)))
        return DDERR_INVALIDPARAMS;
    if (exclusive && ExclusiveOwner() != nullptr && ExclusiveOwner() != this)
        return DDERR_EXCLUSIVEMODEALREADYSET;

    if (exclusive) {
        SetExclusiveOwner(this);
        SetDisplayWindow(hwnd);
    } else {
        GiveBackExclusiveUse();
    }
    level_ = flags;
    return DD_OK;
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bpp)
{
    if (!BeginCall("SetDisplayMode", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (level_ == 0)
        return DDERR_NOCOOPERATIVELEVELSET;
    if (!Exclusive(level_))
        return DDERR_NOEXCLUSIVEMODE;
    if (bpp != 16)
        return DDERR_INVALIDMODE;
    bool offered = false;
    for (const Mode& mode : DISPLAY_MODES)
        offered = offered || (mode.width == width && mode.height == height);
    if (!offered)
        return DDERR_INVALIDMODE;
    if (!SwitchDisplayMode(static_cast<int>(width), static_cast<int>(height), 16))
        return DDERR_INVALIDMODE;
    setMode_ = true;
    return DD_OK;
}

HRESULT DirectDrawObject::CreateSurface(
    LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface, IUnknown* outer)
{
    if (surface != nullptr)
        *surface = nullptr;
    if (!BeginCall("CreateSurface", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (desc == nullptr || surface == nullptr || outer != nullptr) {
        Refuse("CreateSurface", "needs a description and an out pointer, and no outer object");
        return DDERR_INVALIDPARAMS;
    }
    if (desc->dwSize != sizeof(DDSURFACEDESC)) {
        Refuse("CreateSurface", "dwSize is not the size of DDSURFACEDESC");
        return DDERR_INVALIDPARAMS;
    }
    if ((desc->dwFlags & ~KNOWN_DESCRIPTION_FLAGS) != 0) {
        Refuse("CreateSurface", "the description has flags that are not supported");
        return DDERR_INVALIDPARAMS;
    }
    if (level_ == 0)
        return DDERR_NOCOOPERATIVELEVELSET;
    if (CurrentScreenMode().bitsPerPixel != 16) {
        Refuse("CreateSurface", "only 16-bit display modes are emulated; set one first");
        return DDERR_UNSUPPORTED;
    }
    const DWORD caps = (desc->dwFlags & DDSD_CAPS) != 0 ? desc->ddsCaps.dwCaps : 0;
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0)
        return CreatePrimary(*desc, surface);
    return CreateOffscreen(*desc, surface);
}

HRESULT DirectDrawObject::CreatePrimary(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface)
{
    const DWORD caps = desc.ddsCaps.dwCaps;
    const bool flip = (caps & DDSCAPS_FLIP) != 0;
    const bool complex = (caps & DDSCAPS_COMPLEX) != 0;
    const bool counted = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0;
    if ((caps & ~PRIMARY_CAPS) != 0 || (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != 0
        || (desc.dwFlags & DDSD_PIXELFORMAT) != 0 || flip != complex || flip != counted
        || (counted && desc.dwBackBufferCount == 0)) {
        Refuse("CreateSurface",
            "a primary surface is DDSCAPS_PRIMARYSURFACE alone, or with DDSCAPS_FLIP | "
            "DDSCAPS_COMPLEX and a back buffer count; it takes the display's size");
        return DDERR_INVALIDPARAMS;
    }
    if (counted && desc.dwBackBufferCount != 1) {
        Refuse("CreateSurface", "a flipping chain has exactly one back buffer here");
        return DDERR_UNSUPPORTED;
    }
    if (flip && !Exclusive(level_))
        return DDERR_NOEXCLUSIVEMODE;
    if (LivePrimary() != nullptr)
        return DDERR_PRIMARYSURFACEALREADYEXISTS;

    const ScreenMode mode = CurrentScreenMode();
    const DWORD frontCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_VIDEOMEMORY
        | (flip ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
    auto primary
        = std::make_unique<Surface>(this, SurfaceRole::Primary, mode.width, mode.height, frontCaps);
    std::unique_ptr<Surface> back;
    if (flip) {
        back = std::make_unique<Surface>(this, SurfaceRole::BackBuffer, mode.width, mode.height,
            DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY);
    }
    if (!primary->Allocated() || (back && !back->Allocated()))
        return DDERR_OUTOFMEMORY;

    Surface* front = AdoptSurface(std::move(primary));
    if (back)
        front->AttachBackBuffer(AdoptSurface(std::move(back)));
    *surface = front;
    return DD_OK;
}

HRESULT DirectDrawObject::CreateOffscreen(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface)
{
    const DWORD caps = (desc.dwFlags & DDSD_CAPS) != 0 ? desc.ddsCaps.dwCaps : 0;
    const bool sized = (desc.dwFlags & DDSD_WIDTH) != 0 && (desc.dwFlags & DDSD_HEIGHT) != 0;
    if ((caps & ~OFFSCREEN_CAPS) != 0
        || (caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY))
            == (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)
        || (desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0) {
        Refuse("CreateSurface", "the capabilities are not those of an offscreen plain surface");
        return DDERR_INVALIDPARAMS;
    }
    if (!sized || desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > MAX_SURFACE_SIDE
        || desc.dwHeight > MAX_SURFACE_SIDE) {
        Refuse("CreateSurface", "an offscreen surface needs a width and a height from 1 to 8192");
        return DDERR_INVALIDPARAMS;
    }
    if ((desc.dwFlags & DDSD_PIXELFORMAT) != 0
        && !SameFormat(desc.ddpfPixelFormat, DisplayPixelFormat())) {
        Refuse("CreateSurface", "only the display's 16-bit 5-6-5 format is emulated");
        return DDERR_INVALIDPARAMS;
    }
    const DWORD placement
        = (caps & DDSCAPS_SYSTEMMEMORY) != 0 ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY;
    auto made
        = std::make_unique<Surface>(this, SurfaceRole::Offscreen, static_cast<int>(desc.dwWidth),
            static_cast<int>(desc.dwHeight), DDSCAPS_OFFSCREENPLAIN | placement);
    if (!made->Allocated())
        return DDERR_OUTOFMEMORY;
    *surface = AdoptSurface(std::move(made));
    return DD_OK;
}

HRESULT DirectDrawObject::CreatePalette(
    DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette, IUnknown* outer)
{
    if (palette != nullptr)
        *palette = nullptr;
    if (!BeginCall("CreatePalette", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (entries == nullptr || palette == nullptr || outer != nullptr) {
        Refuse("CreatePalette", "needs the entries and an out pointer, and no outer object");
        return DDERR_INVALIDPARAMS;
    }
    if ((flags & ~DDPCAPS_ALLOW256) != DDPCAPS_8BIT) {
        Refuse("CreatePalette", "only 256-entry palettes (DDPCAPS_8BIT) are emulated");
        return DDERR_INVALIDPARAMS;
    }
    if (level_ == 0)
        return DDERR_NOCOOPERATIVELEVELSET;
    *palette
        = AdoptPalette(std::make_unique<Palette>(this, entries, (flags & DDPCAPS_ALLOW256) != 0));
    return DD_OK;
}

}  // namespace layer

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* dd, IUnknown* outer)
{
    if (dd != nullptr)
        *dd = nullptr;
    if (!layer::BeginCall("DirectDrawCreate"))
        return DDERR_GENERIC;
    if (dd == nullptr || outer != nullptr) {
        layer::Refuse("DirectDrawCreate", "needs an out pointer and no outer object");
        return DDERR_INVALIDPARAMS;
    }
    if (driver != nullptr) {
        layer::Refuse("DirectDrawCreate", "only the default display driver (null) is emulated");
        return DDERR_INVALIDPARAMS;
    }
    if (layer::ActiveBackend() == nullptr) {
        layer::Refuse(
            "DirectDrawCreate", ("no display backend: " + layer::BackendFailure()).c_str());
        return DDERR_NODIRECTDRAWHW;
    }
    *dd = layer::AdoptDirectDraw(std::make_unique<layer::DirectDrawObject>());
    return DD_OK;
}
