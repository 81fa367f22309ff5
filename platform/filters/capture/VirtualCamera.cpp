#include "platform/filters/capture/VirtualCamera.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/com/TextConversion.h"
#include "platform/filters/capture/CaptureFilterIds.h"
#include "platform/filters/capture/CapturePattern.h"
#include "platform/filters/capture/VideoCaptureFilter.h"

namespace orvo::capture {

struct VirtualCameraState {
    VirtualCameraSettings settings;
    std::atomic<int> openCount{0};
};

namespace {

using Clock = std::chrono::steady_clock;

std::mutex s_camerasLock;
std::vector<std::shared_ptr<VirtualCameraState>> s_cameras;

class VirtualVideoDevice final : public VideoDevice {
public:
    explicit VirtualVideoDevice(std::shared_ptr<VirtualCameraState> state) : m_state(std::move(state)) {}
    ~VirtualVideoDevice() override { Close(); }

    VideoFormat Format() const override {
        const VirtualCameraSettings& settings = m_state->settings;
        return {settings.subtype, settings.width, settings.height, 10'000'000 / std::max(1, settings.framesPerSecond)};
    }

    HRESULT Open() override {
        if (m_open) return S_OK;
        // The pattern moves by whole bars, so eight frames hold every picture it shows.
        m_frames.clear();
        for (uint64_t n = 0; n < kPatternBars; ++n) {
            m_frames.push_back(
                PatternFrame(n, m_state->settings.width, m_state->settings.height, m_state->settings.subtype));
            if (m_frames.back().empty()) return E_FAIL;
        }
        m_next = 0;
        m_start = Clock::now();
        m_open = true;
        ++m_state->openCount;
        return S_OK;
    }

    void Close() override {
        if (!m_open) return;
        m_open = false;
        m_frames.clear();
        --m_state->openCount;
    }

    HRESULT Read(BYTE* buffer, LONG capacity, LONG* length, const std::function<bool()>& aborted) override {
        if (!m_open) return E_UNEXPECTED;
        const auto due = m_start + std::chrono::nanoseconds(Format().frameTime * 100 * int64_t(m_next));
        // Short naps, so that a stop is answered within a few milliseconds.
        while (Clock::now() < due) {
            if (aborted()) return S_FALSE;
            std::this_thread::sleep_until(std::min(due, Clock::now() + std::chrono::milliseconds(5)));
        }
        if (aborted()) return S_FALSE;
        const std::vector<uint8_t>& frame = m_frames[m_next % kPatternBars];
        if (LONG(frame.size()) > capacity) return E_FAIL;
        std::memcpy(buffer, frame.data(), frame.size());
        *length = LONG(frame.size());
        if (m_state->settings.onFrameSent) m_state->settings.onFrameSent(m_next);
        ++m_next;
        return S_OK;
    }

private:
    std::shared_ptr<VirtualCameraState> m_state;
    std::vector<std::vector<uint8_t>> m_frames;
    uint64_t m_next = 0;
    Clock::time_point m_start;
    bool m_open = false;
};

}  // namespace

VirtualCamera::VirtualCamera(VirtualCameraSettings settings) : m_state(std::make_shared<VirtualCameraState>()) {
    m_state->settings = std::move(settings);
    std::lock_guard lock(s_camerasLock);
    s_cameras.push_back(m_state);
}

VirtualCamera::~VirtualCamera() {
    std::lock_guard lock(s_camerasLock);
    std::erase(s_cameras, m_state);
}

int VirtualCamera::OpenCount() const { return m_state->openCount.load(); }

std::vector<DeviceEntry> VirtualCameraDevices() {
    std::lock_guard lock(s_camerasLock);
    std::vector<DeviceEntry> devices;
    for (const auto& state : s_cameras) {
        devices.push_back(
            {com::Utf8ToUtf16(state->settings.name), CLSID_VideoCaptureSource, [state](REFIID riid, void** object) {
                 return CVideoCaptureFilter::Create(std::make_unique<VirtualVideoDevice>(state), riid, object);
             }});
    }
    return devices;
}

}  // namespace orvo::capture
