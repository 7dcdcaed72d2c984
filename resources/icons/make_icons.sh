#!/usr/bin/env bash
# Draws the program's icons and the dock background with ImageMagick draw primitives.
#
#   resources/icons/toolbar/NN.png  24x24 menu and button pictures, named by picture index
#   resources/icons/tree/N.png      24x24 navigation tree pictures, named by picture index
#   resources/icons/app.png         64x64 application icon
#   resources/images/dock.png       400x50 dock background, stretched by the window
#
# Coordinates sit on half pixels so that one-pixel outlines stay sharp at 24x24.
# Run from anywhere; the output is written next to this script. Re-running gives the same
# files (no time stamps are stored in the PNGs).
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TOOLBAR="$HERE/toolbar"
TREE="$HERE/tree"
IMAGES="$HERE/../images"
mkdir -p "$TOOLBAR" "$TREE" "$IMAGES"

# Palette shared by all pictures.
INK='#34404e'        # outlines
PAPER='#ffffff'      # page and label fill
BLUE='#2f78c8'       # data arrows, disk, help
BLUE_DARK='#1d4f8a'  # outlines of blue parts
GREEN='#2f9e44'      # joined plugs, write arrow
GREEN_DARK='#1f6b2e'
RED='#d23a3a'        # parted plugs
RED_DARK='#8e2222'
FOLDER='#f2c14e'     # folder front
FOLDER_BACK='#d9a030'
FOLDER_DARK='#9a6c12'
METAL='#c7ced6'      # plug bodies, connector shell
METAL_DARK='#6d7885'
DEVICE='#5b6b7d'     # transmitter housing
DEVICE_LIGHT='#8797a8'
WOOD='#b77a3d'       # door
WOOD_DARK='#7a4e22'

# Writes one PNG with an alpha channel and no time chunks.
#   draw SIZE OUTPUT -- convert drawing options...
draw() {
    local size="$1" out="$2"
    shift 3
    convert -size "${size}x${size}" xc:none "$@" \
        -strip -define png:exclude-chunks=date,time,tIME "PNG32:$out"
}

# --- Pieces used by several pictures ------------------------------------------------------

# A floppy disk in the 24x24 box, from (x0,y0) to (x1,y1).
disk_args() {
    local x0="$1" y0="$2" x1="$3" y1="$4"
    local sx0 sx1 sy1 lx0 lx1 ly0
    sx0=$(awk "BEGIN{print $x0+4}")
    sx1=$(awk "BEGIN{print $x1-4}")
    sy1=$(awk "BEGIN{print $y0+6}")
    lx0=$(awk "BEGIN{print $x0+3}")
    lx1=$(awk "BEGIN{print $x1-3}")
    ly0=$(awk "BEGIN{print $y1-7}")
    printf '%s\n' \
        -fill "$BLUE" -stroke "$BLUE_DARK" -strokewidth 1 \
        -draw "polygon $x0,$y0 $(awk "BEGIN{print $x1-2}"),$y0 $x1,$(awk "BEGIN{print $y0+2}") $x1,$y1 $x0,$y1" \
        -fill "$METAL" -stroke "$METAL_DARK" \
        -draw "rectangle $sx0,$y0 $sx1,$sy1" \
        -fill "$METAL_DARK" -stroke none \
        -draw "rectangle $(awk "BEGIN{print $sx1-3.5}"),$(awk "BEGIN{print $y0+1.5}") $(awk "BEGIN{print $sx1-1.5}"),$(awk "BEGIN{print $sy1-1.5}")" \
        -fill "$PAPER" -stroke "$BLUE_DARK" \
        -draw "rectangle $lx0,$ly0 $lx1,$y1" \
        -stroke "$METAL" \
        -draw "line $(awk "BEGIN{print $lx0+2}"),$(awk "BEGIN{print $ly0+2.5}") $(awk "BEGIN{print $lx1-2}"),$(awk "BEGIN{print $ly0+2.5}")" \
        -draw "line $(awk "BEGIN{print $lx0+2}"),$(awk "BEGIN{print $ly0+4.5}") $(awk "BEGIN{print $lx1-2}"),$(awk "BEGIN{print $ly0+4.5}")"
}

