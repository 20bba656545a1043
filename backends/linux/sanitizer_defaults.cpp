// Built into the program only by the sanitizer presets. libpulse, which SDL loads for the sound,
// keeps one small allocation of its own (88 bytes from pa_xmalloc) after the device is closed and
// the audio subsystem shut down; it is the library's, and LeakSanitizer would fail every run
// that played sound on account of it. fontconfig, loaded for characters the glyph sheet lacks,
// keeps its configuration to the end of the process (the store of those characters is never
// destroyed), and a live configuration holds a pattern whose elements it reaches by offset, not
// by pointer: LeakSanitizer counts them lost (288 bytes). The suppressions are compiled in rather
// than passed through LSAN_OPTIONS because the screen-saver daemons strip the environment of the
// programs they run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpulse.so\nleak:libfontconfig.so\n";
}
