// OgreXmlModelLoader: the mesh file reader and the text helpers that the
// material and scene readers share.
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include "Core/File/File.h"
#include "Core/Math/Vector2.h"
#include "Core/Math/Vector3.h"
#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/DataFormat.h"
#include "Core/Rendering/VertexFormat.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/ComputeTangents.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <locale>
#include <sstream>
#include <vector>

namespace Vorm {

namespace {

const float kLargestFloat = 3.402823466e+38f;

// The number at the start of the text, leading blanks skipped, in the
// classic locale; `whole` tells whether nothing but blanks follows it.
// false, `out` untouched, when there is none or it is out of range.
template <typename T>
bool ReadLeading(const std::string& text, T& out, bool& whole)
{
    // One stream per thread for every number read: making a stream and
    // giving it the locale costs more than reading the number.
    thread_local std::istringstream stream = [] {
        std::istringstream s;
        s.imbue(std::locale::classic());
        return s;
    }();
    stream.clear();
    stream.str(text);
    T v = 0;
    if (!(stream >> v))
        return false;
    out = v;
    whole = (stream >> std::ws).eof();
    return true;
}

// A character that may continue an XML element name.
bool IsNameChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0x80 || c == '_' || c == '-' || c == '.' || c == ':';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the markup that starts at text[start] ('<') ends: just past its '>'
// (one inside a quoted value does not count) or, for a comment, past its
// "-->"; the end of the text when it never ends.
size_t MarkupEnd(const std::string& text, size_t start)
{
    if (text.compare(start, 4, "<!--") == 0) {
        const size_t end = text.find("-->", start + 4);
        return end == std::string::npos ? text.size() : end + 3;
    }
    char quote = 0;
    for (size_t i = start + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return text.size();
}

// One tag as the reader sees it: its name, whether it closes an element,
// whether it ends in "/>", and whether a blank follows the name (an opening
// tag that may hold attributes).
class Tag
{
public:
    explicit Tag(const std::string& text)
        : m_text(text)
    {
        if (text.size() > 1 && text[1] == '/') {
            m_closing = true;
            m_nameStart = 2;
        }
        size_t end = m_nameStart;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        m_nameLength = end - m_nameStart;
        m_blankAfterName = end < text.size() && IsBlank(text[end]);
        m_empty = text.size() >= 2 && text.compare(text.size() - 2, 2, "/>") == 0;
    }

    bool Opens(const char* name) const { return !m_closing && Is(name); }
    bool Closes(const char* name) const { return m_closing && Is(name); }
    // The elements whose values are read: <face v1=...>, not <face> alone.
    bool OpensWithValues(const char* name) const { return m_blankAfterName && Opens(name); }
    bool IsEmptyElement() const { return m_empty; }

private:
    bool Is(const char* name) const
    {
        return std::strlen(name) == m_nameLength && m_text.compare(m_nameStart, m_nameLength, name) == 0;
    }

    const std::string& m_text;
    size_t m_nameStart = 1;
    size_t m_nameLength = 0;
    bool m_closing = false;
    bool m_empty = false;
    bool m_blankAfterName = false;
};

} // namespace

bool OgreXmlModelLoader::Contains(const std::string& line, const std::string& marker)
{
    return line.find(marker) != std::string::npos;
}

std::string OgreXmlModelLoader::GetAttributeValue(const std::string& line, const std::string& name)
{
    const size_t p = line.find(name);
    if (p == std::string::npos)
        return std::string();
    // The two characters after the name are taken to be '=' and '"'.
    const size_t start = p + name.size() + 2;
    if (start > line.size())
        return std::string();
    const size_t end = line.find('"', start);
    if (end == std::string::npos)
        return std::string();
    return line.substr(start, end - start);
}

bool OgreXmlModelLoader::TryToInt(const std::string& text, int& out)
{
    int v = 0;
    bool whole = false;
    if (!ReadLeading(text, v, whole) || !whole)
        return false;
    out = v;
    return true;
}

bool OgreXmlModelLoader::TryToFloat(const std::string& text, float& out)
{
    float v = 0;
    bool whole = false;
    if (!ReadLeading(text, v, whole) || !whole)
        return false;
    out = v;
    return true;
}

int OgreXmlModelLoader::ToInt(const std::string& text)
{
    int v = 0;
    bool whole = false;
    ReadLeading(text, v, whole);
    return v;
}

float OgreXmlModelLoader::ToFloat(const std::string& text)
{
    float v = 0.0f;
    bool whole = false;
    ReadLeading(text, v, whole);
    return v;
}

bool OgreXmlModelLoader::LoadMesh(const std::string& path, TriangleMesh* mesh, std::string* materialName,
                                  std::string* meshError)
{
    const auto failed = [&path, meshError](const std::string& reason) {
        if (meshError)
            *meshError = path + ": " + reason;
        return false;
    };
    File file(path);
    if (!file.Open(File::kMeshLimit))
        return failed(file.GetError());
    // The whole file at once: its line breaks mean nothing to the reading.
    std::string text;
    file.ReadFile(text);
    const bool hasBytes = file.GetSize() > 0;
    file.Close();

    std::vector<VT_PosNorTexTan> vertices;
    std::vector<std::uint32_t> indices;
    Vector3<float> position(0.0f, 0.0f, 0.0f);
    Vector3<float> normal(0.0f, 0.0f, 0.0f);
    Vector2 texCoord(0.0f, 0.0f);
    Vector3<float> minCorner(kLargestFloat, kLargestFloat, kLargestFloat);
    Vector3<float> maxCorner(-kLargestFloat, -kLargestFloat, -kLargestFloat);
    bool hasPosition = false;
    std::string firstMaterial;
    bool seenSubmesh = false;

    // What the vertex being read has set itself, for filling in a vertex
    // that an earlier buffer of the geometry made.
    bool setPosition = false;
    bool setNormal = false;
    bool setTexCoord = false;

    // The vertex buffers of one geometry hold different parts of the same
    // vertices: the first one makes them, the later ones fill them in.
    bool inGeometry = false;
    size_t geometryBase = 0; // vertices read before the geometry
    int buffers = 0;         // buffers of the geometry begun so far
    bool filling = false;
    size_t fillNext = 0;

    // A sub-mesh with its own geometry counts its face indices from that
    // geometry's first vertex; one that uses the shared geometry keeps them.
    bool inSubmesh = false;
    bool ownGeometry = false;
    bool submeshHasGeometry = false;
    size_t submeshBase = 0;
    size_t submeshFirstIndex = 0;
    int submeshNumber = 0;

    // Face lists of lower levels of detail repeat the mesh in fewer faces.
    bool inLevelOfDetail = false;
    // A <mesh> element that is opened must be closed: a file cut short
    // would otherwise give part of the mesh.
    bool meshOpen = false;

    std::string tag;
    std::string error;
    // One attribute of the tag as a number; false (with the reason) when
    // it is missing or not a number.
    const auto readFloat = [&tag, &error](const char* name, float& out) {
        if (TryToFloat(GetAttributeValue(tag, name), out))
            return true;
        error = std::string("attribute ") + name + " missing or not a number";
        return false;
    };
    // A later buffer must describe as many vertices as the first.
    const auto endBuffer = [&]() {
        const bool ok = !filling || fillNext == vertices.size();
        if (!ok) {
            std::ostringstream reason;
            reason << "vertex buffer " << buffers << " of a geometry holds " << fillNext - geometryBase
                   << " vertices, the first " << vertices.size() - geometryBase;
            error = reason.str();
        }
        filling = false;
        return ok;
    };
    const auto endSubmesh = [&]() {
        bool ok = true;
        if (inSubmesh && ownGeometry && submeshHasGeometry) {
            const size_t count = vertices.size() - submeshBase;
            for (size_t i = submeshFirstIndex; i < indices.size() && ok; ++i) {
                if (indices[i] >= count) {
                    std::ostringstream reason;
                    reason << "face " << (i - submeshFirstIndex) / 3 << " of sub-mesh " << submeshNumber
                           << " uses vertex " << indices[i] << " of its geometry's " << count;
                    error = reason.str();
                    ok = false;
                }
                indices[i] += static_cast<std::uint32_t>(submeshBase);
            }
        }
        inSubmesh = false;
        return ok;
    };
    // Tag by tag, in file order, each read by the rules below; the text
    // between tags is not read.
    int lineNumber = 1;
    size_t counted = 0;
    for (size_t start = text.find('<'); start != std::string::npos;) {
        const size_t end = MarkupEnd(text, start);
        // The line a tag starts on, for the messages.
        lineNumber += static_cast<int>(std::count(text.begin() + counted, text.begin() + start, '\n'));
        counted = start;
        tag.assign(text, start, end - start);
        start = text.find('<', end);
        if (tag.compare(0, 4, "<!--") == 0)
            continue;
        const Tag t(tag);

        if (inLevelOfDetail) {
            if (t.Closes("levelofdetail"))
                inLevelOfDetail = false;
            continue;
        }

        bool ok = true;
        if (t.OpensWithValues("face")) {
            static const char* const names[3] = {"v1", "v2", "v3"};
            for (int i = 0; i < 3 && ok; ++i) {
                int index = 0;
                if (!TryToInt(GetAttributeValue(tag, names[i]), index)) {
                    error = std::string("attribute ") + names[i] + " missing or not a number";
                    ok = false;
                } else if (index < 0) {
                    error = std::string("negative index in ") + names[i];
                    ok = false;
                } else {
                    indices.push_back(static_cast<std::uint32_t>(index));
                }
            }
        } else if (t.OpensWithValues("position")) {
            ok = readFloat("x", position.x) && readFloat("y", position.y) &&
                 readFloat("z", position.z);
            if (ok) {
                hasPosition = true;
                setPosition = true;
                minCorner.x = std::min(minCorner.x, position.x);
                minCorner.y = std::min(minCorner.y, position.y);
                minCorner.z = std::min(minCorner.z, position.z);
                maxCorner.x = std::max(maxCorner.x, position.x);
                maxCorner.y = std::max(maxCorner.y, position.y);
                maxCorner.z = std::max(maxCorner.z, position.z);
            }
        } else if (t.OpensWithValues("normal")) {
            ok = readFloat("x", normal.x) && readFloat("y", normal.y) &&
                 readFloat("z", normal.z);
            setNormal = ok;
        } else if (t.OpensWithValues("texcoord")) {
            ok = readFloat("u", texCoord.x) && readFloat("v", texCoord.y);
            setTexCoord = ok;
        } else if (t.Closes("vertex")) {
            if (!filling) {
                vertices.push_back(VT_PosNorTexTan(position, normal, texCoord, Vector3<float>(0.0f, 0.0f, 0.0f)));
            } else if (fillNext < vertices.size()) {
                VT_PosNorTexTan& v = vertices[fillNext++];
                if (setPosition)
                    v.pos = position;
                if (setNormal)
                    v.normal = normal;
                if (setTexCoord)
                    v.tex0 = texCoord;
            } else {
                std::ostringstream reason;
                reason << "vertex buffer " << buffers << " of a geometry holds more vertices than the first, "
                       << vertices.size() - geometryBase;
                error = reason.str();
                ok = false;
            }
            setPosition = setNormal = setTexCoord = false;
        } else if (t.Opens("sharedgeometry") || t.Opens("geometry")) {
            ok = endBuffer();
            inGeometry = true;
            geometryBase = vertices.size();
            buffers = 0;
            if (inSubmesh && !submeshHasGeometry) {
                submeshHasGeometry = true;
                submeshBase = geometryBase;
            }
        } else if (t.Closes("sharedgeometry") || t.Closes("geometry")) {
            ok = endBuffer();
            inGeometry = false;
        } else if (t.Opens("vertexbuffer")) {
            ok = endBuffer();
            // Outside a geometry buffers follow each other as plain vertex lists.
            if (inGeometry && ++buffers > 1) {
                filling = true;
                fillNext = geometryBase;
            }
        } else if (t.Closes("vertexbuffer")) {
            ok = endBuffer();
        } else if (t.Opens("submesh")) {
            ok = endSubmesh();
            inSubmesh = true;
            ownGeometry = GetAttributeValue(tag, "usesharedvertices") == "false";
            submeshHasGeometry = false;
            submeshFirstIndex = indices.size();
            ++submeshNumber;
            if (!seenSubmesh)
                firstMaterial = GetAttributeValue(tag, "material");
            seenSubmesh = true;
        } else if (t.Closes("submesh")) {
            ok = endSubmesh();
        } else if (t.Opens("levelofdetail")) {
            inLevelOfDetail = !t.IsEmptyElement();
        } else if (t.Opens("mesh")) {
            meshOpen = !t.IsEmptyElement();
        } else if (t.Closes("mesh")) {
            meshOpen = false;
        }
        if (!ok) {
            std::ostringstream where;
            where << "line " << lineNumber << ": " << error;
            return failed(where.str());
        }
    }
    if (!endBuffer() || !endSubmesh())
        return failed("at the end: " + error);
    if (text.empty())
        return failed(hasBytes ? "starts with a NUL character" : "is empty");
    if (meshOpen || inLevelOfDetail)
        return failed("ends inside an element (cut short?)");

    if (vertices.empty() || indices.empty() || !hasPosition)
        return failed(vertices.empty() ? "no vertex" : indices.empty() ? "no face" : "no position");
    for (size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= vertices.size()) {
            std::ostringstream reason;
            reason << "face " << i / 3 << " uses vertex " << indices[i] << " of " << vertices.size();
            return failed(reason.str());
        }
    }

    ComputeTangents(vertices, indices);

    BufferData vertexData;
    vertexData.m_count = static_cast<std::uint32_t>(vertices.size());
    vertexData.m_size = static_cast<std::uint32_t>(vertices.size() * sizeof(VT_PosNorTexTan));
    vertexData.m_usage = 0;
    vertexData.m_pData = &vertices[0];

    BufferData indexData;
    indexData.m_count = static_cast<std::uint32_t>(indices.size());
    indexData.m_size = static_cast<std::uint32_t>(indices.size() * sizeof(std::uint32_t));
    indexData.m_usage = 0;
    indexData.m_pData = &indices[0];

    BoundingSphere bound;
    bound.SetFromMinMax(minCorner, maxCorner);

    const VertexFormat format = VT_PosNorTexTan::GetFormat();
    if (!mesh->Create(vertexData, &format, indexData, DataType(eDataFormat_UINT1), &bound))
        return failed("the mesh could not be made from it");
    if (materialName)
        *materialName = firstMaterial;
    return true;
}

} // namespace Vorm
