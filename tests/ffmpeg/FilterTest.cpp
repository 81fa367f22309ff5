// The splitter and the decoder filters wired pin to pin with a recording sink: loading and its
// failures, stream selection, playback of lossless pictures and tones, seeking, cut files.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/Demuxer.h"
#include "platform/filters/ffmpeg/FFmpegFilters.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/MediaFormats.h"
#include "platform/window/DialogPresenter.h"
#include "tests/ffmpeg/SinkFilter.h"
#include "tests/graph/TestFilters.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"

namespace orvo::ffmpeg {
namespace {

using test::CSinkFilter;

const CLSID kSplitter = MakeGuid("{5A0B8C11-2D3E-4F60-8A71-9B2C3D4E5F01}");
const CLSID kVideo = MakeGuid("{5A0B8C11-2D3E-4F60-8A71-9B2C3D4E5F02}");
const CLSID kAudio = MakeGuid("{5A0B8C11-2D3E-4F60-8A71-9B2C3D4E5F03}");

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

int PinCount(IBaseFilter* filter) {
    int count = 0;
    while (test::PinAt(filter, count)) ++count;
    return count;
}

ComPtr<IBaseFilter> Splitter(const char* clip, HRESULT expected = S_OK) {
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(CreateSplitterFilter(kSplitter, IID_IBaseFilter, filter.PutVoid()), S_OK);
    ComPtr<IFileSourceFilter> source;
    filter->QueryInterface(IID_IFileSourceFilter, source.PutVoid());
    const std::u16string path = com::Utf8ToUtf16(clip[0] == '/' ? std::string(clip) : test::MediaClip(clip));
    EXPECT_EQ(source->Load(path.c_str(), nullptr), expected) << clip;
    return filter;
}

ComPtr<IBaseFilter> Sink(CSinkFilter::Accept accept, CSinkFilter** sink) {
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(CreateComObject<CSinkFilter>(IID_IBaseFilter, filter.PutVoid(), std::move(accept)), S_OK);
    *sink = static_cast<CSinkFilter*>(filter.Get());
    return filter;
}

bool IsSubtype(const graph::MediaType& type, const GUID& subtype) { return type.subtype == subtype; }

// A splitter pin through a decoder into a sink; the chain is stopped and taken apart at the end.
struct Chain {
    ComPtr<IBaseFilter> splitter, decoder, sink;
    CSinkFilter* recorder = nullptr;

