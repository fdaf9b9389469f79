#!/usr/bin/python3
"""Drives Morvakelin with the keyboard alone and listens to it as a screen reader does (AT-SPI).

For every window it reaches it counts the interactive controls a screen reader cannot name and
those the keyboard cannot reach. Run it through tests/a11y/run.sh, which provides the display,
window manager, session bus and the program; it is not part of ctest (it needs all of those and
takes about two minutes).

Interactive: buttons, check boxes, combo boxes, text fields, lists, menu items. Named: a name with
a letter in it, or a label tied to the control (combo boxes: only the label, as their name is
their value). Reached: the control got the focus by Tab (Ctrl+Tab out of a text that takes Tab as
a character), or (menu items) by F10 and the arrow keys.
"""
import os
import subprocess
import sys
import time

import pyatspi

INTERACTIVE = {
    pyatspi.ROLE_DOCUMENT_TEXT, pyatspi.ROLE_DOCUMENT_FRAME,
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_LINK, pyatspi.ROLE_LIST, pyatspi.ROLE_TREE,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE,
}
# Not operated, but announced: they need a name too.
ANNOUNCED = {pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_IMAGE}
MENU_ROLES = {pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM}

SHOTS = os.environ.get("A11Y_SHOTS", "")
DEBUG = os.environ.get("A11Y_DEBUG", "")
CLIP = os.environ["A11Y_CLIP"]
OUTPUT = os.environ["A11Y_OUTPUT"]


def key(*keys, pause=0.25):
    for k in keys:
        subprocess.run(["xdotool", "key", "--clearmodifiers", k], check=True)
        time.sleep(pause)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)
    time.sleep(0.3)


def shot(name):
    if SHOTS:
        time.sleep(0.5)
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, name + ".png")])


def app():
    for _ in range(60):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == "Morvakelin":
                return a
        time.sleep(0.5)
    sys.exit("Morvakelin did not appear on the accessibility bus")


def states(acc):
    return acc.getState()


def children(acc):
    for i in range(acc.childCount):
        c = acc.getChildAtIndex(i)
        if c is not None:
            yield c


def active_window():
    for w in children(app()):
        if states(w).contains(pyatspi.STATE_ACTIVE):
            return w
    return None


def wait_window(title_part, timeout=15):
    """The active window whose title holds title_part; "Morvakelin" alone means the form."""
    end = time.time() + timeout
    while time.time() < end:
        w = active_window()
        title = (w.name or "") if w is not None else ""
        if title == title_part or (title_part != "Morvakelin" and title_part in title):
            return w
        time.sleep(0.3)
    w = active_window()
    sys.exit(f"no active window with '{title_part}' (active: {w.name if w else None})")


def has_words(text):
    return any(ch.isalpha() for ch in (text or ""))


def labels(acc):
    names = []
    for r in acc.getRelationSet():
        if r.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [r.getTarget(i).name for i in range(r.getNTargets())]
    return names


def is_named(acc):
    if acc.getRole() != pyatspi.ROLE_COMBO_BOX and has_words(acc.name):
        return True
    return any(has_words(n) for n in labels(acc))


def controls(acc, found=None):
    """Interactive and announced objects; a combo box's inner parts belong to it."""
    found = [] if found is None else found
    for c in children(acc):
        role = c.getRole()
        if role in INTERACTIVE or role in ANNOUNCED:
            found.append(c)
        if role != pyatspi.ROLE_COMBO_BOX:
            controls(c, found)
    return found


def describe(acc):
    return f"{acc.getRoleName()} '{acc.name}'"


def control_of(acc):
    """The control a focused object stands for: a combo box's inner edit is the combo box."""
    parent = acc.parent
    if parent is not None and parent.getRole() == pyatspi.ROLE_COMBO_BOX:
        return parent
    return acc


def focused(window):
    stack = [window]
    while stack:
        acc = stack.pop()
        try:
            if states(acc).contains(pyatspi.STATE_FOCUSED) and acc is not window:
                return control_of(acc)
            stack.extend(children(acc))
        except Exception:
            continue
    return None


def key_of(acc):
    return (acc.getRoleName(), acc.name, acc.getIndexInParent(),
            acc.parent.name if acc.parent else "")


def tab_reached(window, limit):
    reached = set()
    for _ in range(limit):
        f = focused(window)
        if f is not None:
            reached.add(key_of(f))
        # In a text that takes Tab as a character, Ctrl+Tab moves on.
        typing = f is not None and states(f).contains(pyatspi.STATE_MULTI_LINE) and \
            states(f).contains(pyatspi.STATE_EDITABLE) and \
            not states(f).contains(pyatspi.STATE_READ_ONLY)
        key("ctrl+Tab" if typing else "Tab", pause=0.15)
        if DEBUG:
            print("    focus:", f and describe(f))
    return reached


