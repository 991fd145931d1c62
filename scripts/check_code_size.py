#!/usr/bin/env python3
"""Checks the size rules of the sources: no file over MAX_FILE lines and no
function body over MAX_FUNCTION lines. Function bodies are found by their
braces (comments and string literals skipped); a lambda counts towards the
function around it. Prints each breach and exits with 1 when there is one.

usage: check_code_size.py [--max-file N] [--max-function N] FOLDER...
"""
import argparse
import pathlib
import re
import sys

SOURCE_SUFFIXES = ('.cpp', '.h')
FUNCTION_HEAD = re.compile(
    r'\)\s*(const)?\s*(noexcept)?\s*(override|final)?\s*(->\s*[\w:<>,\s*&]+)?\s*$'  # plain signature
    r'|\)\s*:[\s\S]*[)}]\s*$')                                                     # constructor initialisers


def blank_comments_and_literals(src):
    """The source with comments and string/char literals emptied, line breaks kept."""
    out = []
    i, n = 0, len(src)
    while i < n:
        if src.startswith('//', i):
            j = src.find('\n', i)
            i = n if j < 0 else j
            continue
        if src.startswith('/*', i):
            j = src.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append('\n' * src.count('\n', i, j))
            i = j
            continue
        raw = re.match(r'R"([^(\s]*)\(', src[i:i + 20])
        if raw and (i == 0 or not (src[i - 1].isalnum() or src[i - 1] == '_')):
            end = ')' + raw.group(1) + '"'
            j = src.find(end, i + len(raw.group(0)))
            j = n if j < 0 else j + len(end)
            out.append('""' + '\n' * src.count('\n', i, j))
            i = j
            continue
        c = src[i]
        if c in '"\'':
            j = i + 1
            while j < n and src[j] != c and src[j] != '\n':
                j += 2 if src[j] == '\\' else 1
            out.append(c + c)
            i = j + 1
            continue
        out.append(c)
        i += 1
    return ''.join(out)


def scope_kind(head, outer_kinds):
    """What a "{" opens, judged by the text before it."""
    if any(k not in ('namespace', 'class') for k in outer_kinds):
        return 'inner'
    head = head.strip()
    if re.search(r'\bnamespace\b', head) and not head.endswith(')'):
        return 'namespace'
    if re.search(r'\b(class|struct|union|enum)\b[^()]*$', head):
        return 'class'
    if FUNCTION_HEAD.search(head):
        return 'function'
    return 'data'


def long_functions(path, limit):
    text = blank_comments_and_literals(path.read_text(encoding='utf-8', errors='replace'))
    stack = []  # (kind, first line, name)
    line, last = 1, 0
    for i, c in enumerate(text):
        if c == '\n':
            line += 1
        elif c == '{':
            head = text[last:i]
            names = re.findall(r'([\w:~]+)\s*\(', head)
            stack.append((scope_kind(head, [k for k, _, _ in stack]), line, names[0] if names else '?'))
            last = i + 1
        elif c == '}':
            if stack:
                kind, first, name = stack.pop()
                if kind == 'function' and line - first + 1 > limit:
                    yield first, name, line - first + 1
            last = i + 1
        elif c == ';':
            last = i + 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--max-file', type=int, default=700)
    parser.add_argument('--max-function', type=int, default=80)
    parser.add_argument('folders', nargs='+')
    args = parser.parse_args()
    breaches = 0
    for folder in args.folders:
        for path in sorted(pathlib.Path(folder).rglob('*')):
            if path.suffix not in SOURCE_SUFFIXES:
                continue
            lines = path.read_text(encoding='utf-8', errors='replace').count('\n')
            if lines > args.max_file:
                print(f'{path}: {lines} lines (at most {args.max_file})')
                breaches += 1
            for first, name, length in long_functions(path, args.max_function):
                print(f'{path}:{first}: {name} is {length} lines long (at most {args.max_function})')
                breaches += 1
    return 1 if breaches else 0


if __name__ == '__main__':
    sys.exit(main())
