#ifndef VORM_PLATFORM_SOUNDRESULT_H
#define VORM_PLATFORM_SOUNDRESULT_H

// Results of the sound calls and the text that explains a failure.
namespace Win32 {

enum SOUND_RESULT
{
    SOUND_OK = 0,
    SOUND_ERR_INIT,            // the sound system could not start
    SOUND_ERR_NOT_READY,       // used before Init succeeded, or after Close
    SOUND_ERR_FILE,            // a sound file could not be read or decoded
    SOUND_ERR_INVALID_PARAM,   // a null sound or output pointer
    SOUND_ERR_NO_CHANNEL,      // every channel is busy
    SOUND_ERR_INVALID_HANDLE   // a channel that plays nothing any more
};

// The mixer's own text for the latest failure with this result.
const char* SoundErrorString(SOUND_RESULT result);

} // namespace Win32

#endif
