/* Lumex: the engine's flat C interface for stereoscopic playback.
 * Usable from C and C++. Every function reports failure through its result only
 * (0, 0.0, or nothing); a handle that is not registered fails quietly.
 *
 * Threads. Every function may be called from any thread, and from several at once:
 *  - Calls on one channel run one at a time; calls on different channels run side by side.
 *    Lumex_ChannelGetState never waits for another call.
 *  - A channel freed by Lumex_StreamFree on one thread while another thread uses its handle:
 *    the other call either finishes before the channel is torn down or fails quietly, as
 *    for any handle that is not registered. The engine's record of a channel lives until
 *    its last user lets go; no call touches freed memory.
 *  - Records the caller owns (CHANNELINFO, StreamInfo) are filled on the calling thread. A
 *    StreamInfo name stays readable until the next stream query on that channel from any
 *    thread, or until the channel is freed.
 *  - Callbacks: CAPTUREDEVICEPROC, StreamEnumProc and FilterEnumProc run on the calling
 *    thread inside the call and may call in again. DDRAWCALLBACK runs on a streaming thread
 *    of the channel; from it, call no function on the same channel other than
 *    Lumex_ChannelGetState (a control call on another thread may be waiting for it).
 *  - Lumex_Init and Lumex_Free may come from any thread, once each in turn. */
#ifndef LUMEX_H
#define LUMEX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* x86-64 has one calling convention; the macro names the standard one. */
#define LUMEX_CALL
#if defined(__GNUC__)
#define LUMEX_API __attribute__((visibility("default")))
#else
#define LUMEX_API
#endif

typedef uintptr_t LUMEX_HWND; /* X11 window id; 0 = none */
typedef void* LUMEX_HDC;

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
#endif

/* Channel states */
enum {
    CHANNEL_NONE = 0,
    CHANNEL_PLAYING = 1,
    CHANNEL_PAUSED = 2,
    CHANNEL_STOPPED = 3,
};

/* Lumex_SetConfig options */
#define CONFIG_RENDERER 4096      /* renderer kind 1..7 for channels created from now on */
#define CONFIG_WINDOW 4097        /* default video window */
#define CONFIG_MIXER_STREAMS 4098 /* input streams of the mixing renderers, 1..15 */

/* Renderer kinds (CONFIG_RENDERER) */
enum {
    RENDERER_VMR7_WINDOW = 1,
    RENDERER_VMR9_WINDOW = 2,
    RENDERER_VMR7_WINDOWLESS = 3,
    RENDERER_VMR9_WINDOWLESS = 4,
    RENDERER_EVR = 5,
    RENDERER_NULL = 6,
    RENDERER_OWN = 7,
};

/* Time units of the position and length functions; any other code means 100-ns units
 * for length and seeking, and gives 0.0 for the position. */
#define POS_SECONDS 0
#define POS_MILLISECONDS 2
#define POS_REFTIME 3

/* Lumex_ChannelSetAttribute codes */
#define ATTRIB_VOLUME 1      /* percent, 0..100 */
#define ATTRIB_BALANCE 2     /* percent, -100 (left) .. 100 (right) */
#define ATTRIB_RATE 3        /* playback rate, 1.0 normal */
#define ATTRIB_STEREO_MODE 5 /* STEREO_*; resets the view mode to 0 */
#define ATTRIB_RESERVED_FLAG 6
#define ATTRIB_VIEW_MODE 7 /* VIEW_*; keeps the stereo mode */
#define ATTRIB_GREY_MIX 8  /* 1 = second-view channels become the pixel's grey level */
/* Added beside the original codes; each is 0 (off) until set, and stays across stereo and
 * view mode changes. */
#define ATTRIB_SWAP_EYES 9           /* 1 = the first and second view change places */
#define ATTRIB_ANAGLYPH_OPTIMISED 10 /* 1 = colour-optimised anaglyphs (no grey mix) */
#define ATTRIB_KEEP_SHAPE 11         /* 1 = the picture at its display shape with black bars */

/* Stereo modes: how the source frame holds its views */
enum {
    STEREO_FULL_FRAME = 0,
    STEREO_SIDE_BY_SIDE = 1,
    STEREO_TOP_BOTTOM = 2,
    STEREO_TB_TO_SBS = 3,
    STEREO_SBS_TO_TB = 4,
    STEREO_FLAT = 5,
};

