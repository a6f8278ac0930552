#!/usr/bin/env python3
"""Adds N persons to Request 7 of a SQLite database, for the Windows proof and its benchmark: each
with the codice fiscale that agrees with its surname, name, birth date and sex, all different, in
role 1 at operator A-12. Usage: persons.py DATABASE N"""
import random
import sqlite3
import sys

ODD = dict(zip("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ",
               [1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18, 20, 11, 3, 6, 8,
                12, 14, 16, 10, 22, 25, 24, 23]))
EVEN = {c: (int(c) if c.isdigit() else ord(c) - 65) for c in "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"}
SURNAMES = ["ROSSI", "BIANCHI", "VERDI", "ESPOSITO", "COLOMBO", "RICCI", "MARINO", "GRECO", "DE LUCA"]
NAMES = ["MARIO", "LAURA", "GIUSEPPE", "ANNA", "FRANCESCO", "GIULIA", "LUCA", "CHIARA"]


def part(word, name):
    consonants = [c for c in word if c.isalpha() and c not in "AEIOU"]
    vowels = [c for c in word if c in "AEIOU"]
    if name and len(consonants) >= 4:
        consonants = [consonants[0], consonants[2], consonants[3]]
    return ("".join(consonants + vowels) + "XXX")[:3]


def main():
    database, count = sys.argv[1], int(sys.argv[2])
    rng = random.Random(7)
    db = sqlite3.connect(database)
    for i in range(count):
        surname, name = rng.choice(SURNAMES), rng.choice(NAMES)
        day, month, year = rng.randint(1, 28), rng.randint(1, 12), rng.randint(1950, 1999)
        woman = rng.random() < 0.5
        # The place code (a letter and three digits) tells apart persons otherwise alike.
        place = chr(65 + (i // 1000) % 26) + "%03d" % (i % 1000)
        code = part(surname, False) + part(name, True) + "%02d" % (year % 100) + "ABCDEHLMPRST"[month - 1] + \
            "%02d" % (day + (40 if woman else 0)) + place
        code += chr(65 + sum((ODD if k % 2 == 0 else EVEN)[c] for k, c in enumerate(code)) % 26)
        db.execute("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel,"
                   " GruppoOperatore, CodiceOperatore, Sede, Ruolo) VALUES (7, ?, ?, ?, ?, ?, ?, ?, ?, 'A', 12, 0, 1)",
                   (code, surname, name, "%02d" % day, "%02d" % month, str(year), "persona%d@ente.example" % i,
                    "011%d" % (5550000 + i)))
    db.commit()


main()
