#include "platform/com/HResult.h"

#include <iterator>

namespace {

struct NamedResult {
    HRESULT code;
    const char* name;
};

#define ORVO_RESULT(code) \
    { code, #code }
constexpr NamedResult kNames[] = {
    ORVO_RESULT(S_OK),
    ORVO_RESULT(S_FALSE),
    ORVO_RESULT(E_NOTIMPL),
    ORVO_RESULT(E_NOINTERFACE),
    ORVO_RESULT(E_POINTER),
    ORVO_RESULT(E_ABORT),
    ORVO_RESULT(E_FAIL),
    ORVO_RESULT(E_UNEXPECTED),
    ORVO_RESULT(E_ACCESSDENIED),
    ORVO_RESULT(E_HANDLE),
    ORVO_RESULT(E_OUTOFMEMORY),
    ORVO_RESULT(E_INVALIDARG),
    ORVO_RESULT(CLASS_E_NOAGGREGATION),
    ORVO_RESULT(CLASS_E_CLASSNOTAVAILABLE),
    ORVO_RESULT(REGDB_E_CLASSNOTREG),
    ORVO_RESULT(CO_E_NOTINITIALIZED),
    ORVO_RESULT(RPC_E_CHANGED_MODE),
};
#undef ORVO_RESULT

}  // namespace

const char* HResultName(HRESULT hr) {
    for (const auto& n : kNames)
        if (n.code == hr) return n.name;
    return nullptr;
}