/* View modes: what is shown of the views */
enum {
    VIEW_BLUE_YELLOW = 0,
    VIEW_RED_CYAN = 1,
    VIEW_GREEN_MAGENTA = 2,
    VIEW_FIRST = 3,
    VIEW_SECOND = 4,
    VIEW_WHOLE_FRAME = 5,
};

/* Lumex_CaptureGetDevices kinds */
#define DEVICE_AUDIO 65638
#define DEVICE_VIDEO 65664

/* Lumex_StreamCreateFile flags: the path is UTF-16 when set, UTF-8 otherwise. */
#define STREAM_UNICODE 0x80000000u

/* Lumex_CheckVideo results */
enum {
    CHECK_PLAYABLE = 0,
    CHECK_UNPLAYABLE = 1,
    CHECK_VIDEO_NOT_RENDERED = 4130,
    CHECK_AUDIO_NOT_RENDERED = 8209,
    CHECK_FAILED = 666,
};

/* Picture information of a channel. */
typedef struct CHANNELINFO {
    float frameRate;       /* frames per second */
    int32_t height;        /* pixels */
    int32_t width;         /* pixels */
    int32_t channels;      /* of the sound played; 0 without sound */
    int32_t sampleRate;    /* samples per second; 0 without sound */
    int32_t bitsPerSample; /* per sample; 0 without sound */
    int32_t reserved;      /* always 0 */
} CHANNELINFO;

/* One stream of a channel; name stays readable until the next stream query on it. */
typedef struct StreamInfo {
    int32_t type; /* 1 video, 2 audio, 3 other (subtitles), 0 unknown */
    char* name;
    int32_t index;
    int32_t enabled;
} StreamInfo;

/* Lumex_CheckVideo: the audio stream the platform cannot render. */
typedef struct AudioCheckInfo {
    GUID subtype;
    int32_t channels;
    int32_t sampleRate;
    int32_t formatTag;
} AudioCheckInfo;

/* Lumex_CheckVideo: the video stream the platform cannot render. */
typedef struct VideoCheckInfo {
    GUID subtype;
    int32_t width;
    int32_t height; /* negative for top-down pictures */
    uint32_t compression;
} VideoCheckInfo;

/* How a file's two views lie in its frames, found when it opens. The first source that says
 * something wins: the video stream's frame-packing message (read from its first key frame),
 * the container's stereo mode, a marker in the file name. Without one the layout is
 * LAYOUT_UNKNOWN from LAYOUT_FROM_NOTHING, never a guess from the picture's shape; a signal
 * naming a layout the engine cannot show (frame sequence, lines, columns, checkerboard) gives
 * LAYOUT_UNKNOWN from its source. */
enum {
    LAYOUT_UNKNOWN = 0,
    LAYOUT_2D = 1,
    LAYOUT_SIDE_BY_SIDE = 2,
    LAYOUT_TOP_BOTTOM = 3,
};
enum {
    LAYOUT_FROM_NOTHING = 0,
    LAYOUT_FROM_STREAM = 1,
    LAYOUT_FROM_CONTAINER = 2,
    LAYOUT_FROM_NAME = 3,
};
typedef struct {
    int32_t layout;     /* LAYOUT_* */
    int32_t rightFirst; /* 1 when the left or top view is the right eye */
    int32_t halfPacked; /* 1 when each view is squeezed to half the width (side by side) or
                         * height (top/bottom): from the name's marker where it says, else
                         * side by side below 2.5:1 and top/bottom from 1.2:1 up */
    int32_t source;     /* LAYOUT_FROM_* */
    int32_t aspectNum, aspectDen; /* the whole frame's display aspect, from its size and sample
                                   * aspect ratio; 0:0 without a picture */
} LUMEX_STEREO_LAYOUT;

typedef void(LUMEX_CALL* CAPTUREDEVICEPROC)(const char* name, GUID clsid, intptr_t user);
typedef void(LUMEX_CALL* DDRAWCALLBACK)(void* frame, uint32_t bytes, intptr_t, intptr_t, intptr_t);
typedef void(LUMEX_CALL* StreamEnumProc)(int32_t type, const char* name, int32_t index, int32_t enabled, intptr_t user);
typedef void(LUMEX_CALL* FilterEnumProc)(int32_t zero, const char* name, int32_t hasPages, int32_t zero2);

