#pragma once
// An FFmpeg decoder opened from a media type the splitter made: packets in, frames out, with
// timestamps in 100-ns units. Video decoders use FFmpeg's own frame and slice threads.
// Not thread-safe: a decoder filter drives it from its upstream streaming thread, and from the
// application's thread only while streaming is stopped.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/filters/ffmpeg/CodecTable.h"
#include "platform/graph/MediaType.h"

namespace orvo::ffmpeg {

class Decoder {
public:
    // VFW_E_TYPE_NOT_ACCEPTED for a type that names no codec of the set or that FFmpeg cannot
    // open; E_OUTOFMEMORY.
    static HRESULT Create(const AM_MEDIA_TYPE& input, CodecSet set, std::unique_ptr<Decoder>& decoder);
    // Whether Create would take the type (the codec is known, in the set and decodable).
    static bool Accepts(const AM_MEDIA_TYPE& input, CodecSet set);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Hands one packet to the decoder (null data drains it). start may be AV_NOPTS_VALUE.
    // S_OK, or E_FAIL for data the decoder rejects (it is dropped; decoding goes on).
    HRESULT Send(const uint8_t* data, size_t size, REFERENCE_TIME start, bool keyFrame);
    // The next decoded frame: S_OK, S_FALSE when the decoder needs more input or is drained.
    // The frame's best_effort_timestamp is in 100-ns units.
    HRESULT Receive(AVFrame* frame);
    // Drops every packet and frame in flight (on seek).
    void Flush();
    // While on, frames that no other frame refers to are not decoded at all, so that a
    // player that has fallen behind catches up; the frames that are decoded stay intact.
    void SkipUnreferencedFrames(bool skip);

    const AVCodecContext& Context() const { return *m_context; }
    // The pixel format frames are expected in before the first one arrives.
    AVPixelFormat ExpectedPixelFormat() const;

private:
    explicit Decoder(AVCodecContext* context) : m_context(context) {}

    AVCodecContext* m_context;
    AVPacket* m_packet = nullptr;
    bool m_draining = false;
};

}  // namespace orvo::ffmpeg
