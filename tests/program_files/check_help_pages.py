#!/usr/bin/env python3
"""Every help topic a page of Zolsetup.exe opens is one of the guide's HTML
pages made by the build:

    check_help_pages.py SOURCE_DIR PAGES_DIR
"""
import pathlib
import re
import sys


def main(source, pages):
    topics = []
    for path in sorted(pathlib.Path(source, "setup", "win32").glob("*.cpp")):
        topics += re.findall(r'HelpTopic\(\) const override \{ return "([^"]+)"; \}', path.read_text("latin-1"))
    print("topics:", ", ".join(topics))
    missing = [topic for topic in topics if not pathlib.Path(pages, topic + ".html").is_file()]
    if len(topics) != 6 or missing:
        print(f"FAILED: {len(topics)} topics, missing pages: {missing}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
