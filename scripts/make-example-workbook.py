#!/usr/bin/env python3
"""Writes examples/surface.xlsx: the example surface as a workbook for the import,
sheet "Surface" with the titles X, Y, Z in row 1 and the points below."""
import csv
import pathlib
import zipfile

root = pathlib.Path(__file__).resolve().parent.parent
rows = list(csv.reader((root / "examples" / "surface.csv").open()))

def cell(ref, value):
    try:
        float(value)
        return f'<c r="{ref}"><v>{value}</v></c>'
    except ValueError:
        return f'<c r="{ref}" t="inlineStr"><is><t>{value}</t></is></c>'

sheet_rows = ['<row r="1">' + "".join(cell(f"{c}1", t) for c, t in zip("ABC", "XYZ")) + "</row>"]
for n, row in enumerate(rows, start=2):
    sheet_rows.append(f'<row r="{n}">' + "".join(cell(f"{c}{n}", v) for c, v in zip("ABC", row)) + "</row>")

parts = {
    "[Content_Types].xml": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
    "</Types>",
    "_rels/.rels": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
    "</Relationships>",
    "xl/workbook.xml": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
    '<sheets><sheet name="Surface" sheetId="1" r:id="rId1"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
    "</Relationships>",
    "xl/worksheets/sheet1.xml": '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
    f'<dimension ref="A1:C{len(rows) + 1}"/><sheetData>' + "".join(sheet_rows) + "</sheetData></worksheet>",
}
with zipfile.ZipFile(root / "examples" / "surface.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, text)