# A block arrow pointing down (dir=down) or up (dir=up), centred on x, from y0 to y1.
arrow_args() {
    local dir="$1" cx="$2" y0="$3" y1="$4" fill="$5" edge="$6"
    local sl sr hl hr
    sl=$(awk "BEGIN{print $cx-2}")
    sr=$(awk "BEGIN{print $cx+2}")
    hl=$(awk "BEGIN{print $cx-5}")
    hr=$(awk "BEGIN{print $cx+5}")
    if [ "$dir" = down ]; then
        local hy
        hy=$(awk "BEGIN{print $y1-5}")
        printf '%s\n' -fill "$fill" -stroke "$edge" -strokewidth 1 \
            -draw "polygon $sl,$y0 $sr,$y0 $sr,$hy $hr,$hy $cx,$y1 $hl,$hy $sl,$hy"
    else
        local hy
        hy=$(awk "BEGIN{print $y0+5}")
        printf '%s\n' -fill "$fill" -stroke "$edge" -strokewidth 1 \
            -draw "polygon $cx,$y0 $hr,$hy $sr,$hy $sr,$y1 $sl,$y1 $sl,$hy $hl,$hy"
    fi
}

# The transmitter seen from the front: a small housing with a lit LED, at the top.
device_args() {
    printf '%s\n' \
        -fill "$DEVICE" -stroke "$INK" -strokewidth 1 \
        -draw "roundrectangle 3.5,2.5 20.5,9.5 1.5,1.5" \
        -fill "$GREEN" -stroke none -draw "rectangle 6,5 8,7" \
        -fill "$DEVICE_LIGHT" -draw "rectangle 11,5 18,6"
}

# A circular arc of radius r around (cx,cy), 40 degrees either side of the left (side=l)
# or right (side=r) direction, as short line primitives for one -draw (ImageMagick closes
# stroked paths and polylines, which would fill a flat arc in).
wave() {
    awk -v cx="$1" -v cy="$2" -v r="$3" -v side="$4" 'BEGIN {
        pi = atan2(0, -1); s = ""
        base = (side == "l") ? pi : 0
        for (k = -8; k < 8; k++) {
            t0 = base + k * 5 * pi / 180; t1 = t0 + 5 * pi / 180
            s = s sprintf("line %.2f,%.2f %.2f,%.2f ", cx + r * cos(t0), cy + r * sin(t0),
                          cx + r * cos(t1), cy + r * sin(t1))
        }
        print s
    }'
}

# A mast with two pairs of radio waves, on the left half.
antenna_args() {
    printf '%s\n' \
        -fill none -stroke "$INK" -strokewidth 1.5 \
        -draw "line 7.5,8 7.5,21.5" \
        -draw "line 4.5,21.5 10.5,21.5" \
        -fill "$INK" -stroke none -draw "circle 7.5,7 9.5,7" \
        -fill none -stroke "$BLUE" -strokewidth 1.2 \
        -draw "$(wave 7.5 7 3.5 l)" -draw "$(wave 7.5 7 3.5 r)" \
        -draw "$(wave 7.5 7 6 l)" -draw "$(wave 7.5 7 6 r)"
}

# A plug seen from the side, facing right; x is the left end of its body, y its centre line.
plug_right_args() {
    local x="$1" y="$2" body="$3" edge="$4"
    printf '%s\n' \
        -fill none -stroke "$INK" -strokewidth 2 \
        -draw "line $(awk "BEGIN{print $x-5}"),$y $x,$y" \
        -fill "$body" -stroke "$edge" -strokewidth 1 \
        -draw "roundrectangle $x,$(awk "BEGIN{print $y-3.5}") $(awk "BEGIN{print $x+5}"),$(awk "BEGIN{print $y+3.5}") 1,1" \
        -fill "$METAL" -stroke "$METAL_DARK" \
        -draw "rectangle $(awk "BEGIN{print $x+5}"),$(awk "BEGIN{print $y-2.5}") $(awk "BEGIN{print $x+8}"),$(awk "BEGIN{print $y-1.5}")" \
        -draw "rectangle $(awk "BEGIN{print $x+5}"),$(awk "BEGIN{print $y+1.5}") $(awk "BEGIN{print $x+8}"),$(awk "BEGIN{print $y+2.5}")"
}

