// The module's resources on the layer: found by name, ignoring case, or by
// number, of the type asked for, and only until the test's reset.
#include "tests/layer/layer_fixture.h"

#include <string>
#include <vector>

namespace layertest {
namespace {

class Resources : public LayerTest { };

std::vector<uint8_t> ResourceBytes(LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(GetModuleHandleA(nullptr), name, type);
    if (found == nullptr)
        return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<uint8_t>(data, data + SizeofResource(nullptr, found));
}

TEST_F(Resources, FoundByNameIgnoringCaseOrByIdUntilReset)
{
    test::RegisterResource("Test_Bitmap", RT_BITMAP, {1, 2, 3, 4, 5});
    test::RegisterResource(MAKEINTRESOURCE(101), RT_BITMAP, {9, 8});
    test::RegisterResource("NOTES", "TEXTFILE", {7});
    struct Row {
        LPCSTR name, type;
        std::vector<uint8_t> expected;  // empty: not found
    };
    for (const Row& row : {Row{"TEST_BITMAP", RT_BITMAP, {1, 2, 3, 4, 5}},
             {"test_bitmap", RT_BITMAP, {1, 2, 3, 4, 5}}, {"Test_Bitmap2", RT_BITMAP, {}},
             {"Test_Bitmap", MAKEINTRESOURCE(3), {}}, {MAKEINTRESOURCE(101), RT_BITMAP, {9, 8}},
             {"#101", RT_BITMAP, {9, 8}}, {"101", RT_BITMAP, {}},
             {MAKEINTRESOURCE(102), RT_BITMAP, {}}, {"notes", "TextFile", {7}},
             {nullptr, RT_BITMAP, {}}})
        EXPECT_EQ(ResourceBytes(row.name, row.type), row.expected)
            << (IS_INTRESOURCE(row.name) ? "a number" : row.name);
    // Only this module's resources, and only with a name and a type.
    const HRSRC found = FindResourceA(nullptr, "TEST_BITMAP", RT_BITMAP);
    const HMODULE other = reinterpret_cast<HMODULE>(uintptr_t{0x7000000});
    EXPECT_FALSE(!found || LoadResource(other, found) || SizeofResource(other, found)
        || LoadResource(nullptr, nullptr) || SizeofResource(nullptr, nullptr)
        || GetModuleHandleA("other.dll") || FindResourceA(nullptr, "TEST_BITMAP", nullptr));
    test::ResetLayer();
    EXPECT_EQ(ResourceBytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{})
        << "a test's resources end with the reset";
}

}  // namespace
}  // namespace layertest
