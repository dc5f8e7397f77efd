// Mesh file reader: any accepted file must give a mesh whose faces stay
// inside its vertex list; a refused one says why, naming the file.
#include "FuzzSupport.h"

#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include <cstring>

using FuzzSupport::Check;
using FuzzSupport::Renderer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        FuzzSupport::SilenceConsole();
        return FuzzSupport::TempDir() + "f.mesh.xml";
    }();
    FuzzSupport::WriteFile(path, data, size);

    Renderer renderer;
    Vorm::TriangleMesh mesh;
    std::string material = "unset";
    std::string error;
    if (!Vorm::OgreXmlModelLoader::LoadMesh(path, &mesh, &material, &error)) {
        Check(material == "unset", "rejected mesh named a material");
        Check(error.compare(0, path.size() + 2, path + ": ") == 0, "refusal without the file named");
        Check(!mesh.IsCreated() && !mesh.GetVertexBuffer(), "rejected mesh was touched");
        return 0;
    }

    RecordingVertexBuffer* vb = dynamic_cast<RecordingVertexBuffer*>(mesh.GetVertexBuffer());
    RecordingIndexBuffer* ib = dynamic_cast<RecordingIndexBuffer*>(mesh.GetIndexBuffer());
    Check(vb && ib, "accepted mesh without buffers");
    const uint32_t vertexCount = vb->GetCount();
    Check(vertexCount > 0 && vb->bytes.size() == size_t(vertexCount) * 44, "vertex data size");
    Check(ib->GetCount() > 0 && ib->GetCount() % 3 == 0, "index count");
    Check(ib->bytes.size() == size_t(ib->GetCount()) * 4, "index data size");
    for (size_t i = 0; i < ib->GetCount(); ++i) {
        uint32_t index;
        std::memcpy(&index, &ib->bytes[i * 4], 4);
        Check(index < vertexCount, "face index outside the vertex list");
    }
    Check(static_cast<Vorm::BoundingSphere*>(mesh.GetLocalBound())->GetRadius() >= 0.2f, "bound radius");
    return 0;
}
