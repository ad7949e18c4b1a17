#!/usr/bin/python3
"""The wizard as a screen reader meets it.

Starts the wizard on a copy of the sample installation under a virtual X
server, with a session bus of its own and the accessibility bus and registry
of at-spi2-core, turns accessibility on as a screen reader does, and reads
the program only through pyatspi, the client library screen readers use.

It checks what a screen reader announces on every page and dialog (roles,
names, states), the entries of the pick lists, the grids, the message boxes
and the live column preview, and then makes a report from the first page to
the saved file with accessibility actions and text alone. That file must
equal, byte for byte, the same report made through the pages by the helper
program (--pageroad), which clicks and types as a user does.

Every problem found is printed; the exit code is 1 when there was one, or
when something the test needs is missing. Nothing is skipped.

  atspi_wizard.py --tallyvane BIN --makesample BIN --pageroad BIN --road JSON
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

INNER = "TV_ATSPI_SESSION"
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def check_tools():
    """What the test needs, each named when it is missing."""
    missing = []
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            missing.append(tool)
    if not os.access(LAUNCHER, os.X_OK):
        missing.append(LAUNCHER + " (at-spi2-core)")
    for module in ("pyatspi", "Xlib.display"):
        try:
            __import__(module)
        except ImportError:
            missing.append("python module " + module)
    if missing:
        fail("missing: " + ", ".join(missing) + " (run scripts/deps.sh --test)")


# ---------------------------------------------------------------------------
# The session: X server, accessibility on, the program.

class Display:
    """A virtual X server on a free display number."""

    def __init__(self):
        read, write = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as f:
            while not number.endswith(b"\n"):
                c = f.read(1)
                if not c:
                    break
                number += c
        if not number.strip():
            fail("Xvfb did not start")
        self.name = ":" + number.decode().strip()

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class FocusKeeper:
    """Gives the X input focus to the newest window of the program, as a
    window manager that focuses new windows does. (Without a window manager
    no window of the program would ever be active, and no control focused.)"""

    def __init__(self, display_name, pid):
        from Xlib import X, display
        self.X = X
        self.d = display.Display(display_name)
        self.pid = pid
        self.pid_atom = self.d.intern_atom("_NET_WM_PID")

    def windows(self):
        root = self.d.screen().root
        found = []
        for w in root.query_tree().children:  # bottom to top
            try:
                attrs = w.get_attributes()
                if attrs.map_state != self.X.IsViewable or attrs.override_redirect:
                    continue
                prop = w.get_full_property(self.pid_atom, self.X.AnyPropertyType)
                if prop and prop.value and prop.value[0] == self.pid:
                    found.append(w)
            except Exception:
                continue
        return found

    def focus_newest(self):
        windows = self.windows()
        if windows:
            windows[-1].set_input_focus(self.X.RevertToParent, self.X.CurrentTime)
            self.d.sync()


def turn_on_accessibility():
    """Sets the flag a screen reader sets when it starts; the toolkit's
    bridge watches it. (This starts the accessibility bus and its
    registry through the session bus.)"""
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "ScreenReaderEnabled",
                                         GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)


def make_installation(root, tallyvane, makesample):
    inst = os.path.join(root, "inst")
    os.makedirs(inst)
    shutil.copy2(tallyvane, os.path.join(inst, "tallyvane"))
    r = subprocess.run([makesample, "--install", inst], capture_output=True, text=True)
    if r.returncode != 0:
        fail("makesample --install failed: " + r.stderr)
    return inst


# ---------------------------------------------------------------------------
# Reading the program through the bus.

import_pyatspi = None


def A():
    global import_pyatspi
    if import_pyatspi is None:
        import pyatspi
        import_pyatspi = pyatspi
    return import_pyatspi


def role(o):
    return o.getRoleName()


def states(o):
    pa = A()
    return {pa.stateToString(s) for s in o.getState().getStates()}


def children(o):
    out = []
    for i in range(o.childCount):
        c = o.getChildAtIndex(i)
        if c is not None:
            out.append(c)
    return out


def walk(o, showing_only=True):
    """o and everything under it; with showing_only, only what is shown.
    Lists and tables are entered too (their entries are checked apart)."""
    yield o
    for c in children(o):
        if showing_only and "showing" not in states(c):
            continue
        yield from walk(c, showing_only)


def find_all(root, want_role=None, name=None, showing_only=True, pred=None):
    out = []
    for o in walk(root, showing_only):
        if want_role and role(o) != want_role:
            continue
        if name is not None and (o.name or "").strip() != name:
            continue
        if pred and not pred(o):
            continue
        out.append(o)
    return out


def until(fn, timeout=10.0, step=0.05):
    end = time.time() + timeout
    while True:
        try:
            v = fn()
        except Exception:
            v = None
        if v:
            return v
        if time.time() > end:
            return v
        time.sleep(step)


def text_of(o):
    try:
        t = o.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return None


def action_names(o):
    try:
        a = o.queryAction()
    except NotImplementedError:
        return []
    return [a.getName(i) for i in range(a.nActions)]


def do(o, action):
    a = o.queryAction()
    for i in range(a.nActions):
        if a.getName(i) == action:
            a.doAction(i)
            return
    raise RuntimeError("%s %r has no action %s (%s)" % (role(o), o.name, action, action_names(o)))


def table_cells(t):
    """Header texts and cell texts of a table, as the Table interface gives
    them."""
    ti = t.queryTable()
    headers = []
    for c in range(ti.nColumns):
        h = ti.getColumnHeader(c)
        headers.append(h.name if h is not None else ti.getColumnDescription(c))
    rows = []
    for r in range(ti.nRows):
        row = []
        for c in range(ti.nColumns):
            cell = ti.getAccessibleAt(r, c)
            row.append(cell.name if cell is not None else None)
        rows.append(row)
    return headers, rows


class Problems:
    def __init__(self):
        self.items = []

    def add(self, where, what):
        self.items.append("%s: %s" % (where, what))
        print("PROBLEM %s: %s" % (where, what), flush=True)

    def expect(self, ok, where, what):
        if not ok:
            self.add(where, what)
        return ok


# ---------------------------------------------------------------------------
# What every window owes a screen reader.

# Roles of the controls a user works; each needs a name that says what it is.
CONTROL_ROLES = {"push button", "radio button", "check box", "text", "spin button", "list",
                 "table", "combo box", "toggle button", "page tab", "slider"}


def audit(window, where, problems):
    """Every control shown: a name that says what it is (not empty, not a
    lone letter, no mnemonic sign or padding), the enabled state and the
    sensitive state agreeing, and an enabled control taking the focus."""
    for o in walk(window):
        r = role(o)
        if r not in CONTROL_ROLES:
            continue
        name = o.name or ""
        label = "%s %r" % (r, name)
        problems.expect(name.strip() != "", where, "%s has no name" % r)
        problems.expect(name == name.strip(), where, "%s: name padded with blanks" % label)
        problems.expect("&" not in name, where, "%s: name shows the mnemonic sign" % label)
        problems.expect(len(name.strip()) != 1, where, "%s: named only by a letter" % label)
        st = states(o)
        problems.expect(("enabled" in st) == ("sensitive" in st), where,
                        "%s: enabled and sensitive disagree" % label)
        if "enabled" in st:
            problems.expect("focusable" in st, where, "%s: enabled but takes no focus" % label)
        if r == "list":
            for item in children(o):
                problems.expect(role(item) == "list item", where,
                                "%s: entry %r is a %s" % (label, item.name, role(item)))
                problems.expect(bool(item.name), where, "%s: an entry has no name" % label)


def focused_control(window):
    for o in walk(window):
        if "focused" in states(o) and role(o) in CONTROL_ROLES | {"list item", "table cell"}:
            return o
    return None


class Wizard:
    """The wizard window as the bus shows it, and the moves a screen reader
    user makes in it."""

    def __init__(self, app, keeper, problems):
        self.app = app
        self.keeper = keeper
        self.problems = problems
        self.window = until(lambda: self.top("dialog", "Tallyvane Professional"), 30)
        if not self.window:
            fail("the wizard window did not appear on the bus")

    def top(self, want_role=None, name=None):
        """The program's top-level window of that role and name, shown."""
        for w in reversed(children(self.app)):
            if want_role and role(w) != want_role:
                continue
            if name is not None and w.name != name:
                continue
            if "showing" in states(w) or "visible" in states(w):
                return w
        return None

    def settle(self):
        time.sleep(0.15)
        self.keeper.focus_newest()
        time.sleep(0.15)

    def page(self):
        """The title of the page shown (its first label)."""
        for pane in find_all(self.window, "layered pane"):
            for page in children(pane):
                if "showing" in states(page):
                    labels = [c for c in children(page) if role(c) == "label"]
                    return labels[0].name if labels else None
        return None

    def control(self, want_role, name, root=None):
        found = find_all(root or self.window, want_role, name)
        if not found:
            raise RuntimeError("no %s %r in view" % (want_role, name))
        return found[0]

    def press(self, name, root=None):
        do(self.control("push button", name, root), "Press")
        self.settle()

    def choose(self, name, root=None):
        """Checks a radio button or ticks a check box."""
        o = None
        for r in ("radio button", "check box"):
            found = find_all(root or self.window, r, name)
            if found:
                o = found[0]
        if o is None:
            raise RuntimeError("no radio button or check box %r in view" % name)
        do(o, "Toggle")
        self.settle()
        return o

    def type_into(self, want_role, name, text, root=None):
        o = self.control(want_role, name, root)
        o.queryEditableText().setTextContents(text)
        self.settle()
        return o

    def next(self, expect_page):
        self.press("Next")
        got = until(lambda: self.page() == expect_page, 10)
        if not got:
            fail("Next did not lead to %r (shown: %r)" % (expect_page, self.page()))

    def item(self, list_name, text, root=None):
        lst = self.control("list", list_name, root)
        for it in children(lst):
            if it.name == text:
                return it
        raise RuntimeError("list %r has no entry %r" % (list_name, text))

    def toggle_item(self, list_name, text, root=None):
        it = self.item(list_name, text, root)
        do(it, "Toggle")
        self.settle()
        return it

    def wait_window(self, want_role, name=None, timeout=10):
        w = until(lambda: self.top(want_role, name), timeout)
        if w:
            self.settle()
        return w


