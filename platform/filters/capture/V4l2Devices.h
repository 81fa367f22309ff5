#pragma once
// Video capture devices of the machine: the V4L2 nodes that capture video (a node that only
// outputs, or only carries metadata, is left out), in the order of their node numbers, named
// by the device's card name. Frames are read through libavdevice's V4L2 input.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/filters/capture/DeviceEnumerator.h"
#include "platform/filters/capture/VideoDevice.h"

namespace orvo::capture {

// Whether a node with these VIDIOC_QUERYCAP capabilities streams captured video: the node's
// own capabilities when it states them, else the device's.
bool IsVideoCaptureNode(uint32_t capabilities, uint32_t deviceCaps);

// One size and rate a node offers in one pixel format (a V4L2 fourcc).
struct V4l2Offer {
    uint32_t pixelFormat = 0;
    int width = 0, height = 0;
    REFERENCE_TIME frameTime = 0;  // shortest interval between frames; 0 when not stated
};

// The native format to capture in: among offers in YUY2, NV12, I420 or Motion JPEG, those of
// at least 15 frames per second first, then the largest picture, then the format in that
// order of preference. nullopt when no offer is in a format the platform carries.
std::optional<VideoFormat> ChooseNativeFormat(const std::vector<V4l2Offer>& offers);

// The capture nodes now present under /dev.
std::vector<DeviceEntry> ListV4l2Devices();

}  // namespace orvo::capture
