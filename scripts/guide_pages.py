#!/usr/bin/env python3
"""The user guide as HTML pages, one a section, for Zolsetup's help.

    guide_pages.py GUIDE.md IMAGES OUTDIR

Every "##" section and every "###" section below it becomes a page of its
own, named after its heading ("9-configuring-with-zolsetupexe.html", and
"9-makros.html" for "### Makros" in section 9), with links to the contents
and to the pages before and after it; "index.html" holds the guide's
beginning and its contents. Links between sections lead to the page that
holds the heading. A help button opens a page by its file name: the shell
drops a "#section" from a file path. The Markdown is converted by lowdown;
the pictures are copied beside the pages.
"""
import html
import pathlib
import re
import shutil
import subprocess
import sys

TRANSLITERATION = str.maketrans({"ä": "ae", "ö": "oe", "ü": "ue", "ß": "ss", "Ä": "Ae", "Ö": "Oe", "Ü": "Ue"})
STYLE = """body { font-family: Tahoma, Verdana, sans-serif; font-size: 10pt; max-width: 46em; margin: 1em auto; }
nav { border-bottom: 1px solid #999; padding-bottom: 0.3em; margin-bottom: 1em; }
nav.bottom { border-top: 1px solid #999; border-bottom: none; padding-top: 0.3em; margin-top: 1em; }
table { border-collapse: collapse; } th, td { border: 1px solid #bbb; padding: 0.2em 0.4em; text-align: left; }
code, pre { font-family: Consolas, "Courier New", monospace; } pre { background: #f4f4f4; padding: 0.4em; }
img { max-width: 100%; }"""


def anchor(heading):
    """The anchor of a heading as the guide's own links name it."""
    text = re.sub(r"[`*_]", "", heading).strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def file_name(heading, section):
    slug = re.sub(r"-+", "-", anchor(heading).translate(TRANSLITERATION))
    return (slug if section is None else f"{section}-{slug}") + ".html"


def split(markdown):
    """The pages: (file name, title, lines), in the guide's order."""
    pages = [["index.html", None, []]]
    section = None
    in_code = False
    for line in markdown.splitlines():
        if line.startswith("```"):
            in_code = not in_code
        heading = None if in_code else re.match(r"^(#{1,3}) (.*)$", line)
        if heading and len(heading.group(1)) == 1:
            pages[0][1] = heading.group(2)
        elif heading and len(heading.group(1)) == 2:
            section = re.match(r"^(\d+)\.", heading.group(2))
            section = section.group(1) if section else None
            pages.append([file_name(heading.group(2), None), heading.group(2), []])
        elif heading:
            pages.append([file_name(heading.group(2), section), heading.group(2), []])
        pages[-1][2].append(line)
    return pages


def link_targets(pages):
    """Which page holds each heading's anchor."""
    targets = {}
    for name, _, lines in pages:
        in_code = False
        for line in lines:
            if line.startswith("```"):
                in_code = not in_code
            heading = None if in_code else re.match(r"^#+ (.*)$", line)
            if heading:
                targets.setdefault(anchor(heading.group(1)), name)
    return targets


def to_html(markdown, targets):
    markdown = re.sub(r"\]\(#([^)]+)\)",
                      lambda m: f"]({targets.get(m.group(1), 'index.html')}#{m.group(1)})", markdown)
    body = subprocess.run(["lowdown", "-Thtml"], input=markdown, capture_output=True, text=True,
                          check=True).stdout
    def heading_id(match):
        text = html.unescape(re.sub(r"<[^>]+>", "", match.group(3)))
        return f'<h{match.group(1)} id="{html.escape(anchor(text))}">{match.group(3)}</h{match.group(1)}>'
    return re.sub(r'<h(\d) id="([^"]*)">(.*?)</h\1>', heading_id, body)


def navigation(pages, index, where):
    links = ['<a href="index.html">Inhalt</a>']
    if index > 0:
        links.append(f'<a href="{pages[index - 1][0]}">&larr; {html.escape(pages[index - 1][1] or "")}</a>')
    if index + 1 < len(pages):
        links.append(f'<a href="{pages[index + 1][0]}">{html.escape(pages[index + 1][1])} &rarr;</a>')
    return f'<nav class="{where}">' + " | ".join(links) + "</nav>"


def main(guide, images, out):
    out = pathlib.Path(out)
    out.mkdir(parents=True, exist_ok=True)
    pages = split(pathlib.Path(guide).read_text(encoding="utf-8"))
    targets = link_targets(pages)
    guide_title = pages[0][1]
    for index, (name, title, lines) in enumerate(pages):
        body = to_html("\n".join(lines) + "\n", targets)
        heading = html.escape(title if index else guide_title)
        page = (f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
                f"<title>{heading}</title>\n<style>\n{STYLE}\n</style>\n</head>\n<body>\n"
                f"{navigation(pages, index, 'top')}\n{body}\n{navigation(pages, index, 'bottom')}\n"
                f"</body>\n</html>\n")
        (out / name).write_text(page, encoding="utf-8")
    shutil.copytree(images, out / "images", dirs_exist_ok=True)


if __name__ == "__main__":
    main(*sys.argv[1:4])
