// Lumex_CaptureGetDevices and Lumex_CaptureCreate: capture devices are listed and opened into
// stopped channels, on any thread; the device callback runs on the calling thread, before
// Lumex_CaptureGetDevices returns. No path shows a message.
#include "engine/channel/ChannelRegistry.h"
#include "engine/channel/LibraryState.h"
#include "engine/api/Lumex.h"
#include "engine/api/ThreadApartment.h"
#include "engine/graph/CaptureGraph.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/graph/CaptureInterfaces.h"
#include "platform/graph/ClassIds.h"

namespace {

// The device name buffer of the callback.
constexpr size_t kDeviceNameBytes = 260;

// The bag's text value, or false when it has none.
bool ReadText(IPropertyBag& bag, LPCOLESTR name, std::u16string& text) {
    VARIANT value;
    VariantInit(&value);
    const bool read = SUCCEEDED(bag.Read(name, &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal;
    if (read) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return read;
}

void ReportDevice(IMoniker& moniker, CAPTUREDEVICEPROC proc, intptr_t user) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker.BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) || !bag) return;
    GUID clsid{};
    std::u16string text;
    if (ReadText(*bag.Get(), u"CLSID", text)) CLSIDFromString(text.c_str(), &clsid);
    if (!ReadText(*bag.Get(), u"FriendlyName", text)) return;
    char name[kDeviceNameBytes];
    orvo::com::Utf16ToUtf8Bounded(text, name, sizeof name);
    proc(name, clsid, user);
}

}  // namespace

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_CaptureGetDevices(int32_t kind, CAPTUREDEVICEPROC proc, intptr_t user) {
    using namespace orvo::engine;
    if (!Library().initialized) return 0;
    ThreadApartment apartment;
    ComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_ICreateDevEnum, devices.PutVoid())) ||
        !devices)
        return 0;
    if (kind != DEVICE_AUDIO && kind != DEVICE_VIDEO) return 0;
    const GUID& category = kind == DEVICE_AUDIO ? CLSID_AudioInputDeviceCategory : CLSID_VideoInputDeviceCategory;
    ComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, monikers.Put(), 0) != S_OK || !monikers) return 0;
    int32_t count = 0;
    for (ComPtr<IMoniker> moniker; monikers->Next(1, moniker.Put(), nullptr) == S_OK && moniker;) {
        ++count;
        if (proc) ReportDevice(*moniker.Get(), proc, user);
    }
    return count;
}

LUMEX_API uint32_t LUMEX_CALL Lumex_CaptureCreate(int32_t audio, int32_t video, int32_t, int32_t, int32_t) {
    using namespace orvo::engine;
    if (!Library().initialized || (audio == 0 && video == 0)) return 0;
    ThreadApartment apartment;
    std::unique_ptr<CChannel> channel = CreateChannelRecord(Library().defaultWindow);
    if (!channel) return 0;
    if (!BuildCaptureGraph(*channel, audio, video)) {
        TeardownChannel(*channel);
        return 0;
    }
    return Channels().Register(std::move(channel));
}

}  // extern "C"
