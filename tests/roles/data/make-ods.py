#!/usr/bin/env python3
"""Writes ExportRichiesta_100.ods, an OpenDocument spreadsheet as LibreOffice saves the roles
sheet after editing: the heading row, then two persons, one birth date a real date cell, the
site and role as float cells, one role as its text. Only the standard library.

Usage: make-ods.py [OUTPUT]
"""
import os
import sys
import zipfile

ODD = [1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18, 20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23]


def check(code15):
    total = 0
    for i, c in enumerate(code15):
        v = int(c) if c.isdigit() else ord(c) - ord("A")
        total += ODD[v] if i % 2 == 0 else v
    return code15 + chr(ord("A") + total % 26)


def text(t):
    return f'<table:table-cell office:value-type="string"><text:p>{t}</text:p></table:table-cell>'


def number(n):
    return f'<table:table-cell office:value-type="float" office:value="{n}"><text:p>{n}</text:p></table:table-cell>'


def empty():
    return "<table:table-cell/>"


def date(iso, shown):
    return (f'<table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="{iso}">'
            f"<text:p>{shown}</text:p></table:table-cell>")


def row(cells):
    return "<table:table-row>" + "".join(cells) + "</table:table-row>"


HEADING = ["Codice fiscale", "Cognome", "Nome", "Data di nascita (gg/mm/aaaa)", "E-mail", "Telefono",
           "Operatore (gruppo-codice)", "", "Sede", "Ruolo (numero)"]

ROWS = [
    row([text(check("RSSMRA85T10A562")), text("ROSSI"), text("MARIO"), date("1985-12-10", "10/12/1985"),
         text("mario.rossi@ente.example"), text("0115550101"), text("A-12"), empty(), number(0), number(1)]),
    row([text(check("BNCLRA90A41L219")), text("BIANCHI"), text("LAURA"), text("01/01/1990"),
         text("laura.bianchi@ente.example"), text("0115550101"), text("A-12"), empty(), number(1),
         text("Verificatore di Percorsi Formativi (SEDE)")]),
]

NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"')

CONTENT = (
    f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content {NS} office:version="1.2">'
    '<office:automatic-styles>'
    '<number:date-style style:name="N37"><number:day number:style="long"/><number:text>/</number:text>'
    '<number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/>'
    '</number:date-style>'
    '<style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Default" '
    'style:data-style-name="N37"/>'
    '</office:automatic-styles>'
    '<office:body><office:spreadsheet><table:table table:name="Ruoli">'
    + row([text(h) if h else empty() for h in HEADING]) + "".join(ROWS) +
    '</table:table></office:spreadsheet></office:body></office:document-content>')

MANIFEST = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
    '<manifest:file-entry manifest:full-path="/" manifest:version="1.2" '
    'manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
    '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
    '</manifest:manifest>')


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                             "ExportRichiesta_100.ods")
    with zipfile.ZipFile(out, "w") as z:
        stamp = (2026, 1, 1, 0, 0, 0)
        z.writestr(zipfile.ZipInfo("mimetype", date_time=stamp), "application/vnd.oasis.opendocument.spreadsheet")
        for name, data in (("META-INF/manifest.xml", MANIFEST), ("content.xml", CONTENT)):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data.encode("utf-8"))


if __name__ == "__main__":
    main()
