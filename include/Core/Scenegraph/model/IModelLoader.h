#ifndef VORM_CORE_SCENEGRAPH_MODEL_IMODELLOADER_H
#define VORM_CORE_SCENEGRAPH_MODEL_IMODELLOADER_H

#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class Model;

// Reads a model (a scene graph under one Model root) from files.
class IModelLoader
{
public:
    virtual ~IModelLoader();

    // `path` is the folder (ending in a separator), `name` the model's base
    // name. Empty on failure.
    virtual boost::shared_ptr<Model> LoadFromFile(const std::string& path, const std::string& name) = 0;
};

} // namespace Vorm

#endif
