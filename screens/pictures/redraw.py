#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Redraws every picture of the program from its source drawing.

    screens/pictures/redraw.py            redraw every picture
    screens/pictures/redraw.py grin bin   redraw only those
    screens/pictures/redraw.py --check    redraw into a scratch folder and say
                                          which committed files differ

The drawings are SVG files in sources/, one per picture (an icon may have a
second, simpler drawing for its 16 x 16 image: <name>-16.svg). Each is
rendered at exactly the picture's pixel size by rsvg-convert and then written
in the picture's own format by the encoders below, so that every file is what
the screens expect:

  GIF   GIF89a, one frame, a global palette of exactly the listed number of
        colours whose last entry is the transparent one.
  JPEG  baseline JFIF, 8 bits, three components, no stored resolution.
  icon  a 32 x 32 and a 16 x 16 image of 16 colours with a transparency mask.

A pixel of a GIF or icon is transparent where the drawing leaves it more than
half transparent; a pixel the drawing only partly covers is blended with the
picture's matte, the colour of what it is usually shown on, so the soft edges
of a face do not come out dark against the silver background.

Needs Debian's librsvg2-bin, python3-pil and fonts-urw-base35 (the lettering
of the program's name is set in Z003). The build itself needs none of them:
it embeds the files committed here.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

try:
    from PIL import Image
except ImportError:
    # The test of the committed pictures is skipped where the drawing tools are missing.
    print("python3-pil is missing: apt-get install python3-pil", file=sys.stderr)
    sys.exit(77 if "--check" in sys.argv else 1)

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = os.path.join(HERE, "sources")

# The silver the toolbar and smiley pictures sit on, near the top right of the
# main background.
SILVER = (206, 208, 212)

# name: (format, width, height, colours or JPEG quality, matte)
PICTURES = {
    "main-background": ("jpeg", 509, 421, 90, None),
    "dialog-background": ("jpeg", 340, 102, 90, None),
    "size-background": ("jpeg", 320, 261, 90, None),
    "about": ("jpeg", 270, 202, 92, None),
    "ok": ("jpeg", 40, 20, 92, None),
    "cancel": ("jpeg", 32, 32, 92, None),
    "return-arrow": ("jpeg", 32, 32, 92, None),
    "colour-letters": ("jpeg", 32, 32, 92, None),
    "bin": ("icon", 32, 32, 16, SILVER),
    "window": ("icon", 32, 32, 16, (192, 192, 192)),
    "picture-frame": ("gif", 23, 22, 8, SILVER),
    "web-page": ("gif", 23, 22, 256, SILVER),
    "chain-link": ("gif", 23, 22, 4, SILVER),
    "loudspeaker": ("gif", 23, 22, 256, SILVER),
    "play-bubble": ("gif", 23, 22, 256, SILVER),
    "flash-burst": ("gif", 23, 22, 256, SILVER),
    "grin": ("gif", 15, 15, 64, SILVER),
    "question": ("gif", 15, 22, 64, SILVER),
    "angry": ("gif", 15, 15, 64, SILVER),
    "wink": ("gif", 15, 15, 64, SILVER),
    "surprised": ("gif", 15, 15, 64, SILVER),
    "smiling": ("gif", 15, 15, 64, SILVER),
    "tongue": ("gif", 15, 15, 64, SILVER),
    "sad": ("gif", 15, 15, 64, SILVER),
}

EXTENSIONS = {"jpeg": ".jpg", "gif": ".gif", "icon": ".ico"}


def file_name(name):
    return name + EXTENSIONS[PICTURES[name][0]]


def render(source, width, height, scratch):
    """The drawing at exactly width x height pixels, as RGBA."""
    out = os.path.join(scratch, "render.png")
    subprocess.run(
        ["rsvg-convert", "--width", str(width), "--height", str(height),
         "--format", "png", "--output", out, source],
        check=True)
    image = Image.open(out).convert("RGBA")
    image.load()
    if image.size != (width, height):
        sys.exit(f"{source}: rendered {image.size}, wanted {width} x {height}")
    return image


def flatten(image, matte):
    """Opaque RGB pixels over the matte, and which pixels are transparent."""
    background = Image.new("RGBA", image.size, matte + (255,))
    flat = Image.alpha_composite(background, image).convert("RGB")
    transparent = [a < 128 for a in image.getchannel("A").getdata()]
    return flat, transparent


def palette_for(flat, transparent, colours):
    """At most `colours` colours for the opaque pixels, and each pixel's index."""
    opaque = [p for p, clear in zip(flat.getdata(), transparent) if not clear]
    distinct = sorted(set(opaque))
    if len(distinct) <= colours:
        palette = distinct
        lookup = {colour: i for i, colour in enumerate(palette)}
        indices = [lookup.get(p, 0) for p in flat.getdata()]
        return palette, indices
    strip = Image.new("RGB", (len(opaque), 1))
    strip.putdata(opaque)
    reduced = strip.quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                             dither=Image.Dither.NONE)
    raw = reduced.getpalette()[: 3 * colours]
    palette = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    remapped = flat.quantize(palette=reduced, dither=Image.Dither.NONE)
    return palette, list(remapped.getdata())


# ------------------------------------------------------------------ GIF

