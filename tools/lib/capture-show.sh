# shellcheck shell=bash
# Sourced by scripts: captures what a user sees of the saver running full screen
# on an X display under Wine.
#
# Wine renders an OpenGL child window into an X window of its own, parked under
# a 1x1 parent off screen; a shot of the root window shows that area as the
# parent painted it. What a user sees is the root shot with that X window's
# frame laid over it at the child's position.
#
#   gl_child_window_id WIDTH HEIGHT     X id of the off-screen GL window of that size
#   capture_root FILE.png               the root window
#   capture_window ID FILE.png          one X window
#   compose_show ROOT GL X Y OUT.png    GL laid over ROOT with its top-left at X,Y
#   capture_show DIR X Y WIDTH HEIGHT   all of it: DIR/root.png, DIR/gl.png, DIR/show.png
#   image_max FILE.png [GEOMETRY]       brightest channel value 0..255 (of a crop)
#   image_min FILE.png [GEOMETRY]       darkest channel value 0..255 (of a crop)
#   image_mean_rgb FILE.png [GEOMETRY]  "r g b" mean, 0..255 (of a crop)
#
# Needs DISPLAY, xwininfo, xwd and ImageMagick's convert.

gl_child_window_id() {
    local width=$1 height=$2
    # The tree prints each window as "0xID ... WxH+X+Y ...", indented by depth;
    # a stack of (indent, size) gives every window its parent's size.
    xwininfo -root -tree | awk -v want="${width}x${height}" '
        /^ *0x[0-9a-f]+ / {
            indent = index($0, "0x") - 1
            size = ""
            if (match($0, /[0-9]+x[0-9]+[+-]-?[0-9]+[+-]-?[0-9]+/)) {
                size = substr($0, RSTART, RLENGTH)
                sub(/[+-].*/, "", size)
            }
            while (n > 0 && indents[n] >= indent) n--
            parent = n > 0 ? sizes[n] : ""
            n++
            indents[n] = indent
            sizes[n] = size
            if (parent == "1x1" && size == want) { print $1; exit }
        }'
}

capture_root() {
    xwd -root -silent | convert xwd:- "$1"
}

capture_window() {
    xwd -id "$1" -silent | convert xwd:- "$2"
}

compose_show() {
    local root=$1 gl=$2 x=$3 y=$4 out=$5
    convert "$root" "$gl" -geometry "+$x+$y" -composite "$out"
}

capture_show() {
    local dir=$1 x=$2 y=$3 width=$4 height=$5 id
    mkdir -p "$dir"
    id=$(gl_child_window_id "$width" "$height")
    if [ -z "$id" ]; then
        echo "capture_show: no off-screen ${width}x${height} GL window" >&2
        return 1
    fi
    capture_window "$id" "$dir/gl.png" || return 1
    capture_root "$dir/root.png" || return 1
    compose_show "$dir/root.png" "$dir/gl.png" "$x" "$y" "$dir/show.png"
}

image_max() {
    local crop=()
    [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
    convert "$1" "${crop[@]}" -format '%[fx:int(255*max(maxima.r,max(maxima.g,maxima.b))+0.5)]' info:
}

image_min() {
    local crop=()
    [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
    convert "$1" "${crop[@]}" -format '%[fx:int(255*min(minima.r,min(minima.g,minima.b))+0.5)]' info:
}

image_mean_rgb() {
    local crop=()
    [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
    convert "$1" "${crop[@]}" -format '%[fx:int(255*mean.r+0.5)] %[fx:int(255*mean.g+0.5)] %[fx:int(255*mean.b+0.5)]' info:
}
