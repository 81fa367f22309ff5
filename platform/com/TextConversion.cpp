#include "platform/com/TextConversion.h"

#include <cstring>

namespace orvo::com {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point from UTF-8 at s[i..n), advancing i.
char32_t DecodeUtf8(const unsigned char* s, size_t n, size_t& i) {
    unsigned char c = s[i++];
    if (c < 0x80) return c;
    int extra;
    char32_t cp;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= n || (s[i] & 0xC0) != 0x80) return kReplacement;
        cp = cp << 6 | (s[i++] & 0x3F);
    }
    constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

// Decodes one code point from UTF-16 at s[i..n), advancing i.
char32_t DecodeUtf16(const char16_t* s, size_t n, size_t& i) {
    char16_t c = s[i++];
    if (c < 0xD800 || c > 0xDFFF) return c;
    if (c <= 0xDBFF && i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
        return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i++] - 0xDC00);
    return kReplacement;
}

int EncodeUtf16(char32_t cp, char16_t* out) {
    if (cp < 0x10000) {
        out[0] = char16_t(cp);
        return 1;
    }
    cp -= 0x10000;
    out[0] = char16_t(0xD800 + (cp >> 10));
    out[1] = char16_t(0xDC00 + (cp & 0x3FF));
    return 2;
}

int EncodeUtf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = char(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = char(0xC0 | cp >> 6);
        out[1] = char(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = char(0xE0 | cp >> 12);
        out[1] = char(0x80 | (cp >> 6 & 0x3F));
        out[2] = char(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | cp >> 18);
    out[1] = char(0x80 | (cp >> 12 & 0x3F));
    out[2] = char(0x80 | (cp >> 6 & 0x3F));
    out[3] = char(0x80 | (cp & 0x3F));
    return 4;
}

size_t Utf16Length(const char16_t* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    auto s = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char16_t units[2];
        out.append(units, EncodeUtf16(DecodeUtf8(s, text.size(), i), units));
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char bytes[4];
        out.append(bytes, EncodeUtf8(DecodeUtf16(text.data(), text.size(), i), bytes));
    }
    return out;
}

size_t Utf16ToUtf8Bounded(std::u16string_view text, char* dst, size_t size) {
    if (!dst || size == 0) return 0;
    size_t written = 0;
    for (size_t i = 0; i < text.size();) {
        char bytes[4];
        int n = EncodeUtf8(DecodeUtf16(text.data(), text.size(), i), bytes);
        if (written + n + 1 > size) break;
        std::memcpy(dst + written, bytes, n);
        written += n;
    }
    dst[written] = '\0';
    return written;
}

}  // namespace orvo::com

int MultiByteToWideChar(UINT, DWORD, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars) {
    if (!src || srcBytes == 0 || srcBytes < -1 || dstChars < 0) return 0;
    size_t n = srcBytes == -1 ? std::strlen(src) + 1 : size_t(srcBytes);
    std::u16string wide = orvo::com::Utf8ToUtf16(std::string_view(src, n));
    if (dstChars == 0) return int(wide.size());
    if (!dst) return 0;
    if (wide.size() <= size_t(dstChars)) {
        std::memcpy(dst, wide.data(), wide.size() * sizeof(char16_t));
        return int(wide.size());
    }
    // Too small: whole characters only, never half a surrogate pair.
    size_t fit = size_t(dstChars);
    if (fit > 0 && wide[fit - 1] >= 0xD800 && wide[fit - 1] <= 0xDBFF) --fit;
    std::memcpy(dst, wide.data(), fit * sizeof(char16_t));
    return 0;
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes, LPCSTR, BOOL* usedDefault) {
    if (usedDefault) *usedDefault = FALSE;
    if (!src || srcChars == 0 || srcChars < -1 || dstBytes < 0) return 0;
    size_t n = srcChars == -1 ? orvo::com::Utf16Length(src) + 1 : size_t(srcChars);
    std::string narrow = orvo::com::Utf16ToUtf8(std::u16string_view(src, n));
    if (dstBytes == 0) return int(narrow.size());
    if (!dst) return 0;
    if (narrow.size() <= size_t(dstBytes)) {
        std::memcpy(dst, narrow.data(), narrow.size());
        return int(narrow.size());
    }
    // Too small: whole characters only, never a cut UTF-8 sequence.
    size_t fit = size_t(dstBytes);
    while (fit > 0 && (static_cast<unsigned char>(narrow[fit]) & 0xC0) == 0x80) --fit;
    std::memcpy(dst, narrow.data(), fit);
    return 0;
}
