#include "platform/filters/ffmpeg/CodecMediaType.h"

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "platform/filters/ffmpeg/CodecTable.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::ffmpeg {
namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;

std::vector<BYTE> FormatWithExtraData(const void* header, size_t headerSize, const AVCodecParameters& codec) {
    const size_t extra = codec.extradata && codec.extradata_size > 0 ? size_t(codec.extradata_size) : 0;
    std::vector<BYTE> block(headerSize + extra);
    std::memcpy(block.data(), header, headerSize);
    if (extra) std::memcpy(block.data() + headerSize, codec.extradata, extra);
    return block;
}

bool SetExtraData(AVCodecParameters& codec, const BYTE* data, size_t size) {
    if (!size) return true;
    codec.extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!codec.extradata) return false;
    std::memcpy(codec.extradata, data, size);
    codec.extradata_size = int(size);
    return true;
}

graph::MediaType VideoType(const AVCodecParameters& codec, const CodecEntry& entry, AVRational frameRate) {
    VIDEOINFOHEADER2 info{};
    info.rcSource = info.rcTarget = RECT{0, 0, codec.width, codec.height};
    info.dwBitRate = DWORD(codec.bit_rate);
    if (frameRate.num > 0 && frameRate.den > 0)
        info.AvgTimePerFrame = av_rescale(kUnitsPerSecond, frameRate.den, frameRate.num);
    AVRational aspect = codec.sample_aspect_ratio.num > 0 ? codec.sample_aspect_ratio : AVRational{1, 1};
    av_reduce(reinterpret_cast<int*>(&info.dwPictAspectRatioX), reinterpret_cast<int*>(&info.dwPictAspectRatioY),
              int64_t(codec.width) * aspect.num, int64_t(codec.height) * aspect.den, 1 << 30);
    info.dwReserved2 = DWORD(codec.format + 1);  // kPixelFormatHint
    BITMAPINFOHEADER& bmi = info.bmiHeader;
    bmi.biSize = sizeof(BITMAPINFOHEADER);
    bmi.biWidth = codec.width;
    bmi.biHeight = codec.height;
    bmi.biPlanes = 1;
    bmi.biBitCount = WORD(codec.bits_per_coded_sample > 0 ? codec.bits_per_coded_sample : 24);
    bmi.biCompression = entry.id == AV_CODEC_ID_RAWVIDEO ? codec.codec_tag : entry.fourcc;
    graph::MediaType type(MEDIATYPE_Video, GuidFromFourCC(entry.fourcc), FORMAT_VideoInfo2);
    type.bTemporalCompression = entry.id != AV_CODEC_ID_RAWVIDEO;
    const auto block = FormatWithExtraData(&info, sizeof info, codec);
    SetMediaTypeFormat(type, FORMAT_VideoInfo2, block.data(), ULONG(block.size()));
    return type;
}

WORD WaveTag(const CodecEntry& entry) {
    return entry.fourcc < 0x10000 ? WORD(entry.fourcc) : WORD(0);
}

graph::MediaType AudioType(const AVCodecParameters& codec, const CodecEntry& entry) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = WaveTag(entry);
    wave.nChannels = WORD(codec.ch_layout.nb_channels);
    wave.nSamplesPerSec = DWORD(codec.sample_rate);
    const int bits = codec.bits_per_coded_sample > 0 ? codec.bits_per_coded_sample : av_get_bits_per_sample(codec.codec_id);
    wave.wBitsPerSample = WORD(bits);
    wave.nBlockAlign = WORD(codec.block_align > 0 ? codec.block_align : bits * wave.nChannels / 8);
    wave.nAvgBytesPerSec = codec.bit_rate > 0 ? DWORD(codec.bit_rate / 8) : wave.nBlockAlign * wave.nSamplesPerSec;
    wave.cbSize = WORD(codec.extradata_size > 0 ? codec.extradata_size : 0);
    graph::MediaType type(MEDIATYPE_Audio, GuidFromFourCC(entry.fourcc), FORMAT_WaveFormatEx);
    type.bFixedSizeSamples = wave.wFormatTag == WAVE_FORMAT_PCM || wave.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    type.lSampleSize = type.bFixedSizeSamples ? wave.nBlockAlign : 0;
    const auto block = FormatWithExtraData(&wave, sizeof wave, codec);
    SetMediaTypeFormat(type, FORMAT_WaveFormatEx, block.data(), ULONG(block.size()));
    return type;
}

