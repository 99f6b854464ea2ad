#!/usr/bin/env python3
"""Puts kennfix.html together: the page's template with its style sheets,
its scripts, the WebAssembly module and a Content-Security-Policy that
allows exactly these and nothing else.

The modules are plain ES modules for reading and testing one at a time; here
they become one module script, in the order given: lines that import from a
sibling ("./x.js") are dropped and "export " is taken off declarations, so a
name is declared in one file only. The module itself goes in gzipped, as
base64 in a data block, which the browser does not run or fetch; the
early script right after it (page/unpack.js) unpacks it with the browser's
own DecompressionStream and compiles it while the rest is read. Gzip
takes the module to about a third, and base64 adds a third again. Workers go
in as text blocks, started from Blob URLs.
"""

import argparse
import base64
import gzip
import hashlib
import html
import re
import sys
from pathlib import Path

SIBLING_IMPORT = re.compile(r'^\s*import\s[^;]*?from\s+["\']\./[\w.-]+\.js["\'];\s*$', re.M | re.S)
EXPORT = re.compile(r'^export\s+(?=(?:async\s+)?(?:function|class|const|let)\b)', re.M)


def module_text(path):
    text = Path(path).read_text(encoding='utf-8')
    text = EXPORT.sub('', SIBLING_IMPORT.sub('', text))
    if re.search(r'^\s*(import|export)\b', text, re.M):
        sys.exit(f'{path}: an import or export that the page cannot take in one module script')
    return f'// {Path(path).name}\n' + text


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode('utf-8')).digest()).decode() + "'"


def guard(text, tag):
    # A closing tag inside the text would end the element early.
    if re.search(rf'</{tag}', text, re.I):
        sys.exit(f'"</{tag}" inside the {tag} text')
    return text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--template', required=True)
    parser.add_argument('--style', action='append', default=[])
    parser.add_argument('--module', action='append', default=[])
    parser.add_argument('--worker', action='append', default=[])
    parser.add_argument('--early', required=True)
    parser.add_argument('--glue', required=True)
    parser.add_argument('--wasm', required=True)
    parser.add_argument('--version', required=True)
    parser.add_argument('--output', required=True)
    args = parser.parse_args()

    style = guard('\n'.join(Path(p).read_text(encoding='utf-8') for p in args.style), 'style')
    early = guard(Path(args.early).read_text(encoding='utf-8'), 'script')
    glue = guard(Path(args.glue).read_text(encoding='utf-8'), 'script')
    script = guard('\n'.join(module_text(p) for p in args.module), 'script')
    # mtime=0: the same module gives the same file, byte for byte.
    wasm = base64.b64encode(gzip.compress(Path(args.wasm).read_bytes(), compresslevel=9, mtime=0)).decode()
    workers = ''.join(
        f'<script type="text/plain" id="worker-{Path(p).stem}">{guard(Path(p).read_text(encoding="utf-8"), "script")}</script>\n'
        for p in args.worker)

    # Workers inherit the page's policy; their scripts come from Blob URLs.
    policy = [
        "default-src 'none'",
        f"script-src {digest(early)} {digest(glue)} {digest(script)} 'wasm-unsafe-eval'",
        f"style-src {digest(style)}",
        "base-uri 'none'",
        "form-action 'none'",
    ]
    if args.worker:
        policy.append('worker-src blob:')
    policy = '; '.join(policy)

    page = Path(args.template).read_text(encoding='utf-8')
    replacements = {
        '@POLICY@': html.escape(policy, quote=True),
        '@VERSION@': html.escape(args.version),
        '@STYLE@': style,
        '@EARLY@': early,
        '@GLUE@': glue,
        '@SCRIPT@': script,
        '@WASM@': wasm,
        '@WORKERS@': workers,
    }
    for key in replacements:
        if page.count(key) != 1:
            sys.exit(f'{args.template}: {key} must stand exactly once')
    # One pass, so that nothing put in is searched for placeholders again.
    page = re.sub('|'.join(map(re.escape, replacements)), lambda m: replacements[m.group(0)], page)
    Path(args.output).write_text(page, encoding='utf-8')


if __name__ == '__main__':
    main()
