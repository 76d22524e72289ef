"""The files kestrin-art writes, and small pictures of known pixels from its encoders,
decoded with Pillow and checked for what the program needs. Pillow keeps few of the header
fields, so those few are unpacked here.

    art_files_test.py KESTRIN_ART ENCODER_SAMPLES
"""
import io
import os
import struct
import subprocess
import sys
import tempfile
import unittest
from collections import namedtuple

from PIL import Image

ART_TOOL = sys.argv.pop(1)
SAMPLES_TOOL = sys.argv.pop(1)

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

Dib = namedtuple("Dib", "header_bytes width height planes bits compression image_bytes colours")


def dib_header(data, at):
    return Dib(*struct.unpack_from("<IiiHHII8xI", data, at))


def bmp_header(data):
    """The file's signature, its size as the header claims, where the pixels start, and the
    DIB header."""
    return (*struct.unpack_from("<2sI4xI", data), dib_header(data, 14))


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def grey(level):
    return (level, level, level)


def is_grey(c):
    return c[0] == c[1] == c[2]


def lightness(c):
    return sum(c[:3]) // 3


def is_blue(c):
    return c[2] >= c[0] + 30 and c[2] >= c[1] + 15


def is_green(c):
    return c[1] >= c[0] + 30 and c[1] >= c[2] + 30


def is_light_grey(c):
    return max(c[:3]) - min(c[:3]) <= 16 and 170 <= lightness(c) < 250


def numbered(x, y):
    """The encoder samples' pixel at (x, y)."""
    return (10 + x, 20 + y, 30 + x * y)


