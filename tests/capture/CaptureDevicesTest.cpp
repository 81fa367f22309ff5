// The device enumerator, the V4L2 provider's node and format choices, and the capture graph
// builder, on the platform alone.
#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/filters/capture/CaptureFilterIds.h"
#include "platform/filters/capture/V4l2Devices.h"
#include "platform/filters/capture/VirtualCamera.h"
#include "platform/graph/BaseRenderer.h"
#include "platform/graph/CaptureInterfaces.h"
#include "platform/graph/ClassIds.h"

namespace orvo::capture {
namespace {

class Runtime : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    ComPtr<ICreateDevEnum> Enumerator() {
        ComPtr<ICreateDevEnum> devices;
        EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                   devices.PutVoid()),
                  S_OK);
        return devices;
    }
};

std::u16string Text(IPropertyBag& bag, LPCOLESTR name, HRESULT* result = nullptr) {
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = bag.Read(name, &value, nullptr);
    if (result) *result = hr;
    std::u16string text = value.vt == VT_BSTR ? std::u16string(value.bstrVal) : u"";
    VariantClear(&value);
    return text;
}

TEST_F(Runtime, ACategoryWithoutDevicesGivesSFalseAndNoEnumerator) {
    ComPtr<ICreateDevEnum> devices = Enumerator();
    ASSERT_TRUE(devices);
    ComPtr<IEnumMoniker> monikers;
    const GUID unknownCategory = MakeGuid("{0E5A0B1C-0000-4000-8000-00000000C0DE}");
    EXPECT_EQ(devices->CreateClassEnumerator(unknownCategory, monikers.Put(), 0), S_FALSE);
    EXPECT_FALSE(monikers);
    EXPECT_EQ(devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, nullptr, 0), E_POINTER);
}

TEST_F(Runtime, MonikersBindToAPropertyBagAndToALiveCaptureFilter) {
    const size_t real = ListV4l2Devices().size();
    VirtualCamera camera({.name = "Orvo Bag Camera"});
    ComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(Enumerator()->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0), S_OK);
    ASSERT_EQ(monikers->Skip(ULONG(real)), S_OK);
    ComPtr<IMoniker> moniker;
    ULONG fetched = 0;
    ASSERT_EQ(monikers->Next(1, moniker.Put(), &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    ComPtr<IMoniker> pastTheEnd;
    EXPECT_EQ(monikers->Next(1, pastTheEnd.Put(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    ComPtr<IPropertyBag> bag;
    ASSERT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()), S_OK);
    EXPECT_EQ(Text(*bag.Get(), u"FriendlyName"), u"Orvo Bag Camera");
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(Text(*bag.Get(), u"CLSID").c_str(), &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_VideoCaptureSource);
    HRESULT missing = S_OK;
    EXPECT_EQ(Text(*bag.Get(), u"DevicePath", &missing), u"");
    EXPECT_EQ(missing, E_INVALIDARG);
    ComPtr<IUnknown> notABag;
    EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IBaseFilter, notABag.PutVoid()), E_NOINTERFACE);

    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()), S_OK);
    CLSID filterClass{};
    EXPECT_EQ(filter->GetClassID(&filterClass), S_OK);
    EXPECT_EQ(filterClass, CLSID_VideoCaptureSource);
    ComPtr<IPin> pin;
    ASSERT_EQ(filter->FindPin(u"Capture", pin.Put()), S_OK);
    ComPtr<IKsPropertySet> properties;
    ASSERT_EQ(pin->QueryInterface(IID_IKsPropertySet, properties.PutVoid()), S_OK);
    GUID category{};
    DWORD returned = 0;
    EXPECT_EQ(
        properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned),
        S_OK);
    EXPECT_EQ(category, PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(returned, sizeof(GUID));

    // A live source cannot cue a frame while paused, so the graph does not wait for one.
    FILTER_STATE state;
    ASSERT_EQ(filter->Pause(), S_OK);
    EXPECT_EQ(filter->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(filter->Stop(), S_OK);
}

TEST_F(Runtime, EnumerationTakesTheDevicesOfItsMoment) {
    const size_t real = ListV4l2Devices().size();
    auto camera = std::make_unique<VirtualCamera>(VirtualCameraSettings{.name = "Orvo Passing Camera"});
    ComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(Enumerator()->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0), S_OK);
    camera.reset();
    ASSERT_EQ(monikers->Skip(ULONG(real)), S_OK);
    ComPtr<IMoniker> moniker;
    ASSERT_EQ(monikers->Next(1, moniker.Put(), nullptr), S_OK);
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()), S_OK)
        << "a listed camera still binds after it was unregistered";
    ComPtr<IEnumMoniker> clone;
    ASSERT_EQ(monikers->Clone(clone.Put()), S_OK);
    EXPECT_EQ(clone->Next(1, moniker.Put(), nullptr), S_FALSE) << "the clone starts where the original stands";
    ASSERT_EQ(clone->Reset(), S_OK);
    EXPECT_EQ(clone->Skip(ULONG(real) + 1), S_OK);
    EXPECT_EQ(clone->Skip(1), S_FALSE);
}