def alert_text(box):
    """Everything a screen reader can read out of a message box."""
    parts = [box.name or "", box.description or ""]
    for o in walk(box):
        if role(o) == "label":
            parts.append(o.name or "")
            parts.append(text_of(o) or "")
    return "\n".join(parts)


def answer_box(wiz, expect_text, button="OK"):
    """The message box that is open now: an alert, announced with its text;
    closed with its button."""
    box = wiz.wait_window("alert")
    if not wiz.problems.expect(box is not None, "message box",
                               "no alert appeared for %r" % expect_text):
        return
    read = alert_text(box)
    wiz.problems.expect(expect_text in read, "message box",
                        "%r is not announced (read: %r)" % (expect_text, read))
    audit(box, "message box %r" % expect_text, wiz.problems)
    wiz.press(button, box)
    until(lambda: wiz.top("alert") is None, 10)
    wiz.settle()


# ---------------------------------------------------------------------------
# The create road, through the bus only, with the checks on the way.

def check_state(problems, where, o, state, want=True):
    st = states(o)
    problems.expect((state in st) == want, where,
                    "%s %r should%s be %s (states: %s)"
                    % (role(o), o.name, "" if want else " not", state, ",".join(sorted(st))))


def check_pick_list(wiz, list_name, picked):
    """Entries are list items, named by their text; the picked ones are
    selected and announced as checked (the check mark), the others not."""
    p = wiz.problems
    lst = wiz.control("list", list_name)
    items = children(lst)
    p.expect(len(items) > 0, list_name, "no entries")
    wrong = {"not a list item": [], "selected state wrong": [], "check mark wrong": []}
    for it in items:
        st = states(it)
        on = it.name in picked
        if role(it) != "list item":
            wrong["not a list item"].append(it.name)
        if ("selected" in st) != on:
            wrong["selected state wrong"].append(it.name)
        if ("checked" in st) != on:
            wrong["check mark wrong"].append(it.name)
    for what, names in wrong.items():
        p.expect(not names, list_name, "%s: %s" % (what, ", ".join(names)))


