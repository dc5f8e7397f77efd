#include "Core/Rendering/ApiEffect.h"
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
    // Buffers start without a format until their Create runs.
    const CountingIndexBuffer ib;
    EXPECT_EQ(ib.GetFormat().m_format, eDataFormat_NONE);
    EXPECT_EQ(ib.GetCount(), 0u);
    EXPECT_EQ(CountingVertexBuffer().GetVertexFormat().m_size, 0u);
}

TEST(ResourceInterfaces, DeletionThroughInterfaceDestroysImplementation)
{
    g_destroyed = 0;
    delete static_cast<ITexture*>(new CountingTexture);
    delete static_cast<IVertexBuffer*>(new CountingVertexBuffer);
    delete static_cast<IIndexBuffer*>(new CountingIndexBuffer);
    // Wrapped from a base pointer, as a cache may hand it on.
    boost::shared_ptr<ApiEffect>(static_cast<ApiEffect*>(new CountingEffect));
    EXPECT_EQ(g_destroyed, 4);
}

TEST(ApiEffect, PlainEffectDoesNothing)
{
    ApiEffect effect;
    Matrix44<float> m = Matrix44<float>::IDENTITY;
    effect.Enable();
    effect.SetViewProjection(&m, &m);
    effect.UpdateVertexDataBinding(VT_PosNorTexTan::GetFormat().m_attributes);
    effect.SetModelMatrix(m);
    EXPECT_FALSE(effect.IsEnabled());
}

} // namespace
