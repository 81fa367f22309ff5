// A file's bytes through the platform's own graph building: the stock file source (the
// splitter) and decoders, found by the graph, rendered into a null video renderer already in
// the graph and the audio renderer's null output; the graph then runs briefly, seeks and stops.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>

#include "engine/renderers/NullVideo.h"
#include "fuzz/MediaFile.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/Interfaces.h"

using namespace std::chrono_literals;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvo::fuzz::PrepareApartmentProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvo::fuzz::MediaFile file(data, size);
    if (file.Path().empty()) return 0;
    ComPtr<IGraphBuilder> graph;
    if (CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()) < 0)
        std::abort();
    HRESULT created = S_OK;
    ComPtr<orvo::engine::CNullUVideoRenderer> sink(new (std::nothrow) orvo::engine::CNullUVideoRenderer(&created));
    if (!sink || graph->AddFilter(sink.Get(), u"Null Renderer") < 0) std::abort();

    const std::u16string path = orvo::com::Utf8ToUtf16(file.Path());
    if (SUCCEEDED(graph->RenderFile(path.c_str(), nullptr))) {
        ComPtr<IMediaControl> control;
        ComPtr<IMediaSeeking> seeking;
        graph.As(control);
        graph.As(seeking);
        if (control && control->Run() >= 0) {
            std::this_thread::sleep_for(20ms);
            LONGLONG duration = 0;
            if (seeking && seeking->GetDuration(&duration) >= 0) {
                LONGLONG middle = duration / 2;
                seeking->SetPositions(&middle, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
            }
            std::this_thread::sleep_for(20ms);
        }
        if (control) control->Stop();
    }
    return 0;
}
