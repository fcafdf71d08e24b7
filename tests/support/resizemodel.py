#!/usr/bin/python3
"""An independent model of the converter's --resize, --fit and --fill, in PIL, for the tests to compare with.

    resizemodel.py PICTURE FIT SIZE FILTER BACKGROUND OUT.png [FRAME]

FIT is stretch, contain or cover; SIZE is WxH (stretch may leave out a side); FILTER lanczos or nearest; BACKGROUND
#RRGGBB, what transparent pixels are laid over. A JPEG is decoded as PIL's draft() chooses (the smallest DCT scale
at least the size), the picture resampled (RGBA premultiplied, as PIL does), placed, and laid over the background;
OUT.png is RGB. FRAME picks a frame of an animated GIF, composed as PIL composes it.
"""
import sys

from PIL import Image


def main():
    picture, fit, size, kernel, background, out = sys.argv[1:7]
    frame = int(sys.argv[7]) if len(sys.argv) > 7 else 0
    width, height = (int(side) if side else 0 for side in size.lower().split("x"))
    image = Image.open(picture)
    if frame:
        image.seek(frame)
    source = image.size
    if fit == "stretch":
        if not width:
            width = max(1, round(height * source[0] / source[1]))
        if not height:
            height = max(1, round(width * source[1] / source[0]))
        scaled = (width, height)
    else:
        factor = (min if fit == "contain" else max)(width / source[0], height / source[1])
        scaled = (max(1, round(source[0] * factor)), max(1, round(source[1] * factor)))
        pick = min if fit == "contain" else max
        scaled = (pick(width, scaled[0]), pick(height, scaled[1]))
    if image.format == "JPEG":
        image.draft("RGB", scaled)
    image = image.convert("RGBA")
    resample = Image.NEAREST if kernel == "nearest" else Image.LANCZOS
    image = image.resize(scaled, resample)
    placed = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    if fit == "cover":
        left, top = (scaled[0] - width) // 2, (scaled[1] - height) // 2
        placed.paste(image.crop((left, top, left + width, top + height)), (0, 0))
    else:
        placed.paste(image, ((width - scaled[0]) // 2, (height - scaled[1]) // 2))
    colour = tuple(int(background[i:i + 2], 16) for i in (1, 3, 5))
    ground = Image.new("RGBA", placed.size, colour + (255,))
    Image.alpha_composite(ground, placed).convert("RGB").save(out)


if __name__ == "__main__":
    main()
