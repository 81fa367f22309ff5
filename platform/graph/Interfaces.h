#pragma once
// The filter-graph interfaces: filters, pins, enumerators, samples and allocators, clocks,
// the graph and its control, seeking and audio interfaces, with their interface ids.
// Methods are declared in the platform's order with its signatures.
#include "platform/com/Unknown.h"
#include "platform/graph/MediaType.h"

using DWORD_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using LPOLESTR = WCHAR*;
using LPCOLESTR = const WCHAR*;
using BSTR = WCHAR*;
using OAFilterState = LONG;

class CAMEvent;
class CAMSemaphore;
using HEVENT = CAMEvent*;          // platform/graph/Event.h
using HSEMAPHORE = CAMSemaphore*;  // platform/graph/Event.h

struct IDispatch;  // automation is not offered; parameters of this type are always null
struct IBaseFilter;
struct IFilterGraph;
struct IPin;
struct IReferenceClock;

constexpr int MAX_FILTER_NAME = 128;
constexpr int MAX_PIN_NAME = 128;

enum FILTER_STATE : int32_t { State_Stopped = 0, State_Paused = 1, State_Running = 2 };
enum PIN_DIRECTION : int32_t { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

struct FILTER_INFO {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph;  // a reference the caller releases; null when not in a graph
};

struct PIN_INFO {
    IBaseFilter* pFilter;  // a reference the caller releases
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
};

struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

// Counted array of GUIDs; pElems is CoTaskMemAlloc'd and freed by the caller.
struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

// IMemAllocator::GetBuffer flags.
constexpr DWORD AM_GBF_PREVFRAMESKIPPED = 1;
constexpr DWORD AM_GBF_NOTASYNCPOINT = 2;
constexpr DWORD AM_GBF_NOWAIT = 4;
constexpr DWORD AM_GBF_NODDSURFACELOCK = 8;

// IMediaSeeking::SetPositions flags.
enum AM_SEEKING_SEEKING_FLAGS : DWORD {
    AM_SEEKING_NoPositioning = 0x0,
    AM_SEEKING_AbsolutePositioning = 0x1,
    AM_SEEKING_RelativePositioning = 0x2,
    AM_SEEKING_IncrementalPositioning = 0x3,
    AM_SEEKING_PositioningBitsMask = 0x3,
    AM_SEEKING_SeekToKeyFrame = 0x4,
    AM_SEEKING_ReturnTime = 0x8,
    AM_SEEKING_Segment = 0x10,
    AM_SEEKING_NoFlush = 0x20,
};

// IMediaSeeking::GetCapabilities bits.
enum AM_SEEKING_SEEKING_CAPABILITIES : DWORD {
    AM_SEEKING_CanSeekAbsolute = 0x1,
    AM_SEEKING_CanSeekForwards = 0x2,
    AM_SEEKING_CanSeekBackwards = 0x4,
    AM_SEEKING_CanGetCurrentPos = 0x8,
    AM_SEEKING_CanGetStopPos = 0x10,
    AM_SEEKING_CanGetDuration = 0x20,
    AM_SEEKING_CanPlayBackwards = 0x40,
    AM_SEEKING_CanDoSegments = 0x80,
    AM_SEEKING_Source = 0x100,
};

// IAMStreamSelect flags.
constexpr DWORD AMSTREAMSELECTINFO_ENABLED = 0x1;
constexpr DWORD AMSTREAMSELECTINFO_EXCLUSIVE = 0x2;
constexpr DWORD AMSTREAMSELECTENABLE_ENABLE = 0x1;
constexpr DWORD AMSTREAMSELECTENABLE_ENABLEALL = 0x2;

// Time formats of IMediaSeeking.
inline constexpr GUID TIME_FORMAT_NONE = GUID_NULL;
inline constexpr GUID TIME_FORMAT_FRAME = MakeGuid("{7B785570-8C82-11CF-BC0C-00AA00AC74F6}");
inline constexpr GUID TIME_FORMAT_BYTE = MakeGuid("{7B785571-8C82-11CF-BC0C-00AA00AC74F6}");
inline constexpr GUID TIME_FORMAT_SAMPLE = MakeGuid("{7B785572-8C82-11CF-BC0C-00AA00AC74F6}");
inline constexpr GUID TIME_FORMAT_FIELD = MakeGuid("{7B785573-8C82-11CF-BC0C-00AA00AC74F6}");
inline constexpr GUID TIME_FORMAT_MEDIA_TIME = MakeGuid("{7B785574-8C82-11CF-BC0C-00AA00AC74F6}");

struct IPersist : IUnknown {
    static constexpr GUID kIid = MakeGuid("{0000010C-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) = 0;
};
inline constexpr const GUID& IID_IPersist = IPersist::kIid;

struct IReferenceClock : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A86897-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* time) = 0;
    // Sets event once the clock reaches baseTime + streamTime.
    virtual HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event,
                                                 DWORD_PTR* adviseCookie) = 0;
    // Releases semaphore once at startTime and every periodTime after.
    virtual HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME periodTime,
                                                     HSEMAPHORE semaphore, DWORD_PTR* adviseCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR adviseCookie) = 0;
};
inline constexpr const GUID& IID_IReferenceClock = IReferenceClock::kIid;

