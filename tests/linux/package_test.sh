#!/usr/bin/env bash
# The Debian package as a user gets it: lintian finds nothing to say (not even at its
# informational and pedantic levels), its copyright file carries the licences word for word, the
# control data names the libraries it needs, and it installs with apt-get, puts every file where
# the screen-saver hosts look, runs from the PATH, and removes without a trace.
# Usage: package_test.sh path/to/build-dir (the .deb is emberhall_<version>_<arch>.deb in it)
# The install part needs root, and is skipped when emberhall is installed already: the test
# does not take away a package someone installed.
set -u
BUILD=${1:?usage: package_test.sh build-dir}
source "$(dirname "$0")/../wine/lib.sh"
SOURCE=$EH_SOURCE_DIR

deb=$(ls "$(realpath "$BUILD")"/emberhall_*_"$(dpkg --print-architecture)".deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
    echo "FAIL - no emberhall_*.deb in $BUILD"
    echo "0 passed, 1 failed"
    exit 1
fi
echo "     package: $deb"

report=$(lintian -I --pedantic "$deb" 2>&1 | grep -v 'running with root privileges')
eh_check "lintian: no error, warning, information or pedantic note${report:+: $report}" \
    [ -z "$report" ]

# Each licence as the copyright file words it: from "Permission" on, one blank in, "." for an
# empty line.
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/emberhall/copyright)
carries_terms_of() {
    local text
    text=$(sed -n '/^Permission/,$p' "$1" | sed -e 's/^$/./' -e 's/^/ /')
    [[ "$copyright" == *"$text"* ]]
}
eh_check "the copyright file carries LICENSE word for word" carries_terms_of "$SOURCE/LICENSE"
eh_check "the copyright file carries the glyph sheet's font licence word for word" \
    carries_terms_of "$SOURCE/data/fire_fonts/font-licence.txt"

depends=$(dpkg-deb -f "$deb" Depends)
echo "     Depends: $depends"
eh_check "depends on SDL2, which it loads at run time" grep -q 'libsdl2-2.0-0' <<<"$depends"
eh_check "depends on what dpkg-shlibdeps found (libc6 and libstdc++6)" \
    bash -c "grep -q 'libc6 (>=' <<<'$depends' && grep -q 'libstdc++6 (>=' <<<'$depends'"

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/libexec/xscreensaver/emberhall /usr/bin/emberhall \
    /usr/share/emberhall/fire_fonts/font.tga /usr/share/emberhall/fire_fonts/font.txt \
    /usr/share/emberhall/fire_data/fire.wav \
    /usr/share/emberhall/fire_data/motd.txt /usr/share/emberhall/fire_data/pls.txt \
    /usr/share/xscreensaver/config/emberhall.xml \
    /usr/share/applications/screensavers/emberhall.desktop \
    /usr/bin/emberhall-settings /usr/share/applications/emberhall-settings.desktop \
    /usr/share/man/man1/emberhall-settings.1.gz \
    /usr/share/man/man6/emberhall.6.gz /usr/share/doc/emberhall/copyright \
    /usr/share/doc/emberhall/changelog.gz; do
    eh_check "the package holds $path" grep -qx "$path" <<<"$files"
done

if [ "$(id -u)" != 0 ]; then
    echo "skip - installing needs root"
elif dpkg-query -W -f='${Status}' emberhall 2>/dev/null | grep -q "install ok installed"; then
    echo "skip - emberhall is installed on this machine already; it is left as it is"
else
    apt() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"; }
    apt install "$deb" >"$BUILD/package-install.log" 2>&1
    rc=$?
    eh_check "apt-get install ./$(basename "$deb") succeeds" [ "$rc" = 0 ]
    eh_check "the hack is executable where the daemons look" \
        [ -x /usr/libexec/xscreensaver/emberhall ]
    help=$(cd / && PATH=/usr/bin:/bin emberhall --help 2>&1)
    eh_check "emberhall runs from the PATH and lists its options" \
        grep -q -- '--add-to-xscreensaver' <<<"$help"
    eh_check "the data is the project's own" \
        cmp -s /usr/share/emberhall/fire_fonts/font.tga "$SOURCE/data/fire_fonts/font.tga"
    eh_check "the settings page is well-formed XML naming emberhall" python3 -c '
import sys, xml.etree.ElementTree as t
root = t.parse("/usr/share/xscreensaver/config/emberhall.xml").getroot()
args = [o.get("arg-set") for o in root.iter("option")] + \
       [b.get(k) for b in root.iter("boolean") for k in ("arg-set", "arg-unset") if b.get(k)]
sys.exit(not (root.get("name") == "emberhall" and "--color yellow" in args and "--no-sound" in args))'
    eh_check "the MATE entry runs the installed hack" \
        grep -qx 'Exec=/usr/libexec/xscreensaver/emberhall' \
        /usr/share/applications/screensavers/emberhall.desktop
    eh_check "the manual page is there" bash -c 'zcat /usr/share/man/man6/emberhall.6.gz |
        grep -q "^.SH OPTIONS"'

    # The installed hack under both daemons, as a user would pick it.
    here=$(dirname "$0")
    bash "$here/xscreensaver_test.sh" /usr/libexec/xscreensaver/emberhall emberhall \
        >"$BUILD/package-xscreensaver.log" 2>&1
    rc=$?
    sed 's/^/     xscreensaver: /' "$BUILD/package-xscreensaver.log"
    eh_check "the installed hack runs under the XScreenSaver daemon" [ "$rc" = 0 ]
    bash "$here/mate_test.sh" --installed >"$BUILD/package-mate.log" 2>&1
    rc=$?
    sed 's/^/     mate: /' "$BUILD/package-mate.log"
    eh_check "the installed hack runs under MATE's screen saver" [ "$rc" = 0 ]

    apt remove --purge emberhall >>"$BUILD/package-install.log" 2>&1
    rc=$?
    eh_check "apt-get remove --purge emberhall succeeds" [ "$rc" = 0 ]
    left=""
    for path in $files; do
        case "$path" in */) continue ;; esac
        if [ -e "$path" ] || [ -L "$path" ]; then left="$left $path"; fi
    done
    for dir in /usr/share/emberhall /usr/share/doc/emberhall; do
        [ -e "$dir" ] && left="$left $dir"
    done
    eh_check "removing leaves none of its files${left:+ (left:$left)}" [ -z "$left" ]
    eh_check "dpkg no longer knows it" \
        bash -c '! dpkg-query -W -f="\${Status}" emberhall 2>/dev/null | grep -q installed'
fi

echo "$((EH_FAILURES == 0 ? 1 : 0)) passed, $((EH_FAILURES == 0 ? 0 : 1)) failed"
[ "$EH_FAILURES" = 0 ]
