#ifndef VORM_CORE_SCENEGRAPH_MODEL_H
#define VORM_CORE_SCENEGRAPH_MODEL_H

#include "Core/Scenegraph/Node.h"

namespace Vorm {

// Root of a loaded model.
class Model : public Node
{
public:
    Model();
    virtual ~Model();
};

} // namespace Vorm

#endif
