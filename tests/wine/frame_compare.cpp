// Compares screenshots of the program under Wine with frames rendered on the
// headless backend. Pictures are binary PPM (P6, 8 bits a channel), as
// ImageMagick writes them.
//
//   frame_compare same <a.ppm> <b.ppm> [--skip-rows N] [--tolerance T]
//       Exit 0 when every pixel below the first N rows agrees within T levels
//       in each channel; 1 when some do not; 2 on bad input.
//   frame_compare find-right <shot.ppm> <map.ppm> --view-bottom B [--skip-rows N] [--tolerance T]
//       Prints "viewRight V" for every view V = width + 4k whose window onto
//       the map (rows B - height .. B - 1) agrees with the shot below the first
//       N rows. Exit 0 when at least one does, 1 when none does.
//
// The legend at the top of a frame is text in the platform's own font, so the
// first rows are left out; below them both sides show the same 5-6-5 pixels
// widened to 8 bits, so a tolerance of 7 levels absorbs any difference in the
// widening and still catches a colour one 5-bit step off.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3
    const unsigned char* at(int x, int y) const
    {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

// One header number after white space and comments, ended by one white-space
// character.
bool ReadHeaderNumber(FILE* file, int& value)
{
    int c = std::fgetc(file);
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '#') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = std::fgetc(file);
        c = std::fgetc(file);
    }
    long number = -1;
    for (; c >= '0' && c <= '9' && number <= 1 << 20; c = std::fgetc(file))
        number = (number < 0 ? 0 : number * 10) + (c - '0');
    value = static_cast<int>(number);
    return number >= 0 && number <= 1 << 20 && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
}

bool ReadPpm(const char* path, Picture& p)
{
    FILE* file = std::fopen(path, "rb");
    int maxValue = 0;
    bool ok = file && std::fgetc(file) == 'P' && std::fgetc(file) == '6'
        && ReadHeaderNumber(file, p.width) && ReadHeaderNumber(file, p.height)
        && ReadHeaderNumber(file, maxValue) && maxValue == 255 && p.width > 0 && p.height > 0;
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

// Pixels of the shot below skipRows that differ by more than the tolerance
// from the window of `other` at (left, top); counting stops at stopAfter.
long CountDifferent(const Picture& shot, const Picture& other, int left, int top, int skipRows,
    int tolerance, long stopAfter, int* largest)
{
    long pixels = 0;
    for (int y = skipRows; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            int worst = 0;
            for (int channel = 0; channel < 3; ++channel)
                worst = std::max(
                    worst, std::abs(shot.at(x, y)[channel] - other.at(left + x, top + y)[channel]));
            *largest = std::max(*largest, worst);
            if (worst > tolerance && ++pixels >= stopAfter)
                return pixels;
        }
    return pixels;
}

int Usage()
{
    std::fprintf(stderr,
        "usage: frame_compare same <a.ppm> <b.ppm> [--skip-rows N] [--tolerance T]\n"
        "       frame_compare find-right <shot.ppm> <map.ppm> --view-bottom B "
        "[--skip-rows N] [--tolerance T]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0)
        return Usage();
    const std::string mode = argv[1];
    int skipRows = 0, tolerance = 0, viewBottom = -1;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        int* target = option == "--skip-rows" ? &skipRows
            : option == "--tolerance"         ? &tolerance
            : option == "--view-bottom"       ? &viewBottom
                                              : nullptr;
        if (target == nullptr)
            return Usage();
        *target = std::atoi(argv[i + 1]);
    }
    Picture shot, other;
    if (!ReadPpm(argv[2], shot) || !ReadPpm(argv[3], other))
        return 2;
    if (skipRows < 0 || skipRows >= shot.height) {
        std::fprintf(stderr, "frame_compare: --skip-rows leaves nothing to compare\n");
        return 2;
    }
    int largest = 0;
    if (mode == "same") {
        if (shot.width != other.width || shot.height != other.height) {
            std::fprintf(stderr, "frame_compare: sizes differ: %dx%d and %dx%d\n", shot.width,
                shot.height, other.width, other.height);
            return 1;
        }
        const long d = CountDifferent(shot, other, 0, 0, skipRows, tolerance, LONG_MAX, &largest);
        std::printf("differing pixels: %ld (largest channel difference %d)\n", d, largest);
        return d == 0 ? 0 : 1;
    }
    if (mode != "find-right")
        return Usage();
    const int top = viewBottom - shot.height;
    if (top < 0 || viewBottom > other.height || shot.width > other.width) {
        std::fprintf(stderr, "frame_compare: the view does not fit in the map\n");
        return 2;
    }
    long fewest = LONG_MAX;
    int fewestRight = 0;
    bool found = false;
    for (int left = 0; left + shot.width <= other.width; left += 4) {
        // Only whether a candidate beats the best so far matters.
        const long d = CountDifferent(
            shot, other, left, top, skipRows, tolerance, fewest > 0 ? fewest : 1, &largest);
        if (d == 0) {
            std::printf("viewRight %d\n", left + shot.width);
            found = true;
        }
        if (d < fewest)
            fewest = d, fewestRight = left + shot.width;
    }
    if (!found)
        std::fprintf(stderr,
            "frame_compare: no view matches; closest is viewRight %d with %ld differing pixels\n",
            fewestRight, fewest);
    return found ? 0 : 1;
}
