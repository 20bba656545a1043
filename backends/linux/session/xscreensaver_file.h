#pragma once
// emberhall --add-to-xscreensaver: XScreenSaver lists a screen saver only when the `programs:`
// resource of the user's ~/.xscreensaver names it (the system's list is a file a package must
// not edit, and the user's resource replaces it whole). This adds Emberhall's entry to that
// resource, once, and leaves every other byte of the file as it was.
//
// - The entry is `emberhall`: the daemon finds it in its hack folder, /usr/libexec/xscreensaver,
//   and hands it its window through XSCREENSAVER_WINDOW.
// - It goes at the end of the list, because the settings program remembers a chosen screen
//   saver by its position in the list (`selected:`): an entry put anywhere else would move
//   the user's choice to another one.
// - A file without a `programs:` resource gets one appended: the system's list (from
//   XScreenSaver's app-defaults file) with Emberhall at its end. A resource holding Emberhall
//   alone would hide every other screen saver.
// - No ~/.xscreensaver yet (XScreenSaver writes one only when a setting is first changed): it
//   is created the same way, with the system's list and Emberhall, so nothing is hidden and the
//   other settings keep their system defaults. Without a readable system list nothing is
//   written and the message says what to do.
// - The file is replaced atomically (a temporary file beside it, same mode, renamed over it);
//   a symbolic link is followed and the file it points to is replaced, so the link stays.
#include <iosfwd>
#include <string>

// Where Debian's xscreensaver-data keeps the daemon's default resources, the programs among them.
constexpr const char* xscreensaverSystemDefaults = "/etc/X11/app-defaults/XScreenSaver";

// Adds Emberhall to ~/.xscreensaver under homeDirectory and says what it did on `out` in one
// or two lines naming the file, or why it could not on `err`. Returns the exit code: 0 when
// Emberhall is listed afterwards (added now, or already there), 1 when the file was left alone.
int addToXScreenSaver(const std::string& homeDirectory, std::ostream& out, std::ostream& err);
// The same with another system defaults file (for tests).
int addToXScreenSaver(const std::string& homeDirectory, const std::string& systemDefaults,
                      std::ostream& out, std::ostream& err);

// The editing itself, on the file's text.
enum class ProgramsEdit {
    added,              // `text` now lists Emberhall at the end of its last programs resource
    alreadyListed,      // some entry of it runs emberhall already (enabled or not); unchanged
    noProgramsResource, // there is none; unchanged
};
ProgramsEdit addEmberhallToPrograms(std::string& text);

// The programs resource of an app-defaults file (`*programs:`), as the lines a ~/.xscreensaver
// would hold (`programs:`); empty when it has none.
std::string programsFromSystemDefaults(const std::string& defaults);
