// The module's resources, the legacy file calls and the debugger output.
#include "layer_fixture.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace layertest {
namespace {

class Resources : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer();
        test::RegisterResource("Test_Bitmap", RT_BITMAP, {1, 2, 3, 4, 5});
        test::RegisterResource(MAKEINTRESOURCE(101), RT_BITMAP, {9, 8});
        test::RegisterResource("NOTES", "TEXTFILE", {7});
    }
    void TearDown() override
    {
        test::ResetLayer();
    }

    static std::vector<uint8_t> Bytes(LPCSTR name, LPCSTR type)
    {
        HRSRC found = FindResourceA(nullptr, name, type);
        if (found == nullptr)
            return {};
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
        return std::vector<uint8_t>(data, data + SizeofResource(nullptr, found));
    }
};

struct LookupRow {
    const char* label;
    LPCSTR name;
    LPCSTR type;
    std::vector<uint8_t> expected;  // empty: not found
};

TEST_F(Resources, LookUpByNameIgnoringCaseAndByIntegerId)
{
    const LookupRow rows[] = {
        {"same case", "Test_Bitmap", RT_BITMAP, {1, 2, 3, 4, 5}},
        {"upper case", "TEST_BITMAP", RT_BITMAP, {1, 2, 3, 4, 5}},
        {"lower case", "test_bitmap", RT_BITMAP, {1, 2, 3, 4, 5}},
        {"a longer name", "Test_Bitmap2", RT_BITMAP, {}},
        {"another type", "Test_Bitmap", MAKEINTRESOURCE(3), {}},
        {"integer id", MAKEINTRESOURCE(101), RT_BITMAP, {9, 8}},
        {"id written out", "#101", RT_BITMAP, {9, 8}},
        {"other id", MAKEINTRESOURCE(102), RT_BITMAP, {}},
        {"id is not its digits", "101", RT_BITMAP, {}},
        {"string type ignoring case", "notes", "TextFile", {7}},
    };
    for (const LookupRow& row : rows)
        EXPECT_EQ(Bytes(row.name, row.type), row.expected) << row.label;
}

TEST_F(Resources, OnlyTheRunningModulesAreServed)
{
    HMODULE module = GetModuleHandleA(nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceA(module, "TEST_BITMAP", RT_BITMAP), nullptr);
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(uintptr_t{0x7000}), "TEST_BITMAP", RT_BITMAP),
        nullptr);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(uintptr_t{0x55})), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(FindResourceA(nullptr, nullptr, RT_BITMAP), nullptr);
}

TEST_F(Resources, RemovedAndReplacedUntilReset)
{
    test::RemoveResource("TEST_BITMAP", RT_BITMAP);
    EXPECT_EQ(FindResourceA(nullptr, "Test_Bitmap", RT_BITMAP), nullptr);
    test::RegisterResource("test_bitmap", RT_BITMAP, {42});
    EXPECT_EQ(Bytes("Test_Bitmap", RT_BITMAP), std::vector<uint8_t>{42});
    test::ResetLayer();
    EXPECT_EQ(FindResourceA(nullptr, "Test_Bitmap", RT_BITMAP), nullptr)
        << "a test's resources end with the reset";
}

class Files : public testing::Test {
protected:
    void SetUp() override
    {
        test::ResetLayer();
        char name[] = "/tmp/layer_files_XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        path = name;
        for (int i = 0; i < 100; ++i)
            content.push_back(static_cast<uint8_t>(i * 3));
        ASSERT_EQ(write(fd, content.data(), content.size()), 100);
        close(fd);
    }
    void TearDown() override
    {
        test::ResetLayer();
        std::remove(path.c_str());
    }
    std::string path;
    std::vector<uint8_t> content;
};

TEST_F(Files, ReadsInSequenceAndShortAtTheEnd)
{
    HFILE file = _lopen(path.c_str(), OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    const UINT sizes[] = {14, 40, 1024, 10};
    const UINT expected[] = {14, 40, 46, 0};
    size_t offset = 0;
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> buffer(sizes[i], 0xEE);
        ASSERT_EQ(_lread(file, buffer.data(), sizes[i]), expected[i]) << i;
        for (UINT k = 0; k < expected[i]; ++k)
            ASSERT_EQ(buffer[k], content[offset + k]) << i << ":" << k;
        for (UINT k = expected[i]; k < sizes[i]; ++k)
            ASSERT_EQ(buffer[k], 0xEE) << "nothing written past what was read";
        offset += expected[i];
    }
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(_lclose(file), HFILE_ERROR) << "closed twice";
    char byte;
    EXPECT_EQ(_lread(file, &byte, 1), static_cast<UINT>(HFILE_ERROR));
}

TEST_F(Files, RefusesWhatCannotBeOpenedForReading)
{
    EXPECT_EQ(_lopen("/nonexistent/file.bmp", OF_READ), HFILE_ERROR);
    EXPECT_EQ(_lopen("/tmp", OF_READ), HFILE_ERROR) << "a directory";
    EXPECT_EQ(_lopen(nullptr, OF_READ), HFILE_ERROR);
    testing::internal::CaptureStderr();
    EXPECT_EQ(_lopen(path.c_str(), 1), HFILE_ERROR) << "OF_WRITE";
    testing::internal::GetCapturedStderr();
    char byte;
    EXPECT_EQ(_lread(2, &byte, 1), static_cast<UINT>(HFILE_ERROR))
        << "a descriptor the calls did not open";
    EXPECT_EQ(_lclose(2), HFILE_ERROR);
}

TEST(DebugOutput, GoesToStandardErrorAndIsCaptured)
{
    test::ResetLayer();
    testing::internal::CaptureStderr();
    OutputDebugStringA("handle is null\n");
    OutputDebugStringA(nullptr);
    OutputDebugStringA("ddcopybitmap failed\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "handle is null\nddcopybitmap failed\n");
    EXPECT_EQ(test::TakeDebugOutput(), "handle is null\nddcopybitmap failed\n");
    EXPECT_EQ(test::TakeDebugOutput(), "");
    OutputDebugStringA("x\n");
    test::ResetLayer();
    EXPECT_EQ(test::TakeDebugOutput(), "");
}

}  // namespace
}  // namespace layertest
