// IDirectDrawSurface: memory in the display's 16-bit 5-6-5 format, the
// flipping chain, fast blits, device contexts, locks, colour keys and lost
// surfaces.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/ddraw/ddraw_internal.h"
#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/ddraw/row_copy.h"
#include "platform/layer/device/screen.h"

#include <cstring>
#include <new>
#include <utility>

namespace layer {
namespace {

constexpr DWORD KNOWN_BLTFAST_FLAGS
    = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT;

// Rows start on 8-byte boundaries, as display memory rows do, so the pitch of
// a narrow surface is more than its width: programs must use lPitch.
int PitchInPixels(int width)
{
    return (width + 3) & ~3;
}

// Surface memory starts on a cache line, and so does every row whose pitch
// is a multiple of 64 bytes (the 640-pixel screen's): whole-row moves of a
// blit then land on cache lines instead of straddling them.
constexpr std::align_val_t SURFACE_ALIGNMENT{64};

uint16_t* AllocateSurfaceMemory(size_t pixels)
{
    void* memory = ::operator new[](pixels * sizeof(uint16_t), SURFACE_ALIGNMENT, std::nothrow);
    if (memory != nullptr)
        std::memset(memory, 0, pixels * sizeof(uint16_t));
    return static_cast<uint16_t*>(memory);
}

bool RectInside(const RECT& rect, int width, int height)
{
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom
        && rect.right <= width && rect.bottom <= height;
}

}  // namespace

Surface::Surface(DirectDrawObject* owner, SurfaceRole role, int width, int height, DWORD caps)
    : owner_(owner)
    , role_(role)
    , caps_(caps)
    , width_(width)
    , height_(height)
    , pitchPixels_(PitchInPixels(width))
    , memory_(AllocateSurfaceMemory(static_cast<size_t>(PitchInPixels(width)) * height))
{
}

void Surface::FreeSurfaceMemory::operator()(uint16_t* memory) const
{
    ::operator delete[](memory, SURFACE_ALIGNMENT);
}

void Surface::AttachBackBuffer(Surface* back)
{
    backBuffer_ = back;
    back->front_ = this;
}

void Surface::End()
{
    if (!alive_)
        return;
    alive_ = false;
    if (dc_ != nullptr)
        DestroySurfaceDC(dc_);
    dc_ = nullptr;
    locked_ = false;
    lockedAt_ = nullptr;
    SurfaceMemoryChanging(memory_.get());
    memory_.reset();
    if (backBuffer_ != nullptr)
        backBuffer_->End();
    RetireSurface(this);
}

void Surface::MarkLost()
{
    if (!alive_)
        return;
    Surface* front = front_ != nullptr ? front_ : this;
    for (Surface* member : {front, front->backBuffer_}) {
        if (member == nullptr || !member->alive_)
            continue;
        member->lost_ = true;
        SurfaceMemoryChanging(member->memory_.get());
        // What was in display memory is gone; show that plainly.
        uint32_t state = 0x9E3779B9u;
        const size_t count = static_cast<size_t>(member->pitchPixels_) * member->height_;
        for (size_t i = 0; i < count; ++i) {
            state = state * 1664525u + 1013904223u;
            member->memory_[i] = static_cast<uint16_t>(state >> 16);
        }
    }
}

ULONG Surface::AddRef()
{
    return AddReference(this, alive_, refs_);
}

ULONG Surface::Release()
{
    // Release cannot fail on the platform; the call is only recorded.
    BeginCall("Release", this);
    if (!alive_)
        return 0;
    if (role_ == SurfaceRole::BackBuffer) {
        // Made with the chain, it ends only with its primary; the chain's
        // own reference is never given up here.
        if (refs_ > 1)
            --refs_;
        return refs_;
    }
    if (--refs_ == 0)
        End();
    return refs_;
}

void Surface::FillDescription(DDSURFACEDESC& desc) const
{
    const DWORD size = desc.dwSize;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = size;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(width_);
    desc.dwHeight = static_cast<DWORD>(height_);
    desc.lPitch = PitchBytes();
    if (backBuffer_ != nullptr) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
    }
    desc.ddpfPixelFormat = DisplayPixelFormat();
    desc.ddsCaps.dwCaps = caps_;
}

