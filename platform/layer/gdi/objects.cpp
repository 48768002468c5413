// The GDI handle table, stock objects, and the calls that ask about or end
// any kind of object.
//
// The live count covers every bitmap and device context the program made:
// LoadImageA's bitmaps, CreateCompatibleDC's memory DCs and the surface DCs
// that IDirectDrawSurface::GetDC hands out until ReleaseDC. Stock objects are
// not counted; they are never created or ended by the program.
#include "platform/layer/gdi/objects.h"

#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/bmp_reader.h"
#include "platform/layer/gdi/gdi_internal.h"

#include <cstring>
#include <unordered_map>
#include <variant>

namespace layer {
namespace gdi {
namespace {

constexpr int WHITE_BRUSH_INDEX = 0;

using Object = std::variant<Bitmap, DeviceContext, Brush>;

struct Entry {
    bool stock = false;
    Object object;
};

// Stock objects keep fixed handles across ResetGdi; objects the program makes
// get fresh numbers that are never used again, so a stale handle stays stale.
constexpr uintptr_t WHITE_BRUSH_HANDLE = 0x1100;
constexpr uintptr_t BLACK_BRUSH_HANDLE = 0x1104;
constexpr uintptr_t DEFAULT_BITMAP_HANDLE = 0x1180;
constexpr uintptr_t FIRST_HANDLE = 0x100000;
constexpr uintptr_t HANDLE_STEP = 0x10;

class HandleTable {
public:
    HandleTable()
    {
        spare_.reserve(SPARE_NODES);
        AddStockObjects();
    }

    Entry* Find(const void* handle)
    {
        auto found = entries_.find(reinterpret_cast<uintptr_t>(handle));
        return found == entries_.end() ? nullptr : &found->second;
    }

    void* Add(Object object)
    {
        const uintptr_t value = next_;
        next_ += HANDLE_STEP;
        if (spare_.empty()) {
            entries_.emplace(value, Entry{false, std::move(object)});
        } else {
            Node node = std::move(spare_.back());
            spare_.pop_back();
            node.key() = value;
            node.mapped() = Entry{false, std::move(object)};
            entries_.insert(std::move(node));
        }
        return reinterpret_cast<void*>(value);
    }

    void Remove(const void* handle)
    {
        Node node = entries_.extract(reinterpret_cast<uintptr_t>(handle));
        if (node.empty() || spare_.size() == spare_.capacity())
            return;
        // The node is kept for the next object: a device context taken and
        // given back every frame then costs no allocation. A bitmap's
        // pixels go now.
        node.mapped().object = Brush{};
        spare_.push_back(std::move(node));
    }

    int LiveCount() const
    {
        int count = 0;
        for (const auto& [value, entry] : entries_)
            count += entry.stock ? 0 : 1;
        return count;
    }

    void Reset()
    {
        entries_.clear();
        AddStockObjects();
    }

private:
    void AddStockObjects()
    {
        entries_.emplace(WHITE_BRUSH_HANDLE, Entry{true, Brush{RGB(255, 255, 255)}});
        entries_.emplace(BLACK_BRUSH_HANDLE, Entry{true, Brush{RGB(0, 0, 0)}});
        Bitmap defaultBitmap;
        defaultBitmap.width = 1;
        defaultBitmap.height = 1;
        defaultBitmap.monochrome = true;
        defaultBitmap.pixels.assign(1, 0);
        entries_.emplace(DEFAULT_BITMAP_HANDLE, Entry{true, std::move(defaultBitmap)});
    }

    using Map = std::unordered_map<uintptr_t, Entry>;
    using Node = Map::node_type;
    static constexpr size_t SPARE_NODES = 8;

