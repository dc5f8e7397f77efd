#version 140

// Surface material lit by up to eight directional lights with split shadow
// maps. Shading_Type 0 is the cheap form (reflections): no normal map and no
// shadows. Tex_Usage tells which of the five material textures are bound.

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

uniform sampler2D Tex_Ambient;
uniform sampler2D Tex_Diffuse;
uniform sampler2D Tex_Specular;
uniform sampler2D Tex_Specularity;
uniform sampler2D Tex_NormalMap;
// ambient, diffuse, specular, specularity, normal map: 1 when bound.
uniform int Tex_Usage[5];

in vec3 vWorldPos;
in vec3 vNormal;
in vec3 vTangent;
in vec2 vTexCoord;
in float vViewDepth;

out vec4 fragColor;

vec3 g_normal;
vec3 g_toEye;
float g_shininess;
bool g_receiveShadows;
vec3 g_ambient;
vec3 g_skyLight;
vec3 g_diffuse;
vec3 g_specular;

// The maps hold plain depth: compare by hand. Points outside the map are lit.
float SampleShadow(sampler2D map, mat4 texMatrix, float bias)
{
    vec4 c = texMatrix * vec4(vWorldPos, 1.0);
    vec3 p = c.xyz / c.w;
    float stored = textureLod(map, p.xy, 0.0).r;
    if (p.x < 0.0 || p.x > 1.0 || p.y < 0.0 || p.y > 1.0 || p.z > 1.0)
        return 1.0;
    return (p.z - bias > stored) ? 0.0 : 1.0;
}

float ShadowTerm(int count, float far1, float far2, float far3,
                 sampler2D map1, sampler2D map2, sampler2D map3,
                 mat4 tex1, mat4 tex2, mat4 tex3, float bias)
{
    if (count <= 0)
        return 1.0;
    if (count == 1 || vViewDepth <= far1)
        return SampleShadow(map1, tex1, bias);
    if (count == 2 || vViewDepth <= far2)
        return SampleShadow(map2, tex2, bias);
    if (vViewDepth <= far3)
        return SampleShadow(map3, tex3, bias);
    return 1.0;
}

void AddLight(vec3 direction, vec4 ambient, vec4 diffuse, vec4 specular, float shadow)
{
    vec3 toLight = -normalize(direction);
    float facing = dot(g_normal, toLight);
    float lambert = max(facing, 0.0);
    g_ambient += ambient.rgb;
    // Ambient light also falls on the diffuse colour, stronger on faces that
    // turn towards the light, so ambient-only scenes keep their relief.
    g_skyLight += ambient.rgb * (0.6 + 0.4 * facing);
    g_diffuse += diffuse.rgb * lambert * shadow;
    if (lambert > 0.0) {
        vec3 halfway = normalize(toLight + g_toEye);
        g_specular += specular.rgb * pow(max(dot(g_normal, halfway), 0.0), g_shininess) * shadow;
    }
}

// Every light's shadow samplers sit on the same units (5 to 7), and GLSL
// 1.40 indexes samplers with constants only: light 0's names read the maps
// of whichever light is bound.
float ShadowOf(int i, float bias)
{
    if (!g_receiveShadows || Lights[i].IsShadowCaster == 0)
        return 1.0;
    return ShadowTerm(Lights[i].Nmb_ShadowMaps, Lights[i].ShadowFarDist[0], Lights[i].ShadowFarDist[1],
                      Lights[i].ShadowFarDist[2], Lights[0].Tex_ShadowMap1, Lights[0].Tex_ShadowMap2,
                      Lights[0].Tex_ShadowMap3, Lights[i].Mat_LightProjView1, Lights[i].Mat_LightProjView2,
                      Lights[i].Mat_LightProjView3, bias);
}

// Only the listed lights are visited: the software rasteriser pays for every
// light written out, whether it shines or not. A light listed twice counts once.
void AddListedLights()
{
    for (int k = 0; k < 8; ++k) {
        if (k >= Nmb_LightIndices)
            break;
        int i = Light_Indices[k];
        bool seen = i < 0 || i > 7;
        for (int j = 0; j < k; ++j)
            seen = seen || Light_Indices[j] == i;
        if (seen)
            continue;
        float bias = 0.0015 + 0.004 * (1.0 - max(dot(g_normal, -normalize(Lights[i].Direction)), 0.0));
        AddLight(Lights[i].Direction, Lights[i].ColorAmbient, Lights[i].ColorDiffuse, Lights[i].ColorSpecular,
                 ShadowOf(i, bias));
    }
}

void main()
{
    vec3 normal = normalize(vNormal);
    if (Shading_Type != 0 && Tex_Usage[4] != 0 && dot(vTangent, vTangent) > 1e-8) {
        vec3 tangent = normalize(vTangent - normal * dot(normal, vTangent));
        vec3 bitangent = cross(normal, tangent);
        vec3 n = texture(Tex_NormalMap, vTexCoord).xyz * 2.0 - 1.0;
        normal = normalize(tangent * n.x + bitangent * n.y + normal * n.z);
    }
    g_normal = normal;
    g_toEye = normalize(Camera_Position - vWorldPos);

    g_shininess = Color_Specularity;
    if (Tex_Usage[3] != 0)
        g_shininess *= texture(Tex_Specularity, vTexCoord).r;
    g_shininess = max(g_shininess, 1.0);

    g_receiveShadows = Shading_Type != 0 && Shadow_Receiver != 0;
    g_ambient = vec3(0.0);
    g_skyLight = vec3(0.0);
    g_diffuse = vec3(0.0);
    g_specular = vec3(0.0);

    AddListedLights();

    vec4 ambient = Color_Ambient;
    if (Tex_Usage[0] != 0)
        ambient *= texture(Tex_Ambient, vTexCoord);
    vec4 diffuse = Color_Diffuse;
    if (Tex_Usage[1] != 0)
        diffuse *= texture(Tex_Diffuse, vTexCoord);
    vec4 specular = Color_Specular;
    if (Tex_Usage[2] != 0)
        specular *= texture(Tex_Specular, vTexCoord);

    vec3 color = g_ambient * ambient.rgb + (g_skyLight + g_diffuse) * diffuse.rgb + g_specular * specular.rgb;
    fragColor = vec4(color, diffuse.a);
}
