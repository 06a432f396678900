#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target to fuzz/corpus/<target>/: valid answers of the
server and a few edge cases, in each target's input format (see the target's source)."""

import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def be32(value):
    return struct.pack(">i", value)


# --- datagram_reply: stale count, then records of flags, length, bytes.
ECHO, UNITS64, SILENT = 1, 2, 4


def record(flags, payload=b"", length=None):
    return bytes([flags, len(payload) if length is None else length]) + payload


def answered(status, data):
    return record(ECHO, bytes([status, len(data)]) + data)


datagram_reply = {
    "valid": b"\x00" + answered(1, b"\x01") + answered(1, b"\x01") + answered(1, b"\x00")
    + answered(1, b"\xca\x09") + record(SILENT),
    "admin_port_one_byte": b"\x00" + answered(1, b"\x01") * 3 + answered(1, b"\x50"),
    "empty_data": b"\x00" + answered(1, b""),
    "status_0": b"\x00" + answered(0, b"\x01"),
    "silent": b"\x00" + record(SILENT) * 5,
    "wrong_sequence": b"\x00" + record(0, b"\x05\x00\x01\x01\x01") * 5,
    "zero_length": b"\x00" + record(0) + answered(1, b"\x01"),
    "too_long": b"\x00" + record(UNITS64, b"\x00" * 320, 5),
    "short_head": b"\x00" + record(ECHO, b"\x01"),
    "stale_then_valid": b"\x01" + record(0, b"\x01\x00\x01\x01\x03") + answered(1, b"\x01"),
    "length_beyond_data": b"\x00" + record(ECHO, b"\x01\xff\x01"),
}

# --- line_status: piece size, then the server's bytes.
def line_record(connections, online, until, address):
    return be32(1) + be32(connections) + be32(online) + be32(until) + be32(0) + address.ljust(16, b"\x00")


message = be32(2) + b"\x00" * 4 + "Server wird gewartet".encode("latin-1")
message = message.ljust(4 + 508, b"\x00")
line_status = {
    "record": b"\x00" + line_record(3, 3600, 120, b"10.0.0.1"),
    "record_bytewise": b"\x01" + line_record(3, 3600, 120, b"10.0.0.1"),
    "address_16": b"\x00" + line_record(1, 1, -1, b"192.168.100.200."),
    "address_empty": b"\x00" + line_record(0, 0, 0, b""),
    "message": b"\x07" + message,
    "type_3": b"\x00" + be32(3),
    "close_after_type": b"\x00" + be32(1),
    "cut_record": b"\x00" + be32(1) + b"\x00" * 10,
}

# --- http_answer: piece size, flags, then the server's bytes.
HEAD, SECOND, REDIRECTS, HTTP10 = 1, 2, 4, 8


def http(piece, flags, text):
    return bytes([piece, flags]) + text.encode("latin-1")


http_answer = {
    "length": http(0, 0, "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nhello world!"),
    "length_kept": http(3, SECOND, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"),
    "chunked": http(0, 0, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"),
    "chunked_pieces": http(1, 0, "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n"
                                 "3;x=y\r\nabc\r\n2\r\nde\r\n0\r\nTrailer: 1\r\n\r\n"),
    "http10_until_close": http(0, 0, "HTTP/1.0 200 OK\r\nServer: zerka\r\n\r\nbody until close"),
    "connection_close": http(0, SECOND, "HTTP/1.1 200 OK\r\nConnection: Close\r\nContent-Length: 2\r\n\r\nok"),
    "unauthorized": http(0, 0, "HTTP/1.1 401 Unauthorized\r\nContent-Length: 6\r\n\r\ndenied"),
    "redirect": http(0, REDIRECTS, "HTTP/1.1 302 Found\r\nLocation: /zerka-admin/\r\nContent-Length: 0\r\n\r\n"),
    "no_content": http(0, 0, "HTTP/1.1 204 No Content\r\n\r\n"),
    "head": http(0, HEAD, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"),
    "client_http10": http(0, HTTP10, "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx"),
    "negative_length": http(0, 0, "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n"),
    "huge_length": http(0, 0, "HTTP/1.1 200 OK\r\nContent-Length: 2147483648000\r\n\r\n"),
    "chunk_overflow": http(0, 0, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\n"),
    "dates_and_range": http(0, 0, "HTTP/1.1 206 Partial\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                                  "Content-Range: bytes 0-1/2\r\nContent-Length: 2\r\n\r\nab"),
    "interim": http(0, 0, "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"),
    "status_not_a_number": http(0, 0, "HTTP/1.1 abc OK\r\n\r\n"),
    "cut_in_head": http(0, 0, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nX-Foo: ba"),
    "cut_in_body": http(2, 0, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly a part"),
}

header_list = {
    "plain": b"Content-Length: 12\r\nConnection: close\r\nServer: zerka",
    "folded": b"Location: /a\r\n  /b\r\n\t/c\r\nDate: x",
    "case": b"content-LENGTH:5\nCONTENT-length: 6",
    "no_colon": b"just text\n: empty name\nTransfer-Encoding:",
    "empty": b"",
}

http_date = {
    "rfc1123": b"Sun, 06 Nov 1994 08:49:37 GMT",
    "rfc850": b"Sunday, 06-Nov-94 08:49:37 GMT",
    "asctime": b"Sun Nov  6 08:49:37 1994",
    "far_future": b"Fri, 31 Dec 9999 23:59:59 GMT",
    "bad_fields": b"Mon, 99 Foo 1994 25:61:61 GMT",
    "endless_dashes": b"Sun, " + b"0-" * 200 + b"0",
    "empty": b"",
}

url_split = {
    "restart": b"http://127.0.0.1:2506/zerka-admin/admin/?Restart=true",
    "no_port": b"http://host/zerka-admin/",
    "relative": b"/zerka-admin/index.html#top",
    "backslashes": b"http:\\\\host:80\\a\\b",
    "bare": b"document",
    "empty_port": b"https://host:/",
}

base64 = {
    "credentials": b"admin:geheim",
    "empty": b"",
    "one": b"a",
    "two": b"ab",
    "latin1": "Größe:Paßwort".encode("latin-1"),
    "binary": bytes(range(256)),
}

dotted_quad = {
    "loopback": b"127.0.0.1",
    "broadcast": b"255.255.255.255",
    "leading_zeros": b"001.002.003.000000004",
    "byte_too_big": b"256.1.1.1",
    "three_parts": b"1.2.3",
    "empty_part": b"1..2.3",
    "name": b"localhost",
    "trailing_dot": b"1.2.3.4.",
}

# --- settings_load: per value in load order control byte, length byte, bytes.
MISSING, STRING, EXPAND, BINARY, DWORD, MULTI, NOTYPE, REFUSED = range(8)


def settings(*values):
    out = b""
    for control, data in values:
        out += bytes([control, len(data)]) + data
    return out


def s(text):
    return (STRING, text.encode("latin-1") + b"\x00")


settings_load = {
    "all_set": settings(s("4295"), s("127.0.0.1"), s("1000"), s("1"), s("1"), s("admin"), s("geheim")),
    "first_start": settings(*[(MISSING, b"")] * 7),
    "port_as_number": settings((DWORD, b"\x97\x10\x00\x00"), s("host")),
    "port_text": settings(s("abc"), s(""), s("10"), s("2"), s("x"), s(""), s("")),
    "refused_read": settings(s("80"), (REFUSED, b"host\x00")),
    "range_edges": settings(s("70000"), (EXPAND, b"h\x00tail"), s("-1"), s("0"), (BINARY, b""), s("Größe"),
                            (MULTI, b"a\x00b\x00\x00")),
}

settings_file = {
    "written": "[Zerka 2 Remote 2]\nProxy Port=4295\nProxy Host=127.0.0.1\nAbfrageinterval=1000\n"
               "Aktiviert=1\nBallooninfo=1\nHTTP User=admin\nHTTP Passwort=geheim\n".encode(),
    "quoted": b'[Zerka 2 Remote 2]\r\nHTTP Passwort=" a\\"b\\x01\\n "\r\nHTTP User = "\\\r\n',
    "sections": b"Proxy Port=1\n[Other]\nProxy Port=2\n[ zerka 2 remote 2 ]\nproxy port=3\n[broken\nX=4\n",
    "comments": b"# comment\n; comment\n=no name\nno equals\n",
    "umlauts": "[Zerka 2 Remote 2]\nHTTP User=Jürgen\nHTTP Passwort=\u20ac\n".encode() + b"bad=\xff\xc3\n",
}

TARGETS = {
    "datagram_reply": datagram_reply,
    "line_status": line_status,
    "http_answer": http_answer,
    "header_list": header_list,
    "http_date": http_date,
    "url_split": url_split,
    "base64": base64,
    "dotted_quad": dotted_quad,
    "settings_load": settings_load,
    "settings_file": settings_file,
}

if __name__ == "__main__":
    shutil.rmtree(ROOT, ignore_errors=True)
    for target, seeds in TARGETS.items():
        folder = ROOT / target
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)
