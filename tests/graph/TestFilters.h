#pragma once
// Small filters built on the platform's base classes that tests put into real graphs: a
// source of timed samples, a pass-through transform (the "decoder" of a compressed test
// subtype), a video sink that records every sample it renders, and an audio sink.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graph/BaseRenderer.h"
#include "platform/graph/SourceStream.h"
#include "platform/graph/TransformFilter.h"

namespace orvo::test {

inline constexpr GUID kCompressedVideo = GuidFromFourCC(MakeFourCC('C', 'M', 'P', '1'));
inline constexpr GUID kUnknownSubtype = GuidFromFourCC(MakeFourCC('N', 'O', 'P', 'E'));
inline constexpr GUID CLSID_TestSource = MakeGuid("{5E1D0001-0000-4000-8000-00000000A001}");
inline constexpr GUID CLSID_TestDecoder = MakeGuid("{5E1D0002-0000-4000-8000-00000000A002}");
inline constexpr GUID CLSID_TestOtherDecoder = MakeGuid("{5E1D0003-0000-4000-8000-00000000A003}");
inline constexpr GUID CLSID_TestVideoSink = MakeGuid("{5E1D0004-0000-4000-8000-00000000A004}");
inline constexpr GUID CLSID_TestAudioSink = MakeGuid("{5E1D0005-0000-4000-8000-00000000A005}");
inline constexpr GUID CLSID_TestFileSource = MakeGuid("{5E1D0006-0000-4000-8000-00000000A006}");

constexpr REFERENCE_TIME kMs = 10'000;

struct StreamSpec {
    GUID major = MEDIATYPE_Video;
    GUID sub = MEDIASUBTYPE_RGB32;
    REFERENCE_TIME interval = 40 * kMs;  // between sample starts
    REFERENCE_TIME duration = 2000 * kMs;
    std::u16string name = u"Out";
    bool live = false;  // delivers only while running, like a capture device
    int failAt = -1;    // the sample whose filling fails with `failure`; -1 never
    HRESULT failure = E_FAIL;
};

// Samples are stamped in stream time from 0 at each segment; the media time is the position.
class TestStream final : public CSourceStream {
public:
    TestStream(CBaseFilter* filter, const StreamSpec& plan);
    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT GetMediaType(int position, graph::MediaType& mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    void OnThreadStartPlay() override;

private:
    StreamSpec m_spec;
    LONGLONG m_frame = 0;
    REFERENCE_TIME m_segmentStart = 0, m_segmentStop = 0;
};

class TestSource : public CSource {
public:
    explicit TestSource(const std::vector<StreamSpec>& streams = {StreamSpec{}}, REFCLSID clsid = CLSID_TestSource);
    // A live source cannot preroll: VFW_S_CANT_CUE while paused.
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) override;

private:
    bool m_live = false;
};

// Loads "files" whose names list the source's streams: V video of the test sink's type,
// C compressed video, v video nothing renders, A audio, a audio nothing renders, s subtitles.
class TestFileSource final : public TestSource, public IFileSourceFilter {
public:
    TestFileSource() : TestSource({}, CLSID_TestFileSource) {}
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) override;

private:
    std::u16string m_file;
};

// Passes samples through unchanged, turning kCompressedVideo into RGB32.
class TestDecoder final : public CTransformFilter {
public:
    explicit TestDecoder(REFCLSID clsid = CLSID_TestDecoder) : CTransformFilter(clsid) {}
    HRESULT CheckInputType(const graph::MediaType& input) override;
    HRESULT CheckTransform(const graph::MediaType& input, const graph::MediaType& output) override;
    HRESULT GetMediaType(int position, graph::MediaType& mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;

    // The sample of that media time waits in Transform until ReleaseHeld, a flush, or 5 s: a
    // decoder still working its way from a key frame to a seek target.
    void HoldAt(REFERENCE_TIME mediaTime);
    void ReleaseHeld();
    // Waits until the held sample has come; false on timeout.
    bool WaitUntilHolding(int timeoutMs);

protected:
    HRESULT InputBeginFlush(CBaseInputPin* pin) override;

private:
    std::mutex m_holdLock;
    std::condition_variable m_holdChanged;
    REFERENCE_TIME m_holdAt = -1;
    bool m_holding = false;
};

struct RenderedSample {
    REFERENCE_TIME start;      // sample start (stream time)
    REFERENCE_TIME mediaTime;  // position the source gave it
    REFERENCE_TIME renderedAt; // stream time when it was rendered
    bool preroll;              // shown to complete a pause
};

class TestVideoSink final : public CBaseVideoRenderer {
public:
    TestVideoSink() : CBaseVideoRenderer(CLSID_TestVideoSink) {}
    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    void OnReceiveFirstSample(IMediaSample* sample) override;
    void OnBeginFlush() override { ++m_flushes; }
    void OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME, double) override;

    std::vector<RenderedSample> Rendered();
    // Waits until at least count samples were rendered; false on timeout.
    bool WaitForRendered(size_t count, int timeoutMs);
    int Flushes() const { return m_flushes; }
    REFERENCE_TIME LastSegmentStart();
    // Each sample rendered while running takes this long, like a slow display.
    void SetRenderTime(std::chrono::milliseconds time) { m_renderTime = time; }

private:
    void Record(IMediaSample* sample, bool preroll);
    std::atomic<std::chrono::milliseconds> m_renderTime{std::chrono::milliseconds(0)};
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<RenderedSample> m_rendered;
    std::atomic<int> m_flushes{0};
    REFERENCE_TIME m_segmentStart = 0;
    std::atomic<bool> m_inPreroll{false};
};

class TestAudioSink final : public CBaseRenderer {
public:
    TestAudioSink() : CBaseRenderer(CLSID_TestAudioSink) {}
    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT DoRenderSample(IMediaSample*) override { return S_OK; }
};

// Registers the test classes in the class table and the decoder, sinks and file source in
// the filter registry for as long as it lives.
class TestRegistrations {
public:
    TestRegistrations();
    ~TestRegistrations();
};

}  // namespace orvo::test
