#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora and the markers dictionary.

    tests/fuzz/make_seeds.py BRAMIX_STANDIN

Pages, result pages and file headers come from the demo world, as the
stand-in web serves them (BRAMIX_STANDIN is the built bramix-standin); titles,
terms, names, lines and texts are the unit tests' examples. Code page 949 is
Python's codec, independent of the program's converter. The corpora are
small and committed; run this again when the world or the markers change.
"""

import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
WORLD = os.path.join(ROOT, "tools", "standin", "demo_world.txt")
CORPUS = os.path.join(HERE, "corpus")


def cp949(text):
    return text.encode("cp949")


def write(target, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()[:16]
    with open(os.path.join(folder, name), "wb") as file:
        file.write(data)


def world_posts():
    posts = []
    for line in open(WORLD, encoding="utf-8"):
        match = re.match(r"post (\w+) (\S+)/(\S+) \| (.*?) \| (.*)", line)
        if match:
            posts.append(match.groups())
        elif re.match(r"  (attach|link|embed) ", line):
            url = line.split()[1]
            posts[-1] += (url if url.startswith("http") else "http://" + url,)
    return posts


class StandIn:
    def __init__(self, program):
        self.process = subprocess.Popen([program, "--world", WORLD], stdout=subprocess.PIPE,
                                        text=True)
        proxy = self.process.stdout.readline().strip().split("=", 1)[1]
        self.opener = urllib.request.build_opener(urllib.request.ProxyHandler({"http": proxy}))

    def get(self, url):
        with self.opener.open(url, timeout=10) as reply:
            return reply.read()

    def headers(self, url):
        try:
            with self.opener.open(url, timeout=10) as reply:
                return (reply.headers.get("Content-Disposition", ""),
                        reply.headers.get("Content-Length", ""))
        except urllib.error.HTTPError:
            return "", ""

    def close(self):
        self.process.terminate()
        self.process.wait()


def pages_and_headers(standin):
    posts = world_posts()
    files = []
    for service, blog, number, blog_name, title, *links in posts:
        files += links
        if service == "tistory":
            page = standin.get(f"http://{blog}/{number}")
            write("tistory_post", page)
            write("link_extraction", page.decode("utf-8").encode("cp949", "replace"))
        elif service == "naver":
            page = standin.get(f"http://blog.naver.com/PostView.nhn?blogId={blog}&logNo={number}")
            write("naver_post", page)
            write("link_extraction", page)
        else:
            write("daum_post", standin.get(f"http://blog.daum.net/{blog}/{number}"))
            content = standin.get(f"http://blog.daum.net/_blog/BlogView.do?blogid={blog}"
                                  f"&articleno={number}&categoryId=&admin=")
            write("daum_post", content)
            write("link_extraction", content.decode("utf-8").encode("cp949", "replace"))
        write("title_cleaning", cp949("봄\n<title>" + title + " :: " + blog_name + "</title>"))
        write("title_cleaning", cp949(title))
        write("keyword_match", cp949("봄 노래\n" + title))
    google = "http://www.google.co.kr/search?as_q="
    for query in ("%EB%B4%84+mp3&num=10&as_sitesearch=tistory.com&start=0",
                  "%EB%B4%84+mp3&num=10&as_sitesearch=blog.daum.net&start=0"):
        write("search_results", standin.get(google + query))
    term = urllib.parse.quote_from_bytes(cp949("봄"))
    write("search_results",
          standin.get(f"http://search.naver.com/search.naver?where=post&query={term}%20mp3&start=1"))
    for url in sorted(set(files)):
        disposition, length = standin.headers(url)
        write("media_names", url.encode() + b"\n" + disposition.encode("latin-1") + b"\n" +
              length.encode())
    # A longer ordinary post, in the shape bench/post_analysis_bench builds.
    write("tistory_post", long_tistory_post(16 * 1024))


def long_tistory_post(size):
    page = ('<!DOCTYPE html><html><head><meta charset="utf-8"><title>[MP3] 봄노래 모음 듣기/가사 ♪ '
            ':: 봄날의 음악 일기</title></head><body id="tt-body-page"><div class="entry">\n')
    i = 0
    while len(page.encode()) < size:
        n = str(i)
        page += ('<div class="titleWrap"><h2><a href="/' + n + '">봄노래 ' + n +
                 '번째 - 가수 듣기</a></h2></div>\n' +
                 '<p>봄이 오면 생각나는 노래입니다. 좋은 음악 감사합니다 &amp; 즐거운 하루 되세요!</p>\n' +
                 '<p><a href="http://cfile' + n + '.uf.daum.net/image/1A2B3C.jpg" target="_blank">'
                 '<img src="x.jpg"></a></p>\n<div class="imageblock"><script>AudioPlayer.embed("p' +
                 n + '");</script><noscript><a href="http://springday.tistory.com/attachment/1A' + n +
                 '">봄노래 ' + n + '.mp3</a></noscript></div>\n<p><EMBED src="http://www.example.com'
                 '/player' + n + '.swf" width="300" height="45"></p>\n')
        i += 1
    return page + "</div></body></html>\n"


def unit_examples():
    # Pages in the unit tests' shapes.
    block = ('<div><script>player()</script><noscript><a href="http://cfile5.uf.tistory.com/attach'
             '/A1">Song A.mp3</a></noscript></div>\n')
    heading = '<div class="titleWrap"><h2><a href="/12">First Song</a></h2></div>\n'
    write("tistory_post", "<html><head><title>Post Title</title></head><body>" + heading + block +
          '<EMBED src="http://cfile5.uf.tistory.com/original/E1" width=300></body></html>')
    links = ('<body><a href="http://pds3.blog.daum.net/a.mp3"><a href="http://blogfiles.naver.net/'
             'b.mp3?type=attachment"><a href="http://cfile1.uf.daum.net/attach/C" target=_blank>'
             '<a href="http://bgm.blog.daum.net/d.wma"><EMBED src="http://f.example.com/a.mp3" '
             "autostart=0><EMBED width=1 src=http://f.example.com/b.mp3 >")
    write("link_extraction", links)
    write("naver_post", cp949("<html><head><title>Spring Day : 네이버  블로그</title></head>") +
          links.encode())
    write("daum_post", '<frameset><frame SRC="/_blog/hdn.do"><frame SRC="/_blog/BlogView.do?'
          'blogid=0Abc&articleno=1234&categoryId=&admin=" name=BlogMain></frameset>')
    write("search_results", '<head><script>\'<li class=g><h3 class=r><a href="http://head/" \''
          '</script></head><body><li class=g><h3 class=r><a href="http://a/?x=1&amp;y=2" class=l>'
          '<dt><a href="http://blog.naver.com/a?Redirect=Log&logNo=1" class="url">')

    for title in ("[MP3] 봄노래 - 가수 듣기/가사 ♪", "★봄노래★ mp3 다운로드", "봄 듣기/가듣기/mp3사",
                  "<b>봄노래</b> &amp; 가을 M/V", "&lt;b&gt;x", "a&amp;amp;b", "~~봄노래!!",
                  "2008-01-01 노래", "블로그 이름 :: 봄노래 듣기", "a!!!b---c~~~d&&&e", "a....b",
                  "x[1][1].", "amp;amp;amp;", "a\\b/c:d*e?f\"g<h>i|j_k+l", "Hello_World+Song.MP3",
                  "wait...for.mp3", "봄노래 ( 라이브)", "[/봄노래]"):
        write("title_cleaning", cp949(title))
    write("title_cleaning", cp949("봄노래\n<html><head><title>블로그 이름 :: 봄노래 듣기</title>"))
    write("title_cleaning", b"a_\xb0")

    for term, text in (("푸른 하늘", "[MV] 하늘, 푸른"), ("가을 편지 노래", "편지노래 - 가을"),
                       ("love mp3 song", "LOVESONG.mp3"), ("  Love  MP3  ", "Love Song"),
                       (" mp3 mp3 ", "x"), ("a.b", "a-b"), ("--", "-- !! --"),
                       ("가을   편지\t노래", "가을 편지")):
        write("keyword_match", cp949(term + "\n" + text))
    write("keyword_match", b"\xb0\xb0\n\xc7\xb0\xb0\xa1")

    for text in ("<html><title>Love Song</title></html>\r\n", "봄노래 - 김봄", "가나다 ♪ ★"):
        write("code_page", text)
        write("code_page", cp949(text))
    write("code_page", b"\xed\xa0\x80 \xc0\xaf \xf4\x90\x80\x80 \xf0\x9f\x8e\xb5 \xea\xb0")
    write("code_page", b"\xb0\xa1\x81\x41\xc9\xa1\xfe\xfe\x80\xff\xb0")

    for pattern, replacement, text in (
            ("[1].", ".", "x[1][1][1]."), ("  ", " ", "a     b"), ("....", "...", "x........y"),
            ("-", " - ", "2008-01-01"), ("A", "x", "\xb0A-A"),
            ("&admin=", "", "http://blog.daum.net/_blog/BlogView.do?blogid=1&articleno=1"
             "&categoryId=&admin="),
            ("?type=attachment", "", "http://blogfiles.naver.net/1/a.mp3?type=attachment"),
            ("\"", "", '""a"b"'), ("~", "", "~\xb0~~"), ("%", "", "a+b%41%4a%zz%!!a%4"),
            ("://", "", "HTTP://blog.naver.com/abc?x#y"), ("@", "", "http://user@:80/"),
            ("", "", "file:///home/me/a.mp3"), (" ", "", "http://h/a b?q=%41&x=1\xb0\xa1.mp3")):
        write("text_helpers", (pattern + "\n" + replacement + "\n" + text).encode("latin-1"))

    for link, disposition, length in (
            ("http://files.example.com/a/track.MP3", 'attachment; filename="Spring Song.mp3"',
             "4718592"),
            ("http://cfile2.uf.daum.net/attach/1", "attachment; filename=%EC%9D%8C%EC%95%85.mp3", ""),
            ("http://blogfiles.naver.net/3/x.mp3?type=attachment", "", "600000"),
            ("http://f.example.com/download.php?id=7&filename=a%20b.mp3", "", "-1"),
            ("http://f.example.com/small.mp3", "", "300000"),
            ("http://cfile5.uf.tistory.com/original/1A2B", "attachment; filename=\"a.wma\"",
             "99999999999")):
        write("media_names", (link + "\n" + disposition + "\n" + length).encode("latin-1"))
    write("media_names", b"http://blogfiles.naver.net/3/x.mp3\nattachment; filename=\"" +
          cp949("봄노래.mp3") + b"\"\n4718592")

    for line in ("mp3\t4718592\t1\t봄노래.mp3\t김봄\thttp://a.tistory.com/1\thttp://a.tistory.com/f",
                 "mp3\t1\t1\t봄노래.mp3\t\thttp://p/1\thttp://f/%EB%B4%84.mp3\r",
                 "wma\t0\t0\ta b .wma\tx y z w\t\t", "mp3\t1\t1\tname\ttitle\tpage\tfile\textra"):
        write("find_line", line)
    write("find_line", cp949("봄노래.mp3\n김봄\nhttp://a.tistory.com/1\nhttp://a.tistory.com/f"))
    write("find_line", '{"type":"mp3","size":4718592,"matched":true,"fileName":"봄노래.mp3",'
          '"title":"김봄","pageUrl":"http://a.tistory.com/1","fileUrl":"http://a.tistory.com/f"}')
    write("find_line", '{ "fileUrl" : "http:\\/\\/f\\u00e9\\ud83c\\udfb5\\"\\\\" , "fileName":"a\\tb\\u0000.mp3",'
          ' "size": 12, "matched": false, "title": null }\r')

    for name in ("봄노래\n.mp3", "../../etc/passwd\n.mp3", ".\n", "a\0b\n.mp3", "AC/DC\n.mp3"):
        write("disk_names", name)
    for name in ("봄노래.mp3", "AC/DC.mp3", ".mp3", "..", "봄" * 100 + ".mp3"):
        write("disk_names", cp949(name))

    for size in (0, 532, 1023, 1024, 1340, 23506, 921600, 1023999, 1024000, 2400016, 4718592,
                 1 << 40, 1 << 50, (1 << 64) - 1):
        write("byte_size", struct.pack("<Q", size))


def dictionary():
    ascii_markers = [
        "<title>", "</title>", "<body", "<EMBED ", "src=", "href=\"", "\" ", "\">", "=\"", ">",
        "<a href", "</a>", "<noscript><a ", "</noscript>", "\"title-wrap", "\"titleWrap",
        "\"article_title", "\"titleinfo", "\"content_data_main_data_title", "\"article_head",
        "=\"entry\"", "\"head_title", "href=\"http://bgm.", "href=\"http://cfile",
        "href=\"http://blogfiles.naver.net/", "href=\"http://pds", ".wma\"", ".mp3", ".wma",
        ".zip", ".MP3", "<frame SRC=\"/_blog/BlogView.do?", "<frame SRC=\"/_blog/blogMain.do?",
        "&admin=", "&_bloghome_menu=recenttext", "&categoryId=", "?type=attachment",
        "/PostView.nhn?", ".naver.com/", ".naver.net/", ".daum.net/", ".daum.net/attach/",
        ".tistory.com/", "http://", "://", "filename=", "attachment; filename=\"",
        "http://blog.daum.net/_blog/dummy.mp3", "<li class=g><h3 class=r><a href=\"",
        "<dt><a href=\"", " :: ", " - ", "[1].", "[1]", "...", "....", "amp;amp;", "&amp;",
        "&lt;", "&gt;", "&quot;", "&laquo;", "&raquo;", "M/V", "[MP3]", "[mp3]", " mp3 ",
        " wma ", "mp3", "!!", "--", "~~", "&&", "  ", "[]", "()", "( ", "[/", "%EB%B4%84",
        "\t", "\r", "\n", "{\"fileUrl\":\"", ",\"fileName\":\"", "\\u", "\\ud83c\\udfb5",
    ]
    korean = ["♤", "♣", "♧", "♪", "♬", "★", "듣기/가사", "듣기/mp3", "듣기/다운/가사", "mp3/다운",
              "다운/가사", "가사.mp3.다운", "다운,듣기,가사", " 전곡", " 미리듣기", "mp3 다운로드",
              "mp3다운", "(다운)", "[다운]", "[음악]", "[신청곡]", "[동]", "다운받기", "다운", "듣기",
              "네이버  블로그", "포스트 내용보기", "　", "봄노래"]
    entries = [marker.encode() for marker in ascii_markers]
    for text in korean:
        entries += [cp949(text), text.encode("utf-8")]
    lines = ["# Markers the post analyzers, the engines' result parsers and title",
             "# cleaning search for; Korean ones in code page 949 and in UTF-8.",
             "# Written by make_seeds.py."]
    seen = set()
    for data in entries:
        if data in seen:
            continue
        seen.add(data)
        escaped = "".join(chr(b) if 0x20 <= b < 0x7F and b not in (0x22, 0x5C) else f"\\x{b:02X}"
                          for b in data)
        lines.append(f'"{escaped}"')
    with open(os.path.join(HERE, "markers.dict"), "w") as file:
        file.write("\n".join(lines) + "\n")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    shutil.rmtree(CORPUS, ignore_errors=True)
    standin = StandIn(sys.argv[1])
    try:
        pages_and_headers(standin)
    finally:
        standin.close()
    unit_examples()
    dictionary()


if __name__ == "__main__":
    main()
