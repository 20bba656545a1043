#include "linux/settings_window/gtk_settings_window.h"

#include <gdk/gdkwayland.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "linux/common/atomic_file.h"
#include "linux/common/linux_data_files.h"
#include "linux/common/options.h"
#include "linux/common/xdg_directories.h"
#include "linux/session/session_autostart.h"
#include "linux/settings_window/user_files.h"
#include "linux/wayland/gnome_idle_monitor.h"
#include "linux/wayland/wayland_display.h"
#include "seams/data_files.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "settings/settings_choices.h"
#include "text/message_rows.h"
#include "text/text_decoding.h"

namespace {
constexpr const char* windowTitle = "Emberhall Settings";
constexpr const char* iconName = "preferences-desktop-screensaver";
constexpr int spacing = 12;

// The colour radio buttons, in the order of the choices.
struct ColorRow {
    const char* label;
    int choice;
    FireColor color;
};
constexpr ColorRow colorRows[] = {{"_Standard", standardChoice, FireColor::standard},
                                  {"_Yellow", yellowChoice, FireColor::yellow},
                                  {"Cycle Co_lors", cycleChoice, FireColor::cycle}};

// One check box a row. An option of the window's own (one that only some desktops need) is one
// more row in this section.
struct EffectRow {
    const char* label;
    Effect effect;
    bool SettingsMarks::*mark;
};
constexpr EffectRow effectRows[] = {
    {"Play Sound _Effects", Effect::soundEffects, &SettingsMarks::soundEffects},
    {"Play M_usic Playlist", Effect::musicPlaylist, &SettingsMarks::musicPlaylist},
    {"_Random Sparks", Effect::randomSparks, &SettingsMarks::randomSparks}};

// The files users write themselves.
struct EditableFile {
    const char* button;
    const char* name;
    const char* what;  // for messages: "your own copy of the ..."
    const char* holds; // what it holds, before where it is
};
constexpr EditableFile editableFiles[] = {
    {"Edit _Messages…", messageScriptFileName, "messages",
     "Or place them by hand in your text editor:"},
    {"Edit _Playlist…", playlistFileName, "playlist",
     "Your music: MP3, WAV or FLAC files, one full path to a line, played in order."}};
const EditableFile& messageFile = editableFiles[0];
const EditableFile& playlistFile = editableFiles[1];

// On a Wayland desktop: what the compositor offers the saver, asked on GTK's own connection; and
// whether the saver can learn when the session is idle, from the compositor or from GNOME.
struct Desktop {
    bool wayland = false;
    WaylandDesktop offers;
    bool idleNotice = false;
};

// Asked once, when first needed: the desktop does not change under a running window.
const Desktop& desktop() {
    static const Desktop asked = [] {
        Desktop d;
        GdkDisplay* display = gdk_display_get_default();
        if (!GDK_IS_WAYLAND_DISPLAY(display))
            return d;
        d.wayland = true;
        d.offers = waylandDesktopOf(gdk_wayland_display_get_wl_display(display));
        d.idleNotice = d.offers.idleNotice || gnomeIdleMonitorAvailable();
        return d;
    }();
    return asked;
}

// GNOME blanks (and may lock) the screen after org.gnome.desktop.session idle-delay seconds
// without input; 0 means never, and so does a desktop without GNOME's settings.
uint32_t gnomeBlankSeconds() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.session", TRUE)
               : nullptr;
    if (!schema)
        return 0;
    const bool hasKey = g_settings_schema_has_key(schema, "idle-delay");
    g_settings_schema_unref(schema);
    if (!hasKey)
        return 0;
    GSettings* session = g_settings_new("org.gnome.desktop.session");
    const uint32_t seconds = g_settings_get_uint(session, "idle-delay");
    g_object_unref(session);
    return seconds;
}

// The idle row: whether the saver starts with the session, and after how long. The entry found
// when the window opened is kept as it is unless the user changes the row: the window shows
// whole minutes and no command line, and an entry may hold thirty seconds or --data-dir.
struct IdleChoice {
    GtkWidget* check = nullptr;
    GtkWidget* minutes = nullptr;
    GtkWidget* blankNote = nullptr; // on GNOME: when its blank screen would come first
    uint32_t blankSeconds = 0;
    std::optional<IdleAutostart> found;
    bool shownChecked = false;
    int shownMinutes = 0;
};
IdleChoice idleChoice;

std::string userFilePath(const char* name) {
    const std::string directory = userDataDirectory(std::getenv);
    return directory.empty() ? std::string() : directory + "/" + name;
}

