#ifndef VORM_CORE_SCENEGRAPH_MODEL_XMLNESTING_H
#define VORM_CORE_SCENEGRAPH_MODEL_XMLNESTING_H

#include <string>

namespace Vorm {

// How deep the elements of an XML text nest, found without building or
// recursing. The XML library parses one level of recursion per level of
// nesting, and so do the readers that walk what it builds: a text nested
// too deep for the stack is refused by this count before it is parsed.
class XmlNesting
{
public:
    // Deepest nesting of a scene file that is read: far beyond any real
    // scene (the demo's nest 6 deep), shallow enough for every recursion
    // over the scene.
    static constexpr int kSceneLimit = 256;
    // The same for a mesh file (Ogre's tools nest theirs 8 deep at most).
    static constexpr int kMeshLimit = 256;

    // Deepest element nesting of the text (a lone root element is 1) over
    // the part the XML library (rapidxml, default flags) would read: the
    // count stops where the library would report an error or meet a NUL.
    // Comments, CDATA, processing instructions, declarations and quoted
    // attribute values hold no elements; a self-closing element opens no
    // level. Counts no further once past `stopAbove`.
    static int Depth(const std::string& text, int stopAbove);
};

} // namespace Vorm

#endif
