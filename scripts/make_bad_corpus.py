#!/usr/bin/env python3
"""Writes the small bad input files of tests/data/bad/ and their manifest
expected.tsv (file, table option, expected message key, expected reason key,
placeholders to check).

Files that would be large (a table of 200,001 records, a 1 MB cell, a zip
bomb) are not written here: the robustness test builds them in a temporary
folder; their manifest lines start with "@" and name what the test builds.

A key of "-" means the file must load.
Run from anywhere: python3 scripts/make_bad_corpus.py
"""
import io
import os
import random
import zipfile

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "bad")

NAMED = ["RecordNumber", "Position", "RoadCathegory", "TrafficIntensity", "Cars", "Trucks",
         "Buses", "VehicleTrains", "CurveRadius", "LongitudinalTilt", "SlicknessValue",
         "Clearance", "IsLocality", "IsSocialActivity"]
# Key point, offset across the road (source "Y"), height above the centre.
KEY_POINTS = [(-1, -20.0, -1.0), (0, 0.0, 0.0), (109, -10.0, -0.5), (112, -7.0, -0.2),
              (116, -3.75, 0.0), (123, 3.75, 0.0), (127, 7.0, -0.2), (130, 10.0, -0.5)]


def num(v):
    t = repr(float(v))
    return t[:-2] if t.endswith(".0") else t


def road_header(points=KEY_POINTS):
    h = NAMED[:]
    for kp, _, _ in points:
        h += [str(kp), "", ""]
    return h


def road_row(i, points=KEY_POINTS, category="II", locality="0"):
    row = [str(i + 1), num(100 * i), category, "5000", "0.6", "0.2", "0.1", "0.1",
           "", "0.01", "0.4", "", locality, "0"]
    for _, off, h in points:
        row += [num(1000 + 100 * i), num(2000 + off), num(100 + h)]
    return row


def road(n=4, points=KEY_POINTS):
    return [road_header(points)] + [road_row(i, points) for i in range(n)]


def csv_text(rows):
    def field(c):
        if ";" in c or '"' in c:
            return '"' + c.replace('"', '""') + '"'
        return c
    return "".join(";".join(field(c) for c in r) + "\r\n" for r in rows)


def col(name):
    return NAMED.index(name)


def letters(c):  # 0-based column -> spreadsheet letters
    c += 1
    s = ""
    while c:
        c, r = divmod(c - 1, 26)
        s = chr(65 + r) + s
    return s


def xml_escape(t):
    return t.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def sheet_xml(rows, inner=None):
    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>']
    if inner is not None:
        out.append(inner)
    for r, row in enumerate(rows, 1):
        out.append('<row r="%d">' % r)
        for c, v in enumerate(row):
            if v == "":
                continue
            out.append('<c r="%s%d" t="inlineStr"><is><t>%s</t></is></c>' % (letters(c), r, xml_escape(v)))
        out.append("</row>")
    out.append("</sheetData></worksheet>")
    return "".join(out)


def writestr(z, name, text):
    # A fixed time stamp keeps the files the same on every run.
    info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    z.writestr(info, text)


