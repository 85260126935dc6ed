#!/usr/bin/env python3
"""Writes the menu designer's form, ../VmDsgn.dfm, with the 16 x 16, 16-colour glyphs drawn here: the two
move buttons, the picture of the generated entries (Image) and one picture per entry of the designer's popup
(the items of pupVM). Run it again after changing a drawing or the form."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "runtime", "res"))

from bitmap16 import BLACK, BLUE, FUCHSIA, GREEN, GREY, NAVY, OLIVE, PURPLE, RED, SILVER, TEAL, WHITE, YELLOW, bmp16


def canvas(back):
    return [[back] * 16 for _ in range(16)]


def rect(p, x0, y0, x1, y1, c, fill=None):
    """A frame from (x0, y0) to (x1, y1) inclusive, filled inside when fill is given."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (y0, y1)
            if edge:
                p[y][x] = c
            elif fill is not None:
                p[y][x] = fill


def page(p, x0, y0, x1, y1):
    rect(p, x0, y0, x1, y1, BLACK, WHITE)
    for y in range(y0 + 2, y1 - 1, 2):
        for x in range(x0 + 2, x1 - 1):
            p[y][x] = GREY


# ---- The popup's glyphs ------------------------------------------------------------------------------------

def add():  # a green plus on a page
    p = canvas(FUCHSIA)
    page(p, 2, 1, 11, 14)
    for i in range(7, 16):
        p[11][i - 1] = GREEN
        p[i - 1][11] = GREEN
    for i in range(8, 15):
        p[10][i] = p[12][i] = GREEN
        p[i][10] = p[i][12] = GREEN
    return p


def delete():  # a red cross
    p = canvas(FUCHSIA)
    for i in range(2, 14):
        for d in (0, 1):
            p[i][i + d - 0] = RED
            p[i][15 - i - d] = RED
    return p


def disk(p):
    rect(p, 1, 1, 14, 14, BLACK, NAVY)
    rect(p, 4, 1, 11, 6, BLACK, WHITE)
    rect(p, 4, 9, 11, 14, BLACK, SILVER)
    p[11][6] = p[12][6] = BLACK


def save():  # a disk
    p = canvas(FUCHSIA)
    disk(p)
    return p


def save_as():  # a disk and a yellow pencil
    p = canvas(FUCHSIA)
    disk(p)
    for i in range(6, 15):
        p[15 - i + 5][i] = YELLOW
        p[16 - i + 5 if 16 - i + 5 < 16 else 15][i] = BLACK
    return p


def open_():  # a yellow folder
    p = canvas(PURPLE)
    rect(p, 1, 4, 13, 13, BLACK, YELLOW)
    rect(p, 1, 3, 6, 4, BLACK, YELLOW)
    for x in range(3, 15):
        p[7][x] = BLACK
    return p


def copy():  # two pages
    p = canvas(FUCHSIA)
    page(p, 1, 1, 8, 10)
    page(p, 6, 5, 14, 14)
    return p


