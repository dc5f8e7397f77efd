#include "AssertRecorder.h"

#include <algorithm>

namespace {
std::vector<std::string> g_failures;

void Record(const char* condition, const char*, int)
{
    g_failures.push_back(condition);
}
} // namespace

AssertRecorder::AssertRecorder() : m_previous(Vorm::SetAssertHandler(Record))
{
    g_failures.clear();
}

AssertRecorder::~AssertRecorder()
{
    Vorm::SetAssertHandler(m_previous);
    g_failures.clear();
}

const std::vector<std::string>& AssertRecorder::Failures() const { return g_failures; }

bool AssertRecorder::Saw(const std::string& conditionText) const
{
    return std::find(g_failures.begin(), g_failures.end(), conditionText) != g_failures.end();
}

void AssertRecorder::Clear() { g_failures.clear(); }
