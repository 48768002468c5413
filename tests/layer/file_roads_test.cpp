// The two ways the layer opens a named file, _lopen and LoadImageA from a
// file, take regular files only: anything else is refused at once with one
// line, never waited on (a FIFO with no writer would block an open for ever).
#include "tests/layer/layer_fixture.h"
#include "tests/support/bmp_bytes.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace layertest {
namespace {

class FileRoads : public LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        char folder[] = "/tmp/file_roads_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        dir = folder;
        fifo = dir + "/pipe.bmp";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    }
    void TearDown() override
    {
        unlink(fifo.c_str());
        rmdir(dir.c_str());
        LayerTest::TearDown();
    }

    std::string dir, fifo;
};

struct Road {
    const char* name;
    bool (*opened)(const char* path);  // true when the call gave a file or bitmap
};

const Road ROADS[] = {
    {"_lopen",
        [](const char* path) {
            const HFILE file = _lopen(path, OF_READ);
            return file != HFILE_ERROR && _lclose(file) == 0;
        }},
    {"LoadImageA",
        [](const char* path) {
            HANDLE image = LoadImageA(
                nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
            if (image != nullptr)
                DeleteObject(image);
            return image != nullptr;
        }},
};

TEST_F(FileRoads, TakeRegularFilesAndGiveThemBackAndRefuseTheRestAtOnce)
{
    for (const Road& road : ROADS) {
        for (const std::string& path : {fifo, dir}) {
            testing::internal::CaptureStderr();
            // Run in a thread so that a blocking open fails the test instead
            // of hanging the suite; the deadline only guards against a hang.
            auto call = std::async(std::launch::async, road.opened, path.c_str());
            if (call.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
                // Give the blocked open a writer, so that it returns.
                const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    close(writer);
                call.wait();
                testing::internal::GetCapturedStderr();
                ADD_FAILURE() << road.name << " blocked on " << path;
                continue;
            }
            EXPECT_FALSE(call.get()) << road.name << " opened " << path;
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                std::string("layer: ") + road.name + ": not a regular file\n")
                << road.name << " on " << path;
        }
        // A missing file is the ordinary "no such file": no line.
        testing::internal::CaptureStderr();
        EXPECT_FALSE(road.opened((dir + "/missing.bmp").c_str())) << road.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << road.name;
    }
    // A regular file opens by both roads, and each gives its descriptor back.
    const std::string tile = dir + "/tile.bmp";
    const std::vector<uint8_t> bytes = bmptest::Bmp24(
        2, 2, [](int x, int) { return x; }, true);
    std::ofstream(tile, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto descriptors
        = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
    for (const Road& road : ROADS)
        EXPECT_TRUE(road.opened(tile.c_str())) << road.name;
    EXPECT_EQ(descriptors(), before);
    unlink(tile.c_str());
}

}  // namespace
}  // namespace layertest
