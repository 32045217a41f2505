#!/usr/bin/env python3
"""Makes a manual page from a program's own --help, so the two cannot drift.

Usage: make_manpage.py PROGRAM TEMPLATE OUTPUT VERSION DATE

The template is roff with placeholders on lines of their own: @SYNOPSIS@,
@DESCRIPTION@, @COMMANDS@, @OPTIONS@ and @EXIT_STATUS@ are filled from the
help; @VERSION@ and @DATE@ anywhere. The help is read in this shape:

  Usage: PROGRAM ARGS            (further forms on "  or:  PROGRAM ARGS" lines)
  paragraphs                     -> DESCRIPTION
  Commands:                      -> COMMANDS; each entry starts with two blanks
    ...                             and the command's name, whose own
                                    "PROGRAM NAME --help" gives its synopsis
                                    and summary
  Options...:                    -> OPTIONS; "  -x, --name ARG  text" entries,
                                    continued on lines indented further
  Exit status: 0 what, 1 what.   -> EXIT STATUS

A paragraph after a list belongs to that list's section.
"""
import os
import re
import subprocess
import sys

ENV = dict(os.environ, LC_ALL="C.UTF-8")
# In a sanitizer build a leak report at exit must not stop the build over a
# help text (the tests look for leaks).
ENV.setdefault("ASAN_OPTIONS", "detect_leaks=0")


def run_help(argv):
    out = subprocess.run(argv, check=True, capture_output=True, env=ENV, timeout=60)
    return out.stdout.decode("utf-8")


def escape(text):
    """Text as roff sees it literally (hyphens stay ASCII minus signs)."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join("\\&" + l if l[:1] in (".", "'") else l for l in text.split("\n"))


TOKEN = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*|[A-Z][A-Z0-9_]*(?:-[A-Z0-9]+)*)(?![\w-])")


def markup(synopsis, bold_first=False):
    """Options in bold, placeholders (FILE, YYYY-MM-DD) in italics."""
    out, at = [], 0
    if bold_first:
        name, _, rest = synopsis.partition(" ")
        out.append("\\fB" + escape(name) + "\\fR" + (" " if rest else ""))
        synopsis = rest
    for m in TOKEN.finditer(synopsis):
        out.append(escape(synopsis[at:m.start()]))
        font = "B" if m.group(1).startswith("-") else "I"
        out.append("\\f" + font + escape(m.group(1)) + "\\fR")
        at = m.end()
    out.append(escape(synopsis[at:]))
    return "".join(out)


def parse(help_text):
    """Splits the help into usage forms, sections of paragraphs and lists."""
    usage, sections, lists = [], {"DESCRIPTION": []}, {}
    section, entries, para = "DESCRIPTION", None, []

    def flush():
        if para:
            text = " ".join(para)
            if text.startswith("Exit status:"):
                sections.setdefault("EXIT STATUS", []).append(text)
            else:
                sections.setdefault(section, []).append(text)
            para.clear()

    for line in help_text.splitlines():
        m = re.match(r"(?:Usage:|  or:)\s+(.*)", line)
        if m:
            usage.append(m.group(1).strip())
            continue
        if not line.strip():
            flush()
            entries = None
            continue
        if re.match(r"\S.*:$", line):
            flush()
            section = "COMMANDS" if line.startswith("Commands") else "OPTIONS" if line.startswith("Options") else section
            entries = lists.setdefault(section, [])
            continue
        if entries is not None and line.startswith(" "):
            m = re.match(r" {1,4}(-\S.*?)(?: {2,}(.*))?$", line) if section == "OPTIONS" else re.match(r"  (\S+)", line)
            if m:
                entries.append([m.group(1), m.group(2) or ""] if section == "OPTIONS" else [m.group(1), ""])
            elif entries:
                entries[-1][1] = (entries[-1][1] + " " + line.strip()).strip()
            continue
        entries = None
        para.append(line.strip())
    flush()
    return usage, sections, lists


def paragraphs(texts, after_list=False):
    text = "\n.PP\n".join(escape(t) for t in texts)
    return ".PP\n" + text if text and after_list else text


def tagged(items, bold_first=False):
    return "\n".join(".TP\n" + markup(tag, bold_first) + "\n" + escape(text) for tag, text in items)


def render(program, template, version, date):
    name = os.path.basename(program)
    usage, sections, lists = parse(run_help([program, "--help"]))
    synopsis = "\n.br\n".join(".B " + escape(name) + "\n" + markup(u.split(" ", 1)[1] if " " in u else "")
                              for u in usage)
    commands = []
    for command, _ in lists.get("COMMANDS", []):
        lines = run_help([program, command, "--help"]).splitlines()
        head = re.sub(r"^Usage:\s+" + re.escape(name) + r"\s+", "", lines[0])
        commands.append((head, " ".join(l.strip() for l in lines[1:] if l.strip())))
    exits = []
    for text in sections.get("EXIT STATUS", []):
        exits += re.findall(r"(\d+) ([^,.]+)", text.split(":", 1)[1])
    fill = {
        "@SYNOPSIS@": synopsis,
        "@DESCRIPTION@": paragraphs(sections.get("DESCRIPTION", [])),
        "@COMMANDS@": "\n".join(filter(None, [tagged(commands, True), paragraphs(sections.get("COMMANDS", []), True)])),
        "@OPTIONS@": "\n".join(filter(None, [tagged(lists.get("OPTIONS", [])), paragraphs(sections.get("OPTIONS", []), True)])),
        "@EXIT_STATUS@": "\n".join(".TP\n.B " + code + "\n" + escape(what.strip()) for code, what in exits),
    }
    page = []
    for line in template.splitlines():
        if line.strip() in fill:
            if fill[line.strip()]:
                page.append(fill[line.strip()])
            continue
        page.append(line.replace("@VERSION@", version).replace("@DATE@", date))
    return "\n".join(page) + "\n"


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__.split("\n\n")[1])
    program, template_path, output, version, date = sys.argv[1:]
    with open(template_path, encoding="utf-8") as f:
        page = render(program, f.read(), version, date)
    with open(output + ".tmp", "w", encoding="utf-8") as f:
        f.write(page)
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    main()
