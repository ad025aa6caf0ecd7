"""Loads each DXF file named on the command line as a CAD reader would, its
texts decoded in the code page its header names (none named: the reader's
own guess), audits it and prints what it holds: its line and text counts, its layouts
and its texts, each row led by the file's path. Exit status 0 only when every
file loads with no audit error and no audit fix; 77 when ezdxf is not
installed."""
import sys

try:
    import ezdxf
except ImportError:
    sys.exit(77)

failed = False
for path in sys.argv[1:]:
    try:
        doc = ezdxf.readfile(path)
    except Exception as exc:  # a file a reader cannot open at all
        print(f"{path}: cannot be read: {exc}")
        failed = True
        continue
    auditor = doc.audit()
    for e in auditor.errors + auditor.fixes:
        print(f"{path}: {e.code}: {e.message}")
    msp = doc.modelspace()
    print(f"{path}: lines: {len(msp.query('LINE'))} texts: {len(msp.query('TEXT'))}")
    print(f"{path}: layouts: {','.join(doc.layouts.names())}")
    for t in msp.query("TEXT"):
        print(f"{path}: text: {t.dxf.text}")
    if auditor.errors or auditor.fixes:
        failed = True
    else:
        print(f"{path}: {doc.dxfversion}, {len(msp)} entities, clean")
sys.exit(1 if failed else 0)
