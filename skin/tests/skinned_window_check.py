"""Checks the console's skinned window on a real X server with a window manager.

usage: skinned_window_check.py CONSOLE THEME_DIR INI

Starts Xvfb and openbox, runs the console and compares screenshots (ImageMagick's import) of
the frame with the frames sliced from the skin's own bitmaps by PIL, reads the window's shape
through the X shape extension (python3-xlib) and compares it with the magenta mask computed
here, then drives the caption with xdotool: hint, system menu (right click and Alt+Space),
caption drag, minimise and close. Prints one line per check and exits 1 on any failure.
"""
import configparser
import io
import os
import subprocess
import sys
import tempfile
import time

from PIL import Image
from Xlib import X, display
from Xlib.ext import shape

KEY = (255, 0, 255)
failures = []


def check(name, ok, detail=''):
    print(('ok   ' if ok else 'FAIL ') + name + ('' if ok else ': ' + detail))
    if not ok:
        failures.append(name)


def run(*args, env=None, check_rc=True):
    result = subprocess.run(args, env=env, capture_output=True, text=True, timeout=60)
    if check_rc and result.returncode != 0:
        raise RuntimeError(' '.join(args) + ': ' + result.stderr)
    return result.stdout


def frame(image, count, index, vertical):
    w, h = image.size
    if vertical:
        fh = h // count
        return image.crop((0, (index - 1) * fh, w, index * fh))
    fw = w // count
    return image.crop(((index - 1) * fw, 0, index * fw, h))


def nine_part(src, width, height, left, top, right, bottom):
    """The frame drawn at a size: corners as they are, edges and centre stretched."""
    fw, fh = src.size
    if width < left + right:
        left = right = 0
    if height < top + bottom:
        top = bottom = 0
    out = Image.new('RGB', (width, height))

    def piece(dst, box):
        dx0, dy0, dx1, dy1 = dst
        if dx1 <= dx0 or dy1 <= dy0 or box[2] <= box[0] or box[3] <= box[1]:
            return
        out.paste(src.crop(box).resize((dx1 - dx0, dy1 - dy0), Image.NEAREST), (dx0, dy0))

    piece((left, top, width - right, height - bottom), (left, top, fw - right, fh - bottom))
    piece((0, top, left, height - bottom), (0, top, left, fh - bottom))
    piece((width - right, top, width, height - bottom), (fw - right, top, fw, fh - bottom))
    piece((left, 0, width - right, top), (left, 0, fw - right, top))
    piece((left, height - bottom, width - right, height), (left, fh - bottom, fw - right, fh))
    piece((0, 0, left, top), (0, 0, left, top))
    piece((width - right, 0, width, top), (fw - right, 0, fw, top))
    piece((0, height - bottom, left, height), (0, fh - bottom, left, fh))
    piece((width - right, height - bottom, width, height), (fw - right, fh - bottom, fw, fh))
    return out


class Skin:
    def __init__(self, theme, ini):
        cfg = configparser.ConfigParser(strict=False, interpolation=None)
        cfg.optionxform = str.lower
        cfg.read(ini)
        p = cfg['Personality']
        self.borders = {}
        for name, vertical in (('Left', False), ('Right', False), ('Top', True), ('Bottom', True)):
            n = name.lower()
            image = Image.open(os.path.join(theme, p[n])).convert('RGB')
            self.borders[name] = dict(image=image, count=int(p[n + 'frame']), first=int(p[n + 'topheight']),
                                      second=int(p[n + 'botheight']), vertical=vertical,
                                      trans=int(p[n + 'trans']))
        b = self.borders
        self.left = b['Left']['image'].width // b['Left']['count']
        self.right = b['Right']['image'].width // b['Right']['count']
        self.top = b['Top']['image'].height // b['Top']['count']
        self.bottom = b['Bottom']['image'].height // b['Bottom']['count']

    def piece(self, name, width, height, active):
        b = self.borders[name]
        src = frame(b['image'], b['count'], 1 if active or b['count'] < 2 else 2, b['vertical'])
        if b['vertical']:  # fixed widths at the left and right ends
            return nine_part(src, width, height, b['first'], 0, b['second'], 0)
        return nine_part(src, width, height, 0, b['first'], 0, b['second'])

    def expected(self, w, h, active):
        """The window's frame as the skin gives it, and its shape (True inside)."""
        out = Image.new('RGB', (w, h), (0, 0, 0))
        mask = Image.new('1', (w, h), 1)
        places = (('Left', 0, 0, self.left, h), ('Right', w - self.right, 0, self.right, h),
                  ('Bottom', self.left, h - self.bottom, w - self.left - self.right, self.bottom),
                  ('Top', self.left, 0, w - self.left - self.right, self.top))
        for name, x, y, pw, ph in places:
            piece = self.piece(name, pw, ph, active)
            out.paste(piece, (x, y))
            if self.borders[name]['trans'] == 1:
                for py in range(ph):
                    for px in range(pw):
                        if piece.getpixel((px, py)) == KEY:
                            mask.putpixel((x + px, y + py), 0)
        return out, mask


