#!/usr/bin/env python3
"""Writes a small test site: pages that link to each other, a stylesheet,
an image, and optionally a page with a broken link.

    make_site.py DIR --port PORT [--scheme https] [--pages N] [--broken]

Links are absolute (SCHEME://127.0.0.1:PORT/...) so that a mirror shows
whether they were converted for local viewing.
"""
import argparse
import base64
import pathlib

PNG = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=="
)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("dir")
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--scheme", default="http")
    p.add_argument("--pages", type=int, default=3)
    p.add_argument("--broken", action="store_true")
    a = p.parse_args()
    root = pathlib.Path(a.dir)
    (root / "img").mkdir(parents=True, exist_ok=True)
    (root / "img" / "dot.png").write_bytes(PNG)
    (root / "style.css").write_text("body { background: url(img/dot.png); }\n")
    names = ["index.html"] + [f"page{i}.html" for i in range(1, a.pages)]
    for i, name in enumerate(names):
        nxt = names[(i + 1) % len(names)]
        broken = '<a href="missing.html">gone</a>' if a.broken and i == 0 else ""
        (root / name).write_text(
            "<html><head><link rel=\"stylesheet\" href=\"/style.css\"></head><body>"
            f"<h1>{name}</h1><a href=\"{a.scheme}://127.0.0.1:{a.port}/{nxt}\">next</a> "
            f"<img src=\"img/dot.png\">{broken}</body></html>\n"
        )


if __name__ == "__main__":
    main()
