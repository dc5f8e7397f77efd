#include "RecordingIndexBuffer.h"
#include "RecordingTexture.h"
#include "RecordingVertexBuffer.h"

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

namespace {

using namespace Vorm;

int g_destroyed = 0;

// Counts its own destruction on top of an implementation.
template <typename Impl>
struct Counting : Impl
{
    using Impl::Impl;
    ~Counting() override { ++g_destroyed; }
};

TEST(ResourceInterfaces, DefaultsAndDeletionThroughTheInterface)
{
    // Only the flip flag has a meaningful default; an index buffer has no format until its Create.
    EXPECT_EQ(TextureDesc().m_bFlip, 1);
    const RecordingLog log(new RecordingLogLines);
    EXPECT_EQ(RecordingIndexBuffer(log).GetFormat().m_format, eDataFormat_NONE);

    g_destroyed = 0;
    delete static_cast<ITexture*>(new Counting<RecordingTexture>(log));
    delete static_cast<IVertexBuffer*>(new Counting<RecordingVertexBuffer>(log));
    delete static_cast<IIndexBuffer*>(new Counting<RecordingIndexBuffer>(log));
    delete static_cast<BoundingVolume*>(new Counting<BoundingSphere>());
    // Wrapped from a base pointer, as a cache may hand it on.
    boost::shared_ptr<ApiEffect>(static_cast<ApiEffect*>(new Counting<ApiEffect>()));
    EXPECT_EQ(g_destroyed, 5);
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