// The path as users write it, with ~ for their home.
std::string shortPath(const std::string& path) {
    const char* home = std::getenv("HOME");
    const std::string prefix = home ? std::string(home) + "/" : std::string();
    if (!prefix.empty() && prefix != "/" && path.rfind(prefix, 0) == 0)
        return "~/" + path.substr(prefix.size());
    return path;
}

// A message over the window. A warning goes to stderr as well, for whoever started the program
// from a terminal (or a log).
void tell(GtkWidget* window, GtkMessageType type, const char* title, const std::string& text) {
    if (type == GTK_MESSAGE_WARNING)
        std::fprintf(stderr, "emberhall-settings: %s\n", text.c_str());
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(window), GTK_DIALOG_MODAL, type,
                                            GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), title);
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

void warn(GtkWidget* window, const std::string& text) {
    tell(window, GTK_MESSAGE_WARNING, windowTitle, text);
}

// A program started for the user (the text editor's opener, the preview): its failure to start,
// or its ending with an error, is told with `failure` leading.
struct StartedProgram {
    GtkWidget* window;
    std::string name;
    std::string failure;
};

void onProgramEnded(GPid pid, gint status, gpointer data) {
    const auto* program = static_cast<StartedProgram*>(data);
    g_spawn_close_pid(pid);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string how = WIFEXITED(status)
                                    ? "ended with code " + std::to_string(WEXITSTATUS(status))
                                    : "was stopped by signal " + std::to_string(WTERMSIG(status));
        warn(program->window, program->failure + ": " + program->name + " " + how + ".");
    }
    delete program;
}

void start(GtkWidget* window, const std::vector<std::string>& words, const std::string& failure) {
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    GPid pid = 0;
    GError* error = nullptr;
    const auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD);
    if (!g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, &pid, &error)) {
        warn(window, failure + ": " + error->message + ".");
        g_error_free(error);
        return;
    }
    g_child_watch_add(pid, onProgramEnded, new StartedProgram{window, words.front(), failure});
}

// The saver beside this program (both are in /usr/bin, or in a build tree), else on the PATH.
std::string saverProgram() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string beside = (self.parent_path() / "emberhall").string();
        if (access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    gchar* found = g_find_program_in_path("emberhall");
    std::string path = found ? found : "";
    g_free(found);
    return path;
}

void onColorClicked(GtkToggleButton* radio, gpointer choice) {
    // A radio button that a click elsewhere turns off reports a click too.
    if (gtk_toggle_button_get_active(radio))
        chooseColor(GPOINTER_TO_INT(choice));
}

void onEffectToggled(GtkToggleButton* box, gpointer row) {
    takeCheckState(static_cast<const EffectRow*>(row)->effect, gtk_toggle_button_get_active(box));
}

void onEdit(GtkWidget* button, gpointer data) {
    const auto* file = static_cast<const EditableFile*>(data);
    GtkWidget* window = gtk_widget_get_toplevel(button);
    const UserCopy copy = userCopyOf(userDataDirectory(std::getenv), dataFiles(), file->name);
    if (!copy.reason.empty()) {
        warn(window, std::string("Your own copy of the ") + file->what + ", " + copy.path +
                         ", could not be made: " + copy.reason + ".");
        return;
    }
    // The desktop's own choice of program for a text file.
    start(window, {"xdg-open", copy.path}, "Could not open " + copy.path + " in your text editor");
}

void onPreview(GtkWidget* button, gpointer) {
    GtkWidget* window = gtk_widget_get_toplevel(button);
    const std::string saver = saverProgram();
    if (saver.empty()) {
        warn(window, "Could not show the preview: the saver, emberhall, is neither beside this "
                     "program nor on the PATH.");
        return;
    }
    // The flags as the window shows them, saved or not; the full-screen saver ends when the
    // mouse moves. On a Wayland desktop it covers the screens as it will when idle.
    std::vector<std::string> words = optionsShowing(
        currentSettings(), desktop().offers.coversScreens() ? "--overlay" : "--fullscreen");
    words.insert(words.begin(), saver);
    start(window, words, "Could not show the preview");
}

void onAbout(GtkWidget* button, gpointer) {
    tell(gtk_widget_get_toplevel(button), GTK_MESSAGE_INFO, aboutCaption, aboutText);
}

// The Messages part: a row for each message, its sentence and the seconds it stands, in the
// order the saver shows them. The rows are read from the script in use and written, on OK, to
// the user's own copy of it, and only when they changed.
constexpr std::size_t longestScript = 32 * 1024; // bytes; the shipped script has about 300
constexpr std::size_t mostMessages = 500;        // rows; more make a slow window
constexpr int listHeight = 180;                  // pixels: three rows and a half
constexpr int rowGap = 6;

