#ifndef VORM_TESTS_ASSERTRECORDER_H
#define VORM_TESTS_ASSERTRECORDER_H

#include "Core/Util/Assert.h"

#include <string>
#include <vector>

// Records engine assertion failures instead of aborting, for the lifetime of
// the object, so tests can check that misuse is reported and survived.
class AssertRecorder
{
public:
    AssertRecorder();
    ~AssertRecorder();
    AssertRecorder(const AssertRecorder&) = delete;
    AssertRecorder& operator=(const AssertRecorder&) = delete;

    const std::vector<std::string>& Failures() const;
    bool Saw(const std::string& conditionText) const;
    void Clear();

private:
    Vorm::AssertHandler m_previous;
};

#endif
