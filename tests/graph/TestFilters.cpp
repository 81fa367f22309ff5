#include "tests/graph/TestFilters.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/com/Runtime.h"
#include "platform/graph/FilterRegistry.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::test {

TestStream::TestStream(CBaseFilter* filter, const StreamSpec& plan)
    : CSourceStream(filter, plan.name.c_str()), m_spec(plan) {
    SetDuration(plan.duration);
}

HRESULT TestStream::CheckMediaType(const graph::MediaType& mt) {
    return mt.majortype == m_spec.major && mt.subtype == m_spec.sub ? S_OK : S_FALSE;
}

HRESULT TestStream::GetMediaType(int position, graph::MediaType& mt) {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    mt = graph::MediaType(m_spec.major, m_spec.sub, FORMAT_None);
    return S_OK;
}

HRESULT TestStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES wanted{4, 64, 1, 0}, actual{};
    return allocator->SetProperties(&wanted, &actual);
}

void TestStream::OnThreadStartPlay() {
    m_frame = 0;
    m_segmentStart = SegmentStartPosition();
    m_segmentStop = SegmentStopPosition();
}

HRESULT TestStream::FillBuffer(IMediaSample* sample) {
    while (m_spec.live && m_filter->State() != State_Running && !StopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_frame == m_spec.failAt) return m_spec.failure;
    REFERENCE_TIME start = m_frame * m_spec.interval;
    REFERENCE_TIME media = m_segmentStart + start;
    if (media >= m_segmentStop) return S_FALSE;
    REFERENCE_TIME end = start + m_spec.interval;
    LONGLONG mediaEnd = media + m_spec.interval;
    sample->SetTime(&start, &end);
    sample->SetMediaTime(&media, &mediaEnd);
    sample->SetSyncPoint(TRUE);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memcpy(data, &m_frame, sizeof m_frame);
    sample->SetActualDataLength(sizeof m_frame);
    ++m_frame;
    return S_OK;
}

TestSource::TestSource(const std::vector<StreamSpec>& streams, REFCLSID clsid) : CSource(clsid) {
    for (const auto& plan : streams) {
        AddStream(std::make_unique<TestStream>(this, plan));
        m_live = m_live || plan.live;
    }
}

HRESULT TestSource::GetState(DWORD milliSecsTimeout, FILTER_STATE* state) {
    HRESULT hr = CSource::GetState(milliSecsTimeout, state);
    return SUCCEEDED(hr) && m_live && *state == State_Paused ? VFW_S_CANT_CUE : hr;
}

HRESULT TestFileSource::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), object);
    return TestSource::NonDelegatingQueryInterface(riid, object);
}

HRESULT TestFileSource::Load(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (!fileName) return E_POINTER;
    std::u16string name(fileName);
    if (name.empty()) return VFW_E_NOT_FOUND;
    for (char16_t c : name) {
        StreamSpec plan;
        plan.name = std::u16string(u"Out ") + c;
        switch (c) {
            case u'V': break;
            case u'C': plan.sub = kCompressedVideo; break;
            case u'v': plan.sub = kUnknownSubtype; break;
            case u'A': plan.major = MEDIATYPE_Audio; plan.sub = MEDIASUBTYPE_PCM; break;
            case u'a': plan.major = MEDIATYPE_Audio; plan.sub = kUnknownSubtype; break;
            case u's': plan.major = MEDIATYPE_Subtitle; plan.sub = kUnknownSubtype; break;
            default: return VFW_E_UNKNOWN_FILE_TYPE;
        }
        AddStream(std::make_unique<TestStream>(this, plan));
    }
    m_file = name;
    return S_OK;
}

HRESULT TestFileSource::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) {
    if (!fileName) return E_POINTER;
    *fileName = graph::CoTaskStrDup(m_file);
    if (mediaType) *mediaType = AM_MEDIA_TYPE{};
    return S_OK;
}

HRESULT TestDecoder::CheckInputType(const graph::MediaType& input) {
    return input.majortype == MEDIATYPE_Video && input.subtype == kCompressedVideo ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestDecoder::CheckTransform(const graph::MediaType&, const graph::MediaType& output) {
    return output.majortype == MEDIATYPE_Video && output.subtype == MEDIASUBTYPE_RGB32 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestDecoder::GetMediaType(int position, graph::MediaType& mt) {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    mt = graph::MediaType(MEDIATYPE_Video, MEDIASUBTYPE_RGB32, FORMAT_None);
    return S_OK;
}

HRESULT TestDecoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    ALLOCATOR_PROPERTIES wanted{2, 64, 1, 0}, actual{};
    return allocator->SetProperties(&wanted, &actual);
}

HRESULT TestDecoder::Transform(IMediaSample* in, IMediaSample* out) {
    REFERENCE_TIME media = -1, mediaEnd = -1;
    in->GetMediaTime(&media, &mediaEnd);
    {
        std::unique_lock lock(m_holdLock);
        if (m_holdAt >= 0 && media == m_holdAt) {
            m_holding = true;
            m_holdChanged.notify_all();
            m_holdChanged.wait_for(lock, std::chrono::seconds(5), [&] { return m_holdAt < 0; });
            m_holding = false;
            m_holdAt = -1;
        }
    }
    BYTE *from = nullptr, *to = nullptr;
    in->GetPointer(&from);
    out->GetPointer(&to);
    LONG n = std::min(in->GetActualDataLength(), out->GetSize());
    std::memcpy(to, from, size_t(n));
    return out->SetActualDataLength(n);
}

void TestDecoder::HoldAt(REFERENCE_TIME mediaTime) {
    std::lock_guard lock(m_holdLock);
    m_holdAt = mediaTime;
}

void TestDecoder::ReleaseHeld() {
    std::lock_guard lock(m_holdLock);
    m_holdAt = -1;
    m_holdChanged.notify_all();
}

bool TestDecoder::WaitUntilHolding(int timeoutMs) {
    std::unique_lock lock(m_holdLock);
    return m_holdChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_holding; });
}

