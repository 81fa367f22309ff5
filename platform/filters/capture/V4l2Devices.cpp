#include "platform/filters/capture/V4l2Devices.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <tuple>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

#include "platform/com/TextConversion.h"
#include "platform/filters/capture/CaptureFilterIds.h"
#include "platform/filters/capture/VideoCaptureFilter.h"

namespace orvo::capture {
namespace {

struct PixelFormat {
    uint32_t fourcc;  // V4L2
    GUID subtype;
    const char* inputFormat;  // libavdevice's input_format option
};

// In order of preference: uncompressed first, then what the platform's decoder must decode.
constexpr PixelFormat kPixelFormats[] = {
    {V4L2_PIX_FMT_YUYV, MEDIASUBTYPE_YUY2, "yuyv422"},
    {V4L2_PIX_FMT_NV12, MEDIASUBTYPE_NV12, "nv12"},
    {V4L2_PIX_FMT_YUV420, MEDIASUBTYPE_I420, "yuv420p"},
    {V4L2_PIX_FMT_MJPEG, MEDIASUBTYPE_MJPG, "mjpeg"},
};

const PixelFormat* FindPixelFormat(uint32_t fourcc) {
    for (const auto& format : kPixelFormats)
        if (format.fourcc == fourcc) return &format;
    return nullptr;
}

const PixelFormat* FindSubtype(const GUID& subtype) {
    for (const auto& format : kPixelFormats)
        if (format.subtype == subtype) return &format;
    return nullptr;
}

int Ioctl(int fd, unsigned long request, void* argument) {
    int result;
    do result = ioctl(fd, request, argument);
    while (result < 0 && errno == EINTR);
    return result;
}

REFERENCE_TIME ShortestInterval(int fd, uint32_t pixelFormat, uint32_t width, uint32_t height) {
    REFERENCE_TIME shortest = 0;
    v4l2_frmivalenum interval{};
    interval.pixel_format = pixelFormat;
    interval.width = width;
    interval.height = height;
    for (; Ioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &interval) == 0; ++interval.index) {
        const v4l2_fract f = interval.type == V4L2_FRMIVAL_TYPE_DISCRETE ? interval.discrete : interval.stepwise.min;
        if (f.denominator == 0) break;
        const REFERENCE_TIME t = REFERENCE_TIME(f.numerator) * 10'000'000 / f.denominator;
        if (t > 0 && (shortest == 0 || t < shortest)) shortest = t;
        if (interval.type != V4L2_FRMIVAL_TYPE_DISCRETE) break;
    }
    return shortest;
}

// Every size and rate the node offers in the formats the platform carries.
std::vector<V4l2Offer> QueryOffers(int fd) {
    std::vector<V4l2Offer> offers;
    v4l2_fmtdesc format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (; Ioctl(fd, VIDIOC_ENUM_FMT, &format) == 0; ++format.index) {
        if (!FindPixelFormat(format.pixelformat)) continue;
        v4l2_frmsizeenum size{};
        size.pixel_format = format.pixelformat;
        for (; Ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
            const bool discrete = size.type == V4L2_FRMSIZE_TYPE_DISCRETE;
            const uint32_t w = discrete ? size.discrete.width : size.stepwise.max_width;
            const uint32_t h = discrete ? size.discrete.height : size.stepwise.max_height;
            offers.push_back({format.pixelformat, int(w), int(h), ShortestInterval(fd, format.pixelformat, w, h)});
            if (!discrete) break;
        }
    }
    return offers;
}

int OpenNode(const std::string& path) { return open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC); }

// A V4L2 node read through libavdevice in the format chosen when the filter was made.
class V4l2VideoDevice final : public VideoDevice {
public:
    V4l2VideoDevice(std::string path, VideoFormat format) : m_path(std::move(path)), m_format(format) {}
    ~V4l2VideoDevice() override { Close(); }

    VideoFormat Format() const override { return m_format; }

    HRESULT Open() override {
        if (m_context) return S_OK;
        static const bool registered = (avdevice_register_all(), true);
        (void)registered;
        const AVInputFormat* input = av_find_input_format("v4l2");
        const PixelFormat* pixel = FindSubtype(m_format.subtype);
        if (!input || !pixel) return E_FAIL;
        AVDictionary* options = nullptr;
        const std::string size = std::to_string(m_format.width) + "x" + std::to_string(m_format.height);
        av_dict_set(&options, "input_format", pixel->inputFormat, 0);
        av_dict_set(&options, "video_size", size.c_str(), 0);
        if (m_format.frameTime > 0)
            av_dict_set(&options, "framerate",
                        (std::to_string(10'000'000) + "/" + std::to_string(m_format.frameTime)).c_str(), 0);
        AVFormatContext* context = avformat_alloc_context();
        if (!context) {
            av_dict_free(&options);
            return E_OUTOFMEMORY;
        }
        context->flags |= AVFMT_FLAG_NONBLOCK;  // so that a stop never waits for a frame
        const int opened = avformat_open_input(&context, m_path.c_str(), input, &options);
        av_dict_free(&options);
        if (opened < 0) return E_FAIL;  // avformat_open_input frees the context on failure
        m_context = context;
        return S_OK;
    }

