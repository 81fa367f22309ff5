#include "EngineCalls.h"

#include <dlfcn.h>

#include <mutex>
#include <utility>

#include "Lumex.h"

namespace orvo::test {
namespace {

std::mutex g_lock;
std::vector<EngineCall> g_calls;
std::vector<double> g_seeks;

void Record(uint32_t channel, int32_t code, float value) {
    std::lock_guard lock(g_lock);
    g_calls.push_back({channel, code, value});
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

std::vector<EngineCall> TakeEngineCalls() {
    std::lock_guard lock(g_lock);
    return std::exchange(g_calls, {});
}

std::vector<double> TakeSeeks() {
    std::lock_guard lock(g_lock);
    return std::exchange(g_seeks, {});
}

Sent TakeSent() {
    Sent sent;
    for (const EngineCall& call : TakeEngineCalls()) sent.emplace_back(call.code, call.value);
    return sent;
}

void PrintTo(const EngineCall& call, std::ostream* out) {
    *out << "{channel " << call.channel << ", code " << call.code << ", value " << call.value << "}";
}

void RecordSeek(double position) {
    std::lock_guard lock(g_lock);
    g_seeks.push_back(position);
}

}  // namespace orvo::test

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelSetPosition(uint32_t ch, double position, int32_t unit) {
    static const auto next = orvo::test::Next<int32_t(LUMEX_CALL*)(uint32_t, double, int32_t)>("Lumex_ChannelSetPosition");
    orvo::test::RecordSeek(position);
    return next(ch, position, unit);
}

LUMEX_API void LUMEX_CALL Lumex_ChannelSetAttribute(uint32_t ch, int32_t code, float value) {
    static const auto next = orvo::test::Next<void(LUMEX_CALL*)(uint32_t, int32_t, float)>("Lumex_ChannelSetAttribute");
    orvo::test::Record(ch, code, value);
    next(ch, code, value);
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelEnableStream(uint32_t ch, int32_t index) {
    static const auto next = orvo::test::Next<int32_t(LUMEX_CALL*)(uint32_t, int32_t)>("Lumex_ChannelEnableStream");
    orvo::test::Record(ch, orvo::test::kEnableStream, float(index));
    return next(ch, index);
}

}  // extern "C"
