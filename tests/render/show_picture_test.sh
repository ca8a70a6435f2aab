#!/usr/bin/env bash
# The saver full screen, as a user sees it: starts SCR /s under Wine, captures
# the screen twice, checks the picture with ImageMagick and ends the saver
# with a key press. Runs inside tools/with-wine (DISPLAY and WINEPREFIX set).
#   show_picture_test.sh SAVER.scr square_probe.exe
# Leaves its captures in ./show_picture/.
set -uo pipefail
saver_exe=$1
probe_exe=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tools/lib/capture-show.sh
. "$here/../../tools/lib/capture-show.sh"

# shellcheck source=../support/script_checks.sh
. "$here/../support/script_checks.sh"
require_wine_session

out=$PWD/show_picture
rm -rf "$out"
mkdir -p "$out"
float_between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
brighter() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

wine "$saver_exe" /s &
saver=$!
coproc POSITION { exec wine "$probe_exe" --each-line; }
position_in=${POSITION[1]}
position_out=${POSITION[0]}
trap 'kill "$saver" 2>/dev/null; exec {position_in}>&-' EXIT

# Where the square is now: sets x y side.
square_now() {
    local width height
    echo >&"$position_in"
    read -r -t 20 x y width height <&"$position_out" || return 1
    side=$width
    [ "$x" != none ] && [ "$width" = "$height" ]
}

# Wait, within a deadline, until the square shows a drawn frame: its first
# paint comes after the saver window has painted the screen black.
shown=0
for _ in $(seq 100); do
    if square_now && capture_show "$out/first" "$x" "$y" "$side" "$side" 2>/dev/null &&
        [ "$(image_max "$out/first/gl.png")" -gt 0 ]; then
        shown=1
        break
    fi
    sleep 0.1
done
if [ "$shown" = 0 ]; then echo "FAILED: no drawn square on the screen"; exit 1; fi
x1=$x y1=$y
# Then until the square has moved on and shows another frame.
moved=0
for _ in $(seq 100); do
    if square_now && [ "$x,$y" != "$x1,$y1" ] && capture_show "$out/second" "$x" "$y" "$side" "$side" &&
        [ "$(compare -metric AE "$out/first/gl.png" "$out/second/gl.png" null: 2>&1)" != 0 ]; then
        moved=1
        break
    fi
    sleep 0.1
done
x2=$x y2=$y

screen_height=$(convert "$out/first/root.png" -format '%h' info:)
# 35 % of the height, with the single-precision 0.35 (11744051 / 2^25), truncated.
check "square side $side for a screen $screen_height high" test "$side" -eq $((screen_height * 11744051 >> 25))

# The root shot: black everywhere but where the square was (give it 4 pixels of travel).
convert "$out/first/root.png" -fill black \
    -draw "rectangle $((x1 - 4)),$((y1 - 4)) $((x1 + side + 4)),$((y1 + side + 4))" "$out/root_outside.png"
check "black outside the square" test "$(image_max "$out/root_outside.png")" -eq 0

# The disc: its bounding box against black, centred, with a radius that the
# projection allows between the near (-14.6) and far (-28.2) turns. The 35-sided
# sphere lies within 2 % inside its true outline.
IFS='x+' read -r disc_w disc_h disc_x disc_y < <(convert "$out/first/gl.png" -fuzz 2% -format '%@' info:)
read -r radius_lo radius_hi < <(awk -v s="$side" 'BEGIN {
    t = sin(22.5 * atan2(0, -1) / 180) / cos(22.5 * atan2(0, -1) / 180)
    far = 4.5 / 28.2; near = 4.5 / 14.6
    print 0.98 * s / 2 * far / sqrt(1 - far * far) / t - 1, s / 2 * near / sqrt(1 - near * near) / t + 1 }')
centre_x=$(awk -v a="$disc_x" -v w="$disc_w" 'BEGIN { print a + w / 2 }')
centre_y=$(awk -v a="$disc_y" -v h="$disc_h" 'BEGIN { print a + h / 2 }')
check "disc centred in the square ($centre_x,$centre_y of $side)" \
    float_between "$centre_x" $((side / 2 - 2)) $((side / 2 + 3))
check "disc centred vertically" float_between "$centre_y" $((side / 2 - 2)) $((side / 2 + 3))
check "disc radius $((disc_w / 2)) within $radius_lo..$radius_hi" \
    float_between "$(awk -v w="$disc_w" 'BEGIN { print w / 2 }')" "$radius_lo" "$radius_hi"
check "disc round" float_between "$disc_h" $((disc_w - 2)) $((disc_w + 2))

# Coloured where it faces the viewer, lit from the upper left.
quarter=$((disc_w / 4))
cx=${centre_x%.*} cy=${centre_y%.*}
read -r r g b < <(image_mean_rgb "$out/first/gl.png" "$((2 * quarter))x$((2 * quarter))+$((cx - quarter))+$((cy - quarter))")
spread=$(printf '%s\n' "$r" "$g" "$b" | sort -n | sed -n '1p;3p' | paste -sd' ' | awk '{ print $2 - $1 }')
check "disc coloured (mean $r $g $b)" test "$spread" -ge 30
read -r ur ug ub < <(image_mean_rgb "$out/first/gl.png" "${quarter}x${quarter}+$((cx - quarter - quarter / 2))+$((cy - quarter - quarter / 2))")
read -r lr lg lb < <(image_mean_rgb "$out/first/gl.png" "${quarter}x${quarter}+$((cx + quarter / 2))+$((cy + quarter / 2))")
check "upper left brighter than lower right" brighter $((ur + ug + ub)) $((lr + lg + lb))

# What a user sees holds the frame at the square's place.
convert "$out/first/show.png" -crop "${side}x${side}+$x1+$y1" +repage "$out/show_square.png"
check "composed picture shows the frame in the square" \
    test "$(compare -metric AE "$out/show_square.png" "$out/first/gl.png" null: 2>&1)" = 0

check "the square moved ($x1,$y1 -> $x2,$y2) and a later frame differs" test "$moved" = 1

xdotool key space
for _ in $(seq 100); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
wait "$saver"
check "a key ends the saver with exit code 0" test $? -eq 0

exec {position_in}>&-
trap - EXIT
wait
check_summary
