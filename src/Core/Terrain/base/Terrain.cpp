// Height-map terrain: grid, heights and normals on the CPU, one shared vertex
// buffer, one strip per cell, the colour-mapped material and the grass.
#include "Core/Terrain/base/Terrain.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/MaterialEffectFactory.h"
#include "Core/Rendering/texture/Image.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Terrain/base/GrassPlacement.h"
#include "Core/Terrain/base/GrassRandom.h"
#include "Core/Terrain/base/GridStrips.h"
#include "Core/Terrain/base/NormalGeometry.h"
#include "Core/Terrain/base/TerrainCell.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

namespace Vorm {

namespace {

const Vector3<float> kUp(0.0f, 1.0f, 0.0f);

// Height and coverage maps are sampled at one pixel per vertex: 4096 x 4096
// RGBA is far beyond any grid, and a larger map is refused before decoding.
const Image::Limit kMapLimit("a terrain map", std::numeric_limits<std::uint32_t>::max(), std::uint64_t(64) << 20);

// Unit vectors from r to p and to q, crossed: the face vector of a right
// triangle, as long as the sine of the angle at r.
Vector3<float> FaceVector(const Vector3<float>& r, const Vector3<float>& first, const Vector3<float>& second)
{
    return (first - r).Normalized().Cross((second - r).Normalized());
}

// The pixel column (or row) of vertex i of `verts` on a map `pixels` wide.
// A map with a pixel per vertex or more is read every whole step from its
// first pixel (pixels past the last whole step go unread); a smaller one,
// whose whole step would be 0 and the terrain flat, is stretched over the
// grid.
std::uint32_t SamplePixel(std::uint32_t i, std::uint32_t verts, std::uint32_t pixels)
{
    if (pixels < verts)
        return static_cast<std::uint32_t>(std::uint64_t(i) * (pixels - 1) / (verts - 1));
    const float step = static_cast<float>((pixels - 1) / (verts - 1));
    return static_cast<std::uint32_t>(static_cast<float>(i) * step);
}

// Pixels from the first up to the last one sampled along a side.
std::uint32_t SampledPixels(std::uint32_t verts, std::uint32_t pixels)
{
    return SamplePixel(verts - 1, verts, pixels) + 1;
}

// Whole steps leave up to a step's width unread at the far edges; more than a
// tenth of the map unread shows as a terrain cut from a corner of it.
bool MostlyUnread(std::uint32_t used, std::uint32_t pixels)
{
    return std::uint64_t(pixels - used) * 10 > pixels;
}

} // namespace

Terrain::Terrain()
    : m_vertsX(0), m_vertsZ(0), m_bDrawNormals(false), m_pVertexBuffer(nullptr), m_pNormalGeometry(nullptr)
{
}

Terrain::~Terrain()
{
    VORM_DELETE m_pNormalGeometry;
    m_pNormalGeometry = nullptr;
    // The cells (released with the node's children) only point at it.
    VORM_DELETE m_pVertexBuffer;
    m_pVertexBuffer = nullptr;
}

void Terrain::Create(const TerrainDesc& desc)
{
    if (desc.cellsX == 0 || desc.cellsZ == 0 || desc.quadsPerCellX == 0 || desc.quadsPerCellZ == 0 ||
        !(desc.width > 0.0f) || !(desc.depth > 0.0f)) {
        std::cout << "Terrain not created: it needs a positive size and at least one cell and one quad per "
                     "cell in each direction"
                  << std::endl;
        return;
    }

    m_desc = desc;
    m_vertsX = desc.cellsX * desc.quadsPerCellX + 1;
    m_vertsZ = desc.cellsZ * desc.quadsPerCellZ + 1;
    const float startX = -desc.width / 2.0f;
    const float startZ = -desc.depth / 2.0f;
    const float dx = desc.width / static_cast<float>(m_vertsX - 1);
    const float dz = desc.depth / static_cast<float>(m_vertsZ - 1);

    m_vertices.clear();
    m_vertices.reserve(std::size_t(m_vertsX) * m_vertsZ);
    for (std::uint32_t i = 0; i < m_vertsX; ++i) {
        for (std::uint32_t j = 0; j < m_vertsZ; ++j) {
            const float x = static_cast<float>(i) * dx;
            const float z = static_cast<float>(j) * dz;
            TerrainVertex vertex(Vector3<float>(startX + x, 0.0f, startZ + z), kUp);
            vertex.tex0 = Vector2(x / desc.width, 1.0f - z / desc.depth);
            m_vertices.push_back(vertex);
        }
    }

    if (!desc.heightMap.empty()) {
        std::string error;
        const Image image = Image::Load(desc.heightMap, true, Image::Layout::Bytes, &error, kMapLimit);
        // An image that did not load leaves the grid flat.
        if (!image.IsEmpty()) {
            ReportMapSize(image);
            SampleHeights(image);
            ComputeNormals();
        } else {
            std::cout << "Height map not loaded: " << error << "; the terrain stays flat" << std::endl;
        }
    }

    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const VertexFormat format = TerrainVertex::GetFormat();
    m_pVertexBuffer = renderer->CreateVertexBuffer();
    m_pVertexBuffer->Create(BufferDataOf(m_vertices), &format);

    CreateCells(startX, startZ);
    CreateMaterial();

    // No coverage map, or one that did not load, places no grass; the patch
    // still gets its (empty) buffers for the grass effect.
    if (!desc.coverageMap.empty()) {
        std::string error;
        const Image coverage = Image::Load(desc.coverageMap, true, Image::Layout::Bytes, &error, kMapLimit);
        if (coverage.IsEmpty())
            std::cout << "Coverage map not loaded: " << error << "; no grass is placed" << std::endl;
        GrassPlacement::Place(*this, coverage, m_grass, GrassRandom::Shared());
    }
    m_grass.CreateBuffers();
}

void Terrain::ReportMapSize(const Image& image) const
{
    const std::uint32_t usedX = SampledPixels(m_vertsX, image.GetWidth());
    const std::uint32_t usedZ = SampledPixels(m_vertsZ, image.GetHeight());
    const bool stretched = image.GetWidth() < m_vertsX || image.GetHeight() < m_vertsZ;
    if (!stretched && !MostlyUnread(usedX, image.GetWidth()) && !MostlyUnread(usedZ, image.GetHeight()))
        return;
    std::cout << "Height map " << TSingleton<IRenderer>::Instance()->GetTexturePath() + m_desc.heightMap << " is "
              << image.GetWidth() << " x " << image.GetHeight() << " pixels";
    if (stretched)
        std::cout << ", fewer than the terrain's " << m_vertsX << " x " << m_vertsZ
                  << " vertices; it is stretched over them" << std::endl;
    else
        std::cout << "; whole steps over the terrain's " << m_vertsX << " x " << m_vertsZ
                  << " vertices read only its first " << usedX << " x " << usedZ << std::endl;
}

void Terrain::SampleHeights(const Image& image)
{
    const float scale = m_desc.heightScale;
    for (std::uint32_t i = 0; i < m_vertsX; ++i) {
        for (std::uint32_t j = 0; j < m_vertsZ; ++j) {
            const std::uint32_t px = SamplePixel(i, m_vertsX, image.GetWidth());
            const std::uint32_t pz = SamplePixel(j, m_vertsZ, image.GetHeight());
            const float red = image.GetPixel(px, pz).x;
            m_vertices[GetVertexIndex(i, j)].pos.y = (red - 128.0f) / 128.0f * scale;
        }
    }
}

void Terrain::ComputeNormals()
{
    // Accumulates onto the (0, 1, 0) every vertex starts with.
    for (std::uint32_t i = 0; i + 1 < m_vertsX; ++i) {
        for (std::uint32_t j = 0; j + 1 < m_vertsZ; ++j) {
            const std::uint32_t v00 = GetVertexIndex(i, j);
            const std::uint32_t v10 = GetVertexIndex(i + 1, j);
            const std::uint32_t v01 = GetVertexIndex(i, j + 1);
            const std::uint32_t v11 = GetVertexIndex(i + 1, j + 1);
            // Each triangle by its right-angle corner, then the corner along z
            // and the corner along x in the order that gives +y on flat ground.
            std::uint32_t tris[2][3];
            if (j % 2 == 0) {
                const std::uint32_t t[2][3] = {{v00, v01, v10}, {v11, v10, v01}};
                std::copy(&t[0][0], &t[0][0] + 6, &tris[0][0]);
            } else {
                const std::uint32_t t[2][3] = {{v10, v00, v11}, {v01, v11, v00}};
                std::copy(&t[0][0], &t[0][0] + 6, &tris[0][0]);
            }
            for (int t = 0; t < 2; ++t) {
                TerrainVertex& r = m_vertices[tris[t][0]];
                TerrainVertex& p = m_vertices[tris[t][1]];
                TerrainVertex& q = m_vertices[tris[t][2]];
                const Vector3<float> face = FaceVector(r.pos, p.pos, q.pos);
                r.normal = r.normal + face;
                p.normal = p.normal + face;
                q.normal = q.normal + face;
            }
        }
    }
    for (std::size_t k = 0; k < m_vertices.size(); ++k)
        m_vertices[k].normal.Normalize();

    if (m_desc.debugNormals) {
        VORM_DELETE m_pNormalGeometry;
        m_pNormalGeometry = VORM_NEW NormalGeometry();
        m_pNormalGeometry->Create(m_vertices.data(), static_cast<std::uint32_t>(m_vertices.size()));
    }
}

void Terrain::CreateCells(float startX, float startZ)
{
    const float cellW = m_desc.width / static_cast<float>(m_desc.cellsX);
    const float cellD = m_desc.depth / static_cast<float>(m_desc.cellsZ);
    const float radius = std::sqrt(cellW * cellW + cellD * cellD);
    std::vector<std::vector<std::vector<unsigned int> > > strips;
    BuildCellStrips(strips, m_desc.quadsPerCellX, m_desc.quadsPerCellZ, m_desc.cellsX, m_desc.cellsZ);

    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    for (std::uint32_t cx = 0; cx < m_desc.cellsX; ++cx) {
        for (std::uint32_t cz = 0; cz < m_desc.cellsZ; ++cz) {
            const std::vector<unsigned int>& strip = strips[cx][cz];
            IIndexBuffer* indices = renderer->CreateIndexBuffer();
            indices->Create(BufferDataOf(strip), DataType(eDataFormat_UINT1));

            TerrainCell* cell = VORM_NEW TerrainCell(m_pVertexBuffer, indices);
            const Vector3<float> centre(startX + static_cast<float>(cx) * cellW + cellW / 2.0f, 0.0f,
                                        startZ + static_cast<float>(cz) * cellD + cellD / 2.0f);
            static_cast<BoundingSphere*>(cell->GetLocalBound())->Set(centre, radius);
            AttachChild(cell);
        }
    }
}

void Terrain::CreateMaterial()
{
    boost::shared_ptr<ITexture> texture;
    // No colour map means an untextured material, not a failed load.
    if (!m_desc.colorMap.empty()) {
        TextureDesc textureDesc;
        textureDesc.m_type = 1;
        textureDesc.m_bMipmap = 1;
        textureDesc.m_internalFormat = 1;
        textureDesc.m_bFlip = 0;
        texture = TSingleton<IRenderer>::Instance()->SharedTexture(m_desc.colorMap, textureDesc);
    }

    m_spMaterial = MaterialEffectFactory::Create();
    if (!m_spMaterial)
        return;
    // Each colour setter drops its slot's texture: textures go last.
    m_spMaterial->SetAmbientColor(Vector4<float>(0.1f, 0.1f, 0.2f, 1.0f));
    m_spMaterial->SetDiffuseColor(Vector4<float>(1.8f, 1.8f, 3.0f, 1.0f));
    m_spMaterial->SetSpecularColor(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
    m_spMaterial->SetShadowReceiver(true);
    if (texture) {
        m_spMaterial->SetDiffuseTexture(texture);
        m_spMaterial->SetAmbientTexture(texture);
    }
    m_spMaterial->AddLightIndex(0);
    m_spMaterial->SetSpareFlag(false);
}

void Terrain::Locate(float u, float v, std::uint32_t& i, std::uint32_t& j, float& a, float& b) const
{
    // Clamped so the lookup never leaves the grid (NaN goes to 0).
    u = u >= 0.0f ? (u <= 1.0f ? u : 1.0f) : 0.0f;
    v = v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f;
    const float fx = static_cast<float>(m_vertsX - 1) * u;
    const float fz = static_cast<float>(m_vertsZ - 1) * v;
    i = std::min(static_cast<std::uint32_t>(fx), m_vertsX - 1);
    j = std::min(static_cast<std::uint32_t>(fz), m_vertsZ - 1);
    a = fx - static_cast<float>(i);
    b = fz - static_cast<float>(j);
}

TerrainVertex Terrain::GetVertexAt(float u, float v) const
{
    if (m_vertices.empty())
        return TerrainVertex(Vector3<float>(0.0f, 0.0f, 0.0f), kUp);
    std::uint32_t i, j;
    float a, b;
    Locate(u, v, i, j, a, b);
    const bool lastX = i == m_vertsX - 1;
    const bool lastZ = j == m_vertsZ - 1;
    const TerrainVertex& v00 = m_vertices[GetVertexIndex(i, j)];
    if (lastX && lastZ)
        return v00;

    TerrainVertex out(v00.pos, v00.normal);
    if (lastX) {
        const TerrainVertex& v01 = m_vertices[GetVertexIndex(i, j + 1)];
        out.pos.Set(v00.pos.x, v00.pos.y + (v01.pos.y - v00.pos.y) * b, v00.pos.z + (v01.pos.z - v00.pos.z) * b);
        out.normal = v00.normal * (1.0f - b) + v01.normal * b;
    } else if (lastZ) {
        const TerrainVertex& v10 = m_vertices[GetVertexIndex(i + 1, j)];
        out.pos.Set(v00.pos.x + (v10.pos.x - v00.pos.x) * a, v00.pos.y + (v10.pos.y - v00.pos.y) * a, v00.pos.z);
        out.normal = v00.normal * (1.0f - a) + v10.normal * a;
    } else {
        const TerrainVertex& v10 = m_vertices[GetVertexIndex(i + 1, j)];
        const TerrainVertex& v01 = m_vertices[GetVertexIndex(i, j + 1)];
        const TerrainVertex& v11 = m_vertices[GetVertexIndex(i + 1, j + 1)];
        const TerrainVertex* corner[3];
        float weight[3];
        if (j % 2 == 0 && a + b <= 1.0f) {
            corner[0] = &v00; weight[0] = 1.0f - a - b;
            corner[1] = &v10; weight[1] = a;
            corner[2] = &v01; weight[2] = b;
        } else if (j % 2 == 0) {
            corner[0] = &v11; weight[0] = a + b - 1.0f;
            corner[1] = &v01; weight[1] = 1.0f - a;
            corner[2] = &v10; weight[2] = 1.0f - b;
        } else if (a <= b) {
            corner[0] = &v01; weight[0] = b - a;
            corner[1] = &v11; weight[1] = a;
            corner[2] = &v00; weight[2] = 1.0f - b;
        } else {
            corner[0] = &v10; weight[0] = a - b;
            corner[1] = &v00; weight[1] = 1.0f - a;
            corner[2] = &v11; weight[2] = b;
        }
        out.pos = corner[0]->pos * weight[0] + corner[1]->pos * weight[1] + corner[2]->pos * weight[2];
        out.normal = corner[0]->normal * weight[0] + corner[1]->normal * weight[1] + corner[2]->normal * weight[2];
    }
    out.normal.Normalize();
    return out;
}

float Terrain::GetHeightAt(float u, float v) const
{
    return GetVertexAt(u, v).pos.y;
}

void Terrain::SetDrawNormals(bool on)
{
    if (on)
        VORM_ASSERT(m_pNormalGeometry && "Terrain created without Debug Normals!");
    m_bDrawNormals = on;
}

} // namespace Vorm