void Surface::ShowIfPrimary()
{
    if (role_ == SurfaceRole::Primary && !lost_)
        PresentFrame(memory_.get(), PitchBytes(), width_, height_, false);
}

HRESULT Surface::BltFast(
    DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD trans)
{
    if (!BeginCall("BltFast", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (source == nullptr || (trans & ~KNOWN_BLTFAST_FLAGS) != 0)
        return DDERR_INVALIDPARAMS;
    Surface* from = FindSurface(source);
    if (from == nullptr || !from->alive_)
        return DDERR_INVALIDOBJECT;
    if ((trans & DDBLTFAST_DESTCOLORKEY) != 0)
        return DDERR_UNSUPPORTED;
    const bool keyed = (trans & DDBLTFAST_SRCCOLORKEY) != 0;
    if (keyed && !from->hasSourceKey_)
        return DDERR_NOCOLORKEY;
    if (lost_ || from->lost_)
        return DDERR_SURFACELOST;
    if (Busy() || from->Busy())
        return DDERR_SURFACEBUSY;

    const RECT rect = sourceRect != nullptr ? *sourceRect : RECT{0, 0, from->width_, from->height_};
    if (!RectInside(rect, from->width_, from->height_))
        return DDERR_INVALIDRECT;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (int64_t{x} + w > width_ || int64_t{y} + h > height_)
        return DDERR_INVALIDRECT;

    SurfaceMemoryChanging(memory_.get());
    uint16_t* out = MutableRow(static_cast<int>(y)) + x;
    const uint16_t* in = from->MutableRow(rect.top) + rect.left;
    if (!keyed && from != this) {
        CopyPixelRows(out, PitchBytes(), in, from->PitchBytes(), w, h);
        return DD_OK;
    }
    if (!keyed) {
        // Within one surface the areas may overlap: the rows go in the order
        // that reads each source row before it is overwritten.
        const bool upwards = static_cast<LONG>(y) > rect.top;
        const size_t rowBytes = static_cast<size_t>(w) * sizeof(uint16_t);
        for (int i = 0; i < h; ++i) {
            const int row = upwards ? h - 1 - i : i;
            std::memmove(out + static_cast<size_t>(row) * pitchPixels_,
                in + static_cast<size_t>(row) * pitchPixels_, rowBytes);
        }
        return DD_OK;
    }
    // A keyed blit goes in reading order whatever the overlap, as the
    // platform's does: down or to the right it repeats what it has just written.
    const DWORD key = from->sourceKey_.dwColorSpaceLowValue;
    for (int row = 0; row < h; ++row) {
        uint16_t* to = out + static_cast<size_t>(row) * pitchPixels_;
        const uint16_t* source = in + static_cast<size_t>(row) * from->pitchPixels_;
        for (int k = 0; k < w; ++k) {
            if (source[k] != key)
                to[k] = source[k];
        }
    }
    return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags)
{
    if (!BeginCall("Flip", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (role_ != SurfaceRole::Primary || backBuffer_ == nullptr)
        return DDERR_NOTFLIPPABLE;
    if ((targetOverride != nullptr && targetOverride != backBuffer_) || (flags & ~DDFLIP_WAIT) != 0)
        return DDERR_INVALIDPARAMS;
    if (lost_)
        return DDERR_SURFACELOST;
    if (Busy() || backBuffer_->Busy())
        return DDERR_SURFACEBUSY;
    // The memory changes places; the interfaces keep their roles, so the
    // program's back buffer pointer stays the one it draws into.
    std::swap(memory_, backBuffer_->memory_);
    // Counted first, so whatever watches the screen sees this flip counted.
    CountFlip();
    PresentFrame(memory_.get(), PitchBytes(), width_, height_, (flags & DDFLIP_WAIT) != 0);
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached)
{
    if (attached != nullptr)
        *attached = nullptr;
    if (!BeginCall("GetAttachedSurface", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (caps == nullptr || attached == nullptr)
        return DDERR_INVALIDPARAMS;
    if (backBuffer_ == nullptr || caps->dwCaps == 0
        || (backBuffer_->caps_ & caps->dwCaps) != caps->dwCaps)
        return DDERR_NOTFOUND;
    // The platform hands out a counted reference.
    ++backBuffer_->refs_;
    *attached = backBuffer_;
    return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD flags, LPDDCOLORKEY key)
{
    if (!BeginCall("GetColorKey", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (key == nullptr)
        return DDERR_INVALIDPARAMS;
    if (flags != DDCKEY_SRCBLT)
        return DDERR_UNSUPPORTED;
    if (!hasSourceKey_)
        return DDERR_NOCOLORKEY;
    *key = sourceKey_;
    return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key)
{
    if (!BeginCall("SetColorKey", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (flags != DDCKEY_SRCBLT) {
        Refuse("SetColorKey", "only the source blit key (DDCKEY_SRCBLT) is emulated");
        return DDERR_UNSUPPORTED;
    }
    // A null key takes the key away, as on the platform.
    hasSourceKey_ = key != nullptr;
    sourceKey_ = key != nullptr ? *key : DDCOLORKEY{};
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* hdc)
{
    if (hdc != nullptr)
        *hdc = nullptr;
    if (!BeginCall("GetDC", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (hdc == nullptr)
        return DDERR_INVALIDPARAMS;
    if (lost_)
        return DDERR_SURFACELOST;
    if (dc_ != nullptr)
        return DDERR_DCALREADYCREATED;
    if (locked_)
        return DDERR_SURFACEBUSY;
    SurfaceMemoryChanging(memory_.get());
    dc_ = CreateSurfaceDC(memory_.get(), width_, height_, PitchBytes());
    if (dc_ == nullptr)
        return DDERR_GENERIC;
    *hdc = dc_;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC hdc)
{
    if (!BeginCall("ReleaseDC", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (dc_ == nullptr || hdc != dc_)
        return DDERR_INVALIDPARAMS;
    DestroySurfaceDC(dc_);
    dc_ = nullptr;
    // GDI drawing on the visible surface shows at once.
    ShowIfPrimary();
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC desc)
{
    if (!BeginCall("GetSurfaceDesc", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return DDERR_INVALIDPARAMS;
    FillDescription(*desc);
    return DD_OK;
}

HRESULT Surface::IsLost()
{
    if (!BeginCall("IsLost", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE /*event*/)
{
    if (!BeginCall("Lock", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return DDERR_INVALIDPARAMS;
    if ((flags & ~DDLOCK_WAIT) != 0) {
        Refuse("Lock", "only DDLOCK_WAIT is emulated among the lock flags");
        return DDERR_INVALIDPARAMS;
    }
    if (lost_)
        return DDERR_SURFACELOST;
    if (Busy())
        return DDERR_SURFACEBUSY;
    if (stillDrawing_ > 0) {
        if ((flags & DDLOCK_WAIT) == 0) {
            --stillDrawing_;
            return DDERR_WASSTILLDRAWING;
        }
        stillDrawing_ = 0;  // waited for the blitter
    }
    const RECT whole{0, 0, width_, height_};
    const RECT area = rect != nullptr ? *rect : whole;
    if (!RectInside(area, width_, height_))
        return DDERR_INVALIDRECT;
    FillDescription(*desc);
    SurfaceMemoryChanging(memory_.get());
    lockedAt_ = MutableRow(area.top) + area.left;
    desc->lpSurface = lockedAt_;
    locked_ = true;
    return DD_OK;
}

HRESULT Surface::Unlock(LPVOID surfaceData)
{
    if (!BeginCall("Unlock", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (!locked_)
        return DDERR_NOTLOCKED;
    if (surfaceData != nullptr && surfaceData != lockedAt_)
        return DDERR_INVALIDPARAMS;
    locked_ = false;
    lockedAt_ = nullptr;
    ShowIfPrimary();
    return DD_OK;
}

HRESULT Surface::Restore()
{
    if (!BeginCall("Restore", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    // Memory in the display's format comes back only while the display is
    // in that format again.
    if (CurrentScreenMode().bitsPerPixel != 16)
        return DDERR_WRONGMODE;
    // The memory is back but its contents are not: the program redraws.
    Surface* front = front_ != nullptr ? front_ : this;
    front->lost_ = false;
    if (front->backBuffer_ != nullptr)
        front->backBuffer_->lost_ = false;
    return DD_OK;
}

}  // namespace layer
