#!/usr/bin/env python3
"""Renders Tovren's globe icon: green land on a blue sea, lit from the upper left.

The globe is drawn from the shapes below, not from any picture: an orthographic view of a
sphere whose land is where a sum of waves over latitude and longitude rises above sea level.
The 16 x 16 and 32 x 32 pictures use only the 16 colours of the classic VGA palette; the larger
ones, for high-DPI screens, are smoothly shaded. Writes PNG files into app/icons/, and
globe.ico, the same pictures in one Windows icon file: uncompressed bitmaps (4 bits a pixel
for the 16-colour ones), as every version of Windows reads them, and PNG only at 256.

Usage: scripts/render-globe-icon.py   (needs only Python 3)
"""
import math
import pathlib
import struct
import zlib

SIZES_16_COLOURS = (16, 32)
SIZES_FULL_COLOUR = (24, 48, 64, 128, 256)

VGA_PALETTE = (
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
)

# Where the globe is turned to: the longitude facing the viewer and the tilt of the axis.
FACING_LONGITUDE = 0.6
TILT = 0.35
LIGHT = (-0.55, -0.6, 0.58)  # x right, y down, z towards the viewer


def land_height(latitude, longitude):
    """Above zero is land. A few waves make continent-like blobs; the poles stay sea."""
    h = (0.50 * math.sin(3 * longitude + 0.4) * math.cos(latitude * 2.2)
         + 0.35 * math.sin(4 * latitude + 1.1) * math.cos(2 * longitude - 0.7)
         + 0.25 * math.sin(6 * longitude + 3 * latitude)
         + 0.15 * math.cos(9 * latitude - 4 * longitude))
    return h - 0.12 - 0.5 * abs(latitude) ** 3


def shade(x, y):
    """The colour and coverage of a point of the icon, x and y in -1..1 across its face."""
    radius_squared = x * x + y * y
    if radius_squared > 1.0:
        return None
    z = math.sqrt(1.0 - radius_squared)
    # Undo the tilt, then read latitude and longitude off the sphere.
    ty = y * math.cos(TILT) - z * math.sin(TILT)
    tz = y * math.sin(TILT) + z * math.cos(TILT)
    latitude = -math.asin(max(-1.0, min(1.0, ty)))
    longitude = math.atan2(x, tz) + FACING_LONGITUDE
    light = max(0.0, x * LIGHT[0] + y * LIGHT[1] + z * LIGHT[2])
    brightness = 0.35 + 0.65 * light
    if land_height(latitude, longitude) > 0:
        colour = (40, 200, 40)
    else:
        colour = (30, 70, 230)
    return tuple(min(255, int(c * brightness + 40 * light ** 12)) for c in colour)


def nearest_vga(colour):
    return min(VGA_PALETTE, key=lambda p: sum((a - b) ** 2 for a, b in zip(p, colour)))


def render(size, sixteen_colours):
    pixels = []
    margin = 0.5 if sixteen_colours else 1.0
    scale = (size / 2.0) - margin
    samples = 1 if sixteen_colours else 4
    for row in range(size):
        line = []
        for column in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    px = column + (sx + 0.5) / samples
                    py = row + (sy + 0.5) / samples
                    colour = shade((px - size / 2.0) / scale, (py - size / 2.0) / scale)
                    if colour is not None:
                        covered += 1
                        total = [t + c for t, c in zip(total, colour)]
            if covered == 0:
                line.append((0, 0, 0, 0))
                continue
            average = tuple(t // covered for t in total)
            if sixteen_colours:
                line.append(nearest_vga(average) + (255,))
            else:
                line.append(average + (255 * covered // (samples * samples),))
        pixels.append(line)
    if sixteen_colours:
        outline(pixels)
    return pixels


def outline(pixels):
    """A dark rim where the globe meets the transparent background, as small icons have."""
    size = len(pixels)
    rim = []
    for y in range(size):
        for x in range(size):
            if pixels[y][x][3] == 0:
                continue
            neighbours = [(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            if any(not (0 <= nx < size and 0 <= ny < size) or pixels[ny][nx][3] == 0
                   for nx, ny in neighbours):
                rim.append((x, y))
    for x, y in rim:
        pixels[y][x] = VGA_PALETTE[1] + (255,)


def png_bytes(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def and_mask(pixels):
    """One bit a pixel, set where the picture is transparent; rows bottom-up, 32-bit aligned."""
    size = len(pixels)
    stride = (size + 31) // 32 * 4
    rows = b""
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows += bytes(bits)
    return rows


def bitmap_entry(pixels, sixteen_colours):
    """An icon picture as a device-independent bitmap: header, palette, colours, mask."""
    size = len(pixels)
    if sixteen_colours:
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA_PALETTE)
        colours = b""
        for row in reversed(pixels):
            indices = [VGA_PALETTE.index(p[:3]) if p[3] else 0 for p in row]
            packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
            colours += packed + bytes(-len(packed) % 4)
        bits = 4
    else:
        palette = b""
        colours = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for r, g, b, a in row)
        bits = 32
    mask = and_mask(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(colours) + len(mask), 0, 0, len(palette) // 4, 0)
    return header + palette + colours + mask, bits, len(palette) // 4


def write_ico(path, pictures):
    """An icon file of (size, pixels, 16 colours or not) pictures."""
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    entries = b""
    images = b""
    for size, pixels, sixteen_colours in pictures:
        if size >= 256:
            data, bits, colour_count = png_bytes(pixels), 32, 0
        else:
            data, bits, colour_count = bitmap_entry(pixels, sixteen_colours)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count % 256, 0, 1,
                               bits, len(data), offset)
        offset += len(data)
        images += data
    path.write_bytes(header + entries + images)


def main():
    out = pathlib.Path(__file__).resolve().parent.parent / "app" / "icons"
    out.mkdir(parents=True, exist_ok=True)
    pictures = [(size, render(size, True), True) for size in SIZES_16_COLOURS]
    pictures += [(size, render(size, False), False) for size in SIZES_FULL_COLOUR]
    pictures.sort(key=lambda picture: picture[0])
    for size, pixels, _ in pictures:
        (out / f"globe-{size}.png").write_bytes(png_bytes(pixels))
    write_ico(out / "globe.ico", pictures)


if __name__ == "__main__":
    main()
