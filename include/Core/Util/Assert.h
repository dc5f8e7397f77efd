#ifndef VORM_CORE_UTIL_ASSERT_H
#define VORM_CORE_UTIL_ASSERT_H

// Engine assertions. A failed assertion reports its condition text (which
// carries the message, e.g. `ptr && "Can not load X"`) through the installed
// handler. The default handler prints to stderr; in builds without NDEBUG it
// then aborts, with NDEBUG it returns and the code carries on as if the
// condition held. Tests install a recording handler to observe failures.
namespace Vorm {

typedef void (*AssertHandler)(const char* condition, const char* file, int line);

// Installs a handler (null restores the default); returns the previous one.
AssertHandler SetAssertHandler(AssertHandler handler);
void AssertFailed(const char* condition, const char* file, int line);

} // namespace Vorm

#define VORM_ASSERT(cond) \
    ((cond) ? (void)0 : ::Vorm::AssertFailed(#cond, __FILE__, __LINE__))

#endif
