#pragma once
// A renderer object whose operations do nothing, for tests that care about one or two.
#include "engine/renderers/VideoRenderer.h"

namespace orvo::test {

class StubRenderer : public engine::CVideoRenderer {
public:
    int IsActive() override { return 0; }
    int CanFullScreen() override { return 0; }
    HRESULT SetFullScreen(int) override { return 0; }
    HRESULT AddToGraph(IGraphBuilder*, HWND, IPin*, LPCWSTR) override { return 0; }
    HRESULT OnGraphBuilt(IGraphBuilder*) override { return 0; }
    HRESULT SetWindow(HWND, const RECT*) override { return 0; }
    HRESULT Repaint(HWND, HDC) override { return 0; }
    HRESULT OnDisplayChange() override { return 0; }
    HRESULT SetStreamAlpha(int, float) override { return 0; }
    float GetStreamAlpha(int) override { return 1.0f; }
    int SetOverlayBitmap(const engine::OverlayBitmap*) override { return 0; }
    int SetStreamRect(int, RECT) override { return 0; }
    HBITMAP CaptureImage() override { return nullptr; }
    int GetColorRange(int, engine::ColorRange*) override { return 0; }
    int SetColorValues(int, const engine::ColorValues*) override { return 0; }
};

}  // namespace orvo::test
