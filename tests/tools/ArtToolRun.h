#pragma once
// Runs the real kestrin-art program, as the build does, into scratch directories.

#include <filesystem>
#include <string>
#include <vector>

namespace kestrin::art::test {

// A fresh, empty directory under the build tree, removed again when the object dies.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The name of the running test, unique within the test program.
std::string CurrentTestName();

// Runs the tool with these arguments and tells whether it reported success.
bool RunArtTool(const std::vector<std::string>& arguments);

}  // namespace kestrin::art::test
