#include "Core/Scenegraph/Model.h"

namespace Vorm {

Model::Model()
{
}

Model::~Model()
{
}

} // namespace Vorm
