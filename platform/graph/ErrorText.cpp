#include "platform/graph/ErrorText.h"

#include <algorithm>
#include <string_view>

#include "platform/com/HResult.h"

namespace {

struct ErrorText {
    HRESULT code;
    std::u16string_view text;
};

constexpr ErrorText kTexts[] = {
    {S_OK, u"The operation succeeded."},
    {S_FALSE, u"The operation succeeded but did nothing."},
    {E_NOTIMPL, u"The operation is not offered by this object."},
    {E_NOINTERFACE, u"The object does not offer the requested interface."},
    {E_POINTER, u"A required pointer is missing."},
    {E_ABORT, u"The operation was aborted."},
    {E_FAIL, u"The operation failed."},
    {E_UNEXPECTED, u"The call came at a time the object did not expect it."},
    {E_ACCESSDENIED, u"Access is denied."},
    {E_HANDLE, u"The handle is not valid."},
    {E_OUTOFMEMORY, u"There is not enough memory for the operation."},
    {E_INVALIDARG, u"An argument is not valid."},
    {CLASS_E_NOAGGREGATION, u"The class cannot be made part of another object."},
    {CLASS_E_CLASSNOTAVAILABLE, u"The module does not provide this class."},
    {REGDB_E_CLASSNOTREG, u"The class is not registered."},
    {CO_E_NOTINITIALIZED, u"The component runtime is not initialised on this thread."},
    {RPC_E_CHANGED_MODE, u"The thread was already initialised in another threading model."},
    {VFW_S_NO_MORE_ITEMS, u"The end of the list has been reached."},
    {VFW_E_INVALIDMEDIATYPE, u"The media type is not valid."},
    {VFW_E_INVALIDSUBTYPE, u"The media subtype is not valid."},
    {VFW_E_NEED_OWNER, u"This object can only be used inside a filter."},
    {VFW_E_ENUM_OUT_OF_SYNC, u"The enumerator is out of date: the set it lists has changed."},
    {VFW_E_ALREADY_CONNECTED, u"At least one of the pins is already connected."},
    {VFW_E_FILTER_ACTIVE, u"The operation cannot be done while the filter is active."},
    {VFW_E_NO_TYPES, u"The pin offers no media types."},
    {VFW_E_NO_ACCEPTABLE_TYPES, u"The pins have no media type in common."},
    {VFW_E_INVALID_DIRECTION, u"Two pins of the same direction cannot be connected."},
    {VFW_E_NOT_CONNECTED, u"The pin is not connected."},
    {VFW_E_NO_ALLOCATOR, u"No sample buffer allocator is available."},
    {VFW_E_RUNTIME_ERROR, u"A run-time error occurred."},
    {VFW_E_BUFFER_NOTSET, u"No buffer space has been set."},
    {VFW_E_BUFFER_OVERFLOW, u"The buffer is not big enough."},
    {VFW_E_BADALIGN, u"The alignment is not valid."},
    {VFW_E_ALREADY_COMMITTED, u"The allocator is committed; its properties cannot change."},
    {VFW_E_BUFFERS_OUTSTANDING, u"Buffers of the allocator are still in use."},
    {VFW_E_NOT_COMMITTED, u"The allocator is not committed."},
    {VFW_E_SIZENOTSET, u"The allocator has no buffer size set."},
    {VFW_E_NO_CLOCK, u"No clock is set for synchronisation."},
    {VFW_E_NO_SINK, u"No quality sink is set."},
    {VFW_E_NO_INTERFACE, u"A required interface is not offered."},
    {VFW_E_NOT_FOUND, u"The object or name was not found."},
    {VFW_E_CANNOT_CONNECT, u"No combination of intermediate filters could make the connection."},
    {VFW_E_CANNOT_RENDER, u"No combination of filters could render the stream."},
    {VFW_E_CHANGING_FORMAT, u"The format could not be changed dynamically."},
    {VFW_E_STATE_CHANGED, u"The state changed during the operation."},
    {VFW_E_NOT_STOPPED, u"The filter must be stopped for this operation."},
    {VFW_E_NOT_PAUSED, u"The filter must be paused for this operation."},
    {VFW_E_NOT_RUNNING, u"The filter must be running for this operation."},
    {VFW_E_WRONG_STATE, u"The operation cannot be done in the current state."},
    {VFW_E_START_TIME_AFTER_END, u"The start time is after the end time."},
    {VFW_E_INVALID_RECT, u"The rectangle is not valid."},
    {VFW_E_TYPE_NOT_ACCEPTED, u"The media type was not accepted."},
    {VFW_E_SAMPLE_REJECTED, u"The sample was not accepted."},
    {VFW_E_SAMPLE_REJECTED_EOS, u"The sample came after the end of the stream."},
    {VFW_E_DUPLICATE_NAME, u"A filter with this name is already in the graph."},
    {VFW_S_DUPLICATE_NAME, u"The filter was added under a new name, as its name was taken."},
    {VFW_E_TIMEOUT, u"The wait timed out."},
    {VFW_E_INVALID_FILE_FORMAT, u"The file format is not valid."},
    {VFW_E_ENUM_OUT_OF_RANGE, u"The list has already been exhausted."},
    {VFW_E_CIRCULAR_GRAPH, u"The connection would make the graph circular."},
    {VFW_E_TIME_ALREADY_PASSED, u"The time has already passed."},
    {VFW_E_ALREADY_CANCELLED, u"The advice was already cancelled."},
    {VFW_E_ADVISE_ALREADY_SET, u"Advice is already set."},
    {VFW_S_STATE_INTERMEDIATE, u"The state transition has not completed yet."},
    {VFW_E_NO_ADVISE_SET, u"No advice is set."},
    {VFW_E_UNKNOWN_FILE_TYPE, u"The media type of this file is not recognised."},
    {VFW_E_CANNOT_LOAD_SOURCE_FILTER, u"The source filter for this file could not be loaded."},
    {VFW_S_PARTIAL_RENDER, u"Some of the streams are in a format that cannot be played."},
    {VFW_E_FILE_TOO_SHORT, u"The file is shorter than its format says."},
    {VFW_S_SOME_DATA_IGNORED, u"Some data in the file was ignored."},
    {VFW_E_INVALID_CLSID, u"The class id is not valid."},
    {VFW_E_INVALID_MEDIA_TYPE, u"The media type is not valid."},
    {VFW_E_SAMPLE_TIME_NOT_SET, u"The sample has no time stamp."},
    {VFW_S_RESOURCE_NOT_NEEDED, u"The resource is not needed."},
    {VFW_E_MEDIA_TIME_NOT_SET, u"The sample has no media time."},
    {VFW_E_NO_TIME_FORMAT_SET, u"No time format is set."},
    {VFW_E_NO_DECOMPRESSOR, u"No decompressor could be found for the stream."},
    {VFW_E_NO_AUDIO_HARDWARE, u"No sound output is available."},
    {VFW_S_VIDEO_NOT_RENDERED, u"The video stream is in a format that cannot be played."},
    {VFW_S_AUDIO_NOT_RENDERED, u"The audio stream is in a format that cannot be played."},
    {VFW_E_UNSUPPORTED_AUDIO, u"The audio format is not supported."},
    {VFW_E_UNSUPPORTED_VIDEO, u"The video format is not supported."},
    {VFW_E_NOT_IN_GRAPH, u"The filter is not in a graph."},
    {VFW_S_ESTIMATED, u"The value is an estimate."},
    {VFW_E_NO_TIME_FORMAT, u"The time format is not supported."},
    {VFW_E_READ_ONLY, u"The object is read-only."},
    {VFW_E_BUFFER_UNDERFLOW, u"The buffer holds too little data."},
    {VFW_E_UNSUPPORTED_STREAM, u"The stream is not supported."},
    {VFW_E_NO_TRANSPORT, u"The pins cannot agree on a way to pass samples."},
    {VFW_S_STREAM_OFF, u"The stream is turned off."},
    {VFW_S_CANT_CUE, u"The filter is paused but cannot produce data while paused."},
    {VFW_S_NO_STOP_TIME, u"The sample has a start time but no stop time."},
};

}  // namespace

DWORD WINAPI AMGetErrorTextW(HRESULT hr, WCHAR* buffer, DWORD maxLength) {
    if (!buffer || maxLength == 0) return 0;
    for (const auto& entry : kTexts) {
        if (entry.code != hr) continue;
        DWORD n = DWORD(std::min<size_t>(entry.text.size(), maxLength - 1));
        for (DWORD i = 0; i < n; ++i) buffer[i] = entry.text[i];
        buffer[n] = 0;
        return n;
    }
    buffer[0] = 0;
    return 0;
}
