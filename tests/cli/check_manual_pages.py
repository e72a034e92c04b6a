#!/usr/bin/env python3
"""The manual pages list exactly what the programs take.

check_manual_pages.py VELMORIN_CLI DOC_DIR RESOURCE_SCRIPT

velmorin-cli(1) names the same commands and options as `velmorin-cli --help`;
velmorin(1) names the same keys as the accelerator table of the resource
script (less the "," entry, which never fires). groff reads both pages
without a warning (lintian's check, found here before a package is made).
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--[a-z][a-z-]*|-[a-z])\b")
COMMANDS = ("info", "check", "render", "export", "import", "thumbnail")


def troff_text(path):
    with open(path, encoding="utf-8") as page:
        return page.read().replace("\\-", "-")


def cli_problems(cli, doc_dir):
    help_text = subprocess.run([cli, "--help"], check=True, capture_output=True, text=True).stdout
    page = troff_text(f"{doc_dir}/velmorin-cli.1.in")
    problems = []
    in_help, in_page = set(OPTION.findall(help_text)), set(OPTION.findall(page))
    for option in sorted(in_help - in_page):
        problems.append(f"velmorin-cli(1) lacks {option}")
    for option in sorted(in_page - in_help):
        problems.append(f"velmorin-cli --help lacks {option}")
    for command in COMMANDS:
        if not re.search(rf"^  {command} ", help_text, re.M):
            problems.append(f"velmorin-cli --help lacks the command {command}")
        if f".B {command}\n" not in page:
            problems.append(f"velmorin-cli(1) lacks the command {command}")
    return problems


KEY_NAMES = {"VK_ADD": "Keypad +", "VK_SUBTRACT": "Keypad -", "VK_F12": "F12",
             "VK_LEFT": "Left", "VK_RIGHT": "Right"}


def accelerator_keys(script):
    with open(script, encoding="utf-8") as rc:
        text = rc.read()
    table = re.search(r"ACCELERATORS\s*\nBEGIN\n(.*?)\nEND", text, re.S).group(1)
    keys = set()
    for line in table.splitlines():
        fields = [f.strip() for f in line.split(",")]
        if "VIRTKEY" not in fields:
            continue
        key = KEY_NAMES.get(fields[0], fields[0].strip('"'))
        keys.add(("Alt+" if "ALT" in fields else "") + key)
    return keys


def viewer_problems(doc_dir, script):
    page = troff_text(f"{doc_dir}/velmorin.1.in")
    section = re.search(r"^\.SH KEYS\n(.*?)^\.SH ", page, re.S | re.M).group(1)
    in_page = set(re.findall(r"^\.TP\n\.B (.+)$", section, re.M))
    in_table = accelerator_keys(script)
    return ([f"velmorin(1) lacks the key {k}" for k in sorted(in_table - in_page)] +
            [f"velmorin(1) lists {k}, which no accelerator takes" for k in sorted(in_page - in_table)])


def groff_problems(doc_dir):
    problems = []
    for page in ("velmorin-cli.1.in", "velmorin.1.in"):
        said = subprocess.run(["groff", "-ww", "-man", "-z", f"{doc_dir}/{page}"], capture_output=True, text=True).stderr
        problems += [f"{page}: {line}" for line in said.splitlines()]
    return problems


def main():
    cli, doc_dir, script = sys.argv[1:4]
    problems = cli_problems(cli, doc_dir) + viewer_problems(doc_dir, script) + groff_problems(doc_dir)
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(1)
    print("the manual pages list what the programs take")


main()
