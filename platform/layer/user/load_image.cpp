// LoadImageA for bitmaps: from the module's RT_BITMAP resources or from a
// .bmp file, always as a DIB section, scaled to the size asked for.
#include "platform/layer/calls/call_log.h"
#include "platform/layer/gdi/bmp_reader.h"
#include "platform/layer/gdi/gdi_internal.h"
#include "platform/layer/kernel/kernel_internal.h"

#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The largest picture the reader accepts, at 32 bits, with room for headers.
constexpr uint64_t MAX_FILE_BYTES = uint64_t(layer::MAX_BITMAP_PIXELS) * 4 + 65536;

// Missing and unreadable files are the ordinary "no such bitmap" answer;
// what is not a regular file, or too large to be a picture we would accept,
// gets a line.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes)
{
    const int fd = layer::OpenRegularFile(path, "LoadImageA");
    if (fd < 0)
        return false;
    struct stat info { };
    bool ok = fstat(fd, &info) == 0;
    if (ok && static_cast<uint64_t>(info.st_size) > MAX_FILE_BYTES) {
        layer::Refuse("LoadImageA", "file too large for a bitmap");
        ok = false;
    }
    if (ok) {
        bytes->resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        // A file that shrank while read is read as far as it goes.
        bytes->resize(done);
    }
    close(fd);
    return ok;
}

}  // namespace

using namespace layer;

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (!BeginCall("LoadImageA", instance))
        return nullptr;
    if (type != IMAGE_BITMAP) {
        Refuse("LoadImageA", "only bitmaps can be loaded");
        return nullptr;
    }
    if (name == nullptr || cx < 0 || cy < 0) {
        Refuse("LoadImageA", "no name or a negative size");
        return nullptr;
    }
    // Every bitmap is a DIB section here, so LR_CREATEDIBSECTION is a given;
    // other flags would change the picture in ways this layer does not do.
    if ((flags & ~static_cast<UINT>(LR_LOADFROMFILE | LR_CREATEDIBSECTION)) != 0) {
        Refuse("LoadImageA", "unsupported flags");
        return nullptr;
    }

    std::vector<uint8_t> fileBytes;
    std::span<const uint8_t> bytes;
    BmpContainer container;
    if ((flags & LR_LOADFROMFILE) != 0) {
        if (IS_INTRESOURCE(name) || name[0] == '\0')
            return nullptr;
        if (!ReadWholeFile(name, &fileBytes))
            return nullptr;
        bytes = fileBytes;
        container = BmpContainer::File;
    } else {
        // There is one module: any instance names it. A null instance asks
        // for the system's own bitmaps, which this layer does not carry.
        if (instance == nullptr)
            return nullptr;
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!FindModuleResource(name, RT_BITMAP, &data, &size))
            return nullptr;
        bytes = std::span<const uint8_t>(data, size);
        container = BmpContainer::PackedDib;
    }

    const BmpResult decoded = DecodeBmp(bytes, container);
    if (!decoded.image) {
        Refuse("LoadImageA", decoded.failure);
        return nullptr;
    }
    const BmpImage& image = *decoded.image;
    return CreateDibSectionOf(image, cx != 0 ? cx : image.width, cy != 0 ? cy : image.height);
}