    void Close() override {
        if (m_context) avformat_close_input(&m_context);
    }

    HRESULT Read(BYTE* buffer, LONG capacity, LONG* length, const std::function<bool()>& aborted) override {
        if (!m_context) return E_UNEXPECTED;
        AVPacket* packet = av_packet_alloc();
        if (!packet) return E_OUTOFMEMORY;
        HRESULT hr = S_FALSE;
        while (!aborted()) {
            const int got = av_read_frame(m_context, packet);
            if (got == AVERROR(EAGAIN)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (got < 0) {
                hr = E_FAIL;
            } else if (packet->size > capacity) {
                hr = E_FAIL;
            } else {
                std::memcpy(buffer, packet->data, size_t(packet->size));
                *length = packet->size;
                hr = S_OK;
            }
            break;
        }
        av_packet_free(&packet);
        return hr;
    }

private:
    std::string m_path;
    VideoFormat m_format;
    AVFormatContext* m_context = nullptr;
};

HRESULT CreateV4l2Filter(const std::string& path, REFIID riid, void** object) {
    const int fd = OpenNode(path);
    if (fd < 0) return E_FAIL;
    const std::optional<VideoFormat> format = ChooseNativeFormat(QueryOffers(fd));
    close(fd);
    if (!format) return VFW_E_NO_ACCEPTABLE_TYPES;
    return CVideoCaptureFilter::Create(std::make_unique<V4l2VideoDevice>(path, *format), riid, object);
}

}  // namespace

bool IsVideoCaptureNode(uint32_t capabilities, uint32_t deviceCaps) {
    const uint32_t caps = capabilities & V4L2_CAP_DEVICE_CAPS ? deviceCaps : capabilities;
    return (caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & V4L2_CAP_STREAMING);
}

std::optional<VideoFormat> ChooseNativeFormat(const std::vector<V4l2Offer>& offers) {
    constexpr REFERENCE_TIME kSlowest = 10'000'000 / 15;
    std::optional<VideoFormat> best;
    auto rank = [](const V4l2Offer& o, size_t preference) {
        const bool fast = o.frameTime > 0 && o.frameTime <= kSlowest;
        return std::tuple(fast, int64_t(o.width) * o.height, -int64_t(preference));
    };
    std::optional<decltype(rank(V4l2Offer{}, 0))> bestRank;
    for (const V4l2Offer& offer : offers) {
        const PixelFormat* pixel = FindPixelFormat(offer.pixelFormat);
        // Sizes the frame layouts can hold: even, and wide enough for a row of pixel pairs.
        if (!pixel || offer.width < 2 || offer.height < 2 || offer.width % 2 || offer.height % 2) continue;
        const auto r = rank(offer, size_t(pixel - kPixelFormats));
        if (bestRank && !(*bestRank < r)) continue;
        bestRank = r;
        best = VideoFormat{pixel->subtype, offer.width, offer.height, offer.frameTime > 0 ? offer.frameTime : 400'000};
    }
    return best;
}

std::vector<DeviceEntry> ListV4l2Devices() {
    std::vector<std::pair<int, std::string>> nodes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("video", 0) != 0 || name.size() == 5) continue;
        const std::string number = name.substr(5);
        if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            number.size() > 6)
            continue;
        nodes.emplace_back(std::stoi(number), entry.path().string());
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<DeviceEntry> devices;
    for (const auto& [number, path] : nodes) {
        const int fd = OpenNode(path);
        if (fd < 0) continue;
        v4l2_capability capability{};
        const bool capture = Ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0 &&
                             IsVideoCaptureNode(capability.capabilities, capability.device_caps);
        close(fd);
        if (!capture) continue;
        const char* card = reinterpret_cast<const char*>(capability.card);
        const std::string cardName(card, strnlen(card, sizeof capability.card));
        devices.push_back({com::Utf8ToUtf16(cardName), CLSID_VideoCaptureSource,
                           [path = path](REFIID riid, void** object) { return CreateV4l2Filter(path, riid, object); }});
    }
    return devices;
}

}  // namespace orvo::capture
