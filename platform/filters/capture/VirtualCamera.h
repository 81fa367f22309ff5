#pragma once
// Virtual cameras: video capture devices that tests and benchmarks register, listed after the
// machine's own devices. Each sends the moving bar pattern (CapturePattern.h) in its format at
// its frame rate, paced by the system clock from the moment a capture filter opens it.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/filters/capture/DeviceEnumerator.h"
#include "platform/filters/capture/VideoDevice.h"

namespace orvo::capture {

struct VirtualCameraSettings {
    std::string name = "Virtual Camera";
    int width = 320, height = 240;  // width a multiple of 16, height even
    int framesPerSecond = 25;
    GUID subtype = MEDIASUBTYPE_YUY2;  // YUY2, NV12, I420 or MJPG
    // Called on the capture thread as each frame leaves the camera, with its number.
    std::function<void(uint64_t frame)> onFrameSent = {};
};

struct VirtualCameraState;

// Registered for its lifetime; a capture filter already made keeps working after it goes.
class VirtualCamera {
public:
    explicit VirtualCamera(VirtualCameraSettings settings);
    ~VirtualCamera();
    VirtualCamera(const VirtualCamera&) = delete;
    VirtualCamera& operator=(const VirtualCamera&) = delete;

    // How many capture filters hold the camera open now.
    int OpenCount() const;

private:
    std::shared_ptr<VirtualCameraState> m_state;
};

// The virtual cameras registered now, in registration order (the test provider).
std::vector<DeviceEntry> VirtualCameraDevices();

}  // namespace orvo::capture
