#pragma once
// The platform's basic types, at the widths its interfaces use.
#include <cstddef>
#include <cstdint>

#define STDMETHODCALLTYPE
#define WINAPI

using HRESULT = int32_t;
using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using LCID = uint32_t;
using WCHAR = char16_t;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using HWND = uintptr_t;  // an X11 window id; 0 is no window
struct HDC__;
using HDC = HDC__*;  // a device context of the window layer
struct HBITMAP__;
using HBITMAP = HBITMAP__*;  // a device-independent bitmap of the window layer

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Buffers that hold a file path.
constexpr int kMaxPath = 4096;
