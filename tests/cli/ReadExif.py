# One line a file: the Exif values that photo libraries show, as Pillow reads
# them ("-" where there is none); the user comment after the name of its
# character set.
import sys

from PIL import Image

for path in sys.argv[1:]:
    exif = Image.open(path).getexif()
    photo = exif.get_ifd(0x8769)
    exposure, comment = photo.get(0x829A), photo.get(0x9286)
    if comment:
        charset = comment[:8].rstrip(b"\0").decode("ascii")
        utf16 = "utf-16-le" if exif.endian == "<" else "utf-16-be"
        comment = charset + " " + comment[8:].decode(utf16 if charset == "UNICODE" else "ascii")
    values = [exif.get(0x010F), exif.get(0x0110), exif.get(0x0132), photo.get(0x9003),
              photo.get(0x9004), photo.get(0x9209),
              exposure and f"{exposure.numerator}/{exposure.denominator}",
              exif.get(0x010E), comment]
    print(" | ".join("-" if value is None else str(value) for value in values))
