"""Worlds for the benchmarks, written as link files, and the editor started on them."""
import os
import subprocess


TILED_MAP = ('<?xml version="1.0" encoding="UTF-8"?>\n'
             '<map version="1.8" tiledversion="1.8.2" orientation="orthogonal" '
             'renderorder="right-down" width="20" height="15" tilewidth="16" tileheight="16" '
             'infinite="0" nextlayerid="2" nextobjectid="1">\n'
             ' <tileset firstgid="1" source="ground.tsx"/>\n'
             ' <layer id="1" name="ground" width="20" height="15">\n  <data encoding="csv">\n' +
             ",\n".join(",".join(["1"] * 20) for _ in range(15)) +
             '\n</data>\n </layer>\n</map>\n')


def make_grid(folder, width, height, tiled=False):
    """Every map leads to its four grid neighbours and they lead back; every 997th map has lost
    its link right (a one-way link), and every 1009th leads up to a map that is gone. With
    `tiled`, every map has a Tiled map of one screen, 20 by 15 tiles, beside it."""
    name = lambda x, y: f"m{x}_{y}" if 0 <= x < width and 0 <= y < height else ""
    for y in range(height):
        for x in range(width):
            index = y * width + x
            up, down, left, right = name(x, y - 1), name(x, y + 1), name(x - 1, y), name(x + 1, y)
            if index % 997 == 1:
                right = ""
            if index % 1009 == 2:
                up = f"gone{index}"
            with open(os.path.join(folder, name(x, y) + ".link"), "wb") as file:
                file.write(f"{up}\r\n{down}\r\n{left}\r\n{right}\r\n".encode())
            if tiled:
                with open(os.path.join(folder, name(x, y) + ".tmx"), "w") as file:
                    file.write(TILED_MAP)


def start_editor(tool, folder):
    """`tovren-world edit` on the folder: its process and the address it printed."""
    server = subprocess.Popen([tool, "edit", "--no-browser", folder], stdout=subprocess.PIPE,
                              text=True)
    return server, server.stdout.readline().split(" at ")[-1].strip()