// The real V4L2 provider on whatever this machine has: no camera on build machines gives an
// empty list, never a failure. The count is recorded in the test's output.
TEST(V4l2, TheMachinesNodesAreListedWithTheirCardNames) {
    const std::vector<DeviceEntry> devices = ListV4l2Devices();
    ::testing::Test::RecordProperty("v4l2_capture_devices", int(devices.size()));
    for (const DeviceEntry& device : devices) {
        EXPECT_FALSE(device.friendlyName.empty());
        EXPECT_EQ(device.clsid, CLSID_VideoCaptureSource);
    }
    EXPECT_EQ(ListV4l2Devices().size(), devices.size()) << "a stable list";
}

TEST(V4l2, OnlyNodesThatStreamCapturedVideoAreCaptureDevices) {
    constexpr uint32_t kCapture = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    constexpr uint32_t kCamera = kCapture | V4L2_CAP_META_CAPTURE | V4L2_CAP_DEVICE_CAPS;
    struct Case {
        uint32_t capabilities, deviceCaps;
        bool capture;
        const char* what;
    } cases[] = {
        {kCamera, kCapture, true, "a camera's video node"},
        {kCamera, V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING, false, "the same camera's metadata node"},
        {V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS, V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING,
         false, "an output-only node"},
        {V4L2_CAP_VIDEO_M2M | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS, V4L2_CAP_VIDEO_M2M | V4L2_CAP_STREAMING, false,
         "a memory-to-memory codec"},
        {kCapture, 0, true, "an old driver stating no node capabilities"},
        {V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE, 0, false, "capture without streaming"},
    };
    for (const Case& c : cases) EXPECT_EQ(IsVideoCaptureNode(c.capabilities, c.deviceCaps), c.capture) << c.what;
}

// Capability lists as real cameras report them.
TEST(V4l2, TheNativeFormatIsChosenFromTheOffers) {
    constexpr REFERENCE_TIME k30 = 333'333, k25 = 400'000, k5 = 2'000'000;
    constexpr uint32_t YUYV = V4L2_PIX_FMT_YUYV, MJPG = V4L2_PIX_FMT_MJPEG, NV12 = V4L2_PIX_FMT_NV12,
                       I420 = V4L2_PIX_FMT_YUV420, H264 = V4L2_PIX_FMT_H264, RGB3 = V4L2_PIX_FMT_RGB24;
    struct Case {
        const char* camera;
        std::vector<V4l2Offer> offers;
        GUID subtype;
        int width, height;
        REFERENCE_TIME frameTime;
    } cases[] = {
        {"USB camera: full HD YUYV only at 5 fps, MJPEG at 30",
         {{YUYV, 640, 480, k30}, {YUYV, 1920, 1080, k5}, {MJPG, 640, 480, k30}, {MJPG, 1920, 1080, k30}},
         MEDIASUBTYPE_MJPG,
         1920,
         1080,
         k30},
        {"same size in both: uncompressed wins",
         {{MJPG, 1280, 720, k30}, {YUYV, 1280, 720, k30}},
         MEDIASUBTYPE_YUY2,
         1280,
         720,
         k30},
        {"laptop NV12 and I420", {{I420, 640, 480, k25}, {NV12, 640, 480, k25}}, MEDIASUBTYPE_NV12, 640, 480, k25},
        {"everything slow: the largest", {{YUYV, 320, 240, k5}, {YUYV, 640, 480, k5}}, MEDIASUBTYPE_YUY2, 640, 480, k5},
        {"no stated rate counts as slow",
         {{YUYV, 800, 600, 0}, {YUYV, 320, 240, k30}},
         MEDIASUBTYPE_YUY2,
         320,
         240,
         k30},
        {"no stated rate at all: 25 fps assumed", {{YUYV, 800, 600, 0}}, MEDIASUBTYPE_YUY2, 800, 600, k25},
        {"formats the platform does not carry are skipped",
         {{H264, 1920, 1080, k30}, {RGB3, 1280, 720, k30}, {I420, 352, 288, k30}},
         MEDIASUBTYPE_I420,
         352,
         288,
         k30},
        {"odd sizes are skipped", {{YUYV, 641, 480, k30}, {YUYV, 320, 240, k30}}, MEDIASUBTYPE_YUY2, 320, 240, k30},
    };
    for (const Case& c : cases) {
        const std::optional<VideoFormat> chosen = ChooseNativeFormat(c.offers);
        ASSERT_TRUE(chosen) << c.camera;
        EXPECT_EQ(chosen->subtype, c.subtype) << c.camera;
        EXPECT_EQ(chosen->width, c.width) << c.camera;
        EXPECT_EQ(chosen->height, c.height) << c.camera;
        EXPECT_EQ(chosen->frameTime, c.frameTime) << c.camera;
    }
    EXPECT_FALSE(ChooseNativeFormat({}));
    EXPECT_FALSE(ChooseNativeFormat({{H264, 1920, 1080, k30}}));
}

