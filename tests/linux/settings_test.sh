#!/usr/bin/env bash
# The Linux saver's settings and data, as a user meets them: emberhall.dat in
# ~/.config/emberhall chooses the colours as on Windows, the command line overrides it for one
# run, the user's own messages come before the shipped ones (in any language, and a clock), and
# broken or missing files never stop the fire.
set -u
program=$1
source "$(dirname "$0")/linux_lib.sh"
eh_linux_stage "$program"
trap 'eh_kill "${EH_PID:-}"; eh_stop_xvfb; eh_linux_unstage' EXIT
shot=$EH_LINUX_DIR/shot.png
own=
eh_start_xvfb 1024x768

settings_file() { printf "$(printf '\\x%s' "$@")" >"$XDG_CONFIG_HOME/emberhall/emberhall.dat"; }
no_messages() {
    mkdir -p "$XDG_CONFIG_HOME/emberhall/fire_data"
    : >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
}
# Runs the saver in its own window for $1 seconds with the given options, screenshots it and
# ends it; checks that it ran and ended with 0.
run_for() {
    local seconds=$1 what=$2
    shift 2
    eh_linux_start "$@"
    sleep "$seconds"
    eh_screenshot "$shot"
    eh_check "$what: still running after $seconds s" kill -0 "$EH_PID"
    eh_linux_end_with "$EH_PID" TERM "$what"
}
hot=1024x40+0+720
mean_blue() { eh_mean "$shot" "$hot" b; }

# --- colours from the file, and from the command line over it ---
eh_linux_home
no_messages
run_for 2 "no settings file" --data-dir "$EH_DATA"
eh_check "no settings file: the standard fire" eh_gt "$(eh_mean "$shot" $hot r)" 0.5
eh_check "no settings file: no blue anywhere" test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0

settings_file 00 01 00 00 00 00
run_for 2 "a file choosing yellow" --data-dir "$EH_DATA"
yellow=$(mean_blue)
eh_check "a file choosing yellow: the yellow-white fire, blue in its hottest part ($yellow)" \
    eh_gt "$yellow" 0.02
run_for 1 "yellow in the file, --color cycle" --color cycle --data-dir "$EH_DATA"
cycle=$(mean_blue)
eh_check "--color cycle overrides the file: a second in, the swing is still near the standard end ($cycle < $yellow / 2)" \
    eh_gt "$(awk -v y="$yellow" 'BEGIN { print y / 2 }')" "$cycle"
run_for 2 "yellow in the file, --color standard" --color standard --data-dir "$EH_DATA"
eh_check "--color standard overrides the file: no blue" \
    test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0
settings_file 01 00 00 00 00 00
run_for 2 "standard in the file, --color yellow" --color yellow --data-dir "$EH_DATA"
eh_check "--color yellow overrides the file" eh_gt "$(mean_blue)" 0.02

# --- broken and missing files ---
settings_file 00 01 00
run_for 2 "a three-byte file" --data-dir "$EH_DATA"
eh_check "a three-byte file 00 01 00 still chooses yellow" eh_gt "$(mean_blue)" 0.02
rm -f "$XDG_CONFIG_HOME/emberhall/emberhall.dat"
mkdir "$XDG_CONFIG_HOME/emberhall/emberhall.dat"
run_for 2 "a directory in place of emberhall.dat" --data-dir "$EH_DATA"
eh_check "a directory in place of emberhall.dat: the defaults, standard fire" \
    eh_gt "$(eh_mean "$shot" $hot r)" 0.5
eh_check "a directory in place of emberhall.dat: no blue" \
    test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0

eh_linux_home
run_for 2 "no data anywhere" --data-dir "$EH_LINUX_DIR/no-such-directory"
eh_check "no data anywhere: fire all the same" eh_gt "$(eh_mean "$shot" $hot r)" 0.5
eh_check "no data anywhere: no letters" test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0

broken=$EH_LINUX_DIR/broken-data
mkdir -p "$broken/fire_fonts/font.tga" "$broken/fire_data/motd.txt" "$broken/fire_data/fire.wav"
run_for 2 "directories in place of the data files" --data-dir "$broken" --sound
eh_check "directories in place of the data files: fire, no letters" \
    test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0
