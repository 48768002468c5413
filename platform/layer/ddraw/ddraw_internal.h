// The layer's DirectDraw objects behind the platform's interfaces, and the
// one registry that owns them all.
//
// ddraw/ holds DirectDrawCreate and the IDirectDraw object, surfaces and
// their blits, palettes, and the registry. It includes include/, calls/,
// device/, user/ and gdi/, as DirectDraw uses USER and GDI on the platform.
//
// An object whose last reference is released, or whose owner ends it, is
// "ended": its memory and device context are freed, every method answers
// DDERR_INVALIDOBJECT, and it leaves the registry. Its small shell is kept
// while the next 256 objects of its kind end, then freed. So a stale pointer
// (the back buffer after its primary's release, a surface after its
// DirectDraw object's release) gives an error instead of a crash, while
// objects made and released in a loop take no more memory as they go.
#pragma once

#include "platform/layer/calls/call_log.h"
#include "platform/layer/include/ddraw.h"

#include <array>
#include <cstdint>
#include <memory>

namespace layer {

class DirectDrawObject;

// AddRef and Release as every interface has them: recorded (neither can fail
// on the platform), and no longer counting once the object has ended.
inline ULONG AddReference(const void* object, bool alive, ULONG& refs)
{
    BeginCall("AddRef", object);
    return alive ? ++refs : 0;
}
template <typename Object> ULONG ReleaseReference(Object* object, bool alive, ULONG& refs)
{
    BeginCall("Release", object);
    if (!alive)
        return 0;
    if (--refs == 0)
        object->End();
    return refs;
}

enum class SurfaceRole { Primary, BackBuffer, Offscreen };

class Surface final : public IDirectDrawSurface {
public:
    // Pixels start black. Check Allocated() before use.
    Surface(DirectDrawObject* owner, SurfaceRole role, int width, int height, DWORD caps);
    ~Surface() = default;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT BltFast(
        DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD trans) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) override;
    HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT GetDC(HDC* hdc) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC desc) override;
    HRESULT IsLost() override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC hdc) override;
    HRESULT Restore() override;
    HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT Unlock(LPVOID surfaceData) override;

    bool Allocated() const
    {
        return memory_ != nullptr;
    }
    bool Alive() const
    {
        return alive_;
    }
    SurfaceRole Role() const
    {
        return role_;
    }
    DirectDrawObject* Owner() const
    {
        return owner_;
    }
    int Width() const
    {
        return width_;
    }
    int Height() const
    {
        return height_;
    }
    int PitchBytes() const
    {
        return pitchPixels_ * static_cast<int>(sizeof(uint16_t));
    }
    const uint16_t* Row(int y) const
    {
        return memory_.get() + static_cast<size_t>(y) * pitchPixels_;
    }

    // The primary's chain gets its back buffer.
    void AttachBackBuffer(Surface* back);
    // Frees everything; the object answers DDERR_INVALIDOBJECT from now on.
    // A primary ends its back buffer with it.
    void End();
    // The memory becomes garbage and operations answer DDERR_SURFACELOST until
    // Restore; a flipping chain is lost and restored as a whole.
    void MarkLost();
    void SetStillDrawing(int times)
    {
        stillDrawing_ = times;
    }

private:
    uint16_t* MutableRow(int y)
    {
        return memory_.get() + static_cast<size_t>(y) * pitchPixels_;
    }
    bool Busy() const
    {
        return locked_ || dc_ != nullptr;
    }
    void FillDescription(DDSURFACEDESC& desc) const;
    void ShowIfPrimary();

    DirectDrawObject* owner_;
    SurfaceRole role_;
    DWORD caps_;
    ULONG refs_ = 1;
    bool alive_ = true;
    int width_;
    int height_;
    int pitchPixels_;
    struct FreeSurfaceMemory {
        void operator()(uint16_t* memory) const;
    };
    std::unique_ptr<uint16_t[], FreeSurfaceMemory> memory_;
    Surface* backBuffer_ = nullptr;  // a primary's chain
    Surface* front_ = nullptr;  // a back buffer's primary
    bool lost_ = false;
    HDC dc_ = nullptr;
    bool locked_ = false;
    uint16_t* lockedAt_ = nullptr;
    int stillDrawing_ = 0;
    bool hasSourceKey_ = false;
    DDCOLORKEY sourceKey_{};
};

class Palette final : public IDirectDrawPalette {
public:
    // Without allow256, entries 0 and 255 keep black and white for the system.
    Palette(DirectDrawObject* owner, const PALETTEENTRY* entries, bool allow256);
    ~Palette() = default;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override;

    bool Alive() const
    {
        return alive_;
    }
    DirectDrawObject* Owner() const
    {
        return owner_;
    }
    void End();

private:
    void KeepSystemEntries();

    DirectDrawObject* owner_;
    bool allow256_;
    ULONG refs_ = 1;
    bool alive_ = true;
    std::array<PALETTEENTRY, 256> entries_;
};

class DirectDrawObject final : public IDirectDraw {
public:
    DirectDrawObject() = default;
    ~DirectDrawObject() = default;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
        IUnknown* outer) override;
    HRESULT CreateSurface(
        LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface, IUnknown* outer) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) override;

    bool Alive() const
    {
        return alive_;
    }
    // Ends the surfaces and palettes made by this object, gives back
    // exclusive use and the display mode in force before SetDisplayMode.
    void End();

private:
    HRESULT CreatePrimary(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface);
    HRESULT CreateOffscreen(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface);
    void GiveBackExclusiveUse();

    ULONG refs_ = 1;
    bool alive_ = true;
    DWORD level_ = 0;
    bool setMode_ = false;
};

// ---- The registry (registry.cpp) ----------------------------------------------
// Takes ownership; returns the object.
Surface* AdoptSurface(std::unique_ptr<Surface> surface);
Palette* AdoptPalette(std::unique_ptr<Palette> palette);
DirectDrawObject* AdoptDirectDraw(std::unique_ptr<DirectDrawObject> object);

// An object takes itself out of the live ones as it ends.
void RetireSurface(const Surface* surface);
void RetirePalette(const Palette* palette);
void RetireDirectDraw(const DirectDrawObject* object);

// Ours and alive, or null for any other pointer (one the layer never made,
// or one whose surface has ended).
Surface* FindSurface(const IDirectDrawSurface* surface);

// The live primary surface of any DirectDraw object, or null.
Surface* LivePrimary();
// Every live surface's memory taken, as when the display stops being ours.
void MarkEverySurfaceLost();
// Ends every live surface and palette that this object made.
void EndObjectsOf(const DirectDrawObject* owner);

// The live DirectDraw object that holds exclusive use, or null.
DirectDrawObject* ExclusiveOwner();
void SetExclusiveOwner(DirectDrawObject* owner);

int CountLiveSurfaces();
int CountLivePalettes();
int CountLiveDirectDrawObjects();
// Ended objects of every kind whose shells are still kept.
int CountKeptShells();
// Ends every object and frees every shell.
void ResetDirectDraw();

// The 16-bit 5-6-5 format of every surface.
DDPIXELFORMAT DisplayPixelFormat();

}  // namespace layer
