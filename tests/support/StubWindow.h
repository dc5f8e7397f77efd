// A window without a system window for the demo's tests and benchmark:
// counts buffer swaps and hands each one to an optional callback.
#ifndef VORM_TESTS_STUBWINDOW_H
#define VORM_TESTS_STUBWINDOW_H

#include "WINGLApp/IWindow.h"

#include <functional>

class StubWindow : public Vorm::IWindow
{
public:
    StubWindow(int width, int height) : m_width(width), m_height(height) {}

    bool Create(int, int, int width, int height) override
    {
        m_width = width;
        m_height = height;
        return true;
    }
    void Show() override {}
    void Hide() override {}
    int GetWidth() override { return m_width; }
    int GetHeight() override { return m_height; }
    int GetX() override { return 0; }
    int GetY() override { return 0; }
    void SwapBuffers() override
    {
        ++swaps;
        if (onSwap)
            onSwap();
    }
    void SetPosition(int, int, int width, int height) override
    {
        m_width = width;
        m_height = height;
    }

    int swaps = 0;
    std::function<void()> onSwap;

private:
    int m_width;
    int m_height;
};

#endif
