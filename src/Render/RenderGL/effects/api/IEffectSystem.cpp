#include "RenderGL/effects/api/IEffectSystem.h"

namespace Vorm {

IEffectSystem::IEffectSystem()
{
}

IEffectSystem::~IEffectSystem()
{
}

void IEffectSystem::SetEffectPath(const std::string& folder)
{
    m_effectPath = folder;
    // An empty folder stays empty: names are then used as given.
    if (!m_effectPath.empty()) {
        const char last = m_effectPath[m_effectPath.size() - 1];
        if (last != '/' && last != '\\')
            m_effectPath += "/";
    }
    OnSetPath(m_effectPath);
}

boost::shared_ptr<ApiEffect> IEffectSystem::GetEffect(const std::string& name, std::string* error)
{
    std::map<std::string, boost::shared_ptr<ApiEffect>>::const_iterator it = m_effects.find(name);
    if (it != m_effects.end())
        return it->second;

    std::string reason;
    boost::shared_ptr<ApiEffect> effect = OnCreateEffect(m_effectPath + name, reason);
    if (!effect && error)
        *error = reason;
    // A failed load is not cached: the next request tries the file again.
    if (effect)
        m_effects.insert(std::make_pair(name, effect));
    return effect;
}

} // namespace Vorm
