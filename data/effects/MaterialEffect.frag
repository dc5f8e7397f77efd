#version 140

// Surface material lit by up to eight directional lights, the one whose maps
// are bound with split shadow maps. The vertex stage has read the uniforms and
// sorted the light list; this rasteriser runs every instruction of a shader
// whether its branch is taken or not, so the work here is what every fragment
// needs: one pass of the light loop per light, and texture look-ups into
// units that the material and the lights leave empty cost next to nothing.

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

uniform sampler2D Tex_Ambient;
uniform sampler2D Tex_Diffuse;
uniform sampler2D Tex_Specular;
uniform sampler2D Tex_Specularity;
uniform sampler2D Tex_NormalMap;

in vec3 vWorldPos;
in vec3 vNormal;
in vec3 vTangent;
in vec2 vTexCoord;
in float vViewDepth;
in vec3 vShadow1;
in vec3 vShadow2;
in vec3 vShadow3;

flat in vec3 fCamera;
flat in vec3 fAmbient;
flat in vec4 fDiffuse;
flat in vec3 fSpecular;
flat in float fShininess;
flat in int fUsage;
flat in int fLights;
flat in int fLightCount;
flat in int fShadowLight;
flat in int fShadowSplits;
flat in vec3 fShadowFars;
flat in vec3 fShadowToLight;
flat in vec3 fSumAmbient;
flat in vec3 fSkyX;
flat in vec3 fSkyY;
flat in vec3 fSkyZ;

out vec4 fragColor;

// The maps hold plain depth: compare by hand. Points outside the map are lit.
float SampleShadow(sampler2D map, vec3 p, float bias)
{
    float stored = textureLod(map, p.xy, 0.0).r;
    if (p.x < 0.0 || p.x > 1.0 || p.y < 0.0 || p.y > 1.0 || p.z > 1.0)
        return 1.0;
    return (p.z - bias > stored) ? 0.0 : 1.0;
}

// The split whose depth slice holds the fragment; past the last, no shadow.
float Shadow(vec3 normal)
{
    float bias = 0.0015 + 0.004 * (1.0 - max(dot(normal, fShadowToLight), 0.0));
    int count = fShadowSplits;
    if (count <= 0)
        return 1.0;
    if (count == 1 || vViewDepth <= fShadowFars.x)
        return SampleShadow(Lights[0].Tex_ShadowMap1, vShadow1, bias);
    if (count == 2 || vViewDepth <= fShadowFars.y)
        return SampleShadow(Lights[0].Tex_ShadowMap2, vShadow2, bias);
    if (vViewDepth <= fShadowFars.z)
        return SampleShadow(Lights[0].Tex_ShadowMap3, vShadow3, bias);
    return 1.0;
}

void main()
{
    vec3 normal = normalize(vNormal);
    if ((fUsage & 16) != 0 && dot(vTangent, vTangent) > 1e-8) {
        vec3 tangent = normalize(vTangent - normal * dot(normal, vTangent));
        vec3 bitangent = cross(normal, tangent);
        vec3 n = texture(Tex_NormalMap, vTexCoord).xyz * 2.0 - 1.0;
        normal = normalize(tangent * n.x + bitangent * n.y + normal * n.z);
    }
    vec3 toEye = normalize(fCamera - vWorldPos);

    float shininess = fShininess;
    if ((fUsage & 8) != 0)
        shininess *= texture(Tex_Specularity, vTexCoord).r;
    shininess = max(shininess, 1.0);

    // Ambient light also falls on the diffuse colour, stronger on faces that
    // turn towards the light (0.6 + 0.4 of the facing), so ambient-only scenes
    // keep their relief.
    vec3 ambientLight = fSumAmbient;
    vec3 skyLight = 0.6 * fSumAmbient + 0.4 * (mat3(fSkyX, fSkyY, fSkyZ) * normal);
    float shadow = Shadow(normal);

    // A do-while visits exactly the listed lights: this rasteriser tests a
    // loop's end only after its body.
    vec3 diffuseLight = vec3(0.0);
    vec3 specularLight = vec3(0.0);
    int k = 0;
    do {
        if (k < fLightCount) {
            int i = (fLights >> (3 * k)) & 7;
            vec3 toLight = -normalize(Lights[i].Direction);
            float lambert = max(dot(normal, toLight), 0.0);
            float lit = i == fShadowLight ? shadow : 1.0;
            diffuseLight += Lights[i].ColorDiffuse.rgb * lambert * lit;
            if (lambert > 0.0) {
                vec3 halfway = normalize(toLight + toEye);
                specularLight += Lights[i].ColorSpecular.rgb * pow(max(dot(normal, halfway), 0.0), shininess) * lit;
            }
        }
        ++k;
    } while (k < fLightCount);

    vec4 diffuseTexel = texture(Tex_Diffuse, vTexCoord);
    vec3 ambient = fAmbient;
    if ((fUsage & 1) != 0)
        ambient *= texture(Tex_Ambient, vTexCoord).rgb;
    if ((fUsage & 32) != 0)
        ambient *= diffuseTexel.rgb;
    vec4 diffuse = fDiffuse;
    if ((fUsage & 2) != 0)
        diffuse *= diffuseTexel;
    vec3 specular = fSpecular;
    if ((fUsage & 4) != 0)
        specular *= texture(Tex_Specular, vTexCoord).rgb;

    vec3 color = ambientLight * ambient + (skyLight + diffuseLight) * diffuse.rgb + specularLight * specular;
    fragColor = vec4(color, diffuse.a);
}