struct IMediaFilter : IPersist {
    static constexpr GUID kIid = MakeGuid("{56A86899-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    // start: the reference time that stream time 0 maps to.
    virtual HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) = 0;
    // VFW_S_STATE_INTERMEDIATE while a transition is not complete after the timeout.
    virtual HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) = 0;
};
inline constexpr const GUID& IID_IMediaFilter = IMediaFilter::kIid;

struct IEnumPins : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A86892-0AD4-11CE-B03A-0020AF0BA770}");
    // S_FALSE when fewer than count were fetched; VFW_E_ENUM_OUT_OF_SYNC when the pins changed.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumPins** clone) = 0;
};
inline constexpr const GUID& IID_IEnumPins = IEnumPins::kIid;

struct IEnumMediaTypes : IUnknown {
    static constexpr GUID kIid = MakeGuid("{89C31040-846B-11CE-97D3-00AA0055595A}");
    // Each type handed out is the caller's to free with DeleteMediaType.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** clone) = 0;
};
inline constexpr const GUID& IID_IEnumMediaTypes = IEnumMediaTypes::kIid;

struct IBaseFilter : IMediaFilter {
    static constexpr GUID kIid = MakeGuid("{56A86895-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) = 0;
    // The graph calls this with itself when the filter is added and with null when removed;
    // the filter holds no reference to the graph.
    virtual HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* vendorInfo) = 0;
};
inline constexpr const GUID& IID_IBaseFilter = IBaseFilter::kIid;

struct IPin : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A86891-0AD4-11CE-B03A-0020AF0BA770}");
    // Called on an output pin; mediaType may be null or partial.
    virtual HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType) = 0;
    // Called on an input pin by the output pin connecting to it.
    virtual HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT STDMETHODCALLTYPE Disconnect() = 0;
    // VFW_E_NOT_CONNECTED (and a null *pin) when not connected.
    virtual HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndOfStream() = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginFlush() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndFlush() = 0;
    virtual HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};
inline constexpr const GUID& IID_IPin = IPin::kIid;

struct IEnumFilters : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A86893-0AD4-11CE-B03A-0020AF0BA770}");
    // S_FALSE when fewer than count were fetched; VFW_E_ENUM_OUT_OF_SYNC once the graph's
    // filters changed since the enumerator was made or last Reset.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumFilters** clone) = 0;
};
inline constexpr const GUID& IID_IEnumFilters = IEnumFilters::kIid;

struct IFilterGraph : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A8689F-0AD4-11CE-B03A-0020AF0BA770}");
    // A taken name (or a null one) gives the filter a new unique name and VFW_S_DUPLICATE_NAME.
    virtual HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* filter) = 0;
    // Most recently added first.
    virtual HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** filters) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR name, IBaseFilter** filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reconnect(IPin* pin) = 0;
    virtual HRESULT STDMETHODCALLTYPE Disconnect(IPin* pin) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() = 0;
};
inline constexpr const GUID& IID_IFilterGraph = IFilterGraph::kIid;

