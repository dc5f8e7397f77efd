#ifndef VORM_CORE_RENDERING_RESOURCEMAP_H
#define VORM_CORE_RENDERING_RESOURCEMAP_H

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

namespace Vorm {

class ITexture;

// Texture cache keyed by file name, so that each texture file loads once.
class ResourceMap
{
public:
    ResourceMap();
    ~ResourceMap();

    // Keeps the first texture stored under a name; answers false for a
    // name already present.
    bool Add(const std::string& name, boost::shared_ptr<ITexture> texture);
    // Empty when the name is absent.
    boost::shared_ptr<ITexture> Find(const std::string& name) const;

private:
    std::map<std::string, boost::shared_ptr<ITexture> > m_textures;
};

} // namespace Vorm

#endif