def geometry(env, wid):
    info = run('xwininfo', '-id', str(wid), env=env)
    values = {}
    for line in info.splitlines():
        line = line.strip()
        for key in ('Absolute upper-left X', 'Absolute upper-left Y', 'Width', 'Height'):
            if line.startswith(key + ':'):
                values[key] = int(line.split(':')[1])
    return (values['Absolute upper-left X'], values['Absolute upper-left Y'], values['Width'], values['Height'])


def screenshot(env):
    return Image.open(io.BytesIO(subprocess.run(['import', '-window', 'root', 'png:-'], env=env, capture_output=True,
                                                timeout=60).stdout)).convert('RGB')


def compare(name, shot, expected, mask, x0, y0, boxes):
    """Pixels of the boxes (window coordinates) inside the shape equal the skin's."""
    bad = []
    for bx0, by0, bx1, by1 in boxes:
        for y in range(by0, by1):
            for x in range(bx0, bx1):
                if mask.getpixel((x, y)) and shot.getpixel((x0 + x, y0 + y)) != expected.getpixel((x, y)):
                    bad.append((x, y, shot.getpixel((x0 + x, y0 + y)), expected.getpixel((x, y))))
    check(name, not bad, '%d pixels differ, first %s' % (len(bad), bad[:3]))


def visible_windows(env, pid):
    out = subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid', str(pid)], env=env, capture_output=True,
                         text=True).stdout
    return set(out.split())


def wait_for(predicate, seconds=5.0):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.1)
    return predicate()