def cut():  # scissors
    p = canvas(FUCHSIA)
    for y in range(1, 9):
        p[y][4 + y // 3] = BLACK
        p[y][11 - y // 3] = BLACK
    for cx in (4, 11):
        rect(p, cx - 2, 9, cx + 2, 13, BLACK, FUCHSIA)
    return p


def paste():  # a clipboard with a page
    p = canvas(FUCHSIA)
    rect(p, 1, 2, 11, 14, BLACK, OLIVE)
    rect(p, 4, 1, 8, 3, BLACK, SILVER)
    page(p, 7, 6, 14, 15)
    return p


def switch():  # two arrows, left and right
    p = canvas(PURPLE)
    for x in range(2, 14):
        p[5][x] = BLUE
        p[10][x] = GREEN
    for d in range(1, 4):
        p[5 - d][13 - d] = p[5 + d][13 - d] = BLUE
        p[10 - d][2 + d] = p[10 + d][2 + d] = GREEN
    return p


def generate():  # a small menu with a yellow spark
    p = canvas(PURPLE)
    rect(p, 1, 3, 10, 14, BLACK, WHITE)
    for y in (5, 8, 11):
        for x in range(3, 9):
            p[y][x] = NAVY
    for d in range(-2, 3):
        p[3][12 + d] = YELLOW
        p[3 + d][12] = YELLOW
    return p


def window(back, title):  # a window with a coloured title bar
    p = canvas(back)
    rect(p, 1, 2, 14, 13, BLACK, WHITE)
    for y in (3, 4):
        for x in range(2, 14):
            p[y][x] = title
    return p


def menu_dsgn():
    p = window(OLIVE, NAVY)
    for y in (6, 8, 10):
        for x in range(3, 10):
            p[y][x] = BLACK
    return p


def obj_ins(mark):
    p = window(OLIVE, TEAL)
    for y in (6, 8, 10):
        for x in range(3, 13):
            p[y][x] = GREY
        p[y][7] = BLACK
    p[8][3] = p[8][4] = mark
    return p


def form_dsgn():
    p = window(OLIVE, BLUE)
    for y in range(6, 12, 2):
        for x in range(3, 13, 2):
            p[y][x] = BLACK
    return p


def image():  # the generated entries' picture: a small menu
    p = canvas(PURPLE)
    rect(p, 2, 2, 13, 13, BLACK, SILVER)
    for y in (5, 8, 11):
        for x in range(4, 12):
            p[y][x] = BLACK
    return p


def arrow(up):
    p = [[SILVER] * 9 for _ in range(9)]
    for d in range(4):
        for x in range(4 - d, 5 + d):
            p[2 + d if up else 6 - d][x] = BLACK
    return p


# ---- The form ----------------------------------------------------------------------------------------------

def hexblock(data, indent):
    text = data.hex().upper()
    return "{\n" + "\n".join(indent + "  " + text[i:i + 64] for i in range(0, len(text), 64)) + "}"


def picture(pixels, indent):
    """A picture's data: the graphic's class name, then the bitmap's size and file."""
    bmp = bmp16(pixels)
    return hexblock(bytes([7]) + b"TBitmap" + struct.pack("<I", len(bmp)) + bmp, indent)


def bitmap(pixels, indent):
    """A bitmap property's data: its size and file."""
    bmp = bmp16(pixels)
    return hexblock(struct.pack("<I", len(bmp)) + bmp, indent)


# name, caption, shortcut text (display only), handler, parent entry, glyph, transparent colour
ENTRIES = [
    ("Add", "&Add Item", "Ins", "miAddClick", None, add, "clFuchsia"),
    ("Delete", "&Delete Selected", "Del", "miDeleteClick", None, delete, "clFuchsia"),
    ("Select", "&Select All", "", "miSelectClick", None, None, None),
    ("Separator1", "-", "", None, None, None, None),
    ("Open", "&Open Edition", "", "miOpenClick", None, open_, "clPurple"),
    ("Save", "Sa&ve Edition", "", "miSaveClick", None, save, "clFuchsia"),
    ("SaveAs", "Sav&e Edition As", "", "miSaveAsClick", None, save_as, "clFuchsia"),
    ("Separator2", "-", "", None, None, None, None),
    ("Cut", "Cu&t", "", "miCutClick", None, cut, "clFuchsia"),
    ("Copy", "&Copy", "", "miCopyClick", None, copy, "clFuchsia"),
    ("Paste", "&Paste", "", "miPasteClick", None, paste, "clFuchsia"),
    ("Separator3", "-", "", None, None, None, None),
    ("Switch", "S&witch to", "", None, None, switch, "clPurple"),
    ("FormDsgn", "&Form Designer", "", "miFormDsgnClick", "Switch", form_dsgn, "clOlive"),
    ("MenuDsgn", "&Menu Designer", "Shift+F9", "miMenuDsgnClick", "Switch", menu_dsgn, "clOlive"),
    ("Separator4", "-", "", None, "Switch", None, None),
    ("ObjInsMenu", "Object &Inspector (menu)", "Ctrl+F11", "miObjInsMenuClick", "Switch",
     lambda: obj_ins(NAVY), "clOlive"),
    ("ObjInsItem", "&Object Inspector (menu item)", "Shift+F11", "miObjInsItemClick", "Switch",
     lambda: obj_ins(RED), "clOlive"),
    ("Generate", "&Generate VM for", "", None, None, generate, "clPurple"),
]
# The items of pupVM, in the order the designer's own look lists them.
ITEM_ORDER = ["Add", "Delete", "Select", "Separator1", "Open", "Save", "SaveAs", "Separator2", "Cut", "Copy",
              "Paste", "Separator3", "Switch", "Separator4", "MenuDsgn", "ObjInsItem", "ObjInsMenu",
              "Generate", "FormDsgn"]


def quoted(s):
    return "'" + s.replace("'", "''") + "'"


def entry_text(name, indent):
    e = next(e for e in ENTRIES if e[0] == name)
    caption = e[1] + ("\t" + e[2] if e[2] else "")
    lines = [f"{indent}object mi{name}: TMenuItem"]
    if e[2]:
        lines.append(f"{indent}  Caption = {quoted(e[1])}#9{quoted(e[2])}")
    else:
        lines.append(f"{indent}  Caption = {quoted(caption)}")
    if e[3]:
        lines.append(f"{indent}  OnClick = {e[3]}")
    for child in ENTRIES:
        if child[4] == name:
            lines += entry_text(child[0], indent + "  ")
    lines.append(f"{indent}end")
    return lines


def form():
    out = ["object VmDesignForm: TVmDesignForm",
           "  Left = 200", "  Top = 120", "  BorderStyle = bsDialog", "  Caption = 'VeskMenu Designer'",
           "  ClientHeight = 144", "  ClientWidth = 292", "  Font.Charset = DEFAULT_CHARSET",
           "  Font.Color = clWindowText", "  Font.Height = -11", "  Font.Name = 'MS Sans Serif'",
           "  Font.Style = []", "  ActiveControl = lbItems", "  OnCreate = FormCreate", "  OnMouseUp = FormMouseUp",
           "  PixelsPerInch = 96", "  TextHeight = 13",
           "  object lbItems: TListBox",
           "    Left = 3", "    Top = 6", "    Width = 265", "    Height = 133", "    Color = clBtnFace",
           "    ItemHeight = 13", "    MultiSelect = True", "    TabOrder = 0", "    OnClick = lbItemsClick",
           "    OnKeyDown = lbItemsKeyDown", "    OnMouseUp = lbItemsMouseUp", "  end",
           "  object SpeedButton1: TSpeedButton",
           "    Left = 273", "    Top = 57", "    Width = 15", "    Height = 15",
           "    Glyph.Data = " + bitmap(arrow(True), "    "), "    OnClick = SpeedButton1Click", "  end",
           "  object SpeedButton2: TSpeedButton",
           "    Left = 273", "    Top = 72", "    Width = 15", "    Height = 15",
           "    Glyph.Data = " + bitmap(arrow(False), "    "), "    OnClick = SpeedButton2Click", "  end",
           "  object Image: TImage",
           "    Left = 272", "    Top = 122", "    Width = 16", "    Height = 16", "    AutoSize = True",
           "    Picture.Data = " + picture(image(), "    "), "    Visible = False", "  end",
           "  object pupMenu: TPopupMenu"]
    for e in ENTRIES:
        if e[4] is None:
            out += entry_text(e[0], "    ")
    out.append("  end")
    for name, title in (("OpenDialog1", "Open VeskMenus edition"), ("SaveDialog1", "Save VeskMenus edition")):
        kind = "TOpenDialog" if name.startswith("Open") else "TSaveDialog"
        out += [f"  object {name}: {kind}", "    DefaultExt = 'vmn'",
                "    Filter = 'Vesk Menus editions (*.vmn)|*.vmn'", "    Options = [ofOverwritePrompt, ofHideReadOnly]",
                f"    Title = {quoted(title)}", "  end"]
    out += ["  object pupVM: TVeskMenu", "    MenuBar.Size = 12", "    MenuRefresh = RA_NONE",
            "    OnPopup = pupVMPopup"]
    for name in ITEM_ORDER:
        e = next(e for e in ENTRIES if e[0] == name)
        out += [f"    object vmi{name}: TVeskMenuItem", "      Font.Charset = DEFAULT_CHARSET",
                "      Font.Color = clWindowText", "      Font.Height = -13", "      Font.Name = 'System'",
                "      Font.Style = []"]
        if e[5] is not None:
            out.append("      Picture.Data = " + picture(e[5](), "      "))
        out += [f"      TrColor = {e[6] or 'clMenu'}",
                "      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]",
                "      Menu = pupMenu", f"      MenuItem = mi{name}", "    end"]
    out += ["  end", "end", ""]
    return "\n".join(out)


with open(os.path.join(HERE, "..", "VmDsgn.dfm"), "w", newline="\n") as f:
    f.write(form())
