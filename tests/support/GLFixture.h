#ifndef VORM_TESTS_GLFIXTURE_H
#define VORM_TESTS_GLFIXTURE_H

#include "Platform/GLWindowContext.h"

#include <GL/glew.h>
#include "TempFolder.h"

#include <gtest/gtest.h>

// One hidden GL context for a whole test suite (64 x 64 unless a suite's own
// SetUpTestSuite opens another size), a temporary folder per test, and a
// check that every test leaves no GL error queued.
class GLFixture : public ::testing::Test
{
public:
    static void SetUpTestSuite() { OpenContext(64, 64); }
    static void TearDownTestSuite();

protected:
    static void OpenContext(int width, int height);
    static Win32::GLWindowContext& Ctx() { return *s_ctx; }

    // Derived SetUps return at once when this one fails (HasFatalFailure()).
    void SetUp() override;
    // Puts back the bindings tests commonly leave behind, then checks that
    // no GL error is queued.
    void TearDown() override;

    TempFolder m_folder;

private:
    static Win32::GLWindowContext* s_ctx;
};

#endif
