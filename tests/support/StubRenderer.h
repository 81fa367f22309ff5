#pragma once
// A renderer object whose operations do nothing, for tests that care about one or two.
#include "engine/renderers/VideoRenderer.h"

namespace orvo::test {

class StubRenderer : public engine::CVideoRenderer {
public:
    int IsActive() override { return 0; }
    HRESULT AddToGraph(IGraphBuilder*, HWND, IPin*, LPCWSTR) override { return 0; }
    HRESULT OnGraphBuilt(IGraphBuilder*) override { return 0; }
    HRESULT SetWindow(HWND, const RECT*) override { return 0; }
};

}  // namespace orvo::test
