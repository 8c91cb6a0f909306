"""Worlds for the benchmarks, written as link files, and the editor started on them."""
import os
import subprocess


def make_grid(folder, width, height):
    """Every map leads to its four grid neighbours and they lead back; every 997th map has lost
    its link right (a one-way link), and every 1009th leads up to a map that is gone."""
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


def start_editor(tool, folder):
    """`tovren-world edit` on the folder: its process and the address it printed."""
    server = subprocess.Popen([tool, "edit", "--no-browser", folder], stdout=subprocess.PIPE,
                              text=True)
    return server, server.stdout.readline().split(" at ")[-1].strip()
