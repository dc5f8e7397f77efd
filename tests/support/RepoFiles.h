// Paths to the repository's own files, and copies of the shipped effects
// for tests and benchmarks that may change or remove some of them.
#ifndef VORM_TESTS_REPOFILES_H
#define VORM_TESTS_REPOFILES_H

#include "TempFolder.h"

#include <filesystem>
#include <string>

// A path below the repository, for the shipped shaders and the test scenes.
inline std::string RepoPath(const std::string& relative)
{
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / relative).string();
}

// Copies every file of data/effects (effect files and shaders) into `folder`.
inline void CopyShippedEffects(const TempFolder& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(RepoPath("data/effects")))
        std::filesystem::copy_file(entry.path(), folder.Path(entry.path().filename().string()),
                                   std::filesystem::copy_options::overwrite_existing);
}

#endif
