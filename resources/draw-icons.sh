#!/bin/sh
# Redraws the window and navigation icons under Images/ with ImageMagick.
# Each icon is a rounded tile in its own colour with a white glyph, drawn at
# 128 px and scaled down to 32 px so the edges stay smooth.
set -eu
cd "$(dirname "$0")/Images"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# tile COLOUR OUT: the rounded background every icon shares.
tile() {
    convert -size 128x128 xc:none \
        -fill "$1" -draw "roundrectangle 4,4 123,123 24,24" \
        -fill none -stroke 'rgba(0,0,0,0.25)' -strokewidth 3 -draw "roundrectangle 5,5 122,122 23,23" \
        "$2"
}

# gear CX CY R: a polygon of 8 teeth around (CX,CY), outer radius R.
gear() {
    awk -v cx="$1" -v cy="$2" -v r="$3" 'BEGIN {
        pi = atan2(0, -1); pts = ""
        for (i = 0; i < 8; i++) {
            a = i * pi / 4
            split("-0.30 -0.17 0.17 0.30", off, " ")
            rad[1] = r * 0.74; rad[2] = r; rad[3] = r; rad[4] = r * 0.74
            for (k = 1; k <= 4; k++) {
                t = a + off[k] * 0.95
                pts = pts sprintf(" %.1f,%.1f", cx + rad[k] * cos(t), cy + rad[k] * sin(t))
            }
        }
        printf "polygon%s", pts
    }'
}

# finish IN OUT: scale the 128 px drawing to the 32 px icon.
finish() {
    convert "$1" -filter Lanczos -resize 32x32 -strip PNG32:"$2"
}

# query.png: magnifying glass (search page).
tile '#2f7bd6' "$tmp/q.png"
convert "$tmp/q.png" -fill none -stroke white -strokewidth 12 \
    -draw "circle 54,54 54,26" -draw "line 75,75 104,104" "$tmp/q2.png"
finish "$tmp/q2.png" query.png

# update.png: arrow rising onto a bar (upgrade page).
tile '#2e9e5b' "$tmp/u.png"
convert "$tmp/u.png" -fill white -stroke none \
    -draw "polygon 64,18 102,60 78,60 78,90 50,90 50,60 26,60" \
    -draw "roundrectangle 26,98 102,110 4,4" "$tmp/u2.png"
finish "$tmp/u2.png" update.png

# config.png: gear (advanced configuration, window icon).
tile '#e07b24' "$tmp/c.png"
convert "$tmp/c.png" -fill white -stroke none -draw "$(gear 64 64 50)" \
    -fill '#e07b24' -draw "circle 64,64 64,48" "$tmp/c2.png"
finish "$tmp/c2.png" config.png

# config-2.png: gear on slate.
tile '#56657a' "$tmp/c3.png"
convert "$tmp/c3.png" -fill white -stroke none -draw "$(gear 64 64 50)" \
    -fill '#56657a' -draw "circle 64,64 64,48" "$tmp/c4.png"
finish "$tmp/c4.png" config-2.png

# config3.png: three sliders.
tile '#7a4fc4' "$tmp/s.png"
convert "$tmp/s.png" -stroke white -strokewidth 8 \
    -draw "line 24,36 104,36" -draw "line 24,64 104,64" -draw "line 24,92 104,92" \
    -stroke none -fill white \
    -draw "circle 44,36 44,50" -draw "circle 82,64 82,78" -draw "circle 58,92 58,106" "$tmp/s2.png"
finish "$tmp/s2.png" config3.png

# config4.png: warning triangle (conflict report).
tile '#d23b3b' "$tmp/w.png"
convert "$tmp/w.png" -fill white -stroke none \
    -draw "polygon 64,16 112,104 16,104" \
    -fill '#d23b3b' -draw "roundrectangle 57,42 71,78 5,5" -draw "circle 64,91 64,98" "$tmp/w2.png"
finish "$tmp/w2.png" config4.png

# query_setting.ico: magnifier over a small gear, 16 and 32 px.
tile '#2f7bd6' "$tmp/qs.png"
convert "$tmp/qs.png" -fill white -stroke none -draw "$(gear 88 88 30)" \
    -fill '#2f7bd6' -draw "circle 88,88 88,78" \
    -fill none -stroke white -strokewidth 11 -draw "circle 48,48 48,24" -draw "line 66,66 78,78" "$tmp/qs2.png"
convert "$tmp/qs2.png" -filter Lanczos \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) -delete 0 query_setting.ico

# terminal-settings.ico: a terminal (speaker box) with a gear, 16 and 32 px.
tile '#1f9aa3' "$tmp/t.png"
convert "$tmp/t.png" -fill white -stroke none -draw "roundrectangle 22,18 78,110 8,8" \
    -fill '#1f9aa3' -draw "circle 50,76 50,92" -draw "circle 50,38 50,45" \
    -fill white -draw "circle 50,76 50,84" \
    -draw "$(gear 94 94 26)" -fill '#1f9aa3' -draw "circle 94,94 94,85" "$tmp/t2.png"
convert "$tmp/t2.png" -filter Lanczos \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) -delete 0 terminal-settings.ico