class ToolRun(unittest.TestCase):
    """Runs a tool into a fresh directory under the build tree."""
    tool = ART_TOOL

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(dir=os.getcwd())
        subprocess.run([cls.tool, cls.scratch.name], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def read(self, name):
        with open(os.path.join(self.scratch.name, name), "rb") as file:
            return file.read()

    def open(self, name, format):
        return Image.open(io.BytesIO(self.read(name)), formats=[format])


class ArtTool(ToolRun):
    def test_writes_exactly_the_four_resources(self):
        self.assertEqual(set(os.listdir(self.scratch.name)),
                         {"kestrin.ico", "strip_top.bmp", "strip_bottom.bmp", "close.bmp"})

    def test_fails_without_an_output_directory(self):
        self.assertNotEqual(subprocess.run([ART_TOOL], capture_output=True).returncode, 0)

    def test_fails_when_the_output_directory_cannot_be_made(self):
        with tempfile.TemporaryDirectory(dir=os.getcwd()) as scratch:
            blocker = os.path.join(scratch, "a-file")
            with open(blocker, "w") as file:
                file.write("in the way")
            run = subprocess.run([ART_TOOL, os.path.join(blocker, "art")], capture_output=True)
            self.assertNotEqual(run.returncode, 0)


class Icon(ToolRun):
    SIZES = [16, 20, 24, 32, 40, 48]

    def setUp(self):
        self.data = self.read("kestrin.ico")
        ico = self.open("kestrin.ico", "ICO").ico
        # Pillow sorts the frames by size; the file's order is the images' order.
        self.entries = sorted(ico.entry, key=lambda entry: entry["offset"])
        self.frames = [ico.frame(ico.entry.index(entry)) for entry in self.entries]

    # The small icon at 100, 125, 150 and 200 % and the large one up to 150 % each have a
    # frame of their own, so Windows never scales one.
    def test_directory_lists_six_8bit_sizes_smallest_first(self):
        self.assertEqual(self.data[:4], b"\0\0\1\0", "reserved 0, type 1: an icon")
        # Each directory entry starts with its width; Pillow does not keep their order.
        self.assertEqual([self.data[6 + 16 * i] for i in range(6)], self.SIZES)
        self.assertEqual([(e["width"], e["height"]) for e in self.entries],
                         [(size, size) for size in self.SIZES])
        for entry in self.entries:
            self.assertEqual((entry["nb_color"], entry["reserved"], entry["planes"], entry["bpp"]),
                             (0, 0, 1, 8))

    def test_images_are_classic_dibs_that_fill_the_file_in_order(self):
        offset = 6 + 16 * len(self.entries)
        for entry in self.entries:
            size = entry["width"]
            pixel_bytes = size * (row_bytes(size, 8) + row_bytes(size, 1))
            dib = dib_header(self.data, entry["offset"])
            self.assertEqual(entry["offset"], offset)
            self.assertEqual(dib[:7], (40, size, 2 * size, 1, 8, 0, pixel_bytes))
            self.assertEqual(entry["size"], 40 + 4 * dib.colours + pixel_bytes)
            offset = entry["offset"] + entry["size"]
        self.assertEqual(offset, len(self.data))

    def test_palettes_hold_the_colours_in_use(self):
        for entry, frame in zip(self.entries, self.frames):
            size = entry["width"]
            colours = dib_header(self.data, entry["offset"]).colours or 256
            self.assertGreaterEqual(colours, 8)
            self.assertLessEqual(colours, 256)
            # Every entry but the black one for transparent pixels shows somewhere.
            shown = {c for c in frame.getdata() if c[3] != 0}
            self.assertGreaterEqual(len(shown) + 1, colours, size)
            # The frames for 125 and 150 % keep to half a table, to keep the program small.
            if size in (20, 24, 40):
                self.assertLessEqual(colours, 128, size)

    def test_masks_leave_the_corners_transparent_and_the_globe_opaque(self):
        for frame in self.frames:
            pixels, last, area = frame.load(), frame.width - 1, frame.width * frame.height
            hidden = [c for c in frame.getdata() if c[3] == 0]
            self.assertEqual({c[:3] for c in hidden}, {BLACK}, frame.width)
            self.assertGreater(len(hidden), area // 10, frame.width)
            self.assertLess(len(hidden), area * 6 // 10, frame.width)
            for x, y in [(0, 0), (last, 0), (0, last)]:
                self.assertEqual(pixels[x, y][3], 0, (frame.width, x, y))
            self.assertEqual(pixels[last // 3, last // 3][3], 255, frame.width)

    def test_shows_sea_land_and_a_cable_lower_right(self):
        for frame in self.frames:
            half, area = frame.width // 2, frame.width * frame.height
            shown = [c for c in frame.getdata() if c[3] != 0]
            lower_right = [c for c in frame.crop((half, half, frame.width, frame.height)).getdata()
                           if c[3] != 0]
            self.assertGreater(sum(map(is_blue, shown)), area // 10, frame.width)
            self.assertGreater(sum(map(is_green, shown)), area // 10, frame.width)
            self.assertGreaterEqual(sum(map(is_light_grey, lower_right)), 4, frame.width)


class Strips(ToolRun):
    def setUp(self):
        self.top = self.open("strip_top.bmp", "BMP").convert("RGB").load()
        self.bottom = self.open("strip_bottom.bmp", "BMP").convert("RGB").load()

    def test_are_one_column_of_32_true_colour_pixels(self):
        for name in ["strip_top.bmp", "strip_bottom.bmp"]:
            data = self.read(name)
            self.assertEqual(len(data), 54 + 4 * 32, "one 3-byte pixel a row, padded to 4 bytes")
            self.assertEqual(bmp_header(data), (b"BM", len(data), 54, Dib(40, 1, 32, 1, 24, 0,
                                                                          4 * 32, 0)))
            self.assertEqual(set(data[54 + 3::4]), {0}, "padding")
            self.assertEqual(self.open(name, "BMP").mode, "RGB")

    def test_top_strip_lightens_from_grey_to_white(self):
        self.assertTrue(is_grey(self.top[0, 0]))
        self.assertAlmostEqual(self.top[0, 0][0], 229, delta=2)
        for y in range(1, 24):
            self.assertTrue(is_grey(self.top[0, y]), y)
            self.assertGreater(self.top[0, y][0], self.top[0, y - 1][0], y)
        for y in range(23, 32):
            self.assertEqual(self.top[0, y], WHITE, y)

    def test_bottom_strip_is_the_top_strip_upside_down_with_a_tinted_last_row(self):
        for y in range(9):
            self.assertEqual(self.bottom[0, y], WHITE, y)
        for y in range(9, 32):
            here, above, mirrored = self.bottom[0, y], self.bottom[0, y - 1], self.top[0, 31 - y]
            for channel, slack in enumerate([1, 2, 2]):
                self.assertLess(here[channel], above[channel], y)  # darker on every row
                self.assertAlmostEqual(here[channel], mirrored[channel], delta=slack, msg=y)
        self.assertEqual(self.bottom[0, 31], (229, 227, 228))


class CloseGlyph(ToolRun):
    EDGES = {grey(95), grey(106)}
    SOFTENERS = {grey(223), grey(234)}

    def setUp(self):
        self.data = self.read("close.bmp")
        self.glyph = self.open("close.bmp", "BMP").convert("RGB").load()

    def inked(self, x, y):
        return self.glyph[x, y] != WHITE

    def test_is_a_16_by_16_true_colour_bitmap(self):
        self.assertEqual(len(self.data), 54 + 16 * 16 * 3)
        self.assertEqual(bmp_header(self.data)[1:],
                         (len(self.data), 54, Dib(40, 16, 16, 1, 24, 0, 16 * 16 * 3, 0)))

    def test_uses_white_and_exactly_five_greys(self):
        colours = {self.glyph[x, y] for x in range(16) for y in range(16)}
        self.assertTrue(all(map(is_grey, colours)), colours)
        self.assertEqual({c[0] for c in colours}, {95, 106, 148, 223, 234, 255})

    def test_keeps_a_two_pixel_white_border_and_fills_the_square_inside(self):
        ink = [(x, y) for x in range(16) for y in range(16) if self.inked(x, y)]
        self.assertEqual((min(x for x, _ in ink), min(y for _, y in ink)), (2, 2))
        self.assertEqual((max(x for x, _ in ink), max(y for _, y in ink)), (13, 13))

    def test_is_its_own_mirror_image_and_keeps_its_shape_upside_down(self):
        for x in range(16):
            for y in range(16):
                self.assertEqual(self.glyph[x, y], self.glyph[15 - x, y], (x, y))
                self.assertEqual(self.inked(x, y), self.inked(x, 15 - y), (x, y))

    def test_tips_are_the_only_mid_grey_pixels(self):
        mid = {(x, y) for x in range(16) for y in range(16) if self.glyph[x, y] == grey(148)}
        self.assertEqual(mid, {(2, 2), (13, 2), (2, 13), (13, 13)})

    # Ink stays within a few pixels of the two diagonals, and the middle of each side is clear.
    def test_ink_follows_both_diagonals(self):
        for x in range(16):
            for y in range(16):
                if min(abs(x - y), abs(x + y - 15)) > 3:
                    self.assertFalse(self.inked(x, y), (x, y))
        for k in range(3, 13):
            self.assertTrue(self.inked(k, k - 2) or self.inked(k, k + 2), k)
            self.assertTrue(self.inked(k, 13 - k) or self.inked(k, 17 - k), k)

    # Across each arm, away from the tips and the crossing, two edges enclose white.
    def test_arms_are_outlined_with_white_between_the_edges(self):
        for y in [4, 5, 10, 11]:
            for start, end in [(0, 7), (8, 15)]:
                edges = [x for x in range(start, end + 1) if self.glyph[x, y] in self.EDGES]
                self.assertTrue(edges, (y, start))
                self.assertGreaterEqual(edges[-1] - edges[0] - 1, 2, (y, start))
                for x in range(edges[0] + 1, edges[-1]):
                    self.assertEqual(self.glyph[x, y], WHITE, (x, y))

    def outside_white(self):
        """White reachable from the border without crossing ink."""
        seen, pending = {(0, 0)}, [(0, 0)]
        while pending:
            x, y = pending.pop()
            for nx, ny in [(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)]:
                if 0 <= nx < 16 and 0 <= ny < 16 and not self.inked(nx, ny) \
                        and (nx, ny) not in seen:
                    seen.add((nx, ny))
                    pending.append((nx, ny))
        return seen

    def test_strokes_are_hollow_outlines(self):
        outside = self.outside_white()
        enclosed = {(x, y) for x in range(16) for y in range(16)
                    if not self.inked(x, y) and (x, y) not in outside}
        self.assertGreaterEqual(len(enclosed), 12)
        for point in [(7, 7), (8, 8), (7, 8), (8, 7), (4, 4), (11, 4)]:
            self.assertIn(point, enclosed)

    def test_light_greys_only_soften_dark_edges(self):
        softeners = 0
        for x in range(2, 14):
            for y in range(2, 14):
                if self.glyph[x, y] not in self.SOFTENERS:
                    continue
                softeners += 1
                around = {self.glyph[x - 1, y], self.glyph[x + 1, y], self.glyph[x, y - 1],
                          self.glyph[x, y + 1]}
                self.assertTrue(around & self.EDGES, (x, y))
        self.assertGreater(softeners, 8)


class EncoderSamples(ToolRun):
    tool = SAMPLES_TOOL

    def assertNumbered(self, image, width, height):
        self.assertEqual(list(image.convert("RGB").getdata()),
                         [numbered(x, y) for y in range(height) for x in range(width)])

    def test_bitmap_headers_describe_the_stored_rows(self):
        data = self.read("numbered.bmp")
        row = 12  # 3 pixels of 3 bytes, padded to a multiple of 4
        self.assertEqual(len(data), 54 + 2 * row)
        self.assertEqual(bmp_header(data), (b"BM", len(data), 54, Dib(40, 3, 2, 1, 24, 0,
                                                                      2 * row, 0)))

    def test_bitmap_rows_come_back_in_place_with_zero_padding(self):
        data = self.read("numbered.bmp")
        self.assertEqual(data[63:66] + data[75:78], bytes(6))
        self.assertNumbered(self.open("numbered.bmp", "BMP"), 3, 2)

    def test_icon_images_come_back_with_their_transparency_black_behind_the_mask(self):
        data = self.read("holes.ico")
        self.assertEqual(dib_header(data, 6 + 16)[1:3], (5, 10))
        self.assertEqual(dib_header(data, 6 + 16).image_bytes, 5 * (8 + 4))
        frame = self.open("holes.ico", "ICO").convert("RGBA").load()
        holes = {(0, 0), (4, 0), (2, 3)}
        for x in range(5):
            for y in range(5):
                expected = (*BLACK, 0) if (x, y) in holes else (*numbered(x, y), 255)
                self.assertEqual(frame[x, y], expected, (x, y))

    def test_icon_directory_points_at_each_image_in_turn(self):
        data = self.read("two.ico")
        ico = self.open("two.ico", "ICO").ico
        first, second = sorted(ico.entry, key=lambda entry: entry["offset"])
        self.assertEqual((first["width"], second["height"]), (4, 8))
        self.assertEqual(first["offset"], 6 + 2 * 16)
        self.assertEqual(second["offset"], first["offset"] + first["size"])
        self.assertEqual(second["offset"] + second["size"], len(data))
        self.assertNumbered(ico.frame(ico.entry.index(second)), 8, 8)

    def test_icon_directory_stores_the_largest_size_as_zero(self):
        data = self.read("large.ico")
        self.assertEqual(data[6:8], b"\0\0")
        self.assertEqual(dib_header(data, 6 + 16).width, 256)
        self.assertEqual(self.open("large.ico", "ICO").size, (256, 256))


if __name__ == "__main__":
    unittest.main()
