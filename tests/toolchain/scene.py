#!/usr/bin/env python3
"""The scene examples/sdcc-displays draws, composed a pixel at a time from the converter's own data, to compare
with the frame the firmware drew in the simulator: the menu's text is the converter's --render of it (on a
black screen, so every ink pixel there is the text's), and over it, as main.c places them, the photograph copied,
the icon through its mask, the box's edges and the line in white, and the ball's second frame, unpacked here with
PackBits as TIFF defines it, copied.

    scene.py DISPLAY WIDTH HEIGHT FRAME_HEX RENDER_HEX GENERATED_DIR
exits 1 naming the first pixel that differs.
"""
import re
import sys

display, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
frame, render = bytes.fromhex(sys.argv[4]), bytes.fromhex(sys.argv[5])
generated = sys.argv[6]
pages = display in ('ssd1306', 'ks0108')
bits = {'ssd1322': 4, 'st7735': 16}.get(display, 1)
white = (1 << bits) - 1


def array(name, of):
    """The values of the array `name` in the generated C file `of`.c, and its header's #defines."""
    text = open(f"{generated}/{of}.c", encoding="utf-8").read()
    body = re.search(r"\b" + name + r"\[[^]]*\] = \{(.*?)\};", text, re.S).group(1)
    body = re.sub(r"/\*.*?\*/", "", body, flags=re.S)
    return [int(v, 16) for v in re.findall(r"0x[0-9A-Fa-f]+", body)]


def size(of):
    text = open(f"{generated}/{of}.h", encoding="utf-8").read()
    number = lambda key: int(re.search(rf"#define {of.upper()}_{key} (\d+)", text).group(1))
    return number("WIDTH"), number("HEIGHT")


def pixels(data, w, h):
    """A picture's pixel values from its bytes, in the display's layout."""
    out = []
    for y in range(h):
        for x in range(w):
            if pages:
                out.append(data[y // 8 * w + x] >> y % 8 & 1)
            elif bits == 1:
                out.append(data[y * ((w + 7) // 8) + x // 8] >> (7 - x % 8) & 1)
            elif bits == 4:
                b = data[y * ((w + 1) // 2) + x // 2]
                out.append(b >> 4 if x % 2 == 0 else b & 15)
            else:
                at = y * w * 2 + x * 2
                out.append(data[at] << 8 | data[at + 1])
    return out


def unpack(packed, count):
    out, i = [], 0
    while len(out) < count:
        n = packed[i]
        i += 1
        if n < 128:
            out += packed[i:i + n + 1]
            i += n + 1
        elif n > 128:
            out += [packed[i]] * (257 - n)
            i += 1
    return out[:count]


screen = pixels(render, width, height)  # the menu, on black
model = [0] * (width * height)
for i, v in enumerate(screen):
    if v:
        model[i] = v


def put(x, y, v):
    if 0 <= x < width and 0 <= y < height:
        model[y * width + x] = v


w, h = size("photo")
for i, v in enumerate(pixels(array("photo", "photo"), w, h)):
    put(i % w, i // w, v)
w, h = size("icon")
icon, cover = pixels(array("icon", "icon"), w, h), array("icon_mask", "icon")
for i, v in enumerate(icon):
    x, y = i % w, i // w
    masked = cover[y // 8 * w + x] >> y % 8 & 1 if pages else cover[y * ((w + 7) // 8) + x // 8] >> (7 - x % 8) & 1
    if masked:
        put(4 + x, 4 + y, v)
for x in range(28):
    put(x, 49, white)
    put(x, 63, white)
for y in range(49, 64):
    put(0, y, white)
    put(27, y, white)
for x in range(3, 25):
    put(x, 56, white)
w, h = size("ball")
frameBytes = w * ((h + 7) // 8) if pages else (w * bits + 7) // 8 * h
offsets = array("ball_offsets", "ball")
for i, v in enumerate(pixels(unpack(array("ball", "ball")[offsets[1]:], frameBytes), w, h)):
    put(30 + i % w, 48 + i // w, v)

drawn = pixels(frame, width, height)
for i in range(width * height):
    if drawn[i] != model[i]:
        print(f"{display}: pixel ({i % width}, {i // width}) is {drawn[i]:#x}, not {model[i]:#x}")
        sys.exit(1)
