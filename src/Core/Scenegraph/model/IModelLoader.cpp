#include "Core/Scenegraph/model/IModelLoader.h"

namespace Vorm {

IModelLoader::~IModelLoader()
{
}

} // namespace Vorm
