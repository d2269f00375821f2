# One line a file: the Exif values that photo libraries show, as Pillow reads
# them ("-" where there is none).
import sys

from PIL import Image

for path in sys.argv[1:]:
    exif = Image.open(path).getexif()
    photo = exif.get_ifd(0x8769)
    exposure, comment = photo.get(0x829A), photo.get(0x9286)
    description = exif.get(0x010E)  # read as Latin-1, written as UTF-8
    values = [exif.get(0x010F), exif.get(0x0110), exif.get(0x0132), photo.get(0x9003),
              photo.get(0x9004), photo.get(0x9209),
              exposure and f"{exposure.numerator}/{exposure.denominator}",
              description and description.encode("latin-1").decode("utf-8"),
              comment and comment.startswith(b"UNICODE\0")
              and comment[8:].decode("utf-16-le" if exif.endian == "<" else "utf-16-be")]
    print(" | ".join("-" if value is None else str(value) for value in values))