/* Library frame */
LUMEX_API int32_t LUMEX_CALL Lumex_Init(LUMEX_HWND window, int32_t reserved);
LUMEX_API int32_t LUMEX_CALL Lumex_Free(void);
LUMEX_API intptr_t LUMEX_CALL Lumex_SetConfig(int32_t option, intptr_t value);
LUMEX_API int32_t LUMEX_CALL Lumex_StreamFree(uint32_t channel);

/* Channels */
LUMEX_API uint32_t LUMEX_CALL Lumex_StreamCreateFile(const void* path, int32_t reserved, LUMEX_HWND window,
                                                     uint32_t flags);
/* 1 when out was filled (a capture channel is unknown, from nothing); 0 for a handle that is
 * not registered or a null out. */
LUMEX_API int32_t LUMEX_CALL Lumex_StreamGetStereoLayout(uint32_t channel, LUMEX_STEREO_LAYOUT* out);
LUMEX_API int32_t LUMEX_CALL Lumex_CaptureGetDevices(int32_t kind, CAPTUREDEVICEPROC proc, intptr_t user);
LUMEX_API uint32_t LUMEX_CALL Lumex_CaptureCreate(int32_t audio, int32_t video, int32_t r1, int32_t r2, int32_t r3);

/* Control and queries */
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelPlay(uint32_t ch);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelPause(uint32_t ch);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelStop(uint32_t ch);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelGetState(uint32_t ch);
LUMEX_API double LUMEX_CALL Lumex_ChannelGetLength(uint32_t ch, int32_t unit);
/* After an accepted seek the position reads the target until the first frame after it is
   shown, then runs on from there. */
LUMEX_API double LUMEX_CALL Lumex_ChannelGetPosition(uint32_t ch, int32_t unit);
/* Returns once what was on its way is flushed and the streams restart from the target: it
   does not wait for the decoders to reach it. While playing, the clock starts at the target
   once its picture and sound are ready; while paused, the target's frame is shown when it is
   ready. A seek made before an earlier one has reached its target replaces it: the earlier
   target's frames are never shown. */
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelSetPosition(uint32_t ch, double position, int32_t unit);
LUMEX_API void LUMEX_CALL Lumex_ChannelGetInfo(uint32_t ch, CHANNELINFO* info);
LUMEX_API void LUMEX_CALL Lumex_ChannelSetWindow(uint32_t ch, int32_t reserved, LUMEX_HWND window);
LUMEX_API void LUMEX_CALL Lumex_ChannelResizeWindow(uint32_t ch, int32_t reserved, int32_t l, int32_t t, int32_t r,
                                                    int32_t b);
/* Shows the current picture again: call it when the window was drawn over while paused. */
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelRepaint(uint32_t ch, int32_t reserved, LUMEX_HDC dc);
/* While paused, a new stereo, view or grey-mix setting shows on the paused frame at once. */
LUMEX_API void LUMEX_CALL Lumex_ChannelSetAttribute(uint32_t ch, int32_t code, float value);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelSetDDrawCallback(uint32_t ch, DDRAWCALLBACK cb, intptr_t reserved);
LUMEX_API int32_t LUMEX_CALL Lumex_Pointer2DDraw(const void* pixels, int32_t reserved, void* surface);

/* Streams and inspection */
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelStreamsCount(uint32_t ch);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelGetStream(uint32_t ch, int32_t index, StreamInfo* info);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelEnumerateStreams(uint32_t ch, StreamEnumProc proc, intptr_t user);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelEnableStream(uint32_t ch, int32_t index);
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelGetConnectedFilters(uint32_t ch, FilterEnumProc proc, intptr_t unused);
LUMEX_API void LUMEX_CALL Lumex_ShowFilterPropertyPage(uint32_t ch, int32_t index, LUMEX_HWND owner);

/* Media check */
LUMEX_API int32_t LUMEX_CALL Lumex_CheckVideo(const void* name, AudioCheckInfo* audio, VideoCheckInfo* video,
                                              int32_t form);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
static_assert(sizeof(CHANNELINFO) == 28, "CHANNELINFO is 28 bytes");
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
static_assert(sizeof(LUMEX_STEREO_LAYOUT) == 24, "LUMEX_STEREO_LAYOUT is 24 bytes");
#else
_Static_assert(sizeof(CHANNELINFO) == 28, "CHANNELINFO is 28 bytes");
_Static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
_Static_assert(sizeof(LUMEX_STEREO_LAYOUT) == 24, "LUMEX_STEREO_LAYOUT is 24 bytes");
#endif

#endif /* LUMEX_H */
