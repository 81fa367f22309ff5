// Stream selection and graph inspection on a real graph whose source offers a stream
// selector and property pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/api/Lumex.h"
#include "engine/channel/ChannelRegistry.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/SourceStream.h"
#include "platform/window/DialogPresenter.h"

namespace orvo::engine {
namespace {

constexpr GUID kSelectorSource = MakeGuid("{5E1D0201-0000-4000-8000-00000000C001}");
constexpr GUID kPage = MakeGuid("{5E1D0202-0000-4000-8000-00000000C002}");

// A source of four streams, video, two audio and subtitles, the first audio enabled.
class SelectorSource final : public CSource, public IAMStreamSelect, public ISpecifyPropertyPages {
public:
    SelectorSource() : CSource(kSelectorSource) {}
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IAMStreamSelect) return GetInterface(static_cast<IAMStreamSelect*>(this), object);
        if (object && riid == IID_ISpecifyPropertyPages)
            return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
        return CSource::NonDelegatingQueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE Count(DWORD* streams) override {
        *streams = DWORD(m_streams.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Info(LONG index, AM_MEDIA_TYPE** mt, DWORD* flags, LCID*, DWORD* group, WCHAR** name,
                                   IUnknown** object, IUnknown** unknown) override {
        if (index < 0 || size_t(index) >= m_streams.size()) return E_INVALIDARG;
        const Stream& s = m_streams[size_t(index)];
        if (mt) {
            graph::MediaType type(s.major);
            *mt = CreateMediaType(&type);
        }
        if (flags) *flags = s.enabled ? AMSTREAMSELECTINFO_EXCLUSIVE : 0;
        if (group) *group = s.group;
        if (name) *name = graph::CoTaskStrDup(s.name);
        if (object) *object = nullptr;
        if (unknown) *unknown = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(LONG index, DWORD) override {
        if (index < 0 || size_t(index) >= m_streams.size()) return E_INVALIDARG;
        for (auto& s : m_streams)
            if (s.group == m_streams[size_t(index)].group) s.enabled = false;
        m_streams[size_t(index)].enabled = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override {
        pages->cElems = 1;
        pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
        pages->pElems[0] = kPage;
        return S_OK;
    }

    struct Stream {
        GUID major;
        DWORD group;
        std::u16string name;
        bool enabled;
    };
    std::vector<Stream> m_streams = {{MEDIATYPE_Video, 0, u"Video H.264", true},
                                     {MEDIATYPE_Audio, 1, u"English, AC-3 5.1", true},
                                     {MEDIATYPE_Audio, 1, u"Deutsch, AAC", false},
                                     {MEDIATYPE_Subtitle, 2, u"Français, Subtitles", true}};
};

class Recorder final : public window::DialogPresenter {
public:
    int ShowMessage(HWND, const std::u16string& text, const std::u16string& caption, UINT) override {
        messages.push_back(caption + u": " + text);
        return IDOK;
    }
    HRESULT ShowPropertyFrame(const window::PropertyFrameRequest& r) override {
        frames.push_back(r.caption);
        EXPECT_EQ(r.pages, std::vector<CLSID>{kPage});
        EXPECT_EQ(r.objects.size(), 1u);
        return S_OK;
    }
    std::vector<std::u16string> messages, frames;
};

class Streams : public ::testing::Test {
protected:
    void SetUp() override {
        window::InstallDialogPresenter(&presenter);
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        auto record = CreateChannelRecord(0);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   record->graph.PutVoid()),
                  S_OK);
        source = ComPtr<SelectorSource>(new SelectorSource);
        ASSERT_GE(record->graph->AddFilter(source.Get(), u"SourceFilter"), 0);
        record->state = CHANNEL_STOPPED;
        handle = Channels().Register(std::move(record));
    }
    void TearDown() override {
        Lumex_StreamFree(handle);
        source.Reset();
        Lumex_Free();
        window::InstallDialogPresenter(nullptr);
    }
    Recorder presenter;
    ComPtr<SelectorSource> source;
    uint32_t handle = 0;
};

struct Seen {
    int32_t type;
    std::string name;
    int32_t index, enabled;
    intptr_t user;
};
std::vector<Seen> g_seen;
void RecordStream(int32_t type, const char* name, int32_t index, int32_t enabled, intptr_t user) {
    g_seen.push_back({type, name, index, enabled, user});
}

TEST_F(Streams, CountDescribeAndEnumerate) {
    EXPECT_EQ(Lumex_ChannelStreamsCount(handle), 4);
    const int32_t types[] = {1, 2, 2, 3};
    int enabledAudio = 0;
    for (int32_t i = 0; i < 4; ++i) {
        StreamInfo info{};
        ASSERT_EQ(Lumex_ChannelGetStream(handle, i, &info), 1);
        EXPECT_EQ(info.type, types[i]);
        EXPECT_EQ(info.index, i);
        if (info.type == 2) enabledAudio += info.enabled;
    }
    EXPECT_EQ(enabledAudio, 1);
    StreamInfo info{};
    ASSERT_EQ(Lumex_ChannelGetStream(handle, 3, &info), 1);
    EXPECT_STREQ(info.name, "Français, Subtitles");
    EXPECT_EQ(Lumex_ChannelGetStream(handle, 0, nullptr), 0);

    g_seen.clear();
    EXPECT_EQ(Lumex_ChannelEnumerateStreams(handle, RecordStream, 77), 4);
    ASSERT_EQ(g_seen.size(), 4u);
    EXPECT_EQ(g_seen[1].name, "English, AC-3 5.1");
    EXPECT_EQ(g_seen[2].enabled, 0);
    EXPECT_EQ(g_seen[3].user, 77);
    EXPECT_EQ(Lumex_ChannelEnumerateStreams(handle, nullptr, 0), 0);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(Streams, LongNamesAreCutBetweenCharacters) {
    source->m_streams[0].name = std::u16string(300, u'é');
    StreamInfo info{};
    ASSERT_EQ(Lumex_ChannelGetStream(handle, 0, &info), 1);
    EXPECT_EQ(std::string(info.name).size(), 258u) << "129 two-byte characters fit in 259 bytes";
}

TEST_F(Streams, AStreamTheSelectorCannotDescribeShowsTheError) {
    StreamInfo info{};
    info.index = -5;
    EXPECT_EQ(Lumex_ChannelGetStream(handle, 4, &info), 0);
    EXPECT_EQ(info.index, -5) << "the record is left unchanged";
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].rfind(u"Error!: ", 0), 0u);
}

TEST_F(Streams, EnableSwitchesWithinTheGroup) {
    EXPECT_EQ(Lumex_ChannelEnableStream(handle, 2), 1);
    StreamInfo first{}, second{};
    Lumex_ChannelGetStream(handle, 1, &first);
    Lumex_ChannelGetStream(handle, 2, &second);
    EXPECT_EQ(first.enabled, 0);
    EXPECT_EQ(second.enabled, 1);
    EXPECT_EQ(Lumex_ChannelEnableStream(handle, 4), 0) << "the count reaches the selector, which refuses it";
    EXPECT_EQ(Lumex_ChannelEnableStream(handle, -1), 0);
    EXPECT_EQ(Lumex_ChannelEnableStream(handle, 5), 0);
}

std::vector<std::pair<std::string, int32_t>> g_filters;
void RecordFilter(int32_t, const char* name, int32_t hasPages, int32_t) { g_filters.emplace_back(name, hasPages); }

TEST_F(Streams, FiltersAndPropertyPages) {
    g_filters.clear();
    EXPECT_EQ(Lumex_ChannelGetConnectedFilters(handle, RecordFilter, 0), 1);
    EXPECT_EQ(g_filters, (std::vector<std::pair<std::string, int32_t>>{{"SourceFilter", 1}}));
    EXPECT_EQ(Lumex_ChannelGetConnectedFilters(handle, nullptr, 0), 1);
    Lumex_ShowFilterPropertyPage(handle, 1, 0);
    EXPECT_TRUE(presenter.frames.empty()) << "past the last filter nothing is shown";
    Lumex_ShowFilterPropertyPage(handle, 0, 0);
    EXPECT_EQ(presenter.frames, std::vector<std::u16string>{u"SourceFilter"});
}

TEST_F(Streams, WithoutASelectorThereAreNoStreams) {
    CChannel* c = Channels().Lookup(handle).get();
    c->graph->RemoveFilter(source.Get());
    EXPECT_EQ(Lumex_ChannelStreamsCount(handle), 0);
    StreamInfo info{};
    EXPECT_EQ(Lumex_ChannelGetStream(handle, 0, &info), 0);
    EXPECT_EQ(Lumex_ChannelEnableStream(handle, 0), 0);
    EXPECT_EQ(Lumex_ChannelGetConnectedFilters(handle, RecordFilter, 0), 0);
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(Lumex_ChannelStreamsCount(handle + 1), 0);
}

}  // namespace
}  // namespace orvo::engine
