#!/usr/bin/env python3
"""Writes ExportRichiesta_100.xls, a legacy Excel 97-2003 workbook (BIFF8) as older installations
of the program produced it: the heading row, then two persons, one birth date typed as a real date
(a number with a date format) and one as text, the role once as its number and once as its text.

Run once, with python3-xlwt, when the fixture must change; the test reads the committed file.
Usage: make-legacy-xls.py [OUTPUT]
"""
import datetime
import os
import sys

import xlwt

ODD = [1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18, 20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23]


def check(code15):
    total = 0
    for i, c in enumerate(code15):
        v = int(c) if c.isdigit() else ord(c) - ord("A")
        total += ODD[v] if i % 2 == 0 else v
    return code15 + chr(ord("A") + total % 26)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                             "ExportRichiesta_100.xls")
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Ruoli")
    date = xlwt.easyxf(num_format_str="dd/mm/yyyy")
    for col, text in enumerate(["Codice fiscale", "Cognome", "Nome", "Data di nascita (gg/mm/aaaa)", "E-mail",
                                "Telefono", "Operatore (gruppo-codice)", "", "Sede", "Ruolo (numero)"]):
        if text:
            sheet.write(0, col, text)
    rows = [
        (check("RSSMRA85T10A562"), "ROSSI", "MARIO", datetime.date(1985, 12, 10), "mario.rossi@ente.example", 0, 1),
        (check("BNCLRA90A41L219"), "BIANCHI", "LAURA", "01/01/1990", "laura.bianchi@ente.example", 1,
         "Verificatore di Percorsi Formativi (SEDE)"),
    ]
    for r, (cf, surname, name, born, email, site, role) in enumerate(rows, start=1):
        sheet.write(r, 0, cf)
        sheet.write(r, 1, surname)
        sheet.write(r, 2, name)
        if isinstance(born, datetime.date):
            sheet.write(r, 3, born, date)
        else:
            sheet.write(r, 3, born)
        sheet.write(r, 4, email)
        sheet.write(r, 5, "0115550101")
        sheet.write(r, 6, "A-12")
        sheet.write(r, 8, site)
        sheet.write(r, 9, role)
    book.save(out)


if __name__ == "__main__":
    main()