def main():
    console, theme, ini = sys.argv[1:4]
    skin = Skin(theme, ini)
    xvfb = subprocess.Popen(['Xvfb', '-displayfd', '1', '-screen', '0', '1280x900x24', '-nolisten', 'tcp'],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    number = xvfb.stdout.readline().decode().strip()
    env = dict(os.environ, DISPLAY=':' + number, QT_QPA_PLATFORM='xcb', ASAN_OPTIONS='detect_leaks=0')
    env.pop('WAYLAND_DISPLAY', None)
    # The window manager without key bindings: its own Alt+Space menu would take the key.
    rc = tempfile.NamedTemporaryFile('w', suffix='.xml', delete=False)
    rc.write('<?xml version="1.0"?><openbox_config xmlns="http://openbox.org/3.4/rc">'
             '<focus><focusNew>yes</focusNew></focus><keyboard></keyboard></openbox_config>')
    rc.close()
    wm = subprocess.Popen(['openbox', '--config-file', rc.name], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    time.sleep(1)
    app = subprocess.Popen([console], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        wid = int(run('xdotool', 'search', '--sync', '--name', '^Ombrix-Z200$', env=env).split()[0])
        d = display.Display(env['DISPLAY'])
        win = d.create_resource_object('window', wid)

        def undecorated():
            hints = win.get_full_property(d.intern_atom('_MOTIF_WM_HINTS'), X.AnyPropertyType)
            return hints is not None and len(hints.value) > 2 and hints.value[2] == 0
        check('the window is skinned (no window-manager frame)', wait_for(undecorated, 10))
        x0, y0, w, h = geometry(env, wid)
        # Active frame: the caption rows above and below the buttons and text, its left end,
        # the side borders and the bottom border.
        expected, mask = skin.expected(w, h, True)

        def active_shot():
            # A click on the status bar: the window manager focuses the window it was given.
            run('xdotool', 'mousemove', str(x0 + w // 2), str(y0 + h - 12), 'click', '1', env=env)
            time.sleep(0.3)
            return screenshot(env).getpixel((x0 + w // 2, y0 + 1)) == expected.getpixel((w // 2, 1))
        wait_for(active_shot, 5)
        shot = screenshot(env)
        caption_rows = [(0, 0, w, 3), (0, skin.top - 3, w, skin.top), (0, 0, 24, skin.top)]
        borders = [(0, 0, skin.left, h), (w - skin.right, 0, w, h), (0, h - skin.bottom, w, h)]
        compare('active caption equals the Top bitmap, nine parts', shot, expected, mask, x0, y0, caption_rows)
        compare('active borders equal the Left, Right and Bottom bitmaps', shot, expected, mask, x0, y0, borders)

        # The shape: the X shape extension's bounding rectangles against the magenta mask.
        rects = win.shape_get_rectangles(shape.SK.Bounding)
        shaped = Image.new('1', (w, h), 0)
        for r in rects.rectangles:
            for yy in range(max(r.y, 0), min(r.y + r.height, h)):
                for xx in range(max(r.x, 0), min(r.x + r.width, w)):
                    shaped.putpixel((xx, yy), 1)
        diff = [(xx, yy) for yy in range(h) for xx in range(w) if shaped.getpixel((xx, yy)) != mask.getpixel((xx, yy))]
        check('the window shape equals the magenta mask', not diff, '%d pixels differ, first %s' % (len(diff), diff[:5]))

        # Inactive frame: another window takes the focus.
        other = d.screen().root.create_window(0, 0, 120, 80, 0, d.screen().root_depth)
        other.map()
        d.sync()
        time.sleep(0.5)
        run('xdotool', 'windowactivate', '--sync', str(other.id), env=env, check_rc=False)
        time.sleep(1.0)
        inactive, _ = skin.expected(w, h, False)
        shot = screenshot(env)
        compare('inactive caption uses the second frames', shot, inactive, mask, x0, y0, caption_rows)
        compare('inactive borders use the second frames', shot, inactive, mask, x0, y0, borders)
        check('active and inactive frames differ', expected.getpixel((w // 2, 1)) != inactive.getpixel((w // 2, 1)))
        other.destroy()
        d.sync()
        run('xdotool', 'windowactivate', '--sync', str(wid), env=env, check_rc=False)
        time.sleep(0.5)

        cfg = configparser.ConfigParser(strict=False, interpolation=None)
        cfg.optionxform = str.lower
        cfg.read(ini)

        def button(action):
            for s in cfg.sections():
                if s.lower().startswith('button') and cfg[s].get('action') == str(action) and 'xcoord' in cfg[s]:
                    img = Image.open(os.path.join(theme, cfg[s]['buttonimage']))
                    bw, bh = img.width // int(cfg[s]['frame']), img.height
                    return x0 + w - int(cfg[s]['xcoord']) + bw // 2, y0 + int(cfg[s]['ycoord']) + bh // 2
            raise KeyError(action)

        # A hint shows over a caption button after a rest.
        before = visible_windows(env, app.pid)
        cx, cy = button(0)
        run('xdotool', 'mousemove', str(cx), str(cy), env=env)
        check('a hint appears over the close button after a rest',
              wait_for(lambda: len(visible_windows(env, app.pid) - before) > 0, 3))
        run('xdotool', 'mousemove', str(x0 + w // 2), str(y0 + h // 2), env=env)
        time.sleep(0.6)

        # The system menu: right click on the caption, then Alt+Space.
        for how, action in (('a right click on the caption', ('click', '3')), ('Alt+Space', ('key', 'alt+space'))):
            before = visible_windows(env, app.pid)
            if action[0] == 'click':
                run('xdotool', 'mousemove', str(x0 + w // 2), str(y0 + 8), env=env)
                run('xdotool', 'click', '3', env=env)
            else:
                run('xdotool', 'windowactivate', '--sync', str(wid), env=env, check_rc=False)
                run('xdotool', 'key', 'alt+space', env=env)
            check(how + ' opens the system menu', wait_for(lambda: len(visible_windows(env, app.pid) - before) > 0, 3))
            run('xdotool', 'key', 'Escape', env=env)
            time.sleep(0.5)

        # A double click on the caption: the console has no maximise box, so nothing changes.
        run('xdotool', 'mousemove', str(x0 + w // 2), str(y0 + 8), env=env)
        run('xdotool', 'click', '--repeat', '2', '--delay', '80', '1', env=env)
        time.sleep(0.8)
        check('a double click keeps the fixed-size console as it is', geometry(env, wid)[2:] == (w, h))

        # Dragging the caption moves the window.
        x0, y0, w, h = geometry(env, wid)
        run('xdotool', 'mousemove', str(x0 + w // 2), str(y0 + 10), env=env)
        run('xdotool', 'mousedown', '1', env=env)
        for step in range(1, 11):
            run('xdotool', 'mousemove', str(x0 + w // 2 - 6 * step), str(y0 + 10 + 4 * step), env=env)
            time.sleep(0.05)
        run('xdotool', 'mouseup', '1', env=env)
        time.sleep(0.8)
        moved = geometry(env, wid)
        check('dragging the caption moves the window', (moved[0], moved[1]) != (x0, y0), str(moved))
        x0, y0 = moved[0], moved[1]

        # Minimise, then back.
        run('xdotool', 'mousemove', *map(str, button(2)), env=env)
        run('xdotool', 'click', '1', env=env)

        def iconic():
            state = win.get_full_property(d.intern_atom('WM_STATE'), X.AnyPropertyType)
            return state is not None and state.value[0] == 3
        check('the minimise button minimises', wait_for(iconic, 3))
        run('xdotool', 'windowactivate', '--sync', str(wid), env=env, check_rc=False)
        time.sleep(0.8)
        check('the window comes back with its size', geometry(env, wid)[2:] == (w, h))

        # Close.
        x0, y0, w, h = geometry(env, wid)
        run('xdotool', 'mousemove', *map(str, button(0)), env=env)
        run('xdotool', 'click', '1', env=env)
        try:
            app.wait(10)
            check('the close button closes the console', True)
        except subprocess.TimeoutExpired:
            check('the close button closes the console', False, 'still running')
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
        wm.terminate()
        wm.wait()
        xvfb.terminate()
        xvfb.wait()
        os.unlink(rc.name)
    print('%d failed' % len(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