struct IGraphBuilder : IFilterGraph {
    static constexpr GUID kIid = MakeGuid("{56A868A9-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE Connect(IPin* output, IPin* input) = 0;
    virtual HRESULT STDMETHODCALLTYPE Render(IPin* output) = 0;
    virtual HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR file, LPCWSTR playList) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR file) = 0;
    virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
    virtual HRESULT STDMETHODCALLTYPE ShouldOperationContinue() = 0;
};
inline constexpr const GUID& IID_IGraphBuilder = IGraphBuilder::kIid;

struct IMediaSample : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A8689A-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE GetPointer(BYTE** buffer) = 0;
    virtual LONG STDMETHODCALLTYPE GetSize() = 0;
    // VFW_E_SAMPLE_TIME_NOT_SET when no time was set; VFW_S_NO_STOP_TIME with a start only.
    virtual HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsSyncPoint() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL syncPoint) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsPreroll() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPreroll(BOOL preroll) = 0;
    virtual LONG STDMETHODCALLTYPE GetActualDataLength() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActualDataLength(LONG length) = 0;
    // S_FALSE and null when the type has not changed; else a type for DeleteMediaType.
    virtual HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** mediaType) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* mediaType) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsDiscontinuity() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL discontinuity) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
};
inline constexpr const GUID& IID_IMediaSample = IMediaSample::kIid;

struct IMemAllocator : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A8689C-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit() = 0;
    // Wakes every GetBuffer waiting for a free sample (they fail with VFW_E_NOT_COMMITTED).
    virtual HRESULT STDMETHODCALLTYPE Decommit() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                                                DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample* sample) = 0;
};
inline constexpr const GUID& IID_IMemAllocator = IMemAllocator::kIid;

struct IMemInputPin : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A8689D-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) = 0;
    // S_OK when Receive may block (a renderer waiting for presentation time).
    virtual HRESULT STDMETHODCALLTYPE ReceiveCanBlock() = 0;
};
inline constexpr const GUID& IID_IMemInputPin = IMemInputPin::kIid;

// Events that filters report to the graph through IMediaEventSink.
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_USERABORT = 0x02;
constexpr LONG EC_ERRORABORT = 0x03;
constexpr LONG EC_TIME = 0x04;
constexpr LONG EC_REPAINT = 0x05;
constexpr LONG EC_STREAM_ERROR_STOPPED = 0x06;
constexpr LONG EC_STREAM_ERROR_STILLPLAYING = 0x07;
constexpr LONG EC_QUALITY_CHANGE = 0x0B;
constexpr LONG EC_CLOCK_CHANGED = 0x0D;
constexpr LONG EC_PAUSED = 0x0E;

struct IMediaEventSink : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A868A2-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE Notify(LONG eventCode, LONG_PTR param1, LONG_PTR param2) = 0;
};
inline constexpr const GUID& IID_IMediaEventSink = IMediaEventSink::kIid;

// The graph's queue of the events its filters raised, oldest first.
struct IMediaEvent : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A868B6-0AD4-11CE-B03A-0020AF0BA770}");
    // Takes the oldest event, waiting up to msTimeout (negative: for ever); E_ABORT when
    // none came in time.
    virtual HRESULT STDMETHODCALLTYPE GetEvent(LONG* eventCode, LONG_PTR* param1, LONG_PTR* param2,
                                               LONG msTimeout) = 0;
    // Waits until the stream has ended (every renderer complete, or an abort): *eventCode is
    // EC_COMPLETE, EC_ERRORABORT or EC_USERABORT; E_ABORT on timeout, VFW_E_WRONG_STATE
    // while the graph is stopped.
    virtual HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG msTimeout, LONG* eventCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeEventParams(LONG eventCode, LONG_PTR param1, LONG_PTR param2) = 0;
};
inline constexpr const GUID& IID_IMediaEvent = IMediaEvent::kIid;

