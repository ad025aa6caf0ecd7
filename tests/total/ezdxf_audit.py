#!/usr/bin/python3
"""Loads a DXF file as a CAD reader would and reports what ezdxf's audit finds.

Usage: ezdxf_audit.py FILE [EXPECTED_TEXT]
Exit 0 when the file loads, the audit finds no errors and makes no fixes and,
when given, EXPECTED_TEXT is the text of one TEXT entity of model space.
Exit 2 when ezdxf is not installed, 1 on any finding.
"""
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(2)

doc = ezdxf.readfile(sys.argv[1], encoding="cp932")
auditor = doc.audit()
for e in auditor.errors:
    print("error:", e)
for f in auditor.fixes:
    print("fix:", f)
ok = not auditor.errors and not auditor.fixes
if len(sys.argv) > 2:
    texts = [t.dxf.text for t in doc.modelspace().query("TEXT")]
    if sys.argv[2] not in texts:
        print("missing text:", sys.argv[2], "among", texts)
        ok = False
print("entities:", len(doc.modelspace()), "layouts:", doc.layouts.names())
sys.exit(0 if ok else 1)
