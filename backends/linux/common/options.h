#pragma once
// The command line of the Linux saver. Screen-saver hosts and users call it the way XScreenSaver
// hacks are called: options with one dash or two ("-root", "--window-id 0x3a00007"), each
// option a word of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

struct LinuxOptions {
    bool help = false;
    bool addToXScreenSaver = false;
    bool overlay = false;                      // --overlay: cover every Wayland output now
    std::optional<uint32_t> idleMilliseconds;  // --idle TIME: cover them when the session idles
    std::optional<uint32_t> addToSession;      // --add-to-session TIME: --idle TIME at each login
    bool removeFromSession = false;            // --remove-from-session
    std::optional<unsigned long> windowId; // --window-id: draw into that window
    bool root = false;                     // --root: draw into the root window
    bool fullscreen = false;               // --fullscreen: our own window, full screen
    std::optional<FireColor> color; // none: no colour flag on (the fire stays black)
    std::optional<bool> sound;
    std::optional<bool> music;
    std::optional<bool> sparks;
    std::optional<std::string> dataDirectory; // --data-dir: data files of a source checkout
};

struct ParsedOptions {
    LinuxOptions options;
    std::string error; // empty when the command line was understood
};

// Reads the words after the program name.
ParsedOptions parseOptions(const std::vector<std::string>& arguments);

// A time of inactivity: whole minutes ("5", "5m") or seconds ("30s"), from a second to a day;
// in milliseconds. Nothing for anything else.
std::optional<uint32_t> parseIdleTime(const std::string& text);
// The same time as parseIdleTime reads it back: "5" for five minutes, "30s" otherwise.
std::string idleTimeText(uint32_t milliseconds);

// A window id as hosts write it: hexadecimal with 0x, or decimal. Nothing for anything else,
// or for 0 (no window has it).
std::optional<unsigned long> parseWindowId(const std::string& text);

// The settings of the file with this run's options laid over them; a colour option leaves
// exactly its own colour flag on, as the settings dialog does.
Settings withOptions(Settings settings, const LinuxOptions& options);

// The options that make a run show exactly these settings whatever the settings file holds, after
// the option that says where: a full-screen run of the settings window's preview (--fullscreen,
// or --overlay on a Wayland desktop).
std::vector<std::string> optionsShowing(const Settings& settings,
                                        const std::string& where = "--fullscreen");

// Where the picture goes: the first that applies of --window-id, $XSCREENSAVER_WINDOW (set by
// the XScreenSaver daemon and by MATE's screen saver), --root, else a window of our own.
struct WindowPlan {
    enum class Kind { given, root, own };
    Kind kind = Kind::own;
    unsigned long window = 0; // for `given`
    bool fullscreen = false;  // for `own`
};
WindowPlan planWindow(const LinuxOptions& options, const char* xscreensaverWindow);

// The text of --help.
std::string usageText();
