/* play_anaglyph: plays a side-by-side 3D file as a red/cyan anaglyph in a window of its
 * own, to the end, then frees everything.
 *
 *   play_anaglyph movie-sbs.mkv
 */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <xcb/xcb.h>

#include "Lumex.h"

/* A plain top-level window of the given size, mapped and on screen. */
static xcb_window_t open_window(xcb_connection_t* c, uint16_t width, uint16_t height) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t w = xcb_generate_id(c);
    uint32_t values[] = {screen->black_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, width, height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values);
    const char title[] = "Orvo anaglyph";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof title - 1, title);
    xcb_map_window(c, w);
    xcb_flush(c);
    return w;
}

static void sleep_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_window_t window = open_window(c, 960, 540);

    if (!Lumex_Init((LUMEX_HWND)window, 0)) {
        fprintf(stderr, "the engine could not start\n");
        return 1;
    }
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);

    /* A UTF-8 path (flags 0); pass STREAM_UNICODE for a UTF-16 one. */
    uint32_t channel = Lumex_StreamCreateFile(argv[1], 0, (LUMEX_HWND)window, 0);
    if (!channel) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        Lumex_Free();
        xcb_disconnect(c);
        return 1;
    }

    CHANNELINFO info;
    Lumex_ChannelGetInfo(channel, &info);
    double length = Lumex_ChannelGetLength(channel, POS_SECONDS);
    printf("%s: %dx%d at %.2f fps, %.1f s\n", argv[1], info.width, info.height, info.frameRate, length);

    /* Left/right halves become one red/cyan picture, stretched to the window. */
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_RED_CYAN);
    Lumex_ChannelSetAttribute(channel, ATTRIB_VOLUME, 80);
    Lumex_ChannelPlay(channel);

    /* The engine reports no end of stream: watch the position reach the length. */
    double last = -1;
    int still = 0;
    while (still < 20) {
        sleep_ms(100);
        double at = Lumex_ChannelGetPosition(channel, POS_MILLISECONDS) / 1000.0;
        still = at == last ? still + 1 : 0;
        last = at;
        if (length > 0 && at >= length) break;
        xcb_generic_event_t* event;
        while ((event = xcb_poll_for_event(c)) != NULL) {
            if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) still = 1000;
            free(event);
        }
        if (xcb_connection_has_error(c)) break;
    }

    Lumex_ChannelStop(channel);
    Lumex_StreamFree(channel);
    Lumex_Free();
    xcb_disconnect(c);
    return 0;
}