struct MessageRowWidgets {
    GtkWidget* row;
    GtkWidget* text; // a GtkTextView
    GtkWidget* seconds;
    GtkWidget* up;
    GtkWidget* down;
};

struct MessageList {
    GtkWidget* scrolled = nullptr;
    GtkWidget* list = nullptr;
    GtkWidget* problem = nullptr; // why there are no rows, when the script cannot be shown
    GtkWidget* add = nullptr;
    std::vector<MessageRowWidgets> rows;
    bool editable = false;
    std::string script;            // the script the rows came from
    std::vector<MessageRow> shown; // the rows as they were first shown
};
MessageList messageList;

using GText = std::unique_ptr<gchar, decltype(&g_free)>;

struct ScriptText {
    std::string text;    // UTF-8, without a byte-order mark
    std::string problem; // why the list cannot show it; empty when it can
};

// The script at `path`; a missing file is an empty script. A byte that is not UTF-8 is read as
// the saver reads it, so the rows show what the screen shows.
ScriptText readScript(const std::string& path) {
    ScriptText script;
    std::error_code ignored;
    if (path.empty() || !std::filesystem::exists(path, ignored))
        return script;
    errno = 0;
    const UniqueFile file = openDataFile(path.c_str(), "rb");
    if (!file) {
        script.problem = !isRegularFile(path.c_str())
                             ? std::string("it is not a regular file")
                             : std::string("it cannot be opened: ") + std::strerror(errno);
        return script;
    }
    std::string bytes(longestScript + 1, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (std::ferror(file.get()))
        script.problem = std::string("it cannot be read: ") + std::strerror(errno);
    else if (bytes.size() > longestScript)
        script.problem = "it is longer than " + std::to_string(longestScript / 1024) + " KiB";
    if (bytes.starts_with(byteOrderMark))
        bytes.erase(0, byteOrderMark.size());
    script.text = encodeUtf8(decodeText(bytes));
    return script;
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// Whether saving the rows unchanged gives the script back. It does not when the script holds
// something that is not a text and three numbers (the rows stop there), or two messages alike
// in different places (both take the first's): saving such rows would lose part of the file.
bool rowsKeepScript(const std::vector<MessageRow>& rows, const std::string& script) {
    return wordsOf(scriptFromRows(rows, script)) == wordsOf(script);
}

std::size_t rowIndexOf(GtkWidget* widget) {
    const auto& rows = messageList.rows;
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const MessageRowWidgets& r) {
        return gtk_widget_is_ancestor(widget, r.row);
    });
    return std::size_t(found - rows.begin());
}

// Greys an arrow that cannot move its row. One that has the focus first hands it to the other
// arrow, or to the text, so that the keys stay in the row.
void setArrow(GtkWidget* arrow, bool can, GtkWidget* other, GtkWidget* text) {
    if (!can && gtk_widget_has_focus(arrow))
        gtk_widget_grab_focus(gtk_widget_get_sensitive(other) ? other : text);
    gtk_widget_set_sensitive(arrow, can);
}

void updateArrows() {
    const std::size_t count = messageList.rows.size();
    for (std::size_t i = 0; i < count; ++i) {
        const MessageRowWidgets& r = messageList.rows[i];
        const bool up = i > 0, down = i + 1 < count;
        // The arrow that stays on first, so that the other can hand it the focus.
        if (up) {
            setArrow(r.up, up, r.down, r.text);
            setArrow(r.down, down, r.up, r.text);
        } else {
            setArrow(r.down, down, r.up, r.text);
            setArrow(r.up, up, r.down, r.text);
        }
    }
}

// Scrolls the list to a row that was added or moved, once it has its place.
void onRowPlaced(GtkWidget* row, GdkRectangle* place, gpointer) {
    g_signal_handlers_disconnect_by_func(row, gpointer(onRowPlaced), nullptr);
    GtkAdjustment* scroll =
        gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(messageList.scrolled));
    gtk_adjustment_clamp_page(scroll, place->y - rowGap, place->y + place->height + rowGap);
}

void showWhenPlaced(GtkWidget* row) {
    g_signal_connect(row, "size-allocate", G_CALLBACK(onRowPlaced), nullptr);
}

void onMoveRow(GtkWidget* button, gpointer step) {
    auto& rows = messageList.rows;
    const std::size_t from = rowIndexOf(button);
    const std::size_t to = from + std::size_t(GPOINTER_TO_INT(step)); // 0 - 1 wraps: no row
    if (from >= rows.size() || to >= rows.size())
        return;
    std::swap(rows[from], rows[to]);
    gtk_box_reorder_child(GTK_BOX(messageList.list), rows[to].row, int(to));
    updateArrows();
    showWhenPlaced(rows[to].row);
}

