/* The C interface seen from a C program that includes only Lumex.h. */
#include <stdio.h>

#include "Lumex.h"

static int failures = 0;

#define CHECK(expr, expected)                                                       \
    do {                                                                            \
        long long got_ = (long long)(expr);                                         \
        if (got_ != (long long)(expected)) {                                        \
            printf("FAILED: %s gave %lld, expected %lld\n", #expr, got_, (long long)(expected)); \
            ++failures;                                                             \
        }                                                                           \
    } while (0)

int main(void) {
    CHANNELINFO info;
    CHECK(sizeof(CHANNELINFO), 28);
    CHECK(sizeof(StreamInfo), 24);
    CHECK(Lumex_Free(), 0);
    CHECK(Lumex_Init(0, 0), 1);
    CHECK(Lumex_Init(0, 0), 1);
    CHECK(Lumex_SetConfig(4096, 9), 9);
    CHECK(Lumex_SetConfig(5, 123), 5);
    CHECK(Lumex_SetConfig(4098, -1), -1);
    CHECK(Lumex_StreamFree(0), 0);
    CHECK(Lumex_Free(), 1);
    CHECK(Lumex_Free(), 0);
    (void)info;
    printf("%d failed\n", failures);
    return failures ? 1 : 0;
}
