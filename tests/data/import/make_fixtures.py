#!/usr/bin/env python3
"""Writes the import test fixtures of this folder.

  road.csv, crossroads.csv, greens.csv   the three small tables (UTF-8)
  road_lo.xlsx                           the road workbook as LibreOffice writes it
                                         (shared and inline strings, cached formula
                                         values, booleans); sheets 2 and 3 hold the
                                         crossroads and vegetation/buildings tables
  road.xls, crossroads.xls, greens.xls   minimal BIFF8 workbooks (CFB container,
                                         Workbook stream with BOF, BOUNDSHEET, SST,
                                         LABELSST, NUMBER, EOF)

The .xlsx files written with libxlsxwriter come from make_xlsx.cpp.
Run from this folder: python3 make_fixtures.py
"""
import struct
import zipfile

KEY_POINTS = [(-1, -20.0, -1.0), (0, 0.0, 0.0), (109, -10.0, -0.5), (112, -7.0, -0.2),
              (116, -3.75, 0.0), (123, 3.75, 0.0), (127, 7.0, -0.2), (130, 10.0, -0.5),
              (200, 25.5, 2.25)]
NAMED = ["RecordNumber", "Position", "RoadCathegory", "TrafficIntensity", "Cars", "Trucks",
         "Buses", "VehicleTrains", "CurveRadius", "LongitudinalTilt", "SlicknessValue",
         "Clearance", "IsLocality", "IsSocialActivity"]
CATEGORIES = ["ІІ", "Іб", "III", "IV", "Ia", "2"]          # Cyrillic І in the first two
LOCALITY = ["так", "ні", "1", "", "ТАК", "0"]
SOCIAL = ["0", "1", "no", "", "0", "1"]


def num(v):
    """Shortest text of a number, as a spreadsheet shows it."""
    t = repr(round(float(v), 6))
    if t.endswith(".0"):
        t = t[:-2]
    return t


def road_rows():
    header = NAMED[:]
    for kp, _, _ in KEY_POINTS:
        header += [str(kp), "", ""]
    rows = [header]
    for i in range(6):
        base_x = 1000 + 100 * i
        row = [str(i + 1), num(100 * i + 0.25 * i), CATEGORIES[i], str(4000 + 250 * i),
               "0.6", "0.2", "0.1", "0.1",
               "" if i % 2 == 0 else num(600 + 100 * i), num(0.01 * (i - 2)), "0.4",
               "" if i != 3 else "4.5", LOCALITY[i], SOCIAL[i]]
        for kp, off, h in KEY_POINTS:
            row += [num(base_x), num(2000 + off), num(100 + h + 0.1 * i)]
        rows.append(row)
    return rows


def cross_rows():
    return [["RecordName", "RecordNumber", "Position", "X", "Y", "H"],
            ["Перехрестя 1", "1", "", "1250", "1900", "100.5"],
            ["", "2", "", "1250", "2000", "100.75"],
            ["", "3", "", "1250", "2100", "101"],
            ["Side road", "1", "", "1420.5", "1950", "99"],
            ["", "2", "", "1430", "2050", "99.25"]]


def greens_rows():
    def pt(name, veg, n, i, off, h):
        return [name, veg, str(n), num(1000 + 100 * i), num(2000 + off), h]
    return [["RecordName", "IsVegetation", "RecordNumber", "X", "Y", "Height"],
            pt("Ліс", "ТАК", 1, 3, 10, "12"), pt("", "", 2, 4, 10, "12"), pt("", "", 3, 4, 25.5, "15.5"),
            pt("House", "no", 1, 1, -10, "8"), pt("", "", 2, 1, -7, "8"), pt("", "", 3, 2, -7, "8"),
            pt("", "", 4, 2, -10, "8")]


def write_csv(name, rows):
    with open(name, "w", encoding="utf-8", newline="") as f:
        for r in rows:
            f.write(";".join(r) + "\r\n")


# ---------------------------------------------------------------- .xlsx, by hand

def col_letters(c):
    s = ""
    while c:
        c, r = divmod(c - 1, 26)
        s = chr(65 + r) + s
    return s


def xml_escape(t):
    return t.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def is_number(t):
    try:
        float(t)
        return t.strip() == t and t != ""
    except ValueError:
        return False


