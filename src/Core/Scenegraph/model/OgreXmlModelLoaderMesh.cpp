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
#include "Core/Scenegraph/model/XmlNesting.h"

#include <rapidxml/rapidxml.hpp>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <new>
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

// The text as one number, blanks around it allowed; false, `out`
// untouched, when it holds none, anything else after it, or one out of range.
template <typename T>
bool ReadWhole(const std::string& text, T& out)
{
    T v = 0;
    bool whole = false;
    if (!ReadLeading(text, v, whole) || !whole)
        return false;
    out = v;
    return true;
}

typedef rapidxml::xml_node<char> XmlNode;
typedef rapidxml::xml_attribute<char> XmlAttribute;

// The library keeps names and values unterminated: compared by length.
bool Is(const XmlNode* element, const char* name)
{
    const size_t length = std::strlen(name);
    return element->name_size() == length && std::memcmp(element->name(), name, length) == 0;
}

std::string ValueOf(const XmlAttribute* attribute)
{
    return std::string(attribute->value(), attribute->value_size());
}

// A yes/no attribute as exporters write it, in any case.
bool ReadFlag(const XmlAttribute* attribute, bool& out)
{
    std::string value = ValueOf(attribute);
    for (char& c : value)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* yes : {"true", "1", "yes", "on"}) {
        if (value == yes) {
            out = true;
            return true;
        }
    }
    for (const char* no : {"false", "0", "no", "off"}) {
        if (value == no) {
            out = false;
            return true;
        }
    }
    return false;
}

// The reading of one mesh file, handed its elements in document order, each
// as it opens and as it closes. Every face and vertex goes into the one pair
// of lists, whatever encloses it.
class MeshReading
{
public:
    // false, with Error() set, for a value that cannot be read. `descend`
    // tells whether the element's children are read.
    bool Open(const XmlNode* element, bool& descend);
    bool Close(const XmlNode* element);
    const std::string& Error() const { return m_error; }

    std::vector<VT_PosNorTexTan> m_vertices;
    std::vector<std::uint32_t> m_indices;
    Vector3<float> m_minCorner = Vector3<float>(kLargestFloat, kLargestFloat, kLargestFloat);
    Vector3<float> m_maxCorner = Vector3<float>(-kLargestFloat, -kLargestFloat, -kLargestFloat);
    bool m_hasPosition = false;
    std::string m_firstMaterial;

private:
    bool Fail(const std::string& reason)
    {
        m_error = reason;
        return false;
    }
    bool ReadFloat(const XmlNode* element, const char* name, float& out);
    bool ReadXyz(const XmlNode* element, Vector3<float>& out);
    bool EndBuffer();
    bool EndSubmesh();

    Vector3<float> m_position = Vector3<float>(0.0f, 0.0f, 0.0f);
    Vector3<float> m_normal = Vector3<float>(0.0f, 0.0f, 0.0f);
    Vector2 m_texCoord = Vector2(0.0f, 0.0f);
    bool m_seenSubmesh = false;

    // What the vertex being read has set itself, for filling in a vertex
    // that an earlier buffer of the geometry made.
    bool m_setPosition = false;
    bool m_setNormal = false;
    bool m_setTexCoord = false;
    // A vertex's first texture coordinate is its set 0; later sets are
    // other layers' and not read.
    int m_openVertices = 0;
    bool m_vertexHasTexCoord = false;
    // A buffer that declares set 0 one-dimensional writes no v.
    bool m_oneDimensional = false;

    // The vertex buffers of one geometry hold different parts of the same
    // vertices: the first one makes them, the later ones fill them in.
    bool m_inGeometry = false;
    size_t m_geometryBase = 0; // vertices read before the geometry
    int m_buffers = 0;         // buffers of the geometry begun so far
    int m_texCoordBuffer = -1; // the buffer of the geometry holding set 0
    bool m_filling = false;
    size_t m_fillNext = 0;

    // A sub-mesh with its own geometry counts its face indices from that
    // geometry's first vertex; one that uses the shared geometry keeps them.
    bool m_inSubmesh = false;
    bool m_ownGeometry = false;
    bool m_submeshHasGeometry = false;
    size_t m_submeshBase = 0;
    size_t m_submeshFirstIndex = 0;
    int m_submeshNumber = 0;

