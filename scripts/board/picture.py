"""Pictures of the board's screen: QEMU's PPM screendumps and the kit's PNG
images read in, PNG written out, and the few measures the checks need."""
import struct
import zlib


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

    def dark_mask(self, limit=300):
        """Per row, the set of columns whose pixel is dark (text on the
        list's light background)."""
        row = self.width * 3
        return [{x for x in range(self.width) if sum(self.rgb[y * row + 3 * x:y * row + 3 * x + 3]) < limit}
                for y in range(self.height)]

    def save_png(self, path):
        raw = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3]
                       for y in range(self.height))

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data
                    + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        with open(path, "wb") as png:
            png.write(b"\x89PNG\r\n\x1a\n"
                      + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
                      + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def read_ppm(path):
    """A binary PPM (P6, 8 bits a channel), as QEMU's screendump writes it."""
    with open(path, "rb") as ppm:
        data = ppm.read()
    fields, offset = [], 0
    while len(fields) < 4:
        while data[offset:offset + 1].isspace():
            offset += 1
        start = offset
        while not data[offset:offset + 1].isspace():
            offset += 1
        fields.append(data[start:offset])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return Picture(width, height, data[offset + 1:offset + 1 + width * height * 3])


def read_png(path):
    """An 8-bit, non-interlaced PNG in grey, RGB, RGBA or with a palette, as
    the kit's images are; transparency is dropped."""
    with open(path, "rb") as png:
        data = png.read()
    offset, idat, header, palette = 8, b"", None, b""
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        body = data[offset + 8:offset + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat += body
        offset += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError(f"{path}: not an 8-bit grey, RGB, RGBA or palette PNG")
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up, corner = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                guess = left + up - corner
                nearest = min((abs(guess - left), 0, left), (abs(guess - up), 1, up),
                              (abs(guess - corner), 2, corner))[2]
                line[i] = (line[i] + nearest) & 0xFF
        rows.append(bytes(line))
        previous = line
    pixels = b"".join(rows)
    if colour == 3:
        rgb = b"".join(palette[3 * i:3 * i + 3] for i in pixels)
    elif channels == 1:
        rgb = bytes(v for v in pixels for _ in range(3))
    else:
        rgb = b"".join(pixels[i:i + 3] for i in range(0, len(pixels), channels))
    return Picture(width, height, rgb)
