// Which keys of an SDL keyboard stand for which Win32 virtual keys.
#include "platform/layer/sdl_key_map.h"
#include "platform/win32.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

// SDL's scancodes are the USB HID keyboard usage IDs; these are the published
// numbers of the keys.
struct KeyCase {
    int virtualKey;
    int usage;
    int otherUsage;
};

constexpr KeyCase KEYS[] = {
    {VK_ESCAPE, 41, 0},  // Escape
    {VK_LEFT, 80, 0},  // Left Arrow
    {VK_UP, 82, 0},  // Up Arrow
    {VK_RIGHT, 79, 0},  // Right Arrow
    {VK_DOWN, 81, 0},  // Down Arrow
    {0x0D, 40, 88},  // VK_RETURN: Enter, or keypad Enter
    {0x10, 225, 229},  // VK_SHIFT: left or right
    {'A', 4, 0},  // the first letter
    {'Z', 29, 0},  // the last letter
    {'1', 30, 0},  // the digits' first key
    {'9', 38, 0},  // the last but one: HID puts 0 after 9
    {'0', 39, 0},  // where Win32 puts it before 1
    {0x70, 58, 0},  // VK_F1
    {0x7B, 69, 0},  // VK_F12
};

class KeyMap : public testing::TestWithParam<KeyCase> { };

TEST_P(KeyMap, NamesTheKeyOfTheVirtualKey)
{
    const layer::KeyScancodes keys = layer::ScancodesForVirtualKey(GetParam().virtualKey);
    EXPECT_EQ(keys.first, GetParam().usage);
    EXPECT_EQ(keys.second, GetParam().otherUsage);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyMap, testing::ValuesIn(KEYS), [](const testing::TestParamInfo<KeyCase>& info) {
        char name[16];
        std::snprintf(name, sizeof(name), "VirtualKey%02X", info.param.virtualKey);
        return std::string(name);
    });

TEST(KeyMapTable, NoTwoVirtualKeysShareAKeyButTheGenericModifiers)
{
    std::map<int, int> owner;
    for (int key = 0; key < 256; ++key) {
        if (key >= 0x10 && key <= 0x12)
            continue;  // VK_SHIFT, VK_CONTROL, VK_MENU stand for a left and a right key
        const layer::KeyScancodes keys = layer::ScancodesForVirtualKey(key);
        for (int scancode : {keys.first, keys.second}) {
            if (scancode == 0)
                continue;
            const auto [it, fresh] = owner.emplace(scancode, key);
            EXPECT_TRUE(fresh) << "virtual keys " << it->second << " and " << key
                               << " both name scancode " << scancode;
        }
    }
    EXPECT_GE(owner.size(), 5u + 26u + 10u + 12u);
}

TEST(KeyMapTable, CodesOutsideTheKeyboardNameNoKey)
{
    for (int key : {-1, 0, 256, 0x10000, 0xFF, 0x07}) {
        const layer::KeyScancodes keys = layer::ScancodesForVirtualKey(key);
        EXPECT_EQ(keys.first, 0) << key;
        EXPECT_EQ(keys.second, 0) << key;
    }
}

}  // namespace
