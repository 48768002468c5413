// IDirectDrawPalette: 256 entries, read and written with bounds checks. On a
// 16-bit display no surface uses it; it keeps what the program puts in it,
// except that entries 0 and 255 stay black and white unless DDPCAPS_ALLOW256.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/ddraw/ddraw_internal.h"

#include <cstring>

namespace layer {
namespace {

bool WithinTable(DWORD first, DWORD count)
{
    return uint64_t{first} + count <= 256;
}

}  // namespace

Palette::Palette(DirectDrawObject* owner, const PALETTEENTRY* entries, bool allow256)
    : owner_(owner)
    , allow256_(allow256)
{
    std::memcpy(entries_.data(), entries, sizeof(entries_));
    KeepSystemEntries();
}

void Palette::KeepSystemEntries()
{
    if (allow256_)
        return;
    // The colours stay the system's; the flags are the ones given.
    entries_[0] = {0, 0, 0, entries_[0].peFlags};
    entries_[255] = {255, 255, 255, entries_[255].peFlags};
}

void Palette::End()
{
    alive_ = false;
    RetirePalette(this);
}

ULONG Palette::AddRef()
{
    return AddReference(this, alive_, refs_);
}

ULONG Palette::Release()
{
    return ReleaseReference(this, alive_, refs_);
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
    KeepSystemEntries();
    return DD_OK;
}

}  // namespace layer
