#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Util/Assert.h"
#include "RenderGL/GLUtil.h"
#include "RenderGL/effects/api/glsl/GLSLShader.h"

#include <GL/glew.h>

#include <cmath>

namespace Vorm {

namespace {

const std::string s_matrixM = "Matrix_M";
const std::string s_matrixMV = "Matrix_MV";
const std::string s_matrixMVI = "Matrix_MVI";
const std::string s_matrixMVT = "Matrix_MVT";
const std::string s_matrixP = "Matrix_P";
const std::string s_matrixPI = "Matrix_PI";
const std::string s_matrixPT = "Matrix_PT";
const std::string s_matrixMVP = "Matrix_MVP";
const std::string s_matrixMVPI = "Matrix_MVPI";
const std::string s_matrixMVPT = "Matrix_MVPT";

// uid -> number of the program's latest link.
std::map<int, int> s_linkVersions;

bool TakesPart(const GLSLUniformParam& param)
{
    return param.GetType() == GL_FLOAT_MAT4;
}

void Upload(const GLSLUniformParam& param, const Matrix44<float>& m)
{
    param.SetMatrix4(&m, false);
}

Matrix44<float> Transposed(const Matrix44<float>& m)
{
    Matrix44<float> t;
    t.SetTransposeOf(m);
    return t;
}

// The inverse, from the cofactors; a singular matrix gives all zeros.
Matrix44<float> Inverted(const Matrix44<float>& matrix)
{
    const float* m = matrix.Ptr();
    float inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] +
             m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] +
             m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] -
              m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] +
              m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    const float k = (det != 0.0f && std::isfinite(det)) ? 1.0f / det : 0.0f;
    Matrix44<float> r;
    float* out = r.Ptr();
    for (int i = 0; i < 16; ++i)
        out[i] = inv[i] * k;
    return r;
}

} // namespace

GLSLProgram* GLSLProgram::s_pCurrent = nullptr;
int GLSLProgram::s_programCounter = 0;

GLSLProgram::GLSLProgram()
    : m_uid(++s_programCounter), m_program(0), m_vertexArray(0), m_pView(nullptr),
      m_pProjection(nullptr), m_model(Matrix44<float>::IDENTITY),
      m_modelView(Matrix44<float>::IDENTITY), m_modelViewProjection(Matrix44<float>::IDENTITY),
      m_bMissingShader(false)
{
    m_program = glCreateProgram();
    glGenVertexArrays(1, &m_vertexArray);
}

GLSLProgram::~GLSLProgram()
{
    // A later program may be built at this address; it must not count as current.
    if (s_pCurrent == this)
        s_pCurrent = nullptr;
    glDeleteProgram(m_program);
    glDeleteVertexArrays(1, &m_vertexArray);
}

void GLSLProgram::AttachShader(boost::shared_ptr<GLSLShader> shader)
{
    m_shaders.push_back(shader);
    if (shader->GetHandle() == 0) {
        m_bMissingShader = true;
        return;
    }
    glAttachShader(m_program, shader->GetHandle());
}

