"""A picture of every dialog of the manager was written, the main dialog's with each of
its pages, and none shows a placeholder caption of the templates."""
import glob
import os
import sys

work = sys.argv[1]
pictures = {}
for path in sorted(glob.glob(f"{work}/dialogs/*.html")):
    name = os.path.basename(path).split("-", 1)[1][:-5]
    with open(path, encoding="utf-8") as f:
        pictures.setdefault(name, []).append(f.read())
wanted = {"QDKlay01", "tvLay1k", "tvLay1m", "tvLay1l", "tvLay2l", "tvLay3l", "tvLay4l", "tvLay5l", "tvLay6l", "tvLay7l",
          "tvLay8l", "tvLay9l", "tvLay2m", "tvLayPau"}
problems = []
if set(pictures) != wanted:
    problems.append(f"pictures of {sorted(pictures)}")
main = pictures.get("QDKlay01", [])
if not any("Alle Layer einschalten beim Setzen" in p for p in main) or not any("Bearbeiten ..." in p for p in main):
    problems.append("the main dialog is not pictured with both its pages")
for name, texts in pictures.items():
    for placeholder in ("Nastavit", "Zamknout", "Zrušit", "Nápověda", "Volná maska", "Hladina ...", "Vybrat &lt;"):
        if any(placeholder in t for t in texts):
            problems.append(f"{name} shows the placeholder {placeholder!r}")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
