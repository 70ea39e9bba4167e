#!/usr/bin/python3
# Reads an exported table back with real readers and prints it as JSON.
#
#   read_table.py FILE.xlsx|FILE.csv
#
# .xlsx through openpyxl: per sheet its name, merged ranges, frozen cell,
# column widths and cells ([kind, value]: "s" text, "n" number with its
# number format, "t" a duration in seconds, "-" empty). .csv through
# Python's csv module: whether it starts with a UTF-8 byte-order mark, and
# the fields.

import csv
import datetime
import io
import json
import sys


def kind_of(cell):
    value = cell.value
    if value is None or isinstance(value, str):
        return ["-" if value is None else "s", value]
    if isinstance(value, datetime.timedelta):
        return ["t", round(value.total_seconds(), 3)]
    if isinstance(value, (datetime.datetime, datetime.time)):
        return ["?", str(value)]
    return ["n", value, cell.number_format]


def read_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        rows = []
        for row in sheet.iter_rows():
            rows.append([kind_of(cell) for cell in row])
        sheets.append({"name": sheet.title, "merged": [str(r) for r in sheet.merged_cells.ranges],
                       "frozen": sheet.freeze_panes, "rows": rows,
                       "widths": {k: d.width for k, d in sheet.column_dimensions.items()}})
    return {"sheets": sheets}


def read_csv(path):
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("utf-8-sig")
    return {"bom": data.startswith(b"\xef\xbb\xbf"), "crlf": "\r\n" in text,
            "rows": list(csv.reader(io.StringIO(text, newline="")))}


if __name__ == "__main__":
    path = sys.argv[1]
    json.dump(read_xlsx(path) if path.endswith(".xlsx") else read_csv(path), sys.stdout,
              ensure_ascii=False)
