#include "linux/common/options.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {
// "-root" and "--root" are the same option.
std::string optionName(const std::string& word) {
    if (word.rfind("--", 0) == 0)
        return word.substr(2);
    if (word.rfind("-", 0) == 0)
        return word.substr(1);
    return {};
}

// The words of --color.
constexpr std::pair<const char*, FireColor> colorWords[] = {{"standard", FireColor::standard},
                                                              {"yellow", FireColor::yellow},
                                                              {"cycle", FireColor::cycle},
                                                              {"none", FireColor::none}};

std::optional<FireColor> parseColor(const std::string& text) {
    for (const auto& [word, color] : colorWords) {
        if (text == word)
            return color;
    }
    return std::nullopt;
}

const char* colorWord(FireColor color) {
    for (const auto& [word, option] : colorWords) {
        if (option == color)
            return word;
    }
    return "none";
}
} // namespace

std::optional<uint32_t> parseIdleTime(const std::string& text) {
    constexpr unsigned long longest = 24 * 60 * 60; // seconds
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    const std::string unit = text.substr(digits);
    if (digits == 0 || digits > 6 || !(unit.empty() || unit == "m" || unit == "s"))
        return std::nullopt;
    const unsigned long seconds = std::stoul(text.substr(0, digits)) * (unit == "s" ? 1 : 60);
    if (seconds == 0 || seconds > longest)
        return std::nullopt;
    return uint32_t(seconds * 1000);
}

std::string idleTimeText(uint32_t milliseconds) {
    const uint32_t seconds = milliseconds / 1000;
    return seconds % 60 == 0 ? std::to_string(seconds / 60) : std::to_string(seconds) + "s";
}

std::optional<unsigned long> parseWindowId(const std::string& text) {
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (*digits == '\0')
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value == 0)
        return std::nullopt;
    return value;
}

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    LinuxOptions& o = parsed.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const std::string name = optionName(word);
        // The options that take a value take the next word.
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (name == "help" || name == "h") {
            o.help = true;
        } else if (name == "add-to-xscreensaver") {
            o.addToXScreenSaver = true;
        } else if (name == "window-id") {
            const auto text = value();
            if (!text) {
                parsed.error = "--window-id needs a window id, such as 0x3a00007";
                return parsed;
            }
            o.windowId = parseWindowId(*text);
            if (!o.windowId) {
                parsed.error = "'" + *text + "' is no window id (give it in hexadecimal, 0x..., or decimal)";
                return parsed;
            }
        } else if (name == "overlay") {
            o.overlay = true;
        } else if (name == "idle" || name == "add-to-session") {
            const auto text = value();
            const auto time = text ? parseIdleTime(*text) : std::nullopt;
            if (!time) {
                parsed.error = "--" + name + " takes a time without input: minutes (5) or seconds (30s), up to a day";
                return parsed;
            }
            (name == "idle" ? o.idleMilliseconds : o.addToSession) = time;
        } else if (name == "remove-from-session") {
            o.removeFromSession = true;
        } else if (name == "root") {
            o.root = true;
        } else if (name == "fullscreen") {
            o.fullscreen = true;
        } else if (name == "color") {
            const auto text = value();
            o.color = text ? parseColor(*text) : std::nullopt;
            if (!o.color) {
                parsed.error = "--color takes standard, yellow, cycle or none";
                return parsed;
            }
        } else if (name == "sound" || name == "no-sound") {
            o.sound = name == "sound";
        } else if (name == "music" || name == "no-music") {
            o.music = name == "music";
        } else if (name == "sparks" || name == "no-sparks") {
            o.sparks = name == "sparks";
        } else if (name == "data-dir") {
            const auto text = value();
            if (!text || text->empty()) {
                parsed.error = "--data-dir needs a directory";
                return parsed;
            }
            o.dataDirectory = *text;
        } else {
            parsed.error = "unknown option '" + word + "'";
            return parsed;
        }
    }
    return parsed;
}

