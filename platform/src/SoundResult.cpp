#include "Platform/SoundResult.h"

#include "SoundState.h"

#include <string>

namespace Win32 {
namespace {

bool g_outputOpen = false;
std::string g_lastError[SOUND_ERR_INVALID_HANDLE + 1];

} // namespace

bool SoundOutputOpen()
{
    return g_outputOpen;
}

void SetSoundOutputOpen(bool open)
{
    g_outputOpen = open;
}

SOUND_RESULT SoundFailure(SOUND_RESULT result, const char* text)
{
    g_lastError[result] = text && *text ? text : "unknown sound error";
    return result;
}

const char* SoundErrorString(SOUND_RESULT result)
{
    if (result < SOUND_OK || result > SOUND_ERR_INVALID_HANDLE)
        return "unknown sound result";
    if (result == SOUND_OK)
        return "no error";
    return g_lastError[result].empty() ? "unknown sound error" : g_lastError[result].c_str();
}

} // namespace Win32
