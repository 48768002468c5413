// Writes a generated file whole, replacing what was there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tilegen {

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace tilegen
