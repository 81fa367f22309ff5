#pragma once
// The capture graph builder (CLSID_CaptureGraphBuilder2): connects a capture filter's stream
// of a pin category through an intermediate filter to a sink, or to a renderer the graph
// picks. A filter without a free preview pin previews from its capture pin.
//
// Threads: the application's thread.
#include "platform/graph/CaptureInterfaces.h"

namespace orvo::capture {

HRESULT CreateCaptureGraphBuilder(REFIID riid, void** object);

}  // namespace orvo::capture