def xlsx_bytes(sheets, sheet_parts=None):
    """A minimal .xlsx: one worksheet part per entry of sheets (lists of rows),
    or the given raw sheet part texts."""
    parts = sheet_parts if sheet_parts is not None else [sheet_xml(s) for s in sheets]
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        overrides = "".join(
            '<Override PartName="/xl/worksheets/sheet%d.xml" ContentType="application/'
            'vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>' % (i + 1)
            for i in range(len(parts)))
        writestr(z, "[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/'
                   'package/2006/content-types"><Default Extension="rels" ContentType="application/'
                   'vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" '
                   'ContentType="application/xml"/><Override PartName="/xl/workbook.xml" '
                   'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
                   + overrides + "</Types>")
        writestr(z, "_rels/.rels",
                   '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/'
                   'package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/'
                   'officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
        rels = "".join(
            '<Relationship Id="rId%d" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
            'relationships/worksheet" Target="worksheets/sheet%d.xml"/>' % (i + 1, i + 1) for i in range(len(parts)))
        writestr(z, "xl/_rels/workbook.xml.rels",
                   '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/'
                   'package/2006/relationships">' + rels + "</Relationships>")
        sheets_xml = "".join('<sheet name="Sheet%d" sheetId="%d" r:id="rId%d"/>' % (i + 1, i + 1, i + 1)
                             for i in range(len(parts)))
        writestr(z, "xl/workbook.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/'
                   'spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/'
                   'relationships"><sheets>' + sheets_xml + "</sheets></workbook>")
        for i, p in enumerate(parts):
            writestr(z, "xl/worksheets/sheet%d.xml" % (i + 1), p)
    return buf.getvalue()


ODS_NAMESPACES = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                  'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                  'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"')


def ods_content(rows, tail=""):
    """content.xml of a one-table .ods: numbers as float cells, the rest as strings."""
    out = ['<?xml version="1.0" encoding="UTF-8"?><office:document-content ' + ODS_NAMESPACES +
           '><office:body><office:spreadsheet><table:table table:name="Road">']
    for row in rows:
        out.append("<table:table-row>")
        for v in row:
            try:
                float(v)
                out.append('<table:table-cell office:value-type="float" office:value="%s"><text:p>%s</text:p>'
                           "</table:table-cell>" % (v, v))
            except ValueError:
                if v == "":
                    out.append("<table:table-cell/>")
                else:
                    out.append('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
                               "</table:table-cell>" % xml_escape(v))
        out.append("</table:table-row>")
    out.append(tail + "</table:table></office:spreadsheet></office:body></office:document-content>")
    return "".join(out)


def ods_bytes(content, extra=()):
    """An .ods package: the mimetype, content.xml when given, and extra (name, text) parts."""
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        writestr(z, "mimetype", "application/vnd.oasis.opendocument.spreadsheet")
        if content is not None:
            writestr(z, "content.xml", content)
        for name, text in extra:
            writestr(z, name, text)
    return buf.getvalue()


CROSS_HEADER = ["RecordName", "RecordNumber", "Position", "X", "Y", "H"]
GREEN_HEADER = ["RecordName", "IsVegetation", "RecordNumber", "X", "Y", "Height"]


def cross(rows):
    return [CROSS_HEADER] + rows


def greens(rows):
    return [GREEN_HEADER] + rows


def on_road(i, kp_offset):  # source X and Y of a key point of profile i
    return num(1000 + 100 * i), num(2000 + kp_offset)


def main():
    os.makedirs(HERE, exist_ok=True)
    rnd = random.Random(20261208)
    files = {}      # name -> bytes
    manifest = []   # (file, option, key, reason, placeholders)

    def add(name, data, option, key, reason="", placeholders=""):
        if data is not None:
            files[name] = data if isinstance(data, bytes) else data.encode("utf-8")
        manifest.append((name, option, key, reason, placeholders))

    def with_cell(rows, r, c, value):
        rows = [list(x) for x in rows]
        rows[r][c] = value
        return rows

    # Controls: the harness itself must see a good table load.
    add("valid_road.csv", csv_text(road()), "road", "-")
    add("valid_road.xlsx", xlsx_bytes([road()]), "road", "-")
    # Windows-1251 is the native encoding of older files: it must read the same.
    cp = road()
    cp[1][col("RoadCathegory")] = "ІІ"
    cp[2][col("IsLocality")] = "так"
    add("windows1251_road.csv", csv_text(cp).encode("cp1251"), "road", "-")

    # Opening.
    add("empty.csv", b"", "road", "LoadData.NoHeaders")
    add("empty.xlsx", b"", "road", "LoadData.ExcelOpenError")
    add("empty.xls", b"", "road", "LoadData.ExcelOpenError")
    garbage = bytes(rnd.getrandbits(8) for _ in range(4096))
    add("garbage.csv", garbage, "road", "LoadData.NoHeaders")
    add("garbage.xlsx", garbage, "road", "LoadData.ExcelOpenError")
    add("garbage.xls", garbage, "road", "LoadData.ExcelOpenError")
    # Right magic numbers, garbage after them.
    add("garbage_zip_magic.xlsx", b"PK\x03\x04" + garbage, "road", "LoadData.ExcelOpenError")
    add("garbage_ole_magic.xls", b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + garbage, "road",
        "LoadData.ExcelOpenError")
    good = xlsx_bytes([road()])
    add("truncated.xlsx", good[: len(good) // 2], "road", "LoadData.ExcelOpenError")
    add("truncated_tail.xlsx", good[:-10], "road", "LoadData.ExcelOpenError")
    add("no_sheets.xlsx", xlsx_bytes([], sheet_parts=[]), "road", "LoadData.ExcelOpenError")
    add("one_sheet.xlsx", xlsx_bytes([road()]), "crossroads-sheet 2", "LoadData.ExcelOpenError")
    add("malformed_sheet.xlsx", xlsx_bytes([], sheet_parts=[sheet_xml(road())[:-30]]), "road",
        "LoadData.ExcelOpenError")
    # 100,000 nested elements, well formed, no cells: the sheet is readable and empty.
    depth = 100000
    add("deep_nesting.xlsx", xlsx_bytes([], sheet_parts=[sheet_xml([], "<x>" * depth + "</x>" * depth)]),
        "road", "LoadData.NoHeaders")
    # The same nesting never closed: malformed.
    add("deep_nesting_open.xlsx", xlsx_bytes([], sheet_parts=[sheet_xml([], "<x>" * depth)]), "road",
        "LoadData.ExcelOpenError")
    # An entity definition is refused outright.
    dtd = ('<?xml version="1.0"?><!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;">'
           '<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;">]><worksheet xmlns="http://schemas.openxmlformats.org/'
           'spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&c;</t></is></c>'
           '</row></sheetData></worksheet>')
    add("entity_expansion.xlsx", xlsx_bytes([], sheet_parts=[dtd]), "road", "LoadData.ExcelOpenError")
    # Cell positions the sheet format does not allow, and a shared string that is not there.
    head = ('<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            '<sheetData>')
    tail = "</sheetData></worksheet>"
    add("rows_out_of_order.xlsx", xlsx_bytes([], sheet_parts=[
        head + '<row r="5"><c r="A5" t="inlineStr"><is><t>RecordNumber</t></is></c></row>'
        '<row r="2"><c r="A2"><v>1</v></c></row>' + tail]), "road", "LoadData.ExcelOpenError")
    add("column_beyond_xfd.xlsx", xlsx_bytes([], sheet_parts=[
        head + '<row r="1"><c r="XFE1"><v>1</v></c></row>' + tail]), "road", "LoadData.ExcelOpenError")
    add("row_beyond_limit.xlsx", xlsx_bytes([], sheet_parts=[
        head + '<row r="1048577"><c r="A1048577"><v>1</v></c></row>' + tail]), "road", "LoadData.ExcelOpenError")
    add("missing_shared_string.xlsx", xlsx_bytes([], sheet_parts=[
        head + '<row r="1"><c r="A1" t="s"><v>7</v></c></row>' + tail]), "road", "LoadData.ExcelOpenError")
    xls = os.path.join(HERE, "..", "import", "road.xls")
    if os.path.exists(xls):
        with open(xls, "rb") as f:
            whole = f.read()
        add("truncated.xls", whole[: len(whole) // 2], "road", "LoadData.ExcelOpenError")
        # libfreexl converts a directory entry's name with the entry's own
        # length: one past the 64-byte name field makes it read beyond its copy
        # of the directory sector.
        directory = (int.from_bytes(whole[0x30:0x34], "little") + 1) << int.from_bytes(whole[0x1E:0x20], "little")
        at = directory + 128 + 0x40  # the "Workbook" entry
        add("xls_workbook_name_5000.xls", whole[:at] + (5000).to_bytes(2, "little") + whole[at + 2:], "road",
            "LoadData.ExcelOpenError")
    else:
        for name in ["truncated.xls", "xls_workbook_name_5000.xls"]:
            if os.path.exists(os.path.join(HERE, name)):
                manifest.append((name, "road", "LoadData.ExcelOpenError", "", ""))
    # Inputs found by fuzzing, kept as they were found (not written here).
    for name in ["xls_directory_name_overrun.xls", "xls_second_dimension_too_large.xls",
                 "xls_sst_string_past_continue.xls", "xls_label_past_record.xls", "xls_root_entry_640mb.xls"]:
        if os.path.exists(os.path.join(HERE, name)):
            manifest.append((name, "road", "LoadData.ExcelOpenError", "", ""))

    # Text in another encoding: UTF-16 has no readable header row.
    add("utf16_road.csv", csv_text(road()).encode("utf-16"), "road", "LoadData.NoHeaders")
    add("utf16be_road.csv", b"\xfe\xff" + csv_text(road()).encode("utf-16-be"), "road", "LoadData.NoHeaders")

    # Header problems.
    add("header_only.csv", csv_text([road_header()]), "road", "LoadData.NoFirstRowDataFound")
    add("header_only.xlsx", xlsx_bytes([[road_header()]]), "road", "LoadData.NoFirstRowDataFound")
    dup = road()
    dup[0][col("Cars")] = "Trucks"
    add("duplicate_column.csv", csv_text(dup), "road", "LoadData.DuplicateHeaders", "",
        "%XLColNumber1%=E,%XLColNumber2%=F")
    twice = road(4)
    twice.insert(3, road_header())
    add("header_row_twice.csv", csv_text(twice), "road", "LoadData.IncorrectCellValue",
        "LoadData.RecordNumberConstraints", "%CellAddr%=A4")
    missing_kp = [p for p in KEY_POINTS if p[0] != 130]
    add("missing_key_point_column.csv", csv_text(road(4, missing_kp)), "road", "LoadData.MissingDtmKeyPoints")
    bad_kp = road()
    bad_kp[0][len(NAMED) + 3 * 7] = "140"
    add("key_point_number_140.csv", csv_text(bad_kp), "road", "LoadData.IncorrectHeader", "",
        "%XLColValue%=140")
    no_dtm = [r[: len(NAMED)] for r in road()]
    add("no_key_points.csv", csv_text(no_dtm), "road", "LoadData.DtmHeadersNotFound")

    # Data cells.
    kp0 = len(NAMED)
    add("key_point_height_5001.csv", csv_text(with_cell(road(), 2, kp0 + 2, "5001")), "road",
        "LoadData.IncorrectCellValue", "", "%CellAddr%=Q3")
    add("key_point_x_negative.csv", csv_text(with_cell(road(), 1, kp0 + 3, "-0.5")), "road",
        "LoadData.IncorrectCellValue", "", "%CellAddr%=R2")
    add("key_point_y_10000000.csv", csv_text(with_cell(road(), 3, kp0 + 4, "10000000")), "road",
        "LoadData.IncorrectCellValue", "", "%CellAddr%=S4")
    missing_cells = road()
    for c in range(kp0 + 9, kp0 + 12):
        missing_cells[2][c] = ""
    add("missing_key_point_cells.csv", csv_text(missing_cells), "road", "LoadData.IncorrectCellValue", "",
        "%CellAddr%=X3")
    short = road()
    short[2] = short[2][: kp0 + 12]
    add("row_ends_before_key_points.csv", csv_text(short), "road", "LoadData.IncorrectCellValue", "",
        "%CellAddr%=AA3")
    for name, c, value, reason, addr in [
        ("nan_position.csv", "Position", "NaN", "LoadData.KmPlusPositionConstraints", "B3"),
        ("inf_tilt.csv", "LongitudinalTilt", "inf", "LoadData.IncorrectLongiTilt", "J2"),
        ("minus_infinity_slickness.csv", "SlicknessValue", "-Infinity", "LoadData.IncorrectSlickness", "K3"),
        ("huge_radius_1e309.csv", "CurveRadius", "1e309", "LoadData.IncorrectHRadius", "I2"),
        ("huge_intensity_1e309.csv", "TrafficIntensity", "1e309", "LoadData.IncorrectTrafficIntensity", "D3"),
        ("huge_record_number.csv", "RecordNumber", "99999999999999999999", "LoadData.RecordNumberConstraints",
         "A3"),
        ("nan_cars.csv", "Cars", "nan", "LoadData.IncorrectCarsKoef", "E4"),
    ]:
        r = int(addr[1:]) - 1
        add(name, csv_text(with_cell(road(), r, col(c), value)), "road", "LoadData.IncorrectCellValue", reason,
            "%CellAddr%=" + addr)
    add("nan_key_point.csv", csv_text(with_cell(road(), 2, kp0 + 5, "nan")), "road",
        "LoadData.IncorrectCellValue", "", "%CellAddr%=T3")
    add("nan_key_point.xlsx", xlsx_bytes([with_cell(road(), 2, kp0 + 5, "nan")]), "road",
        "LoadData.IncorrectCellValue", "", "%CellAddr%=T3")
    add("inf_position.xlsx", xlsx_bytes([with_cell(road(), 1, col("Position"), "INF")]), "road",
        "LoadData.IncorrectCellValue", "LoadData.KmPlusPositionConstraints", "%CellAddr%=B2")
    add("two_rows.csv", csv_text(road(2)), "road", "LoadData.MinRoadRowsConstraint")
    nul = csv_text(road()).replace("5000", "50\x0000", 1)
    add("nul_in_cell.csv", nul, "road", "LoadData.IncorrectCellValue", "LoadData.IncorrectTrafficIntensity",
        "%CellAddr%=D2")
    add("unclosed_quote.csv", csv_text(road()) + '5;"400\r\n', "road", "LoadData.CellReadError",
        "", "%CellAddr%=B6")

    # Crossroads and vegetation/buildings beside the valid road.
    x0, y0 = on_road(0, 40)
    add("cross_one_point.csv", csv_text(cross([["A", "1", "", x0, y0, "100"]])), "crossroads",
        "LoadData.MinCRoadPointsConstraint", "", "%ObjectName%=A")
    add("cross_nan_x.csv", csv_text(cross([["A", "1", "", "nan", y0, "100"], ["", "2", "", x0, "2100", "100"]])),
        "crossroads", "LoadData.IncorrectCellValue", "", "%CellAddr%=D2")
    add("cross_inf_h.csv", csv_text(cross([["A", "1", "", x0, y0, "100"], ["", "2", "", x0, "2100", "inf"]])),
        "crossroads", "LoadData.IncorrectCellValue", "", "%CellAddr%=F3")
    add("cross_no_h.csv", csv_text([r[:5] for r in cross([["A", "1", "", x0, y0], ["", "2", "", x0, "2100"]])]),
        "crossroads", "LoadData.MissedRequiredColumn", "", "%XLColHeader%=H")
    add("cross_header_only.csv", csv_text([CROSS_HEADER]), "crossroads", "LoadData.NoFirstRowDataFound")
    add("cross_garbage.xlsx", garbage, "crossroads", "LoadData.ExcelOpenError")
    pts = [on_road(0, -10), on_road(1, -10), on_road(1, 10)]  # key points 109 and 130
    add("greens_two_points.csv", csv_text(greens([["Wood", "1", "1", *pts[0], "10"],
                                                  ["", "", "2", *pts[1], "10"]])),
        "greens", "LoadData.MinVegBldPointsConstraint", "", "%ObjectName%=Wood")
    add("greens_off_road.csv", csv_text(greens([["Shed", "0", "1", *pts[0], "5"], ["", "", "2", *pts[1], "5"],
                                                ["", "", "3", "1150", "2010", "5"]])),
        "greens", "LoadData.PointNotCorrespondRoadPoints", "", "%ObjectName%=Shed,%PointNumber%=3")
    add("greens_nan_height.csv", csv_text(greens([["Wood", "1", "1", *pts[0], "nan"]])),
        "greens", "LoadData.IncorrectCellValue", "", "%CellAddr%=F2")
    add("greens_height_1e309.csv", csv_text(greens([["Wood", "1", "1", *pts[0], "1e309"]])),
        "greens", "LoadData.IncorrectCellValue", "", "%CellAddr%=F2")
    add("greens_empty.csv", b"", "greens", "LoadData.NoHeaders")

    # .ods: a control, and the broken packages.
    add("valid_road.ods", ods_bytes(ods_content(road())), "road", "-")
    # LibreOffice pads its tables with empty rows and columns repeated to the sheet's edge and beyond.
    add("ods_empty_repeats.ods", ods_bytes(ods_content(road(), '<table:table-row table:number-rows-repeated='
                                                        '"1000000000"><table:table-cell table:number-columns-'
                                                        'repeated="1000000000"/></table:table-row>')),
        "road", "-")
    add("ods_not_a_zip.ods", garbage, "road", "LoadData.ExcelOpenError")
    add("ods_no_content.ods", ods_bytes(None, [("meta.xml", "<office:document-meta/>")]), "road",
        "LoadData.ExcelOpenError")
    add("ods_zip_bomb.ods", ods_bytes(ods_content(road(), " " * (200 * 1024 * 1024))), "road",
        "LoadData.ExcelOpenError")
    add("ods_billion_columns.ods", ods_bytes(ods_content(road(), '<table:table-row><table:table-cell table:number-'
                                                          'columns-repeated="1000000000" office:value-type="float" '
                                                          'office:value="1"/></table:table-row>')),
        "road", "LoadData.ExcelOpenError")

    # Built by the test at run time.
    add("@records_200001.csv", None, "road", "LoadData.IncorrectCellValue", "LoadData.RecordNumberConstraints",
        "%CellAddr%=A200002")
    add("@giant_cell.csv", None, "road", "LoadData.CellReadError", "", "%CellAddr%=B3")
    add("@giant_line.csv", None, "road", "LoadData.CellReadError", "", "%CellAddr%=A3")
    add("@zip_bomb.xlsx", None, "road", "LoadData.ExcelOpenError")
    add("@zip_bomb_small_size.xlsx", None, "road", "LoadData.ExcelOpenError")
    add("@zip_bomb_400mb.xlsx", None, "road", "LoadData.ExcelOpenError")
    add("@folder.csv", None, "road", "LoadData.FileNotFound")
    add("@missing.csv", None, "road", "LoadData.FileNotFound")

    for name, data in files.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    with open(os.path.join(HERE, "expected.tsv"), "w", encoding="utf-8", newline="\n") as f:
        f.write("# file\ttable option\texpected key (- loads)\texpected reason key\tplaceholders (name=value,...)\n")
        for row in manifest:
            f.write("\t".join(row) + "\n")


if __name__ == "__main__":
    main()
