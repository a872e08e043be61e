#!/usr/bin/env bash
# The console's texts and their English catalog.  Without an argument: brings po/en.po up to
# date with the sources (new texts come in untranslated, gone ones go), to be translated by
# hand.  With --check: fails, naming them, when a text of the sources has no translation.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
pot="$(mktemp)"
trap 'rm -f "$pot"' EXIT
# Every text goes through con::out (its format), con::tr or con::text.
xgettext --from-code=UTF-8 -C --keyword=out:1 --keyword=tr:1 --keyword=text:1 --no-location \
  --sort-output --package-name=agvsim -o "$pot" \
  "$root"/src/console/*.cpp "$root"/src/console/*.h "$root"/src/window/*.cpp \
  "$root"/src/window/*.h
if [ "${1:-}" = "--check" ]; then
  msgcmp "$root/po/en.po" "$pot"
  for kind in --untranslated --only-fuzzy; do
    left="$(msgattrib "$kind" --no-obsolete "$root/po/en.po")"
    [ -z "$left" ] || { printf 'catalog.sh: not translated:\n%s\n' "$left" >&2; exit 1; }
  done
else
  msgmerge -q --no-location --sort-output --update --backup=none "$root/po/en.po" "$pot"
fi
