"""Draws the bitmaps of the console's own skin ("Ombrix Slate") into a folder.

usage: draw_skin.py OUTDIR

Every image is a strip of frames (see ombrix.ini for the frame counts and margins). Button-like
strips follow the engine's frame order: 1 normal, 2 pressed, 3 disabled, 4 hover, 5 focused.
Magenta (255, 0, 255) is see-through. Nothing here comes from any other skin: the shapes are
plain bevels and gradients drawn below.
"""
import os
import sys

from PIL import Image, ImageDraw

KEY = (255, 0, 255)
WHITE = (255, 255, 255)
FACE = (236, 240, 245)
LIGHT = (250, 252, 255)
SHADOW = (150, 160, 175)
DARK = (70, 84, 104)
TEXT = (24, 32, 44)
CAPTION = ((64, 98, 140), (96, 132, 176))        # active caption, top to bottom
CAPTION_OFF = ((132, 146, 164), (168, 180, 196))  # inactive caption
ACCENT = (46, 120, 200)
STATE_FILL = {1: ((250, 252, 255), (222, 229, 238)), 2: ((196, 208, 224), (214, 224, 236)),
              3: ((238, 240, 243), (238, 240, 243)), 4: ((236, 244, 255), (204, 222, 246)),
              5: ((246, 250, 255), (214, 226, 242))}
STATE_EDGE = {1: SHADOW, 2: DARK, 3: (196, 200, 206), 4: ACCENT, 5: ACCENT}


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def gradient(draw, box, top, bottom, vertical=True):
    x0, y0, x1, y1 = box
    n = (y1 - y0) if vertical else (x1 - x0)
    for i in range(n):
        c = mix(top, bottom, i / max(n - 1, 1))
        if vertical:
            draw.line([(x0, y0 + i), (x1 - 1, y0 + i)], fill=c)
        else:
            draw.line([(x0 + i, y0), (x0 + i, y1 - 1)], fill=c)


def rounded_key(img, box):
    """Cuts the four corners of a box out with the key colour."""
    x0, y0, x1, y1 = box
    for x, y in ((x0, y0), (x1 - 1, y0), (x0, y1 - 1), (x1 - 1, y1 - 1)):
        img.putpixel((x, y), KEY)


def strip(frames, fw, fh, paint, vertical=False):
    img = Image.new('RGB', (fw, fh * frames) if vertical else (fw * frames, fh), KEY)
    draw = ImageDraw.Draw(img)
    for i in range(frames):
        box = (0, i * fh, fw, (i + 1) * fh) if vertical else (i * fw, 0, (i + 1) * fw, fh)
        paint(img, draw, box, i + 1)
    return img


def bevel_button(img, draw, box, state, round_corners=True):
    x0, y0, x1, y1 = box
    top, bottom = STATE_FILL.get(state, STATE_FILL[1])
    gradient(draw, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), top, bottom)
    draw.rectangle([x0, y0, x1 - 1, y1 - 1], outline=STATE_EDGE.get(state, SHADOW))
    if round_corners:
        rounded_key(img, box)


def sunken(img, draw, box, state):
    x0, y0, x1, y1 = box
    draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=WHITE, outline=STATE_EDGE.get(state, SHADOW))


def arrow(draw, cx, cy, direction, colour, size=3):
    pts = {'down': [(cx - size, cy - 1), (cx + size, cy - 1), (cx, cy + size - 1)],
           'up': [(cx - size, cy + 1), (cx + size, cy + 1), (cx, cy - size + 1)],
           'left': [(cx + 1, cy - size), (cx + 1, cy + size), (cx - size + 1, cy)],
           'right': [(cx - 1, cy - size), (cx - 1, cy + size), (cx + size - 1, cy)]}[direction]
    draw.polygon(pts, fill=colour)


