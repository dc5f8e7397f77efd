// OgreXmlModelLoader: the scene file reader.
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include "Core/File/File.h"
#include "Core/Math/Matrix33.h"
#include "Core/Math/Quaternion.h"
#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/CameraNode.h"
#include "Core/Scenegraph/Keyframe.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/Node.h"
#include "Core/Scenegraph/Transform.h"
#include "Core/Scenegraph/TransformController.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/XmlNesting.h"
#include "Core/Util/QuitRequest.h"

#include <rapidxml/rapidxml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

namespace Vorm {

namespace {

typedef rapidxml::xml_attribute<char> XmlAttribute;

// How an element shows in a message: its name and label, if any.
std::string Describe(OgreXmlModelLoader::XmlNode* element)
{
    std::string text = "<";
    text += element->name_size() ? element->name() : "text";
    text += ">";
    if (XmlAttribute* label = element->first_attribute())
        text += std::string(" \"") + label->value() + "\"";
    return text;
}

// Names under which exporters write the values of a part, each set in the
// order the values are used.
const char* const kXyz[] = {"x", "y", "z"};
const char* const kQxyzw[] = {"qx", "qy", "qz", "qw"};
const char* const kXyzw[] = {"x", "y", "z", "w"};
const char* const kAngleAxis[] = {"angle", "axisX", "axisY", "axisZ"};
// Euler angles: a named form that cannot be turned into a rotation without
// knowing the exporter's axis order.
const char* const kEuler[] = {"angleX", "angleY", "angleZ", "heading", "pitch", "roll", "yaw"};

// Below this length a quaternion or an axis gives no direction to speak of.
const double kShortest = 1e-6;
// How far from 1 the length of a quaternion written with five or more
// decimals may lie.
const double kUnitLength = 1e-4;

template <size_t N>
bool HasAnyOf(OgreXmlModelLoader::XmlNode* part, const char* const (&names)[N])
{
    for (const char* name : names) {
        if (part->first_attribute(name))
            return true;
    }
    return false;
}

} // namespace

OgreXmlModelLoader::OgreXmlModelLoader()
{
}

OgreXmlModelLoader::~OgreXmlModelLoader()
{
}

void OgreXmlModelLoader::Fail(const std::string& reason)
{
    if (m_error.empty())
        m_error = reason;
}

OgreXmlModelLoader::XmlNode* OgreXmlModelLoader::FindChild(XmlNode* element, const char* name)
{
    if (!element)
        return 0;
    const size_t length = std::strlen(name);
    for (XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
        if (child->name_size() == length && std::memcmp(child->name(), name, length) == 0)
            return child;
    }
    return 0;
}

bool OgreXmlModelLoader::HasChildNode(XmlNode* element)
{
    return FindChild(element, "node") != 0;
}

boost::shared_ptr<Model> OgreXmlModelLoader::LoadFromFile(const std::string& path, const std::string& name)
{
    boost::shared_ptr<Model> model = LoadScene(path, name);
    // The meshes of the scene keep their buffers; the loader holds none.
    m_readMeshes.clear();
    return model;
}

boost::shared_ptr<Model> OgreXmlModelLoader::LoadScene(const std::string& path, const std::string& name)
{
    m_readMeshes.clear();
    m_basePath = path;
    m_error.clear();
    const std::string sceneFile = path + name + ".scene";
    m_sceneFile = sceneFile;
    m_materialFile = path + name + ".material";

    m_materials.clear();
    std::string materialError;
    if (!LoadMaterialsFromFile(m_materialFile, &m_materials, &materialError)) {
        m_error = materialError;
        return boost::shared_ptr<Model>();
    }

    File file(sceneFile);
    if (!file.Open(File::kSceneLimit)) {
        m_error = sceneFile + ": " + file.GetError();
        return boost::shared_ptr<Model>();
    }
    std::string text;
    file.ReadFile(text);
    file.Close();

    // The parse and the walk below recurse once per level of nesting: a
    // file nested deeper than any scene is refused before either starts.
    if (XmlNesting::Depth(text, XmlNesting::kSceneLimit) > XmlNesting::kSceneLimit) {
        m_error = sceneFile + ": elements nested deeper than " + std::to_string(XmlNesting::kSceneLimit) +
                  " levels";
        return boost::shared_ptr<Model>();
    }

    // The parse works in place: it needs a writable, NUL-terminated copy that
    // lives longer than the document pointing into it.
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    rapidxml::xml_document<char> document;
    try {
        document.parse<0>(&buffer[0]);
    } catch (const rapidxml::parse_error& e) {
        // The parse leaves line breaks where they were, so they still count;
        // it also writes terminators, so the end is the buffer's, not a NUL.
        const char* where = e.where<char>();
        const char* end = &buffer[0] + buffer.size();
        int line = 1;
        for (const char* c = &buffer[0]; c < where && c < end; ++c)
            line += *c == '\n';
        std::ostringstream reason;
        reason << "XML error: " << e.what() << " on line " << line;
        Fail(reason.str());
    }

    XmlNode* nodes = 0;
    if (!Failed()) {
        // The node list may stand anywhere among the root's children.
        nodes = FindChild(document.first_node(), "nodes");
        if (!nodes)
            Fail("no <nodes> element in the root");
    }

    boost::shared_ptr<Model> model;
    if (!Failed()) {
        model.reset(VORM_NEW Model());
        model->SetName("<ModelRoot: " + name + ">");
        DepthFirstScenegraph(nodes, model.get());
    }
    if (Failed()) {
        m_error = sceneFile + ": " + m_error;
        return boost::shared_ptr<Model>();
    }
    return model;
}

void OgreXmlModelLoader::DepthFirstScenegraph(XmlNode* parent, Node* target)
{
    for (XmlNode* element = FindChild(parent, "node"); element && !Failed();
         element = element->next_sibling()) {
        XmlAttribute* label = element->first_attribute();

        if (HasChildNode(element)) {
            if (!label) {
                Fail(Describe(element) + " has no label");
                return;
            }
            boost::shared_ptr<Node> node(VORM_NEW Node());
            node->SetName(std::string("<Node: ") + label->value() + ">");
            if (!ParseTransform(element, &node->Local()))
                return;
            boost::shared_ptr<TransformController> controller = ParseTransformAnimation(element, node->Local());
            if (Failed())
                return;
            if (controller)
                node->SetController(controller);
            TriangleMesh* mesh = CreateGeometry(element);
            if (Failed())
                return;
            if (mesh) {
                mesh->SetName(std::string("<NodeShape : ") + label->value() + ">");
                mesh->Local().MakeIdentity();
                node->AttachChild(mesh);
            }
            target->AttachChild(node.get());
            DepthFirstScenegraph(element, node.get());
        } else {
            TriangleMesh* mesh = CreateGeometry(element);
            if (Failed())
                return;
            // Owns the mesh until it is attached.
            boost::shared_ptr<Spatial> meshOwner(mesh);
            // The leaf's own pose: the mesh's place, and what its key frames
            // leave out. A camera path takes only the latter from it.
            Transform own;
            if (mesh) {
                if (!label) {
                    Fail(Describe(element) + " has no label");
                    return;
                }
                mesh->SetName(std::string("<Geometry: ") + label->value() + ">");
                if (!ParseTransform(element, &mesh->Local()))
                    return;
                own = mesh->Local();
            } else if (FindChild(FindChild(element, "animations"), "animation")) {
                if (!ParseTransform(element, &own))
                    return;
            }
            boost::shared_ptr<TransformController> controller = ParseTransformAnimation(element, own);
            if (Failed())
                return;

            if (controller && !mesh) {
                CameraNode* camera = VORM_NEW CameraNode();
                camera->SetController(controller);
                target->AttachChild(camera);
            } else if (mesh) {
                if (controller)
                    mesh->SetController(controller);
                target->AttachChild(mesh);
            }
        }
    }
}

TriangleMesh* OgreXmlModelLoader::CreateGeometry(XmlNode* element)
{
    XmlNode* entity = FindChild(element, "entity");
    if (!entity)
        return 0;

    // Everything the entity needs is checked before its mesh file is read.
    XmlAttribute* meshFile = entity->first_attribute("meshFile");
    if (!meshFile) {
        Fail(Describe(element) + ": <entity> has no meshFile");
        return 0;
    }
    // Without sub-entities the mesh file's own material serves.
    XmlNode* subentities = FindChild(entity, "subentities");
    XmlNode* sub = FindChild(subentities, "subentity");
    // Exporters name the material "materialName", not always first.
    XmlAttribute* materialName = sub ? sub->first_attribute("materialName") : 0;
    if (sub && !materialName)
        materialName = sub->first_attribute();
    if (sub && !materialName) {
        Fail(Describe(element) + ": <subentity> has no material name");
        return 0;
    }
    // Reading stops between files once the program is asked to end.
    if (QuitRequest::IsPending()) {
        Fail("loading stopped: the program is ending");
        return 0;
    }

    const std::string meshPath = m_basePath + meshFile->value() + ".xml";
    const std::string key = File::Resolve(meshPath);
    std::map<std::string, ReadMesh>::const_iterator read = m_readMeshes.find(key);
    if (read == m_readMeshes.end()) {
        ReadMesh loaded;
        loaded.m_spMesh.reset(VORM_NEW TriangleMesh());
        std::string meshError;
        if (!LoadMesh(meshPath, loaded.m_spMesh.get(), &loaded.m_material, &meshError)) {
            Fail(Describe(element) + " names the mesh file " + meshError);
            return 0;
        }
        read = m_readMeshes.insert(std::make_pair(key, loaded)).first;
    }
    TriangleMesh* mesh = VORM_NEW TriangleMesh();
    mesh->ShareBuffers(*read->second.m_spMesh);
    std::string material;
    if (materialName)
        material = materialName->value();
    else if (!subentities)
        material = read->second.m_material;
    if (material.empty())
        return mesh;
    MaterialMap::const_iterator found = m_materials.find(material);
    if (found == m_materials.end()) {
        VORM_DELETE mesh;
        Fail(Describe(element) + " names the material \"" + material + "\", which " + m_materialFile +
             " does not define");
        return 0;
    }
    mesh->SetMaterialEffect(found->second);
    return mesh;
}

std::string OgreXmlModelLoader::Where(XmlNode* element, XmlNode* node)
{
    return node ? Describe(node) + ": key frame " + Describe(element) : Describe(element);
}

bool OgreXmlModelLoader::ParseTransform(XmlNode* element, Transform* transform, XmlNode* node)
{
    // Every part of a pose is optional: what is not there stays as the
    // transform has it.
    XmlNode* p = FindChild(element, "position");
    if (!p)
        p = FindChild(element, "translation");
    if (p) {
        float t[3];
        if (!ReadVector(element, node, p, t))
            return false;
        transform->SetTranslation(t[0], t[1], t[2]);
    }

    // Exporters write the turn either as <rotation> or as <quaternion>.
    XmlNode* r = FindChild(element, "rotation");
    if (!r)
        r = FindChild(element, "quaternion");
    if (r) {
        Matrix33<float> rotation;
        if (!ReadRotation(element, node, r, rotation))
            return false;
        transform->SetRotation(rotation);
    }

    if (XmlNode* s = FindChild(element, "scale")) {
        float v[3];
        if (!ReadVector(element, node, s, v))
            return false;
        // The transform holds one scale for all three axes: a node scaled
        // unevenly is shown at its largest, and the viewer is told.
        const float largest = std::max(v[0], std::max(v[1], v[2]));
        if (!(largest > 0.0f)) {
            Fail(Where(element, node) + ": <scale> needs a value above zero");
            return false;
        }
        if (v[0] != v[1] || v[1] != v[2]) {
            std::cout << "Scene file " << m_sceneFile << ": " << Where(element, node) << ": <scale> " << v[0] << " "
                      << v[1] << " " << v[2] << " differs by axis; loaded with " << largest << std::endl;
        }
        // Scale 1 leaves the transform as it was, flags included.
        if (largest != transform->GetScale())
            transform->SetScale(largest);
    }
    return true;
}

bool OgreXmlModelLoader::ReadVector(XmlNode* element, XmlNode* node, XmlNode* part, float* values)
{
    // By the names x, y, z where the part uses them, else in document order.
    const bool named = HasAnyOf(part, kXyz);
    if (named ? ReadNamed(part, kXyz, 3, values) : ReadInOrder(part, values, 3))
        return true;
    Fail(Where(element, node) + ": <" + part->name() + "> needs three numbers" + (named ? " (x, y and z)" : ""));
    return false;
}

bool OgreXmlModelLoader::ReadRotation(XmlNode* element, XmlNode* node, XmlNode* part, Matrix33<float>& rotation)
{
    float v[4];
    Quaternion q(1.0f, 0.0f, 0.0f, 0.0f);
    std::string fault;
    if (HasAnyOf(part, kQxyzw)) {
        if (ReadNamed(part, kQxyzw, 4, v))
            q = Quaternion(v[3], v[0], v[1], v[2]);
        else
            fault = "needs four numbers (qx, qy, qz and qw)";
    } else if (HasAnyOf(part, kAngleAxis)) {
        if (!ReadNamed(part, kAngleAxis, 4, v)) {
            fault = "needs four numbers (angle, axisX, axisY and axisZ)";
        } else {
            const double length = std::sqrt(double(v[1]) * v[1] + double(v[2]) * v[2] + double(v[3]) * v[3]);
            if (length >= kShortest)
                q.FromAngleAxis(v[0], Vector3<float>(float(v[1] / length), float(v[2] / length), float(v[3] / length)));
            else
                fault = "has an axis of no length";
        }
    } else if (HasAnyOf(part, kXyzw)) {
        if (ReadNamed(part, kXyzw, 4, v)) {
            q = Quaternion(v[3], v[0], v[1], v[2]);
        } else {
            fault = "needs four numbers (x, y, z and w)";
            if (!part->first_attribute("w") && part->first_attribute("x") && part->first_attribute("y") &&
                part->first_attribute("z"))
                fault += ": Euler angles are not read";
        }
    } else if (HasAnyOf(part, kEuler)) {
        fault = "holds Euler angles, which are not read: write qx, qy, qz and qw, or angle with axisX, axisY and "
                "axisZ";
    } else if (ReadInOrder(part, v, 4)) {
        // Values without those names: qx, qy, qz, qw in document order.
        q = Quaternion(v[3], v[0], v[1], v[2]);
    } else {
        fault = "needs four numbers";
    }

    if (fault.empty()) {
        // Only a unit quaternion is a rotation: anything longer or shorter
        // would shear or scale the node. One that is unit as far as files
        // write their digits is taken as written.
        const double length = std::sqrt(double(q.w) * q.w + double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z);
        if (!std::isfinite(length))
            fault = "holds a value that is not finite";
        else if (length < kShortest)
            fault = "is of (near) zero length, which is no rotation";
        else if (std::fabs(length - 1.0) > kUnitLength)
            q = Quaternion(float(q.w / length), float(q.x / length), float(q.y / length), float(q.z / length));
    }
    if (!fault.empty()) {
        Fail(Where(element, node) + ": <" + part->name() + "> " + fault);
        return false;
    }
    q.ToRotationMatrix33(rotation);
    return true;
}

bool OgreXmlModelLoader::ReadNamed(XmlNode* part, const char* const* names, int count, float* values)
{
    for (int i = 0; i < count; ++i) {
        XmlAttribute* a = part->first_attribute(names[i]);
        if (!a || !TryToFloat(a->value(), values[i]))
            return false;
    }
    return true;
}

bool OgreXmlModelLoader::ReadInOrder(XmlNode* part, float* values, int count)
{
    XmlAttribute* a = part->first_attribute();
    for (int i = 0; i < count; ++i, a = a->next_attribute()) {
        if (!a || !TryToFloat(a->value(), values[i]))
            return false;
    }
    return true;
}

boost::shared_ptr<TransformController> OgreXmlModelLoader::ParseTransformAnimation(XmlNode* element,
                                                                                   const Transform& own)
{
    XmlNode* animation = FindChild(FindChild(element, "animations"), "animation");
    if (!animation)
        return boost::shared_ptr<TransformController>();
    if (!animation->first_node()) {
        Fail(Describe(element) + ": <animation> has no key frame");
        return boost::shared_ptr<TransformController>();
    }

    boost::shared_ptr<TransformController> controller(VORM_NEW TransformController());
    std::vector<Keyframe> keyframes;
    for (XmlNode* key = animation->first_node(); key; key = key->next_sibling()) {
        // What a key frame leaves out stays as the node itself has it.
        Transform transform = own;
        if (!ParseTransform(key, &transform, element))
            return boost::shared_ptr<TransformController>();
        XmlAttribute* time = key->first_attribute();
        float seconds = 0.0f;
        if (!time || !TryToFloat(time->value(), seconds)) {
            Fail(Describe(element) + ": key frame " + Describe(key) + " has no time");
            return boost::shared_ptr<TransformController>();
        }
        keyframes.push_back(Keyframe(seconds, transform));
    }
    controller->SetKeyframes(keyframes);
    return controller;
}

} // namespace Vorm
