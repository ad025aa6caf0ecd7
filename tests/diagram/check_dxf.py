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
    # ezdxf forgives a file cut short; a CAD program does not.
    with open(path, "rb") as f:
        raw = f.read()
    if not raw.endswith(b"  0\r\nENDSEC\r\n  0\r\nEOF\r\n") or raw.count(b"\n") != raw.count(b"\r\n"):
        print(f"{path}: not closed by ENDSEC and EOF, or a line not ended by CR LF")
        failed = True
        continue
    try:
        doc = ezdxf.readfile(path, encoding="cp932")
    except Exception as exc:  # a file a reader cannot open at all
        print(f"{path}: cannot be read: {exc}")
        failed = True
        continue
    auditor = doc.audit()
    for e in auditor.errors:
        print(f"{path}: error {e.code}: {e.message}")
    for f in auditor.fixes:
        print(f"{path}: fix {f.code}: {f.message}")
    if auditor.errors or auditor.fixes:
        failed = True
    else:
        print(f"{path}: {doc.dxfversion}, {len(doc.modelspace())} entities, clean")
sys.exit(1 if failed else 0)
