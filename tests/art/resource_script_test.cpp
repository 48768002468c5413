// The one resource script: the Windows build compiles it and the Linux build
// embeds what it names, so its list decides what the program can load.
#include "art/tile_files.h"

#include <gtest/gtest.h>
#include <set>

namespace art {
namespace {

TEST(ResourceScript, NamesTheTwelveTilesInTileIndexOrder)
{
    const ResourceScript script = ReadResourceScript();
    ASSERT_EQ(script.bitmaps.size(), size_t(TILE_COUNT));
    for (int i = 0; i < TILE_COUNT; ++i) {
        // No leading zero, and two digits from TILE10 on.
        EXPECT_EQ(script.bitmaps[i].name, "TILE" + std::to_string(i + 1)) << "entry " << i;
    }
}

TEST(ResourceScript, EveryNameHasItsOwnExistingFile)
{
    const ResourceScript script = ReadResourceScript();
    std::set<std::string> files;
    for (const ScriptEntry& entry : script.bitmaps) {
        EXPECT_TRUE(std::filesystem::is_regular_file(ResourcesDir() / entry.file))
            << entry.name << ": " << entry.file;
        EXPECT_TRUE(files.insert(entry.file).second) << entry.file << " named twice";
    }
}

TEST(ResourceScript, PutsEveryBitmapInUsEnglish)
{
    const ResourceScript script = ReadResourceScript();
    // One statement, ahead of all bitmaps, so it covers each of them: 1033.
    EXPECT_EQ(script.languageStatements, 1);
    EXPECT_TRUE(script.languageBeforeBitmaps);
    EXPECT_TRUE(script.language == "9,1" || script.language == "LANG_ENGLISH,SUBLANG_ENGLISH_US")
        << script.language;
}

}  // namespace
}  // namespace art