    Map entries_;
    std::vector<Node> spare_;
    uintptr_t next_ = FIRST_HANDLE;
};

HandleTable& Table()
{
    static HandleTable table;
    return table;
}

template <typename T> T* FindAs(const void* handle)
{
    if (handle == nullptr)
        return nullptr;
    Entry* entry = Table().Find(handle);
    return entry == nullptr ? nullptr : std::get_if<T>(&entry->object);
}

}  // namespace

Canvas Bitmap::GetCanvas()
{
    Canvas canvas;
    canvas.format = PixelFormat::Xrgb8888;
    canvas.width = width;
    canvas.height = height;
    canvas.monochrome = monochrome;
    // Bottom-up: row 0 of the picture is the last row in memory.
    const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 4;
    canvas.top = reinterpret_cast<uint8_t*>(pixels.data()) + stride * (height - 1);
    canvas.pitch = -stride;
    return canvas;
}

Bitmap* FindBitmap(HGDIOBJ handle)
{
    return FindAs<Bitmap>(handle);
}

DeviceContext* FindDC(HDC handle)
{
    return FindAs<DeviceContext>(handle);
}

Brush* FindBrush(HGDIOBJ handle)
{
    return FindAs<Brush>(handle);
}

bool IsStockObject(HGDIOBJ handle)
{
    const Entry* entry = handle == nullptr ? nullptr : Table().Find(handle);
    return entry != nullptr && entry->stock;
}

HBITMAP CreateDibBitmap(int32_t width, int32_t height, Bitmap** created)
{
    if (width <= 0 || height <= 0 || width > MAX_BITMAP_SIDE || height > MAX_BITMAP_SIDE
        || int64_t{width} * height > MAX_BITMAP_PIXELS) {
        Refuse("CreateDIBSection", "bitmap size out of range");
        return nullptr;
    }
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    auto handle = static_cast<HBITMAP>(Table().Add(std::move(bitmap)));
    if (created != nullptr)
        *created = FindBitmap(handle);
    return handle;
}

HDC CreateDC(const DeviceContext& dc)
{
    return static_cast<HDC>(Table().Add(dc));
}

void EndObject(HGDIOBJ handle)
{
    if (!IsStockObject(handle))
        Table().Remove(handle);
}

HBITMAP DefaultBitmap()
{
    return reinterpret_cast<HBITMAP>(DEFAULT_BITMAP_HANDLE);
}

HGDIOBJ DefaultBrush()
{
    return reinterpret_cast<HGDIOBJ>(WHITE_BRUSH_HANDLE);
}

bool CanvasOf(HDC handle, Canvas* canvas)
{
    DeviceContext* dc = FindDC(handle);
    if (dc == nullptr)
        return false;
    if (dc->onSurface) {
        *canvas = dc->surface;
        return true;
    }
    Bitmap* bitmap = FindBitmap(dc->bitmap);
    if (bitmap == nullptr)
        return false;
    *canvas = bitmap->GetCanvas();
    return true;
}

}  // namespace gdi

int LiveGdiObjectCount()
{
    return gdi::Table().LiveCount();
}

const uint32_t* KeptBitmapPixels(HGDIOBJ bitmap)
{
    gdi::Bitmap* found = gdi::FindBitmap(bitmap);
    return found != nullptr ? found->pixels.data() : nullptr;
}

void ResetGdi()
{
    gdi::Table().Reset();
}

}  // namespace layer

using namespace layer;

HGDIOBJ WINAPI GetStockObject(int index)
{
    if (!BeginCall("GetStockObject"))
        return nullptr;
    if (index == gdi::WHITE_BRUSH_INDEX)
        return gdi::DefaultBrush();
    if (index == BLACK_BRUSH)
        return reinterpret_cast<HGDIOBJ>(gdi::BLACK_BRUSH_HANDLE);
    Refuse("GetStockObject", "no such stock object");
    return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ obj)
{
    if (!BeginCall("DeleteObject", obj))
        return FALSE;
    // Stock objects are shared: deleting one succeeds and changes nothing.
    if (gdi::IsStockObject(obj))
        return TRUE;
    if (gdi::FindDC(static_cast<HDC>(obj)) != nullptr) {
        Refuse("DeleteObject", "a device context is ended with DeleteDC");
        return FALSE;
    }
    gdi::Bitmap* bitmap = gdi::FindBitmap(obj);
    if (bitmap != nullptr && bitmap->selectedInto != nullptr) {
        Refuse("DeleteObject", "bitmap is still selected into a device context");
        return FALSE;
    }
    if (bitmap == nullptr) {
        Refuse("DeleteObject", "not a GDI object");
        return FALSE;
    }
    gdi::EndObject(obj);
    return TRUE;
}

int WINAPI GetObjectA(HANDLE obj, int size, LPVOID out)
{
    if (!BeginCall("GetObjectA", obj))
        return 0;
    gdi::Bitmap* bitmap = gdi::FindBitmap(obj);
    if (bitmap == nullptr) {
        Refuse("GetObjectA", "not a bitmap");
        return 0;
    }
    if (out == nullptr)
        return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) {
        Refuse("GetObjectA", "buffer smaller than a BITMAP record");
        return 0;
    }
    BITMAP record{};
    record.bmType = 0;
    record.bmWidth = bitmap->width;
    record.bmHeight = bitmap->height;
    record.bmPlanes = 1;
    if (bitmap->monochrome) {
        // A device-dependent bitmap: word-aligned rows, no bits to hand out.
        record.bmBitsPixel = 1;
        record.bmWidthBytes = (bitmap->width + 15) / 16 * 2;
        record.bmBits = nullptr;
    } else {
        // A DIB section's rows are whole 32-bit words, at its own depth. Its
        // bits are handed out only where they lie as that depth says: at 32
        // bits; at any other, no pointer rather than one to pixels laid out
        // otherwise.
        record.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
        record.bmWidthBytes
            = static_cast<LONG>((int64_t{bitmap->width} * bitmap->bitsPerPixel + 31) / 32 * 4);
        record.bmBits = bitmap->bitsPerPixel == 32 ? bitmap->pixels.data() : nullptr;
    }
    std::memcpy(out, &record, sizeof record);
    return static_cast<int>(sizeof(BITMAP));
}
