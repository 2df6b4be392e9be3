#!/usr/bin/env python3
"""Writes cp949_reference.tsv: conversions between UTF-8 and code page 949 as
Python's own cp949 codec makes them, for the tests to hold the program's iconv
conversions against. Run once; the output is committed.

Columns: direction (to949 / from949), input bytes, expected bytes, note; bytes
in hex. Invalid input follows the program's rule: one '?' per invalid UTF-8
sequence; U+FFFD per rejected 949 byte pair; '?' for a lead byte cut off at the
end."""

import sys

rows = []


def to949(text, note):
    data = text.encode("utf-8")
    rows.append(("to949", data, text.encode("cp949", errors="replace"), note))


def from949(data, note):
    rows.append(("from949", data, data.decode("cp949").encode("utf-8"), note))


def both(text, note):
    to949(text, note)
    from949(text.encode("cp949"), note)


both("".join(chr(c) for c in range(0x20, 0x7F)), "printable ASCII")
both("\t\r\n", "control bytes")
# Hangul syllables: every 97th of the 11,172, and the first and last ones.
both("".join(chr(c) for c in range(0xAC00, 0xD7A4, 97)), "Hangul syllables, sampled")
both("가힣봄노래가을편지", "Hangul words")
both("똠방각하", "syllables beyond KS X 1001 (UHC extension)")
both("音樂漢字歌詞", "Hanja")
both("♤♣♧♪♬★", "title table symbols")
both("\u3000", "full-width space")
both("ㅠㅜㄱ", "Hangul jamo")
both("『봄』 ～ ①", "brackets, wave dash, circled digit")
to949("a\U0001F600b", "emoji is unmappable")
to949("x\u00e9y", "Latin e acute")
to949("\u0e01\u20ac", "Thai letter and euro sign")
to949("가\U0001F3B5나\U0001F3B6", "two unmappable characters among Hangul")

invalid_utf8 = [
    (b"a\x80b", b"a?b", "lone continuation byte"),
    (b"\xbf\xbf", b"??", "two lone continuation bytes"),
    (b"a\xea\xb0", b"a?", "truncated sequence at the end"),
    (b"\xea\xb0a", b"?a", "truncated sequence before ASCII"),
    (b"\xc0\x80", b"?", "overlong NUL"),
    (b"\xe0\x80\xaf", b"?", "overlong slash"),
    (b"\xf0\x82\x82\xac", b"?", "overlong euro"),
    (b"\xed\xa0\x80", b"?", "surrogate"),
    (b"\xf4\x90\x80\x80", b"?", "beyond U+10FFFF"),
    (b"\xff\xfe", b"??", "bytes UTF-8 never uses"),
    (b"\xea\xb0\x80\x80\xea\xb0\x80", "가?가".encode("cp949"), "stray continuation between syllables"),
]
for data, expected, note in invalid_utf8:
    rows.append(("to949", data, expected, note))

invalid_949 = [
    (b"A\xb0", b"A?", "lead byte cut off at the end"),
    (b"\xff" b"A", "\ufffdA".encode("utf-8"), "byte 949 never uses"),
    (b"\x80" b"A", "\ufffdA".encode("utf-8"), "byte 0x80"),
    (b"\xb0<", "\ufffd<".encode("utf-8"), "lead byte before markup keeps the markup"),
    (b"\xc9\xa1" b"b", "\ufffdb".encode("utf-8"), "undefined pair"),
]
for data, expected, note in invalid_949:
    rows.append(("from949", data, expected, note))

out = sys.stdout
out.write("# direction\tinput\texpected\tnote\n")
for direction, data, expected, note in rows:
    out.write(f"{direction}\t{data.hex()}\t{expected.hex()}\t{note}\n")
