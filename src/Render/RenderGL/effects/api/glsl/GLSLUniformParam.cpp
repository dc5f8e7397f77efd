#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include "Core/Util/Assert.h"
#include "RenderGL/GLUtil.h"

#include <GL/glew.h>

namespace Vorm {

GLSLUniformParam::GLSLUniformParam()
    : m_uid(0), m_program(0), m_version(0), m_location(-1), m_type(0), m_size(0)
{
}

GLSLUniformParam::GLSLUniformParam(int uid, unsigned program, int version, int location,
                                   unsigned type, int size)
    : m_uid(uid), m_program(program), m_version(version), m_location(location), m_type(type),
      m_size(size)
{
}

bool GLSLUniformParam::IsMatrix() const
{
    const int t = static_cast<int>(m_type);
    return (t >= GL_FLOAT_MAT2 && t <= GL_FLOAT_MAT4) ||
           (t >= GL_FLOAT_MAT2x3 && t <= GL_FLOAT_MAT4x3);
}

bool GLSLUniformParam::IsTex() const
{
    const int t = static_cast<int>(m_type);
    return t >= GL_SAMPLER_1D && t <= GL_SAMPLER_2D_SHADOW;
}

bool GLSLUniformParam::IsArray(int& size) const
{
    size = m_size;
    return m_size > 1;
}

unsigned GLSLUniformParam::GetTypeInfo(unsigned& type, int& size) const
{
    type = m_type;
    unsigned info = IsMatrix() ? 2u : (IsTex() ? 4u : 1u);
    if (IsArray(size))
        info += 8u;
    return info;
}

// --- generic setters --------------------------------------------------------

namespace {

void UploadByType(unsigned type, int location, int count, const void* data)
{
    const GLfloat* f = static_cast<const GLfloat*>(data);
    const GLint* i = static_cast<const GLint*>(data);
    switch (type) {
    case GL_FLOAT:      glUniform1fv(location, count, f); break;
    case GL_FLOAT_VEC2: glUniform2fv(location, count, f); break;
    case GL_FLOAT_VEC3: glUniform3fv(location, count, f); break;
    case GL_FLOAT_VEC4: glUniform4fv(location, count, f); break;
    case GL_INT:
    case GL_BOOL:       glUniform1iv(location, count, i); break;
    case GL_INT_VEC2:
    case GL_BOOL_VEC2:  glUniform2iv(location, count, i); break;
    case GL_INT_VEC3:
    case GL_BOOL_VEC3:  glUniform3iv(location, count, i); break;
    case GL_INT_VEC4:
    case GL_BOOL_VEC4:  glUniform4iv(location, count, i); break;
    default: break;
    }
}

void UploadMatrixByType(unsigned type, int location, int count, bool transpose, const float* m)
{
    const GLboolean t = transpose ? GL_TRUE : GL_FALSE;
    switch (type) {
    case GL_FLOAT_MAT2: glUniformMatrix2fv(location, count, t, m); break;
    case GL_FLOAT_MAT3: glUniformMatrix3fv(location, count, t, m); break;
    case GL_FLOAT_MAT4: glUniformMatrix4fv(location, count, t, m); break;
    default: break;
    }
}

} // namespace

void GLSLUniformParam::SetValue(const void* data) const
{
    if (IsEmpty())
        return;
    UploadByType(m_type, m_location, 1, data);
}

void GLSLUniformParam::SetValueArray(const void* data) const
{
    if (IsEmpty())
        return;
    UploadByType(m_type, m_location, m_size, data);
}

void GLSLUniformParam::SetMatrixValue(const float* m, bool transpose) const
{
    if (IsEmpty())
        return;
    UploadMatrixByType(m_type, m_location, 1, transpose, m);
}

void GLSLUniformParam::SetMatrixValueArray(const float* m, bool transpose) const
{
    if (IsEmpty())
        return;
    UploadMatrixByType(m_type, m_location, m_size, transpose, m);
}

void GLSLUniformParam::SetTextureUnit(int unit) const
{
    if (IsEmpty())
        return;
    VORM_ASSERT(IsTex());
    glUniform1i(m_location, unit);
}

void GLSLUniformParam::SetTextureUnits(const int* units) const
{
    if (IsEmpty())
        return;
    int dummy = 0;
    VORM_ASSERT(IsTex() && IsArray(dummy));
    glUniform1iv(m_location, m_size, units);
}

// --- floats -----------------------------------------------------------------

void GLSLUniformParam::SetFloat(float x) const { if (IsEmpty()) return; glUniform1f(m_location, x); }
void GLSLUniformParam::SetFloat2(float x, float y) const { if (IsEmpty()) return; glUniform2f(m_location, x, y); }
void GLSLUniformParam::SetFloat3(float x, float y, float z) const { if (IsEmpty()) return; glUniform3f(m_location, x, y, z); }
void GLSLUniformParam::SetFloat4(float x, float y, float z, float w) const
{
    if (IsEmpty())
        return;
    glUniform4f(m_location, x, y, z, w);
}
void GLSLUniformParam::SetFloat2v(const float* v) const { if (IsEmpty()) return; glUniform2fv(m_location, 1, v); }
void GLSLUniformParam::SetFloat3v(const Vector3<float>& v) const { if (IsEmpty()) return; glUniform3fv(m_location, 1, v.Ptr()); }
void GLSLUniformParam::SetFloat4v(const Vector4<float>& v) const { if (IsEmpty()) return; glUniform4fv(m_location, 1, v.Ptr()); }

void GLSLUniformParam::SetFloatArray(const float* values, int components, int count) const
{
    if (IsEmpty())
        return;
    switch (components) {
    case 1: glUniform1fv(m_location, count, values); break;
    case 2: glUniform2fv(m_location, count, values); break;
    case 3: glUniform3fv(m_location, count, values); break;
    case 4: glUniform4fv(m_location, count, values); break;
    default: break;
    }
}

// --- integers ---------------------------------------------------------------

void GLSLUniformParam::SetInt(int i) const { if (IsEmpty()) return; glUniform1i(m_location, i); }
void GLSLUniformParam::SetInt2(int i, int j) const { if (IsEmpty()) return; glUniform2i(m_location, i, j); }
void GLSLUniformParam::SetInt3(int i, int j, int k) const { if (IsEmpty()) return; glUniform3i(m_location, i, j, k); }
void GLSLUniformParam::SetInt4(int i, int j, int k, int l) const { if (IsEmpty()) return; glUniform4i(m_location, i, j, k, l); }
void GLSLUniformParam::SetInt2v(const int* v) const { if (IsEmpty()) return; glUniform2iv(m_location, 1, v); }
void GLSLUniformParam::SetInt3v(const int* v) const { if (IsEmpty()) return; glUniform3iv(m_location, 1, v); }
void GLSLUniformParam::SetInt4v(const int* v) const { if (IsEmpty()) return; glUniform4iv(m_location, 1, v); }

void GLSLUniformParam::SetIntArray(const int* values, int components, int count) const
{
    if (IsEmpty())
        return;
    switch (components) {
    case 1: glUniform1iv(m_location, count, values); break;
    case 2: glUniform2iv(m_location, count, values); break;
    case 3: glUniform3iv(m_location, count, values); break;
    case 4: glUniform4iv(m_location, count, values); break;
    default: break;
    }
}

void GLSLUniformParam::SetUIntArray(const unsigned* values, int components, int count) const
{
    if (IsEmpty())
        return;
    switch (components) {
    case 1: glUniform1uiv(m_location, count, values); break;
    case 2: glUniform2uiv(m_location, count, values); break;
    case 3: glUniform3uiv(m_location, count, values); break;
    case 4: glUniform4uiv(m_location, count, values); break;
    default: break;
    }
}

// --- booleans (uploaded as integers 0 and 1) -------------------------------

void GLSLUniformParam::SetBool(bool b) const { if (IsEmpty()) return; glUniform1i(m_location, b ? 1 : 0); }
void GLSLUniformParam::SetBool2(bool a, bool b) const { if (IsEmpty()) return; glUniform2i(m_location, a ? 1 : 0, b ? 1 : 0); }
void GLSLUniformParam::SetBool3(bool a, bool b, bool c) const
{
    if (IsEmpty())
        return;
    glUniform3i(m_location, a ? 1 : 0, b ? 1 : 0, c ? 1 : 0);
}
void GLSLUniformParam::SetBool4(bool a, bool b, bool c, bool d) const
{
    if (IsEmpty())
        return;
    glUniform4i(m_location, a ? 1 : 0, b ? 1 : 0, c ? 1 : 0, d ? 1 : 0);
}
void GLSLUniformParam::SetBool2v(const int* v) const { if (IsEmpty()) return; glUniform2iv(m_location, 1, v); }
void GLSLUniformParam::SetBool3v(const int* v) const { if (IsEmpty()) return; glUniform3iv(m_location, 1, v); }
void GLSLUniformParam::SetBool4v(const int* v) const { if (IsEmpty()) return; glUniform4iv(m_location, 1, v); }

void GLSLUniformParam::SetBoolArray(const int* values, int components, int count) const
{
    SetIntArray(values, components, count);
}

// --- matrices ---------------------------------------------------------------

void GLSLUniformParam::SetMatrix2(const float* m, bool transpose) const
{
    if (IsEmpty())
        return;
    glUniformMatrix2fv(m_location, 1, transpose ? GL_TRUE : GL_FALSE, m);
}

void GLSLUniformParam::SetMatrix3(const float* m, bool transpose) const
{
    if (IsEmpty())
        return;
    glUniformMatrix3fv(m_location, 1, transpose ? GL_TRUE : GL_FALSE, m);
}

void GLSLUniformParam::SetMatrix4(const Matrix44<float>* m, bool transpose) const
{
    if (IsEmpty())
        return;
    glUniformMatrix4fv(m_location, 1, transpose ? GL_TRUE : GL_FALSE, m->Ptr());
}

void GLSLUniformParam::SetMatrixArray(const float* m, int dimension, int count, bool transpose) const
{
    if (IsEmpty())
        return;
    const GLboolean t = transpose ? GL_TRUE : GL_FALSE;
    switch (dimension) {
    case 2: glUniformMatrix2fv(m_location, count, t, m); break;
    case 3: glUniformMatrix3fv(m_location, count, t, m); break;
    case 4: glUniformMatrix4fv(m_location, count, t, m); break;
    default: break;
    }
}

// --- samplers ---------------------------------------------------------------

void GLSLUniformParam::SetSampler(int unit) const
{
    glActiveTexture(GLTextureUnit::Get(static_cast<std::uint32_t>(unit)));
    // An empty handle still selects the unit: callers bind their texture next.
    if (!IsEmpty())
        glUniform1i(m_location, unit);
}

void GLSLUniformParam::SetTexture1D(int unit) const { SetSampler(unit); }
void GLSLUniformParam::SetTexture2D(int unit) const { SetSampler(unit); }
void GLSLUniformParam::SetTexture3D(int unit) const { SetSampler(unit); }
void GLSLUniformParam::SetTextureCube(int unit) const { SetSampler(unit); }
void GLSLUniformParam::SetTexture1DShadow(int unit) const { SetSampler(unit); }
void GLSLUniformParam::SetTexture2DShadow(int unit) const { SetSampler(unit); }

void GLSLUniformParam::SetTextures1D(const int* units, int count) const { if (IsEmpty()) return; glUniform1iv(m_location, count, units); }
void GLSLUniformParam::SetTextures2D(const int* units, int count) const { if (IsEmpty()) return; glUniform1iv(m_location, count, units); }
void GLSLUniformParam::SetTextures3D(const int* units, int count) const { if (IsEmpty()) return; glUniform1iv(m_location, count, units); }
void GLSLUniformParam::SetTexturesCube(const int* units, int count) const { if (IsEmpty()) return; glUniform1iv(m_location, count, units); }
void GLSLUniformParam::SetTextures1DShadow(const int* units, int count) const
{
    if (IsEmpty())
        return;
    glUniform1iv(m_location, count, units);
}
void GLSLUniformParam::SetTextures2DShadow(const int* units, int count) const
{
    if (IsEmpty())
        return;
    glUniform1iv(m_location, count, units);
}

} // namespace Vorm
