#ifndef VORM_CORE_RENDERING_APIEFFECT_H
#define VORM_CORE_RENDERING_APIEFFECT_H

#include "Core/Math/Matrix44.h"
#include "Core/Rendering/VertexFormat.h"

#include <map>
#include <string>

namespace Vorm {

// The renderer's interface to one program on the graphics API. The plain
// class does nothing; the renderer uses one as its null effect until a real
// program is set.
class ApiEffect
{
public:
    ApiEffect() {}
    // Virtual: programs are released through boost::shared_ptr<ApiEffect>.
    virtual ~ApiEffect();

    virtual void Enable();
    virtual void Disable();
    virtual bool IsEnabled() const;
    // The pointers are kept, not copied: the matrices must outlive their use.
    virtual void SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection);
    virtual void UpdateVertexDataBinding(const std::map<std::string, VertexAttribute>& attributes);
    virtual void SetModelMatrix(const Matrix44<float>& model);
};

} // namespace Vorm

#endif
