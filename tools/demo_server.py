#!/usr/bin/env python3
"""A small loopback HTTP server for NUVA's remote demo and tests.

Serves the files below --root, and answers /echo?name=value&... with a VEK
page listing the submitted fields. It listens on 127.0.0.1 only, on a free
port that it writes to --port-file once it is ready. With --log, every
request's path and User-Agent are appended to that file, one per line.
"""
import argparse
import http.server
import os
import urllib.parse


def echo_page(query):
    lines = ["F15", ":1", "#14", "$ The server received your form", "|", ":", "#", "|"]
    pairs = urllib.parse.parse_qsl(query, keep_blank_values=True)
    if not pairs:
        lines.append("$No fields were sent.")
    for name, value in pairs:
        lines += ["#11", "$" + name, "#", "$ = " + value, "|"]
    lines += ["|", "#15", "$Raw query: " + query, "||", "_Back to the demo home>demo/home.vek"]
    return ("\r\n".join(lines) + "\r\n").encode("latin-1", "replace")


class Handler(http.server.SimpleHTTPRequestHandler):
    server_version = "NuvaDemo/1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.server.request_log:
            with open(self.server.request_log, "a", encoding="latin-1") as log:
                log.write("%s\t%s\n" % (self.path, self.headers.get("User-Agent", "")))
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/echo":
            body = echo_page(url.query)
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        super().do_GET()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log")
    args = parser.parse_args()
    os.chdir(args.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.request_log = os.path.abspath(args.log) if args.log else None
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(tmp, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