def lzw(indices, min_code_size):
    """GIF's variable-length LZW, least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bits = 0
    nbits = 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    def fresh():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, size = fresh()
    emit(clear, size)
    current = ()
    for index in indices:
        extended = current + (index,)
        if extended in table:
            current = extended
            continue
        emit(table[current], size)
        if next_code < 4096:
            table[extended] = next_code
            next_code += 1
            # The decoder widens its codes one step later than the encoder
            # adds the entry that needs them.
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table, next_code, size = fresh()
        current = (index,)
    if current:
        emit(table[current], size)
    emit(end, size)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def encode_gif(image, colours, matte):
    width, height = image.size
    flat, transparent = flatten(image, matte)
    palette, indices = palette_for(flat, transparent, colours - 1)
    clear_index = colours - 1
    indices = [clear_index if clear else i for i, clear in zip(indices, transparent)]
    palette = palette + [(0, 0, 0)] * (colours - len(palette))
    depth = colours.bit_length() - 1  # colours is a power of two
    if 1 << depth != colours or not 2 <= depth <= 8:
        sys.exit(f"a GIF palette of {colours} colours")

    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | (depth - 1) << 4 | (depth - 1), 0, 0)
    for colour in palette:
        data += bytes(colour)
    # Graphic control extension: no disposal, no delay, a transparent index.
    data += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, clear_index, 0)
    data += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    min_code_size = max(2, depth)
    data.append(min_code_size)
    stream = lzw(indices, min_code_size)
    for start in range(0, len(stream), 255):
        chunk = stream[start:start + 255]
        data.append(len(chunk))
        data += chunk
    data += b"\x00\x3B"
    return bytes(data)


# ------------------------------------------------------------------ JPEG

def encode_jpeg(image, quality, scratch):
    out = os.path.join(scratch, "picture.jpg")
    # White under anything the drawing leaves open; no dots-per-inch given, so
    # the JFIF header stores an aspect ratio only.
    flat = Image.alpha_composite(Image.new("RGBA", image.size, (255, 255, 255, 255)), image)
    flat.convert("RGB").save(out, "JPEG", quality=quality, subsampling=0,
                             optimize=False, progressive=False)
    with open(out, "rb") as f:
        return f.read()


# ------------------------------------------------------------------ icon

def icon_image(image, matte):
    """One image of an icon: header, 16-colour palette, colour bits, mask bits."""
    width, height = image.size
    flat, transparent = flatten(image, matte)
    # Masked pixels must be black in the colour bits, so that a reader that
    # ignores the mask still shows nothing of them: keep black among the 16.
    palette, indices = palette_for(flat, transparent, 16)
    if (0, 0, 0) not in palette and len(palette) == 16:
        palette, indices = palette_for(flat, transparent, 15)
    if (0, 0, 0) not in palette:
        palette.append((0, 0, 0))
    black = palette.index((0, 0, 0))
    palette = palette + [(0, 0, 0)] * (16 - len(palette))
    indices = [black if clear else i for i, clear in zip(indices, transparent)]

    colour_row = (width * 4 + 31) // 32 * 4
    mask_row = (width + 31) // 32 * 4
    bits = bytearray()
    for y in reversed(range(height)):  # bitmaps run bottom-up
        row = bytearray(colour_row)
        for x in range(0, width, 2):
            row[x // 2] = indices[y * width + x] << 4 | indices[y * width + x + 1]
        bits += row
    for y in reversed(range(height)):
        row = bytearray(mask_row)
        for x in range(width):
            if transparent[y * width + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        bits += row

    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0,
                         len(bits), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bytes(bits)


def encode_icon(images, matte):
    entries = [icon_image(image, matte) for image in images]
    data = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for image, entry in zip(images, entries):
        width, height = image.size
        data += struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(entry), offset)
        offset += len(entry)
    for entry in entries:
        data += entry
    return bytes(data)


# ------------------------------------------------------------------ driver

def redraw(name, scratch):
    form, width, height, setting, matte = PICTURES[name]
    source = os.path.join(SOURCES, name + ".svg")
    image = render(source, width, height, scratch)
    if form == "gif":
        return encode_gif(image, setting, matte)
    if form == "jpeg":
        return encode_jpeg(image, setting, scratch)
    small_source = os.path.join(SOURCES, name + "-16.svg")
    small = render(small_source if os.path.exists(small_source) else source, 16, 16, scratch)
    return encode_icon([image, small], matte)


def main(args):
    check = "--check" in args
    names = [a for a in args if a != "--check"] or list(PICTURES)
    unknown = [n for n in names if n not in PICTURES]
    if unknown:
        sys.exit("no such picture: " + ", ".join(unknown))
    if not shutil.which("rsvg-convert"):
        print("rsvg-convert is missing: apt-get install librsvg2-bin", file=sys.stderr)
        return 77 if check else 1
    differing = []
    with tempfile.TemporaryDirectory() as scratch:
        for name in names:
            data = redraw(name, scratch)
            target = os.path.join(HERE, file_name(name))
            if check:
                with open(target, "rb") as f:
                    if f.read() != data:
                        differing.append(file_name(name))
                continue
            with open(target, "wb") as f:
                f.write(data)
            print(f"{file_name(name)}: {len(data)} bytes")
    if check:
        for name in differing:
            print(f"{name} differs from its drawing")
        return 1 if differing else 0
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
