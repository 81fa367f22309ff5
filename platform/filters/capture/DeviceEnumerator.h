#pragma once
// The system device enumerator (CLSID_SystemDeviceEnum): lists the capture devices of a
// category as monikers that bind to a new capture filter for the device or to a property bag
// with its "FriendlyName" and "CLSID". Devices come from providers, in this order: V4L2
// video nodes, ALSA capture PCMs, and the virtual cameras tests register.
//
// Threads: any; each enumeration takes the devices as they are when it is created.
#include <functional>
#include <string>
#include <vector>

#include "platform/graph/CaptureInterfaces.h"

namespace orvo::capture {

struct DeviceEntry {
    std::u16string friendlyName;
    CLSID clsid = GUID_NULL;  // the class of its filter; GUID_NULL states none
    // A new capture filter for the device, handing out riid.
    std::function<HRESULT(REFIID riid, void** object)> create;
};

// Every device of the category that the providers list now.
std::vector<DeviceEntry> ListDevices(REFCLSID category);

HRESULT CreateSystemDeviceEnum(REFIID riid, void** object);

}  // namespace orvo::capture
