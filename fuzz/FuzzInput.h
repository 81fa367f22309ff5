#pragma once
// Reads a fuzzer's bytes as a sequence of choices: fixed-size values from the front, then the
// rest as a payload. Past the end every value is zero, so any input is a complete script.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace orvo::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    template <class T>
    T Take() {
        static_assert(std::is_trivially_copyable_v<T>);
        T value{};
        const size_t n = m_size < sizeof(T) ? m_size : sizeof(T);
        if (n) std::memcpy(&value, m_data, n);
        m_data += n;
        m_size -= n;
        return value;
    }
    // A value in [0, count); count must be positive.
    uint32_t Below(uint32_t count) { return Take<uint32_t>() % count; }
    bool Flag() { return Take<uint8_t>() & 1; }
    // One of the values of a table.
    template <class T, size_t N>
    const T& Pick(const T (&table)[N]) {
        return table[Below(N)];
    }

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace orvo::fuzz
