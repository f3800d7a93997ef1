#!/usr/bin/python3
"""What a screen reader hears of the main window, asked over the AT-SPI bus.

The in-process interfaces can say the right thing while the bridge says
something else, so this runs the built program on a virtual display with its
own session and accessibility buses, and talks to it the way a reader does.

    screen_reader.py PROGRAM

Exit 0 passed, 1 failed, 77 skipped (a tool it needs is not installed).
"""
import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = '/usr/libexec/at-spi-bus-launcher'
WHOLE_RUN_SECONDS = 90
WAIT_SECONDS = 15

# What each input of the main window is heard as: role, name, and the label
# that the reader reads with it (None: none).
INPUTS = [
    ('text', '搜索目录', '搜索目录：'),
    ('text', '搜索文件名', '搜索文件名：'),
    ('text', '替换用的母文件', '替换用的母文件：'),
    ('check box', '搜索子目录', None),
    ('check box', '文件大小及修改日期均相同的，跳过替换', None),
]


def missing_tools():
    gone = [tool for tool in ('xvfb-run', 'dbus-run-session') if not shutil.which(tool)]
    if not os.access(LAUNCHER, os.X_OK):
        gone.append(LAUNCHER)
    if importlib.util.find_spec('pyatspi') is None:
        gone.append('pyatspi (python3-pyatspi)')
    return gone


def outside(program):
    """Starts this script again inside a virtual display and a private
    session bus, and bounds the whole run."""
    gone = missing_tools()
    if gone:
        print('SKIP: not installed: ' + ', '.join(gone))
        return SKIP
    env = {k: v for k, v in os.environ.items()
           if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'AT_SPI_BUS_ADDRESS', 'NO_AT_BRIDGE')}
    # -noreset: the bus helpers open and close the display, and a server that
    # resets when its last client leaves turns the program away meanwhile.
    command = ['xvfb-run', '-a', '-s', '-screen 0 1280x1024x24 -noreset', 'dbus-run-session', '--',
               sys.executable, os.path.abspath(__file__), '--inside', program]
    # A group of its own, so whatever the buses started goes when the run ends.
    run = subprocess.Popen(command, env=env, start_new_session=True)
    try:
        code = run.wait(WHOLE_RUN_SECONDS)
    except subprocess.TimeoutExpired:
        print(f'FAIL: no result after {WHOLE_RUN_SECONDS} s')
        code = 1
    end_group(run.pid)
    run.wait()
    return code


def end_group(group):
    """Asks what is left of the run to end, so the display server removes
    its lock, and kills what is still there after a few seconds."""
    def alive():
        for pid in os.listdir('/proc'):
            try:
                with open(f'/proc/{pid}/stat') as f:
                    fields = f.read().rsplit(')', 1)[1].split()
            except (OSError, IndexError):
                continue
            if int(fields[2]) == group and fields[0] != 'Z':
                return True
        return False
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if not alive():
            return
        os.killpg(group, sig)
        deadline = time.monotonic() + 5
        while alive() and time.monotonic() < deadline:
            time.sleep(0.05)


class Failure(Exception):
    pass


