#pragma once
// Filters for media-check tests, on the platform's base classes: output pins that offer a
// planned list of media types, a reader that loads a "file" into one byte-stream pin, and a
// splitter behind it whose outputs offer the types the test planned. Graphs with them are
// built and inspected, never run.
#include <memory>
#include <vector>

#include "platform/com/Runtime.h"
#include "platform/graph/BasePin.h"
#include "platform/graph/FilterRegistry.h"

namespace orvo::test {

inline constexpr CLSID CLSID_TestReader = MakeGuid("{6C0A51E2-93B4-4F1D-A7C8-2E5D9B0F4A01}");
inline constexpr CLSID CLSID_TestSplitter = MakeGuid("{6C0A51E2-93B4-4F1D-A7C8-2E5D9B0F4A02}");

// The names the reader loads start with this; it refuses every other name.
inline constexpr char16_t kReaderPrefix[] = u"reader:";

// A pin's preferred types in order; enumFailure, when set, is EnumMediaTypes' answer instead.
struct PinPlan {
    std::vector<graph::MediaType> types;
    HRESULT enumFailure = S_OK;
};

graph::MediaType VideoInfoType(const GUID& subtype, LONG width, LONG height, DWORD compression);
graph::MediaType WaveType(const GUID& subtype, WORD formatTag, WORD channels, DWORD sampleRate);
graph::MediaType PcmType(WORD channels, DWORD sampleRate);

class PlannedOutputPin final : public CBaseOutputPin {
public:
    PlannedOutputPin(CBaseFilter* filter, const char16_t* name, PinPlan plan);
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

private:
    PinPlan m_plan;
};

// A byte-stream input, then one output per plan, named "Out 1", "Out 2", ...
class TestSplitter final : public CBaseFilter {
public:
    explicit TestSplitter(std::vector<PinPlan> outputs);
    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

    // What the next splitter that intelligent connect makes will offer.
    static void PlanNext(std::vector<PinPlan> outputs);

private:
    std::vector<std::unique_ptr<CBasePin>> m_pins;
};

// A file source with one byte-stream output, for names that start with kReaderPrefix.
class TestReader final : public CBaseFilter, public IFileSourceFilter {
public:
    TestReader();
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mediaType) override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override { return index == 0 ? &m_output : nullptr; }

private:
    PlannedOutputPin m_output;
    std::u16string m_file;
};

// The reader (as a file source tried before the platform's own) and the splitter (for byte
// streams) in the class table and the filter registry while it lives.
class ReaderRegistrations {
public:
    ReaderRegistrations();
    ~ReaderRegistrations();
    ReaderRegistrations(const ReaderRegistrations&) = delete;
    ReaderRegistrations& operator=(const ReaderRegistrations&) = delete;
};

}  // namespace orvo::test