def lo_sheet(rows, shared, formulas, booleans):
    """LibreOffice's way: texts as shared strings, numbers as <v>; some cells
    as formulas with their cached value, a few texts as inline strings."""
    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
           'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
           '<sheetPr filterMode="false"><pageSetUpPr fitToPage="false"/></sheetPr>'
           '<dimension ref="A1:%s%d"/><sheetViews><sheetView workbookViewId="0"/></sheetViews>'
           '<sheetFormatPr defaultRowHeight="12.8"/><sheetData>'
           % (col_letters(max(len(r) for r in rows)), len(rows))]
    for ri, row in enumerate(rows, 1):
        out.append('<row r="%d" spans="1:%d">' % (ri, len(row)))
        for ci, text in enumerate(row, 1):
            ref = "%s%d" % (col_letters(ci), ri)
            if text == "":
                continue
            if (ri, ci) in booleans:
                out.append('<c r="%s" s="0" t="b"><v>%s</v></c>' % (ref, booleans[(ri, ci)]))
            elif (ri, ci) in formulas:
                out.append('<c r="%s" s="0" t="n"><f>%s</f><v>%s</v></c>' % (ref, xml_escape(formulas[(ri, ci)]), text))
            elif is_number(text):
                out.append('<c r="%s" s="0" t="n"><v>%s</v></c>' % (ref, text))
            elif (ri + ci) % 5 == 0:
                out.append('<c r="%s" s="0" t="inlineStr"><is><t>%s</t></is></c>' % (ref, xml_escape(text)))
            else:
                if text not in shared:
                    shared[text] = len(shared)
                out.append('<c r="%s" s="0" t="s"><v>%d</v></c>' % (ref, shared[text]))
        out.append("</row>")
    out.append('</sheetData><printOptions headings="false"/></worksheet>')
    return "".join(out)


def write_lo_xlsx(name, sheets):
    shared = {}
    sheet_xml = [lo_sheet(rows, shared, f, b) for _, rows, f, b in sheets]
    names = [n for n, _, _, _ in sheets]
    ct = ('<?xml version="1.0" encoding="UTF-8"?>\n'
          '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="xml" ContentType="application/xml"/>'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
          '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
          + "".join('<Override PartName="/xl/worksheets/sheet%d.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>' % (i + 1) for i in range(len(sheets)))
          + '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
          '</Types>')
    rels = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
            '</Relationships>')
    # LibreOffice numbers the sheet relations after the styles; keep that shape.
    wb_rels = ('<?xml version="1.0" encoding="UTF-8"?>\n'
               '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               + "".join('<Relationship Id="rId%d" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet%d.xml"/>' % (i + 2, i + 1) for i in range(len(sheets)))
               + '<Relationship Id="rId%d" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>' % (len(sheets) + 2)
               + '</Relationships>')
    wb = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
          '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
          'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
          '<fileVersion appName="Calc"/><bookViews><workbookView activeTab="0"/></bookViews><sheets>'
          + "".join('<sheet name="%s" sheetId="%d" state="visible" r:id="rId%d"/>' % (xml_escape(n), i + 1, i + 2) for i, n in enumerate(names))
          + '</sheets><calcPr iterateCount="100" refMode="A1" iterate="false" iterateDelta="0.001"/></workbook>')
    sst = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">' % (len(shared), len(shared))
           + "".join('<si><t xml:space="preserve">%s</t></si>' % xml_escape(t) for t in shared)
           + '</sst>')
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", ct)
        z.writestr("_rels/.rels", rels)
        z.writestr("xl/workbook.xml", wb)
        z.writestr("xl/_rels/workbook.xml.rels", wb_rels)
        z.writestr("xl/sharedStrings.xml", sst)
        for i, x in enumerate(sheet_xml):
            z.writestr("xl/worksheets/sheet%d.xml" % (i + 1), x)


def road_formulas(rows):
    """Record numbers from row 3 on as =A(n-1)+1 with the cached value."""
    return {(ri, 1): "A%d+1" % (ri - 1) for ri in range(3, len(rows) + 1)}


def road_booleans(rows):
    col = NAMED.index("IsLocality") + 1
    out = {}
    for ri in range(2, len(rows) + 1):
        t = rows[ri - 1][col - 1]
        if t in ("так", "ТАК"):
            out[(ri, col)] = "1"
        elif t == "ні":
            out[(ri, col)] = "0"
    return out


# ---------------------------------------------------------------- .xls, BIFF8

def rec(rtype, data):
    return struct.pack("<HH", rtype, len(data)) + data


def xl_unicode(text, length_bytes=2):
    raw = text.encode("utf-16-le")
    return struct.pack("<H" if length_bytes == 2 else "<B", len(text)) + b"\x01" + raw


