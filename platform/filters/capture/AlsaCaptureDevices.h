#pragma once
// Audio capture devices of the machine, from ALSA: the PCMs its configuration names with a
// hint that captures (input direction, or both), then each sound card's capture PCMs that no
// hint already named. Each is named by its description's first line.
#include <string>
#include <vector>

#include "platform/filters/capture/DeviceEnumerator.h"

namespace orvo::capture {

std::vector<DeviceEntry> ListAlsaCaptureDevices();

}  // namespace orvo::capture