def check_grid(wiz, where, table, headers, first_column=None):
    p = wiz.problems
    got_headers, rows = table_cells(table)
    p.expect(got_headers == headers, where, "headers %r, expected %r" % (got_headers, headers))
    if first_column is not None:
        got = [r[0] for r in rows if r and r[0]]
        p.expect(got == first_column, where, "first column %r, expected %r" % (got, first_column))
    for r, row in enumerate(rows):
        for c, v in enumerate(row):
            p.expect(v is not None, where, "cell %d,%d not readable" % (r, c))
    return got_headers, rows


def create_road(wiz, road, data_folder):
    p = wiz.problems
    w = wiz.window

    # Page1: the operations, Create checked, Next focused and the default.
    audit(w, "Page1", p)
    check_state(p, "Page1", wiz.control("radio button", "Create a New Report"), "checked")
    check_state(p, "Page1", wiz.control("push button", "Previous"), "enabled", False)
    nxt = wiz.control("push button", "Next")
    check_state(p, "Page1", nxt, "focused")
    check_state(p, "Page1", nxt, "is default")
    wiz.choose("Create a New Report")
    wiz.next("Report Type")

    audit(w, "Page2", p)
    wiz.choose(road["order"])
    wiz.next("Report Information")

    audit(w, "Page3", p)
    check_state(p, "Page3", wiz.control("radio button", "Contact Information Only"), "checked")
    kind = wiz.choose(road["kind"])
    check_state(p, "Page3", kind, "checked")
    wiz.next("Report Description")

    # Page4: the description box has the focus; Next with it empty is
    # refused with a message box.
    audit(w, "Page4", p)
    edit_name = "Description of the report (at most 30 characters):"
    check_state(p, "Page4", wiz.control("text", edit_name), "focused")
    wiz.type_into("text", edit_name, "")
    wiz.press("Next")
    answer_box(wiz, "You must enter a description.")
    p.expect(wiz.page() == "Report Description", "Page4", "left with an empty description")
    wiz.type_into("text", edit_name, road["description"])
    desc = find_all(w, "label", road["description"])
    p.expect(bool(desc), "bottom panel", "the description label does not follow the text")
    wiz.next("Paper Size")

    audit(w, "Page5", p)
    wiz.choose(road["paper"])
    wiz.next("Detail Level")

    audit(w, "Page4_5", p)
    wiz.choose(road["detail"])
    wiz.next("Field Selection")

    # Page6: the pick lists.
    audit(w, "Page6", p)
    check_pick_list(wiz, "Contact Fields", set())
    for name in road["contactFields"]:
        it = wiz.toggle_item("Contact Fields", name)
    for name in road["eventFields"]:
        wiz.toggle_item("Event Fields", name)
    check_pick_list(wiz, "Contact Fields", set(road["contactFields"]))
    check_pick_list(wiz, "Event Fields", set(road["eventFields"]))
    count = len(road["contactFields"]) + len(road["eventFields"])
    label = "(%d fields selected)" % count
    p.expect(bool(find_all(w, "label", pred=lambda o: o.name.lower() == label)), "Page6",
             "the count label does not say %r" % label)

    # The special fields dialog ticks the combination fields in the list.
    wiz.press("Special Fields")
    dlg = wiz.wait_window("dialog", "Special Fields")
    if p.expect(dlg is not None, "Special Fields", "the dialog did not appear"):
        audit(dlg, "Special Fields", p)
        for name in road["specialFields"]:
            box = wiz.choose(name, dlg)
            check_state(p, "Special Fields", box, "checked")
        wiz.press("OK", dlg)
        until(lambda: wiz.top("dialog", "Special Fields") is None)
        wiz.settle()
    special = {n.lower() for n in road["specialFields"]}
    picked = set(road["contactFields"]) | {
        it.name for it in children(wiz.control("list", "Contact Fields")) if it.name in special}
    check_pick_list(wiz, "Contact Fields", picked)
    wiz.next("Field Order")

    # Page7: the order; an entry is chosen and moved up.
    audit(w, "Page7", p)
    order = wiz.control("list", "Field order, left to right")
    before = [it.name for it in children(order)]
    moved = before[road["moveUp"]]
    do(children(order)[road["moveUp"]], "Toggle")
    wiz.settle()
    wiz.press("Move Up")
    after = [it.name for it in children(wiz.control("list", "Field order, left to right"))]
    p.expect(after.index(moved) == road["moveUp"] - 1, "Page7",
             "Move Up did not move the chosen entry %r: %r" % (moved, after))
    wiz.next("Column and Rows")

    # Page8: the column count has the focus; the layout grid reads as the
    # fields of each print line.
    audit(w, "Page8", p)
    spin = wiz.control("spin button", "Columns")
    check_state(p, "Page8", spin, "focused")
    spin.queryValue().currentValue = float(road["columns"])
    wiz.settle()
    # The grid is display only (disabled); it says the layout in words, line
    # by line, and an empty place is not read as the word drawn in it.
    grid = wiz.control("table", "Column layout: the fields of each print line")
    headers, rows = table_cells(grid)
    n = road["columns"]
    lines = [after[i:i + n] for i in range(0, len(after), n)]
    for r, fields in enumerate(lines):
        p.expect(rows[r][:len(fields)] == fields, "Page8",
                 "line %d reads %r, expected %r" % (r + 1, rows[r], fields))
        words = "Line %d: %s." % (r + 1, ", ".join(fields))
        p.expect(words in (grid.description or ""), "Page8",
                 "the grid does not say %r (says %r)" % (words, grid.description))
    p.expect(not any(v == "BLANK" for row in rows for v in row), "Page8",
             "empty places are read as BLANK: %r" % rows)
    p.expect(len(headers) == n, "Page8", "layout headers %r" % headers)
    wiz.next("Column Widths")

    # Page9: the column grid, the check, the preview.
    audit(w, "Page9", p)
    sg = wiz.control("table", "Column widths: start and end of each field in tenths of an inch")
    _, cols = check_grid(wiz, "Page9 grid", sg, ["Field", "Line", "Starting At", "Ending At"],
                         after)
    check_preview(wiz, cols)
    wiz.press("Check Columns")
    answer_box(wiz, "Columns appear OK.")
    wiz.next("Field Definitions")

    # Page10: the field list has the focus with its first entry chosen; Next
    # is off.
    audit(w, "Page10", p)
    defs = wiz.control("list", "Fields of the report")
    first = children(defs)[0]
    check_state(p, "Page10", first, "selected")
    check_state(p, "Page10", wiz.control("push button", "Next"), "enabled", False)
    for field in after:
        headers = road["headers"]
        wants = (field in headers, field in road["dotLeaders"], field in road["counted"])
        if not any(wants):
            continue
        it = wiz.item("Fields of the report", field)
        if "selected" not in states(it):
            do(it, "Toggle")
            wiz.settle()
        header = wiz.control("text", "Column Header")
        until(lambda: "enabled" in states(header))
        if field in headers:
            wiz.type_into("text", "Column Header", headers[field])
        if field in road["dotLeaders"]:
            box = wiz.choose("DOT Leaders (....)")
            check_state(p, "Page10 " + field, box, "checked")
        if field in road["counted"]:
            box = wiz.choose("Counted")
            check_state(p, "Page10 " + field, box, "checked")
    # Back to the first entry: the controls show what was set for it.
    for field in after:
        it = wiz.item("Fields of the report", field)
        if "selected" not in states(it):
            do(it, "Toggle")
            wiz.settle()
        header = text_of(wiz.control("text", "Column Header"))
        p.expect(header == road["headers"].get(field, header), "Page10 " + field,
                 "the header reads %r after choosing the field again" % header)
        lead = wiz.control("check box", "DOT Leaders (....)")
        check_state(p, "Page10 " + field, lead, "checked", field in road["dotLeaders"])

    # Make Report: the naming dialog, then the confirmation.
    wiz.press("Make Report")
    save = wiz.wait_window("dialog", "Save Report File")
    if not p.expect(save is not None, "Make Report", "the naming dialog did not appear"):
        return None
    audit(save, "Save Report File", p)
    name_edit = find_all(save, "text", pred=lambda o: "eight character" in (o.name or ""))
    if p.expect(bool(name_edit), "Save Report File", "no file name box named by its label"):
        check_state(p, "Save Report File", name_edit[0], "focused")
        name_edit[0].queryEditableText().setTextContents(road["fileName"])
        wiz.settle()
    wiz.press("OK", save)
    answer_box(wiz, "Report successfully created.")
    for f in os.listdir(data_folder):
        if f.lower() == road["fileName"].lower() + ".rpt":
            return os.path.join(data_folder, f)
    p.add("Make Report", "no file %s.rpt in the data folder" % road["fileName"])
    return None


