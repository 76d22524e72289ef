#pragma once
// Writes every picture the program embeds as a resource.

#include <filesystem>

namespace kestrin::art {

// Creates `directory` if needed; throws std::runtime_error when a file cannot be written.
void WriteArtFiles(const std::filesystem::path& directory);

}  // namespace kestrin::art
