#pragma once
// The splitter: a source filter that opens a file with the demuxer and offers one output pin
// per stream group (video, audio, subtitles), each carrying the enabled stream of its group.
// IAMStreamSelect switches the stream behind a pin; seeking and rate go through any output
// pin's IMediaSeeking.
//
// Threads: one reading thread takes packets from the demuxer and queues them on the pins; each
// pin has a delivery thread that hands them downstream. The application's thread loads, changes
// state, seeks and selects streams; those stop and restart the streaming threads under the
// filter lock. A seek of an active splitter only starts the flush downstream and tells the
// streaming threads to stop; its restart thread then takes the filter lock, waits for them
// (a delivery thread may be inside a decoder), ends the flush and restarts them from the
// target with a new segment, so the seek's caller never waits on a decoder. A later seek
// before that replaces the target; a stop, a stream switch or the destructor finishes a
// pending restart themselves. Neither streaming thread takes the filter lock; m_dataLock
// (innermost) guards the positions and the pending restart.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/filters/ffmpeg/Demuxer.h"
#include "platform/filters/ffmpeg/PacketQueue.h"
#include "platform/graph/BaseFilter.h"
#include "platform/graph/BasePin.h"
#include "platform/graph/MediaSeeking.h"

namespace orvo::ffmpeg {

class CSplitterFilter;

class CSplitterOutputPin final : public CBaseOutputPin, public CMediaSeeking {
public:
    CSplitterOutputPin(CSplitterFilter* filter, const char16_t* name, StreamGroup group, int stream);
    ~CSplitterOutputPin() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return CBasePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CBasePin::Release(); }

    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Inactive() override;

    StreamGroup Group() const { return m_group; }
    int Stream() const { return m_stream.load(); }
    // Puts another stream of the group behind the pin; its type goes with the next sample.
    void SwitchStream(int stream, const graph::MediaType& type);
    PacketQueue& Queue() { return m_queue; }
    // Delivery thread control, with the filter lock held.
    void StartDelivery();
    void StopDelivery();

protected:
    // CMediaSeeking: every pin seeks the whole file.
    HRESULT SeekingCapabilities(DWORD& capabilities) override;
    HRESULT ReadPositions(Positions& positions) override;
    HRESULT ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop, bool moveStop) override;
    HRESULT ChangeRate(double rate) override;
    double ReadRate() override;

private:
    void DeliveryThread();
    HRESULT DeliverPacket(const QueuedPacket& item, bool& first);

    CSplitterFilter* m_splitter;
    StreamGroup m_group;
    std::atomic<int> m_stream;
    std::atomic<bool> m_typeChanged{false};
    PacketQueue m_queue;
    std::thread m_thread;
};

class CSplitterFilter final : public CBaseFilter,
                              public IFileSourceFilter,
                              public IAMStreamSelect,
                              public ISpecifyPropertyPages {
public:
    explicit CSplitterFilter(REFCLSID clsid);
    ~CSplitterFilter() override;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) override;

    HRESULT STDMETHODCALLTYPE Count(DWORD* streams) override;
    HRESULT STDMETHODCALLTYPE Info(LONG index, AM_MEDIA_TYPE** mediaType, DWORD* flags, LCID* lcid, DWORD* group,
                                   WCHAR** name, IUnknown** object, IUnknown** unknown) override;
    HRESULT STDMETHODCALLTYPE Enable(LONG index, DWORD flags) override;

    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // Called from the pins' IMediaSeeking on the application's thread. A new start restarts
    // the streams from it; the stream ends at the stop position.
    HRESULT Seek(REFERENCE_TIME start, bool moveStart, REFERENCE_TIME stop, bool moveStop);
    HRESULT SetPlayRate(double rate);
    REFERENCE_TIME Duration() const;
    REFERENCE_TIME CurrentPosition();
    REFERENCE_TIME StopPosition();
    // Segment values the delivery threads stamp samples with.
    void Segment(REFERENCE_TIME& start, double& rate);
    void NoteDelivered(REFERENCE_TIME streamTime);
    const Demuxer* Media() const { return m_demuxer.get(); }

protected:
    // The reading thread and the pins' delivery threads run while the filter is active.
    HRESULT OnStartStreaming() override;
    HRESULT OnStopStreaming() override;

private:
    void StartStreaming();
    void StopStreaming();
    // With the filter lock held: the flush downstream begins and the streaming threads are
    // told to stop; FinishFlush waits for them and ends the flush.
    void BeginFlush();
    void FinishFlush();
    void Reposition(REFERENCE_TIME position, const std::function<void()>& whileStopped);
    // With the filter lock held: a seek waiting for the restart thread is done now (restart)
    // or only its flush is ended (a stop). False when none was waiting.
    bool SettlePendingSeek(bool restart);
    void RestartThread();
    void ReadingThread();
    CSplitterOutputPin* PinForStream(int index);

    std::unique_ptr<Demuxer> m_demuxer;
    std::u16string m_fileName;
    std::vector<std::unique_ptr<CSplitterOutputPin>> m_pins;
    std::thread m_reader;
    std::atomic<bool> m_stopReading{false};

    std::mutex m_dataLock;
    REFERENCE_TIME m_segmentStart = 0;
    REFERENCE_TIME m_segmentStop = 0;
    REFERENCE_TIME m_lastDelivered = 0;  // stream time of the latest sample delivered
    bool m_deliveredSinceSeek = false;
    double m_rate = 1.0;
    bool m_seekPending = false;  // flushing, until the restart thread or a stop settles it
    bool m_quitRestarting = false;
    std::condition_variable m_seekRequested;  // with m_dataLock
    std::thread m_restarter;                  // started by the first seek of an active splitter
};

}  // namespace orvo::ffmpeg