// Records each YUY2 sample's start and the stream time at which it is rendered.
class TimingSink final : public CBaseVideoRenderer {
public:
    TimingSink() : CBaseVideoRenderer(MakeGuid("{0E5A0B1C-0000-4000-8000-00000000C0D1}")) {}
    HRESULT CheckMediaType(const graph::MediaType& mt) override {
        return mt.subtype == MEDIASUBTYPE_YUY2 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT DoRenderSample(IMediaSample* sample) override {
        REFERENCE_TIME start = 0, end = 0;
        const bool timed = sample->GetTime(&start, &end) == S_OK;
        std::lock_guard lock(m_lock);
        m_samples.push_back({timed, start, StreamTime()});
        m_changed.notify_all();
        return S_OK;
    }
    struct Timing {
        bool timed;
        REFERENCE_TIME start, renderedAt;
    };
    std::vector<Timing> WaitFor(size_t count) {
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_samples.size() >= count; });
        return m_samples;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Timing> m_samples;
};

// Samples carry the graph clock's time of their capture, so each is due the moment it
// arrives, after a pause as at the start; a source counting frames would fall behind.
TEST_F(Runtime, CapturedFramesCarryTheirCaptureTimeThroughAPause) {
    const size_t real = ListV4l2Devices().size();
    VirtualCamera camera({.name = "Orvo Timed Camera"});
    ComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(Enumerator()->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0), S_OK);
    monikers->Skip(ULONG(real));
    ComPtr<IMoniker> moniker;
    ASSERT_EQ(monikers->Next(1, moniker.Put(), nullptr), S_OK);
    ComPtr<IBaseFilter> source;
    ASSERT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, source.PutVoid()), S_OK);

    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
              S_OK);
    ComPtr<IBaseFilter> sink;
    ASSERT_EQ(CreateComObject<TimingSink>(IID_IBaseFilter, sink.PutVoid()), S_OK);
    auto* timing = static_cast<TimingSink*>(sink.Get());
    ASSERT_EQ(graph->AddFilter(source.Get(), u"Video Capture Device"), S_OK);
    ASSERT_EQ(graph->AddFilter(sink.Get(), u"Sink"), S_OK);
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                               builder.PutVoid()),
              S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph.Get()), S_OK);
    // The camera has a capture pin only; a preview is taken from it.
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, source.Get(), nullptr, sink.Get()),
              E_INVALIDARG);
    ASSERT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, source.Get(), nullptr, sink.Get()), S_OK);

    ComPtr<IMediaControl> control;
    ASSERT_EQ(graph.As(control), S_OK);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_GE(timing->WaitFor(5).size(), 5u);
    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const size_t beforeResume = timing->WaitFor(0).size();
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    const std::vector<TimingSink::Timing> samples = timing->WaitFor(beforeResume + 5);
    control->Stop();
    ASSERT_GE(samples.size(), beforeResume + 5);
    EXPECT_EQ(camera.OpenCount(), 0);
    for (size_t i = 0; i < samples.size(); ++i) {
        ASSERT_TRUE(samples[i].timed) << i << ": every frame is stamped";
        // Due on arrival (the renderer may take a moment more on a busy machine).
        EXPECT_LE(samples[i].start, samples[i].renderedAt + 10'000) << i;
        EXPECT_GE(samples[i].start, samples[i].renderedAt - 2'500'000) << i;
        // A resumed run starts a little ahead of the clock, so only each run's times climb.
        if (i > 0 && i != beforeResume) {
            EXPECT_GT(samples[i].start, samples[i - 1].start) << i;
        }
    }
}

TEST_F(Runtime, TheCaptureGraphBuilderNeedsAGraphAndASource) {
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                               builder.PutVoid()),
              S_OK);
    ComPtr<IGraphBuilder> graph, got;
    EXPECT_EQ(builder->GetFiltergraph(got.Put()), E_UNEXPECTED);
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, nullptr, nullptr, nullptr), E_UNEXPECTED);
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
              S_OK);
    EXPECT_EQ(builder->SetFiltergraph(nullptr), E_POINTER);
    ASSERT_EQ(builder->SetFiltergraph(graph.Get()), S_OK);
    EXPECT_EQ(builder->SetFiltergraph(graph.Get()), E_UNEXPECTED) << "one graph per builder";
    ASSERT_EQ(builder->GetFiltergraph(got.Put()), S_OK);
    EXPECT_EQ(got.Get(), graph.Get());
    EXPECT_EQ(builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, nullptr, nullptr, nullptr), E_POINTER);
}

}  // namespace
}  // namespace orvo::capture
