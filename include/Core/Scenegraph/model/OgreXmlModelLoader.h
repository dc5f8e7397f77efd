#ifndef VORM_CORE_SCENEGRAPH_MODEL_OGREXMLMODELLOADER_H
#define VORM_CORE_SCENEGRAPH_MODEL_OGREXMLMODELLOADER_H

#include "Core/Scenegraph/model/IModelLoader.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

namespace rapidxml {
template <class Ch> class xml_node;
}

template <typename T> class Matrix33;

namespace Vorm {

class IMaterialEffect;
class Node;
class Transform;
class TransformController;
class TriangleMesh;

typedef std::map<std::string, boost::shared_ptr<IMaterialEffect> > MaterialMap;

// Loads an Ogre XML scene: name + ".scene" (the node tree), name +
// ".material" (the materials) and one mesh file per entity (mesh name +
// ".xml"), all in one folder. Inner XML nodes become Nodes, leaves with a
// mesh TriangleMeshes with their material, and mesh-less animated leaves
// CameraNodes. A scene is rejected whole when any of its files is missing or
// malformed or when it names a mesh or material that is not there; the
// reason, with the file's path, is kept for the caller. The loader never
// follows an element that is not there.
class OgreXmlModelLoader : public IModelLoader
{
public:
    typedef rapidxml::xml_node<char> XmlNode;

    OgreXmlModelLoader();
    ~OgreXmlModelLoader() override;

    // Empty when a file of the scene is missing or malformed, or the scene
    // names a mesh or material that is not there (see GetError).
    boost::shared_ptr<Model> LoadFromFile(const std::string& path, const std::string& name) override;
    // Why the last LoadFromFile failed: the path of the file at fault as
    // opened and what is wrong with it. Empty after a success.
    const std::string& GetError() const { return m_error; }

    // Material file: one GLMaterialEffect per outermost block, inserted under
    // the block's name (the first of a name stays). Read as the script it is:
    // a byte-order mark skipped, "//" and "/* */" comments, statements ended
    // by line breaks and braces alike. false when the file does not open,
    // holds no material, its braces do not pair up (a '}' that closes no
    // block, a block still open at the end) or a "/*" is never closed;
    // `error`, when given, then gets the path and the reason. Other malformed
    // statements are reported and skipped.
    static bool LoadMaterialsFromFile(const std::string& path, MaterialMap* materials, std::string* error = 0);

    // Mesh file into `mesh`, read as XML: the vertices of every geometry
    // (the vertex buffers of one geometry side by side, each vertex with its
    // first texture coordinate set) and the faces of every sub-mesh, without
    // lower levels of detail. false (mesh untouched) when the file does not
    // open or is malformed: not well-formed XML (a file cut short among
    // them), nested deeper than XmlNesting::kMeshLimit, no vertex or no face,
    // a face index outside the vertex list or its sub-mesh's geometry, vertex
    // buffers of one geometry with different counts, no position, a read
    // value missing or not a number, or a usesharedvertices that is neither
    // true nor false; `error`, when given, then gets the path and the reason.
    // `materialName`, when given, gets the material that the first sub-mesh
    // names (empty if none).
    static bool LoadMesh(const std::string& path, TriangleMesh* mesh, std::string* materialName = 0,
                         std::string* error = 0);

    // Text helpers shared by the three readers.
    static bool Contains(const std::string& line, const std::string& marker);
    // Text between name + 2 characters and the next double quote; empty when
    // the name is absent or its value has no closing quote.
    static std::string GetAttributeValue(const std::string& line, const std::string& name);
    // Leading number of the text; 0 when it holds none.
    static int ToInt(const std::string& text);
    static float ToFloat(const std::string& text);
    // The words of the line: pieces between runs of blanks and tabs, none
    // of them empty.
    static void Split(const std::string& line, std::vector<std::string>& tokens);

    // The first child named `name` (case-sensitive), or null; null for a
    // null element.
    static XmlNode* FindChild(XmlNode* element, const char* name);
    static bool HasChildNode(XmlNode* element);

private:
    OgreXmlModelLoader(const OgreXmlModelLoader&);
    OgreXmlModelLoader& operator=(const OgreXmlModelLoader&);

    boost::shared_ptr<Model> LoadScene(const std::string& path, const std::string& name);
    void DepthFirstScenegraph(XmlNode* parent, Node* target);
    // Null when the element has no entity or its mesh does not load. The
    // mesh draws the buffers of its file's first reading in this scene.
    TriangleMesh* CreateGeometry(XmlNode* element);
    // Position (or translation), rotation (or quaternion) and scale as far
    // as the element has them; false when one it has cannot be read. `node`
    // is the node whose key frame the element is, null for a node itself.
    bool ParseTransform(XmlNode* element, Transform* transform, XmlNode* node = 0);
    // The three values of a <position>, <translation> or <scale>: by the
    // names x, y, z, or in document order where none of them is there.
    bool ReadVector(XmlNode* element, XmlNode* node, XmlNode* part, float* values);
    // A <rotation> or <quaternion> as a rotation matrix: the quaternion by
    // qx qy qz qw or x y z w, an angle in radians about axisX axisY axisZ,
    // or four values in document order where none of those names is there;
    // normalised where it is not of unit length. false, naming the element,
    // for any other named form and for a quaternion of (near) zero length.
    bool ReadRotation(XmlNode* element, XmlNode* node, XmlNode* part, Matrix33<float>& rotation);
    // Empty when the element has no animation. Each key frame starts from
    // `own`, the pose of the node itself.
    boost::shared_ptr<TransformController> ParseTransformAnimation(XmlNode* element, const Transform& own);
    // How an element shows in a message: a key frame with its node.
    static std::string Where(XmlNode* element, XmlNode* node);
    // The attributes `names` of `part`, or its first `count` attributes, as
    // numbers; false when one is missing or not a number.
    static bool ReadNamed(XmlNode* part, const char* const* names, int count, float* values);
    static bool ReadInOrder(XmlNode* part, float* values, int count);

    // Records the first fault of the scene being read; the walk stops once
    // one is recorded.
    void Fail(const std::string& reason);
    bool Failed() const { return !m_error.empty(); }

    // The text as one number, blanks around it allowed; false when it holds
    // none, anything else after it, or one out of range.
    static bool TryToInt(const std::string& text, int& out);
    static bool TryToFloat(const std::string& text, float& out);

    // A mesh file read for this scene: the mesh whose buffers its entities
    // share, and the material the file names.
    struct ReadMesh
    {
        boost::shared_ptr<TriangleMesh> m_spMesh;
        std::string m_material;
    };

    std::string m_basePath;
    std::string m_sceneFile;
    std::string m_materialFile;
    MaterialMap m_materials;
    // By the path of the file as the file system resolves it: a file named
    // by many entities is read and uploaded once. Emptied after each scene,
    // so the entities alone hold the buffers.
    std::map<std::string, ReadMesh> m_readMeshes;
    std::string m_error;
};

} // namespace Vorm

#endif
