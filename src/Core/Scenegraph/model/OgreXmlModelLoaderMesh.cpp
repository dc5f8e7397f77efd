// OgreXmlModelLoader: the mesh file reader and the text helpers that the
// material and scene readers share.
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

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
#include <fstream>
#include <locale>
#include <sstream>
#include <vector>

namespace Vorm {

namespace {

const float kLargestFloat = 3.402823466e+38f;


// A character that may continue an XML element name.
bool IsNameChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0x80 || c == '_' || c == '-' || c == '.' || c == ':';
}

// The tag `open` (such as "<geometry" or "</vertex") with its whole name:
// "</vertex" is not found in "</vertexbuffer>".
bool HasTag(const std::string& line, const char* open)
{
    const size_t length = std::strlen(open);
    for (size_t p = line.find(open); p != std::string::npos; p = line.find(open, p + 1)) {
        if (p + length == line.size() || !IsNameChar(line[p + length]))
            return true;
    }
    return false;
}

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
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    int v = 0;
    if (!(stream >> v))
        return false;
    out = v;
    return true;
}

bool OgreXmlModelLoader::TryToFloat(const std::string& text, float& out)
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    float v = 0.0f;
    if (!(stream >> v))
        return false;
    out = v;
    return true;
}

int OgreXmlModelLoader::ToInt(const std::string& text)
{
    int v = 0;
    TryToInt(text, v);
    return v;
}

float OgreXmlModelLoader::ToFloat(const std::string& text)
{
    float v = 0.0f;
    TryToFloat(text, v);
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
    std::ifstream in(path.c_str());
    if (!in.is_open())
        return failed("cannot open");

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

    std::string line;
    std::string error;
    int lineNumber = 0;
    // One attribute of the line as a number; false (with the reason) when
    // it is missing or not a number.
    const auto readFloat = [&line, &error](const char* name, float& out) {
        if (TryToFloat(GetAttributeValue(line, name), out))
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
    while (std::getline(in, line)) {
        ++lineNumber;
        // CR LF files read like LF files.
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);

        if (inLevelOfDetail) {
            if (HasTag(line, "</levelofdetail"))
                inLevelOfDetail = false;
            continue;
        }

        bool ok = true;
        if (Contains(line, "<face ")) {
            static const char* const names[3] = {"v1", "v2", "v3"};
            for (int i = 0; i < 3 && ok; ++i) {
                int index = 0;
                if (!TryToInt(GetAttributeValue(line, names[i]), index)) {
                    error = std::string("attribute ") + names[i] + " missing or not a number";
                    ok = false;
                } else if (index < 0) {
                    error = std::string("negative index in ") + names[i];
                    ok = false;
                } else {
                    indices.push_back(static_cast<std::uint32_t>(index));
                }
            }
        } else if (Contains(line, "<position ")) {
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
        } else if (Contains(line, "<normal ")) {
            ok = readFloat("x", normal.x) && readFloat("y", normal.y) &&
                 readFloat("z", normal.z);
            setNormal = ok;
        } else if (Contains(line, "<texcoord ")) {
            ok = readFloat("u", texCoord.x) && readFloat("v", texCoord.y);
            setTexCoord = ok;
        } else if (HasTag(line, "</vertex")) {
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
        } else if (HasTag(line, "<sharedgeometry") || HasTag(line, "<geometry")) {
            ok = endBuffer();
            inGeometry = true;
            geometryBase = vertices.size();
            buffers = 0;
            if (inSubmesh && !submeshHasGeometry) {
                submeshHasGeometry = true;
                submeshBase = geometryBase;
            }
        } else if (HasTag(line, "</sharedgeometry") || HasTag(line, "</geometry")) {
            ok = endBuffer();
            inGeometry = false;
        } else if (HasTag(line, "<vertexbuffer")) {
            ok = endBuffer();
            // Outside a geometry buffers follow each other as plain vertex lists.
            if (inGeometry && ++buffers > 1) {
                filling = true;
                fillNext = geometryBase;
            }
        } else if (HasTag(line, "</vertexbuffer")) {
            ok = endBuffer();
        } else if (HasTag(line, "<submesh")) {
            ok = endSubmesh();
            inSubmesh = true;
            ownGeometry = GetAttributeValue(line, "usesharedvertices") == "false";
            submeshHasGeometry = false;
            submeshFirstIndex = indices.size();
            ++submeshNumber;
            if (!seenSubmesh)
                firstMaterial = GetAttributeValue(line, "material");
            seenSubmesh = true;
        } else if (HasTag(line, "</submesh")) {
            ok = endSubmesh();
        } else if (HasTag(line, "<levelofdetail")) {
            inLevelOfDetail = !Contains(line, "/>");
        } else if (HasTag(line, "<mesh")) {
            meshOpen = true;
        } else if (HasTag(line, "</mesh")) {
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
    if (lineNumber == 0)
        return failed("is empty");
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
