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

#include <cstring>
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
    m_basePath = path;
    m_error.clear();
    const std::string sceneFile = path + name + ".scene";
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
            boost::shared_ptr<TransformController> controller = ParseTransformAnimation(element);
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
            boost::shared_ptr<TransformController> controller = ParseTransformAnimation(element);
            if (Failed())
                return;

            if (controller && !mesh) {
                CameraNode* camera = VORM_NEW CameraNode();
                camera->SetController(controller);
                target->AttachChild(camera);
            } else if (mesh) {
                if (!label) {
                    Fail(Describe(element) + " has no label");
                    return;
                }
                mesh->SetName(std::string("<Geometry: ") + label->value() + ">");
                if (!ParseTransform(element, &mesh->Local()))
                    return;
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
    XmlAttribute* materialName = sub ? sub->first_attribute() : 0;
    if (sub && !materialName) {
        Fail(Describe(element) + ": <subentity> has no material name");
        return 0;
    }
    // Reading stops between files once the program is asked to end.
    if (QuitRequest::IsPending()) {
        Fail("loading stopped: the program is ending");
        return 0;
    }

    TriangleMesh* mesh = VORM_NEW TriangleMesh();
    std::string meshMaterial;
    std::string meshError;
    if (!LoadMesh(m_basePath + meshFile->value() + ".xml", mesh, &meshMaterial, &meshError)) {
        VORM_DELETE mesh;
        Fail(Describe(element) + " names the mesh file " + meshError);
        return 0;
    }
    std::string material;
    if (materialName)
        material = materialName->value();
    else if (!subentities)
        material = meshMaterial;
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

bool OgreXmlModelLoader::ParseTransform(XmlNode* element, Transform* transform)
{
    // Every part of a pose is optional: what is not there stays as the
    // transform has it (no translation, no turn). Attribute order decides,
    // not attribute names.
    XmlNode* p = FindChild(element, "position");
    if (!p)
        p = FindChild(element, "translation");
    if (p) {
        float t[3];
        if (!ReadNumbers(element, p, t, 3, "three"))
            return false;
        transform->SetTranslation(t[0], t[1], t[2]);
    }

    // Exporters write x, y, z, w either as <rotation> or as <quaternion>.
    XmlNode* r = FindChild(element, "rotation");
    if (!r)
        r = FindChild(element, "quaternion");
    if (r) {
        float q[4];
        if (!ReadNumbers(element, r, q, 4, "four"))
            return false;
        Matrix33<float> rotation;
        Quaternion(q[3], q[0], q[1], q[2]).ToRotationMatrix33(rotation);
        transform->SetRotation(rotation);
    }
    return true;
}

bool OgreXmlModelLoader::ReadNumbers(XmlNode* element, XmlNode* part, float* values, int count, const char* words)
{
    XmlAttribute* a = part->first_attribute();
    for (int i = 0; i < count; ++i, a = a->next_attribute()) {
        if (!a || !TryToFloat(a->value(), values[i])) {
            Fail(Describe(element) + ": <" + part->name() + "> needs " + words + " numbers");
            return false;
        }
    }
    return true;
}

boost::shared_ptr<TransformController> OgreXmlModelLoader::ParseTransformAnimation(XmlNode* element)
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
        Transform transform;
        if (!ParseTransform(key, &transform))
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
