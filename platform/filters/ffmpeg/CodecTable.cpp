#include "platform/filters/ffmpeg/CodecTable.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/graph/MediaGuids.h"

namespace orvo::ffmpeg {
namespace {

constexpr uint32_t F(const char (&s)[5]) { return MakeFourCC(s[0], s[1], s[2], s[3]); }

// Uncompressed video has a subtype of its own so that it always passes a decoder, which
// brings it into a packed form; its pixel layout travels in biCompression and biBitCount.
// The little-endian PCM forms share the wave tag and differ by wBitsPerSample.
constexpr CodecEntry kCodecs[] = {
    {AV_CODEC_ID_RAWVIDEO, F("RAWV"), "Uncompressed", true},
    {AV_CODEC_ID_MJPEG, F("MJPG"), "MJPEG", true},
    {AV_CODEC_ID_MPEG1VIDEO, F("MPG1"), "MPEG-1", true},
    {AV_CODEC_ID_MPEG2VIDEO, F("MPG2"), "MPEG-2", true},
    {AV_CODEC_ID_H264, F("H264"), "H.264", false},
    {AV_CODEC_ID_HEVC, F("HEVC"), "HEVC", false},
    {AV_CODEC_ID_VP8, F("VP80"), "VP8", false},
    {AV_CODEC_ID_VP9, F("VP90"), "VP9", false},
    {AV_CODEC_ID_AV1, F("AV01"), "AV1", false},
    {AV_CODEC_ID_MPEG4, F("MP4V"), "MPEG-4", false},
    {AV_CODEC_ID_MSMPEG4V3, F("DIV3"), "MS-MPEG4", false},
    {AV_CODEC_ID_THEORA, F("THEO"), "Theora", false},
    {AV_CODEC_ID_FFV1, F("FFV1"), "FFV1", false},
    {AV_CODEC_ID_PRORES, F("apcn"), "ProRes", false},
    {AV_CODEC_ID_DNXHD, F("AVdn"), "DNxHD", false},
    {AV_CODEC_ID_HUFFYUV, F("HFYU"), "HuffYUV", false},
    {AV_CODEC_ID_PCM_S16LE, 0x0001, "PCM", true},
    {AV_CODEC_ID_PCM_U8, 0x0001, "PCM", true},
    {AV_CODEC_ID_PCM_S24LE, 0x0001, "PCM", true},
    {AV_CODEC_ID_PCM_S32LE, 0x0001, "PCM", true},
    {AV_CODEC_ID_PCM_F32LE, 0x0003, "PCM", true},
    {AV_CODEC_ID_PCM_S16BE, F("twos"), "PCM", true},
    {AV_CODEC_ID_PCM_S24BE, F("in24"), "PCM", true},
    {AV_CODEC_ID_PCM_S32BE, F("in32"), "PCM", true},
    {AV_CODEC_ID_PCM_F32BE, F("fl32"), "PCM", true},
    {AV_CODEC_ID_MP1, F("MPA1"), "MP1", true},
    {AV_CODEC_ID_MP2, 0x0050, "MP2", true},
    {AV_CODEC_ID_MP3, 0x0055, "MP3", true},
    {AV_CODEC_ID_AAC, 0x00FF, "AAC", false},
    {AV_CODEC_ID_AC3, 0x2000, "AC-3", false},
    {AV_CODEC_ID_EAC3, F("EAC3"), "E-AC-3", false},
    {AV_CODEC_ID_DTS, 0x2001, "DTS", false},
    {AV_CODEC_ID_TRUEHD, F("TRHD"), "TrueHD", false},
    {AV_CODEC_ID_OPUS, F("Opus"), "Opus", false},
    {AV_CODEC_ID_VORBIS, F("Vorb"), "Vorbis", false},
    {AV_CODEC_ID_FLAC, 0xF1AC, "FLAC", false},
    {AV_CODEC_ID_ALAC, F("ALAC"), "ALAC", false},
    {AV_CODEC_ID_WMAV2, 0x0161, "WMA", false},
    {AV_CODEC_ID_SUBRIP, F("SRT "), "SubRip", false},
    {AV_CODEC_ID_ASS, F("ASS "), "ASS", false},
    {AV_CODEC_ID_SSA, F("SSA "), "SSA", false},
    {AV_CODEC_ID_WEBVTT, F("WVTT"), "WebVTT", false},
    {AV_CODEC_ID_MOV_TEXT, F("tx3g"), "Timed Text", false},
    {AV_CODEC_ID_DVD_SUBTITLE, F("DVDS"), "VobSub", false},
    {AV_CODEC_ID_HDMV_PGS_SUBTITLE, F("PGS "), "PGS", false},
};

}  // namespace

const CodecEntry* FindCodec(AVCodecID id) {
    for (const CodecEntry& entry : kCodecs)
        if (entry.id == id) return &entry;
    return nullptr;
}

const CodecEntry* FindCodec(const GUID& subtype) {
    for (const CodecEntry& entry : kCodecs)
        if (GuidFromFourCC(entry.fourcc) == subtype) return &entry;
    return nullptr;
}

std::vector<GUID> SubtypesInSet(CodecSet set, AVMediaType kind) {
    std::vector<GUID> subtypes;
    for (const CodecEntry& entry : kCodecs) {
        const GUID subtype = GuidFromFourCC(entry.fourcc);
        if (avcodec_get_type(entry.id) == kind && InCodecSet(set, entry.id) &&
            std::find(subtypes.begin(), subtypes.end(), subtype) == subtypes.end())
            subtypes.push_back(subtype);
    }
    return subtypes;
}

bool InCodecSet(CodecSet set, AVCodecID id) {
    if (set == CodecSet::All) return true;
    const CodecEntry* entry = FindCodec(id);
    return entry && entry->system;
}

}  // namespace orvo::ffmpeg
