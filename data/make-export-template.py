#!/usr/bin/env python3
"""Writes ExportRuoli.xlsx, the template of the roles spreadsheet: one worksheet whose first row
holds the column headings. The export copies this row; the import never reads it.

Only the standard library: the smallest workbook a spreadsheet program opens, the texts in its
shared-string table (as spreadsheet programs save them, and as every reader reads them). The
entries carry a fixed date, so the file is the same byte for byte on every run.

Usage: make-export-template.py [OUTPUT]   (default: ExportRuoli.xlsx beside this script)
"""
import os
import sys
import zipfile
from xml.sax.saxutils import escape

HEADINGS = [
    "Codice fiscale", "Cognome", "Nome", "Data di nascita (gg/mm/aaaa)", "E-mail", "Telefono",
    "Operatore (gruppo-codice)", "", "Sede", "Ruolo (numero)",
]

NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


TEXTS = [t for t in HEADINGS if t]


def sheet_xml():
    cells = []
    for i, text in enumerate(HEADINGS):
        if text:
            ref = chr(ord("A") + i) + "1"
            cells.append(f'<c r="{ref}" t="s"><v>{TEXTS.index(text)}</v></c>')
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<worksheet xmlns="{NS}"><sheetData><row r="1">{"".join(cells)}</row></sheetData></worksheet>')


def shared_strings_xml():
    items = "".join(f"<si><t>{escape(t)}</t></si>" for t in TEXTS)
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<sst xmlns="{NS}" count="{len(TEXTS)}" uniqueCount="{len(TEXTS)}">{items}</sst>')


FILES = {
    "[Content_Types].xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/sharedStrings.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
        '</Types>',
    "_rels/.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" '
        'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
        'Target="xl/workbook.xml"/></Relationships>',
    "xl/workbook.xml":
        f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<workbook xmlns="{NS}" xmlns:r="{REL}"><sheets>'
        f'<sheet name="Ruoli" sheetId="1" r:id="rId1"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" '
        'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
        'Target="worksheets/sheet1.xml"/>'
        '<Relationship Id="rId2" '
        'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" '
        'Target="sharedStrings.xml"/></Relationships>',
    "xl/worksheets/sheet1.xml": sheet_xml(),
    "xl/sharedStrings.xml": shared_strings_xml(),
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                             "ExportRuoli.xlsx")
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in FILES.items():
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text.encode("utf-8"))


if __name__ == "__main__":
    main()
