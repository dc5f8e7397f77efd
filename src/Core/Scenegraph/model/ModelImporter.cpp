#include "Core/Scenegraph/model/ModelImporter.h"

#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

namespace Vorm {

ModelImporter::ModelImporter()
{
}

ModelImporter::~ModelImporter()
{
}

void ModelImporter::SetPath(const std::string& path)
{
    m_path = path;
}

boost::shared_ptr<Model> ModelImporter::Load(int loaderType, const std::string& name)
{
    if (loaderType != eLoader_OgreXml)
        return boost::shared_ptr<Model>();
    OgreXmlModelLoader loader;
    return loader.LoadFromFile(m_path, name);
}

} // namespace Vorm