bool GLSLProgram::Link(std::string& log)
{
    if (m_bMissingShader) {
        log = "a shader of this program could not be created on this GL context";
        return false;
    }

    glLinkProgram(m_program);
    GLint status = GL_FALSE;
    glGetProgramiv(m_program, GL_LINK_STATUS, &status);
    if (status == GL_FALSE) {
        GLint length = 0;
        glGetProgramiv(m_program, GL_INFO_LOG_LENGTH, &length);
        char* text = VORM_NEW char[length > 0 ? length : 1];
        text[0] = '\0';
        if (length > 0)
            glGetProgramInfoLog(m_program, length, nullptr, text);
        log = text;
        VORM_DELETE[] text;
        return false;
    }

    // Vertex inputs: each used input is enabled once, in the vertex array object.
    GLint count = 0;
    GLint maxLength = 0;
    glGetProgramiv(m_program, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(m_program, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &maxLength);
    if (maxLength < 1)
        maxLength = 1;
    char* name = VORM_NEW char[maxLength];
    m_attributes.clear();
    glBindVertexArray(m_vertexArray);
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        name[0] = '\0';
        glGetActiveAttrib(m_program, static_cast<GLuint>(i), maxLength, &length, &size, &type, name);
        const GLint location = glGetAttribLocation(m_program, name);
        if (location == -1)
            continue; // built-in input
        m_attributes.push_back(GLSLVertexParam(name, location, type, static_cast<unsigned>(size)));
        glEnableVertexAttribArray(static_cast<GLuint>(location));
    }
    glBindVertexArray(0);
    VORM_DELETE[] name;

    m_uniforms.clear();
    const int version = NextLinkVersion(m_uid);

    count = 0;
    maxLength = 0;
    glGetProgramiv(m_program, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(m_program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &maxLength);
    if (maxLength < 1)
        maxLength = 1;
    name = VORM_NEW char[maxLength];
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        name[0] = '\0';
        glGetActiveUniform(m_program, static_cast<GLuint>(i), maxLength, &length, &size, &type, name);
        const GLint location = glGetUniformLocation(m_program, name);
        if (location == -1)
            continue;
        m_uniforms.insert(std::make_pair(
            std::string(name), GLSLUniformParam(m_uid, m_program, version, location, type, size)));
    }
    VORM_DELETE[] name;

    const std::string* names[10] = {&s_matrixM, &s_matrixMV, &s_matrixMVI, &s_matrixMVT,
                                     &s_matrixP, &s_matrixPI, &s_matrixPT, &s_matrixMVP,
                                     &s_matrixMVPI, &s_matrixMVPT};
    GLSLUniformParam* handles[10] = {&m_matM, &m_matMV, &m_matMVI, &m_matMVT, &m_matP,
                                     &m_matPI, &m_matPT, &m_matMVP, &m_matMVPI, &m_matMVPT};
    for (int i = 0; i < 10; ++i) {
        const GLSLUniformParam* found = FindUniform(*names[i]);
        *handles[i] = found ? *found : GLSLUniformParam();
    }
    return true;
}

const GLSLUniformParam* GLSLProgram::FindUniform(const std::string& name) const
{
    std::map<std::string, GLSLUniformParam>::const_iterator it = m_uniforms.find(name);
    if (it != m_uniforms.end())
        return &it->second;
    // Drivers report arrays by their first element, "v[0]".
    it = m_uniforms.find(name + "[0]");
    if (it != m_uniforms.end())
        return &it->second;
    return nullptr;
}

bool GLSLProgram::GetUniform(const std::string& name, GLSLUniformParam& out) const
{
    const GLSLUniformParam* found = FindUniform(name);
    if (!found)
        return false;
    out = *found;
    return true;
}

bool GLSLProgram::GetUniforms(std::vector<GLSLUniformParam>& out,
                              const std::vector<GLSLUniformParamSortPair>* requests) const
{
    if (!requests) {
        out.reserve(out.size() + m_uniforms.size());
        for (std::map<std::string, GLSLUniformParam>::const_iterator it = m_uniforms.begin();
             it != m_uniforms.end(); ++it)
            out.push_back(it->second);
        return true;
    }

    out.resize(requests->size());
    bool result = true;
    for (size_t i = 0; i < requests->size(); ++i) {
        const GLSLUniformParamSortPair& request = (*requests)[i];
        const GLSLUniformParam* found = FindUniform(request.m_name);
        if (found)
            out[request.m_index] = *found;
        else if (request.m_bRequired)
            result = false;
    }
    return result;
}

void GLSLProgram::Enable()
{
    s_pCurrent = this;
    glUseProgram(m_program);
    glBindVertexArray(m_vertexArray);
}

void GLSLProgram::Disable()
{
    s_pCurrent = nullptr;
    glUseProgram(0);
    glBindVertexArray(0);
}

bool GLSLProgram::IsEnabled() const
{
    return s_pCurrent == this;
}

void GLSLProgram::SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection)
{
    m_pView = view;
    m_pProjection = projection;
}

