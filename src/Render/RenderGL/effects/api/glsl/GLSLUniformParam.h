#ifndef VORM_RENDERGL_GLSLUNIFORMPARAM_H
#define VORM_RENDERGL_GLSLUNIFORMPARAM_H

#include "Core/Math/Matrix44.h"
#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"

namespace Vorm {

// Value handle on one active uniform of a linked GLSLProgram. Every setter is
// one glUniform* call on the program current in GL (the sampler setters
// activate their texture unit first); nothing is checked against the handle's
// program. The default handle is empty (location -1, type 0): uploads
// through it make no GL call, so a uniform a shader lacks costs nothing and
// raises no GL error, whatever program is current.
class GLSLUniformParam
{
public:
    GLSLUniformParam();
    GLSLUniformParam(int uid, unsigned program, int version, int location, unsigned type, int size);

    // Type queries.
    unsigned GetType() const { return m_type; }
    bool IsMatrix() const;
    bool IsTex() const;
    bool IsArray(int& size) const;
    // Class bits: 2 matrix, else 4 sampler, else 1 plain value; +8 for arrays.
    unsigned GetTypeInfo(unsigned& type, int& size) const;

    int GetProgramUid() const { return m_uid; }
    unsigned GetProgram() const { return m_program; }
    int GetLinkVersion() const { return m_version; }
    int GetLocation() const { return m_location; }
    int GetSize() const { return m_size; }
    // Never filled by a lookup.
    bool IsEmpty() const { return m_location < 0; }

    // Generic setters dispatching on the uniform's own GL type.
    void SetValue(const void* data) const;
    void SetValueArray(const void* data) const;
    void SetMatrixValue(const float* m, bool transpose) const;
    void SetMatrixValueArray(const float* m, bool transpose) const;
    void SetTextureUnit(int unit) const;
    void SetTextureUnits(const int* units) const;

    // Typed setters: the caller picks the one matching the declaration.
    void SetFloat(float x) const;
    void SetFloat2(float x, float y) const;
    void SetFloat3(float x, float y, float z) const;
    void SetFloat4(float x, float y, float z, float w) const;
    void SetFloat2v(const float* v) const;
    void SetFloat3v(const Vector3<float>& v) const;
    void SetFloat4v(const Vector4<float>& v) const;
    void SetFloatArray(const float* values, int components, int count) const;

    void SetInt(int i) const;
    void SetInt2(int i, int j) const;
    void SetInt3(int i, int j, int k) const;
    void SetInt4(int i, int j, int k, int l) const;
    void SetInt2v(const int* v) const;
    void SetInt3v(const int* v) const;
    void SetInt4v(const int* v) const;
    void SetIntArray(const int* values, int components, int count) const;
    void SetUIntArray(const unsigned* values, int components, int count) const;

    void SetBool(bool b) const;
    void SetBool2(bool a, bool b) const;
    void SetBool3(bool a, bool b, bool c) const;
    void SetBool4(bool a, bool b, bool c, bool d) const;
    void SetBool2v(const int* v) const;
    void SetBool3v(const int* v) const;
    void SetBool4v(const int* v) const;
    void SetBoolArray(const int* values, int components, int count) const;

    void SetMatrix2(const float* m, bool transpose) const;
    void SetMatrix3(const float* m, bool transpose) const;
    void SetMatrix4(const Matrix44<float>* m, bool transpose) const;
    void SetMatrixArray(const float* m, int dimension, int count, bool transpose) const;

    // Single samplers: activate the unit, then set the uniform to it, so the
    // texture bound next lands on that unit.
    void SetTexture1D(int unit) const;
    void SetTexture2D(int unit) const;
    void SetTexture3D(int unit) const;
    void SetTextureCube(int unit) const;
    void SetTexture1DShadow(int unit) const;
    void SetTexture2DShadow(int unit) const;
    // Sampler arrays: set the units, activate none.
    void SetTextures1D(const int* units, int count) const;
    void SetTextures2D(const int* units, int count) const;
    void SetTextures3D(const int* units, int count) const;
    void SetTexturesCube(const int* units, int count) const;
    void SetTextures1DShadow(const int* units, int count) const;
    void SetTextures2DShadow(const int* units, int count) const;

private:
    void SetSampler(int unit) const;

    int m_uid;
    unsigned m_program;
    int m_version;
    int m_location;
    unsigned m_type;
    int m_size;
};

} // namespace Vorm

#endif
