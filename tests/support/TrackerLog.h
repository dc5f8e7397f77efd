#ifndef VORM_TESTS_TRACKERLOG_H
#define VORM_TESTS_TRACKERLOG_H

#include "TempFolder.h"

#include "Core/Memory/MemTracker.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Runs f with every tracker operation logged, in a temporary working folder,
// and returns the "memory.log" it wrote.
template <typename F>
std::string TrackerLogOf(F f)
{
    TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Dir());
    Vorm::MemTracker::AlwaysLogAll() = true;
    f();
    Vorm::MemTracker::AlwaysLogAll() = false;
    std::filesystem::current_path(previous);
    std::ifstream in(folder.Path("memory.log"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#endif