Settings withOptions(Settings settings, const LinuxOptions& options) {
    if (options.color) { // none leaves all three off
        settings.standardColor = *options.color == FireColor::standard ? 1 : 0;
        settings.yellowColor = *options.color == FireColor::yellow ? 1 : 0;
        settings.cycleColors = *options.color == FireColor::cycle ? 1 : 0;
    }
    if (options.sound)
        settings.soundEffects = *options.sound ? 1 : 0;
    if (options.music)
        settings.musicPlaylist = *options.music ? 1 : 0;
    if (options.sparks)
        settings.randomSparks = *options.sparks ? 1 : 0;
    return settings;
}

std::vector<std::string> optionsShowing(const Settings& settings, const std::string& where) {
    // Only a flag of exactly 1 is on; 02 or FF shows as off in the saver, and so here.
    auto onOrOff = [](int32_t flag, const std::string& name) {
        return isOn(flag) ? "--" + name : "--no-" + name;
    };
    return {where,
            "--color",
            colorWord(fireColorOf(settings)),
            onOrOff(settings.soundEffects, "sound"),
            onOrOff(settings.musicPlaylist, "music"),
            onOrOff(settings.randomSparks, "sparks")};
}

WindowPlan planWindow(const LinuxOptions& options, const char* xscreensaverWindow) {
    WindowPlan plan;
    if (options.windowId) {
        plan.kind = WindowPlan::Kind::given;
        plan.window = *options.windowId;
    } else if (const auto fromHost = parseWindowId(xscreensaverWindow ? xscreensaverWindow : "")) {
        plan.kind = WindowPlan::Kind::given;
        plan.window = *fromHost;
    } else if (options.root) {
        plan.kind = WindowPlan::Kind::root;
    } else {
        plan.fullscreen = options.fullscreen;
    }
    return plan;
}

std::string usageText() {
    return R"(Usage: emberhall [OPTION]...
A fire screen saver: a palette fire rising from the bottom of the screen, short messages in
glowing letters that burst into falling sparks, a crackling fire sound and your own music.

Where it draws (the first that applies):
  --window-id ID         into the window ID (hexadecimal 0x... or decimal), as a
                         screen-saver host's preview asks
                         into $XSCREENSAVER_WINDOW, when the screen-saver host sets it
  --root                 into the root window
                         otherwise into a window of its own, 1024 x 768, which F11
                         turns full screen; Escape or closing the window ends it, and
                         so does the mouse while it is full screen
  --fullscreen           its own window, full screen from the start

On a Wayland desktop (sway, Hyprland, KDE Plasma, labwc, Wayfire, GNOME):
  --overlay              cover every screen now, above all windows, until the mouse
                         moves, its left or right button or Escape is pressed, or the
                         screen is touched
  --idle TIME            wait until nobody has touched the mouse or keyboard for TIME
                         (minutes, 5, or seconds, 30s), then cover the screens as
                         --overlay does; after the user is back, wait again
  --add-to-session TIME  start --idle TIME with every login (an autostart entry in
                         ~/.config/autostart); --remove-from-session takes it away

What it shows and plays (over the settings in ~/.config/emberhall/emberhall.dat):
  --color standard|yellow|cycle|none
                         red-yellow fire, yellow-white fire, a slow swing between them,
                         or no colour at all (black fire under the messages)
  --sound, --no-sound    the crackling fire sound
  --music, --no-music    the playlist in ~/.config/emberhall/fire_data/pls.txt
  --sparks, --no-sparks  now and then a burst of sparks

  --data-dir DIR         look for the glyph sheet, messages and sounds in DIR too
                         (fire_fonts/font.tga, fire_data/...), e.g. data/ of a checkout
  --add-to-xscreensaver  list Emberhall in ~/.xscreensaver, so XScreenSaver offers it
  --help                 show this text

Every option may be written with one dash as well (-root, -window-id ID).
)";
}
