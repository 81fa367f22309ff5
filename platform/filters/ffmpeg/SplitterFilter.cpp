#include "platform/filters/ffmpeg/SplitterFilter.h"

#include <algorithm>
#include <functional>

#include "platform/com/Runtime.h"
#include "platform/filters/ffmpeg/SplitterFormatPage.h"

namespace orvo::ffmpeg {
namespace {

constexpr size_t kQueuedPackets = 96;
constexpr LONG kCompressedBuffer = 4 << 20;
constexpr LONG kDeliveryBuffers = 8;
constexpr AVRational kReferenceTimeBase{1, 10'000'000};

const char16_t* PinName(StreamGroup group) {
    switch (group) {
        case StreamGroup::Video: return u"Video";
        case StreamGroup::Audio: return u"Audio";
        default: return u"Subtitle";
    }
}

}  // namespace

// ---- output pin ----

CSplitterOutputPin::CSplitterOutputPin(CSplitterFilter* filter, const char16_t* name, StreamGroup group, int stream)
    : CBaseOutputPin(filter, name), m_splitter(filter), m_group(group), m_stream(stream), m_queue(kQueuedPackets) {
    m_mediaType = filter->Media()->FindStream(stream)->mediaType;
}

CSplitterOutputPin::~CSplitterOutputPin() {
    m_queue.Abort();
    if (m_thread.joinable()) m_thread.join();
}

HRESULT CSplitterOutputPin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    return CBaseOutputPin::QueryInterface(riid, object);
}

HRESULT CSplitterOutputPin::CheckMediaType(const graph::MediaType& mediaType) {
    const DemuxedStream* stream = m_splitter->Media()->FindStream(Stream());
    return stream && MediaTypeMatchesPartial(stream->mediaType, mediaType) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CSplitterOutputPin::GetMediaType(int position, graph::MediaType& mediaType) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    mediaType = m_splitter->Media()->FindStream(Stream())->mediaType;
    return S_OK;
}

HRESULT CSplitterOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    // Uncompressed video comes a picture per packet; anything else fits a few megabytes.
    LONG size = kCompressedBuffer;
    const AVCodecParameters& codec = *m_splitter->Media()->FileStream(Stream()).codecpar;
    if (codec.codec_type == AVMEDIA_TYPE_VIDEO && codec.width > 0 && codec.height > 0)
        size = std::max<LONG>(size, LONG(int64_t(codec.width) * codec.height * 8));
    ALLOCATOR_PROPERTIES wanted{std::max(request->cBuffers, kDeliveryBuffers), std::max(request->cbBuffer, size),
                                std::max<LONG>(request->cbAlign, 1), request->cbPrefix};
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < size ? E_FAIL : S_OK;
}

HRESULT CSplitterOutputPin::Inactive() {
    // The queue and the allocator both release a waiting delivery thread.
    m_queue.Abort();
    HRESULT hr = CBaseOutputPin::Inactive();
    StopDelivery();
    return hr;
}

void CSplitterOutputPin::SwitchStream(int stream, const graph::MediaType& type) {
    m_stream = stream;
    m_mediaType = type;
    m_typeChanged = true;
}

void CSplitterOutputPin::StartDelivery() {
    if (!IsConnected() || m_thread.joinable()) return;
    m_queue.Reset();
    m_thread = std::thread(&CSplitterOutputPin::DeliveryThread, this);
}

void CSplitterOutputPin::StopDelivery() {
    m_queue.Abort();
    if (m_thread.joinable()) m_thread.join();
}

// Delivery thread.
void CSplitterOutputPin::DeliveryThread() {
    REFERENCE_TIME segmentStart = 0;
    double rate = 1.0;
    m_splitter->Segment(segmentStart, rate);
    DeliverNewSegment(segmentStart, std::max(m_splitter->StopPosition(), segmentStart), rate);
    bool first = true;
    for (QueuedPacket item; m_queue.Pop(item);) {
        if (!item.packet) {
            DeliverEndOfStream();
            return;
        }
        const HRESULT hr = DeliverPacket(item, first);
        av_packet_free(&item.packet);
        if (FAILED(hr)) return;
    }
}

