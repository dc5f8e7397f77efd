#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Rendering/VertexTypes.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

namespace {

using namespace Vorm;

int g_destroyed = 0;

// Minimal implementations that count their own destruction.
class CountingTexture : public ITexture
{
public:
    ~CountingTexture() override { ++g_destroyed; }
    void Create(const TextureDesc&) override {}
    void CreateFromData(const TextureDesc&, const void*) override {}
    void CreateFromFile(const TextureDesc&, const std::string&) override {}
    void SetParameters(const TextureParams&) override {}
    void GenerateMipmaps() override {}
    void CopyFromFramebuffer() override {}
    void Bind() override {}
    void Unbind() override {}
};

class CountingVertexBuffer : public IVertexBuffer
{
public:
    ~CountingVertexBuffer() override { ++g_destroyed; }
    void Bind() override {}
    void Unbind() override {}
    void Create(const BufferData&, const VertexFormat*) override {}
};

class CountingIndexBuffer : public IIndexBuffer
{
public:
    ~CountingIndexBuffer() override { ++g_destroyed; }
    void Bind() override {}
    void Unbind() override {}
    void Create(const BufferData&, const DataType&) override {}
    bool IsValid() override { return false; }
};

class CountingEffect : public ApiEffect
{
public:
    ~CountingEffect() override { ++g_destroyed; }
    void Enable() override { m_bEnabled = true; }
    bool IsEnabled() const override { return m_bEnabled; }

private:
    bool m_bEnabled = false;
};

TEST(ResourceRecords, Defaults)
{
    const TextureDesc desc;
    EXPECT_EQ(desc.m_bFlip, 1);
    EXPECT_EQ(desc.m_bMipmap, 0);

    const VT_Pos verts[3] = { VT_Pos(Vector3<float>(0, 0, 0)), VT_Pos(Vector3<float>(1, 0, 0)),
                              VT_Pos(Vector3<float>(0, 1, 0)) };
    const BufferData bd{ 3, sizeof(verts), 0, verts };
    EXPECT_EQ(bd.m_size, 36u);
    EXPECT_EQ(bd.m_pData, verts);

    // An index buffer starts without a format until its Create runs.
    const CountingIndexBuffer ib;
    EXPECT_EQ(ib.GetFormat().m_format, eDataFormat_NONE);
    EXPECT_EQ(ib.GetCount(), 0u);
    const CountingVertexBuffer vb;
    EXPECT_EQ(vb.GetVertexFormat().m_size, 0u);
}

TEST(ResourceInterfaces, DeletionThroughInterfaceDestroysImplementation)
{
    g_destroyed = 0;
    ITexture* tex = new CountingTexture;
    delete tex;
    IVertexBuffer* vb = new CountingVertexBuffer;
    delete vb;
    IIndexBuffer* ib = new CountingIndexBuffer;
    delete ib;
    EXPECT_EQ(g_destroyed, 3);

    g_destroyed = 0;
    {
        // Wrapped from a base pointer, as a cache may hand it on.
        boost::shared_ptr<ApiEffect> effect(static_cast<ApiEffect*>(new CountingEffect));
        boost::shared_ptr<ITexture> texture(static_cast<ITexture*>(new CountingTexture));
    }
    EXPECT_EQ(g_destroyed, 2);
}

TEST(ApiEffect, PlainEffectDoesNothing)
{
    ApiEffect effect;
    Matrix44<float> view = Matrix44<float>::IDENTITY;
    Matrix44<float> proj = Matrix44<float>::IDENTITY;
    effect.Enable();
    effect.SetViewProjection(&view, &proj);
    effect.UpdateVertexDataBinding(VT_PosNorTexTan::GetFormat().m_attributes);
    effect.SetModelMatrix(view);
    EXPECT_FALSE(effect.IsEnabled());
    effect.Disable();
    EXPECT_FALSE(effect.IsEnabled());

    CountingEffect derived;
    ApiEffect& asBase = derived;
    asBase.Enable();
    EXPECT_TRUE(asBase.IsEnabled());
}

} // namespace