void onRemoveRow(GtkWidget* button, gpointer) {
    auto& rows = messageList.rows;
    const std::size_t at = rowIndexOf(button);
    if (at >= rows.size())
        return;
    gtk_widget_destroy(rows[at].row);
    rows.erase(rows.begin() + std::ptrdiff_t(at));
    // The focus goes to the row that took its place, or the one above, not out of the list.
    gtk_widget_grab_focus(rows.empty() ? messageList.add
                                       : rows[std::min(at, rows.size() - 1)].text);
    updateArrows();
}

GtkWidget* iconButton(const char* icon, const char* tip, GCallback clicked, gpointer data) {
    GtkWidget* button = gtk_button_new_from_icon_name(icon, GTK_ICON_SIZE_BUTTON);
    gtk_widget_set_tooltip_text(button, tip);
    gtk_widget_set_valign(button, GTK_ALIGN_CENTER);
    g_signal_connect(button, "clicked", clicked, data);
    return button;
}

// Digits enough to show a hold of whole milliseconds as it is: a value the field rounded would
// count as changed, and would lose its entry's place.
unsigned secondsDigits(double seconds) {
    const long milliseconds = std::lround(seconds * 1000);
    return milliseconds % 100 == 0 ? 1 : milliseconds % 10 == 0 ? 2 : 3;
}

MessageRowWidgets& addMessageRow(const MessageRow& message) {
    MessageRowWidgets r{};
    r.row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    r.text = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(r.text), GTK_WRAP_WORD_CHAR);
    // Tab goes on to the seconds: a tab in a message is only a blank.
    gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(r.text), FALSE);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(r.text), 4);
    gtk_text_view_set_right_margin(GTK_TEXT_VIEW(r.text), 4);
    gtk_text_view_set_top_margin(GTK_TEXT_VIEW(r.text), 2);
    gtk_text_view_set_bottom_margin(GTK_TEXT_VIEW(r.text), 2);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(r.text)), message.text.c_str(),
                             -1);
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
    gtk_widget_set_size_request(frame, 270, -1);
    gtk_container_add(GTK_CONTAINER(frame), r.text);
    r.seconds = gtk_spin_button_new_with_range(0, 3600, 0.5);
    gtk_spin_button_set_digits(GTK_SPIN_BUTTON(r.seconds), secondsDigits(message.seconds));
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(r.seconds), message.seconds);
    gtk_entry_set_width_chars(GTK_ENTRY(r.seconds), 6);
    gtk_widget_set_valign(r.seconds, GTK_ALIGN_CENTER);
    gtk_widget_set_tooltip_text(r.seconds, "How long the message stands, in seconds");
    r.up = iconButton("go-up-symbolic", "Move Up", G_CALLBACK(onMoveRow), GINT_TO_POINTER(-1));
    r.down = iconButton("go-down-symbolic", "Move Down", G_CALLBACK(onMoveRow), GINT_TO_POINTER(1));
    GtkWidget* remove =
        iconButton("edit-delete-symbolic", "Remove", G_CALLBACK(onRemoveRow), nullptr);
    gtk_box_pack_start(GTK_BOX(r.row), frame, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(r.row), r.seconds, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(r.row), gtk_label_new("s"), FALSE, FALSE, 0);
    for (GtkWidget* button : {r.up, r.down, remove})
        gtk_box_pack_start(GTK_BOX(r.row), button, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(messageList.list), r.row, FALSE, FALSE, 0);
    gtk_widget_show_all(r.row);
    messageList.rows.push_back(r);
    return messageList.rows.back();
}

void onAddMessage(GtkWidget*, gpointer) {
    GtkWidget* row = addMessageRow({}).row;
    updateArrows();
    gtk_widget_grab_focus(messageList.rows.back().text);
    showWhenPlaced(row);
}

// Alt+D adds the row at once. GTK's own activation holds the keys for a quarter of a second,
// which would take the first letters typed into the new row.
gboolean onAddMnemonic(GtkWidget* button, gboolean, gpointer) {
    gtk_button_clicked(GTK_BUTTON(button));
    return TRUE;
}

std::vector<MessageRow> rowsShown() {
    std::vector<MessageRow> rows;
    for (const MessageRowWidgets& r : messageList.rows) {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(r.text));
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        const GText text(gtk_text_buffer_get_text(buffer, &start, &end, TRUE), g_free);
        // Seconds typed but not yet entered (OK pressed with its mnemonic) count as shown.
        gtk_spin_button_update(GTK_SPIN_BUTTON(r.seconds));
        rows.push_back({text.get(), gtk_spin_button_get_value(GTK_SPIN_BUTTON(r.seconds))});
    }
    return rows;
}

