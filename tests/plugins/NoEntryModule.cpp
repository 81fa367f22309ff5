// A shared object that loads but exports no DllGetClassObject.
extern "C" __attribute__((visibility("default"))) int NotAPlugin() { return 1; }
