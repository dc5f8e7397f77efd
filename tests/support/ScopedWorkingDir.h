// Runs a test or benchmark from another folder (created when missing) and
// returns to the old one when it goes: the demo finds its data at ../data/.
#ifndef VORM_TESTS_SCOPEDWORKINGDIR_H
#define VORM_TESTS_SCOPEDWORKINGDIR_H

#include <filesystem>
#include <string>

class ScopedWorkingDir
{
public:
    explicit ScopedWorkingDir(const std::string& dir) : m_old(std::filesystem::current_path())
    {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::filesystem::current_path(dir, ec);
        m_ok = !ec;
    }
    ~ScopedWorkingDir()
    {
        std::error_code ec;
        std::filesystem::current_path(m_old, ec);
    }
    ScopedWorkingDir(const ScopedWorkingDir&) = delete;
    ScopedWorkingDir& operator=(const ScopedWorkingDir&) = delete;

    bool Ok() const { return m_ok; }

private:
    std::filesystem::path m_old;
    bool m_ok = false;
};

#endif
