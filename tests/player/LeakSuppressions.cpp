#include "LeakSuppressions.h"

extern "C" const char* __lsan_default_suppressions() { return kLeakSuppressions; }
