#ifndef VORM_TESTS_RECORDINGLOG_H
#define VORM_TESTS_RECORDINGLOG_H

#include <boost/shared_ptr.hpp>

#include "Core/Rendering/BufferData.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// Call log shared by the recording renderer and every resource and effect it
// hands out; resources may outlive the renderer, so the log is shared.
typedef std::vector<std::string> RecordingLogLines;
typedef boost::shared_ptr<RecordingLogLines> RecordingLog;

// One log line: the call's name and its arguments, separated by blanks.
template <typename... Args>
std::string LogEntry(const std::string& name, const Args&... args)
{
    std::ostringstream s;
    s << name;
    ((s << ' ' << args), ...);
    return s.str();
}

// A copy of the bytes a BufferData points to (empty without data).
inline std::vector<std::uint8_t> CopyBytes(const Vorm::BufferData& data)
{
    const std::uint8_t* p = static_cast<const std::uint8_t*>(data.m_pData);
    return p ? std::vector<std::uint8_t>(p, p + data.m_size) : std::vector<std::uint8_t>();
}

// The bytes a recording buffer kept, as records of T.
template <typename T>
std::vector<T> Records(const std::vector<std::uint8_t>& bytes)
{
    std::vector<T> out(bytes.size() / sizeof(T));
    if (!out.empty())
        std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

#endif