# A socket seen from the side, facing left; x is the right end of its body, y its centre.
socket_left_args() {
    local x="$1" y="$2" body="$3" edge="$4"
    printf '%s\n' \
        -fill none -stroke "$INK" -strokewidth 2 \
        -draw "line $x,$y $(awk "BEGIN{print $x+5}"),$y" \
        -fill "$body" -stroke "$edge" -strokewidth 1 \
        -draw "roundrectangle $(awk "BEGIN{print $x-6}"),$(awk "BEGIN{print $y-4.5}") $x,$(awk "BEGIN{print $y+4.5}") 1,1" \
        -fill "$INK" -stroke none \
        -draw "rectangle $(awk "BEGIN{print $x-6}"),$(awk "BEGIN{print $y-3}") $(awk "BEGIN{print $x-4}"),$(awk "BEGIN{print $y-1}")" \
        -draw "rectangle $(awk "BEGIN{print $x-6}"),$(awk "BEGIN{print $y+1}") $(awk "BEGIN{print $x-4}"),$(awk "BEGIN{print $y+3}")"
}

# Reads option lines printed by the helpers above into the array ARGS.
collect() {
    ARGS=()
    local line
    while IFS= read -r line; do ARGS+=("$line"); done < <("$@")
}

# --- Menu and button pictures -------------------------------------------------------------

# 00 New: a blank page with a folded corner.
draw 24 "$TOOLBAR/00.png" -- \
    -fill "$PAPER" -stroke "$INK" -strokewidth 1 \
    -draw "polygon 5.5,2.5 14.5,2.5 19.5,7.5 19.5,21.5 5.5,21.5" \
    -fill '#dfe5ec' -draw "polygon 14.5,2.5 14.5,7.5 19.5,7.5"

# 01 Open: a folder with its front opened.
draw 24 "$TOOLBAR/01.png" -- \
    -fill "$FOLDER_BACK" -stroke "$FOLDER_DARK" -strokewidth 1 \
    -draw "polygon 2.5,5.5 8.5,5.5 10.5,7.5 19.5,7.5 19.5,19.5 2.5,19.5" \
    -fill "$PAPER" -stroke "$METAL_DARK" -draw "rectangle 5.5,9.5 17.5,17.5" \
    -fill "$FOLDER" -stroke "$FOLDER_DARK" \
    -draw "polygon 6.5,11.5 22.5,11.5 19.5,19.5 2.5,19.5"

# 02 Save: a floppy disk.
collect disk_args 3.5 3.5 20.5 20.5
draw 24 "$TOOLBAR/02.png" -- "${ARGS[@]}"

# 03 Save as: a smaller floppy disk with a pen across its corner.
collect disk_args 1.5 1.5 16.5 16.5
draw 24 "$TOOLBAR/03.png" -- "${ARGS[@]}" \
    -fill '#f5d76e' -stroke '#8a6d12' -strokewidth 1 \
    -draw "polygon 20.5,9.5 22.5,11.5 13.5,20.5 11.5,18.5" \
    -fill '#e9a0a0' -draw "polygon 20.5,9.5 22.5,11.5 21.5,12.5 19.5,10.5" \
    -fill "$INK" -stroke none -draw "polygon 11.5,18.5 13.5,20.5 10,22"

# 04 Exit: an open door with an arrow leaving it.
draw 24 "$TOOLBAR/04.png" -- \
    -fill '#e7dccb' -stroke "$INK" -strokewidth 1 \
    -draw "rectangle 3.5,2.5 13.5,21.5" \
    -fill "$WOOD" -stroke "$WOOD_DARK" \
    -draw "polygon 3.5,2.5 9.5,4.5 9.5,23.5 3.5,21.5" \
    -fill '#f5d76e' -stroke none -draw "circle 8,13 8.9,13" \
    -fill "$GREEN" -stroke "$GREEN_DARK" \
    -draw "polygon 12.5,10.5 17.5,10.5 17.5,7 22.5,12 17.5,17 17.5,13.5 12.5,13.5"

# 05 Connect: a mains-style plug on its cable.
draw 24 "$TOOLBAR/05.png" -- \
    -fill none -stroke "$INK" -strokewidth 2 \
    -draw "bezier 12,15 12,21 5,18 4,23" \
    -fill "$METAL" -stroke "$METAL_DARK" -strokewidth 1 \
    -draw "rectangle 8.5,1.5 9.5,6.5" -draw "rectangle 14.5,1.5 15.5,6.5" \
    -fill "$DEVICE" -stroke "$INK" \
    -draw "roundrectangle 6.5,6.5 17.5,13.5 2,2" \
    -draw "polygon 9.5,13.5 14.5,13.5 13.5,16.5 10.5,16.5" \
    -fill "$DEVICE_LIGHT" -stroke none -draw "rectangle 8,8 16,9"