    std::string m_error;
};

bool MeshReading::ReadFloat(const XmlNode* element, const char* name, float& out)
{
    const XmlAttribute* attribute = element->first_attribute(name);
    if (attribute && ReadWhole(ValueOf(attribute), out))
        return true;
    return Fail(std::string("attribute ") + name + " missing or not a number");
}

bool MeshReading::ReadXyz(const XmlNode* element, Vector3<float>& out)
{
    return ReadFloat(element, "x", out.x) && ReadFloat(element, "y", out.y) && ReadFloat(element, "z", out.z);
}

// A later buffer must describe as many vertices as the first.
bool MeshReading::EndBuffer()
{
    const bool ok = !m_filling || m_fillNext == m_vertices.size();
    if (!ok) {
        std::ostringstream reason;
        reason << "vertex buffer " << m_buffers << " of a geometry holds " << m_fillNext - m_geometryBase
               << " vertices, the first " << m_vertices.size() - m_geometryBase;
        m_error = reason.str();
    }
    m_filling = false;
    m_oneDimensional = false;
    return ok;
}

bool MeshReading::EndSubmesh()
{
    bool ok = true;
    if (m_inSubmesh && m_ownGeometry && m_submeshHasGeometry) {
        const size_t count = m_vertices.size() - m_submeshBase;
        for (size_t i = m_submeshFirstIndex; i < m_indices.size() && ok; ++i) {
            if (m_indices[i] >= count) {
                std::ostringstream reason;
                reason << "face " << (i - m_submeshFirstIndex) / 3 << " of sub-mesh " << m_submeshNumber
                       << " uses vertex " << m_indices[i] << " of its geometry's " << count;
                m_error = reason.str();
                ok = false;
            }
            m_indices[i] += static_cast<std::uint32_t>(m_submeshBase);
        }
    }
    m_inSubmesh = false;
    return ok;
}

bool MeshReading::Open(const XmlNode* element, bool& descend)
{
    descend = true;
    // An element without attributes holds no values: <face> alone is not a face.
    const bool hasValues = element->first_attribute() != 0;
    if (Is(element, "face")) {
        static const char* const names[3] = {"v1", "v2", "v3"};
        for (int i = 0; i < 3 && hasValues; ++i) {
            const XmlAttribute* attribute = element->first_attribute(names[i]);
            int index = 0;
            if (!attribute || !ReadWhole(ValueOf(attribute), index))
                return Fail(std::string("attribute ") + names[i] + " missing or not a number");
            if (index < 0)
                return Fail(std::string("negative index in ") + names[i]);
            m_indices.push_back(static_cast<std::uint32_t>(index));
        }
    } else if (Is(element, "position")) {
        if (!hasValues)
            return true;
        if (!ReadXyz(element, m_position))
            return false;
        m_hasPosition = true;
        m_setPosition = true;
        m_minCorner.x = std::min(m_minCorner.x, m_position.x);
        m_minCorner.y = std::min(m_minCorner.y, m_position.y);
        m_minCorner.z = std::min(m_minCorner.z, m_position.z);
        m_maxCorner.x = std::max(m_maxCorner.x, m_position.x);
        m_maxCorner.y = std::max(m_maxCorner.y, m_position.y);
        m_maxCorner.z = std::max(m_maxCorner.z, m_position.z);
    } else if (Is(element, "normal")) {
        if (!hasValues)
            return true;
        if (!ReadXyz(element, m_normal))
            return false;
        m_setNormal = true;
    } else if (Is(element, "texcoord")) {
        if (!hasValues || (m_openVertices > 0 && m_vertexHasTexCoord))
            return true;
        m_vertexHasTexCoord = m_openVertices > 0;
        // Later sets may also stand in a buffer of their own.
        if (m_inGeometry && m_texCoordBuffer >= 0 && m_texCoordBuffer != m_buffers)
            return true;
        if (!ReadFloat(element, "u", m_texCoord.x))
            return false;
        if (m_oneDimensional)
            m_texCoord.y = 0.0f;
        else if (!ReadFloat(element, "v", m_texCoord.y))
            return false;
        m_setTexCoord = true;
        if (m_inGeometry)
            m_texCoordBuffer = m_buffers;
    } else if (Is(element, "vertex")) {
        ++m_openVertices;
        m_vertexHasTexCoord = false;
    } else if (Is(element, "sharedgeometry") || Is(element, "geometry")) {
        if (!EndBuffer())
            return false;
        m_inGeometry = true;
        m_geometryBase = m_vertices.size();
        m_buffers = 0;
        m_texCoordBuffer = -1;
        if (m_inSubmesh && !m_submeshHasGeometry) {
            m_submeshHasGeometry = true;
            m_submeshBase = m_geometryBase;
        }
    } else if (Is(element, "vertexbuffer")) {
        if (!EndBuffer())
            return false;
        // Outside a geometry buffers follow each other as plain vertex lists.
        if (m_inGeometry && ++m_buffers > 1) {
            m_filling = true;
            m_fillNext = m_geometryBase;
        }
        const XmlAttribute* dimensions = element->first_attribute("texture_coord_dimensions_0");
        if (dimensions) {
            const std::string value = ValueOf(dimensions);
            m_oneDimensional = value == "1" || value == "float1";
        }
    } else if (Is(element, "submesh")) {
        if (!EndSubmesh())
            return false;
        m_inSubmesh = true;
        bool shared = true;
        const XmlAttribute* usesShared = element->first_attribute("usesharedvertices");
        if (usesShared && !ReadFlag(usesShared, shared))
            return Fail("usesharedvertices=\"" + ValueOf(usesShared) + "\" is neither true nor false");
        m_ownGeometry = !shared;
        m_submeshHasGeometry = false;
        m_submeshFirstIndex = m_indices.size();
        ++m_submeshNumber;
        if (!m_seenSubmesh) {
            const XmlAttribute* material = element->first_attribute("material");
            if (material)
                m_firstMaterial = ValueOf(material);
        }
        m_seenSubmesh = true;
    } else if (Is(element, "levelofdetail")) {
        // Lower levels of detail repeat the mesh in fewer faces.
        descend = false;
    }
    return true;
}

