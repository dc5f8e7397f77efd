#ifndef VORM_CORE_UTIL_TSINGLETON_H
#define VORM_CORE_UTIL_TSINGLETON_H

#include "Core/Util/Assert.h"

#include <cstddef>
#include <cstdint>

// Process-wide object registration: a class derives from TSingleton<itself>
// and constructing it makes it the instance.
template <class T>
class TSingleton
{
public:
    TSingleton()
    {
        VORM_ASSERT((!s_instance) && "TSingleton - Can´t create another Instance of Class!");
        // Where this base sits inside T, found on a dummy address: the T
        // under construction must not be cast to yet (its vptr isn't set).
        T* const probe = reinterpret_cast<T*>(std::uintptr_t(0x10000));
        const std::ptrdiff_t offset =
            reinterpret_cast<char*>(probe) - reinterpret_cast<char*>(static_cast<TSingleton*>(probe));
        s_instance = reinterpret_cast<T*>(reinterpret_cast<char*>(this) + offset);
    }

    ~TSingleton()
    {
        VORM_ASSERT(s_instance);
        s_instance = nullptr;
    }

    static T* Instance()
    {
        VORM_ASSERT(s_instance);
        return s_instance;
    }

private:
    static T* s_instance;
};

template <class T>
T* TSingleton<T>::s_instance = nullptr;

#endif
