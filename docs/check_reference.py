#!/usr/bin/env python3
"""Checks that the author's reference covers the type library and the record format.

  check_reference.py --idl resources/ZorTabList.idl --keys model/record.cpp
                     --reference docs/reference.md --authors docs/page-authors.md

Every member of IZorTabbedList and every event of _IZorTabbedListEvents must have a row
in the reference's tables ("| DISPID | `Name` | ..."): members in the tables before the
"## Events" heading, events in the tables after it. A row that names a member or event
with another DISPID, or one the type library does not have, is an error too. Every key
of the record parser's key table must have a row ("| `KEY` | ...") in the page authors'
record format. Prints every fault and exits 1 when there is one.
"""

import argparse
import re
import sys

# An attribute list with id(n), then the return type and the name.
MEMBER = re.compile(r"\[([^\]]*?)\bid\((-?\d+)\)[^\]]*\]\s*(?:HRESULT|void)\s+(\w+)\s*\(")
ROW = re.compile(r"^\|\s*(-?\d+)\s*\|\s*`(\w+)`\s*\|")
KEY_ROW = re.compile(r"^\|\s*`([A-Z]+)`\s*\|")
PARSER_KEY = re.compile(r'\{"([A-Z]+)",\s*Key::k\w+\}')
EVENTS_HEADING = "## Events"


def declared(idl_text):
    """(members, events): each a dict name -> DISPID, from the IDL's two interfaces."""
    split = idl_text.find("dispinterface _IZorTabbedListEvents")
    if split < 0:
        raise ValueError("the IDL declares no _IZorTabbedListEvents")
    parts = (idl_text[:split], idl_text[split:])
    found = []
    for part in parts:
        names = {}
        matches = MEMBER.findall(part)
        # Every id(...) must have been read, or the pattern above missed a declaration.
        ids = len(re.findall(r"\bid\(", part))
        if len(matches) != ids:
            raise ValueError(f"read {len(matches)} declarations of {ids} id(...)")
        for _, dispid, name in matches:
            if names.setdefault(name, int(dispid)) != int(dispid):
                raise ValueError(f"{name} is declared with two DISPIDs")
        found.append(names)
    return found


def rows(lines):
    """(DISPID, name) of every table row of the form '| n | `Name` |'."""
    result = []
    for number, line in enumerate(lines, 1):
        match = ROW.match(line)
        if match:
            result.append((number, int(match.group(1)), match.group(2)))
    return result


def check_section(label, path, table_rows, declared_names, faults):
    listed = set()
    for line, dispid, name in table_rows:
        if name not in declared_names:
            faults.append(f"{path}:{line}: {label} {name} is not in the type library")
        elif declared_names[name] != dispid:
            faults.append(f"{path}:{line}: {label} {name} has DISPID {declared_names[name]}, "
                          f"not {dispid}")
        listed.add(name)
    for name, dispid in sorted(declared_names.items(), key=lambda item: item[1]):
        if name not in listed:
            faults.append(f"{path}: no row for {label} {name} (DISPID {dispid})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--idl", required=True)
    parser.add_argument("--keys", required=True, help="the record parser's source")
    parser.add_argument("--reference", required=True)
    parser.add_argument("--authors", required=True)
    args = parser.parse_args()
    faults = []
    try:
        with open(args.idl, encoding="utf-8") as f:
            members, events = declared(f.read())
        with open(args.reference, encoding="utf-8") as f:
            reference = f.read().splitlines()
        with open(args.keys, encoding="utf-8") as f:
            keys = PARSER_KEY.findall(f.read())
        with open(args.authors, encoding="utf-8") as f:
            authors = f.read().splitlines()
    except (OSError, ValueError) as e:
        print(f"check_reference: {e}", file=sys.stderr)
        return 1
    if not keys:
        faults.append(f"{args.keys}: no record keys found")

    split = next((i for i, line in enumerate(reference) if line.strip() == EVENTS_HEADING), None)
    if split is None:
        faults.append(f"{args.reference}: no '{EVENTS_HEADING}' heading")
        split = len(reference)
    member_rows = rows(reference[:split])
    event_rows = [(line + split, dispid, name) for line, dispid, name in rows(reference[split:])]
    check_section("member", args.reference, member_rows, members, faults)
    check_section("event", args.reference, event_rows, events, faults)

    key_rows = {m.group(1) for m in map(KEY_ROW.match, authors) if m}
    for key in keys:
        if key not in key_rows:
            faults.append(f"{args.authors}: no row for the record key {key}")
    for key in sorted(key_rows - set(keys)):
        faults.append(f"{args.authors}: the record key {key} is not one the parser reads")

    for fault in faults:
        print(fault, file=sys.stderr)
    print(f"check_reference: {len(members)} members, {len(events)} events, {len(keys)} record "
          f"keys; {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
