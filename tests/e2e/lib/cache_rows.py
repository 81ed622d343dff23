#!/usr/bin/env python3
"""Independent reading of a cache folder for the end-to-end scripts.

Parses every cache file below a folder's bucket folders by the on-disk
layout (u32 2, 12 bytes, u32 1, host, path, pair list, query arguments,
status, response headers, payload size) and works out the rows the program
should show, so that the program's clipboard text and reports can be
checked against something it did not produce itself.

  cache_rows.py rows FOLDER OPTIONS            expected rows, tab-delimited
  cache_rows.py check FOLDER ACTUAL OPTIONS    compare ACTUAL (clipboard text)
  cache_rows.py pick FOLDER OPTIONS            "index<TAB>url<TAB>etag" of
                                               the first row with an ETag
  cache_rows.py report KIND ROWS FILE WIDTHS   compare a saved report (csv or
                                               html) with ROWS (checked rows),
                                               cells escaped as the writer does

OPTIONS: --widths W0,...,W9 (0 hides a column) --sort KEY (-1, or a column
id with 256 for descending) --zone NAME --gmt 0|1. Dates and sizes are
formatted the way the en_US locale does it (M/d/yyyy h:mm:ss AM|PM, comma
grouping); the Filename column is only checked for being non-empty, its
derivation from URL and media type being a unit-test matter.
"""
import argparse
import datetime
import email.utils
import os
import struct
import sys
import zoneinfo

TITLES = ["Filename", "URL", "Content Type", "File Size", "Server Time",
          "Last Modified", "Expire Time", "Server Response", "ETag", "Cache File"]

HTML_HEAD = [
    "<html>",
    "<head>",
    "  <title>Marrowick</title>",
    '  <style type="text/css">',
    "    body   { font-family: Verdana, Geneva, sans-serif; }",
    "    table  { width: 100%; border-collapse: collapse; font-size: 0.8125em; }",
    "    th, td { border: 1px solid #4e4e4e; padding: 2px; text-align: left; white-space: nowrap; }",
    "    th     { color: #ffffff; background-color: #5f91c8; }",
    "  </style>",
    "</head>",
    "<body>",
    "",
    "<h2>Marrowick</h2>",
    "",
    "<table>",
]


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def u32(self):
        (value,) = struct.unpack_from("<I", self.data, self.at)
        self.at += 4
        return value

    def string(self):
        end = self.data.index(b"\0", self.at)
        text = self.data[self.at:end].decode("latin-1")
        self.at = end + 1
        return text

    def raw(self, length):
        chunk = self.data[self.at:self.at + length]
        self.at += length
        return chunk


def http_date(value, zone, gmt):
    try:
        when = email.utils.parsedate_to_datetime(value)
    except (TypeError, ValueError):
        return ""
    if when is None or when.tzinfo is None:
        return ""
    if not gmt:
        when = when.astimezone(zoneinfo.ZoneInfo(zone))
    hour = when.hour % 12 or 12
    half = "AM" if when.hour < 12 else "PM"
    return f"{when.month}/{when.day}/{when.year} {hour}:{when.minute:02d}:{when.second:02d} {half}"


def status_line(code):
    return {200: "HTTP/1.1 200 OK", 404: "HTTP/1.1 404 Not Found"}.get(code, f"HTTP/1.1 {code}")


def read_row(path, zone, gmt):
    """The ten column texts of one cache file; None for the Filename."""
    r = Reader(open(path, "rb").read(4096))
    if r.u32() != 2:
        raise ValueError(f"{path}: lead word is not 2")
    r.raw(12)
    if r.u32() != 1:
        raise ValueError(f"{path}: second word is not 1")
    url = "http://" + r.string()
    url += r.string()
    for _ in range(r.u32()):
        r.string()
        r.string()
    for index in range(r.u32()):
        name = r.string()
        value = r.raw(r.u32()).split(b"\0")[0].decode("latin-1")
        url += ("?" if index == 0 else "&") + name + "=" + value
    row = [None, url, "", "", "", "", "", status_line(r.u32()), "", os.path.basename(path)]
    length = None
    for _ in range(r.u32()):
        name, value = r.string().lower(), r.string()
        if name == "content-type":
            row[2] = value.lstrip(" ").split(";")[0].split(" ")[0][:99]
        elif name == "content-length":
            length = value
        elif name == "date":
            row[4] = http_date(value, zone, gmt)
        elif name == "last-modified":
            row[5] = http_date(value, zone, gmt)
        elif name == "expires":
            row[6] = http_date(value, zone, gmt)
        elif name == "etag":
            row[8] = value
    if length is None:
        length = str(r.u32())
    row[3] = f"{int(length):,}"
    return row


def expected_rows(folder, zone, gmt, sort_key):
    rows = []
    for bucket in (f"{n:02x}" for n in range(256)):
        sub = os.path.join(folder, bucket)
        if os.path.isdir(sub):
            rows += [read_row(os.path.join(sub, f), zone, gmt) for f in os.listdir(sub)]
    if sort_key == -1:
        # Unsorted: the order the folder listing gives (by name under Wine).
        rows.sort(key=lambda row: row[9])
    elif sort_key & 0xFF == 9:
        rows.sort(key=lambda row: row[9].lower(), reverse=bool(sort_key & 256))
    else:
        raise SystemExit("only the Cache File sort (9) is modelled here")
    return rows


def visible(widths):
    return [i for i, w in enumerate(widths) if w != 0]