// Delivery thread.
HRESULT CSplitterOutputPin::DeliverPacket(const QueuedPacket& item, bool& first) {
    ComPtr<IMediaSample> sample;
    HRESULT hr = GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* buffer = nullptr;
    if (FAILED(sample->GetPointer(&buffer)) || sample->GetSize() < item.packet->size) return S_OK;  // dropped
    std::copy_n(item.packet->data, item.packet->size, buffer);
    sample->SetActualDataLength(item.packet->size);
    REFERENCE_TIME segmentStart = 0;
    double rate = 1.0;
    m_splitter->Segment(segmentStart, rate);
    REFERENCE_TIME start = 0, stop = 0;
    if (item.timed) {
        start = REFERENCE_TIME(double(item.start - segmentStart) / rate);
        stop = REFERENCE_TIME(double(item.stop - segmentStart) / rate);
        sample->SetTime(&start, &stop);
    }
    sample->SetSyncPoint(item.packet->flags & AV_PKT_FLAG_KEY ? TRUE : FALSE);
    sample->SetPreroll(item.preroll ? TRUE : FALSE);
    sample->SetDiscontinuity(first ? TRUE : FALSE);
    // A type change stays pending until a sample carrying it is taken: one dropped by a flush
    // downstream would otherwise lose it.
    const bool carriesType = m_typeChanged.load();
    if (carriesType) sample->SetMediaType(&m_mediaType);
    first = false;
    hr = Deliver(sample.Get());
    if (hr == S_OK && carriesType) m_typeChanged = false;
    if (hr == S_OK && item.timed && !item.preroll) m_splitter->NoteDelivered(start);
    return hr;
}

HRESULT CSplitterOutputPin::SeekingCapabilities(DWORD& capabilities) {
    capabilities = kSourceCapabilities;
    return S_OK;
}

HRESULT CSplitterOutputPin::ReadPositions(Positions& positions) {
    positions = {m_splitter->CurrentPosition(), m_splitter->StopPosition(), m_splitter->Duration()};
    return S_OK;
}

HRESULT CSplitterOutputPin::ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop,
                                            bool moveStop) {
    return m_splitter->Seek(current, moveCurrent, stop, moveStop);
}

HRESULT CSplitterOutputPin::ChangeRate(double rate) { return m_splitter->SetPlayRate(rate); }

double CSplitterOutputPin::ReadRate() {
    REFERENCE_TIME start = 0;
    double rate = 1.0;
    m_splitter->Segment(start, rate);
    return rate;
}

// ---- filter ----

CSplitterFilter::CSplitterFilter(REFCLSID clsid) : CBaseFilter(clsid) {}

CSplitterFilter::~CSplitterFilter() {
    Stop();
    {
        std::lock_guard data(m_dataLock);
        m_quitRestarting = true;
        m_seekRequested.notify_all();
    }
    if (m_restarter.joinable()) m_restarter.join();
    m_pins.clear();
}

HRESULT CSplitterFilter::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), object);
    if (object && riid == IID_IAMStreamSelect) return GetInterface(static_cast<IAMStreamSelect*>(this), object);
    if (object && riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(riid, object);
}

int CSplitterFilter::GetPinCount() {
    std::lock_guard lock(m_filterLock);
    return int(m_pins.size());
}

CBasePin* CSplitterFilter::GetPin(int index) {
    std::lock_guard lock(m_filterLock);
    return index >= 0 && index < int(m_pins.size()) ? m_pins[size_t(index)].get() : nullptr;
}

HRESULT CSplitterFilter::Load(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (!fileName) return E_POINTER;
    std::lock_guard lock(m_filterLock);
    if (m_demuxer) return E_UNEXPECTED;
    const std::u16string name(fileName);
    HRESULT hr = Demuxer::Open(name, m_demuxer);
    if (FAILED(hr)) return hr;
    m_fileName = name;
    {
        std::lock_guard data(m_dataLock);
        m_segmentStop = Duration();
    }
    for (int g = 0; g < kStreamGroupCount; ++g) {
        const auto group = StreamGroup(g);
        const DemuxedStream* chosen = nullptr;
        for (const DemuxedStream& stream : m_demuxer->Streams()) {
            if (stream.group != group) continue;
            const bool preferred = m_demuxer->FileStream(stream.index).disposition & AV_DISPOSITION_DEFAULT;
            if (!chosen || (preferred && !(m_demuxer->FileStream(chosen->index).disposition & AV_DISPOSITION_DEFAULT)))
                chosen = &stream;
        }
        if (chosen) m_pins.push_back(std::make_unique<CSplitterOutputPin>(this, PinName(group), group, chosen->index));
    }
    IncrementPinVersion();
    return S_OK;
}

