#!/usr/bin/env bash
# The manual page of kennfix-batch carries the rules of a list as they are
# written in man/list-rules.scd, its Linux parts: scdoc makes the same roff of them alone as
# stands in the built page.
#
#   list_rules_test.sh SCDOC RULES PAGE    (PAGE: the built roff page, not compressed)
set -euo pipefail
scdoc=$1 rules=$2 page=$3

expected=$({ printf 'x(1)\n\n'; sed '/^; begin Windows$/,/^; end Windows$/d' "$rules" | grep -v '^; '; } | "$scdoc" | sed -n '/^\.SH /,$p')
if [ -z "$expected" ]; then
    echo "FAIL: scdoc made no sections of $rules"
    exit 1
fi
content=$(cat "$page")
if [[ "$content" != *"$expected"* ]]; then
    echo "FAIL: $(basename "$page") does not carry the rules of $(basename "$rules") as scdoc writes them:"
    diff <(printf '%s\n' "$expected") <(sed -n '/^\.SH "\{0,1\}DIE LISTE/,$p' "$page") || true
    exit 1
fi
echo "$(basename "$page") carries the $(grep -c '^\.SH ' <<<"$expected") sections of $(basename "$rules")."
