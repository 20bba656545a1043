// Entry of the Linux saver, emberhall: a hack for the XScreenSaver daemon and MATE's screen
// saver, or a window of its own. It wires the backend to the portable scene and runs it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "audio/audio_library.h"
#include "linux/common/linux_clock.h"
#include "linux/common/linux_data_files.h"
#include "linux/common/linux_time_names.h"
#include "linux/common/options.h"
#include "linux/common/stop_signals.h"
#include "linux/fonts/linux_system_fonts.h"
#include "linux/session/session_autostart.h"
#include "linux/session/xscreensaver_file.h"
#include "linux/sound/linux_audio.h"
#include "linux/wayland/wayland_saver.h"
#include "linux/x11/x11_saver.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"

namespace {
// This program's own file, so that an autostart entry runs it wherever it lies.
std::string programPath(const char* argv0) {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, std::size_t(length)) : std::string(argv0);
}
} // namespace

int main(int argc, char** argv) {
    // Before any thread starts: MATE's screen saver leaves XDG_RUNTIME_DIR out of the
    // environment, and without it the sound server is not found.
    prepareSoundEnvironment();
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "emberhall: %s; see emberhall --help\n", parsed.error.c_str());
        return 1;
    }
    const LinuxOptions& options = parsed.options;
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.addToXScreenSaver) {
        const char* home = std::getenv("HOME");
        return addToXScreenSaver(home ? home : "", std::cout, std::cerr);
    }
    if (options.addToSession || options.removeFromSession) {
        const std::string entry = idleAutostartPath(std::getenv);
        if (options.removeFromSession)
            return removeIdleAutostart(entry, std::cout, std::cerr);
        std::vector<std::string> command = {programPath(argv[0])};
        if (options.dataDirectory)
            command.insert(command.end(), {"--data-dir", *options.dataDirectory});
        return addIdleAutostart(entry, command, *options.addToSession, std::cout, std::cerr);
    }
    catchStopSignals();

    useDataFiles(linuxDataFiles(std::getenv, options.dataDirectory));
    useTimeNames(linuxTimeNames());
    useSystemFonts(linuxSystemFonts(std::getenv));
    audioUsePlatform(linuxAudioPlatform());

    // The file's settings, with this run's options over them.
    loadSettings(settingsFileName);
    const Settings settings = withOptions(currentSettings(), options);

    LinuxClock clock;
    int code = 0;
    if (options.overlay || options.idleMilliseconds) {
        const char* display = std::getenv("WAYLAND_DISPLAY");
        const SharedPlaces places = sharedPlaces(std::getenv, display ? display : "wayland-0");
        code = options.idleMilliseconds
                   ? runWaylandIdle(*options.idleMilliseconds, settings, places, clock)
                   : runWaylandOverlay(settings, places, clock);
    } else {
        const char* display = std::getenv("DISPLAY");
        code = runX11Saver(planWindow(options, std::getenv("XSCREENSAVER_WINDOW")), settings,
                           sharedPlaces(std::getenv, display ? display : ""), clock);
    }
    // The sound has stopped with the scene; the device is closed before the process ends.
    audioFree();
    return code;
}
