#version 140

// Surface material. Besides the position, normal, tangent and texture
// coordinates this stage reads the material's and the lights' uniforms once
// per vertex and hands the fragment stage what it needs as flat values: the
// software rasteriser pays for every uniform a fragment reads, and a vertex is
// far cheaper than the fragments it covers. It also sorts the material's light
// list (a light listed twice counts once) and works out the one light whose
// shadow maps are bound, whose map coordinates it passes on: the light
// matrices are affine, so the coordinates interpolate exactly.

in vec3 pos;
in vec3 normal;
in vec2 tex0;
in vec3 tangent;

struct Light
{
    vec3 Direction;
    vec4 ColorAmbient;
    vec4 ColorDiffuse;
    vec4 ColorSpecular;
    int IsShadowCaster;
    int Nmb_ShadowMaps;
    float ShadowFarDist[3];
    sampler2D Tex_ShadowMap1;
    sampler2D Tex_ShadowMap2;
    sampler2D Tex_ShadowMap3;
    mat4 Mat_LightProjView1;
    mat4 Mat_LightProjView2;
    mat4 Mat_LightProjView3;
};

uniform Light Lights[8];
uniform int Light_Indices[8];
uniform int Nmb_LightIndices;

uniform int Shading_Type;
uniform int Shadow_Receiver;
uniform vec3 Camera_Position;
uniform vec4 Color_Ambient;
uniform vec4 Color_Diffuse;
uniform vec4 Color_Specular;
uniform float Color_Specularity;
// ambient, diffuse, specular, specularity, normal map: 1 when bound; the
// ambient slot is 2 when it holds the diffuse slot's texture.
uniform int Tex_Usage[5];

uniform mat4 Matrix_M;
uniform mat4 Matrix_MV;
uniform mat4 Matrix_MVP;
uniform vec4 Clipping_Plane;

out vec3 vWorldPos;
out vec3 vNormal;
out vec3 vTangent;
out vec2 vTexCoord;
out float vViewDepth;
// The shadow light's map coordinates, one per split.
out vec3 vShadow1;
out vec3 vShadow2;
out vec3 vShadow3;

flat out vec3 fCamera;
flat out vec3 fAmbient;
flat out vec4 fDiffuse;
flat out vec3 fSpecular;
flat out float fShininess;
// Texture usage as bits: ambient 1, diffuse 2, specular 4, specularity 8,
// normal map 16 (only in the full shading), ambient read from the diffuse
// texture 32.
flat out int fUsage;
// The lights to visit, three bits each in list order, and how many there are.
flat out int fLights;
flat out int fLightCount;
// The shadow light's number (-1: no shadow here), its splits and their far
// distances, and the direction towards it.
flat out int fShadowLight;
flat out int fShadowSplits;
flat out vec3 fShadowFars;
flat out vec3 fShadowToLight;
// Every visited light's ambient colour, summed; and summed as weighted by the
// direction towards each light, a matrix that the normal turns into the
// ambient light that follows the light's direction.
flat out vec3 fSumAmbient;
flat out vec3 fSkyX;
flat out vec3 fSkyY;
flat out vec3 fSkyZ;

void main()
{
    vec4 world = Matrix_M * vec4(pos, 1.0);
    // Transforms carry uniform scale only, so the model matrix's upper 3x3
    // keeps normals perpendicular.
    mat3 rotation = mat3(Matrix_M);
    vWorldPos = world.xyz;
    vNormal = rotation * normal;
    vTangent = rotation * tangent;
    vTexCoord = tex0;
    // Split distances are measured along the viewer's view direction.
    vViewDepth = -(Matrix_MV * vec4(pos, 1.0)).z;
    // Zero while no clip plane is set; GL clips only while clipping is on.
    gl_ClipDistance[0] = dot(Clipping_Plane, world);
    gl_Position = Matrix_MVP * vec4(pos, 1.0);

    // Shading type 0 is the cheap form (reflections): no normal map, no shadows.
    bool full = Shading_Type != 0;
    fCamera = Camera_Position;
    fAmbient = Color_Ambient.rgb;
    fDiffuse = Color_Diffuse;
    fSpecular = Color_Specular.rgb;
    fShininess = Color_Specularity;
    fUsage = (Tex_Usage[0] == 1 ? 1 : 0) | (Tex_Usage[1] != 0 ? 2 : 0) | (Tex_Usage[2] != 0 ? 4 : 0) |
             (Tex_Usage[3] != 0 ? 8 : 0) | (full && Tex_Usage[4] != 0 ? 16 : 0) | (Tex_Usage[0] == 2 ? 32 : 0);

    // Units 5 to 7 hold the maps of the last light that has any: only that
    // light's shadows can be looked up.
    int bound = -1;
    for (int i = 0; i < 8; ++i) {
        if (Lights[i].Nmb_ShadowMaps > 0)
            bound = i;
    }

    int listed = min(Nmb_LightIndices, 8);
    int lights = 0;
    int count = 0;
    fShadowLight = -1;
    fSumAmbient = vec3(0.0);
    mat3 sky = mat3(0.0);
    for (int k = 0; k < listed; ++k) {
        int i = Light_Indices[k];
        bool seen = i < 0 || i > 7;
        for (int j = 0; j < k; ++j)
            seen = seen || Light_Indices[j] == i;
        if (seen)
            continue;
        lights |= i << (3 * count);
        ++count;
        vec3 toLight = -normalize(Lights[i].Direction);
        fSumAmbient += Lights[i].ColorAmbient.rgb;
        sky += outerProduct(Lights[i].ColorAmbient.rgb, toLight);
        if (i == bound && full && Shadow_Receiver != 0 && Lights[i].IsShadowCaster != 0)
            fShadowLight = i;
    }
    fLights = lights;
    fLightCount = count;
    fSkyX = sky[0];
    fSkyY = sky[1];
    fSkyZ = sky[2];

    int s = max(fShadowLight, 0);
    fShadowSplits = fShadowLight < 0 ? 0 : Lights[s].Nmb_ShadowMaps;
    fShadowFars = vec3(Lights[s].ShadowFarDist[0], Lights[s].ShadowFarDist[1], Lights[s].ShadowFarDist[2]);
    fShadowToLight = -normalize(Lights[s].Direction);
    vShadow1 = (Lights[s].Mat_LightProjView1 * world).xyz;
    vShadow2 = (Lights[s].Mat_LightProjView2 * world).xyz;
    vShadow3 = (Lights[s].Mat_LightProjView3 * world).xyz;
}
