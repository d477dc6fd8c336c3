#!/usr/bin/env bash
# Draws the window's pictures and the alert sound. The results are committed;
# run this again only to change them (needs imagemagick, sox, libsox-fmt-mp3, bc,
# fonts-wqy-microhei and fonts-dejavu-core).
set -euo pipefail
cd "$(dirname "$0")"
ZH=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
SYM=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
mkdir -p images

# Background: a blue head (title, logo, info, toolbar), a light body, a status band.
convert -size 763x208 gradient:'#1d4f91-#3a7bd5' \
        \( -size 763x300 xc:'#eef2f7' \) \
        \( -size 763x29 gradient:'#dfe6ef-#cfd8e3' \) -append \
        -fill '#0e2a52' -draw 'roundrectangle 418,50 744,94 5,5' -depth 8 PNG24:images/background.png

# Logo: a parcel mark and the program's name.
convert -size 302x76 xc:none \
  -fill '#ffb300' -draw 'roundrectangle 4,12 56,64 8,8' \
  -fill '#d98e00' -draw 'rectangle 4,30 56,36' -draw 'rectangle 27,12 33,64' \
  -font "$ZH" -fill white -pointsize 34 -annotate +68+46 '件踪宝' \
  -font "$ZH" -fill '#cfe0ff' -pointsize 13 -annotate +70+68 '快递跟踪 · 到件提醒' \
  images/logo.png

# Toolbar: index, symbol, caption.
tool() {
  convert -size 53x79 xc:none \
    -fill 'rgba(255,255,255,0.18)' -stroke 'rgba(255,255,255,0.55)' -strokewidth 1 \
    -draw 'roundrectangle 4,3 48,47 9,9' -stroke none \
    -font "$SYM" -fill white -pointsize "$3" -gravity north -annotate +0+"$4" "$2" \
    -font "$ZH" -fill white -pointsize 13 -gravity south -annotate +0+8 "$5" \
    "images/toolbar$1.png"
}
tool 1 '✎' 28 6 '编辑'
tool 2 '✖' 26 8 '清空'
tool 3 '+' 36 0 '添加'
tool 4 '⚲' 30 4 '搜索'
tool 5 '↻' 30 4 '刷新'
tool 6 '☰' 28 6 '公司'
tool 7 '⇩' 30 4 '导出'

# Close image of the panels.
convert -size 21x21 xc:none -fill '#d9534f' -draw 'circle 10,10 10,1' \
  -stroke white -strokewidth 2 -draw 'line 6,6 14,14' -draw 'line 14,6 6,14' -depth 8 PNG32:images/close.png

# Busy animation: a dot running round a ring.
frames=()
for i in 0 1 2 3 4 5 6 7; do
  a=$(echo "$i * 45" | bc -l)
  x=$(printf '%.0f' "$(echo "12 + 8 * c($a * 3.14159 / 180)" | bc -l)")
  y=$(printf '%.0f' "$(echo "12 + 8 * s($a * 3.14159 / 180)" | bc -l)")
  convert -size 24x24 xc:none -fill none -stroke '#c8d6ea' -strokewidth 3 -draw 'circle 12,12 12,4' \
    -stroke none -fill '#ffb300' -draw "circle $x,$y $((x + 3)),$y" "frame$i.gif"
  frames+=("frame$i.gif")
done
convert -delay 10 -loop 0 -dispose Background "${frames[@]}" images/busy.gif
rm -f frame*.gif

# Program icon (drawn as images/jianzongbao.svg is), at the sizes menus ask for;
# the window and the tray use the 64-pixel one.
icon() {
  local n=$1 out=$2
  s() { echo $(( $1 * n / 64 )); }
  convert -size "${n}x${n}" xc:none -fill '#2f6db5' -draw "roundrectangle 0,0 $((n - 1)),$((n - 1)) $(s 12),$(s 12)" \
    -fill '#ffb300' -draw "roundrectangle $(s 12),$(s 14) $(s 52),$(s 50) $(s 5),$(s 5)" -fill '#d98e00' \
    -draw "rectangle $(s 12),$(s 28) $(s 52),$(s 32)" -draw "rectangle $(s 30),$(s 14) $(s 34),$(s 50)" \
    -depth 8 "PNG32:$out"
}
icon 64 images/jianzongbao.png
for n in 48 128 256; do icon "$n" "images/jianzongbao-$n.png"; done

# Alert sound: a short two-tone chime.
sox -n -r 44100 -c 1 /tmp/jzb-chime.wav synth 0.18 sine 880 synth 0.18 sine 880 : synth 0.32 sine 1320 fade 0 0.32 0.25 vol 0.6
sox /tmp/jzb-chime.wav -C 64 ts.mp3
rm -f /tmp/jzb-chime.wav