def check_preview(wiz, cols):
    """The live preview says in words what its boxes show, or is left out
    of the tree in favour of the grid, which says it."""
    p = wiz.problems
    previews = find_all(wiz.window, pred=lambda o: o.name == "Page preview")
    if not previews:
        return  # left out: the grid above says it all
    pv = previews[0]
    said = " ".join([pv.name or "", pv.description or "", text_of(pv) or ""])
    for row in cols:
        field, line, left, right = row
        words = "%s, line %s, from %s to %s" % (field, line, left, right)
        p.expect(words in said, "Page9 preview", "does not say %r (says %r)" % (words, said))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tallyvane", required=True)
    ap.add_argument("--makesample", required=True)
    ap.add_argument("--pageroad", required=True)
    ap.add_argument("--road", required=True)
    ap.add_argument("--keep", action="store_true", help="keep the scratch folder")
    args = ap.parse_args()
    check_tools()
    if not os.environ.get(INNER):
        # A session bus of our own, ended with the test.
        env = dict(os.environ, **{INNER: "1"})
        r = subprocess.run(["dbus-run-session", "--", sys.executable] + sys.argv, env=env)
        sys.exit(r.returncode)

    with open(args.road) as f:
        road = json.load(f)
    root = tempfile.mkdtemp(prefix="tv-atspi-")
    display = Display()
    os.environ["DISPLAY"] = display.name
    program = None
    problems = Problems()
    try:
        inst = make_installation(root, args.tallyvane, args.makesample)
        data = os.path.join(inst, "SampleData")

        # The same report through the pages, on a copy of the same tables.
        expected_dir = os.path.join(root, "pages")
        shutil.copytree(data, expected_dir)
        r = subprocess.run([args.pageroad, args.road, expected_dir], capture_output=True,
                           text=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        if r.returncode != 0:
            fail("the report through the pages was not made:\n" + r.stdout + r.stderr)
        expected_path = r.stdout.strip().splitlines()[-1]

        turn_on_accessibility()
        env = dict(os.environ, QT_QPA_PLATFORM="xcb")
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        program = subprocess.Popen([os.path.join(inst, "tallyvane")], cwd=inst, env=env)
        pa = A()

        def find_app():
            desktop = pa.Registry.getDesktop(0)
            for a in children(desktop):
                if a.name == "tallyvane" and a.get_process_id() == program.pid:
                    return a
            return None

        app = until(find_app, 30)
        if not app:
            fail("the wizard did not appear on the accessibility bus: the toolkit's bridge "
                 "is not active")
        keeper = FocusKeeper(display.name, program.pid)
        until(lambda: keeper.windows(), 10)
        keeper.focus_newest()
        wiz = Wizard(app, keeper, problems)
        time.sleep(0.5)
        made = create_road(wiz, road, data)
        if made:
            with open(made, "rb") as f:
                got = f.read()
            with open(expected_path, "rb") as f:
                want = f.read()
            problems.expect(got == want, "the report made through the bus",
                            "differs from the one made through the pages:\n--- bus\n%s\n--- pages\n%s"
                            % (got.decode("cp1252"), want.decode("cp1252")))
    finally:
        if program:
            program.terminate()
            try:
                program.wait(10)
            except subprocess.TimeoutExpired:
                program.kill()
        display.stop()
        if not args.keep:
            shutil.rmtree(root, ignore_errors=True)
    if problems.items:
        print("\n%d problems" % len(problems.items))
        sys.exit(1)
    print("all clean")


if __name__ == "__main__":
    main()