HRESULT CSplitterFilter::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) {
    if (!fileName) return E_POINTER;
    std::lock_guard lock(m_filterLock);
    *fileName = nullptr;
    if (!m_demuxer) return E_FAIL;
    *fileName = graph::CoTaskStrDup(m_fileName);
    if (mediaType) {
        *mediaType = AM_MEDIA_TYPE{};
        mediaType->majortype = MEDIATYPE_Stream;
    }
    return *fileName ? S_OK : E_OUTOFMEMORY;
}

HRESULT CSplitterFilter::OnStartStreaming() {
    StartStreaming();
    return S_OK;
}

HRESULT CSplitterFilter::OnStopStreaming() {
    SettlePendingSeek(false);
    StopStreaming();
    return S_OK;
}

// With the filter lock held and no streaming thread running.
void CSplitterFilter::StartStreaming() {
    if (!m_demuxer) return;
    REFERENCE_TIME start;
    {
        std::lock_guard data(m_dataLock);
        start = m_segmentStart;
        m_lastDelivered = 0;
        m_deliveredSinceSeek = false;
    }
    m_demuxer->Seek(start);
    for (auto& pin : m_pins) pin->StartDelivery();
    m_stopReading = false;
    m_reader = std::thread(&CSplitterFilter::ReadingThread, this);
}

// With the filter lock held.
void CSplitterFilter::StopStreaming() {
    m_stopReading = true;
    for (auto& pin : m_pins) pin->Queue().Abort();
    if (m_reader.joinable()) m_reader.join();
}

CSplitterOutputPin* CSplitterFilter::PinForStream(int index) {
    for (auto& pin : m_pins)
        if (pin->Stream() == index) return pin->IsConnected() ? pin.get() : nullptr;
    return nullptr;
}

// Reading thread. Each pin's stream ends at the stop position, the file's end or a read
// error; a read error, or a file that breaks off, is told to the graph before the ends go out.
void CSplitterFilter::ReadingThread() {
    REFERENCE_TIME segmentStart = 0, segmentStop = 0;
    double rate = 1.0;
    Segment(segmentStart, rate);
    {
        std::lock_guard data(m_dataLock);
        segmentStop = m_segmentStop;
    }
    std::vector<CSplitterOutputPin*> open;
    for (auto& pin : m_pins)
        if (pin->IsConnected()) open.push_back(pin.get());
    auto endStream = [&](CSplitterOutputPin* pin) {
        open.erase(std::find(open.begin(), open.end(), pin));
        return pin->Queue().Push(QueuedPacket{});
    };
    AVPacket* packet = av_packet_alloc();
    HRESULT read = packet ? S_OK : E_OUTOFMEMORY;
    bool stopped = false;
    while (!stopped && !m_stopReading && !open.empty() && (read = m_demuxer->ReadPacket(packet)) == S_OK) {
        CSplitterOutputPin* pin = PinForStream(packet->stream_index);
        if (!pin || std::find(open.begin(), open.end(), pin) == open.end()) {
            av_packet_unref(packet);
            continue;
        }
        // Decoding order: every packet shown before the stop is decoded before it.
        const int64_t decodeTime = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
        const REFERENCE_TIME decodeAt = m_demuxer->ToReferenceTime(packet->stream_index, decodeTime);
        if (decodeAt != AV_NOPTS_VALUE && decodeAt >= segmentStop && pin->Group() != StreamGroup::Subtitle) {
            av_packet_unref(packet);
            stopped = !endStream(pin);
            continue;
        }
        QueuedPacket item;
        const int64_t timestamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        item.start = m_demuxer->ToReferenceTime(packet->stream_index, timestamp);
        item.timed = item.start != AV_NOPTS_VALUE;
        const AVRational base = m_demuxer->FileStream(packet->stream_index).time_base;
        item.stop = item.start + std::max<int64_t>(av_rescale_q(packet->duration, base, kReferenceTimeBase), 1);
        item.preroll = item.timed && item.start < segmentStart;
        const bool outside = item.timed && (item.stop < segmentStart || item.start >= segmentStop);
        if (pin->Group() == StreamGroup::Subtitle && outside) {
            av_packet_unref(packet);
            continue;
        }
        item.packet = av_packet_alloc();
        if (!item.packet) {
            read = E_OUTOFMEMORY;
            break;
        }
        av_packet_move_ref(item.packet, packet);
        stopped = !pin->Queue().Push(item);
    }
    av_packet_free(&packet);
    if (stopped || m_stopReading) return;
    const HRESULT failure = FAILED(read) ? read : read == S_FALSE ? m_demuxer->EndResult() : S_OK;
    if (FAILED(failure)) NotifyEvent(EC_ERRORABORT, failure, 0);
    for (CSplitterOutputPin* pin : std::vector(open))
        if (!endStream(pin)) return;
}