# A read picture and a write picture on one background: a blue arrow down for reading,
# a green arrow up for writing, centred on x, from y0 to 21.5.
#   transfer_pair BACKGROUND_HELPER READ_PNG WRITE_PNG X Y0
transfer_pair() {
    local background="$1" read_png="$2" write_png="$3" cx="$4" y0="$5"
    collect "$background"
    local base=("${ARGS[@]}")
    collect arrow_args down "$cx" "$y0" 21.5 "$BLUE" "$BLUE_DARK"
    draw 24 "$read_png" -- "${base[@]}" "${ARGS[@]}"
    collect arrow_args up "$cx" "$y0" 21.5 "$GREEN" "$GREEN_DARK"
    draw 24 "$write_png" -- "${base[@]}" "${ARGS[@]}"
}

# 06 Read and 07 Write: data comes down out of the transmitter, or goes up into it.
transfer_pair device_args "$TOOLBAR/06.png" "$TOOLBAR/07.png" 12 10.5

# 08 Remote read and 09 Remote write: an antenna with a downward or an upward arrow.
transfer_pair antenna_args "$TOOLBAR/08.png" "$TOOLBAR/09.png" 17.5 6.5

# 11 Port: a nine-pin serial connector seen from the front.
draw 24 "$TOOLBAR/11.png" -- \
    -fill "$METAL" -stroke "$METAL_DARK" -strokewidth 1 \
    -draw "roundrectangle 0.5,6.5 23.5,17.5 2,2" \
    -fill '#2c3540' -stroke "$INK" \
    -draw "polygon 3.5,8.5 20.5,8.5 18.5,15.5 5.5,15.5" \
    -fill '#e3c46a' -stroke none \
    -draw "circle 6.5,11 7.4,11" -draw "circle 9.25,11 10.15,11" -draw "circle 12,11 12.9,11" \
    -draw "circle 14.75,11 15.65,11" -draw "circle 17.5,11 18.4,11" \
    -draw "circle 7.9,13.6 8.8,13.6" -draw "circle 10.6,13.6 11.5,13.6" \
    -draw "circle 13.4,13.6 14.3,13.6" -draw "circle 16.1,13.6 17,13.6" \
    -fill "$METAL_DARK" -draw "circle 2.3,12 3,12" -draw "circle 21.7,12 22.4,12"

# 12 Help: a question mark on a blue disc.
draw 24 "$TOOLBAR/12.png" -- \
    -fill "$BLUE" -stroke "$BLUE_DARK" -strokewidth 1 -draw "circle 12,12 12,1.5" \
    -fill none -stroke "$PAPER" -strokewidth 2.4 \
    -draw "bezier 8.2,9.4 8.2,4.4 16,4.4 16,8.8" -draw "bezier 16,8.8 16,11.4 12.2,11.4 12.2,14.4" \
    -fill "$PAPER" -stroke none -draw "circle 12.2,17.9 12.2,16.4"

# 13 About: an "i" on a blue disc.
draw 24 "$TOOLBAR/13.png" -- \
    -fill "$BLUE" -stroke "$BLUE_DARK" -strokewidth 1 -draw "circle 12,12 12,1.5" \
    -fill "$PAPER" -stroke none -draw "circle 12,6.8 12,5" \
    -draw "rectangle 10.5,9.5 13.5,17.5" \
    -draw "rectangle 9,9.5 13.5,11" -draw "rectangle 9,16.5 15,18.5"

# 14 Undo and 15 Redo: an arrow turning back to the left, and the same one turning on to
# the right: a blue bent shaft (PATH) and its head (HEAD, a triangle).
turning_arrow() {
    local out="$1" shaft="$2" head="$3"
    draw 24 "$out" -- \
        -fill none -stroke "$BLUE_DARK" -strokewidth 3.4 -draw "path '$shaft'" \
        -stroke "$BLUE" -strokewidth 1.6 -draw "path '$shaft'" \
        -fill "$BLUE" -stroke "$BLUE_DARK" -strokewidth 1 -draw "polygon $head"
}
turning_arrow "$TOOLBAR/14.png" "M 8,9.5 L 14,9.5 A 5.2,5.2 0 0 1 14,19.5 L 9,19.5" \
    "2.5,9.5 9.5,3.5 9.5,15.5"
turning_arrow "$TOOLBAR/15.png" "M 16,9.5 L 10,9.5 A 5.2,5.2 0 0 0 10,19.5 L 15,19.5" \
    "21.5,9.5 14.5,3.5 14.5,15.5"

