#pragma once
// CVideoRenderer: what a channel shows its video through. Every renderer kind derives
// from it; the channel owns the object and destroys it at teardown, after its filter has
// left the graph.
#include <cstdint>

#include "platform/com/Types.h"

namespace orvo::engine {

class CVideoRenderer {
public:
    virtual ~CVideoRenderer() = default;

    // Read by the channel queries once the graph is built.
    HWND m_window = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    double m_frameRate = 0.0;
};

}  // namespace orvo::engine
