#!/usr/bin/python3
"""How close the pictures of `bdi encode` come to their originals, with and without dithering.

Pictures: the sample photographs astronaut, coffee and chelsea of scikit-image, and the demo's
four pictures as `artgen` paints them (coded with the options the demo's build uses). Each is
encoded, decoded back to the colours the display shows, and compared with the original by PSNR
after a Gaussian blur of sigma 1 on both pictures, per channel (the eye averages neighbouring
pixels, so dithering is judged by what it looks like from a normal distance), and by plain PSNR.

Needs Debian's python3-skimage python3-scipy python3-numpy python3-pil (apt-get install
--no-install-recommends); run it with /usr/bin/python3. It installs and downloads nothing.

    tools/bdi/measure-dither.py --bdi build/bin/bdi --artgen build/bin/artgen [--before OLD_BDI]

With --before, an older bdi is measured too ("today"), and the .bdi files that both write
without dithering are compared byte for byte; the exit status is 1 when they differ. Encoding
times are wall times of one run of the tool, reading and writing the files included.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from PIL import Image
from scipy.ndimage import gaussian_filter
from skimage import data

PHOTOS = ("astronaut", "coffee", "chelsea")
# The demo's pictures and their options, as assets/CMakeLists.txt codes them.
ART = {
    "tile02": ["-m", "2"],
    "role": ["-m", "1", "-k", "0"],
    "fire": ["-m", "2"],
    "tile04": ["-m", "0", "-k", "248", "-c", "255,0,255"],
}


def code_rgb(code):
    """The colour the display shows for a code: its word code * 0x101, fields widened to 8 bits."""
    word = code * 0x101
    r5, g6, b5 = word >> 11, (word >> 5) & 0x3F, word & 0x1F
    return np.array([(r5 << 3) | (r5 >> 2), (g6 << 2) | (g6 >> 4), (b5 << 3) | (b5 >> 2)], dtype=np.uint8)


def reference(path, options):
    """The original as the display should show it: keyed pixels in the key code's colour."""
    rgba = np.array(Image.open(path).convert("RGBA"))
    rgb = rgba[..., :3].copy()
    if "-k" in options:
        keyed = rgba[..., 3] == 0
        if "-c" in options:
            colour = [int(v) for v in options[options.index("-c") + 1].split(",")]
            keyed |= np.all(rgb == colour, axis=-1)
        rgb[keyed] = code_rgb(int(options[options.index("-k") + 1]))
    return rgb


def blur(rgb, sigma=1.0):
    f = rgb.astype(np.float64)
    out = np.stack([gaussian_filter(f[..., c], sigma=sigma, mode="reflect") for c in range(3)], axis=-1)
    return np.clip(np.rint(out), 0, 255).astype(np.uint8)


def psnr(a, b):
    mse = np.mean((a.astype(np.float64) - b.astype(np.float64)) ** 2)
    return float("inf") if mse == 0 else 10.0 * np.log10(255.0 * 255.0 / mse)


def db(value):
    return "inf" if value == float("inf") else "%.2f" % value


def encode(bdi, options, source, target):
    start = time.perf_counter()
    subprocess.run([bdi, "encode", *options, source, target], check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def decoded(bdi, bdi_file, work):
    png = os.path.join(work, "decoded.png")
    subprocess.run([bdi, "decode", bdi_file, png], check=True)
    return np.array(Image.open(png).convert("RGB"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bdi", required=True, help="the bdi tool to measure")
    parser.add_argument("--artgen", required=True, help="the artgen tool that paints the demo's pictures")
    parser.add_argument("--before", help="an older bdi tool to compare with")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="measure-dither-") as work:
        subprocess.run([args.artgen, os.path.join(work, "art")], check=True, stdout=subprocess.DEVNULL)
        pictures = []
        for name in PHOTOS:
            path = os.path.join(work, name + ".png")
            Image.fromarray(getattr(data, name)()).save(path)
            pictures.append((name, path, []))
        for name, options in ART.items():
            pictures.append((name, os.path.join(work, "art", name + ".png"), options))

        runs = [("today", args.before, [])] if args.before else []
        runs += [("plain", args.bdi, []), ("dither", args.bdi, ["-d"])]
        header = ["picture", "pixels"] + ["%s: blurred / plain PSNR, time" % run for run, _, _ in runs]
        header += ["-d same as plain"] + (["plain same as today"] if args.before else [])
        print("| " + " | ".join(header) + " |")
        print("|" + "---|" * len(header))
        different = []
        for name, path, options in pictures:
            original = reference(path, options)
            blurred = blur(original)
            cells = [name, "%d x %d" % (original.shape[1], original.shape[0])]
            coded = {}
            for run, tool, extra in runs:
                bdi_file = os.path.join(work, "%s-%s.bdi" % (name, run))
                seconds = encode(tool, options + extra, path, bdi_file)
                shown = decoded(args.bdi, bdi_file, work)
                cells.append("%s / %s dB, %.2f s" % (db(psnr(blurred, blur(shown))), db(psnr(original, shown)), seconds))
                with open(bdi_file, "rb") as f:
                    coded[run] = f.read()
            cells.append("yes" if coded["dither"] == coded["plain"] else "no")
            if args.before:
                cells.append("yes" if coded["today"] == coded["plain"] else "NO")
                if coded["today"] != coded["plain"]:
                    different.append(name)
            print("| " + " | ".join(cells) + " |")
    return 1 if different else 0


if __name__ == "__main__":
    sys.exit(main())
