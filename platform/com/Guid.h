#pragma once
// GUIDs in the platform's 16-byte layout, with compile-time parsing of the
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" form so identifiers read as written.
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/Types.h"

// Same definition and guard as the engine's public C header, so both can be included.
#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
#endif
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const GUID&;
using REFCLSID = const GUID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

namespace orvo::guid_detail {

constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses exactly the 38-character braced form; nullopt for anything else.
constexpr std::optional<GUID> Parse(std::string_view s) {
    if (s.size() != 38 || s.front() != '{' || s.back() != '}') return std::nullopt;
    constexpr int dashes[] = {9, 14, 19, 24};
    for (int d : dashes)
        if (s[d] != '-') return std::nullopt;
    uint8_t bytes[16] = {};
    int n = 0;
    for (size_t i = 1; i < 37; ++i) {
        if (s[i] == '-') continue;
        int hi = HexDigit(s[i]);
        int lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0 || n >= 16) return std::nullopt;
        bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
        ++i;
    }
    if (n != 16) return std::nullopt;
    GUID g{};
    g.Data1 = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    g.Data2 = uint16_t(bytes[4] << 8 | bytes[5]);
    g.Data3 = uint16_t(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

}  // namespace orvo::guid_detail

// A GUID literal checked at compile time: MakeGuid("{E436EBB3-524F-11CE-9F53-0020AF0BA770}").
consteval GUID MakeGuid(const char (&text)[39]) {
    auto g = orvo::guid_detail::Parse(std::string_view(text, 38));
    if (!g) throw "malformed GUID literal";
    return *g;
}

// A FOURCC-based media subtype: {XXXXXXXX-0000-0010-8000-00AA00389B71}.
constexpr GUID GuidFromFourCC(uint32_t fourcc) {
    return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

inline constexpr GUID GUID_NULL{};

std::optional<GUID> GuidFromString(std::string_view text);
std::string GuidToString(REFGUID guid);  // upper-case braced form

// The braced form in UTF-16 into *clsid; CO_E_CLASSSTRING (and GUID_NULL) when malformed.
HRESULT CLSIDFromString(const WCHAR* text, CLSID* clsid);

struct GuidHash {
    size_t operator()(const GUID& g) const {
        uint64_t a, b;
        std::memcpy(&a, &g, 8);
        std::memcpy(&b, reinterpret_cast<const char*>(&g) + 8, 8);
        return std::hash<uint64_t>{}(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};
