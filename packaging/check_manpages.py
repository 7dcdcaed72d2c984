#!/usr/bin/env python3
"""Checks that the man pages and the bash completion name every command and option that
the programs' --help prints, so that they cannot drift from the programs.

    check_manpages.py PACKAGING_DIR TK515PRO TK515 TK515_SIM
"""
import os
import re
import subprocess
import sys

# An option as --help shows it: "-o", "--port", "--fault-block", at the start of a word.
OPTION = re.compile(r"(?<![\w-])(--?[a-zA-Z][a-zA-Z0-9-]*)")
# A command line of tk515's help: two blanks, the command in lower case, a blank.
COMMAND = re.compile(r"^  ([a-z][a-z-]+)(?= )", re.MULTILINE)


def run(*args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    done = subprocess.run(args, capture_output=True, text=True, env=env, timeout=30)
    if done.returncode != 0:
        sys.exit(f"{' '.join(args)} ended with {done.returncode}: {done.stderr}")
    return done.stdout


def own_options(help_text):
    """The options a command takes: those of its usage lines (up to the first empty
    line) and those that begin a line of the option list."""
    usage = help_text.split("\n\n", 1)[0]
    listed = re.findall(r"^\s+(--?[a-zA-Z][a-zA-Z0-9-]*)", help_text, re.MULTILINE)
    return set(OPTION.findall(usage)) | set(listed) | {"--help"}


def man_text(path):
    """The page's words with roff's escapes for dashes and fonts taken out."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r"\\f[BIRP]", "", text)
    return text.replace("\\-", "-")


def named(text, word):
    return re.search(r"(?<![\w-])" + re.escape(word) + r"(?![\w-])", text) is not None


def main():
    folder, window, tool, sim = sys.argv[1:5]
    missing = []

    def check(page_name, helps):
        page = man_text(os.path.join(folder, "man", page_name))
        for help_text in helps:
            for option in sorted(set(OPTION.findall(help_text))):
                if not named(page, option):
                    missing.append(f"{page_name}: option {option}")

    tool_help = run(tool, "--help")
    commands = COMMAND.findall(tool_help)
    if len(commands) < 10:
        sys.exit(f"tk515 --help lists too few commands: {commands}")
    command_helps = {c: run(tool, c, "--help") for c in commands}

    check("tk515pro.1", [run(window, "--help")])
    check("tk515-sim.1", [run(sim, "--help")])
    check("tk515.1", [tool_help] + list(command_helps.values()))
    page = man_text(os.path.join(folder, "man", "tk515.1"))
    for c in commands:
        if not named(page, c):
            missing.append(f"tk515.1: command {c}")

    # The completion offers every command, and after each command its options.
    completion = os.path.join(folder, "tk515.bash")

    def completed(*words):
        script = (f'source "{completion}"; COMP_WORDS=({" ".join(repr(w) for w in words)}); '
                  f"COMP_CWORD={len(words) - 1}; _tk515; printf '%s\\n' \"${{COMPREPLY[@]}}\"")
        done = subprocess.run(["bash", "-c", script], capture_output=True, text=True, timeout=30)
        return set(done.stdout.split())

    offered = completed(tool, "")
    for c in commands + ["--help", "--version"]:
        if c not in offered:
            missing.append(f"tk515.bash: command {c}")
    for c, help_text in command_helps.items():
        offered = completed(tool, c, "-")
        for option in sorted(own_options(help_text)):
            if option not in offered:
                missing.append(f"tk515.bash: {c} {option}")

    if missing:
        print("\n".join(missing))
        sys.exit(f"{len(missing)} commands or options of --help are not documented")
    print(f"man pages and completion name all {len(commands)} commands and their options")


if __name__ == "__main__":
    main()
