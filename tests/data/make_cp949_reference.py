#!/usr/bin/env python3
"""Writes cp949_reference.tsv (direction, input, expected, note; bytes in hex) with
Python's cp949 codec, to hold the program's iconv against. Invalid input follows
its rule: '?' per bad UTF-8 sequence or cut-off lead byte, U+FFFD per bad 949 pair."""

rows = []
for text, note in [
    ("".join(chr(c) for c in range(0x20, 0x7F)), "printable ASCII"),
    ("\t\r\n", "control bytes"),
    # every 97th of the 11,172 syllables, the first and last among them
    ("".join(chr(c) for c in range(0xAC00, 0xD7A4, 97)), "Hangul syllables, sampled"),
    ("가힣봄노래가을편지", "Hangul words"),
    ("똠방각하", "syllables beyond KS X 1001 (UHC extension)"),
    ("音樂漢字歌詞", "Hanja"),
    ("♤♣♧♪♬★", "title table symbols"),
    ("\u3000", "full-width space"),
    ("ㅠㅜㄱ", "Hangul jamo"),
    ("『봄』 ～ ①", "brackets, wave dash, circled digit"),
]:
    data = text.encode("cp949")
    rows += [("to949", text.encode(), data, note), ("from949", data, data.decode("cp949").encode(), note)]
for text, note in [
    ("a\U0001F600b", "emoji is unmappable"),
    ("x\u00e9y", "Latin e acute"),
    ("\u0e01\u20ac", "Thai letter and euro sign"),
    ("가\U0001F3B5나\U0001F3B6", "two unmappable characters among Hangul"),
]:
    rows.append(("to949", text.encode(), text.encode("cp949", errors="replace"), note))
rows += [
    ("to949", b"a\x80b", b"a?b", "lone continuation byte"),
    ("to949", b"\xbf\xbf", b"??", "two lone continuation bytes"),
    ("to949", b"a\xea\xb0", b"a?", "truncated sequence at the end"),
    ("to949", b"\xea\xb0a", b"?a", "truncated sequence before ASCII"),
    ("to949", b"\xc0\x80", b"?", "overlong NUL"),
    ("to949", b"\xe0\x80\xaf", b"?", "overlong slash"),
    ("to949", b"\xf0\x82\x82\xac", b"?", "overlong euro"),
    ("to949", b"\xed\xa0\x80", b"?", "surrogate"),
    ("to949", b"\xf4\x90\x80\x80", b"?", "beyond U+10FFFF"),
    ("to949", b"\xff\xfe", b"??", "bytes UTF-8 never uses"),
    ("to949", b"\xea\xb0\x80\x80\xea\xb0\x80", "가?가".encode("cp949"), "stray continuation between syllables"),
    ("from949", b"A\xb0", b"A?", "lead byte cut off at the end"),
    ("from949", b"\xffA", "\ufffdA".encode(), "byte 949 never uses"),
    ("from949", b"\x80A", "\ufffdA".encode(), "byte 0x80"),
    ("from949", b"\xb0<", "\ufffd<".encode(), "lead byte before markup keeps the markup"),
    ("from949", b"\xc9\xa1b", "\ufffdb".encode(), "undefined pair"),
    ("from949", b"A\xa2\xe8B", "A\ufffdB".encode(), "unassigned pair among the symbols"),
]
print("# direction\tinput\texpected\tnote")
for direction, data, expected, note in rows:
    print(f"{direction}\t{data.hex()}\t{expected.hex()}\t{note}")
