#include "ArtToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestrin::art::test {

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

}  // namespace

ScratchDirectory::ScratchDirectory(const std::string& name)
    : path_(std::filesystem::path(KESTRIN_ART_SCRATCH) / name) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

bool RunArtTool(const std::vector<std::string>& arguments) {
    std::string command = Quoted(KESTRIN_ART_TOOL);
    for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
    return std::system(command.c_str()) == 0;
}

}  // namespace kestrin::art::test
