// Entry of emberhall-settings, the settings window of the Linux saver.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "linux/common/linux_data_files.h"
#include "linux/settings_window/gtk_settings_window.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "emberhall-settings: cannot open the display %s\n",
                     display ? display : "(DISPLAY is not set)");
        return 1;
    }
    // The same places as the saver's: the settings and the user's own files in
    // $XDG_CONFIG_HOME/emberhall (~/.config/emberhall), the shipped files after them.
    useDataFiles(linuxDataFiles(std::getenv, std::nullopt));
    loadSettings(settingsFileName);
    runSettingsWindow();
    return 0;
}