bool sameRows(const std::vector<MessageRow>& a, const std::vector<MessageRow>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.text == y.text && x.seconds == y.seconds;
    });
}

// Shows the messages in use (the user's script, else the shipped one), or why it cannot.
void fillMessages() {
    MessageList& m = messageList;
    for (const MessageRowWidgets& r : m.rows)
        gtk_widget_destroy(r.row);
    m.rows.clear();
    const std::string path = dataFilePath(messageScriptFileName);
    ScriptText read = readScript(path);
    const std::vector<MessageRow> rows = rowsFromScript(read.text);
    if (read.problem.empty() && rows.size() > mostMessages)
        read.problem = "it holds more than " + std::to_string(mostMessages) + " messages";
    if (read.problem.empty() && !rowsKeepScript(rows, read.text))
        read.problem = "this list cannot keep all of it as it is (a part that is not a text and "
                       "three numbers, or two alike messages in different places)";
    m.editable = read.problem.empty();
    m.script = read.text;
    for (const MessageRow& row : m.editable ? rows : std::vector<MessageRow>())
        addMessageRow(row);
    updateArrows();
    m.shown = rowsShown();
    const std::string why = shortPath(path) + " cannot be shown here: " + read.problem +
                            ". Edit Messages… opens it in your text editor.";
    gtk_label_set_text(GTK_LABEL(m.problem), why.c_str());
    gtk_widget_set_visible(m.scrolled, m.editable);
    gtk_widget_set_visible(m.problem, !m.editable);
    gtk_widget_set_sensitive(m.add, m.editable);
}

std::string writeUserScript(const std::string& path, const std::string& script) {
    if (path.empty())
        return "neither XDG_CONFIG_HOME nor HOME names the folder for your own files";
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (std::string reason = makeFolders(folder); !reason.empty())
        return reason;
    AtomicWrite how;
    // A script the user let others read stays readable to them.
    struct stat old {};
    if (stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        how.mode = old.st_mode & 07777;
    return writeFileAtomically(path, script, how);
}

// Writes the rows to the user's script when they changed; false, after telling why, when that
// failed or the script changed meanwhile.
bool applyMessages(GtkWidget* window) {
    MessageList& m = messageList;
    if (!m.editable)
        return true;
    const std::vector<MessageRow> rows = rowsShown();
    if (sameRows(rows, m.shown))
        return true;
    // Edit Messages may have changed the file in the text editor since the rows were read:
    // the rows written over it would lose that.
    const std::string source = dataFilePath(messageScriptFileName);
    const ScriptText now = readScript(source);
    if (!now.problem.empty() || now.text != m.script) {
        fillMessages();
        warn(window, "The messages in\n" + source +
                         "\nwere changed by another program after this window opened.\n\nThe "
                         "list now shows them as they are: make your changes again, and press "
                         "OK.");
        return false;
    }
    const std::string path = userFilePath(messageScriptFileName);
    const std::string script = scriptFromRows(rows, m.script);
    std::string reason = writeUserScript(path, script);
    if (!reason.empty()) {
        reason[0] = char(std::toupper(static_cast<unsigned char>(reason[0])));
        warn(window, "The messages could not be saved to\n" +
                         (path.empty() ? std::string("(no home folder is known)") : path) + "\n\n" +
                         reason + ".\n\nAny messages saved there before are kept.");
        return false;
    }
    m.script = script;
    m.shown = rows;
    return true;
}

// Writes or removes the autostart entry when the idle row changed; false, after telling why,
// when that failed.
bool applyIdleChoice(GtkWidget* window) {
    if (!idleChoice.check)
        return true;
    const bool checked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(idleChoice.check));
    const int minutes = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(idleChoice.minutes));
    if (checked == idleChoice.shownChecked && (!checked || minutes == idleChoice.shownMinutes))
        return true;
    std::ostringstream said, problem;
    const std::string entry = idleAutostartPath(std::getenv);
    const uint32_t wanted = uint32_t(minutes) * 60000;
    int code = 0;
    if (!checked) {
        code = removeIdleAutostart(entry, said, problem);
    } else if (idleChoice.found) {
        code = writeIdleAutostart(entry, idleChoice.found->command, wanted, said, problem);
    } else if (const std::string saver = saverProgram(); !saver.empty()) {
        code = addIdleAutostart(entry, {saver}, wanted, said, problem);
    } else {
        code = 1;
        problem << "Could not start the fire with the session: the saver, emberhall, is neither "
                   "beside this program nor on the PATH.";
    }
    if (code != 0) {
        warn(window, problem.str());
        return false;
    }
    idleChoice.found = checked ? readIdleAutostart(entry) : std::nullopt;
    idleChoice.shownChecked = checked;
    idleChoice.shownMinutes = minutes;
    return true;
}

