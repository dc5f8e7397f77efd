#ifndef VORM_RENDERGL_GLSLPROGRAM_H
#define VORM_RENDERGL_GLSLPROGRAM_H

#include "Core/Math/Matrix44.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/VertexFormat.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParamSortPair.h"
#include "RenderGL/effects/api/glsl/GLSLVertexParam.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

namespace Vorm {

class GLSLShader;

// One GL program object with its vertex array object. Each link reads back
// the active vertex inputs and uniforms; SetModelMatrix uploads the automatic
// matrix uniforms ("Matrix_M", "Matrix_MVP", ...) that the shaders declare.
class GLSLProgram : public ApiEffect
{
public:
    GLSLProgram();
    ~GLSLProgram();

    GLSLProgram(const GLSLProgram&) = delete;
    GLSLProgram& operator=(const GLSLProgram&) = delete;

    // Keeps the shader alive with the program and attaches it.
    void AttachShader(boost::shared_ptr<GLSLShader> shader);
    // false: the driver's link log (or the reason no link was tried) in `log`;
    // the reflection data of the previous link stays.
    bool Link(std::string& log);

    // Lookup by name in the latest link. An array uniform is found by the name
    // the driver reports ("v[0]") and by its plain name ("v").
    bool GetUniform(const std::string& name, GLSLUniformParam& out) const;
    bool GetUniforms(std::vector<GLSLUniformParam>& out,
                     const std::vector<GLSLUniformParamSortPair>* requests) const;

    void Enable() override;
    void Disable() override;
    bool IsEnabled() const override;
    // Keeps the pointers (not copies); the caller's matrices must outlive them.
    void SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection) override;
    // Points every active input at the vertex attribute of the same name in
    // the buffer bound to GL_ARRAY_BUFFER. The program must be current.
    void UpdateVertexDataBinding(const std::map<std::string, VertexAttribute>& attributes) override;
    // The first active input that UpdateVertexDataBinding with these
    // attributes would assert on (none of its name, or another type or
    // size); null when they feed every input. Inputs the attributes have
    // and the program does not read are no fault.
    const GLSLVertexParam* FindUnfedInput(const std::map<std::string, VertexAttribute>& attributes) const;
    void SetModelMatrix(const Matrix44<float>& model) override;

    // Link-version registry: links of one program are numbered 0, 1, 2, ...
    static int NextLinkVersion(int uid);
    static bool IsLinkVersionCurrent(int uid, int version);
    static GLSLProgram* GetCurrent();

    int GetUid() const { return m_uid; }
    unsigned GetHandle() const { return m_program; }
    unsigned GetVertexArray() const { return m_vertexArray; }
    const std::vector<boost::shared_ptr<GLSLShader>>& GetShaders() const { return m_shaders; }
    const std::vector<GLSLVertexParam>& GetAttributes() const { return m_attributes; }
    const std::map<std::string, GLSLUniformParam>& GetUniformMap() const { return m_uniforms; }

private:
    const GLSLUniformParam* FindUniform(const std::string& name) const;

    int m_uid;
    unsigned m_program;
    unsigned m_vertexArray;
    std::vector<boost::shared_ptr<GLSLShader>> m_shaders;
    std::vector<GLSLVertexParam> m_attributes;
    std::map<std::string, GLSLUniformParam> m_uniforms;

    GLSLUniformParam m_matM;
    GLSLUniformParam m_matMV;
    GLSLUniformParam m_matMVI;
    GLSLUniformParam m_matMVT;
    GLSLUniformParam m_matP;
    GLSLUniformParam m_matPI;
    GLSLUniformParam m_matPT;
    GLSLUniformParam m_matMVP;
    GLSLUniformParam m_matMVPI;
    GLSLUniformParam m_matMVPT;

    const Matrix44<float>* m_pView;
    const Matrix44<float>* m_pProjection;
    Matrix44<float> m_model;
    Matrix44<float> m_modelView;
    Matrix44<float> m_modelViewProjection;
    // A shader without a GL object (type unsupported by the context) was
    // attached: linking would silently drop that stage.
    bool m_bMissingShader;

    static GLSLProgram* s_pCurrent;
    static int s_programCounter;
};

} // namespace Vorm

#endif
