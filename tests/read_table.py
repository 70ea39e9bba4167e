#!/usr/bin/python3
"""Reads an exported table back with real readers and prints it as JSON.

Usage: read_table.py FILE.xlsx|FILE.csv

.xlsx through openpyxl: per sheet its name, merged ranges, frozen cell,
column widths and cells ([kind, value]: "s" text, "n" number with its
number format, "t" a duration in seconds, "-" empty). .csv through Python's
csv module: whether it starts with a UTF-8 byte-order mark, and the fields.
"""

import csv
import datetime
import io
import json
import sys


def read_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        rows = []
        for row in sheet.iter_rows():
            cells = []
            for cell in row:
                value = cell.value
                if value is None:
                    cells.append(["-", None])
                elif isinstance(value, str):
                    cells.append(["s", value])
                elif isinstance(value, datetime.timedelta):
                    cells.append(["t", round(value.total_seconds(), 3)])
                elif isinstance(value, (datetime.datetime, datetime.time)):
                    cells.append(["?", str(value)])
                else:
                    cells.append(["n", value, cell.number_format])
            rows.append(cells)
        widths = {key: dim.width for key, dim in sheet.column_dimensions.items()}
        sheets.append({"name": sheet.title,
                       "merged": [str(r) for r in sheet.merged_cells.ranges],
                       "frozen": sheet.freeze_panes,
                       "widths": widths,
                       "rows": rows})
    return {"sheets": sheets}


def read_csv(path):
    with open(path, "rb") as f:
        data = f.read()
    bom = data.startswith(b"\xef\xbb\xbf")
    text = data.decode("utf-8-sig")
    return {"bom": bom, "crlf": "\r\n" in text,
            "rows": list(csv.reader(io.StringIO(text, newline="")))}


def main():
    path = sys.argv[1]
    result = read_xlsx(path) if path.endswith(".xlsx") else read_csv(path)
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
