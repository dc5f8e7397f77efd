#ifndef VORM_RENDERGL_IEFFECTSYSTEM_H
#define VORM_RENDERGL_IEFFECTSYSTEM_H

#include "Core/Rendering/ApiEffect.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

namespace Vorm {

// API-independent part of the effect system: the effect folder and the cache
// of loaded effects by the name they were asked for.
class IEffectSystem
{
public:
    IEffectSystem();
    virtual ~IEffectSystem();

    // Stores the folder with a trailing separator; the folder must not be empty.
    void SetEffectPath(const std::string& folder);
    const std::string& GetEffectPath() const { return m_effectPath; }

    // Cached program of the effect file `name` (relative to the folder), or
    // a new one; empty when loading fails (a failure is not cached), and
    // `error`, when given, then says which file is at fault and why.
    boost::shared_ptr<ApiEffect> GetEffect(const std::string& name, std::string* error = nullptr);
    size_t GetCachedEffectCount() const { return m_effects.size(); }

protected:
    virtual bool OnSetPath(const std::string& folder) = 0;
    // Empty on failure, with the reason (naming the file) in `error`.
    virtual boost::shared_ptr<ApiEffect> OnCreateEffect(const std::string& path, std::string& error) = 0;

private:
    IEffectSystem(const IEffectSystem&) = delete;
    IEffectSystem& operator=(const IEffectSystem&) = delete;

    std::string m_effectPath;
    std::map<std::string, boost::shared_ptr<ApiEffect>> m_effects;
};

} // namespace Vorm

#endif