def biff_workbook(sheets):
    """Workbook stream: globals (BOF, CODEPAGE, BOUNDSHEETs, SST, EOF) and one
    substream per sheet (BOF, DIMENSIONS, LABELSST/NUMBER cells, EOF)."""
    strings = []
    index = {}
    for _, rows in sheets:
        for row in rows:
            for t in row:
                if t != "" and not is_number(t) and t not in index:
                    index[t] = len(strings)
                    strings.append(t)
    bof_globals = rec(0x0809, struct.pack("<HHHHII", 0x0600, 0x0005, 0x0DBB, 0x07CC, 0, 0x06))
    codepage = rec(0x0042, struct.pack("<H", 1200))
    sst_body = struct.pack("<II", len(strings), len(strings)) + b"".join(xl_unicode(s) for s in strings)
    assert len(sst_body) <= 8224, "SST would need CONTINUE records"
    sst = rec(0x00FC, sst_body)
    eof = rec(0x000A, b"")

    subs = []
    for _, rows in sheets:
        body = rec(0x0809, struct.pack("<HHHHII", 0x0600, 0x0010, 0x0DBB, 0x07CC, 0, 0x06))
        ncols = max(len(r) for r in rows)
        body += rec(0x0200, struct.pack("<IIHHH", 0, len(rows), 0, ncols, 0))
        for ri, row in enumerate(rows):
            for ci, t in enumerate(row):
                if t == "":
                    continue
                if is_number(t):
                    body += rec(0x0203, struct.pack("<HHHd", ri, ci, 15, float(t)))
                else:
                    body += rec(0x00FD, struct.pack("<HHHI", ri, ci, 15, index[t]))
        body += eof
        subs.append(body)

    def boundsheets(offsets):
        return b"".join(rec(0x0085, struct.pack("<IBB", off, 0, 0) + xl_unicode(name, 1))
                        for off, (name, _) in zip(offsets, sheets))

    # XF records: readers look cell formats up by index; give them 16 plain ones.
    xf = b"".join(rec(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0xFFF5 if i < 15 else 0x0001, 0x20, 0, 0, 0, 0, 0, 0x20C0))
                  for i in range(16))
    font = rec(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0) + xl_unicode("Arial", 1))
    globals_len = len(bof_globals + codepage + font * 5 + xf + boundsheets([0] * len(sheets)) + sst + eof)
    offsets = []
    pos = globals_len
    for s in subs:
        offsets.append(pos)
        pos += len(s)
    stream = bof_globals + codepage + font * 5 + xf + boundsheets(offsets) + sst + eof + b"".join(subs)
    return stream


def cfb(stream_name, stream):
    """Compound file with one stream, kept at 4096 bytes or more so that it
    lives in regular sectors (no mini stream)."""
    SECTOR = 512
    if len(stream) < 4096:
        stream += b"\x00" * (4096 - len(stream))
    n_stream = (len(stream) + SECTOR - 1) // SECTOR
    stream += b"\x00" * (n_stream * SECTOR - len(stream))
    # Sector 0: FAT, sector 1: directory, sectors 2..: the stream.
    n_total = 2 + n_stream
    assert n_total <= 128
    fat = [0xFFFFFFFD, 0xFFFFFFFE]
    for i in range(n_stream):
        fat.append(2 + i + 1 if i < n_stream - 1 else 0xFFFFFFFE)
    fat += [0xFFFFFFFF] * (128 - len(fat))
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\x00" * 16
    header += struct.pack("<HHHHH", 0x003E, 0x0003, 0xFFFE, 9, 6) + b"\x00" * 6
    header += struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", 0xFFFFFFFF) * 108
    assert len(header) == 512

    def entry(name, etype, child, start, size):
        raw = name.encode("utf-16-le") + b"\x00\x00" if name else b""
        e = raw + b"\x00" * (64 - len(raw))
        e += struct.pack("<HBB", len(raw), etype, 1)
        e += struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, child)
        e += b"\x00" * 16 + struct.pack("<I", 0) + b"\x00" * 16
        e += struct.pack("<III", start, size, 0)
        assert len(e) == 128
        return e
    directory = entry("Root Entry", 5, 1, 0xFFFFFFFE, 0) + entry(stream_name, 2, 0xFFFFFFFF, 2, len(stream) if len(stream) else 0)
    # The stream size recorded is the padded size; the records end with EOF before it.
    directory += entry("", 0, 0xFFFFFFFF, 0, 0) * 2
    return header + struct.pack("<128I", *fat) + directory + stream


def write_xls(name, sheets):
    with open(name, "wb") as f:
        f.write(cfb("Workbook", biff_workbook(sheets)))


if __name__ == "__main__":
    road, cross, greens = road_rows(), cross_rows(), greens_rows()
    write_csv("road.csv", road)
    write_csv("crossroads.csv", cross)
    write_csv("greens.csv", greens)
    write_lo_xlsx("road_lo.xlsx", [("Road", road, road_formulas(road), road_booleans(road)),
                                   ("Crossroads", cross, {}, {}),
                                   ("Vegetation", greens, {}, {})])
    write_xls("road.xls", [("Road", road), ("Crossroads", cross), ("Vegetation", greens)])
    write_xls("crossroads.xls", [("Crossroads", cross)])
    write_xls("greens.xls", [("Vegetation", greens)])
