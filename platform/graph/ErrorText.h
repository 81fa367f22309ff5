#pragma once
// Readable texts for the platform's result codes.
#include "platform/com/Types.h"

constexpr DWORD MAX_ERROR_TEXT_LEN = 160;

// Writes the text of hr, cut to fit and terminated, into buffer (maxLength characters);
// gives the number of characters written, 0 for a code without a text or no room.
DWORD WINAPI AMGetErrorTextW(HRESULT hr, WCHAR* buffer, DWORD maxLength);
