// Stream selection through the source's stream selector, and graph inspection: the
// filters of a channel's graph and their property pages. Called on the caller's thread.
#include "engine/channel/ChannelRegistry.h"
#include "engine/api/Lumex.h"
#include "engine/renderers/GraphHelpers.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/window/DialogPresenter.h"

using orvo::engine::CChannel;

namespace {

constexpr size_t kStreamNameBytes = 260;  // 259 characters and the terminating zero
constexpr size_t kFilterNameBytes = 128;

// The stream selector at the head of the channel's graph, never a decoder's behind it.
ComPtr<IAMStreamSelect> SelectorOf(CChannel& c) {
    ComPtr<IAMStreamSelect> selector;
    orvo::engine::FindSourceInterface(c.graph.Get(), selector);
    return selector;
}

int32_t TypeOf(const AM_MEDIA_TYPE* mt) {
    if (!mt) return 0;
    if (mt->majortype == MEDIATYPE_Video) return 1;
    if (mt->majortype == MEDIATYPE_Audio) return 2;
    return 3;
}

// Fills info from the selector's description of stream index; false when it has none.
bool DescribeStream(CChannel& c, IAMStreamSelect& selector, int32_t index, StreamInfo& info) {
    AM_MEDIA_TYPE* mt = nullptr;
    DWORD flags = 0, group = 0;
    LCID lcid = 0;
    WCHAR* name = nullptr;
    IUnknown* object = nullptr;
    IUnknown* unknown = nullptr;
    HRESULT hr = selector.Info(index, &mt, &flags, &lcid, &group, &name, &object, &unknown);
    if (FAILED(hr)) {
        orvo::engine::ShowErrorMessage(hr);
        return false;
    }
    info.index = index;
    info.enabled = flags != 0;
    if (name) {
        std::lock_guard lock(c.streamNameLock);
        c.streamName.resize(kStreamNameBytes);
        c.streamName.resize(orvo::com::Utf16ToUtf8Bounded(name, c.streamName.data(), kStreamNameBytes));
        info.name = c.streamName.data();
    }
    info.type = TypeOf(mt);
    DeleteMediaType(mt);
    CoTaskMemFree(name);
    if (object) object->Release();
    if (unknown) unknown->Release();
    return true;
}

bool HasPropertyPages(IBaseFilter* filter) {
    if (!filter) return false;
    ComPtr<ISpecifyPropertyPages> pages;
    return SUCCEEDED(filter->QueryInterface(ISpecifyPropertyPages::kIid, pages.PutVoid()));
}

HRESULT ShowPropertyFrame(IBaseFilter* filter, HWND owner) {
    if (!filter) return E_POINTER;
    ComPtr<ISpecifyPropertyPages> pages;
    HRESULT hr = filter->QueryInterface(ISpecifyPropertyPages::kIid, pages.PutVoid());
    if (FAILED(hr)) return hr;
    FILTER_INFO info{};
    hr = filter->QueryFilterInfo(&info);
    if (info.pGraph) info.pGraph->Release();
    if (FAILED(hr)) return hr;
    CAUUID list{};
    hr = pages->GetPages(&list);
    if (SUCCEEDED(hr)) {
        IUnknown* object = filter;
        hr = OleCreatePropertyFrame(owner, 0, 0, info.achName, 1, &object, list.cElems, list.pElems, 0, 0, nullptr);
    }
    CoTaskMemFree(list.pElems);
    return hr;
}

// Calls visit(filter) for each filter of the graph in enumeration order until it says stop.
template <class Visit>
bool ForEachFilter(IGraphBuilder* graph, Visit visit) {
    ComPtr<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(filters.Put())) || !filters) return false;
    for (ComPtr<IBaseFilter> f; filters->Next(1, f.Put(), nullptr) == S_OK && f;)
        if (!visit(f.Get())) break;
    return true;
}

}  // namespace

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelStreamsCount(uint32_t ch) {
    orvo::engine::ChannelCall c(ch);
    if (!c) return 0;
    ComPtr<IAMStreamSelect> selector = SelectorOf(*c);
    DWORD count = 0;
    if (selector) selector->Count(&count);
    return int32_t(count);
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelGetStream(uint32_t ch, int32_t index, StreamInfo* info) {
    if (!info) return 0;
    orvo::engine::ChannelCall c(ch);
    if (!c) return 0;
    ComPtr<IAMStreamSelect> selector = SelectorOf(*c);
    return selector && DescribeStream(*c, *selector.Get(), index, *info) ? 1 : 0;
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelEnumerateStreams(uint32_t ch, StreamEnumProc proc, intptr_t user) {
    if (!proc) return 0;
    const int32_t count = Lumex_ChannelStreamsCount(ch);
    int32_t passed = 0;
    for (int32_t i = 0; i < count; ++i) {
        orvo::engine::ChannelCall c(ch);
        if (!c) break;
        ComPtr<IAMStreamSelect> selector = SelectorOf(*c);
        StreamInfo info{};
        if (!selector || !DescribeStream(*c, *selector.Get(), i, info)) continue;
        proc(info.type, info.name ? info.name : "", info.index, info.enabled, user);
        ++passed;
    }
    return passed;
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelEnableStream(uint32_t ch, int32_t index) {
    orvo::engine::ChannelCall c(ch);
    if (!c) return 0;
    ComPtr<IAMStreamSelect> selector = SelectorOf(*c);
    if (!selector) return 0;
    DWORD count = 0;
    selector->Count(&count);
    if (uint32_t(index) > count) return 0;  // a negative index counts as a very large one
    return SUCCEEDED(selector->Enable(index, AMSTREAMSELECTENABLE_ENABLE)) ? 1 : 0;
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelGetConnectedFilters(uint32_t ch, FilterEnumProc proc, intptr_t) {
    orvo::engine::ChannelCall c(ch);
    if (!c) return 0;
    int32_t count = 0;
    bool failed = false;
    bool listed = ForEachFilter(c->graph.Get(), [&](IBaseFilter* filter) {
        const int32_t hasPages = HasPropertyPages(filter);
        FILTER_INFO info{};
        HRESULT hr = filter->QueryFilterInfo(&info);
        if (info.pGraph) info.pGraph->Release();
        if (FAILED(hr)) {
            failed = true;
            return false;
        }
        char name[kFilterNameBytes];
        const size_t bytes = orvo::com::Utf16ToUtf8Bounded(
            std::u16string_view(info.achName, std::char_traits<char16_t>::length(info.achName)), name, sizeof name);
        if (proc && bytes > 0) proc(0, name, hasPages, 0);
        ++count;
        return true;
    });
    return listed && !failed ? count : 0;
}

LUMEX_API void LUMEX_CALL Lumex_ShowFilterPropertyPage(uint32_t ch, int32_t index, LUMEX_HWND owner) {
    orvo::engine::ChannelCall c(ch);
    if (!c) return;
    int32_t at = 0;
    ForEachFilter(c->graph.Get(), [&](IBaseFilter* filter) {
        if (at++ != index) return true;
        if (HasPropertyPages(filter)) ShowPropertyFrame(filter, HWND(owner));
        return false;
    });
}

}  // extern "C"