graph::MediaType SubtitleType(const AVCodecParameters& codec, const CodecEntry& entry) {
    graph::MediaType type(MEDIATYPE_Subtitle, GuidFromFourCC(entry.fourcc), FORMAT_None);
    if (codec.extradata_size > 0) SetMediaTypeFormat(type, FORMAT_None, codec.extradata, ULONG(codec.extradata_size));
    return type;
}

// Little-endian PCM shares one wave tag; the sample size tells the forms apart.
AVCodecID PcmCodec(WORD tag, int bits) {
    if (tag == WAVE_FORMAT_IEEE_FLOAT) return bits == 64 ? AV_CODEC_ID_PCM_F64LE : AV_CODEC_ID_PCM_F32LE;
    switch (bits) {
        case 8: return AV_CODEC_ID_PCM_U8;
        case 24: return AV_CODEC_ID_PCM_S24LE;
        case 32: return AV_CODEC_ID_PCM_S32LE;
        default: return AV_CODEC_ID_PCM_S16LE;
    }
}

bool VideoCodec(const AM_MEDIA_TYPE& type, AVCodecParameters& codec) {
    if (type.formattype != FORMAT_VideoInfo2 || !type.pbFormat || type.cbFormat < sizeof(VIDEOINFOHEADER2))
        return false;
    VIDEOINFOHEADER2 info;
    std::memcpy(&info, type.pbFormat, sizeof info);
    codec.codec_type = AVMEDIA_TYPE_VIDEO;
    codec.width = info.bmiHeader.biWidth;
    codec.height = info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
    codec.bits_per_coded_sample = info.bmiHeader.biBitCount;
    if (codec.codec_id == AV_CODEC_ID_RAWVIDEO) codec.codec_tag = info.bmiHeader.biCompression;
    codec.format = int(info.dwReserved2) - 1;
    return SetExtraData(codec, type.pbFormat + sizeof info, type.cbFormat - sizeof info);
}

bool AudioCodec(const AM_MEDIA_TYPE& type, AVCodecParameters& codec) {
    if (type.formattype != FORMAT_WaveFormatEx || !type.pbFormat || type.cbFormat < sizeof(WAVEFORMATEX))
        return false;
    WAVEFORMATEX wave;
    std::memcpy(&wave, type.pbFormat, sizeof wave);
    if (wave.wFormatTag == WAVE_FORMAT_PCM || wave.wFormatTag == WAVE_FORMAT_IEEE_FLOAT)
        codec.codec_id = PcmCodec(wave.wFormatTag, wave.wBitsPerSample);
    codec.codec_type = AVMEDIA_TYPE_AUDIO;
    codec.sample_rate = int(wave.nSamplesPerSec);
    av_channel_layout_default(&codec.ch_layout, wave.nChannels);
    codec.block_align = wave.nBlockAlign;
    codec.bits_per_coded_sample = wave.wBitsPerSample;
    codec.bit_rate = int64_t(wave.nAvgBytesPerSec) * 8;
    const size_t extra = std::min<size_t>(wave.cbSize, type.cbFormat - sizeof wave);
    return SetExtraData(codec, type.pbFormat + sizeof wave, extra);
}

}  // namespace

graph::MediaType MediaTypeFromCodec(const AVCodecParameters& codec, AVRational frameRate) {
    const CodecEntry* entry = FindCodec(codec.codec_id);
    if (!entry) return {};
    switch (codec.codec_type) {
        case AVMEDIA_TYPE_VIDEO: return VideoType(codec, *entry, frameRate);
        case AVMEDIA_TYPE_AUDIO: return AudioType(codec, *entry);
        case AVMEDIA_TYPE_SUBTITLE: return SubtitleType(codec, *entry);
        default: return {};
    }
}

bool CodecFromMediaType(const AM_MEDIA_TYPE& type, AVCodecParameters& codec) {
    const CodecEntry* entry = FindCodec(type.subtype);
    if (!entry) return false;
    codec.codec_id = entry->id;
    if (type.majortype == MEDIATYPE_Video) return VideoCodec(type, codec);
    if (type.majortype == MEDIATYPE_Audio) return AudioCodec(type, codec);
    return false;
}

}  // namespace orvo::ffmpeg