bool MeshReading::Close(const XmlNode* element)
{
    if (Is(element, "vertex")) {
        --m_openVertices;
        m_vertexHasTexCoord = false;
        bool ok = true;
        if (!m_filling) {
            m_vertices.push_back(
                VT_PosNorTexTan(m_position, m_normal, m_texCoord, Vector3<float>(0.0f, 0.0f, 0.0f)));
        } else if (m_fillNext < m_vertices.size()) {
            VT_PosNorTexTan& v = m_vertices[m_fillNext++];
            if (m_setPosition)
                v.pos = m_position;
            if (m_setNormal)
                v.normal = m_normal;
            if (m_setTexCoord)
                v.tex0 = m_texCoord;
        } else {
            std::ostringstream reason;
            reason << "vertex buffer " << m_buffers << " of a geometry holds more vertices than the first, "
                   << m_vertices.size() - m_geometryBase;
            m_error = reason.str();
            ok = false;
        }
        m_setPosition = m_setNormal = m_setTexCoord = false;
        return ok;
    }
    if (Is(element, "sharedgeometry") || Is(element, "geometry")) {
        m_inGeometry = false;
        return EndBuffer();
    }
    if (Is(element, "vertexbuffer"))
        return EndBuffer();
    if (Is(element, "submesh"))
        return EndSubmesh();
    return true;
}

// Memory for the XML library's node pool, which takes some four times a
// mesh file's size in blocks of one size while the file is read. Fresh pages
// cost more than the parse, so blocks of that size are kept for the next
// file, as many as the demo's largest mesh takes (86); the rest go back. From
// the C heap, like any library's working memory: the tracked heap would wipe
// every block as it is handed out and back.
class PoolBlocks
{
public:
    static void* Allocate(std::size_t size)
    {
        PoolBlocks& kept = Kept();
        const bool standard = size <= kBlockSize;
        void* block = standard && kept.m_count > 0 ? kept.m_blocks[--kept.m_count] : 0;
        if (!block)
            block = std::malloc(kHeader + (standard ? kBlockSize : size));
        if (!block)
            throw std::bad_alloc();
        *static_cast<bool*>(block) = standard;
        return static_cast<char*>(block) + kHeader;
    }

