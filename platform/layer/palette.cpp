// IDirectDrawPalette: 256 entries, read and written with bounds checks. On a
// 16-bit display no surface uses it; it keeps what the program puts in it.
#include "platform/layer/call_log.h"
#include "platform/layer/ddraw_objects.h"

#include <cstring>

namespace layer {
namespace {

bool WithinTable(DWORD first, DWORD count)
{
    return uint64_t{first} + count <= 256;
}

}  // namespace

Palette::Palette(DirectDrawObject* owner, const PALETTEENTRY* entries)
    : owner_(owner)
{
    std::memcpy(entries_.data(), entries, sizeof(entries_));
}

ULONG Palette::AddRef()
{
    BeginCall("AddRef", this);
    if (!alive_)
        return 0;
    return ++refs_;
}

ULONG Palette::Release()
{
    // Release cannot fail on the platform; the call is only recorded.
    BeginCall("Release", this);
    if (!alive_)
        return 0;
    if (--refs_ == 0)
        End();
    return refs_;
}

HRESULT Palette::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries)
{
    if (!BeginCall("GetEntries", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (flags != 0 || entries == nullptr || !WithinTable(base, count))
        return DDERR_INVALIDPARAMS;
    std::memcpy(entries, entries_.data() + base, count * sizeof(PALETTEENTRY));
    return DD_OK;
}

HRESULT Palette::SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries)
{
    if (!BeginCall("SetEntries", this))
        return DDERR_GENERIC;
    if (!alive_)
        return DDERR_INVALIDOBJECT;
    if (flags != 0 || entries == nullptr || !WithinTable(start, count))
        return DDERR_INVALIDPARAMS;
    std::memcpy(entries_.data() + start, entries, count * sizeof(PALETTEENTRY));
    return DD_OK;
}

}  // namespace layer