void onOk(GtkWidget* button, gpointer) {
    GtkWidget* window = gtk_widget_get_toplevel(button);
    // A first save, before any file of the user's: its folder is made first. Should that fail,
    // the save says why.
    if (const std::string folder = userDataDirectory(std::getenv); !folder.empty())
        makeFolders(folder);
    const SettingsSave save = saveSettings(settingsFileName);
    if (!save.saved) {
        // The window stays, with the choices in it, to try again or to cancel.
        warn(window, failedSaveText(save));
        return;
    }
    if (!applyMessages(window) || !applyIdleChoice(window))
        return;
    gtk_widget_destroy(window);
}

void onCancel(GtkWidget* button, gpointer) {
    gtk_widget_destroy(gtk_widget_get_toplevel(button));
}

// Escape is Cancel. Enter is OK, except on a push button, which Enter presses, and in a message's
// text, where it starts a line. Both buttons are pressed here, at once: GTK's own activation of a
// focused button grabs the keyboard until the key comes up or a quarter of a second has passed,
// and under sway neither ended it, so the window took no key at all after the first Enter.
gboolean onKey(GtkWidget* window, GdkEventKey* event, gpointer ok) {
    switch (event->keyval) {
    case GDK_KEY_Escape:
        gtk_widget_destroy(window);
        return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus && GTK_IS_TEXT_VIEW(focus))
            return FALSE;
        const bool pushButton = focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus);
        gtk_button_clicked(GTK_BUTTON(pushButton ? focus : ok));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// A titled section, its rows indented under the title as GTK's own settings windows do.
GtkWidget* section(GtkWidget* parent, const char* title, GtkOrientation rows) {
    GtkWidget* frame = gtk_frame_new(nullptr);
    GtkWidget* label = gtk_label_new(nullptr);
    gchar* markup = g_markup_printf_escaped("<b>%s</b>", title);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    gtk_frame_set_label_widget(GTK_FRAME(frame), label);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_NONE);
    GtkWidget* box = gtk_box_new(rows, rows == GTK_ORIENTATION_VERTICAL ? 6 : spacing);
    gtk_widget_set_margin_start(box, spacing);
    gtk_widget_set_margin_top(box, 6);
    gtk_container_add(GTK_CONTAINER(frame), box);
    gtk_box_pack_start(GTK_BOX(parent), frame, FALSE, FALSE, 0);
    return box;
}

// The button that opens the file in the text editor, what the file holds and where it is.
GtkWidget* editButton(const EditableFile& file) {
    GtkWidget* button = gtk_button_new_with_mnemonic(file.button);
    gtk_widget_set_halign(button, GTK_ALIGN_START);
    g_signal_connect(button, "clicked", G_CALLBACK(onEdit), const_cast<EditableFile*>(&file));
    return button;
}

std::string fileNote(const EditableFile& file, const char* between) {
    const std::string path = userFilePath(file.name);
    return std::string(file.holds) + between +
           (path.empty() ? "(no home folder is known)" : shortPath(path));
}

void addColors(GtkWidget* parent, const SettingsMarks& marks) {
    GtkWidget* box = section(parent, "Fire Color", GTK_ORIENTATION_HORIZONTAL);
    // GTK keeps one radio button of a group on. With no colour flag on, that is this one, which
    // is never shown, so none of the three shows checked, as the file has it.
    GtkWidget* none = gtk_radio_button_new(nullptr);
    g_object_ref_sink(none);
    GtkWidget* shown = none;
    std::vector<GtkWidget*> radios;
    for (const ColorRow& row : colorRows) {
        GtkWidget* radio =
            gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(none), row.label);
        gtk_box_pack_start(GTK_BOX(box), radio, FALSE, FALSE, 0);
        if (row.color == marks.color)
            shown = radio;
        radios.push_back(radio);
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(shown), TRUE);
    // Only now: showing the flags stores nothing.
    for (std::size_t i = 0; i < radios.size(); ++i)
        g_signal_connect(radios[i], "clicked", G_CALLBACK(onColorClicked),
                         GINT_TO_POINTER(colorRows[i].choice));
}

