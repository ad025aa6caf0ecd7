#!/usr/bin/python3
"""Writes the sample catalogue as an Access 2000 (Jet 4) database, the form a
maker ships it in, so the Jet reader can be measured and tested on a file of
the real size.

    /usr/bin/python3 tools/make_jet_catalogue.py OUTPUT.mdb TABLE.csv...

Takes the same CSV files as the sample's own build step (make_catalogue), those of
catalogue/sample/ZEKA and catalogue/sample/ZEKA_D, and makes the same tables:
one per file, named after it, the header's columns in their order, the rows in
file order. NO and VERSION are Text, every other
column a Double holding the nearest double to the CSV's number text. The file
has what a reader needs and no more: the database page, the system catalogue
MSysObjects with a row per table, and per table its definition (no
indexes), its data pages and the two usage maps that list those pages.

    /usr/bin/python3 tools/make_jet_catalogue.py --wide OUTPUT.mdb TABLE ROWS COLUMNS

Writes instead one table of ROWS rows: NO (Text, "TABLE-000001" on), then
COLUMNS (at most 255) Yes/No columns, True and False in turn: a file of many
small values, for measuring what a query on such a table costs; with 255, a
table one column wider than Access allows.

Standard library only. The file is written beside OUTPUT and renamed over it.
"""

import os
import re
import struct
import sys

PAGE = 4096
MAP_BITS = 64  # bytes of bitmap in a usage map row: 512 pages from its start
TEXT_CHARS = 255
CATALOGUE_PAGE = 2  # where every reader looks for MSysObjects

# Column types.
T_BOOL, T_INT, T_LONG, T_DOUBLE, T_DATETIME, T_TEXT, T_OLE = 0x01, 0x03, 0x04, 0x07, 0x08, 0x0A, 0x0B
FIXED_SIZE = {T_INT: 2, T_LONG: 4, T_DOUBLE: 8, T_DATETIME: 8}

# Column flags and the flag of a text column stored compressed.
COL_FIXED, COL_NULLABLE = 0x01, 0x02
COL_COMPRESSED_UNICODE = 0x01

GENERAL_SORT = 0x0409
CODE_PAGE = 1252
# 2026-01-01 as the engine counts days (from 1899-12-30): a fixed creation
# date, so the same sources always give the same bytes.
CREATED = 46023.0

# MSysObjects' row kinds and flags.
OBJ_TABLE, OBJ_CONTAINER = 1, 3
SYSTEM_FLAGS = 0x80000002 - (1 << 32)  # stored as a signed Long
TABLES_CONTAINER = 0x0F000001
ROOT_CONTAINER = 0x0F000000

# The key that masks part of the database page.
HEADER_KEY = bytes([0xC7, 0xDA, 0x39, 0x6B])
HEADER_MASKED = (0x18, 128)


class Failure(Exception):
    pass


class Column:
    def __init__(self, name, kind, num):
        self.name = name
        self.kind = kind
        self.num = num
        # A Yes/No value is its bit in the row's null mask: the column is
        # declared fixed, one byte, but takes no room in the fixed part.
        self.fixed = kind in FIXED_SIZE or kind == T_BOOL
        self.size = FIXED_SIZE.get(kind, TEXT_CHARS * 2 if kind == T_TEXT else 1 if kind == T_BOOL else 0)
        self.fixed_offset = 0  # within the fixed part, after the column count
        self.var_index = 0


class Table:
    def __init__(self, name, columns, rows, system=False):
        self.name = name
        self.columns = columns
        self.rows = rows
        self.system = system
        fixed = [c for c in columns if c.fixed]
        offset = 0
        for c in fixed:
            if c.kind == T_BOOL:
                continue
            c.fixed_offset = offset
            offset += c.size
        self.fixed_size = offset
        for i, c in enumerate(c for c in columns if not c.fixed):
            c.var_index = i
        self.var_count = len(columns) - len(fixed)
        self.tdef_page = 0
        self.data_pages = []
        self.maps = (0, 0)  # data pointers of its owned-pages and free-space maps


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    i = j = 0
    out = bytearray()
    for b in data:
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out.append(b ^ s[(s[i] + s[j]) & 0xFF])
    return bytes(out)


def text_bytes(text):
    """UCS-2, or the engine's compressed form when every character fits one
    byte and that is shorter (the default of a Text column)."""
    if all(0 < ord(ch) < 0x100 for ch in text) and len(text) > 2:
        return b"\xff\xfe" + text.encode("latin-1")
    return text.encode("utf-16-le")


