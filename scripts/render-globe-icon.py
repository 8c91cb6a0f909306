#!/usr/bin/env python3
"""Renders Tovren's globe icon: green land on a blue sea, lit from the upper left.

The globe is drawn from the shapes below, not from any picture: an orthographic view of a
sphere whose land is where a sum of waves over latitude and longitude rises above sea level.
The 16 x 16 and 32 x 32 pictures use only the 16 colours of the classic VGA palette; the larger
ones, for high-DPI screens, are smoothly shaded. Writes PNG files into app/icons/, and
globe.ico, the same pictures in one Windows icon file.

Usage: scripts/render-globe-icon.py   (needs only Python 3)
"""
import math
import pathlib
import struct
import zlib

SIZES_16_COLOURS = (16, 32)
SIZES_FULL_COLOUR = (48, 64, 128, 256)

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


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                     + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(path, pngs):
    """An icon file whose pictures are PNG streams, as Windows has read them since Vista."""
    header = struct.pack("<HHH", 0, 1, len(pngs))
    offset = len(header) + 16 * len(pngs)
    entries = b""
    for size, data in pngs:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    path.write_bytes(header + entries + b"".join(data for _, data in pngs))


def main():
    out = pathlib.Path(__file__).resolve().parent.parent / "app" / "icons"
    out.mkdir(parents=True, exist_ok=True)
    for size in SIZES_16_COLOURS:
        write_png(out / f"globe-{size}.png", render(size, True))
    for size in SIZES_FULL_COLOUR:
        write_png(out / f"globe-{size}.png", render(size, False))
    sizes = SIZES_16_COLOURS + SIZES_FULL_COLOUR
    write_ico(out / "globe.ico", [(s, (out / f"globe-{s}.png").read_bytes()) for s in sizes])


if __name__ == "__main__":
    main()
