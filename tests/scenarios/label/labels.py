"""What the label checks share: an entity's applications, and the drawing's labels."""


def apps(e):
    """The applications of an entity's extended data, in their order."""
    return list(e.xdata.data.keys()) if e.xdata else []


def labels_of(msp):
    """The labels in the space, each the list of its entities in drawing order, keyed by
    the identity ("$...") their extended data names first, in the order they were made."""
    labels = {}
    for e in msp:
        ids = [a for a in apps(e) if a.startswith("$")]
        if ids:
            labels.setdefault(ids[0], []).append(e)
    return dict(sorted(labels.items(), key=lambda item: int(item[1][0].dxf.handle, 16)))