def menu_reached(window):
    """F10 opens the first menu; Right moves along the bar, Down through a menu's items."""
    reached = set()
    bar = next((c for c in children(window) if c.getRole() == pyatspi.ROLE_MENU_BAR), None)
    if bar is None:
        return reached
    entries = list(children(bar))
    for index, entry in enumerate(entries):
        key("F10")
        key(*(["Right"] * index), pause=0.15)
        popup = next(children(entry), None)
        if popup is None or not states(popup).contains(pyatspi.STATE_SHOWING):
            continue
        reached.add(key_of(entry))
        for _ in range(popup.childCount + 1):
            for item in children(popup):
                if states(item).contains(pyatspi.STATE_FOCUSED):
                    reached.add(key_of(item))
            key("Down", pause=0.15)
        key("Escape", "Escape")
    return reached


def check_window(window, title, with_menus=False):
    """Counts unnamed and unreachable controls of one window; returns (total, unnamed, unreached)."""
    found = controls(window)
    unnamed = [c for c in found if not is_named(c)]
    operable = [c for c in found if c.getRole() in INTERACTIVE
                and states(c).contains(pyatspi.STATE_ENABLED)
                and (states(c).contains(pyatspi.STATE_SHOWING) or c.getRole() in MENU_ROLES)
                and (with_menus or c.getRole() not in MENU_ROLES)]
    reached = tab_reached(window, len(operable) + 5)
    if with_menus:
        reached |= menu_reached(window)
    unreached = [c for c in operable if key_of(c) not in reached]
    print(f"{title}: {len(found)} controls, {len(unnamed)} without a usable name, "
          f"{len(unreached)} not reached by the keyboard")
    for c in unnamed:
        print(f"    unnamed: {describe(c)}")
    for c in unreached:
        print(f"    unreached: {describe(c)}")
    return len(found), len(unnamed), len(unreached)


def focus_named(window, name, limit=60):
    """Tabs until the control with this name has the focus, as a screen-reader user would."""
    for _ in range(limit):
        f = focused(window)
        if f is not None and (f.name or "").startswith(name):
            return
        key("Tab", pause=0.15)
    sys.exit(f"'{name}' never got the focus")


def choose_file(title, path):
    dialog = wait_window(title)
    focus_named(dialog, "File name")
    key("ctrl+a")
    type_text(path)
    shot(f"dialog-{title.split()[0].lower()}")
    key("Return")
    return dialog


def main():
    totals = [0, 0, 0]

    def add(result):
        for i in range(3):
            totals[i] += result[i]

    form = wait_window("Morvakelin")
    shot("01-start")
    # Open File with Return: the source, probed; the form is enabled.
    focus_named(form, "Open File")
    key("Return")
    add(check_window(wait_window("Open"), "Open dialog"))
    choose_file("Open", CLIP)
    form = wait_window("Morvakelin")
    time.sleep(2)
    shot("02-opened")
    focus_named(form, "Save File")
    key("Return")
    choose_file("Save", OUTPUT)
    form = wait_window("Morvakelin")
    shot("03-saved")
    add(check_window(form, "Main form", with_menus=True))
    focus_named(form, "Generate")
    key("Return")
    shot("04-generated")

    # The About box and the Info box, from the "?" menu by keyboard.
    key("F10", "Left", "Up", "Return")
    add(check_window(wait_window("About"), "About box"))
    key("Return")
    wait_window("Morvakelin")
    # Moving to a menu with an arrow key highlights its first item already.
    key("F10", "Left", "Down", "Return")
    add(check_window(wait_window("Information"), "Information box"))
    key("Return")
    # The help viewer (F1) and the editor (Avisynth > Edit TV.avs).
    wait_window("Morvakelin")
    key("F1")
    add(check_window(wait_window("Help"), "Help viewer"))
    key("Escape")
    wait_window("Morvakelin")
    key("F10", "Right", "Right", "Return")
    add(check_window(wait_window("editor"), "Editor"))
    # A changed text: closing asks whether to save it; Discard leaves TV.avs as it was.
    focus_named(active_window(), "Text of")
    key("End", "space", "Escape")
    add(check_window(wait_window("Morvakelin editor"), "Editor's question"))
    focus_named(active_window(), "Discard", limit=10)
    key("Return")

    # Encode with Return; the console reports the end; its Close button closes it.
    form = wait_window("Morvakelin")
    focus_named(form, "Encode")
    key("Return")
    time.sleep(8)
    shot("05-console")
    add(check_window(active_window(), f"Console ({active_window().name})"))
    focus_named(active_window(), "Close", limit=20)
    key("Return")
    form = wait_window("Morvakelin")
    shot("06-console-closed")
    add(check_window(form, "Main form after the encode"))
    focus_named(form, "Exit")
    key("Return")
    time.sleep(1)
    print(f"All windows: {totals[0]} controls, {totals[1]} without a usable name, "
          f"{totals[2]} not reached by the keyboard")
    return 0 if totals[1] == 0 and totals[2] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
