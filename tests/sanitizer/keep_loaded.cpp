// Preloaded into the sanitizer run's tests: dlclose keeps every library
// loaded, so a leak made inside one that EGL or GLX has already closed (Mesa's
// driver) is reported with its file name and can be suppressed, not as an
// unknown module.
extern "C" int dlclose(void*) {
    return 0;
}
