"""Loads each DXF file named on the command line as a CAD reader would and
audits it. Exit status 0 only when every file loads with no audit error and
no audit fix; 77 when ezdxf is not installed."""
import sys

try:
    import ezdxf
except ImportError:
    sys.exit(77)

failed = False
for path in sys.argv[1:]:
    try:
        doc = ezdxf.readfile(path, encoding="cp932")
    except Exception as exc:  # a file a reader cannot open at all
        print(f"{path}: cannot be read: {exc}")
        failed = True
        continue
    auditor = doc.audit()
    for e in auditor.errors + auditor.fixes:
        print(f"{path}: {e.code}: {e.message}")
    if auditor.errors or auditor.fixes:
        failed = True
    else:
        print(f"{path}: {doc.dxfversion}, {len(doc.modelspace())} entities, clean")
sys.exit(1 if failed else 0)
