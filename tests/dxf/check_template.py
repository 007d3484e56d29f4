"""Independent check: the shipped template, written by qdhost, opens in ezdxf with a clean audit."""
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
if auditor.has_errors or auditor.fixes:
    for e in auditor.errors:
        print("error:", e.message)
    for f in auditor.fixes:
        print("fix:", f.message)
    sys.exit(1)
if "0" not in doc.layers:
    sys.exit("layer 0 missing")
print("clean audit")
