#ifndef VORM_TESTS_RECORDINGLOG_H
#define VORM_TESTS_RECORDINGLOG_H

#include <boost/shared_ptr.hpp>

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

#endif