    static void Free(void* memory)
    {
        void* block = static_cast<char*>(memory) - kHeader;
        PoolBlocks& kept = Kept();
        if (*static_cast<bool*>(block) && kept.m_count < kKept)
            kept.m_blocks[kept.m_count++] = block;
        else
            std::free(block);
    }

    ~PoolBlocks()
    {
        while (m_count > 0)
            std::free(m_blocks[--m_count]);
    }

private:
    // The library asks for its block size and a few bytes more.
    static constexpr std::size_t kBlockSize = 65 * 1024;
    static constexpr std::size_t kHeader = alignof(std::max_align_t);
    static constexpr int kKept = 96;

    static PoolBlocks& Kept()
    {
        thread_local PoolBlocks kept;
        return kept;
    }

    void* m_blocks[kKept];
    int m_count = 0;
};

// The line of the text that `at` points into.
int LineOf(const std::string& text, const char* at)
{
    return 1 + static_cast<int>(std::count(text.data(), at, '\n'));
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
    return ReadWhole(text, out);
}

bool OgreXmlModelLoader::TryToFloat(const std::string& text, float& out)
{
    return ReadWhole(text, out);
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
    // Every byte: the XML ends at a NUL, as the library reads it.
    std::string text;
    text.resize(static_cast<size_t>(file.GetSize()));
    text.resize(static_cast<size_t>(file.Read(&text[0], file.GetSize())));
    file.Close();
    if (text.empty())
        return failed("is empty");
    if (text[0] == '\0')
        return failed("starts with a NUL character");

    // The parse recurses once per level of nesting: a file nested deeper
    // than any mesh is refused before it starts.
    if (XmlNesting::Depth(text, XmlNesting::kMeshLimit) > XmlNesting::kMeshLimit)
        return failed("elements nested deeper than " + std::to_string(XmlNesting::kMeshLimit) + " levels");

    // In place, in the text itself: names and values are left unterminated,
    // so the line breaks stay where they were for the messages.
    const int kFlags = rapidxml::parse_no_string_terminators | rapidxml::parse_no_data_nodes |
                       rapidxml::parse_validate_closing_tags;
    rapidxml::xml_document<char> document;
    document.set_allocator(PoolBlocks::Allocate, PoolBlocks::Free);
    try {
        document.parse<kFlags>(&text[0]);
    } catch (const rapidxml::parse_error& e) {
        const char* where = e.where<char>();
        if (where >= text.data() + text.size())
            return failed("ends inside an element (cut short?)");
        std::ostringstream reason;
        reason << "XML error: " << e.what() << " on line " << LineOf(text, where);
        return failed(reason.str());
    }

    // Every element in document order, as it opens and then as it closes.
    MeshReading reading;
    const XmlNode* element = document.first_node();
    while (element) {
        bool descend = true;
        bool ok = reading.Open(element, descend);
        const XmlNode* child = descend ? element->first_node() : 0;
        if (ok && child) {
            element = child;
            continue;
        }
        // Closes the element and each enclosing one that it ends.
        while (ok) {
            ok = reading.Close(element);
            if (!ok)
                break;
            if (element->next_sibling()) {
                element = element->next_sibling();
                break;
            }
            element = element->parent();
            if (element == &document) {
                element = 0;
                break;
            }
        }
        if (!ok) {
            std::ostringstream where;
            where << "line " << LineOf(text, element->name()) << ": " << reading.Error();
            return failed(where.str());
        }
    }

    std::vector<VT_PosNorTexTan>& vertices = reading.m_vertices;
    std::vector<std::uint32_t>& indices = reading.m_indices;
    if (vertices.empty() || indices.empty() || !reading.m_hasPosition)
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
    bound.SetFromMinMax(reading.m_minCorner, reading.m_maxCorner);

    const VertexFormat format = VT_PosNorTexTan::GetFormat();
    if (!mesh->Create(vertexData, &format, indexData, DataType(eDataFormat_UINT1), &bound))
        return failed("the mesh could not be made from it");
    if (materialName)
        *materialName = reading.m_firstMaterial;
    return true;
}

} // namespace Vorm
