#include "Core/Rendering/ResourceMap.h"

#include "Core/Rendering/ITexture.h"

#include <filesystem>
#include <system_error>

namespace Vorm {

ResourceMap::ResourceMap(const std::string& folder)
    : m_folder(folder)
{
}

ResourceMap::~ResourceMap()
{
}

std::string ResourceMap::Resolve(const std::string& name) const
{
    namespace fs = std::filesystem;
    const fs::path path(m_folder + name);
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    if (!ec)
        return resolved.string();
    // A path the system cannot resolve (too long, a loop of links) is still
    // one key however its dots and slashes are written.
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal().string();
}

bool ResourceMap::Add(const std::string& name, boost::shared_ptr<ITexture> texture)
{
    return m_textures.insert(std::make_pair(Resolve(name), texture)).second;
}

boost::shared_ptr<ITexture> ResourceMap::Find(const std::string& name) const
{
    std::map<std::string, boost::shared_ptr<ITexture> >::const_iterator it = m_textures.find(Resolve(name));
    if (it == m_textures.end())
        return boost::shared_ptr<ITexture>();
    return it->second;
}

} // namespace Vorm