def options(parser):
    parser.add_argument("--widths", default="1,1,1,1,1,1,1,1,1,1")
    parser.add_argument("--sort", type=int, default=-1)
    parser.add_argument("--zone", default="Asia/Kolkata")
    parser.add_argument("--gmt", type=int, default=1)


def widths_of(text):
    widths = [int(w) for w in text.split(",")]
    if len(widths) != 10:
        raise SystemExit("--widths needs ten numbers")
    return widths


def rows_of(args):
    return expected_rows(args.folder, args.zone, args.gmt, args.sort)


def check_rows(args):
    columns = visible(widths_of(args.widths))
    rows = rows_of(args)
    actual = open(args.actual, encoding="latin-1", newline="").read()
    if "\r" in actual:
        actual = actual.replace("\r\n", "\n")
    lines = actual.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    problems = []
    if len(lines) != len(rows):
        problems.append(f"{len(lines)} lines, expected {len(rows)} (one per cache file)")
        if 9 in columns:
            # Name the rows that are missing or extra instead of listing
            # every line after the first shifted one.
            shown = {line.split("\t")[-1] for line in lines}
            files = {row[9] for row in rows}
            problems += [f"no row for cache file {name}" for name in sorted(files - shown)]
            problems += [f"a row for no cache file: {name!r}" for name in sorted(shown - files)]
        lines = []
    for number, (line, row) in enumerate(zip(lines, rows), 1):
        cells = line.split("\t")
        if len(cells) != len(columns):
            problems.append(f"line {number}: {len(cells)} fields, expected {len(columns)}: {line!r}")
            continue
        for column, cell in zip(columns, cells):
            want = row[column]
            if want is None:
                if cell == "":
                    problems.append(f"line {number}: empty {TITLES[column]}")
            elif cell != want:
                problems.append(f"line {number} ({row[9]}): {TITLES[column]} is {cell!r}, expected {want!r}")
    for problem in problems[:8]:
        print(problem, file=sys.stderr)
    if len(problems) > 8:
        print(f"... and {len(problems) - 8} more", file=sys.stderr)
    return 1 if problems else 0


def pick_row(args):
    for index, row in enumerate(rows_of(args)):
        if row[8]:
            print(f"{index}\t{row[1]}\t{row[8]}")
            return 0
    return 1


def html_cell(text):
    # The writer turns & < > " into entities so that a value cannot break
    # the page; an empty cell becomes a non-breaking space.
    for char, entity in (("&", "&amp;"), ("<", "&lt;"), (">", "&gt;"), ('"', "&quot;")):
        text = text.replace(char, entity)
    return text or "&nbsp;"


def csv_cell(text):
    # A field holding a comma, quote, CR or LF is quoted, inner quotes
    # doubled (grouped sizes such as 1,234 are the common case).
    if any(c in text for c in ',"\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def check_report(args):
    columns = visible(widths_of(args.widths))
    titles = [TITLES[c] for c in columns]
    text = open(args.rows, encoding="latin-1", newline="").read().replace("\r\n", "\n")
    rows = [line.split("\t") for line in text.split("\n") if line != ""]
    data = open(args.file, "rb").read()
    problems = []
    if data.startswith(b"\xef\xbb\xbf"):
        problems.append("the file starts with a byte-order mark")
    if not data.endswith(b"\r\n"):
        problems.append("the file does not end with CR LF")
    if data.count(b"\n") != data.count(b"\r\n") or data.count(b"\r") != data.count(b"\r\n"):
        problems.append("a line end other than CR LF")
    if args.kind == "csv":
        want = [",".join(csv_cell(t) for t in titles)] + [",".join(csv_cell(c) for c in r) for r in rows]
    else:
        want = list(HTML_HEAD) + ["  <tr>"] + [f"    <th>{html_cell(t)}</th>" for t in titles] + ["  </tr>"]
        for r in rows:
            want += ["  <tr>"] + [f"    <td>{html_cell(c)}</td>" for c in r] + ["  </tr>"]
        want += ["</table>", "", "</body>", "</html>"]
    got = data.decode("latin-1").split("\r\n")
    if got and got[-1] == "":
        got.pop()
    if args.kind == "html":
        trs = sum(1 for line in got if line == "  <tr>")
        if trs != len(rows) + 1:
            problems.append(f"{trs} <tr> rows, expected {len(rows) + 1} (header and one per row)")
    if len(got) != len(want):
        problems.append(f"{len(got)} lines, expected {len(want)}")
    for number, (line, expected) in enumerate(zip(got, want), 1):
        if line != expected:
            problems.append(f"line {number} is {line!r}, expected {expected!r}")
            break
    for problem in problems:
        print(f"{args.file}: {problem}", file=sys.stderr)
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    rows = commands.add_parser("rows")
    rows.add_argument("folder")
    options(rows)
    check = commands.add_parser("check")
    check.add_argument("folder")
    check.add_argument("actual")
    options(check)
    pick = commands.add_parser("pick")
    pick.add_argument("folder")
    options(pick)
    report = commands.add_parser("report")
    report.add_argument("kind", choices=["csv", "html"])
    report.add_argument("rows")
    report.add_argument("file")
    report.add_argument("--widths", default="1,1,1,1,1,1,1,1,1,1")
    args = parser.parse_args()
    if args.command == "rows":
        for row in rows_of(args):
            print("\t".join(row[i] or "" for i in visible(widths_of(args.widths))))
        return 0
    return {"check": check_rows, "pick": pick_row, "report": check_report}[args.command](args)


if __name__ == "__main__":
    sys.exit(main())