void GLSLProgram::UpdateVertexDataBinding(const std::map<std::string, VertexAttribute>& attributes)
{
    VORM_ASSERT(IsEnabled() && "UpdateVertexDataBinding called for non enabled program!");

    for (std::vector<GLSLVertexParam>::const_iterator nextParam = m_attributes.begin();
         nextParam != m_attributes.end(); ++nextParam) {
        std::map<std::string, VertexAttribute>::const_iterator it = attributes.find(nextParam->m_name);
        if (it == attributes.end()) {
            VORM_ASSERT(!"VertexData required by shader not available!");
            continue;
        }
        const VertexAttribute& attribute = it->second;
        VORM_ASSERT(GLDataFormat::Get(attribute.m_dataType.m_format) == nextParam->m_type && "Vertex Attribute is of different type!");
        VORM_ASSERT(attribute.m_size == nextParam->m_size && "Vertex Attribute is of different size!");

        const DataType& type = attribute.m_dataType;
        const char* base = static_cast<const char*>(attribute.m_pData);
        glVertexAttribPointer(static_cast<GLuint>(nextParam->m_location), type.GetComponentCount(),
                              GLDataFormat::Get(type.GetComponentFormat()), GL_FALSE,
                              static_cast<GLsizei>(attribute.m_stride), base + attribute.m_offset);
    }
}

const GLSLVertexParam* GLSLProgram::FindUnfedInput(const std::map<std::string, VertexAttribute>& attributes) const
{
    for (const GLSLVertexParam& param : m_attributes) {
        std::map<std::string, VertexAttribute>::const_iterator it = attributes.find(param.m_name);
        if (it == attributes.end() || GLDataFormat::Get(it->second.m_dataType.m_format) != param.m_type ||
            it->second.m_size != param.m_size)
            return &param;
    }
    return nullptr;
}

void GLSLProgram::SetModelMatrix(const Matrix44<float>& model)
{
    // Until the renderer hands its matrices over, view and projection are identities.
    const Matrix44<float>& view = m_pView ? *m_pView : Matrix44<float>::IDENTITY;
    const Matrix44<float>& projection = m_pProjection ? *m_pProjection : Matrix44<float>::IDENTITY;

    m_model = model;
    m_modelView.Multiply(view, m_model);

    if (TakesPart(m_matM))
        Upload(m_matM, m_model);
    if (TakesPart(m_matMV))
        Upload(m_matMV, m_modelView);
    if (TakesPart(m_matMVI))
        Upload(m_matMVI, Inverted(m_modelView));
    if (TakesPart(m_matMVT))
        Upload(m_matMVT, Transposed(m_modelView));
    if (TakesPart(m_matP))
        Upload(m_matP, projection);
    if (TakesPart(m_matPI))
        Upload(m_matPI, Inverted(projection));
    if (TakesPart(m_matPT))
        Upload(m_matPT, Transposed(projection));

    const bool mvp = TakesPart(m_matMVP);
    const bool mvpi = TakesPart(m_matMVPI);
    const bool mvpt = TakesPart(m_matMVPT);
    if (!mvp && !mvpi && !mvpt)
        return;
    m_modelViewProjection.Multiply(projection, m_modelView);
    if (mvp)
        Upload(m_matMVP, m_modelViewProjection);
    if (mvpi)
        Upload(m_matMVPI, Inverted(m_modelViewProjection));
    if (mvpt)
        Upload(m_matMVPT, Transposed(m_modelViewProjection));
}

int GLSLProgram::NextLinkVersion(int uid)
{
    std::pair<std::map<int, int>::iterator, bool> r = s_linkVersions.insert(std::make_pair(uid, 0));
    if (r.second)
        return 0;
    return ++r.first->second;
}

bool GLSLProgram::IsLinkVersionCurrent(int uid, int version)
{
    std::map<int, int>::const_iterator it = s_linkVersions.find(uid);
    return it != s_linkVersions.end() && it->second == version;
}

GLSLProgram* GLSLProgram::GetCurrent()
{
    return s_pCurrent;
}

} // namespace Vorm