void addEffects(GtkWidget* parent, const SettingsMarks& marks) {
    GtkWidget* box = section(parent, "Effects", GTK_ORIENTATION_VERTICAL);
    for (const EffectRow& row : effectRows) {
        GtkWidget* check = gtk_check_button_new_with_mnemonic(row.label);
        gtk_widget_set_halign(check, GTK_ALIGN_START);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), marks.*row.mark);
        g_signal_connect(check, "toggled", G_CALLBACK(onEffectToggled),
                         const_cast<EffectRow*>(&row));
        GtkWidget* line = check;
        // The playlist beside the box that plays it, what it holds in the tooltip: a section of
        // its own would make the window too tall for a small screen.
        if (row.effect == Effect::musicPlaylist) {
            line = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, spacing);
            GtkWidget* edit = editButton(playlistFile);
            gtk_widget_set_tooltip_text(edit, fileNote(playlistFile, "\n").c_str());
            gtk_box_pack_start(GTK_BOX(line), check, FALSE, FALSE, 0);
            gtk_box_pack_start(GTK_BOX(line), edit, FALSE, FALSE, 0);
        }
        gtk_box_pack_start(GTK_BOX(box), line, FALSE, FALSE, 0);
    }
}

// "10 minutes", "1 minute", "30 seconds".
std::string durationText(uint32_t seconds) {
    const bool minutes = seconds >= 60 && seconds % 60 == 0;
    const uint32_t count = minutes ? seconds / 60 : seconds;
    return std::to_string(count) + (minutes ? " minute" : " second") + (count == 1 ? "" : "s");
}

// On GNOME, whose own blank screen after idle-delay hides whatever is on the screens: whether it
// would come before the fire, and by how much.
void updateBlankNote() {
    if (!idleChoice.blankNote)
        return;
    const uint32_t fire =
        uint32_t(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(idleChoice.minutes))) * 60;
    const uint32_t blank = idleChoice.blankSeconds;
    const bool first = blank != 0 && fire >= blank &&
                       gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(idleChoice.check));
    if (first) {
        const std::string when = fire == blank
                                     ? "as soon as the fire would start"
                                     : durationText(fire - blank) + " before the fire would start";
        const std::string note =
            "GNOME blanks the screen after " + durationText(blank) + " without input, " + when +
            ": choose fewer minutes, or a later Screen Blank in GNOME's Settings "
            "(Power).";
        gtk_label_set_text(GTK_LABEL(idleChoice.blankNote), note.c_str());
    }
    gtk_widget_set_visible(idleChoice.blankNote, first);
}

void onIdleRowChanged(GtkWidget*, gpointer) {
    updateBlankNote();
}

// A line of small grey text under a row.
GtkWidget* noteLine(GtkWidget* box, const std::string& text) {
    GtkWidget* line = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(line), 0);
    gtk_label_set_line_wrap(GTK_LABEL(line), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(line), 60);
    gtk_style_context_add_class(gtk_widget_get_style_context(line), "dim-label");
    gtk_box_pack_start(GTK_BOX(box), line, FALSE, FALSE, 0);
    return line;
}

// Only on Wayland, where no screen-saver daemon shows Emberhall: start it with the session,
// waiting for the idle time (emberhall --idle), or not.
void addIdleRow(GtkWidget* parent) {
    const Desktop& d = desktop();
    if (!d.wayland)
        return;
    GtkWidget* box = section(parent, "When Nobody Is There", GTK_ORIENTATION_VERTICAL);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    idleChoice.check =
        gtk_check_button_new_with_mnemonic("Start the fire when the session is _idle, after");
    idleChoice.minutes = gtk_spin_button_new_with_range(1, 1440, 1);
    const std::string entry = idleAutostartPath(std::getenv);
    idleChoice.found = entry.empty() ? std::nullopt : readIdleAutostart(entry);
    idleChoice.shownChecked = idleChoice.found.has_value();
    idleChoice.shownMinutes =
        idleChoice.found ? int(std::max(1u, idleChoice.found->idleMilliseconds / 60000)) : 10;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(idleChoice.check), idleChoice.shownChecked);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(idleChoice.minutes), idleChoice.shownMinutes);
    gtk_box_pack_start(GTK_BOX(row), idleChoice.check, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), idleChoice.minutes, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new("minutes"), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
    std::string note = "Emberhall then waits with every login (" + shortPath(entry) + ").";
    if (!d.offers.coversScreens() || !d.idleNotice) {
        // Say why, and leave the choice as it is.
        gtk_widget_set_sensitive(row, FALSE);
        note = !d.offers.coversScreens() ? "This desktop lets no program cover its windows."
                                         : "This desktop tells no program when it is idle.";
    }
    noteLine(box, note);
    idleChoice.blankSeconds = d.offers.layerShell ? 0 : gnomeBlankSeconds();
    if (idleChoice.blankSeconds == 0)
        return;
    idleChoice.blankNote = noteLine(box, "");
    gtk_widget_set_no_show_all(idleChoice.blankNote, TRUE);
    g_signal_connect(idleChoice.check, "toggled", G_CALLBACK(onIdleRowChanged), nullptr);
    g_signal_connect(idleChoice.minutes, "value-changed", G_CALLBACK(onIdleRowChanged), nullptr);
    updateBlankNote();
}

