#include "Core/Rendering/VertexTypes.h"

namespace Vorm {

namespace {

// Built during static initialisation; they read only the constant-initialised
// data-format lists, so the order of translation units does not matter.

VertexFormat BuildPos()
{
    VertexFormat f;
    f.AddAttribute("pos", eDataFormat_FLOAT3, 1);
    return f;
}

VertexFormat BuildPosNor()
{
    VertexFormat f;
    f.AddAttribute("pos", eDataFormat_FLOAT3, 1);
    f.AddAttribute("normal", eDataFormat_FLOAT3, 1);
    return f;
}

VertexFormat BuildPosNorTex()
{
    VertexFormat f;
    f.AddAttribute("pos", eDataFormat_FLOAT3, 1);
    f.AddAttribute("normal", eDataFormat_FLOAT3, 1);
    f.AddAttribute("tex0", eDataFormat_FLOAT2, 1);
    return f;
}

VertexFormat BuildPosNorTexTan()
{
    VertexFormat f;
    f.AddAttribute("pos", eDataFormat_FLOAT3, 1);
    f.AddAttribute("normal", eDataFormat_FLOAT3, 1);
    f.AddAttribute("tex0", eDataFormat_FLOAT2, 1);
    f.AddAttribute("tangent", eDataFormat_FLOAT3, 1);
    return f;
}

VertexFormat BuildTexTan()
{
    VertexFormat f;
    f.AddAttribute("tex0", eDataFormat_FLOAT2, 1);
    f.AddAttribute("tangent", eDataFormat_FLOAT3, 1);
    return f;
}

// Function-local statics: a static object of another unit that asks for a
// format while it is itself being initialised still gets a built one.
const VertexFormat& FormatPos()
{
    static const VertexFormat s_format = BuildPos();
    return s_format;
}

const VertexFormat& FormatPosNor()
{
    static const VertexFormat s_format = BuildPosNor();
    return s_format;
}

const VertexFormat& FormatPosNorTex()
{
    static const VertexFormat s_format = BuildPosNorTex();
    return s_format;
}

const VertexFormat& FormatPosNorTexTan()
{
    static const VertexFormat s_format = BuildPosNorTexTan();
    return s_format;
}

const VertexFormat& FormatTexTan()
{
    static const VertexFormat s_format = BuildTexTan();
    return s_format;
}

// Build all five before the entry point, as the rest of the engine expects.
struct BuildAtStart
{
    BuildAtStart()
    {
        FormatPos();
        FormatPosNor();
        FormatPosNorTex();
        FormatPosNorTexTan();
        FormatTexTan();
    }
};
const BuildAtStart s_buildAtStart;

} // namespace

VertexFormat VT_Pos::GetFormat()
{
    return FormatPos();
}

const VertexFormat& VT_PosNor::GetFormat()
{
    return FormatPosNor();
}

VertexFormat VT_PosNorTex::GetFormat()
{
    return FormatPosNorTex();
}

VertexFormat VT_PosNorTexTan::GetFormat()
{
    return FormatPosNorTexTan();
}

VertexFormat VT_TexTan::GetFormat()
{
    return FormatTexTan();
}

} // namespace Vorm
