/* Built by the install test against an installed tree alone (its header and pkg-config
 * file): plays the start of a side-by-side clip as a red/cyan anaglyph in a window of its
 * own, reads the window back and prints what it shows. Exit status 0 when a picture reached
 * the window.
 *
 *   play_installed CLIP
 */
#define _POSIX_C_SOURCE 200809L /* nanosleep */
#include <Lumex.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <xcb/xcb.h>

enum { kWidth = 320, kHeight = 180 };

static void sleep_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

/* How many of the window's pixels are lit, and how many distinct grey levels they have:
 * a played clip shows a varied picture, a window the engine never drew into stays black. */
static int read_back(xcb_connection_t* c, xcb_window_t w, int* lit, int* levels) {
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, kWidth, kHeight, ~0u), NULL);
    if (!image || xcb_get_image_data_length(image) < kWidth * kHeight * 4) {
        free(image);
        return 0;
    }
    const uint8_t* p = xcb_get_image_data(image);
    char seen[766] = {0};
    *lit = *levels = 0;
    for (int i = 0; i < kWidth * kHeight; ++i, p += 4) {
        const int sum = p[0] + p[1] + p[2];
        *lit += sum > 30;
        *levels += !seen[sum];
        seen[sum] = 1;
    }
    free(image);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s CLIP\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t window = xcb_generate_id(c);
    uint32_t values[] = {screen->black_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, kWidth, kHeight, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(c, window);
    /* A round trip: the window is mapped before the engine draws into it. */
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL));

    int status = 1;
    if (!Lumex_Init((LUMEX_HWND)window, 0)) {
        fprintf(stderr, "the engine could not start\n");
    } else {
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
        uint32_t channel = Lumex_StreamCreateFile(argv[1], 0, (LUMEX_HWND)window, 0);
        if (!channel) {
            fprintf(stderr, "cannot open %s\n", argv[1]);
        } else {
            Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
            Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_RED_CYAN);
            Lumex_ChannelSetAttribute(channel, ATTRIB_VOLUME, 0);
            Lumex_ChannelPlay(channel);
            for (int waited = 0; waited < 15000; waited += 50) {
                if (Lumex_ChannelGetPosition(channel, POS_MILLISECONDS) >= 1000) break;
                sleep_ms(50);
            }
            const double at = Lumex_ChannelGetPosition(channel, POS_MILLISECONDS);
            int lit = 0, levels = 0;
            if (read_back(c, window, &lit, &levels)) {
                printf("played %.0f ms; %d of %d pixels lit in %d grey levels\n", at, lit, kWidth * kHeight, levels);
                status = at >= 1000 && lit > kWidth * kHeight / 2 && levels > 32 ? 0 : 1;
            }
            Lumex_ChannelStop(channel);
            Lumex_StreamFree(channel);
        }
        Lumex_Free();
    }
    xcb_disconnect(c);
    return status;
}