struct IMediaControl : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A868B1-0AD4-11CE-B03A-0020AF0BA770}");
    // A non-negative result means the graph accepted the state; S_FALSE while it is still
    // getting there (renderers prerolling).
    virtual HRESULT STDMETHODCALLTYPE Run() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    // state is an OAFilterState (a FILTER_STATE value); VFW_S_STATE_INTERMEDIATE on timeout.
    virtual HRESULT STDMETHODCALLTYPE GetState(LONG msTimeout, OAFilterState* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE RenderFile(BSTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR fileName, IDispatch** filterInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch** collection) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch** collection) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopWhenReady() = 0;
};
inline constexpr const GUID& IID_IMediaControl = IMediaControl::kIid;

struct IMediaSeeking : IUnknown {
    static constexpr GUID kIid = MakeGuid("{36B73880-C2C8-11CF-8B46-00805F6CEF60}");
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                        const GUID* sourceFormat) = 0;
    // Flags per position: AM_SEEKING_NoPositioning leaves that position untouched.
    virtual HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                                   DWORD stopFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRate(double rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRate(double* rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) = 0;
};
inline constexpr const GUID& IID_IMediaSeeking = IMediaSeeking::kIid;

struct IBasicAudio : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A868B3-0AD4-11CE-B03A-0020AF0BA770}");
    // Hundredths of a decibel: -10000 is silence, 0 full volume.
    virtual HRESULT STDMETHODCALLTYPE put_Volume(LONG volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Volume(LONG* volume) = 0;
    // -10000 (right channel silent) to 10000 (left channel silent), hundredths of a decibel.
    virtual HRESULT STDMETHODCALLTYPE put_Balance(LONG balance) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Balance(LONG* balance) = 0;
};
inline constexpr const GUID& IID_IBasicAudio = IBasicAudio::kIid;

struct IAMStreamSelect : IUnknown {
    static constexpr GUID kIid = MakeGuid("{C1960960-17F5-11D1-ABE1-00A0C905F375}");
    virtual HRESULT STDMETHODCALLTYPE Count(DWORD* streams) = 0;
    // Every out-parameter may be null. The media type is for DeleteMediaType, the name for
    // CoTaskMemFree, the two objects are references the caller releases.
    virtual HRESULT STDMETHODCALLTYPE Info(LONG index, AM_MEDIA_TYPE** mediaType, DWORD* flags, LCID* lcid,
                                           DWORD* group, WCHAR** name, IUnknown** object, IUnknown** unknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enable(LONG index, DWORD flags) = 0;
};
inline constexpr const GUID& IID_IAMStreamSelect = IAMStreamSelect::kIid;

struct ISpecifyPropertyPages : IUnknown {
    static constexpr GUID kIid = MakeGuid("{B196B28B-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) = 0;
};
inline constexpr const GUID& IID_ISpecifyPropertyPages = ISpecifyPropertyPages::kIid;

struct IFileSourceFilter : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A868A6-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* mediaType) = 0;
    // The name is for CoTaskMemFree; mediaType, when not null, is filled (FreeMediaType).
    virtual HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) = 0;
};
inline constexpr const GUID& IID_IFileSourceFilter = IFileSourceFilter::kIid;

enum QualityMessageType : int32_t { Famine = 0, Flood = 1 };

struct Quality {
    QualityMessageType Type;
    LONG Proportion;  // 1000 is full rate
    REFERENCE_TIME Late;
    REFERENCE_TIME TimeStamp;
};

struct IQualityControl : IUnknown {
    static constexpr GUID kIid = MakeGuid("{56A868A5-0AD4-11CE-B03A-0020AF0BA770}");
    virtual HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* self, Quality quality) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSink(IQualityControl* sink) = 0;
};
inline constexpr const GUID& IID_IQualityControl = IQualityControl::kIid;

// A video renderer's delivery statistics; rates in hundredths of a frame per second,
// times in milliseconds.
struct IQualProp : IUnknown {
    static constexpr GUID kIid = MakeGuid("{1BD0ECB0-F8E2-11CE-AAC6-0020AF0B99A3}");
    virtual HRESULT STDMETHODCALLTYPE get_FramesDroppedInFilter(int* dropped) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FramesDrawn(int* drawn) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AvgFrameRate(int* averageFrameRate) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Jitter(int* jitter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AvgSyncOffset(int* average) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DevSyncOffset(int* deviation) = 0;
};
inline constexpr const GUID& IID_IQualProp = IQualProp::kIid;
