"""Sets fields of kind blocks in a user settings file: PATH (VARIANT KIND FIELD VALUE)...

Text fields are UTF-16LE and NUL-padded; the colour and mark fields are 32-bit integers."""
import struct
import sys

TABLE = 77     # where the blocks begin
BLOCK = 648    # bytes of one kind's block
# name: (offset in the block, bytes); integers are marked with "i".
FIELDS = {
    "width_char": (0, 4), "bold_line": (4, 4), "edit_space_sc": (8, 20), "heighttext_sc": (28, 20),
    "widthtext": (48, 20), "text_style": (68, 66), "text_pos": (134, 66), "color_text": (200, "i"),
    "x_ref": (212, 4), "bold_line_rl": (216, 4), "ltype": (220, 68), "color_ref_line": (288, "i"),
    "r_line": (292, 20), "lenght_along": (332, 4), "bold_textline": (336, 4), "color_text_line": (340, "i"),
    "edit_lenght_sc": (344, 20), "along_pos": (364, 4), "bold_line_fr": (368, 4), "colr_fr": (372, "i"),
    "edit_fr_sc": (376, 20), "mark_snapped": (396, "i"), "mark_free": (400, "i"), "mark_plain": (404, "i"),
    "attachline": (408, 4), "perpen_text": (412, 4), "ed_attch_ln_sc": (416, 20), "lenght_text_line": (436, 40),
    "width_mark": (476, 4), "height_mark": (480, 4), "bold_line_mark": (484, 4), "edt_wdth_mk_sc": (488, 20),
    "edt_hght_mul": (508, 20), "edt_hght_mk_sc": (528, 20), "pos_mark": (548, "i"), "color_mark": (552, "i"),
}

path, changes = sys.argv[1], sys.argv[2:]
data = bytearray(open(path, "rb").read())
for variant, kind, field, value in zip(changes[0::4], changes[1::4], changes[2::4], changes[3::4]):
    offset, size = FIELDS[field]
    at = TABLE + (int(variant) * 9 + int(kind)) * BLOCK + offset
    if size == "i":
        data[at:at + 4] = struct.pack("<i", int(value))
    else:
        data[at:at + size] = value.encode("utf-16-le").ljust(size, b"\0")[:size - 2] + b"\0\0"
open(path, "wb").write(data)