def caption_button(glyph):
    def paint(img, draw, box, state):
        x0, y0, x1, y1 = box
        fills = {1: ((112, 146, 188), (80, 114, 156)), 2: ((52, 80, 116), (70, 100, 140)),
                 3: ((150, 160, 174), (150, 160, 174)), 4: ((140, 176, 220), (104, 140, 186))}
        top, bottom = fills[state]
        if glyph == 'close' and state in (2, 4):
            top, bottom = ((214, 80, 72), (176, 48, 44)) if state == 4 else ((150, 36, 32), (176, 48, 44))
        gradient(draw, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), top, bottom)
        draw.rectangle([x0, y0, x1 - 1, y1 - 1], outline=(40, 60, 90))
        rounded_key(img, box)
        fg = WHITE if state != 3 else (210, 214, 220)
        cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
        if glyph == 'close':
            draw.line([(cx - 4, cy - 4), (cx + 4, cy + 4)], fill=fg, width=2)
            draw.line([(cx - 4, cy + 4), (cx + 4, cy - 4)], fill=fg, width=2)
        elif glyph == 'max':
            draw.rectangle([cx - 5, cy - 4, cx + 5, cy + 4], outline=fg)
            draw.line([(cx - 5, cy - 3), (cx + 5, cy - 3)], fill=fg)
        elif glyph == 'restore':
            draw.rectangle([cx - 2, cy - 5, cx + 5, cy + 1], outline=fg)
            draw.rectangle([cx - 5, cy - 2, cx + 2, cy + 4], outline=fg, fill=bottom)
        elif glyph == 'min':
            draw.line([(cx - 5, cy + 3), (cx + 4, cy + 3)], fill=fg, width=2)
    return paint


def frame_top(img, draw, box, frame):
    x0, y0, x1, y1 = box
    top, bottom = CAPTION if frame == 1 else CAPTION_OFF
    gradient(draw, box, top, bottom)
    draw.line([(x0, y0), (x1 - 1, y0)], fill=(40, 60, 90))
    draw.line([(x0, y0), (x0, y1 - 1)], fill=(40, 60, 90))
    draw.line([(x1 - 1, y0), (x1 - 1, y1 - 1)], fill=(40, 60, 90))
    draw.line([(x0 + 1, y0 + 1), (x1 - 2, y0 + 1)], fill=mix(top, WHITE, 0.35))
    for x, y in ((x0, y0), (x0 + 1, y0), (x0, y0 + 1), (x1 - 1, y0), (x1 - 2, y0), (x1 - 1, y0 + 1)):
        img.putpixel((x, y), KEY)


def frame_side(outer_left):
    def paint(img, draw, box, frame):
        x0, y0, x1, y1 = box
        colour = CAPTION[1] if frame == 1 else CAPTION_OFF[1]
        draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=colour)
        edge = x0 if outer_left else x1 - 1
        draw.line([(edge, y0), (edge, y1 - 1)], fill=(40, 60, 90))
        inner = x1 - 1 if outer_left else x0
        draw.line([(inner, y0), (inner, y1 - 1)], fill=mix(colour, DARK, 0.4))
    return paint


def frame_bottom(img, draw, box, frame):
    x0, y0, x1, y1 = box
    colour = CAPTION[1] if frame == 1 else CAPTION_OFF[1]
    draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=colour)
    draw.line([(x0, y1 - 1), (x1 - 1, y1 - 1)], fill=(40, 60, 90))
    draw.line([(x0, y0), (x0, y1 - 1)], fill=(40, 60, 90))
    draw.line([(x1 - 1, y0), (x1 - 1, y1 - 1)], fill=(40, 60, 90))


def check_box(img, draw, box, frame):
    # 12 frames: unchecked, checked, mixed; each normal, hover, pressed, disabled.
    kind, state = divmod(frame - 1, 4)
    x0, y0, x1, y1 = box
    edge = [SHADOW, ACCENT, DARK, (196, 200, 206)][state]
    fill = [WHITE, (236, 244, 255), (206, 218, 234), (238, 240, 243)][state]
    draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=fill, outline=edge)
    mark = (200, 204, 210) if state == 3 else ACCENT
    if kind == 1:
        draw.line([(x0 + 3, y0 + 6), (x0 + 5, y0 + 9), (x0 + 9, y0 + 3)], fill=mark, width=2)
    elif kind == 2:
        draw.rectangle([x0 + 3, y0 + 3, x1 - 4, y1 - 4], fill=mark)


