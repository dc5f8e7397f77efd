#include "Core/Rendering/ResourceMap.h"

#include "Core/File/File.h"
#include "Core/Rendering/ITexture.h"

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
    return File::Resolve(m_folder + name);
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
