#include "platform/graph/PosPassThru.h"

#include "platform/com/ComPtr.h"

template <class Call>
HRESULT CPosPassThru::Forward(Call call) {
    ComPtr<IPin> peer;
    if (FAILED(m_input->ConnectedTo(peer.Put()))) return VFW_E_NOT_CONNECTED;
    ComPtr<IMediaSeeking> seeking;
    if (FAILED(peer->QueryInterface(IID_IMediaSeeking, seeking.PutVoid()))) return E_NOTIMPL;
    return call(seeking.Get());
}

HRESULT CPosPassThru::GetCapabilities(DWORD* c) {
    return Forward([&](IMediaSeeking* s) { return s->GetCapabilities(c); });
}
HRESULT CPosPassThru::CheckCapabilities(DWORD* c) {
    return Forward([&](IMediaSeeking* s) { return s->CheckCapabilities(c); });
}
HRESULT CPosPassThru::IsFormatSupported(const GUID* f) {
    return Forward([&](IMediaSeeking* s) { return s->IsFormatSupported(f); });
}
HRESULT CPosPassThru::QueryPreferredFormat(GUID* f) {
    return Forward([&](IMediaSeeking* s) { return s->QueryPreferredFormat(f); });
}
HRESULT CPosPassThru::GetTimeFormat(GUID* f) {
    return Forward([&](IMediaSeeking* s) { return s->GetTimeFormat(f); });
}
HRESULT CPosPassThru::IsUsingTimeFormat(const GUID* f) {
    return Forward([&](IMediaSeeking* s) { return s->IsUsingTimeFormat(f); });
}
HRESULT CPosPassThru::SetTimeFormat(const GUID* f) {
    return Forward([&](IMediaSeeking* s) { return s->SetTimeFormat(f); });
}
HRESULT CPosPassThru::GetDuration(LONGLONG* d) {
    return Forward([&](IMediaSeeking* s) { return s->GetDuration(d); });
}
HRESULT CPosPassThru::GetStopPosition(LONGLONG* p) {
    return Forward([&](IMediaSeeking* s) { return s->GetStopPosition(p); });
}
HRESULT CPosPassThru::GetCurrentPosition(LONGLONG* p) {
    return Forward([&](IMediaSeeking* s) { return s->GetCurrentPosition(p); });
}
HRESULT CPosPassThru::ConvertTimeFormat(LONGLONG* target, const GUID* tf, LONGLONG source, const GUID* sf) {
    return Forward([&](IMediaSeeking* s) { return s->ConvertTimeFormat(target, tf, source, sf); });
}
HRESULT CPosPassThru::SetPositions(LONGLONG* current, DWORD cf, LONGLONG* stop, DWORD sf) {
    return Forward([&](IMediaSeeking* s) { return s->SetPositions(current, cf, stop, sf); });
}
HRESULT CPosPassThru::GetPositions(LONGLONG* current, LONGLONG* stop) {
    return Forward([&](IMediaSeeking* s) { return s->GetPositions(current, stop); });
}
HRESULT CPosPassThru::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    return Forward([&](IMediaSeeking* s) { return s->GetAvailable(earliest, latest); });
}
HRESULT CPosPassThru::SetRate(double rate) {
    return Forward([&](IMediaSeeking* s) { return s->SetRate(rate); });
}
HRESULT CPosPassThru::GetRate(double* rate) {
    return Forward([&](IMediaSeeking* s) { return s->GetRate(rate); });
}
HRESULT CPosPassThru::GetPreroll(LONGLONG* preroll) {
    return Forward([&](IMediaSeeking* s) { return s->GetPreroll(preroll); });
}
