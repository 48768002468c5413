// Frames saved as PNG: each 5-6-5 channel widened by repeating its high bits,
// read back with libpng.
#include "layer_fixture.h"

#include <cstdio>
#include <png.h>
#include <string>
#include <vector>

namespace layertest {
namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

Decoded ReadPng(const std::string& path)
{
    Decoded decoded;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return decoded;
    image.format = PNG_FORMAT_RGB;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return decoded;
    }
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    return decoded;
}

struct ChannelRow {
    uint16_t pixel;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

TEST(SavePng, WidensEachChannelInItsPlace)
{
    const ChannelRow rows[] = {
        {0x0000, 0, 0, 0}, {0xFFFF, 255, 255, 255}, {0xF800, 255, 0, 0}, {0x07E0, 0, 255, 0},
        {0x001F, 0, 0, 255}, {0x8000, 132, 0, 0},  // red 16 of 31
        {0x0400, 0, 130, 0},  // green 32 of 63
        {0x0010, 0, 0, 132},  // blue 16 of 31
        {0x0821, 8, 4, 8},  // the lowest step of each
    };
    test::Pixels pixels;
    pixels.width = 3;
    pixels.height = 3;
    for (const ChannelRow& row : rows)
        pixels.values.push_back(row.pixel);
    const std::string path = testing::TempDir() + "layer_png_test.png";
    ASSERT_TRUE(test::SavePng(pixels, path));

    const Decoded decoded = ReadPng(path);
    std::remove(path.c_str());
    ASSERT_EQ(decoded.width, 3);
    ASSERT_EQ(decoded.height, 3);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(decoded.rgb[3 * i], rows[i].red) << std::hex << rows[i].pixel;
        EXPECT_EQ(decoded.rgb[3 * i + 1], rows[i].green) << std::hex << rows[i].pixel;
        EXPECT_EQ(decoded.rgb[3 * i + 2], rows[i].blue) << std::hex << rows[i].pixel;
    }
}

TEST(SavePng, RefusesPicturesThatDoNotAddUpAndPathsThatCannotBeWritten)
{
    test::Pixels empty;
    EXPECT_FALSE(test::SavePng(empty, testing::TempDir() + "empty.png"));
    test::Pixels shortOne;
    shortOne.width = 4;
    shortOne.height = 4;
    shortOne.values.assign(15, 0);
    EXPECT_FALSE(test::SavePng(shortOne, testing::TempDir() + "short.png"));
    shortOne.values.push_back(0);
    EXPECT_FALSE(test::SavePng(shortOne, "/nonexistent/dir/frame.png"));
}

}  // namespace
}  // namespace layertest
