#include "tests/mediacheck/StreamFilters.h"

#include <mutex>
#include <string>

#include "platform/graph/MediaFormats.h"

namespace orvo::test {
namespace {

std::mutex g_planLock;
std::vector<PinPlan> g_nextPlan;

class ByteStreamInputPin final : public CBaseInputPin {
public:
    explicit ByteStreamInputPin(CBaseFilter* filter) : CBaseInputPin(filter, u"In") {}
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override {
        return mediaType.majortype == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
};

HRESULT CreateReader(REFIID riid, void** object) { return CreateComObject<TestReader>(riid, object); }

HRESULT CreateSplitter(REFIID riid, void** object) {
    std::vector<PinPlan> plan;
    {
        std::lock_guard lock(g_planLock);
        plan = g_nextPlan;
    }
    return CreateComObject<TestSplitter>(riid, object, std::move(plan));
}

}  // namespace

graph::MediaType VideoInfoType(const GUID& subtype, LONG width, LONG height, DWORD compression) {
    VIDEOINFOHEADER info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = compression;
    info.bmiHeader.biSizeImage = DWORD(width * (height < 0 ? -height : height) * 4);
    graph::MediaType type(MEDIATYPE_Video, subtype, FORMAT_VideoInfo);
    SetMediaTypeFormat(type, FORMAT_VideoInfo, &info, sizeof info);
    return type;
}

graph::MediaType WaveType(const GUID& subtype, WORD formatTag, WORD channels, DWORD sampleRate) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = formatTag;
    wave.nChannels = channels;
    wave.nSamplesPerSec = sampleRate;
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = WORD(channels * 2);
    wave.nAvgBytesPerSec = sampleRate * wave.nBlockAlign;
    graph::MediaType type(MEDIATYPE_Audio, subtype, FORMAT_WaveFormatEx);
    SetMediaTypeFormat(type, FORMAT_WaveFormatEx, &wave, sizeof wave);
    return type;
}

graph::MediaType PcmType(WORD channels, DWORD sampleRate) {
    return WaveType(MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, channels, sampleRate);
}

PlannedOutputPin::PlannedOutputPin(CBaseFilter* filter, const char16_t* name, PinPlan plan)
    : CBaseOutputPin(filter, name), m_plan(std::move(plan)) {}

HRESULT PlannedOutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (FAILED(m_plan.enumFailure)) return m_plan.enumFailure;
    return CBaseOutputPin::EnumMediaTypes(types);
}

HRESULT PlannedOutputPin::CheckMediaType(const graph::MediaType& mediaType) {
    for (const graph::MediaType& own : m_plan.types)
        if (MediaTypesEqual(own, mediaType)) return S_OK;
    return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT PlannedOutputPin::GetMediaType(int position, graph::MediaType& mediaType) {
    if (position < 0) return E_INVALIDARG;
    if (size_t(position) >= m_plan.types.size()) return VFW_S_NO_MORE_ITEMS;
    mediaType = m_plan.types[size_t(position)];
    return S_OK;
}

HRESULT PlannedOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    ALLOCATOR_PROPERTIES wanted{1, 4096, 1, 0}, actual{};
    return allocator->SetProperties(&wanted, &actual);
}

TestSplitter::TestSplitter(std::vector<PinPlan> outputs) : CBaseFilter(CLSID_TestSplitter) {
    m_pins.push_back(std::make_unique<ByteStreamInputPin>(this));
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::u16string name = u"Out " + std::u16string(1, char16_t(u'1' + i));
        m_pins.push_back(std::make_unique<PlannedOutputPin>(this, name.c_str(), std::move(outputs[i])));
    }
}

int TestSplitter::GetPinCount() { return int(m_pins.size()); }

CBasePin* TestSplitter::GetPin(int index) {
    return index >= 0 && size_t(index) < m_pins.size() ? m_pins[size_t(index)].get() : nullptr;
}

void TestSplitter::PlanNext(std::vector<PinPlan> outputs) {
    std::lock_guard lock(g_planLock);
    g_nextPlan = std::move(outputs);
}

TestReader::TestReader()
    : CBaseFilter(CLSID_TestReader), m_output(this, u"Output", PinPlan{{graph::MediaType(MEDIATYPE_Stream)}}) {}

HRESULT TestReader::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(riid, object);
}

HRESULT TestReader::Load(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (!fileName) return E_POINTER;
    const std::u16string name(fileName);
    if (!name.starts_with(kReaderPrefix)) return VFW_E_UNKNOWN_FILE_TYPE;
    m_file = name;
    return S_OK;
}

HRESULT TestReader::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) {
    if (!fileName) return E_POINTER;
    *fileName = graph::CoTaskStrDup(m_file);
    if (mediaType) {
        *mediaType = AM_MEDIA_TYPE{};
        mediaType->majortype = MEDIATYPE_Stream;
    }
    return S_OK;
}

ReaderRegistrations::ReaderRegistrations() {
    com::RegisterClass(CLSID_TestReader, &CreateReader);
    com::RegisterClass(CLSID_TestSplitter, &CreateSplitter);
    graph::RegisterFilter({CLSID_TestReader, u"Test Reader", MERIT_PREFERRED, {}, false, true});
    graph::RegisterFilter({CLSID_TestSplitter, u"Test Splitter", MERIT_NORMAL, {{MEDIATYPE_Stream, GUID_NULL}}});
}

ReaderRegistrations::~ReaderRegistrations() {
    for (const CLSID& clsid : {CLSID_TestReader, CLSID_TestSplitter}) {
        graph::UnregisterFilter(clsid);
        com::UnregisterClass(clsid);
    }
}

}  // namespace orvo::test
