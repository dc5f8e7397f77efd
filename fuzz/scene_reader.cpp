// Scene file reader: the scene text is the input; the material file and the
// mesh files beside it are the hand-written test data.
#include "FuzzSupport.h"

#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/Node.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

using FuzzSupport::Check;

namespace {

// Every child is there and knows its parent.
int Walk(const Vorm::Node& node)
{
    int count = 1;
    for (int i = 0; i < node.GetChildCount(); ++i) {
        boost::shared_ptr<Vorm::Spatial> child = node.GetChild(i);
        Check(child && child->GetParent() == &node, "broken child link");
        if (const Vorm::Node* inner = dynamic_cast<const Vorm::Node*>(child.get()))
            count += Walk(*inner);
        else
            ++count;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string dir = [] {
        FuzzSupport::SilenceConsole();
        const std::string d = FuzzSupport::TempDir();
        const char* files[] = {"Ground.mesh.xml", "Rock.mesh.xml", "Tree.mesh.xml"};
        for (const char* f : files)
            ModelTestFiles::WriteText(d + f, ModelTestFiles::ReadText(ModelTestFiles::SceneDir() + f));
        ModelTestFiles::WriteText(d + "F.material", ModelTestFiles::ReadText(ModelTestFiles::SceneDir() + "Valley.material"));
        return d;
    }();
    FuzzSupport::WriteFile(dir + "F.scene", data, size);

    FuzzSupport::Renderer renderer;
    Vorm::OgreXmlModelLoader loader;
    boost::shared_ptr<Vorm::Model> model = loader.LoadFromFile(dir, "F");
    // A refusal names the file at fault: the scene or one beside it.
    Check(model ? loader.GetError().empty() : loader.GetError().compare(0, dir.size(), dir) == 0,
          "refusal without the file named");
    if (model) {
        Check(model->GetName() == "<ModelRoot: F>", "root name");
        Walk(*model);
        // Key frames read from the input drive the transforms.
        model->Update(0.25f, true);
        model->Update(10.0f, true);
    }
    return 0;
}
