#pragma once
// Text conversion between the 8-bit code page (UTF-8 here, for every code page id) and
// UTF-16. Malformed input becomes U+FFFD; nothing is read past the given length.
#include <string>
#include <string_view>

#include "platform/com/Types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// Length -1 means "up to and including the terminating zero". With a zero output size the
// result is the size needed; when the output is too small, as many whole characters as fit
// are written and the result is 0. The result counts output units written.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, BOOL* usedDefault);

namespace orvo::com {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Writes text into dst (size bytes, size > 0) always zero-terminated, cut only between
// whole characters; returns the bytes written before the zero.
size_t Utf16ToUtf8Bounded(std::u16string_view text, char* dst, size_t size);

}  // namespace orvo::com
