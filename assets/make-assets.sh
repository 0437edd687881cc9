#!/usr/bin/env bash
# Draws the banner and the icon. Their outputs are committed, so building
# needs neither this script nor ImageMagick; run it again after a change.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
convert -size 64x800 gradient:'#0b3d6e'-'#1f8fd1' -rotate 90 \
  -fill '#ffffff22' -draw 'circle 720,10 790,60' -draw 'circle 660,70 700,95' \
  -font "$font" -fill white -pointsize 34 -annotate +22+44 'Trova' \
  -fill '#d8ecff' -pointsize 16 -annotate +150+42 '浏览器与系统修复工具  ·  插件 · 免疫 · 启动项 · 网站屏蔽' \
  -type TrueColor BMP3:banner.bmp
for s in 16 32 48 256; do
  convert -size ${s}x${s} radial-gradient:'#3aa0e8'-'#0b3d6e' \
    -font "$font" -fill white -gravity center -pointsize $((s * 7 / 10)) -annotate +0+0 'T' \
    PNG32:icon-$s.png
done
convert icon-16.png icon-32.png icon-48.png icon-256.png trova.ico
rm -f icon-*.png
