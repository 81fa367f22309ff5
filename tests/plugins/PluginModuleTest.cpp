// The three plug-in modules of the build, loaded through the plug-in table as the engine loads
// them: their class factories, and the multi-stream clip played through their filters.
#include <gtest/gtest.h>

#include "engine/graph/DecoderPlugins.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/graph/MediaFormats.h"
#include "tests/ffmpeg/SinkFilter.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"

namespace orvo::engine {
namespace {

class PluginModules : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_table.Load();
        ASSERT_EQ(m_table.Count(), 3);
    }
    void TearDown() override { CoUninitialize(); }

    ComPtr<IBaseFilter> Filter(int slot) {
        ComPtr<IBaseFilter> filter;
        EXPECT_EQ(m_table.Instantiate(slot, filter), S_OK);
        return filter;
    }

    CPluginTable m_table{{ORVO_PROGRAM_FOLDER}, false};
};

TEST_F(PluginModules, EachAnswersItsOwnClassIdWithAFilter) {
    for (int slot = 0; slot < 3; ++slot) {
        const PluginSlot& plugin = m_table.Slot(slot);
        ComPtr<IBaseFilter> filter = Filter(slot);
        ASSERT_TRUE(filter);
        CLSID clsid{};
        filter->GetClassID(&clsid);
        EXPECT_EQ(clsid, plugin.clsid);
        ComPtr<IFileSourceFilter> source;
        EXPECT_EQ(SUCCEEDED(filter->QueryInterface(IID_IFileSourceFilter, source.PutVoid())), slot == 0);
        ComPtr<IClassFactory> factory;
        const CLSID& other = m_table.Slot((slot + 1) % 3).clsid;
        EXPECT_EQ(plugin.getClassObject(other, IID_IClassFactory, factory.PutVoid()), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_FALSE(factory);
    }
}

// The audio renderer is stood in for by the sink: what reaches it is the decoder's output.
TEST_F(PluginModules, MultiStreamClipPlaysAndTheOtherAudioStreamSwitchesTheTone) {
    ComPtr<IBaseFilter> splitter = Filter(0), video = Filter(1), audio = Filter(2), sink;
    ASSERT_EQ(CreateComObject<test::CSinkFilter>(IID_IBaseFilter, sink.PutVoid(),
                                                 [](const graph::MediaType& t) { return t.majortype == MEDIATYPE_Audio; }),
              S_OK);
    auto* recorder = static_cast<test::CSinkFilter*>(sink.Get());
    ComPtr<IFileSourceFilter> source;
    splitter->QueryInterface(IID_IFileSourceFilter, source.PutVoid());
    ASSERT_EQ(source->Load(com::Utf8ToUtf16(test::MediaClip("multi.mkv")).c_str(), nullptr), S_OK);

    ComPtr<IAMStreamSelect> select;
    ASSERT_EQ(splitter->QueryInterface(IID_IAMStreamSelect, select.PutVoid()), S_OK);
    DWORD count = 0;
    select->Count(&count);
    ASSERT_EQ(count, 4u);
    const DWORD groups[] = {0, 1, 1, 2};
    int audioEnabled = 0;
    for (LONG i = 0; i < 4; ++i) {
        DWORD flags = 0, group = 0;
        ASSERT_EQ(select->Info(i, nullptr, &flags, nullptr, &group, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(group, groups[i]);
        audioEnabled += group == 1 && flags;
    }
    EXPECT_EQ(audioEnabled, 1);

    test::ConnectPins(test::PinAt(splitter.Get(), 0).Get(), test::PinAt(video.Get(), 0).Get());
    test::ConnectPins(test::PinAt(splitter.Get(), 1).Get(), test::PinAt(audio.Get(), 0).Get());
    test::ConnectPins(test::PinAt(audio.Get(), 1).Get(), recorder->Pin());
    test::RunFilters({sink.Get(), audio.Get(), video.Get(), splitter.Get()});
    ASSERT_TRUE(recorder->WaitForEnd());
    EXPECT_NEAR(test::MeasuredTone(test::LeftChannel(recorder->Samples(), 2), 48000), 440, 10);

    recorder->Clear();
    ASSERT_EQ(select->Enable(2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    ComPtr<IMediaSeeking> seeking;
    test::PinAt(audio.Get(), 1)->QueryInterface(IID_IMediaSeeking, seeking.PutVoid());
    LONGLONG start = 0;
    ASSERT_EQ(seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(recorder->WaitForEnd());
    EXPECT_NEAR(test::MeasuredTone(test::LeftChannel(recorder->Samples(), 2), 48000), 1000, 20);
    test::StopFilters({sink.Get(), audio.Get(), video.Get(), splitter.Get()});
    test::DisconnectFilters({sink.Get(), audio.Get(), video.Get(), splitter.Get()});
}

}  // namespace
}  // namespace orvo::engine
