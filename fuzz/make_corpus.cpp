// Writes the fuzzers' seed corpus: small valid BMPs of every depth and
// header, and hostile ones (cut short at each header boundary, sizes that
// are huge, negative or overflow, colour counts past the data, compressions
// that are not read, run-length codes that end early or point outside the
// picture, offsets that point anywhere).
//   make_fuzz_corpus fuzz/corpus
// writes load_image_file/ and palette_file/ (.bmp files) and resource/
// (RT_BITMAP data: the info header without the file header).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_JPEG = 4;
constexpr uint32_t BI_PNG = 5;

struct Bmp {
    uint32_t headerSize = 40;  // 12, 40, 108 or 124 (or anything, for hostile ones)
    int32_t width = 5;
    int32_t height = 3;  // negative: top-down
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = BI_RGB;
    int64_t colorsUsed = -1;  // -1: 0 in the header
    int64_t tableEntries = -1;  // -1: 2^bits for 1 to 8 bits, else none
    std::vector<uint32_t> masks;  // BI_BITFIELDS
    int64_t pixelBytes = -1;  // -1: what the size needs
    int64_t pixelOffset = -1;  // -1: right after the table
};

void Put(Bytes& out, size_t at, uint64_t value, int width)
{
    if (out.size() < at + width)
        out.resize(at + width, 0);
    for (int i = 0; i < width; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes Build(const Bmp& bmp, bool fileHeader)
{
    const bool core = bmp.headerSize == 12;
    const size_t start = fileHeader ? 14 : 0;
    Bytes out(start, 0);
    Put(out, start, bmp.headerSize, 4);
    if (core) {
        Put(out, start + 4, static_cast<uint16_t>(bmp.width), 2);
        Put(out, start + 6, static_cast<uint16_t>(bmp.height), 2);
        Put(out, start + 8, bmp.planes, 2);
        Put(out, start + 10, bmp.bitCount, 2);
    } else {
        // Longer headers than 40 bytes keep their masks at offset 40.
        const size_t body = bmp.headerSize >= 40 && bmp.headerSize <= 124 ? bmp.headerSize : 40;
        out.resize(start + body, 0);
        Put(out, start + 4, static_cast<uint32_t>(bmp.width), 4);
        Put(out, start + 8, static_cast<uint32_t>(bmp.height), 4);
        Put(out, start + 12, bmp.planes, 2);
        Put(out, start + 14, bmp.bitCount, 2);
        Put(out, start + 16, bmp.compression, 4);
        Put(out, start + 24, 2834, 4);
        Put(out, start + 28, 2834, 4);
        Put(out, start + 32, bmp.colorsUsed < 0 ? 0 : static_cast<uint32_t>(bmp.colorsUsed), 4);
        for (size_t i = 0; i < bmp.masks.size(); ++i)
            Put(out, start + 40 + 4 * i, bmp.masks[i], 4);
    }
    // Masks after a 40-byte header have been written past it above.
    size_t at = out.size();

    const bool paletted = bmp.bitCount >= 1 && bmp.bitCount <= 8;
    const int64_t entries = bmp.tableEntries >= 0 ? bmp.tableEntries
        : paletted                                ? (int64_t{1} << bmp.bitCount)
                                                  : 0;
    const size_t entryBytes = core ? 3 : 4;
    for (int64_t i = 0; i < entries; ++i) {
        // A spread of colours, each entry different.
        const uint32_t color = static_cast<uint32_t>(i * 0x3B5D1F) ^ 0x204080;
        for (size_t k = 0; k < entryBytes; ++k)
            Put(out, at + k, (color >> (8 * k)) & 0xFF, 1);
        at += entryBytes;
    }
    const size_t pixelStart = at;

    const uint64_t rows = bmp.height < 0 ? -int64_t{bmp.height} : bmp.height;
    const uint64_t stride
        = (static_cast<uint64_t>(bmp.width < 0 ? 0 : bmp.width) * bmp.bitCount + 31) / 32 * 4;
    const uint64_t need = bmp.pixelBytes >= 0 ? static_cast<uint64_t>(bmp.pixelBytes)
        : stride * rows <= 4096               ? stride * rows
                                              : 64;
    for (uint64_t i = 0; i < need; ++i)
        Put(out, pixelStart + i, (i * 37 + 11) & 0xFF, 1);

    if (fileHeader) {
        out[0] = 'B';
        out[1] = 'M';
        Put(out, 2, out.size(), 4);
        Put(out, 10, bmp.pixelOffset >= 0 ? static_cast<uint64_t>(bmp.pixelOffset) : pixelStart, 4);
    }
    return out;
}

Bytes Cut(Bytes bytes, size_t length)
{
    bytes.resize(std::min(length, bytes.size()));
    return bytes;
}

// Run-length data: the codes after a 16-entry table, and the image size
// the header gives them (-1: the codes' own size).
Bytes RunLength(bool fileHeader, Bmp bmp, std::vector<uint8_t> codes, int64_t imageSize = -1)
{
    bmp.colorsUsed = bmp.tableEntries = 16;
    bmp.pixelBytes = 0;
    Bytes out = Build(bmp, fileHeader);
    out.insert(out.end(), codes.begin(), codes.end());
    const size_t h = fileHeader ? 14 : 0;
    Put(out, h + 20, imageSize < 0 ? codes.size() : static_cast<uint64_t>(imageSize), 4);
    if (fileHeader)
        Put(out, 2, out.size(), 4);
    return out;
}

struct Seed {
    std::string name;
    Bytes bytes;
};

// The cases that make sense with and without the file header.
std::vector<Seed> Seeds(bool fileHeader)
{
    std::vector<Seed> seeds;
    auto add = [&](const std::string& name, const Bmp& bmp) {
        seeds.push_back({name, Build(bmp, fileHeader)});
    };
    const std::vector<uint32_t> rgb565 = {0xF800, 0x07E0, 0x001F};
    const std::vector<uint32_t> xrgb = {0xFF0000, 0x00FF00, 0x0000FF};

    // Valid: every depth, the headers, both row orders.
    add("valid_1bit", {.width = 9, .bitCount = 1});
    add("valid_4bit", {.bitCount = 4});
    add("valid_8bit_short_table", {.bitCount = 8, .colorsUsed = 6, .tableEntries = 6});
    add("valid_16bit_555", {.bitCount = 16});
    add("valid_16bit_565_bitfields",
        {.bitCount = 16, .compression = BI_BITFIELDS, .masks = rgb565});
    add("valid_24bit", {});
    add("valid_24bit_top_down", {.height = -3});
    add("valid_32bit", {.bitCount = 32});
    add("valid_32bit_bitfields", {.bitCount = 32, .compression = BI_BITFIELDS, .masks = xrgb});
    add("valid_core_8bit", {.headerSize = 12, .bitCount = 8});
    add("valid_core_24bit", {.headerSize = 12});
    add("valid_v4_16bit_bitfields",
        {.headerSize = 108, .bitCount = 16, .compression = BI_BITFIELDS, .masks = rgb565});
    add("valid_v5_8bit_top_down", {.headerSize = 124, .height = -2, .bitCount = 8});

    // Sizes: empty, negative, huge, overflowing.
    add("width_zero", {.width = 0});
    add("width_negative", {.width = -5});
    add("height_zero", {.height = 0});
    add("height_most_negative", {.height = INT32_MIN});
    add("width_max", {.width = INT32_MAX, .bitCount = 32});
    add("size_overflows_32_bits", {.width = 65536, .height = 65536, .bitCount = 32});
    add("size_past_the_data", {.width = 3000, .height = 3000, .bitCount = 1});
    add("one_pixel_wider_than_the_cap", {.width = 16385, .height = 1, .bitCount = 1});

    // Fields out of range.
    add("planes_two", {.planes = 2});
    add("bits_zero", {.bitCount = 0});
    add("bits_two", {.bitCount = 2});
    add("bits_64", {.bitCount = 64});
    add("header_size_zero", {.headerSize = 0});
    add("header_size_64", {.headerSize = 64});
    add("header_size_huge", {.headerSize = 0xFFFFFFF0});
    add("colors_used_past_the_data", {.bitCount = 8, .colorsUsed = 256, .tableEntries = 3});
    add("colors_used_above_the_depth", {.bitCount = 4, .colorsUsed = 17, .tableEntries = 17});
    add("colors_used_negative", {.bitCount = 8, .colorsUsed = 0x80000000, .tableEntries = 4});
    add("colors_used_max", {.bitCount = 8, .colorsUsed = 0xFFFFFFFF, .tableEntries = 4});
    add("valid_24bit_with_colour_table", {.colorsUsed = 2, .tableEntries = 2});

    // Run-length codes, 5 x 3: every code, then what the platform loads all
    // the same (pixels no code reaches are index 0), then too large a size.
    auto rle = [&](const std::string& name, Bmp bmp, std::vector<uint8_t> codes,
                   int64_t imageSize = -1) {
        seeds.push_back({name, RunLength(fileHeader, bmp, std::move(codes), imageSize)});
    };
    const Bmp rle8{.bitCount = 8, .compression = BI_RLE8};
    const Bmp rle4{.bitCount = 4, .compression = BI_RLE4};
    rle("valid_rle8", rle8, {3, 1, 2, 9, 0, 0, 0, 3, 4, 5, 6, 0, 0, 2, 1, 1, 1, 8, 0, 1});
    rle("valid_rle4", rle4, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 2, 0, 3, 0x9A,
                                0, 1});
    rle("lenient_rle8_runs_cross_the_row_end", rle8,
        {9, 1, 2, 2, 0, 0, 0, 7, 1, 2, 3, 4, 5, 6, 7, 0, 0, 1});
    rle("lenient_rle4_runs_cross_the_row_end", rle4, {9, 0x12, 0, 0, 0, 7, 0x12, 0x34, 0x56, 0x70,
                                                         0, 1});
    rle("lenient_rle8_delta_past_the_last_column", rle8, {1, 1, 0, 2, 200, 0, 3, 3, 0, 0, 0, 1});
    rle("lenient_rle8_delta_past_the_last_row", rle8, {1, 1, 0, 2, 0, 200, 3, 3, 0, 1});
    rle("lenient_rle8_absolute_run_past_the_data", rle8, {5, 1, 0, 0, 2, 2, 0, 9, 1, 2});
    rle("lenient_rle8_no_end_of_bitmap", rle8, {5, 1, 0, 0, 5, 2, 0, 0, 2, 3});
    rle("lenient_rle8_image_size_zero", rle8, {5, 1, 0, 1}, 0);
    rle("lenient_rle8_image_size_short", rle8, {5, 1, 0, 0, 5, 2, 0, 1}, 4);
    rle("lenient_rle8_image_size_past_the_file", rle8, {5, 1, 0, 0, 0, 4, 9, 8}, 0xFFFFFFFF);
    rle("lenient_rle8_top_down", {.height = -3, .bitCount = 8, .compression = BI_RLE8},
        {5, 1, 0, 1});
    rle("lenient_rle8_at_4_bits", {.bitCount = 4, .compression = BI_RLE8}, {5, 1, 0, 1});
    rle("lenient_rle4_at_24_bits", {.compression = BI_RLE4}, {5, 1, 0, 1});
    rle("rle8_size_past_the_cap", {.width = 16385, .bitCount = 8, .compression = BI_RLE8},
        {0, 1});

    // Compressions the reader does not decode, and masks it cannot use.
    add("jpeg", {.bitCount = 0, .compression = BI_JPEG, .pixelBytes = 32});
    add("png", {.bitCount = 0, .compression = BI_PNG, .pixelBytes = 32});
    add("compression_unknown", {.compression = 0xFFFFFFFF});
    add("bitfields_on_24bit", {.compression = BI_BITFIELDS, .masks = xrgb});
    add("bitfields_on_8bit", {.bitCount = 8, .compression = BI_BITFIELDS, .masks = xrgb});
    add("bitfields_mask_with_a_gap",
        {.bitCount = 16, .compression = BI_BITFIELDS, .masks = {0xF0F0, 0x0F00, 0x000F}});
    add("bitfields_mask_past_the_pixel",
        {.bitCount = 16, .compression = BI_BITFIELDS, .masks = {0x1F0000, 0x07E0, 0x001F}});
    add("lenient_bitfields_masks_zero",
        {.bitCount = 32, .compression = BI_BITFIELDS, .masks = {0, 0, 0}});
    add("lenient_bitfields_masks_overlap",
        {.bitCount = 32, .compression = BI_BITFIELDS, .masks = {0xFFFFFFFF, 0xFF, 0xFF00}});
    return seeds;
}

// Where the pixel data starts, in a file only.
std::vector<Seed> OffsetSeeds()
{
    std::vector<Seed> seeds;
    const Bmp base{.bitCount = 8, .colorsUsed = 4, .tableEntries = 4};
    for (auto [name, offset] : std::vector<std::pair<std::string, int64_t>>{{"offset_zero", 0},
             {"offset_into_the_table", 60}, {"offset_past_the_end", 4000},
             {"offset_max", 0xFFFFFFFF}}) {
        Bmp bmp = base;
        bmp.pixelOffset = offset;
        seeds.push_back({name, Build(bmp, true)});
    }
    Bytes wrongMagic = Build({}, true);
    wrongMagic[0] = 'M';
    seeds.push_back({"wrong_magic", wrongMagic});
    return seeds;
}

// One file cut short at each boundary: inside and at the end of the file
// header, of each header field, of the table, and of the pixels.
std::vector<Seed> TruncatedSeeds(bool fileHeader)
{
    const Bytes whole = Build({.bitCount = 4}, fileHeader);  // 14 + 40 + 64 + 12
    const size_t h = fileHeader ? 14 : 0;
    std::vector<size_t> cuts
        = {0, 1, h + 3, h + 4, h + 15, h + 16, h + 39, h + 40, h + 41, h + 70, h + 104, h + 110};
    if (fileHeader)
        cuts.insert(cuts.end(), {2, 10, 13});
    std::vector<Seed> seeds;
    for (size_t cut : cuts)
        seeds.push_back({"cut_at_" + std::to_string(cut), Cut(whole, cut)});
    return seeds;
}

// What only the palette loader reads: its two header tests and a table read
// as far as the file or resource reaches.
std::vector<Seed> PaletteSeeds(bool fileHeader)
{
    std::vector<Seed> seeds;
    // The loader's reads end at the file header, the info header and in the
    // table.
    const Bytes whole = Build({.bitCount = 4}, fileHeader);
    const size_t h = fileHeader ? 14 : 0;
    for (size_t cut : {h - (fileHeader ? 1 : 0), h + 39, h + 40, h + 70})
        seeds.push_back({"palette_cut_at_" + std::to_string(cut), Cut(whole, cut)});
    auto add = [&](const std::string& name, const Bmp& bmp) {
        seeds.push_back({name, Build(bmp, fileHeader)});
    };
    add("palette_16_colours", {.bitCount = 4});
    add("palette_256_colours", {.width = 2, .height = 1, .bitCount = 8});
    add("palette_108_byte_header", {.headerSize = 108, .bitCount = 8});
    add("palette_core_header", {.headerSize = 12, .bitCount = 4});
    add("palette_count_past_256", {.bitCount = 8, .colorsUsed = 300, .tableEntries = 300});
    add("palette_true_colour_bytes_after_the_header", {.width = 24, .height = 16});
    return seeds;
}

void Write(const std::filesystem::path& folder, const std::vector<Seed>& seeds)
{
    std::filesystem::create_directories(folder);
    for (const Seed& seed : seeds) {
        std::ofstream out(folder / (seed.name + ".bmp"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()),
            static_cast<std::streamsize>(seed.bytes.size()));
    }
}

template <typename... Lists> std::vector<Seed> Joined(Lists... lists)
{
    std::vector<Seed> all;
    (all.insert(all.end(), lists.begin(), lists.end()), ...);
    return all;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    Write(root / "load_image_file", Joined(Seeds(true), OffsetSeeds(), TruncatedSeeds(true)));
    Write(root / "palette_file", PaletteSeeds(true));
    Write(root / "resource", Joined(Seeds(false), PaletteSeeds(false), TruncatedSeeds(false)));
    // A tile as the program carries it: 64 x 64 at 24 bits.
    Write(root / "resource",
        {{"tile_64x64_24bit",
            Build({.width = 64, .height = 64, .pixelBytes = 64 * 64 * 3}, false)}});
    return 0;
}
