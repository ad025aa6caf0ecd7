#!/usr/bin/python3
# Loads a DXF file as a CAD reader would and reports what ezdxf's audit finds.
#
# Usage: ezdxf_audit.py FILE
# Prints the audit's findings, then the model space's entity counts, its texts
# and the layouts. Exit 0 when the file loads and the audit finds no errors and
# makes no fixes, 2 when ezdxf is not installed, 1 otherwise.
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(2)

doc = ezdxf.readfile(sys.argv[1], encoding="cp932")
auditor = doc.audit()
for e in auditor.errors:
    print("error:", e.message)
for f in auditor.fixes:
    print("fix:", f.message)
msp = doc.modelspace()
print("lines:", len(msp.query("LINE")), "texts:", len(msp.query("TEXT")))
print("layouts:", ",".join(doc.layouts.names()))
for t in msp.query("TEXT"):
    print("text:", t.dxf.text)
sys.exit(0 if not auditor.errors and not auditor.fixes else 1)
