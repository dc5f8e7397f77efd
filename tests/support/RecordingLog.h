#ifndef VORM_TESTS_RECORDINGLOG_H
#define VORM_TESTS_RECORDINGLOG_H

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

// Call log shared by the recording renderer and every resource and effect it
// hands out; resources may outlive the renderer, so the log is shared.
typedef std::vector<std::string> RecordingLogLines;
typedef boost::shared_ptr<RecordingLogLines> RecordingLog;

#endif
