"""The English texts of the console's catalog as a script of the page.

catalog.py EN.MO OUT.JS: the catalog that msgfmt made of po/en.po, read by Python's own gettext,
written as `const CATALOG = {...};`, each Japanese text (the message id) with its English.
"""
import gettext
import json
import sys

with open(sys.argv[1], "rb") as f:
    texts = gettext.GNUTranslations(f)._catalog  # every id with its translation
english = {k: v for k, v in sorted(texts.items()) if k}
with open(sys.argv[2], "w", encoding="utf-8") as out:
    out.write("// The English texts of po/en.po by their Japanese ids (made by web/catalog.py).\n")
    out.write("const CATALOG = " + json.dumps(english, ensure_ascii=False, indent=0) + ";\n")
