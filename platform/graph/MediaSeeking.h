#pragma once
// CMediaSeeking: IMediaSeeking in media time (100-ns units), written once for every object
// that seeks: the graph, source streams and the splitter's pins. It checks every argument,
// resolves relative positions and the ReturnTime flag, answers the time-format and
// capability questions, and refuses rates that are not finite and positive. What differs
// between seekers is in the hooks: where the positions are, and what a change does.
//
// Threads: the hooks are called on whatever thread calls the interface (the application's,
// through the graph) with no lock of this class held; the implementer guards its positions.
#include "platform/graph/Interfaces.h"

class CMediaSeeking : public IMediaSeeking {
public:
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) final;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) final;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) final;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) final;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) final;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) final;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) final;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) final;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) final;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) final;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat) final;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) final;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) final;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) final;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) final;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) final;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) final;

    // What a source that plays from a file can do.
    static constexpr DWORD kSourceCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                                                 AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                                                 AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

protected:
    struct Positions {
        REFERENCE_TIME current = 0;
        REFERENCE_TIME stop = 0;
        REFERENCE_TIME duration = 0;
    };
    virtual ~CMediaSeeking() = default;

    virtual HRESULT SeekingCapabilities(DWORD& capabilities) = 0;
    virtual HRESULT ReadPositions(Positions& positions) = 0;
    // Applies checked positions: moveCurrent is a seek to current, moveStop a new stop.
    // Neither is negative; at least one of the two flags is set.
    virtual HRESULT ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop,
                                    bool moveStop) = 0;
    // rate is finite and positive.
    virtual HRESULT ChangeRate(double rate) = 0;
    virtual double ReadRate() = 0;
};
