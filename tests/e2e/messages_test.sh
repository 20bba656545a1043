#!/usr/bin/env bash
# Messages over the fire, as a user sees them: the first message of the default script stands
# at its place; a message holds, bursts into falling letters and gives way to the next; without
# a script the saver still runs, with no letters. A message in German, Greek and Russian with
# digits and signs, saved as UTF-8 and (its Latin line) in the Windows code page, shows every
# character as the sheet draws it; a clock shows the machine's time and follows it. In the standard colours the fire has no blue,
# so glyph pixels are the pixels with blue.
set -u
saver=$1
source "$(dirname "$0")/../wine/lib.sh"
eh_begin_e2e
shots=$EH_SHOTS
eh_start_xvfb 1024x768
motd="$EH_WINDOWS_DIR/fire_data/motd.txt"

# The box a text covers: 50 pixels a cell, '-' breaking lines (at most 20 cells a line).
text_box() {
    local text=$1 x=$2 y=$3
    awk -v t="$text" -v x="$x" -v y="$y" 'BEGIN {
        n = split(t, lines, "-"); w = 0
        for (i = 1; i <= n; i++) if (length(lines[i]) > w) w = length(lines[i])
        if (w > 20) w = 20
        printf "%dx%d+%d+%d", w * 50, n * 50, x, y }'
}

# --- the default data: the first message at its place ---
eh_clear_data
eh_install_data
read -r text x y hold < <(grep -v '^[[:space:]]*$' "$motd" | head -n 1)
box=$(text_box "$text" "$x" "$y")
eh_start_saver "$saver"
sleep 1.5
eh_screenshot "$shots/first-message.png"
eh_end_with_escape "default messages"
inside=$(eh_blue_pixels "$shots/first-message.png" "$box")
all=$(eh_blue_pixels "$shots/first-message.png" 1024x768+0+0)
eh_check "the first message ($text) is drawn in its box $box ($inside glyph pixels)" eh_gt "$inside" 1000
eh_check "no glyph pixels outside that box ($((all - inside)))" test "$((all - inside))" -lt 20
cp "$shots/first-message.png" "$shots/readme-candidate.png"

# --- hold, burst, next message ---
printf 'EMBERS 300 200 2000\nGLOW 100 100 5000\n' >"$motd"
first_box=$(text_box EMBERS 300 200)
second_box=$(text_box GLOW 100 100)
eh_start_saver "$saver"
sleep 1
eh_screenshot "$shots/holding.png"
sleep 3.5
eh_screenshot "$shots/bursting.png"
sleep 6
eh_screenshot "$shots/next-message.png"
eh_end_with_escape "hold and burst"
held=$(eh_blue_pixels "$shots/holding.png" "$first_box")
flying=$(eh_blue_pixels "$shots/bursting.png" "$first_box")
flying_all=$(eh_blue_pixels "$shots/bursting.png" 1024x768+0+0)
eh_check "while it holds, EMBERS stands at 300,200 ($held glyph pixels)" eh_gt "$held" 1000
eh_check "in the burst the letters have left their places ($flying left in the box)" \
    test "$flying" -lt "$((held / 2))"
eh_check "in the burst the letters are still on screen ($flying_all glyph pixels)" eh_gt "$flying_all" 200
next=$(eh_blue_pixels "$shots/next-message.png" "$second_box")
eh_check "after the burst the next message GLOW stands at 100,100 ($next glyph pixels)" eh_gt "$next" 700

# --- the user's own words, in UTF-8 and in the Windows code page, and a clock ---
sheet="$EH_WINDOWS_DIR/fire_fonts/font.tga"
words='Grüße+aus+Köln!-3:30+€5+Ελλάδα+Привет'
for encoding in UTF-8 WINDOWS-1252; do
    shown=$words
    [ "$encoding" = UTF-8 ] || shown=${words%%+Ελλάδα*}
    printf '%s 12 100 60000\n' "$shown" | iconv -f UTF-8 -t "$encoding" >"$motd"
    eh_start_saver "$saver"
    sleep 1.5
    eh_screenshot "$shots/words-$encoding.png"
    eh_end_with_escape "words in $encoding"
    result=$(eh_message_matches "$shots/words-$encoding.png" "$sheet" 12 100 "$shown")
    eh_check "$shown in $encoding: every cell as the sheet draws it ($result)" test $? = 0
done
printf '%%H:%%M:%%S 262 300 60000\n' >"$motd"
eh_start_saver "$saver"
for shot in 1 2; do
    sleep 1.2
    before=$(date +%s)
    eh_screenshot "$shots/clock-$shot.png"
    after=$(date +%s)
    result=$(eh_clock_message_matches "$shots/clock-$shot.png" "$sheet" 262 300 %H:%M:%S "$((before - 1))" "$after")
    eh_check "%H:%M:%S, screenshot $shot: the machine's time ($result)" test $? = 0
done
eh_end_with_escape "clock"

# --- no script at all ---
rm -f "$motd"
eh_start_saver "$saver"
sleep 2
eh_screenshot "$shots/no-script.png"
eh_check "without a script the saver runs" kill -0 "$EH_PID"
eh_end_with_escape "no script"
eh_check "without a script no letters are drawn" test "$(eh_blue_pixels "$shots/no-script.png" 1024x768+0+0)" = 0
eh_check "without a script the fire still burns" eh_gt "$(eh_mean "$shots/no-script.png" 1024x60+0+700 r)" 0.5

# --- characters the sheet lacks, drawn from the system's fonts (WenQuanYi Micro Hei here): ---
# each cell in the ember look, the same character alike, others not; then they burst.
cjk='新年快乐-こんにちは+안녕+新'
printf '%s 12 100 4000\n' "$cjk" >"$motd"
eh_start_saver "$saver"
sleep 1.5
eh_screenshot "$shots/system-glyphs.png"
sleep 5
eh_screenshot "$shots/system-glyphs-burst.png"
eh_end_with_escape "system glyphs"
result=$(eh_message_matches "$shots/system-glyphs.png" "$sheet" 12 100 "$cjk" --system-glyphs)
eh_check "$cjk: every cell from the system's fonts (${result//$'\n'/; })" test $? = 0
held=$(eh_blue_pixels "$shots/system-glyphs.png" 500x100+12+100)
flying=$(eh_blue_pixels "$shots/system-glyphs-burst.png" 500x100+12+100)
flying_all=$(eh_blue_pixels "$shots/system-glyphs-burst.png" 1024x768+0+0)
eh_check "in the burst they leave their places ($flying of $held)" test "$flying" -lt "$((held / 2))"
eh_check "in the burst they are still on screen ($flying_all glyph pixels)" eh_gt "$flying_all" 200

eh_clear_data
exit "$EH_FAILURES"
