#!/usr/bin/env python3
"""The product's facts for the test scripts, read from their one home in the sources.

    facts.py remedies        every remedy the programs give (Windows' too): NAME<TAB>TEXT per
                             line, a constant's whole text, or a fixed part of a built one
    facts.py remedy NAME     the text of the remedy constant NAME
    facts.py line1           Form1's needle in twips: pivot x, pivot y, tip x, tip y at 0 degrees
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
LITERAL = r'"(?:[^"\\]|\\.)*"'


def _unquote(pieces):
    return "".join(re.sub(r'\\(.)', r'\1', piece[1:-1]) for piece in re.findall(LITERAL, pieces))


def remedy_constants():
    header = (ROOT / "motor/port_error.h").read_text()
    found = re.findall(r'constexpr std::string_view (k\w+) =\s*((?:' + LITERAL + r'\s*)+);', header)
    return {name: _unquote(pieces) for name, pieces in found}


def built_remedy_parts():
    """The fixed wording of the remedies built around a node, group or address: each
    literal of four words or more in the functions of namespace remedy."""
    source = (ROOT / "motor/port_error.cpp").read_text()
    body = source[source.index("namespace remedy {"):]
    parts = []
    for function, text in re.findall(r'std::string (\w+)\([^)]*\) \{(.*?)\n\}', body, flags=re.S):
        for run in re.findall(r'(?:' + LITERAL + r'\s*)+', text):
            words = _unquote(run).strip(" ,.()")
            if len(words.split()) >= 4:
                parts.append((function, words))
    return parts


def line1():
    layout = (ROOT / "core/layout.h").read_text()
    return [float(v) for v in re.search(r'kLine1\{([-\d.]+), ([-\d.]+), ([-\d.]+), ([-\d.]+),', layout).groups()]


def main(argv):
    if argv[1:] == ["remedies"]:
        for name, text in remedy_constants().items():
            print(f"{name}\t{text}")
        for name, text in built_remedy_parts():
            print(f"{name}\t{text}")
    elif len(argv) == 3 and argv[1] == "remedy":
        print(remedy_constants()[argv[2]])
    elif argv[1:] == ["line1"]:
        print(*(f"{v:g}" for v in line1()))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
