// A module shaped like a decoder plug-in: it exports DllGetClassObject with C linkage and
// answers the three plug-in class ids with a factory whose instances offer no filter, so the
// loader's table can be tested before, and apart from, the real modules.
#include "platform/com/Runtime.h"
#include "plugins/PluginClassIds.h"

namespace {

HRESULT CreateNothing(REFIID, void** object) {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid,
                                                                            void** object) {
    if (clsid != CLSID_LAVSplitterSource && clsid != CLSID_LAVVideoDecoder && clsid != CLSID_LAVAudioDecoder) {
        if (object) *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return orvo::com::CreateClassFactory(&CreateNothing, riid, object);
}
