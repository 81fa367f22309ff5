// ThreadSanitizer, in test programs that decode: FFmpeg's frame threads hand frames over through
// atomics in the uninstrumented libavcodec, so TSan sees the frees of their buffers on the
// caller's thread as races with the allocations on FFmpeg's threads. Only FFmpeg's own frames
// are left out; races in this tree's code are still reported.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libavutil.so\n"
           "race:libavcodec.so\n";
}
