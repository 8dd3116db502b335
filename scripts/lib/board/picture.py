"""Pictures of the board's screen: QEMU's PPM screendumps and the kit's
images read in, screens kept as PNG files, and the few measures the checks
need. ffmpeg turns images into PPM and back."""
import subprocess


class Picture:
    """An RGB picture, three bytes a pixel, rows top to bottom."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def crop(self, x, y, width, height):
        row = self.width * 3
        rows = (self.rgb[(y + i) * row + x * 3:(y + i) * row + (x + width) * 3]
                for i in range(height))
        return Picture(width, height, b"".join(rows))

    def same_as(self, other):
        return (self.width, self.height, self.rgb) == (other.width, other.height, other.rgb)

    def difference(self, other):
        """Mean difference per colour channel (0 to 255) from a picture of
        the same size."""
        if (self.width, self.height) != (other.width, other.height):
            return 255.0
        return sum(abs(a - b) for a, b in zip(self.rgb, other.rgb)) / len(self.rgb)

    def changed_rows(self, other):
        """The rows in which the two pictures differ."""
        row = self.width * 3
        return [y for y in range(self.height)
                if self.rgb[y * row:(y + 1) * row] != other.rgb[y * row:(y + 1) * row]]

    def share(self, test):
        """The share of pixels for which test(r, g, b) holds."""
        pixels = len(self.rgb) // 3
        hits = sum(1 for i in range(pixels) if test(*self.rgb[3 * i:3 * i + 3]))
        return hits / pixels

    def mean_colour(self):
        """The mean of each channel, (r, g, b)."""
        pixels = len(self.rgb) // 3
        return tuple(sum(self.rgb[channel::3]) / pixels for channel in range(3))

    def in_rgb565(self):
        """The picture as a 16-bit panel shows it: red, green and blue cut to
        5, 6 and 5 bits, and widened again to 8 by repeating their top bits."""
        def widened(bits):
            return bytes((value >> (8 - bits) << (8 - bits)) | (value >> bits) for value in range(256))
        tables = (widened(5), widened(6), widened(5))
        rgb = bytearray(self.rgb)
        for channel in range(3):
            rgb[channel::3] = rgb[channel::3].translate(tables[channel])
        return Picture(self.width, self.height, rgb)

    def dark_mask(self, limit=300):
        """Per row, the set of columns whose pixel is dark (text on the
        list's light background)."""
        row = self.width * 3
        return [{x for x in range(self.width) if sum(self.rgb[y * row + 3 * x:y * row + 3 * x + 3]) < limit}
                for y in range(self.height)]

    def save_png(self, path):
        """Kept as a PNG file, which ffmpeg writes."""
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
                        "-s", f"{self.width}x{self.height}", "-i", "-", path], input=self.rgb, check=True)


def parse_ppm(data, name):
    """A binary PPM (P6, 8 bits a channel), as QEMU's screendump and
    ffmpeg write it."""
    fields, offset = [], 0
    while len(fields) < 4:
        while data[offset:offset + 1].isspace():
            offset += 1
        start = offset
        while not data[offset:offset + 1].isspace():
            offset += 1
        fields.append(data[start:offset])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{name}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return Picture(width, height, data[offset + 1:offset + 1 + width * height * 3])


def read_ppm(path):
    with open(path, "rb") as ppm:
        return parse_ppm(ppm.read(), path)


def read_image(path):
    """A picture in any form ffmpeg reads, such as the kit's PNG images,
    turned into a PPM by ffmpeg."""
    ppm = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "image2pipe", "-c:v", "ppm",
                          "-pix_fmt", "rgb24", "-"], capture_output=True, check=True).stdout
    return parse_ppm(ppm, path)
