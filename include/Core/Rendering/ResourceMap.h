#ifndef VORM_CORE_RENDERING_RESOURCEMAP_H
#define VORM_CORE_RENDERING_RESOURCEMAP_H

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

namespace Vorm {

class ITexture;

// Texture cache keyed by file, so that each texture file loads once. Names
// are relative to the texture folder and are known by the path the file
// system resolves them to: "./a.png", "b/../a.png" and a link to a.png are
// one file.
class ResourceMap
{
public:
    // `folder` is the renderer's texture folder, read at each call.
    explicit ResourceMap(const std::string& folder);
    ~ResourceMap();

    // Keeps the first texture stored for a file; answers false for a file
    // already present under any spelling.
    bool Add(const std::string& name, boost::shared_ptr<ITexture> texture);
    // Empty when the file is absent.
    boost::shared_ptr<ITexture> Find(const std::string& name) const;

    // The key of a name: the folder and the name as one path, as the file
    // system resolves it.
    std::string Resolve(const std::string& name) const;

private:
    ResourceMap(const ResourceMap&);
    ResourceMap& operator=(const ResourceMap&);

    const std::string& m_folder;
    std::map<std::string, boost::shared_ptr<ITexture> > m_textures;
};

} // namespace Vorm

#endif
