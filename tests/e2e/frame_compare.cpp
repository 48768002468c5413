// Compares screenshots of the program with frames rendered on the headless
// backend, as binary PPM (P6, 8 bits a channel) as ImageMagick writes them.
//   frame_compare <shot.ppm> <frame.ppm> <skip rows> <tolerance>
//       Exit 0 when every pixel below the rows skipped agrees within the
//       tolerance (levels) in each channel, 1 when some do not, 2 on bad input.
//   frame_compare <shot.ppm> <map.ppm> <skip rows> <tolerance> <view bottom>
//       Prints "viewRight V" for every view V = width + 4k whose window onto
//       the map (its rows above the view's bottom) agrees so with the shot;
//       exit 0 when one does, 1 when none does, 2 on bad input.
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // rows from the top
};

bool Read(const char* path, Picture& p)
{
    FILE* file = std::fopen(path, "rb");
    char magic[3] = {};
    int maxValue = 0;
    bool ok = file && std::fscanf(file, "%2s %d %d %d", magic, &p.width, &p.height, &maxValue) == 4
        && std::strcmp(magic, "P6") == 0 && maxValue == 255 && p.width > 0 && p.height > 0
        && p.width <= 1 << 14 && p.height <= 1 << 14 && std::isspace(std::fgetc(file));
    if (ok) {
        p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
        ok = std::fread(p.rgb.data(), 1, p.rgb.size(), file) == p.rgb.size();
    }
    if (file)
        std::fclose(file);
    if (!ok)
        std::fprintf(stderr, "frame_compare: %s is not an 8-bit binary PPM\n", path);
    return ok;
}

// Pixels of the shot below skipRows that differ by more than the tolerance in
// some channel from the window of `other` at (left, top); stops at `limit`.
long Differing(const Picture& shot, const Picture& other, int left, int top, int skipRows,
    int tolerance, long limit)
{
    long count = 0;
    for (int y = skipRows; y < shot.height && count < limit; ++y) {
        const unsigned char* a = &shot.rgb[static_cast<size_t>(y) * shot.width * 3];
        const unsigned char* b
            = &other.rgb[(static_cast<size_t>(top + y) * other.width + left) * 3];
        for (int x = 0; x < shot.width * 3; x += 3)
            count += std::abs(a[x] - b[x]) > tolerance || std::abs(a[x + 1] - b[x + 1]) > tolerance
                || std::abs(a[x + 2] - b[x + 2]) > tolerance;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv)
{
    Picture shot, other;
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr,
            "usage: frame_compare <shot.ppm> <frame or map.ppm> <skip rows> <tolerance> "
            "[<view bottom>]\n");
        return 2;
    }
    if (!Read(argv[1], shot) || !Read(argv[2], other))
        return 2;
    // "same" is the one view that covers the whole of the other picture.
    const bool same = argc == 5;
    const int skipRows = std::atoi(argv[3]), tolerance = std::atoi(argv[4]);
    const int bottom = same ? shot.height : std::atoi(argv[5]), top = bottom - shot.height;
    if (same && (shot.width != other.width || shot.height != other.height)) {
        std::printf("the sizes differ\n");
        return 1;
    }
    if (skipRows < 0 || skipRows >= shot.height || top < 0 || bottom > other.height
        || shot.width > other.width) {
        std::fprintf(stderr, "frame_compare: nothing to compare, or the view is not in the map\n");
        return 2;
    }
    long fewest = LONG_MAX;
    for (int left = 0; left + shot.width <= other.width; left += 4) {
        // Counting on past the best so far tells nothing more.
        const long d = Differing(shot, other, left, top, skipRows, tolerance,
            same             ? LONG_MAX
                : fewest > 0 ? fewest
                             : 1);
        if (d == 0 && !same)
            std::printf("viewRight %d\n", left + shot.width);
        fewest = d < fewest ? d : fewest;
    }
    std::printf("%s%ld pixels differ\n", same ? "" : "in the closest view, ", fewest);
    return fewest == 0 ? 0 : 1;
}
