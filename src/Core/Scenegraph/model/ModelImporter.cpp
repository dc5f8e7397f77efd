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

boost::shared_ptr<Model> ModelImporter::Load(int loaderType, const std::string& name, std::string* error)
{
    if (loaderType != eLoader_OgreXml) {
        if (error)
            *error = "no loader of type " + std::to_string(loaderType);
        return boost::shared_ptr<Model>();
    }
    OgreXmlModelLoader loader;
    boost::shared_ptr<Model> model = loader.LoadFromFile(m_path, name);
    if (!model && error)
        *error = loader.GetError();
    return model;
}

} // namespace Vorm
