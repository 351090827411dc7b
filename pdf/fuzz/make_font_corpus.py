#!/usr/bin/python3
"""Seeds for font_subset_fuzz: small faces of several families, cut by fontTools.

Each seed is the face index byte the fuzz target reads first, then a font file: single faces
of different makers, weights and outlines, and a two-face .ttc collection. fontTools, which
nobody here wrote, subsets the installed faces to a few characters so that the seeds stay
small but keep every table the PDF writer reads. The faces are those scripts/packages.txt
installs. Run: make_font_corpus.py OUTPUT_FOLDER
"""
import io
import logging
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection

Text = "Ai fiÅé€ 温湿度中文"
Faces = [
    ("dejavu_serif_bold_italic", "/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf", 0),
    ("dejavu_sans_mono", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 0),
    ("dejavu_sans_extralight", "/usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf", 0),
    ("uming", "/usr/share/fonts/truetype/arphic/uming.ttc", 0),
    ("wqy_microhei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 0),
]


def cut(path, index):
    font = TTFont(path, fontNumber=index)
    options = subset.Options()
    options.layout_features = []
    options.name_IDs = ["*"]
    options.notdef_outline = True
    options.glyph_names = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=Text)
    subsetter.subset(font)
    return font


def save(font):
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def main():
    logging.getLogger("fontTools.subset").setLevel(logging.ERROR)  # tables it drops are no news
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    seeds = {}
    for name, path, index in Faces:
        seeds[name] = bytes([index]) + save(cut(path, index))
    # A collection of two faces from one file; the seed asks for the second.
    collection = TTCollection()
    collection.fonts = [cut("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", i) for i in (0, 1)]
    out = io.BytesIO()
    collection.save(out)
    seeds["wqy_zenhei_collection"] = bytes([1]) + out.getvalue()
    for name, data in seeds.items():
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