HRESULT TestDecoder::InputBeginFlush(CBaseInputPin* pin) {
    {
        std::lock_guard lock(m_holdLock);
        if (m_holding) m_holdAt = -1;  // a held sample goes on, into the flush
        m_holdChanged.notify_all();
    }
    return CTransformFilter::InputBeginFlush(pin);
}

HRESULT TestVideoSink::CheckMediaType(const graph::MediaType& mt) {
    return mt.majortype == MEDIATYPE_Video && mt.subtype == MEDIASUBTYPE_RGB32 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

void TestVideoSink::Record(IMediaSample* sample, bool preroll) {
    REFERENCE_TIME start = 0, end = 0, media = 0, mediaEnd = 0;
    sample->GetTime(&start, &end);
    sample->GetMediaTime(&media, &mediaEnd);
    RenderedSample r{start, media, StreamTime(), preroll};
    {
        std::lock_guard lock(m_lock);
        m_rendered.push_back(r);
    }
    m_changed.notify_all();
}

HRESULT TestVideoSink::DoRenderSample(IMediaSample* sample) {
    Record(sample, m_inPreroll);
    if (!m_inPreroll) std::this_thread::sleep_for(m_renderTime.load());
    return S_OK;
}

void TestVideoSink::OnReceiveFirstSample(IMediaSample* sample) {
    m_inPreroll = true;
    DoRenderSample(sample);
    m_inPreroll = false;
}

void TestVideoSink::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME, double) {
    std::lock_guard lock(m_lock);
    m_segmentStart = start;
}

REFERENCE_TIME TestVideoSink::LastSegmentStart() {
    std::lock_guard lock(m_lock);
    return m_segmentStart;
}

std::vector<RenderedSample> TestVideoSink::Rendered() {
    std::lock_guard lock(m_lock);
    return m_rendered;
}

bool TestVideoSink::WaitForRendered(size_t count, int timeoutMs) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_rendered.size() >= count; });
}

HRESULT TestAudioSink::CheckMediaType(const graph::MediaType& mt) {
    return mt.majortype == MEDIATYPE_Audio && mt.subtype == MEDIASUBTYPE_PCM ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

namespace {

template <class T>
HRESULT Make(REFIID riid, void** object) {
    return CreateComObject<T>(riid, object);
}

HRESULT MakeOtherDecoder(REFIID riid, void** object) {
    return CreateComObject<TestDecoder>(riid, object, CLSID_TestOtherDecoder);
}

}  // namespace

TestRegistrations::TestRegistrations() {
    using graph::FilterRegistration;
    com::RegisterClass(CLSID_TestDecoder, &Make<TestDecoder>);
    com::RegisterClass(CLSID_TestOtherDecoder, &MakeOtherDecoder);
    com::RegisterClass(CLSID_TestVideoSink, &Make<TestVideoSink>);
    com::RegisterClass(CLSID_TestAudioSink, &Make<TestAudioSink>);
    com::RegisterClass(CLSID_TestFileSource, &Make<TestFileSource>);
    graph::RegisterFilter(FilterRegistration{CLSID_TestDecoder, u"Test Decoder", MERIT_PREFERRED,
                                             {{MEDIATYPE_Video, kCompressedVideo}}});
    graph::RegisterFilter(FilterRegistration{CLSID_TestVideoSink, u"Test Video Sink", MERIT_NORMAL,
                                             {{MEDIATYPE_Video, MEDIASUBTYPE_RGB32}}, true});
    graph::RegisterFilter(FilterRegistration{CLSID_TestAudioSink, u"Test Audio Sink", MERIT_NORMAL,
                                             {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}}, true});
    graph::RegisterFilter(FilterRegistration{CLSID_TestFileSource, u"Test File Source", MERIT_NORMAL, {}, false, true});
}

TestRegistrations::~TestRegistrations() {
    for (const GUID& clsid : {CLSID_TestDecoder, CLSID_TestVideoSink, CLSID_TestAudioSink, CLSID_TestFileSource}) {
        graph::UnregisterFilter(clsid);
    }
    for (const GUID& clsid :
         {CLSID_TestDecoder, CLSID_TestOtherDecoder, CLSID_TestVideoSink, CLSID_TestAudioSink, CLSID_TestFileSource})
        com::UnregisterClass(clsid);
}

}  // namespace orvo::test
