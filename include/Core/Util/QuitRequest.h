#ifndef VORM_CORE_UTIL_QUITREQUEST_H
#define VORM_CORE_UTIL_QUITREQUEST_H

// Whether the program has been asked to end (its window closed, SIGTERM).
// The core cannot see the message queue that knows: the application layer
// registers the question. Loaders ask it between files, so that a quit
// during a long load does not wait for the whole scene.
namespace Vorm {

class QuitRequest
{
public:
    typedef bool (*Probe)();

    // Null: a quit is never pending.
    static void Register(Probe probe) { s_probe = probe; }
    static bool IsPending() { return s_probe && s_probe(); }

private:
    static inline Probe s_probe = nullptr;
};

} // namespace Vorm

#endif