def row_bytes(table, values):
    """One row: column count, fixed part, variable part, then (from the end)
    the null mask, the count and offsets of the variable columns, and where
    the variable part ends."""
    fixed = bytearray(table.fixed_size)
    var = []
    for c, v in zip(table.columns, values):
        if v is None:
            if not c.fixed:
                var.append(b"")
        elif c.kind == T_BOOL:
            pass
        elif c.fixed:
            fmt = {T_INT: "<h", T_LONG: "<i", T_DOUBLE: "<d", T_DATETIME: "<d"}[c.kind]
            struct.pack_into(fmt, fixed, c.fixed_offset, v)
        else:
            var.append(text_bytes(v))
    out = bytearray(struct.pack("<H", len(table.columns))) + fixed
    offsets = []
    for v in var:
        offsets.append(len(out))
        out += v
    if table.var_count:
        out += struct.pack("<H", len(out))  # end of the variable part
        for o in reversed(offsets):
            out += struct.pack("<H", o)
        out += struct.pack("<H", table.var_count)
    out += bytes((len(table.columns) + 7) // 8 * [0])
    mask_start = len(out) - (len(table.columns) + 7) // 8
    for c, v in zip(table.columns, values):  # a set bit: not null, or Yes
        if v is not None and v is not False:
            out[mask_start + c.num // 8] |= 1 << (c.num % 8)
    return bytes(out)


def data_page(owner, rows):
    used = 14 + sum(len(r) + 2 for r in rows)
    page = bytearray(PAGE)
    struct.pack_into("<BBHIIH", page, 0, 0x01, 0x01, PAGE - used, owner, 0, len(rows))
    end = PAGE
    for i, r in enumerate(rows):
        end -= len(r)
        page[end:end + len(r)] = r
        struct.pack_into("<H", page, 14 + 2 * i, end)
    return page


def pack_rows(rows):
    """Rows to pages in order; a data pointer names a row in one byte."""
    pages, current, used = [], [], 14
    for r in rows:
        if len(r) + 2 > PAGE - 14:
            raise Failure("a row does not fit on a page")
        if used + len(r) + 2 > PAGE or len(current) == 255:
            pages.append(current)
            current, used = [], 14
        current.append(r)
        used += len(r) + 2
    if current or not pages:
        pages.append(current)
    return pages


def usage_map(pages, first_free):
    """A map stored within its row (a start page and one bit per page after
    it) when the pages lie close enough together; else a row that names
    bitmap pages of their own, made from first_free on, each with a bit for
    every page of the file. Returns the row and those pages."""
    start = 0 if max(pages, default=0) < MAP_BITS * 8 else min(pages)
    if max(pages, default=0) - start < MAP_BITS * 8:
        bitmap = bytearray(MAP_BITS)
        for p in pages:
            bitmap[(p - start) // 8] |= 1 << ((p - start) % 8)
        return struct.pack("<BI", 0, start) + bytes(bitmap), []
    per_bitmap = (PAGE - 4) * 8
    slots = (4 + MAP_BITS) // 4  # the row keeps the size of an inline one
    count = max(pages) // per_bitmap + 1
    if count > slots:
        raise Failure("a table is too large for one usage map")
    bitmaps = [bytearray(b"\x05\x01\x00\x00") + bytearray(PAGE - 4) for _ in range(count)]
    for p in pages:
        bitmaps[p // per_bitmap][4 + p % per_bitmap // 8] |= 1 << (p % 8)
    numbers = [first_free + i for i in range(count)] + [0] * (slots - count)
    return struct.pack("<B%dI" % slots, 1, *numbers), list(zip(numbers, bitmaps))


def tdef_body(table):
    body = bytearray()
    body += struct.pack("<IIIIB3xI8x", 0, 0, len(table.rows), 0, 1, 0)
    body += struct.pack("<BHHHIIII", 0x53 if table.system else 0x4E, len(table.columns), table.var_count,
                        len(table.columns), 0, 0, table.maps[0], table.maps[1])
    for c in table.columns:
        flags = (COL_FIXED if c.fixed else 0) | COL_NULLABLE
        misc_flags = COL_COMPRESSED_UNICODE if c.kind == T_TEXT else 0
        body += struct.pack("<BIHHHHHBBIHH", c.kind, 0, c.num, c.var_index if not c.fixed else 0, c.num,
                            GENERAL_SORT if c.kind == T_TEXT else 0, 0, flags, misc_flags, 0, c.fixed_offset,
                            c.size)
    for c in table.columns:
        name = c.name.encode("utf-16-le")
        body += struct.pack("<H", len(name)) + name
    body += b"\xff\xff"  # no long-value columns
    struct.pack_into("<I", body, 0, len(body))
    return body


def tdef_pages(table, first):
    """The definition from page first on: one too long for a page goes on
    in the pages after it, each named at offset 4 of the one before, its
    bytes from offset 8."""
    body = tdef_body(table)
    pieces = [body[i:i + PAGE - 8] for i in range(0, len(body), PAGE - 8)]
    pages = []
    for n, piece in enumerate(pieces):
        page = bytearray(PAGE)
        following = first + n + 1 if n + 1 < len(pieces) else 0
        struct.pack_into("<BBHI", page, 0, 0x02, 0x01, PAGE - 8 - len(piece), following)
        page[8:8 + len(piece)] = piece
        pages.append(page)
    return pages


def database_page():
    page = bytearray(PAGE)
    page[0:4] = b"\x00\x01\x00\x00"
    page[4:20] = b"Standard Jet DB\x00"
    struct.pack_into("<I", page, 0x14, 1)  # Jet 4
    plain = bytearray(PAGE)
    struct.pack_into("<HI", plain, 0x3C, CODE_PAGE, 0)  # code page, no encryption key
    # No password: the password field holds only its mask, the creation
    # day's number repeated.
    mask = struct.pack("<I", int(CREATED))
    for o in range(0x42, 0x42 + 40, 4):
        plain[o:o + 4] = mask
    struct.pack_into("<I", plain, 0x6E, GENERAL_SORT)
    struct.pack_into("<d", plain, 0x72, CREATED)
    start, length = HEADER_MASKED
    page[start:start + length] = rc4(HEADER_KEY, plain[start:start + length])
    return page


def is_text_column(name):
    return name in ("NO", "VERSION")


PLAIN_NAME = re.compile(r"[A-Za-z0-9_]+\Z")
PLAIN_NUMBER = re.compile(r"-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?\Z")


def read_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        lines = [line.rstrip("\r") for line in f.read().split("\n")]
    while lines and not lines[-1]:
        lines.pop()
    if not lines:
        raise Failure(path + ": no header")
    name = os.path.splitext(os.path.basename(path))[0]
    if not PLAIN_NAME.match(name):
        raise Failure(path + ": the file name is not a table name")
    names = lines[0].split(",")
    if any(not PLAIN_NAME.match(n) for n in names) or len({n.lower() for n in names}) != len(names):
        raise Failure(path + ": bad or repeated column name")
    columns = [Column(n, T_TEXT if is_text_column(n) else T_DOUBLE, i) for i, n in enumerate(names)]
    rows = []
    for number, line in enumerate(lines[1:], start=2):
        fields = line.split(",")
        if len(fields) != len(columns):
            raise Failure("%s:%d: wrong number of fields" % (path, number))
        row = []
        for c, v in zip(columns, fields):
            if not v or (c.kind == T_TEXT and len(v) > TEXT_CHARS):
                raise Failure("%s:%d: bad field %s" % (path, number, c.name))
            if c.kind == T_TEXT:
                row.append(v)
                continue
            value = float(v) if PLAIN_NUMBER.match(v) else float("inf")
            if value in (float("inf"), float("-inf")):
                raise Failure("%s:%d: '%s' is not a number" % (path, number, v))
            row.append(value)
        rows.append(row)
    return Table(name, columns, rows)


def catalogue_table(tables):
    columns = [Column("Id", T_LONG, 0), Column("ParentId", T_LONG, 1), Column("Name", T_TEXT, 2),
               Column("Type", T_INT, 3), Column("DateCreate", T_DATETIME, 4), Column("DateUpdate", T_DATETIME, 5),
               Column("Flags", T_LONG, 6), Column("LvProp", T_OLE, 7)]
    rows = [[TABLES_CONTAINER, ROOT_CONTAINER, "Tables", OBJ_CONTAINER, CREATED, CREATED, SYSTEM_FLAGS - 2, None]]
    rows.append([CATALOGUE_PAGE, TABLES_CONTAINER, "MSysObjects", OBJ_TABLE, CREATED, CREATED, SYSTEM_FLAGS, None])
    for t in tables:
        rows.append([t.tdef_page, TABLES_CONTAINER, t.name, OBJ_TABLE, CREATED, CREATED, 0, None])
    return Table("MSysObjects", columns, rows, system=True)


def build(tables):
    # Pages 0 to 2 are fixed: the database page, the first page of usage
    # maps, MSysObjects' definition. Each table follows with its definition
    # and data pages; MSysObjects' rows, which name those pages, come last.
    pages = {}
    next_page = 3
    packed = {}
    for t in tables:
        t.tdef_page = next_page
        next_page += len(tdef_pages(t, next_page))
        packed[t.name] = pack_rows([row_bytes(t, r) for r in t.rows])
        t.data_pages = list(range(next_page, next_page + len(packed[t.name])))
        next_page = t.data_pages[-1] + 1
    catalogue = catalogue_table(tables)
    catalogue.tdef_page = CATALOGUE_PAGE
    packed[catalogue.name] = pack_rows([row_bytes(catalogue, r) for r in catalogue.rows])
    catalogue.data_pages = list(range(next_page, next_page + len(packed[catalogue.name])))
    next_page = catalogue.data_pages[-1] + 1

    # Two maps per table: the pages it owns and those with room for a row.
    everything = [catalogue] + tables
    map_rows, map_pages = [], [1]
    per_page = (PAGE - 14) // (1 + 4 + MAP_BITS + 2)
    for t in everything:
        biggest = max((len(r) for rows in packed[t.name] for r in rows), default=0)
        roomy = [p for p, rows in zip(t.data_pages, packed[t.name])
                 if PAGE - 14 - sum(len(r) + 2 for r in rows) >= biggest + 2]
        pointers = []
        for pages_of_map in (t.data_pages, roomy):
            if len(map_rows) == per_page * len(map_pages):
                map_pages.append(next_page)
                next_page += 1
            pointers.append(map_pages[-1] << 8 | len(map_rows) % per_page)
            row, bitmaps = usage_map(pages_of_map, next_page)
            pages.update(bitmaps)
            next_page += len(bitmaps)
            map_rows.append(row)
        t.maps = tuple(pointers)

    pages[0] = database_page()
    for i, p in enumerate(map_pages):
        pages[p] = data_page(0, map_rows[i * per_page:(i + 1) * per_page])
    for t in everything:
        for n, page in enumerate(tdef_pages(t, t.tdef_page)):
            pages[t.tdef_page + n] = page
        for p, rows in zip(t.data_pages, packed[t.name]):
            pages[p] = data_page(t.tdef_page, rows)
    return b"".join(bytes(pages[p]) for p in range(next_page))


def wide_table(name, rows, columns):
    if not PLAIN_NAME.match(name) or not 0 < rows <= 10000000 or not 0 < columns <= 255:
        raise Failure("bad table name, row count or column count")
    cols = [Column("NO", T_TEXT, 0)] + [Column("B%d" % i, T_BOOL, i) for i in range(1, columns + 1)]
    flags = [[(r + i) % 2 == 0 for i in range(columns)] for r in range(2)]
    return Table(name, cols, [["%s-%06d" % (name, r + 1)] + flags[r % 2] for r in range(rows)])


def main(argv):
    wide = len(argv) == 6 and argv[1] == "--wide"
    if len(argv) < 3 or (argv[1] == "--wide" and not wide):
        sys.stderr.write("usage: make_jet_catalogue.py OUTPUT.mdb TABLE.csv...\n"
                         "       make_jet_catalogue.py --wide OUTPUT.mdb TABLE ROWS COLUMNS\n")
        return 2
    output = argv[2] if wide else argv[1]
    try:
        if wide:
            if not argv[4].isdigit() or not argv[5].isdigit():
                raise Failure("ROWS and COLUMNS are whole numbers")
            tables = [wide_table(argv[3], int(argv[4]), int(argv[5]))]
        else:
            tables = [read_csv(p) for p in argv[2:]]
        names = [t.name.lower() for t in tables]
        if len(set(names)) != len(names) or "msysobjects" in names:
            raise Failure("a table name is repeated or reserved")
        data = build(tables)
    except (Failure, OSError, UnicodeError) as e:
        sys.stderr.write("make_jet_catalogue: %s\n" % e)
        return 1
    temp = output + ".part"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