# 19 Connect button: plug and socket joined, green.
collect plug_right_args 5.5 12 "$GREEN" "$GREEN_DARK"
ARGS_PLUG=("${ARGS[@]}")
collect socket_left_args 19.5 12 "$GREEN" "$GREEN_DARK"
draw 24 "$TOOLBAR/19.png" -- "${ARGS_PLUG[@]}" "${ARGS[@]}"

# 20 Disconnect button: plug and socket apart, red, with a gap between them.
collect plug_right_args 2.5 12 "$RED" "$RED_DARK"
ARGS_PLUG=("${ARGS[@]}")
collect socket_left_args 22.5 12 "$RED" "$RED_DARK"
draw 24 "$TOOLBAR/20.png" -- "${ARGS_PLUG[@]}" "${ARGS[@]}" \
    -fill none -stroke "$RED_DARK" -strokewidth 1.2 \
    -draw "line 12.5,4 11,7" -draw "line 12.5,20 11,17"

# --- Navigation tree pictures -------------------------------------------------------------

# A gear: twelve corners of eight teeth around a hub, computed here.
gear_polygon() {
    awk 'BEGIN {
        cx = 12; cy = 12; ro = 10; ri = 7.2; n = 8; pi = atan2(0, -1)
        s = ""
        for (k = 0; k < n; k++) {
            a = 2 * pi * k / n
            w = pi / n
            split("-0.55 -0.3 0.3 0.55", f, " ")
            r[1] = ri; r[2] = ro; r[3] = ro; r[4] = ri
            for (j = 1; j <= 4; j++) {
                t = a + f[j] * w
                s = s sprintf(" %.2f,%.2f", cx + r[j] * cos(t), cy + r[j] * sin(t))
            }
        }
        print "polygon" s
    }'
}

# 0 Settings: a grey gear.
draw 24 "$TREE/0.png" -- \
    -fill "$METAL" -stroke "$METAL_DARK" -strokewidth 1 -draw "$(gear_polygon)" \
    -fill "$PAPER" -stroke "$METAL_DARK" -draw "circle 12,12 12,8.5"

# 1 Inputs: a motion sensor with its lens and detection waves.
draw 24 "$TREE/1.png" -- \
    -fill '#f3f5f8' -stroke "$INK" -strokewidth 1 \
    -draw "roundrectangle 2.5,4.5 11.5,19.5 2,2" \
    -fill '#9b2c2c' -stroke '#5f1a1a' -draw "ellipse 7,12 3,3.5 0,360" \
    -fill '#ffb0b0' -stroke none -draw "circle 6,10.8 6.8,10.8" \
    -fill none -stroke "$RED" -strokewidth 1.4 \
    -draw "$(wave 8 12 6 r)" -draw "$(wave 8 12 10 r)"

# --- Application icon ---------------------------------------------------------------------

draw 64 "$HERE/app.png" -- \
    -fill none -stroke "$INK" -strokewidth 3 -draw "line 44,30 44,15" \
    -fill "$INK" -stroke none -draw "circle 44,14 44,11" \
    -fill none -stroke "$BLUE" -strokewidth 2.5 \
    -draw "$(wave 44 14 7 l)" -draw "$(wave 44 14 7 r)" \
    -draw "$(wave 44 14 12.5 l)" -draw "$(wave 44 14 12.5 r)" \
    -fill "$DEVICE" -stroke "$INK" -strokewidth 2 \
    -draw "roundrectangle 6,26 58,60 5,5" \
    -fill "$DEVICE_LIGHT" -stroke none -draw "roundrectangle 10,30 54,36 2,2" \
    -fill '#20282f' -stroke '#8797a8' -strokewidth 1 -draw "rectangle 12.5,40.5 38.5,49.5" \
    -fill '#7be08d' -stroke none \
    -draw "rectangle 15,46 17,47" -draw "rectangle 19,44 21,47" \
    -draw "rectangle 23,42 25,47" -draw "rectangle 27,40 29,47" \
    -fill "$GREEN" -stroke '#14401c' -strokewidth 1 -draw "circle 47,43 49.5,43" \
    -fill "$RED" -stroke '#5f1a1a' -draw "circle 47,52 49.5,52" \
    -fill '#3e4b58' -stroke none -draw "rectangle 12,53 38,55"

# --- Dock background ----------------------------------------------------------------------

convert -size 400x50 gradient:'#f7f7f7'-'#d9dce0' \
    -strip -define png:exclude-chunks=date,time,tIME "PNG24:$IMAGES/dock.png"

echo "icons written to $HERE, dock background to $IMAGES/dock.png"
