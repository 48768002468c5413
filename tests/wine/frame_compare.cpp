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
// widening (replicated high bits against zero-filled low bits) and still
// catches a colour one 5-bit step off.
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Reads one header number, skipping white space and comments.
bool ReadHeaderNumber(FILE* file, int& value)
{
    int c = std::fgetc(file);
    for (;;) {
        while (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            c = std::fgetc(file);
        if (c != '#')
            break;
        while (c != '\n' && c != EOF)
            c = std::fgetc(file);
    }
    if (c < '0' || c > '9')
        return false;
    long number = 0;
    while (c >= '0' && c <= '9') {
        number = number * 10 + (c - '0');
        if (number > 1 << 20)
            return false;
        c = std::fgetc(file);
    }
    value = static_cast<int>(number);
    // Exactly one white-space character ends the header's last number.
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool ReadPpm(const char* path, Picture& picture)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "frame_compare: cannot open %s\n", path);
        return false;
    }
    char magic[2] = {};
    int maxValue = 0;
    bool ok = std::fread(magic, 1, 2, file) == 2 && magic[0] == 'P' && magic[1] == '6' &&
              ReadHeaderNumber(file, picture.width) && ReadHeaderNumber(file, picture.height) &&
              ReadHeaderNumber(file, maxValue) && maxValue == 255 && picture.width > 0 &&
              picture.height > 0;
    if (ok) {
        picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
        ok = std::fread(picture.rgb.data(), 1, picture.rgb.size(), file) == picture.rgb.size();
    }
    std::fclose(file);
    if (!ok)
        std::fprintf(stderr, "frame_compare: %s is not an 8-bit binary PPM\n", path);
    return ok;
}

struct Difference {
    long pixels = 0;
    int largest = 0;
};

// Compares the shot, below skipRows, with the same-sized window of `other`
// whose top-left corner is (left, top). Stops counting at `stopAfter`
// differing pixels, so a search can drop a wrong candidate quickly.
Difference CompareWindow(const Picture& shot, const Picture& other, int left, int top,
                         int skipRows, int tolerance, long stopAfter)
{
    Difference result;
    for (int y = skipRows; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const unsigned char* a = shot.at(x, y);
            const unsigned char* b = other.at(left + x, top + y);
            int worst = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const int d = std::abs(a[channel] - b[channel]);
                if (d > worst)
                    worst = d;
            }
            if (worst > result.largest)
                result.largest = worst;
            if (worst > tolerance && ++result.pixels >= stopAfter)
                return result;
        }
    }
    return result;
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
    if (argc < 4)
        return Usage();
    const std::string mode = argv[1];
    int skipRows = 0;
    int tolerance = 0;
    int viewBottom = -1;
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc)
            return Usage();
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--skip-rows")
            skipRows = value;
        else if (option == "--tolerance")
            tolerance = value;
        else if (option == "--view-bottom")
            viewBottom = value;
        else
            return Usage();
    }

    Picture shot, other;
    if (!ReadPpm(argv[2], shot) || !ReadPpm(argv[3], other))
        return 2;
    if (skipRows < 0 || skipRows >= shot.height) {
        std::fprintf(stderr, "frame_compare: --skip-rows leaves nothing to compare\n");
        return 2;
    }

    if (mode == "same") {
        if (shot.width != other.width || shot.height != other.height) {
            std::fprintf(stderr, "frame_compare: sizes differ: %dx%d and %dx%d\n", shot.width,
                         shot.height, other.width, other.height);
            return 1;
        }
        const Difference d = CompareWindow(shot, other, 0, 0, skipRows, tolerance, LONG_MAX);
        std::printf("differing pixels: %ld (largest channel difference %d)\n", d.pixels, d.largest);
        return d.pixels == 0 ? 0 : 1;
    }

    if (mode == "find-right") {
        const int top = viewBottom - shot.height;
        if (top < 0 || viewBottom > other.height || shot.width > other.width) {
            std::fprintf(stderr, "frame_compare: the view does not fit in the map\n");
            return 2;
        }
        bool found = false;
        long fewest = LONG_MAX;
        int fewestRight = 0;
        for (int left = 0; left + shot.width <= other.width; left += 4) {
            // Only whether a candidate beats the best so far matters.
            const long limit = fewest > 0 ? fewest : 1;
            const Difference d = CompareWindow(shot, other, left, top, skipRows, tolerance, limit);
            if (d.pixels == 0) {
                std::printf("viewRight %d\n", left + shot.width);
                found = true;
            }
            if (d.pixels < fewest) {
                fewest = d.pixels;
                fewestRight = left + shot.width;
            }
        }
        if (!found)
            std::fprintf(stderr, "frame_compare: no view matches; closest is viewRight %d with %ld differing pixels\n",
                         fewestRight, fewest);
        return found ? 0 : 1;
    }
    return Usage();
}