void CSplitterFilter::Segment(REFERENCE_TIME& start, double& rate) {
    std::lock_guard data(m_dataLock);
    start = m_segmentStart;
    rate = m_rate;
}

void CSplitterFilter::NoteDelivered(REFERENCE_TIME streamTime) {
    std::lock_guard data(m_dataLock);
    m_lastDelivered = std::max(m_lastDelivered, streamTime);
    m_deliveredSinceSeek = true;
}

REFERENCE_TIME CSplitterFilter::Duration() const { return m_demuxer ? m_demuxer->Duration() : 0; }

REFERENCE_TIME CSplitterFilter::CurrentPosition() {
    std::lock_guard data(m_dataLock);
    return m_segmentStart + REFERENCE_TIME(double(m_lastDelivered) * m_rate);
}

REFERENCE_TIME CSplitterFilter::StopPosition() {
    std::lock_guard data(m_dataLock);
    return m_segmentStop;
}

HRESULT CSplitterFilter::Seek(REFERENCE_TIME start, bool moveStart, REFERENCE_TIME stop, bool moveStop) {
    std::lock_guard lock(m_filterLock);
    if (!m_demuxer) return E_UNEXPECTED;
    const REFERENCE_TIME duration = std::max<REFERENCE_TIME>(Duration(), 0);
    bool flushing = false;
    {
        std::lock_guard data(m_dataLock);
        if (moveStop) m_segmentStop = std::min(stop, duration);
        if (!moveStart) return S_OK;  // the stop applies to what is read from now on
        // Every renderer passes the same seek up its own pin: the first one moves the file.
        start = std::min(start, duration);
        if (IsActive() && start == m_segmentStart && !m_deliveredSinceSeek) return S_OK;
        flushing = m_seekPending;
    }
    if (!IsActive()) {
        Reposition(start, [] {});
        return S_OK;
    }
    // The restart thread ends the flush and restarts from the latest target.
    if (!flushing) BeginFlush();
    std::lock_guard data(m_dataLock);
    m_segmentStart = start;
    m_lastDelivered = 0;
    m_deliveredSinceSeek = false;
    m_seekPending = true;
    if (!m_restarter.joinable()) m_restarter = std::thread(&CSplitterFilter::RestartThread, this);
    m_seekRequested.notify_all();
    return S_OK;
}

// Restart thread. It takes the filter lock like an application thread; nothing holding the
// filter lock waits for it, since a stop settles a pending seek itself.
void CSplitterFilter::RestartThread() {
    std::unique_lock data(m_dataLock);
    for (;;) {
        m_seekRequested.wait(data, [this] { return m_seekPending || m_quitRestarting; });
        if (m_quitRestarting) return;
        data.unlock();
        {
            std::lock_guard lock(m_filterLock);
            SettlePendingSeek(true);
        }
        data.lock();
    }
}

bool CSplitterFilter::SettlePendingSeek(bool restart) {
    {
        std::lock_guard data(m_dataLock);
        if (!m_seekPending) return false;
        m_seekPending = false;
    }
    FinishFlush();
    if (restart && IsActive()) StartStreaming();
    return true;
}

