#pragma once
// The renderer filter the three stock video renderers share: input pin 0 (stream 0) is
// paced by the graph clock and draws each frame; further input pins (streams 1..n-1) keep
// their latest frame for the mix. Each frame is converted to 32-bit pixels, mixed on the
// CPU and drawn into the caller's window.
//
// Threads: the streaming threads call DoRenderSample (holding the filter and renderer
// locks) and the extra pins' Receive; the application's thread calls the control
// interfaces of the derived classes. m_frameLock guards the mixer and the output and is
// always the innermost lock.
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/BaseRenderer.h"
#include "platform/video/FrameInput.h"
#include "platform/video/VideoMixer.h"
#include "platform/video/WindowOutput.h"

namespace orvo::video {

class CMixerInputPin;

// The 32-bit bitmap selected into a memory device context, top row first.
HRESULT ReadBitmapFromDc(HDC dc, Frame& image);

class CMixingRendererFilter : public CBaseVideoRenderer {
public:
    explicit CMixingRendererFilter(REFCLSID clsid);
    ~CMixingRendererFilter() override;

    HRESULT CheckMediaType(const graph::MediaType& type) override;
    HRESULT SetMediaType(const graph::MediaType& type) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

protected:
    // Input pins for count streams; VFW_E_WRONG_STATE once a pin past stream 0 is connected.
    HRESULT SetStreamCount(DWORD count);
    DWORD StreamCount();
    // Stream 0's connected size; VFW_E_NOT_CONNECTED (and zeros) before a connection.
    HRESULT NativeSize(LONG* width, LONG* height);
    // The mixed picture at the native size as 32-bit bottom-up rows, offset bytes into a new
    // block of task memory, with its header; E_FAIL before the first frame.
    HRESULT CurrentImage(BITMAPINFOHEADER& header, size_t offset, BYTE** block, DWORD* pixelBytes);
    HRESULT Repaint();

    // Runs f(mixer, output) under the frame lock.
    template <class F>
    auto Locked(F&& f) {
        std::lock_guard lock(m_frameLock);
        return f(m_mixer, m_output);
    }

private:
    friend class CMixerInputPin;
    HRESULT ReceiveStream(DWORD stream, const InputFormat& format, IMediaSample* sample);

    std::mutex m_frameLock;
    VideoMixer m_mixer;
    WindowOutput m_output;
    InputFormat m_primaryFormat;  // under m_frameLock
    // Pins once made stay until the filter goes, so that a pin reference handed out never
    // dangles; m_streamCount says how many of them the filter shows.
    std::array<std::unique_ptr<CMixerInputPin>, MAX_MIXER_STREAMS - 1> m_extraPins;
    std::atomic<DWORD> m_streamCount{1};
};

// A secondary stream's input: its samples are converted at once and shown with the next
// frame of stream 0.
class CMixerInputPin final : public CBaseInputPin {
public:
    CMixerInputPin(CMixingRendererFilter* filter, DWORD stream, const char16_t* name);
    HRESULT CheckMediaType(const graph::MediaType& type) override;
    HRESULT SetMediaType(const graph::MediaType& type) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;

private:
    CMixingRendererFilter* m_renderer;
    DWORD m_stream;
    InputFormat m_format;  // set while connecting, read on the streaming thread afterwards
};

}  // namespace orvo::video