def inside(program):
    sys.stdout.reconfigure(line_buffering=True)  # kept if the run is cut off
    import pyatspi
    from gi.repository import Gio, GLib

    context = GLib.MainContext.default()

    def wait_for(what, found):
        """Lets bus events in until found() gives a value; never longer than WAIT_SECONDS."""
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            context.iteration(False)
            try:
                value = found()
            except GLib.Error:  # the object went away while asked
                value = None
            if value:
                return value
            if time.monotonic() > deadline:
                raise Failure(f'waited {WAIT_SECONDS} s for {what}')
            time.sleep(0.05)

    def walk(node):
        yield node
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                yield from walk(child)

    def showing(node):
        return node.getState().contains(pyatspi.STATE_SHOWING)

    def act(node, name):
        actions = node.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        if name not in names:
            raise Failure(f'"{node.name}" offers no action {name}, only {names}')
        actions.doAction(names.index(name))

    def heard(node):
        return f'{node.name}, {node.getRoleName()}, {node.description}'

    def labels(node):
        found = [r.getTarget(i).name for r in node.getRelationSet()
                 if r.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(r.getNTargets())]
        return ' '.join(found) if found else None

    def key(keysym):
        pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)

    home = tempfile.TemporaryDirectory()
    env = dict(os.environ, HOME=home.name, QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
    for var, sub in (('XDG_CONFIG_HOME', 'config'), ('XDG_DATA_HOME', 'data'), ('XDG_CACHE_HOME', 'cache'),
                     ('XDG_STATE_HOME', 'state'), ('XDG_RUNTIME_DIR', 'run')):
        env[var] = os.path.join(home.name, sub)
        os.mkdir(env[var], 0o700)

    started = []
    try:
        started.append(subprocess.Popen([LAUNCHER, '--launch-immediately'], env=env))
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)

        def bus_owned():
            reply = session.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
                                      'NameHasOwner', GLib.Variant('(s)', ('org.a11y.Bus',)), None,
                                      Gio.DBusCallFlags.NONE, 2000, None)
            return reply.unpack()[0]
        wait_for('the accessibility bus', bus_owned)

        app = subprocess.Popen([program], env=env)
        started.append(app)
        desktop = pyatspi.Registry.getDesktop(0)

        def ours():
            for i in range(desktop.childCount):
                node = desktop.getChildAtIndex(i)
                if node is not None and node.get_process_id() == app.pid:
                    return node
            if app.poll() is not None:
                raise Failure(f'the program ended with {app.returncode}')
            return None
        application = wait_for('the program on the bus', ours)

        enter = wait_for('the cover\'s button 进入主界面', lambda: next(
            (n for n in walk(application) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON
             and n.name == '进入主界面' and showing(n)), None))
        act(enter, 'Press')

        def main_window():
            for i in range(application.childCount):
                frame = application.getChildAtIndex(i)
                if frame is not None and showing(frame) and any(
                        n.getRole() == pyatspi.ROLE_COMBO_BOX for n in walk(frame)):
                    return frame
            return None
        window = wait_for('the main window', main_window)
        nodes = list(walk(window))

        errors = []
        boxes = [n for n in nodes if n.getRole() == pyatspi.ROLE_COMBO_BOX]
        if len(boxes) != 1:
            raise Failure(f'{len(boxes)} combo boxes in the main window, expected 1')
        box = boxes[0]
        before = heard(box)
        print(f'before: {before}')
        if before != '完全匹配, combo box, 匹配方式':
            errors.append(f'the box is heard as "{before}", expected "完全匹配, combo box, 匹配方式"')

        for role, name, label in INPUTS:
            found = [n for n in nodes if n.getRoleName() == role and n.name == name and showing(n)]
            if not found:
                near = [n.name for n in nodes if n.getRoleName() == role]
                errors.append(f'no {role} heard as "{name}"; of that role: {near}')
            elif labels(found[0]) != label:
                errors.append(f'{role} "{name}" is labelled {labels(found[0])}, expected {label}')
        # The hint beside the file name box is that box's, not the drop-down's.
        if labels(box) is not None:
            errors.append(f'the box is labelled {labels(box)}')

        # As a reader user does: open the list, step down to the second item
        # and take it.
        items = box.getChildAtIndex(0)
        act(box, 'ShowMenu')

        def item_focused(row):
            item = items.getChildAtIndex(row)
            return item is not None and item.getState().contains(pyatspi.STATE_FOCUSED)
        wait_for('the open list to focus 完全匹配', lambda: item_focused(0))
        key(0xff54)  # Down
        wait_for('the open list to focus 相似匹配', lambda: item_focused(1))
        key(0xff0d)  # Return
        try:
            wait_for('the new name', lambda: box.name == '相似匹配')
        except Failure:
            pass  # reported below, with what it is heard as
        after = heard(box)
        print(f'after: {after}')
        if after != '相似匹配, combo box, 匹配方式':
            errors.append(f'after the change the box is heard as "{after}", expected "相似匹配, combo box, 匹配方式"')

        selected = [items.getChildAtIndex(i).getState().contains(pyatspi.STATE_SELECTED)
                    for i in range(items.childCount)]
        if selected != [False, True]:
            errors.append(f'selected items {selected}, expected only 相似匹配')

        for e in errors:
            print(f'FAIL: {e}')
        return 1 if errors else 0
    except Failure as e:
        print(f'FAIL: {e}')
        return 1
    finally:
        for p in reversed(started):
            p.terminate()
        for p in reversed(started):
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == '--inside':
        sys.exit(inside(sys.argv[2]))
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(outside(sys.argv[1]))