head -c 5000 /dev/urandom >"$EH_LINUX_DIR/garbage"
mkdir -p "$broken/fire_fonts" && rm -rf "$broken/fire_fonts/font.tga" "$broken/fire_data"
mkdir -p "$broken/fire_data"
cp "$EH_LINUX_DIR/garbage" "$broken/fire_fonts/font.tga"
cp "$EH_LINUX_DIR/garbage" "$broken/fire_data/fire.wav"
printf 'HELLO 100 100 60000\n' >"$broken/fire_data/motd.txt"
run_for 2 "garbage for a glyph sheet and a fire sound" --data-dir "$broken" --sound
eh_check "garbage for a glyph sheet: no letters, no crash" \
    test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0

# --- messages: the shipped ones, and the user's own before them ---
eh_linux_home
run_for 2 "the shipped messages" --data-dir "$EH_DATA"
eh_check "the default messages stand over the fire (glyph pixels carry blue)" \
    eh_gt "$(eh_blue_pixels "$shot" 1024x350+0+5)" 500
mkdir -p "$XDG_CONFIG_HOME/emberhall/fire_data"
printf 'OUR+OWN 600 500 60000\n' >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
run_for 2 "the user's own messages" --data-dir "$EH_DATA"
eh_check "the user's own message stands where it says" \
    eh_gt "$(eh_blue_pixels "$shot" 350x50+600+500)" 300
eh_check "and the shipped ones do not" test "$(eh_blue_pixels "$shot" 1024x350+0+5)" = 0
words='Grüße+aus+Köln!-3:30+€5+Ελλάδα+Привет'
printf '\xEF\xBB\xBF%s 12 100 60000\n' "$words" >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
run_for 2 "a message in three alphabets" --data-dir "$EH_DATA"
result=$(eh_message_matches "$shot" "$EH_DATA/fire_fonts/font.tga" 12 100 "$words")
eh_check "$words (UTF-8 with a byte-order mark): every cell as the sheet draws it ($result)" test $? = 0
printf '%%H:%%M:%%S 262 300 60000\n' >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
eh_linux_start --data-dir "$EH_DATA"
for n in 1 2; do
    sleep 1.2
    before=$(date +%s)
    eh_screenshot "$shot"
    result=$(eh_clock_message_matches "$shot" "$EH_DATA/fire_fonts/font.tga" 262 300 %H:%M:%S "$((before - 1))" "$(date +%s)")
    eh_check "%H:%M:%S, screenshot $n: the machine's time ($result)" test $? = 0
done
eh_linux_end_with "$EH_PID" TERM "a clock"

# --- characters the sheet lacks, from the system's fonts, whose libraries load only for them ---
# Starts the saver on the user's message $1, screenshots it after two seconds; leaves it running.
start_on() {
    printf '%s 100 100 60000\n' "$1" >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
    eh_linux_start --data-dir "$EH_DATA"
    sleep 2
    eh_screenshot "$shot"
}
fontconfig_maps() { grep -c libfontconfig "/proc/$EH_PID/maps"; }
start_on "$words"
eh_check "a message of the sheet's characters alone: fontconfig is not loaded" \
    test "$(fontconfig_maps)" = 0
eh_linux_end_with "$EH_PID" TERM "the sheet's characters alone"
cjk='新年快乐-こんにちは+안녕+新'
start_on "$cjk"
result=$(eh_message_matches "$shot" "$EH_DATA/fire_fonts/font.tga" 100 100 "$cjk" --system-glyphs)
eh_check "$cjk: every cell in the ember look, both 新 alike, all others different (${result//$'\n'/; })" \
    test $? = 0
eh_check "$cjk: fontconfig is loaded" test "$(fontconfig_maps)" -gt 0
eh_linux_end_with "$EH_PID" TERM "Chinese, Japanese and Korean"
mixed='新年+FIRE-こんにちは+안녕+OK'
printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s</cachedir></fontconfig>\n' \
    "$EH_LINUX_DIR/font-cache" >"$EH_LINUX_DIR/no-fonts.conf"
export FONTCONFIG_FILE=$EH_LINUX_DIR/no-fonts.conf
start_on "$mixed"
unset FONTCONFIG_FILE
ink=$(($(eh_blue_pixels "$shot" 100x50+100+100) + $(eh_blue_pixels "$shot" 250x50+100+150) +
    $(eh_blue_pixels "$shot" 100x50+400+150)))
eh_check "no font with Chinese, Japanese or Korean: their cells stay empty ($ink glyph pixels)" \
    test "$ink" = 0
result=$(eh_message_matches "$shot" "$EH_DATA/fire_fonts/font.tga" 100 100 '+++FIRE-+++++++++OK')
eh_check "and the sheet's characters stand as the sheet draws them ($result)" test $? = 0
eh_linux_end_with "$EH_PID" TERM "no font with Chinese, Japanese or Korean"

exit "$EH_FAILURES"
