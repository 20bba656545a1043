# Installs the Debian packages the build, the saver and the tests need, when any is missing.
# Sourced by scripts/run and scripts/test.

# What building and running need, split by what scripts/run builds, so that each of its runs
# installs only its own share: the common tools, then the Windows saver's (the cross compiler,
# Wine, the installer's NSIS), then the native build's (its libraries and protocol files).
EH_BUILD_PACKAGES=(
    cmake g++ make pkg-config git python3
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    xvfb x11-utils xdotool imagemagick
)
EH_WINDOWS_PACKAGES=(
    mingw-w64 wine wine64 nsis
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
)
EH_LINUX_PACKAGES=(
    libfreetype-dev fonts-dejavu-core libstb-dev libsndfile1-dev libmpg123-dev libsdl2-2.0-0
    libx11-dev libxext-dev libxrender-dev libgtk-3-dev
    libwayland-dev wayland-protocols plasma-wayland-protocols dpkg-dev
)
EH_PACKAGES=("${EH_BUILD_PACKAGES[@]}" "${EH_WINDOWS_PACKAGES[@]}" "${EH_LINUX_PACKAGES[@]}")

# What only the tests need: the sanitizers' and fuzzers' compiler, a sound server to record, the
# screen-saver daemons, a Wayland compositor and its screenshots, GNOME's shell headless with
# Python's GLib bindings to drive it, the package checker, and a font with Chinese, Japanese and
# Korean characters for the messages drawn from the system's fonts.
EH_TEST_PACKAGES=(
    clang-14 libclang-rt-14-dev
    pulseaudio pulseaudio-utils sox libsox-fmt-mp3 lame bc strace
    xscreensaver xscreensaver-data mate-screensaver dbus-x11 lintian
    sway grim wtype
    mutter gnome-shell python3-gi gir1.2-glib-2.0
    fonts-wqy-microhei
)

# The page for web browsers: only scripts/run --web and scripts/test build it.
EH_WEB_PACKAGES=(emscripten)
# Only the tests and a screenshot without a display need a browser: Debian's, driven by
# playwright-core from tests/web (npm ci), which downloads no browser of its own.
EH_BROWSER_PACKAGES=(chromium)

# Installs the given packages that are missing; with none given, EH_PACKAGES.
eh_install_missing() {
    local wanted=("$@")
    if [ "${#wanted[@]}" -eq 0 ]; then
        wanted=("${EH_PACKAGES[@]}")
    fi
    local missing=()
    local package
    for package in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}