    Chain(const char* clip, int pin, bool video, CSinkFilter::Accept accept) {
        splitter = Splitter(clip);
        if (video)
            CreateVideoDecoderFilter(kVideo, CodecSet::All, IID_IBaseFilter, decoder.PutVoid());
        else
            CreateAudioDecoderFilter(kAudio, CodecSet::All, IID_IBaseFilter, decoder.PutVoid());
        sink = Sink(std::move(accept), &recorder);
        test::ConnectPins(test::PinAt(splitter.Get(), pin).Get(), test::PinAt(decoder.Get(), 0).Get());
        test::ConnectPins(test::PinAt(decoder.Get(), 1).Get(), recorder->Pin());
    }
    void Run() { test::RunFilters({sink.Get(), decoder.Get(), splitter.Get()}); }
    ~Chain() {
        test::StopFilters({sink.Get(), decoder.Get(), splitter.Get()});
        test::DisconnectFilters({sink.Get(), decoder.Get(), splitter.Get()});
    }
    ComPtr<IMediaSeeking> Seeking() {
        ComPtr<IMediaSeeking> seeking;
        test::PinAt(decoder.Get(), 1)->QueryInterface(IID_IMediaSeeking, seeking.PutVoid());
        return seeking;
    }
};

TEST(Splitter, FailedLoadLeavesNoPinAndNoThread) {
    const int threads = ThreadCount();
    const std::string missing = testing::TempDir() + "no_such_clip.mkv";
    const struct {
        const char* clip;
        HRESULT expected;
    } cases[] = {{missing.c_str(), kFileNotFound}, {"random.mkv", VFW_E_UNKNOWN_FILE_TYPE}};
    for (const auto& c : cases) {
        ComPtr<IBaseFilter> splitter = Splitter(c.clip, c.expected);
        EXPECT_EQ(PinCount(splitter.Get()), 0);
        EXPECT_EQ(splitter->Pause(), S_OK);
        EXPECT_EQ(splitter->Stop(), S_OK);
    }
    EXPECT_EQ(ThreadCount(), threads);
}

TEST(Splitter, OnePinPerStreamGroupAndOneLoad) {
    ComPtr<IBaseFilter> splitter = Splitter("multi.mkv");
    ASSERT_EQ(PinCount(splitter.Get()), 3);
    PIN_INFO info{};
    test::PinAt(splitter.Get(), 1)->QueryPinInfo(&info);
    info.pFilter->Release();
    EXPECT_EQ(std::u16string(info.achName), u"Audio");
    EXPECT_EQ(info.dir, PINDIR_OUTPUT);
    ComPtr<IFileSourceFilter> source;
    splitter->QueryInterface(IID_IFileSourceFilter, source.PutVoid());
    EXPECT_EQ(source->Load(u"/again.mkv", nullptr), E_UNEXPECTED);
    WCHAR* name = nullptr;
    EXPECT_EQ(source->GetCurFile(&name, nullptr), S_OK);
    EXPECT_EQ(com::Utf16ToUtf8(name), test::MediaClip("multi.mkv"));
    CoTaskMemFree(name);
}

TEST(Splitter, ItsPropertyPageDescribesTheStreams) {
    ComPtr<IBaseFilter> splitter = Splitter("multi.mkv");
    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(splitter->QueryInterface(IID_ISpecifyPropertyPages, pages.PutVoid()), S_OK);
    CAUUID list{};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    ComPtr<IPropertyPage> page;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_EQ(CoCreateInstance(list.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.PutVoid()), S_OK);
    CoTaskMemFree(list.pElems);
    IUnknown* objects[] = {splitter.Get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    PROPPAGEINFO pageInfo{};
    ASSERT_EQ(page->GetPageInfo(&pageInfo), S_OK);
    EXPECT_EQ(std::u16string(pageInfo.pszTitle), u"Format");
    EXPECT_NE(std::u16string(pageInfo.pszDocString).find(u"\n* English, AC-3 stereo\n  German, MP2 stereo"),
              std::u16string::npos);
    CoTaskMemFree(pageInfo.pszTitle);
    CoTaskMemFree(pageInfo.pszDocString);
    page.Reset();
    CoUninitialize();
}

struct StreamRow {
    GUID major;
    DWORD flags, group;
    std::u16string name;
};

std::vector<StreamRow> Streams(IAMStreamSelect* select) {
    DWORD count = 0;
    select->Count(&count);
    std::vector<StreamRow> rows;
    for (LONG i = 0; i < LONG(count); ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        StreamRow row{};
        WCHAR* name = nullptr;
        EXPECT_EQ(select->Info(i, &type, &row.flags, nullptr, &row.group, &name, nullptr, nullptr), S_OK);
        row.major = type->majortype;
        row.name = name;
        DeleteMediaType(type);
        CoTaskMemFree(name);
        rows.push_back(row);
    }
    return rows;
}

TEST(Splitter, StreamSelectionListsAndSwitchesStreams) {
    ComPtr<IBaseFilter> splitter = Splitter("multi.mkv");
    ComPtr<IAMStreamSelect> select;
    ASSERT_EQ(splitter->QueryInterface(IID_IAMStreamSelect, select.PutVoid()), S_OK);
    auto rows = Streams(select.Get());
    ASSERT_EQ(rows.size(), 4u);
    const GUID majors[] = {MEDIATYPE_Video, MEDIATYPE_Audio, MEDIATYPE_Audio, MEDIATYPE_Subtitle};
    const DWORD groups[] = {0, 1, 1, 2};
    const DWORD enabled[] = {AMSTREAMSELECTINFO_ENABLED, AMSTREAMSELECTINFO_ENABLED, 0, AMSTREAMSELECTINFO_ENABLED};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].major, majors[i]);
        EXPECT_EQ(rows[i].group, groups[i]);
        EXPECT_EQ(rows[i].flags, enabled[i]) << i;
    }
    EXPECT_EQ(rows[1].name, u"English, AC-3 stereo");
    EXPECT_EQ(select->Enable(2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    rows = Streams(select.Get());
    EXPECT_EQ(rows[1].flags, 0u);
    EXPECT_EQ(rows[2].flags, DWORD(AMSTREAMSELECTINFO_ENABLED));
    graph::MediaType audio;
    test::PinAt(splitter.Get(), 1)->ConnectionMediaType(&audio);  // not connected: fails, type stays empty
    EXPECT_EQ(select->Enable(4, AMSTREAMSELECTENABLE_ENABLE), E_INVALIDARG);
    EXPECT_EQ(select->Enable(-1, AMSTREAMSELECTENABLE_ENABLE), E_INVALIDARG);
    EXPECT_EQ(select->Info(4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST(VideoDecoderFilter, LosslessFramesArriveAsGeneratedPackedAndBottomUp) {
    Chain chain("flat.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); });
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    const auto samples = chain.recorder->Samples();
    ASSERT_EQ(samples.size(), 75u);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto& sample = samples[i];
        EXPECT_EQ(sample.start, REFERENCE_TIME(i) * 400'000);
        ASSERT_EQ(sample.data.size(), 320u * 240 * 4);
        const auto* info = sample.type.FormatAs<VIDEOINFOHEADER2>();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->bmiHeader.biHeight, 240);
        for (int y = 0; y < 240; y += 11)
            for (int x = 0; x < 320; x += 7) {
                const uint8_t* p = &sample.data[(size_t(239 - y) * 320 + x) * 4];
                ASSERT_EQ((test::Rgb{p[2], p[1], p[0]}), test::ViewPixel(0, int(i), x, y)) << i << ":" << x << "," << y;
            }
    }
}

TEST(VideoDecoderFilter, OffersTheDecodedFormatFirstThenTheRest) {
    ComPtr<IBaseFilter> splitter = Splitter("odd.mkv"), decoder;
    CreateVideoDecoderFilter(kVideo, CodecSet::All, IID_IBaseFilter, decoder.PutVoid());
    test::ConnectPins(test::PinAt(splitter.Get(), 0).Get(), test::PinAt(decoder.Get(), 0).Get());
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(test::PinAt(decoder.Get(), 1)->EnumMediaTypes(types.Put()), S_OK);
    std::vector<GUID> subtypes;
    for (AM_MEDIA_TYPE* type = nullptr; types->Next(1, &type, nullptr) == S_OK; type = nullptr) {
        int width = 0, height = 0;
        const auto* bmi = &reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat)->bmiHeader;
        if (type->formattype == FORMAT_VideoInfo2) bmi = &reinterpret_cast<const VIDEOINFOHEADER2*>(type->pbFormat)->bmiHeader;
        width = bmi->biWidth, height = bmi->biHeight;
        EXPECT_EQ(width, 321);
        EXPECT_EQ(height, 179);
        EXPECT_EQ(LONG(bmi->biSizeImage), LONG(type->lSampleSize));
        if (subtypes.empty() || subtypes.back() != type->subtype) subtypes.push_back(type->subtype);
        DeleteMediaType(type);
    }
    test::DisconnectFilters({splitter.Get(), decoder.Get()});
    ASSERT_EQ(subtypes.size(), 6u);
    EXPECT_EQ(subtypes[0], MEDIASUBTYPE_IYUV);
}

TEST(VideoDecoderFilter, SeekDeliversTheFirstFrameAtTheTargetWithinOneFrame) {
    Chain chain("h264.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_NV12); });
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    chain.recorder->Clear();
    const int flushes = chain.recorder->Flushes();
    LONGLONG target = 15'000'000;
    ASSERT_EQ(chain.Seeking()->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    EXPECT_GT(chain.recorder->Flushes(), flushes);
    EXPECT_EQ(chain.recorder->LastSegmentStart(), target);
    const auto samples = chain.recorder->Samples();
    ASSERT_FALSE(samples.empty());
    // Sample times count from the segment start, the seek target; the first frame is the one
    // shown at the target, frame 37 from 1.48 s to 1.52 s.
    EXPECT_LE(samples[0].start, 0);
    EXPECT_GT(samples[0].start, -400'000);
    EXPECT_EQ(samples.size(), 13u);  // frames 37 to 49 of 50 at 25 a second
    LONGLONG current = 0;
    chain.Seeking()->GetCurrentPosition(&current);
    EXPECT_GE(current, target);
}

// Seeks in a row play from the last target only; a stop right after a seek, before the
// streams have restarted, still ends the flush, so the next run plays.
TEST(Splitter, SeeksInARowPlayFromTheLastTargetAndAStopEndsAPendingOne) {
    Chain chain("flat.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); });
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    chain.recorder->Clear();
    for (LONGLONG target : {4'000'000LL, 20'000'000LL, 24'000'000LL})  // the last: frames 60 to 74 of 75
        ASSERT_EQ(chain.Seeking()->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    EXPECT_EQ(chain.recorder->LastSegmentStart(), 24'000'000);
    EXPECT_EQ(chain.recorder->Samples().size(), 15u);

    chain.recorder->Clear();
    LONGLONG target = 12'000'000;  // frames 30 to 74
    ASSERT_EQ(chain.Seeking()->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    test::StopFilters({chain.sink.Get(), chain.decoder.Get(), chain.splitter.Get()});
    chain.recorder->Clear();
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    EXPECT_EQ(chain.recorder->Samples().size(), 45u);
}

// Frames reported a second late make the decoder skip the frames no other frame refers to;
// after a seek, with frames on time, every frame comes again.
TEST(VideoDecoderFilter, LateFramesAreSkippedUntilTheyAreOnTimeAgain) {
    Chain chain("h264.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_NV12); });
    chain.recorder->ReportLateness(10'000'000);
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    const size_t whileLate = chain.recorder->Samples().size();
    EXPECT_GT(whileLate, 0u);
    EXPECT_LT(whileLate, 45u) << "x264's pictures nothing refers to are skipped";

    chain.recorder->ReportLateness(-10'000);
    chain.recorder->Clear();
    LONGLONG start = 0;
    ASSERT_EQ(chain.Seeking()->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    EXPECT_EQ(chain.recorder->Samples().size(), 50u);
}

TEST(VideoDecoderFilter, RateGoesDownstreamInTheSegmentAndTheSampleTimes) {
    Chain chain("flat.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); });
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    ASSERT_EQ(chain.Seeking()->SetRate(2.0), S_OK);
    double rate = 0;
    chain.Seeking()->GetRate(&rate);
    EXPECT_EQ(rate, 2.0);
    LONGLONG start = 0;
    ASSERT_EQ(chain.Seeking()->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    const auto samples = chain.recorder->Samples();
    ASSERT_EQ(samples.size(), 75u);
    EXPECT_EQ(samples[10].start, 10 * 200'000LL);
    EXPECT_EQ(chain.Seeking()->SetRate(0), E_INVALIDARG);
}

TEST(VideoDecoderFilter, CutFilePlaysWhatItHoldsAndEnds) {
    Chain chain("truncated.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); });
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    const auto samples = chain.recorder->Samples();
    EXPECT_GT(samples.size(), 5u);
    EXPECT_LT(samples.size(), 75u);
}

TEST(AudioDecoderFilter, EnablingTheOtherAudioStreamSwitchesTheTone) {
    Chain chain("multi.mkv", 1, false, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_IEEE_FLOAT); });
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    EXPECT_NEAR(test::MeasuredTone(test::LeftChannel(chain.recorder->Samples(), 2), 48000), 440, 10);
    chain.recorder->Clear();
    ComPtr<IAMStreamSelect> select;
    chain.splitter->QueryInterface(IID_IAMStreamSelect, select.PutVoid());
    LONGLONG start = 0;
    ASSERT_EQ(chain.Seeking()->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    chain.recorder->Clear();
    ASSERT_EQ(select->Enable(2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    ASSERT_EQ(chain.Seeking()->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    const auto samples = chain.recorder->Samples();
    ASSERT_FALSE(samples.empty());
    EXPECT_NEAR(test::MeasuredTone(test::LeftChannel(samples, 2), 48000), 1000, 20);
    const auto* wave = samples[0].type.FormatAs<WAVEFORMATEX>();
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->nChannels, 2);
    EXPECT_EQ(wave->wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
}

TEST(DecoderFilters, SystemCodecSetRefusesWhatOnlyThePlugInsDecode) {
    ComPtr<IBaseFilter> splitter = Splitter("h264.mkv"), video, audio;
    CreateVideoDecoderFilter(kVideo, CodecSet::System, IID_IBaseFilter, video.PutVoid());
    EXPECT_LT(test::PinAt(splitter.Get(), 0)->Connect(test::PinAt(video.Get(), 0).Get(), nullptr), 0);
    ComPtr<IBaseFilter> mpeg2 = Splitter("mpeg2.mkv");
    CreateVideoDecoderFilter(kVideo, CodecSet::System, IID_IBaseFilter, video.PutVoid());
    CreateAudioDecoderFilter(kAudio, CodecSet::System, IID_IBaseFilter, audio.PutVoid());
    EXPECT_EQ(test::PinAt(mpeg2.Get(), 0)->Connect(test::PinAt(video.Get(), 0).Get(), nullptr), S_OK);
    EXPECT_EQ(test::PinAt(mpeg2.Get(), 1)->Connect(test::PinAt(audio.Get(), 0).Get(), nullptr), S_OK);
    test::DisconnectFilters({splitter.Get(), mpeg2.Get(), video.Get(), audio.Get()});
}

TEST(Splitter, StopPositionEndsTheStreamThere) {
    Chain chain("flat.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); });
    ComPtr<IMediaSeeking> seeking;
    test::PinAt(chain.splitter.Get(), 0)->QueryInterface(IID_IMediaSeeking, seeking.PutVoid());
    LONGLONG start = 4'000'000, stop = 12'000'000;  // frames 10 to 29 of 75
    ASSERT_EQ(seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_AbsolutePositioning),
              S_OK);
    LONGLONG current = 0, end = 0;
    EXPECT_EQ(seeking->GetPositions(&current, &end), S_OK);
    EXPECT_EQ(current, start);
    EXPECT_EQ(end, stop);
    chain.Run();
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    auto samples = chain.recorder->Samples();
    ASSERT_EQ(samples.size(), 20u);
    EXPECT_EQ(samples.front().start, 0);
    EXPECT_EQ(samples.back().start, 19 * 400'000LL);

    // A new stop alone moves the end and keeps the start; the end of the file stays reachable.
    chain.recorder->Clear();
    stop = 6'000'000;
    ASSERT_EQ(seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_AbsolutePositioning),
              S_OK);
    ASSERT_TRUE(chain.recorder->WaitForEnd());
    EXPECT_EQ(chain.recorder->Samples().size(), 5u);
    LONGLONG duration = 0;
    seeking->GetDuration(&duration);
    EXPECT_EQ(seeking->SetPositions(nullptr, AM_SEEKING_NoPositioning, &duration, AM_SEEKING_AbsolutePositioning), S_OK);
    seeking->GetStopPosition(&end);
    EXPECT_EQ(end, duration);
    LONGLONG before = -1;
    EXPECT_EQ(seeking->SetPositions(&before, AM_SEEKING_AbsolutePositioning, nullptr, 0), E_INVALIDARG);
}

// The splitter's pins in a graph, whose event queue tells how the stream ended.
struct GraphChain : Chain {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaEvent> events;

    explicit GraphChain(const char* clip)
        : Chain(clip, 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); }) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph.PutVoid()),
                  S_OK);
        graph.As(events);
        for (IBaseFilter* f : {splitter.Get(), decoder.Get(), sink.Get()}) graph->AddFilter(f, nullptr);
    }
    ~GraphChain() {
        test::StopFilters({sink.Get(), decoder.Get(), splitter.Get()});
        for (IBaseFilter* f : {splitter.Get(), decoder.Get(), sink.Get()}) graph->RemoveFilter(f);
        events.Reset();
        graph.Reset();
        CoUninitialize();
    }
    // The codes of the events queued until none comes for a while.
    std::vector<std::pair<LONG, LONG_PTR>> Drain() {
        std::vector<std::pair<LONG, LONG_PTR>> seen;
        LONG code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        while (events->GetEvent(&code, &p1, &p2, 500) == S_OK) {
            seen.emplace_back(code, p1);
            events->FreeEventParams(code, p1, p2);
        }
        return seen;
    }
};

TEST(Splitter, ACutFileEndsWithAnErrorAndAWholeOneWithout) {
    const struct {
        const char* clip;
        bool cut;
    } cases[] = {{"flat.mkv", false}, {"truncated.mkv", true}};
    for (const auto& c : cases) {
        GraphChain chain(c.clip);
        ASSERT_TRUE(chain.events) << c.clip;
        chain.Run();
        ASSERT_TRUE(chain.recorder->WaitForEnd()) << c.clip << ": what the file holds still plays to its end";
        const auto seen = chain.Drain();
        const bool aborted = std::any_of(seen.begin(), seen.end(), [](auto& e) {
            return e.first == EC_ERRORABORT && e.second == LONG_PTR(VFW_E_FILE_TOO_SHORT);
        });
        EXPECT_EQ(aborted, c.cut) << c.clip;
    }
    auto demuxed = [](const char* clip) {
        std::unique_ptr<Demuxer> demuxer;
        EXPECT_EQ(Demuxer::Open(com::Utf8ToUtf16(test::MediaClip(clip)), demuxer), S_OK);
        AVPacket* packet = av_packet_alloc();
        while (demuxer->ReadPacket(packet) == S_OK) av_packet_unref(packet);
        av_packet_free(&packet);
        return demuxer->EndResult();
    };
    EXPECT_EQ(demuxed("flat.mkv"), S_OK);
    EXPECT_EQ(demuxed("h264.mkv"), S_OK);
    EXPECT_EQ(demuxed("audio_only.mp3"), S_OK);
    EXPECT_EQ(demuxed("truncated.mkv"), VFW_E_FILE_TOO_SHORT);
}

// Every IMediaSeeking of the platform: the graph's, a source stream's, the splitter pin's, and
// the pass-through of a transform and of a decoder.
TEST(Seeking, EveryInterfaceRefusesTheSameRatesAndFormats) {
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
    {
        test::TestRegistrations registrations;
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph.PutVoid()),
                  S_OK);
        test::StreamSpec plan;
        plan.sub = test::kCompressedVideo;
        ComPtr<test::TestSource> source(new test::TestSource({plan}));
        ComPtr<test::TestDecoder> transform(new test::TestDecoder);
        ComPtr<test::TestVideoSink> renderer(new test::TestVideoSink);
        graph->AddFilter(source.Get(), u"Source");
        graph->AddFilter(transform.Get(), u"Decoder");
        graph->AddFilter(renderer.Get(), u"Sink");
        ASSERT_EQ(graph->Render(test::PinAt(source.Get(), 0).Get()), S_OK);
        Chain chain("flat.mkv", 0, true, [](const graph::MediaType& t) { return IsSubtype(t, MEDIASUBTYPE_RGB32); });

        auto seekingOf = [](IUnknown* object) {
            ComPtr<IMediaSeeking> seeking;
            object->QueryInterface(IID_IMediaSeeking, seeking.PutVoid());
            return seeking;
        };
        const struct {
            const char* name;
            ComPtr<IMediaSeeking> seeking;
        } targets[] = {
            {"graph", seekingOf(graph.Get())},
            {"source stream", seekingOf(test::PinAt(source.Get(), 0).Get())},
            {"transform", seekingOf(test::PinAt(transform.Get(), 1).Get())},
            {"splitter pin", seekingOf(test::PinAt(chain.splitter.Get(), 0).Get())},
            {"decoder", chain.Seeking()},
        };
        const double refused[] = {std::nan(""), INFINITY, -INFINITY, 0.0, -1.0, -0.0};
        for (const auto& t : targets) {
            ASSERT_TRUE(t.seeking) << t.name;
            for (double rate : refused) EXPECT_EQ(t.seeking->SetRate(rate), E_INVALIDARG) << t.name << " " << rate;
            double rate = 0;
            EXPECT_EQ(t.seeking->GetRate(&rate), S_OK) << t.name;
            EXPECT_EQ(rate, 1.0) << t.name << ": a refused rate leaves the rate as it was";

            for (const GUID* format : {&TIME_FORMAT_NONE, &TIME_FORMAT_FRAME}) {
                EXPECT_EQ(t.seeking->IsFormatSupported(format), S_FALSE) << t.name;
                EXPECT_EQ(t.seeking->SetTimeFormat(format), E_INVALIDARG) << t.name;
                LONGLONG converted = 0;
                EXPECT_EQ(t.seeking->ConvertTimeFormat(&converted, format, 5, nullptr), E_INVALIDARG) << t.name;
            }
            EXPECT_EQ(t.seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK) << t.name;
            DWORD capabilities = 0;
            EXPECT_EQ(t.seeking->GetCapabilities(&capabilities), S_OK) << t.name;
            DWORD asked = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetDuration | AM_SEEKING_CanPlayBackwards;
            EXPECT_EQ(t.seeking->CheckCapabilities(&asked), S_FALSE) << t.name;
            EXPECT_EQ(asked, DWORD(AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetDuration)) << t.name;
            LONGLONG position = 0;
            EXPECT_EQ(t.seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning | 0x40, nullptr, 0),
                      E_INVALIDARG)
                << t.name << ": unknown flags";
            EXPECT_EQ(t.seeking->SetPositions(nullptr, AM_SEEKING_AbsolutePositioning, nullptr, 0), E_POINTER) << t.name;
        }
        graph->RemoveFilter(source.Get());
        graph->RemoveFilter(transform.Get());
        graph->RemoveFilter(renderer.Get());
    }
    CoUninitialize();
}

}  // namespace
}  // namespace orvo::ffmpeg