// With the filter lock held.
void CSplitterFilter::BeginFlush() {
    for (auto& pin : m_pins)
        if (pin->IsConnected()) pin->DeliverBeginFlush();
    m_stopReading = true;
    for (auto& pin : m_pins) pin->Queue().Abort();
}

// With the filter lock held, after BeginFlush.
void CSplitterFilter::FinishFlush() {
    StopStreaming();
    for (auto& pin : m_pins) pin->StopDelivery();
    for (auto& pin : m_pins)
        if (pin->IsConnected()) pin->DeliverEndFlush();
}

// With the filter lock held: flush downstream, stop streaming, apply the change, and resume
// from position with a new segment.
void CSplitterFilter::Reposition(REFERENCE_TIME position, const std::function<void()>& whileStopped) {
    const bool active = IsActive();
    if (active && !SettlePendingSeek(false)) {
        BeginFlush();
        FinishFlush();
    }
    whileStopped();
    {
        std::lock_guard data(m_dataLock);
        m_segmentStart = position;
        m_lastDelivered = 0;
        m_deliveredSinceSeek = false;
    }
    if (active) StartStreaming();
}

// rate is finite and positive (checked by the pin's seeking).
HRESULT CSplitterFilter::SetPlayRate(double rate) {
    const REFERENCE_TIME position = CurrentPosition();
    {
        std::lock_guard data(m_dataLock);
        if (rate == m_rate) return S_OK;
        m_rate = rate;
        m_deliveredSinceSeek = true;  // so that the new segment goes out
    }
    // The new rate goes downstream with a new segment from where playback is.
    return Seek(position, true, 0, false);
}

HRESULT CSplitterFilter::Count(DWORD* streams) {
    if (!streams) return E_POINTER;
    std::lock_guard lock(m_filterLock);
    *streams = m_demuxer ? DWORD(m_demuxer->Streams().size()) : 0;
    return S_OK;
}

HRESULT CSplitterFilter::Info(LONG index, AM_MEDIA_TYPE** mediaType, DWORD* flags, LCID* lcid, DWORD* group,
                              WCHAR** name, IUnknown** object, IUnknown** unknown) {
    std::lock_guard lock(m_filterLock);
    if (!m_demuxer || index < 0 || size_t(index) >= m_demuxer->Streams().size()) return E_INVALIDARG;
    const DemuxedStream& stream = m_demuxer->Streams()[size_t(index)];
    bool enabled = false;
    for (auto& pin : m_pins) enabled |= pin->Stream() == stream.index;
    if (mediaType && !(*mediaType = CreateMediaType(&stream.mediaType))) return E_OUTOFMEMORY;
    if (flags) *flags = enabled ? AMSTREAMSELECTINFO_ENABLED : 0;
    if (lcid) *lcid = stream.locale;
    if (group) *group = DWORD(stream.group);
    if (name) *name = graph::CoTaskStrDup(stream.name);
    if (object) *object = nullptr;
    if (unknown) *unknown = nullptr;
    return S_OK;
}

HRESULT CSplitterFilter::Enable(LONG index, DWORD flags) {
    std::lock_guard lock(m_filterLock);
    if (!m_demuxer || index < 0 || size_t(index) >= m_demuxer->Streams().size()) return E_INVALIDARG;
    // One stream per group plays: enabling picks it, and there is no "none" or "all".
    if (flags != AMSTREAMSELECTENABLE_ENABLE) return E_NOTIMPL;
    const DemuxedStream& stream = m_demuxer->Streams()[size_t(index)];
    CSplitterOutputPin* pin = nullptr;
    for (auto& candidate : m_pins)
        if (candidate->Group() == stream.group) pin = candidate.get();
    if (!pin) return E_UNEXPECTED;
    if (pin->Stream() == stream.index) return S_OK;
    if (IPin* peer = pin->GetConnected(); peer && peer->QueryAccept(&stream.mediaType) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    // The new stream, with its type on the first sample, and the others resume from where
    // playback is.
    Reposition(CurrentPosition(), [&] { pin->SwitchStream(stream.index, stream.mediaType); });
    return S_OK;
}

HRESULT CSplitterFilter::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    pages->cElems = pages->pElems ? 1 : 0;
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = CLSID_SplitterFormatPage;
    return S_OK;
}

}  // namespace orvo::ffmpeg