def radio_button(img, draw, box, frame):
    # 8 frames: unchecked, checked; each normal, hover, pressed, disabled.
    kind, state = divmod(frame - 1, 4)
    x0, y0, x1, y1 = box
    edge = [SHADOW, ACCENT, DARK, (196, 200, 206)][state]
    fill = [WHITE, (236, 244, 255), (206, 218, 234), (238, 240, 243)][state]
    draw.ellipse([x0, y0, x1 - 1, y1 - 1], fill=fill, outline=edge)
    if kind == 1:
        draw.ellipse([x0 + 4, y0 + 4, x1 - 5, y1 - 5], fill=(200, 204, 210) if state == 3 else ACCENT)


def glyph_strip(frames, fw, fh, direction, base=None):
    def paint(img, draw, box, state):
        if base:
            base(img, draw, box, state)
        x0, y0, x1, y1 = box
        colour = (170, 176, 186) if state == 3 else TEXT
        arrow(draw, (x0 + x1) // 2, (y0 + y1) // 2, direction, colour, size=max(2, min(fw, fh) // 4))
    return strip(frames, fw, fh, paint)


def flat(colour_top, colour_bottom, outline=None, vertical=True):
    def paint(img, draw, box, state):
        gradient(draw, box, colour_top, colour_bottom, vertical)
        if outline:
            draw.rectangle([box[0], box[1], box[2] - 1, box[3] - 1], outline=outline)
    return paint


def scroll_arrows(img, draw, box, frame):
    # 23 frames: four arrows (up, down, left, right) in normal, hover, pressed, disabled, then
    # size grip and the plain button face for the remaining frames.
    x0, y0, x1, y1 = box
    index = frame - 1
    if index < 16:
        direction, state = ['up', 'down', 'left', 'right'][index // 4], [1, 4, 2, 3][index % 4]
        bevel_button(img, draw, box, state, round_corners=False)
        arrow(draw, (x0 + x1) // 2, (y0 + y1) // 2, direction, (170, 176, 186) if state == 3 else TEXT)
    elif index == 16:
        draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=FACE)
        for k in range(3):
            draw.line([(x1 - 3 - 4 * k, y1 - 2), (x1 - 2, y1 - 3 - 4 * k)], fill=SHADOW)
    else:
        bevel_button(img, draw, box, 1, round_corners=False)


def thumb(img, draw, box, state):
    bevel_button(img, draw, box, {1: 1, 2: 4, 3: 2}[state])
    x0, y0, x1, y1 = box
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
    for d in (-2, 0, 2):
        draw.point([(cx + d, cy)], fill=DARK)


def mdi_buttons():
    # Three buttons (minimise, restore, close) of four frames each, 16 x 14 per frame.
    img = Image.new('RGB', (16 * 12, 14), KEY)
    draw = ImageDraw.Draw(img)
    for b, glyph in enumerate(['min', 'restore', 'close']):
        for state in range(1, 5):
            x = (b * 4 + state - 1) * 16
            caption_button(glyph)(img, draw, (x, 0, x + 16, 14), state)
    return img


def images():
    hthumb = strip(3, 30, 17, thumb)
    return {
        'frametop.bmp': strip(2, 120, 26, frame_top, vertical=True),
        'frameleft.bmp': strip(2, 4, 40, frame_side(True)),
        'frameright.bmp': strip(2, 4, 40, frame_side(False)),
        'framebottom.bmp': strip(2, 40, 4, frame_bottom, vertical=True),
        'menubar.bmp': strip(2, 20, 20, flat((244, 247, 251), (226, 232, 240))),
        'closebutton.bmp': strip(4, 22, 18, caption_button('close')),
        'maxbutton.bmp': strip(4, 22, 18, caption_button('max')),
        'restorebutton.bmp': strip(4, 22, 18, caption_button('restore')),
        'minbutton.bmp': strip(4, 22, 18, caption_button('min')),
        'mdibutton.bmp': mdi_buttons(),
        'buttons.bmp': strip(5, 24, 22, bevel_button),
        'checkbox.bmp': strip(12, 13, 13, check_box),
        'radiobutton.bmp': strip(8, 13, 13, radio_button),
        'progress.bmp': strip(2, 20, 14, lambda img, d, box, f: sunken(img, d, box, 1) if f == 1 else
                              gradient(d, box, (120, 180, 240), ACCENT)),
        'progresschunk.bmp': strip(1, 10, 14, flat((120, 180, 240), ACCENT)),
        'tab.bmp': strip(5, 30, 22, bevel_button),
        'tabsheet.bmp': strip(1, 30, 30, flat(LIGHT, FACE, SHADOW)),
        'comboboxbtn.bmp': strip(4, 17, 21, lambda img, d, box, s: bevel_button(img, d, box, [1, 4, 2, 3][s - 1])),
        'sunkedge.bmp': strip(4, 30, 21, lambda img, d, box, s: sunken(img, d, box, [1, 4, 2, 3][s - 1])),
        'extraimages.bmp': glyph_strip(5, 9, 6, 'down'),
        'statusbar.bmp': strip(3, 20, 20, flat(FACE, (224, 230, 238), SHADOW)),
        'header.bmp': strip(5, 30, 20, lambda img, d, box, s: bevel_button(img, d, box, s, round_corners=False)),
        'scrollbararrow.bmp': strip(23, 17, 17, scroll_arrows),
        'scrollbarhbar.bmp': strip(4, 20, 17, flat((226, 231, 238), (240, 243, 247))),
        'scrollbarvbar.bmp': strip(4, 17, 20, flat((226, 231, 238), (240, 243, 247), vertical=False)),
        'scrollbarhthumb.bmp': hthumb,
        'scrollbarvthumb.bmp': strip(3, 17, 30, thumb),
        'menubackground.bmp': strip(1, 40, 40, flat(WHITE, (246, 248, 251))),
        'menuitem.bmp': strip(5, 30, 20, lambda img, d, box, s: (flat((222, 234, 250), (200, 220, 246), ACCENT)(img, d, box, s)
                                                                  if s in (2, 4, 5) else flat(WHITE, WHITE)(img, d, box, s))),
        'trackthumbh.bmp': strip(5, 11, 20, bevel_button),
        'trackthumbv.bmp': strip(5, 20, 11, bevel_button),
        'trackbar.bmp': strip(1, 16, 4, lambda img, d, box, s: sunken(img, d, box, 1)),
        'trackbarv.bmp': strip(1, 4, 16, lambda img, d, box, s: sunken(img, d, box, 1)),
        'spin.bmp': strip(8, 15, 10, lambda img, d, box, s: bevel_button(img, d, box, [1, 4, 2, 3][(s - 1) % 4], False)),
        'spinarrow.bmp': glyph_strip(2, 15, 10, 'up'),
        'spinh.bmp': strip(8, 10, 15, lambda img, d, box, s: bevel_button(img, d, box, [1, 4, 2, 3][(s - 1) % 4], False)),
        'spinharrow.bmp': glyph_strip(2, 10, 15, 'right'),
        'groupbox.bmp': strip(1, 40, 20, flat(LIGHT, FACE)),
        'groupboxedge.bmp': strip(2, 20, 20, lambda img, d, box, s: d.rectangle(
            [box[0], box[1], box[2] - 1, box[3] - 1], fill=KEY, outline=SHADOW if s == 1 else (196, 200, 206))),
        'toolbar.bmp': strip(5, 22, 22, bevel_button),
    }


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, img in images().items():
        img.save(os.path.join(out, name), 'BMP')


main()
