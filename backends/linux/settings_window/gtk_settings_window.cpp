#include "linux/settings_window/gtk_settings_window.h"

#include <gdk/gdkwayland.h>
#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "linux/common/linux_data_files.h"
#include "linux/common/options.h"
#include "linux/session/session_autostart.h"
#include "linux/settings_window/user_files.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "settings/settings_choices.h"

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
    const char* holds; // the line under the button
};
constexpr EditableFile editableFiles[] = {
    {"Edit _Messages…", messageScriptFileName, "messages",
     "The messages over the fire, one to a line: the text, where it stands and for how long."},
    {"Edit _Playlist…", playlistFileName, "playlist",
     "Your music: MP3, WAV or FLAC files, one full path to a line, played in order."}};

// On a Wayland desktop: whether the saver can cover its screens (a layer shell) and learn when
// the session is idle, read from the compositor's list of globals on GTK's own connection.
struct WaylandDesktop {
    bool wayland = false;
    bool layerShell = false;
    bool idleNotice = false;
};

WaylandDesktop waylandDesktop() {
    WaylandDesktop desktop;
    GdkDisplay* display = gdk_display_get_default();
    if (!GDK_IS_WAYLAND_DISPLAY(display))
        return desktop;
    desktop.wayland = true;
    wl_display* connection = gdk_wayland_display_get_wl_display(display);
    // A queue of our own, so that GTK's events are left to GTK.
    wl_event_queue* queue = wl_display_create_queue(connection);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(connection));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    static const wl_registry_listener listener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            auto& d = *static_cast<WaylandDesktop*>(data);
            const std::string is = interface;
            d.layerShell |= is == "zwlr_layer_shell_v1";
            d.idleNotice |= is == "ext_idle_notifier_v1" || is == "org_kde_kwin_idle";
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &desktop);
    wl_display_roundtrip_queue(connection, queue);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
    return desktop;
}

// The idle row: whether the saver starts with the session, and after how long; as found when
// the window opened, so that OK changes the autostart entry only when the user changed it.
struct IdleChoice {
    GtkWidget* check = nullptr;
    GtkWidget* minutes = nullptr;
    std::optional<uint32_t> found;
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
    // mouse moves. On a Wayland desktop with a layer shell it covers the screens as it will
    // when idle; elsewhere (GNOME) it shows in a full-screen window.
    std::vector<std::string> words = optionsShowing(currentSettings());
    if (waylandDesktop().layerShell)
        words.front() = "--overlay";
    words.insert(words.begin(), saver);
    start(window, words, "Could not show the preview");
}

void onAbout(GtkWidget* button, gpointer) {
    tell(gtk_widget_get_toplevel(button), GTK_MESSAGE_INFO, aboutCaption, aboutText);
}

// Writes or removes the autostart entry when the idle row changed; false, after telling why,
// when that failed.
bool applyIdleChoice(GtkWidget* window) {
    if (!idleChoice.check)
        return true;
    std::optional<uint32_t> wanted;
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(idleChoice.check)))
        wanted = uint32_t(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(idleChoice.minutes))) * 60000;
    if (wanted == idleChoice.found)
        return true;
    std::ostringstream said, problem;
    const std::string entry = idleAutostartPath(std::getenv);
    const int code = wanted ? addIdleAutostart(entry, {saverProgram()}, *wanted, said, problem)
                            : removeIdleAutostart(entry, said, problem);
    if (code != 0) {
        warn(window, problem.str());
        return false;
    }
    idleChoice.found = wanted;
    return true;
}

void onOk(GtkWidget* button, gpointer) {
    GtkWidget* window = gtk_widget_get_toplevel(button);
    const SettingsSave save = saveSettings(settingsFileName);
    if (!save.saved) {
        // The window stays, with the choices in it, to try again or to cancel.
        warn(window, failedSaveText(save));
        return;
    }
    if (!applyIdleChoice(window))
        return;
    gtk_widget_destroy(window);
}

void onCancel(GtkWidget* button, gpointer) {
    gtk_widget_destroy(gtk_widget_get_toplevel(button));
}

// Escape is Cancel. Enter is OK, except on a push button, which Enter presses as usual.
gboolean onKey(GtkWidget* window, GdkEventKey* event, gpointer ok) {
    switch (event->keyval) {
    case GDK_KEY_Escape:
        gtk_widget_destroy(window);
        return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus))
            return FALSE;
        gtk_button_clicked(GTK_BUTTON(ok));
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
        gtk_box_pack_start(GTK_BOX(box), check, FALSE, FALSE, 0);
    }
}

// Only on Wayland, where no screen-saver daemon shows Emberhall: start it with the session,
// waiting for the idle time (emberhall --idle), or not.
void addIdleRow(GtkWidget* parent) {
    const WaylandDesktop desktop = waylandDesktop();
    if (!desktop.wayland)
        return;
    GtkWidget* box = section(parent, "When Nobody Is There", GTK_ORIENTATION_VERTICAL);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    idleChoice.check = gtk_check_button_new_with_mnemonic("Start the fire when the session is _idle, after");
    idleChoice.minutes = gtk_spin_button_new_with_range(1, 1440, 1);
    const std::string entry = idleAutostartPath(std::getenv);
    idleChoice.found = entry.empty() ? std::nullopt : idleAutostartTime(entry);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(idleChoice.check), idleChoice.found.has_value());
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(idleChoice.minutes),
                              idleChoice.found ? std::max(1u, *idleChoice.found / 60000) : 10);
    gtk_box_pack_start(GTK_BOX(row), idleChoice.check, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), idleChoice.minutes, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new("minutes"), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
    std::string note = "Emberhall then waits with every login (" + shortPath(entry) + ").";
    if (!desktop.layerShell || !desktop.idleNotice) {
        // GNOME, for one: say why, and leave the choice as it is.
        gtk_widget_set_sensitive(row, FALSE);
        note = !desktop.layerShell ? "This desktop lets no program cover its windows (it has no layer shell)."
                                   : "This desktop tells no program when it is idle.";
    }
    GtkWidget* line = gtk_label_new(note.c_str());
    gtk_label_set_xalign(GTK_LABEL(line), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(line), "dim-label");
    gtk_box_pack_start(GTK_BOX(box), line, FALSE, FALSE, 0);
}

void addEditableFiles(GtkWidget* parent) {
    GtkWidget* box = section(parent, "Your Messages and Music", GTK_ORIENTATION_VERTICAL);
    for (const EditableFile& file : editableFiles) {
        GtkWidget* button = gtk_button_new_with_mnemonic(file.button);
        gtk_widget_set_halign(button, GTK_ALIGN_START);
        g_signal_connect(button, "clicked", G_CALLBACK(onEdit), const_cast<EditableFile*>(&file));
        const std::string path = userFilePath(file.name);
        const std::string where = path.empty() ? "(no home folder is known)" : shortPath(path);
        GtkWidget* line = gtk_label_new((std::string(file.holds) + "\n" + where).c_str());
        gtk_label_set_xalign(GTK_LABEL(line), 0);
        gtk_label_set_selectable(GTK_LABEL(line), TRUE);
        gtk_widget_set_can_focus(line, FALSE);
        gtk_style_context_add_class(gtk_widget_get_style_context(line), "dim-label");
        gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box), line, FALSE, FALSE, 0);
    }
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
    addEditableFiles(content);
    GtkWidget* ok = addButtons(content);
    gtk_widget_set_can_default(ok, TRUE);
    gtk_window_set_default(GTK_WINDOW(window), ok);

    g_signal_connect(window, "key-press-event", G_CALLBACK(onKey), ok);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(ok);
    gtk_main();
}