// The rows in a list that scrolls, under them Add and the text editor for placing by hand.
void addMessages(GtkWidget* parent) {
    MessageList& m = messageList;
    GtkWidget* box = section(parent, "Messages", GTK_ORIENTATION_VERTICAL);
    m.list = gtk_box_new(GTK_ORIENTATION_VERTICAL, rowGap);
    gtk_container_set_border_width(GTK_CONTAINER(m.list), rowGap);
    m.scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(m.scrolled);
    gtk_scrolled_window_set_policy(scrolled, GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(scrolled, GTK_SHADOW_IN);
    gtk_scrolled_window_set_min_content_height(scrolled, listHeight);
    gtk_scrolled_window_set_propagate_natural_width(scrolled, TRUE);
    gtk_container_add(GTK_CONTAINER(m.scrolled), m.list);
    // Tab into a row out of sight scrolls to it.
    gtk_container_set_focus_vadjustment(GTK_CONTAINER(m.list),
                                        gtk_scrolled_window_get_vadjustment(scrolled));
    m.problem = gtk_label_new(nullptr);
    gtk_label_set_xalign(GTK_LABEL(m.problem), 0);
    gtk_label_set_line_wrap(GTK_LABEL(m.problem), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(m.problem), 60);
    // Which of the two shows is fillMessages' choice, not the window's.
    gtk_widget_show_all(m.scrolled);
    gtk_widget_set_no_show_all(m.scrolled, TRUE);
    gtk_widget_set_no_show_all(m.problem, TRUE);
    gtk_box_pack_start(GTK_BOX(box), m.scrolled, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), m.problem, FALSE, FALSE, 0);
    GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    m.add = gtk_button_new_with_mnemonic("A_dd Message");
    g_signal_connect(m.add, "clicked", G_CALLBACK(onAddMessage), nullptr);
    g_signal_connect(m.add, "mnemonic-activate", G_CALLBACK(onAddMnemonic), nullptr);
    gtk_box_pack_start(GTK_BOX(buttons), m.add, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), editButton(messageFile), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), buttons, FALSE, FALSE, 0);
    GtkWidget* note = gtk_label_new(fileNote(messageFile, " ").c_str());
    gtk_label_set_xalign(GTK_LABEL(note), 0);
    gtk_label_set_selectable(GTK_LABEL(note), TRUE);
    gtk_widget_set_can_focus(note, FALSE);
    gtk_style_context_add_class(gtk_widget_get_style_context(note), "dim-label");
    gtk_box_pack_start(GTK_BOX(box), note, FALSE, FALSE, 0);
    fillMessages();
}

GtkWidget* addButtons(GtkWidget* parent) {
    GtkWidget* buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(buttons), 6);
    gtk_widget_set_margin_top(buttons, 6);
    auto add = [&](const char* label, GCallback clicked, bool secondary) {
        GtkWidget* button = gtk_button_new_with_mnemonic(label);
        g_signal_connect(button, "clicked", clicked, nullptr);
        gtk_container_add(GTK_CONTAINER(buttons), button);
        gtk_button_box_set_child_secondary(GTK_BUTTON_BOX(buttons), button, secondary);
        return button;
    };
    add("_About", G_CALLBACK(onAbout), true);
    add("Pre_view", G_CALLBACK(onPreview), true);
    add("_Cancel", G_CALLBACK(onCancel), false);
    GtkWidget* ok = add("_OK", G_CALLBACK(onOk), false);
    gtk_box_pack_start(GTK_BOX(parent), buttons, FALSE, FALSE, 0);
    return ok;
}
} // namespace

void runSettingsWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), windowTitle);
    gtk_window_set_icon_name(GTK_WINDOW(window), iconName);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, spacing + 6);
    gtk_container_set_border_width(GTK_CONTAINER(content), spacing + 6);
    gtk_container_add(GTK_CONTAINER(window), content);

    const SettingsMarks marks = marksOf(currentSettings());
    addColors(content, marks);
    addEffects(content, marks);
    addIdleRow(content);
    addMessages(content);
    GtkWidget* ok = addButtons(content);
    gtk_widget_set_can_default(ok, TRUE);
    gtk_window_set_default(GTK_WINDOW(window), ok);

    g_signal_connect(window, "key-press-event", G_CALLBACK(onKey), ok);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(ok);
    gtk_main();
}
