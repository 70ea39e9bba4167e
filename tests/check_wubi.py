#!/usr/bin/env python3
# Every code of the 五笔 course (data/course/wubi.json) read against
# Debian's 五笔 table: an item of characters has exactly the table's codes
# for it, shortest first; a 字根 has its key of the chart (res/wubi.json),
# whose 键名字 and 成字字根 codes the table must give. Exits 1 on the first
# code that is not the table's.

import json
import os
import sqlite3
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
TABLE = "/usr/share/ibus-table/tables/wubi-haifeng86.db"


def main():
    db = sqlite3.connect("file:%s?mode=ro" % TABLE, uri=True)
    table = {}
    for code, phrase in db.execute("SELECT tabkeys, phrase FROM phrases"):
        table.setdefault(phrase, set()).add(code)
    with open(os.path.join(ROOT, "res", "wubi.json"), encoding="utf-8") as f:
        chart = json.load(f)
    with open(os.path.join(ROOT, "data", "course", "wubi.json"), encoding="utf-8") as f:
        course = json.load(f)
    faults = []
    roots = {}
    for key in chart["keys"]:
        if key["key"] * 4 not in table.get(key["name"], ()):
            faults.append("键名字 %s is not %s" % (key["name"], key["key"] * 4))
        for character in key["characters"]:
            if character["code"] not in table.get(character["text"], ()):
                faults.append("成字字根 %s is not %s" % (character["text"], character["code"]))
        for root in key["roots"]:
            roots[root] = key["key"]
    if "".join(z["keys"] for z in chart["zones"]) != "gfdsahjklmtrewqyuiopnbvcx":
        faults.append("the zones do not hold the 25 keys in their order")
    checked = 0
    for lesson in course["lessons"]:
        for line in lesson["lines"]:
            for text, *codes in line:
                checked += len(codes)
                if lesson["title"].startswith("字根"):
                    want = [roots.get(text)]
                else:
                    want = sorted(table.get(text, ()), key=lambda c: (len(c), c))
                    if [len(c) for c in codes] != [len(c) for c in sorted(codes, key=len)]:
                        faults.append("lesson %d: %s's codes are not shortest first"
                                      % (lesson["number"], text))
                    codes = sorted(codes, key=lambda c: (len(c), c))
                if codes != want:
                    faults.append("lesson %d: %s has %s, the table %s"
                                  % (lesson["number"], text, codes, want))
    source = course.get("source", {})
    if source.get("license") != "0BSD" or not source.get("table"):
        faults.append("the course does not name the table and its licence")
    for fault in faults[:20]:
        print("check_wubi:", fault, file=sys.stderr)
    print("check_wubi: %d codes of %d lessons, %d faults"
          % (checked, len(course["lessons"]), len(faults)))
    return 1 if faults or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
