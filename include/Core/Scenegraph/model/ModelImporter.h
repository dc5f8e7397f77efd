#ifndef VORM_CORE_SCENEGRAPH_MODEL_MODELIMPORTER_H
#define VORM_CORE_SCENEGRAPH_MODEL_MODELIMPORTER_H

#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class Model;

// Facade over the model loaders: picks one by type and loads a named model
// from the folder set with SetPath.
class ModelImporter
{
public:
    enum LoaderType
    {
        eLoader_OgreXml = 0
    };

    ModelImporter();
    ~ModelImporter();

    // Used as a plain prefix of file names, so it ends with a separator.
    void SetPath(const std::string& path);
    const std::string& GetPath() const { return m_path; }

    // Empty for an unknown loader type or a model that does not load;
    // `error`, when given, then says which file is at fault and why.
    boost::shared_ptr<Model> Load(int loaderType, const std::string& name, std::string* error = nullptr);

private:
    std::string m_path;
};

} // namespace Vorm

#endif
