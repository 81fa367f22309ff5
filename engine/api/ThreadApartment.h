#pragma once
// The component runtime on the calling thread for as long as an export builds or lists
// platform objects: the thread that called Lumex_Init has it already, any other thread joins
// for the call.
#include "platform/com/Runtime.h"

namespace orvo::engine {

class ThreadApartment {
public:
    ThreadApartment() : m_joined(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ThreadApartment() {
        if (m_joined) CoUninitialize();
    }
    ThreadApartment(const ThreadApartment&) = delete;
    ThreadApartment& operator=(const ThreadApartment&) = delete;

private:
    bool m_joined;
};

}  // namespace orvo::engine
