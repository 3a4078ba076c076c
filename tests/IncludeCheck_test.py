#!/usr/bin/env python3
"""Runs scripts/check-includes on small trees that break each of its rules, and on one that keeps them."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "check-includes")


def source(*lines):
    return "".join(line + "\n" for line in lines)


def includes(*names):
    return source(*(f'#include "{name}"' for name in names))


# A tree that keeps every rule; the cases below add or replace files to break one.
CLEAN = {
    "pictures/Graphic.h": source("#pragma once", "#include <QRect>", "class TGraphic {};"),
    "pictures/Picture.h": source("#pragma once", '#include "Graphic.h"', "class TPicture {", " public:",
                                 "  void Load();", "};"),
    "pictures/Picture.cpp": includes("Picture.h", "metafile/Metafile.h") + "void TPicture::Load() {}\n",
    "pictures/metafile/Metafile.h": source("#pragma once", '#include "Graphic.h"'),
    "pictures/metafile/Metafile.cpp": includes("metafile/Metafile.h", "metafile/play/Player.h",
                                               "metafile/read/Reader.h"),
    "pictures/metafile/model/PlayList.h": source("#pragma once", "#include <QPointF>", "#include <vector>") +
                                          includes("Graphic.h", "metafile/model/Bytes.h"),
    "pictures/metafile/model/Bytes.h": source("#pragma once", "#include <cstdint>"),
    "pictures/metafile/read/Reader.h": "#pragma once\n" + includes("metafile/model/PlayList.h"),
    "pictures/metafile/read/Reader.cpp": includes("metafile/read/Reader.h", "metafile/model/Bytes.h"),
    "pictures/metafile/play/Player.h": "#pragma once\n" + includes("metafile/model/PlayList.h") +
                                       source("class TPlayer {", " public:", "  void Gdi();", "};"),
    "pictures/metafile/play/Player.cpp": includes("metafile/play/Player.h", "metafile/draw/Clip.h"),
    # No header of its own: part of the Player unit.
    "pictures/metafile/play/PlayerGdi.cpp": includes("metafile/play/Player.h") + "void TPlayer::Gdi() {}\n",
    "pictures/metafile/draw/Clip.h": source("#pragma once", "#include <QPainterPath>"),
    "pictures/metafile/draw/Clip.cpp": includes("metafile/draw/Clip.h"),
    "pictures/metafile/emfplus/Objects.h": "#pragma once\n" + includes("metafile/model/Bytes.h",
                                                                      "metafile/draw/Clip.h"),
    "controls/Tile.h": "#pragma once\n" + includes("Picture.h", "TileGeometry.h"),
    "controls/Tile.cpp": includes("Tile.h"),
    "controls/TileGeometry.h": "#pragma once\n",
    "controls/TileGeometry.cpp": includes("TileGeometry.h"),
    "windows/Board.cpp": includes("Tile.h", "metafile/read/Reader.h"),
    # Only product files have a size limit.
    "tests/Reader_test.cpp": includes("metafile/read/Reader.h") + "//\n" * 900,
    "game/Rules.h": "#pragma once\n" + "//\n" * 799,
}


def write_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)


class IncludeCheck(unittest.TestCase):
    def run_check(self, changes=None, allow=None):
        """The lines the check prints and its exit status."""
        files = dict(CLEAN)
        files.update(changes or {})
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, files)
            allow_path = os.path.join(root, "allow")
            with open(allow_path, "w", encoding="utf-8") as f:
                f.write("# known faults\n" + source(*(allow or [])))
            result = subprocess.run([sys.executable, SCRIPT, root, "--allow", allow_path],
                                    capture_output=True, text=True, check=False)
        return [line for line in result.stdout.splitlines() if line], result.returncode

    def assertFaults(self, changes, expected):
        """Each fault as "file: rule include", without its line number and explanation."""
        lines, status = self.run_check(changes)
        self.assertEqual(status, 1, lines)
        found = []
        for line in lines:
            path, _, rest = line.split(":", 2)
            found.append(path + ":" + rest.split(":", 1)[0])
        self.assertEqual(sorted(found), sorted(expected))

    def test_a_tree_that_keeps_the_rules_passes(self):
        self.assertEqual(self.run_check(), ([], 0))

    def test_read_includes_neither_play_nor_draw(self):
        self.assertFaults(
            {"pictures/metafile/read/Reader.cpp": includes("metafile/read/Reader.h", "metafile/play/Player.h",
                                                           "metafile/draw/Clip.h")},
            ['pictures/metafile/read/Reader.cpp: folder "metafile/play/Player.h"',
             'pictures/metafile/read/Reader.cpp: folder "metafile/draw/Clip.h"'])

    def test_play_never_includes_read(self):
        self.assertFaults(
            {"pictures/metafile/play/PlayerGdi.cpp": includes("metafile/read/Reader.h") +
                                                     "void TPlayer::Gdi() {}\n"},
            ['pictures/metafile/play/PlayerGdi.cpp: folder "metafile/read/Reader.h"'])

    def test_emfplus_includes_neither_read_nor_play(self):
        objects = "pictures/metafile/emfplus/Objects.cpp"
        self.assertFaults(
            {objects: includes("metafile/emfplus/Objects.h", "metafile/read/Reader.h",
                               "metafile/play/Player.h")},
            [objects + ': folder "metafile/read/Reader.h"', objects + ': folder "metafile/play/Player.h"'])

    def test_model_includes_only_qt_the_standard_library_itself_and_graphic(self):
        self.assertFaults(
            {"pictures/metafile/model/Bytes.h": source("#pragma once", "#include <cstdint>",
                                                       "#include <uemf.h>") +
                                                includes("metafile/read/Reader.h", "metafile/draw/Clip.h")},
            ["pictures/metafile/model/Bytes.h: model <uemf.h>",
             'pictures/metafile/model/Bytes.h: model "metafile/read/Reader.h"',
             'pictures/metafile/model/Bytes.h: model "metafile/draw/Clip.h"',
             # Reader.h includes the play list, which includes Bytes.h.
             'pictures/metafile/model/Bytes.h: circle "metafile/read/Reader.h"',
             'pictures/metafile/model/PlayList.h: circle "metafile/model/Bytes.h"',
             'pictures/metafile/read/Reader.cpp: circle "metafile/model/Bytes.h"',
             'pictures/metafile/read/Reader.h: circle "metafile/model/PlayList.h"'])

    def test_pictures_headers_are_named_from_the_include_root(self):
        self.assertFaults(
            {"pictures/metafile/read/Reader.cpp": includes("Reader.h", "../model/Bytes.h"),
             "controls/Tile.cpp": includes("Tile.h", "../pictures/metafile/Metafile.h"),
             "tests/Clip_test.cpp": includes("metafile/draw/Clip.h")},
            ['pictures/metafile/read/Reader.cpp: qualified "Reader.h"',
             'pictures/metafile/read/Reader.cpp: qualified "../model/Bytes.h"',
             'controls/Tile.cpp: qualified "../pictures/metafile/Metafile.h"'])

    def test_the_including_folder_comes_before_the_include_roots(self):
        # "Graphic.h" from read/ is read/Graphic.h here, so the name is not the one from the root.
        self.assertFaults(
            {"pictures/metafile/read/Graphic.h": "#pragma once\n",
             "pictures/metafile/read/Reader.cpp": includes("metafile/read/Reader.h", "Graphic.h")},
            ['pictures/metafile/read/Reader.cpp: qualified "Graphic.h"'])

    def test_two_units_that_include_each_other_are_a_circle(self):
        self.assertFaults(
            {"controls/TileGeometry.cpp": includes("TileGeometry.h", "Tile.h")},
            ['controls/Tile.h: circle "TileGeometry.h"', 'controls/TileGeometry.cpp: circle "Tile.h"'])

    def test_a_circle_through_other_units_is_found(self):
        self.assertFaults(
            {"pictures/A.h": "#pragma once\n" + includes("B.h"),
             "pictures/B.h": "#pragma once\n" + includes("C.h"),
             "pictures/C.cpp": includes("C.h", "A.h"),
             "pictures/C.h": "#pragma once\n"},
            ['pictures/A.h: circle "B.h"', 'pictures/B.h: circle "C.h"', 'pictures/C.cpp: circle "A.h"'])

    def test_a_cpp_without_header_belongs_to_the_unit_whose_class_it_defines(self):
        # Clip includes the player, whose other file includes Clip: a circle only through the unit.
        gdi = "pictures/metafile/play/PlayerGdi.cpp"
        changes = {
            "pictures/metafile/play/Player.cpp": includes("metafile/play/Player.h"),
            gdi: includes("metafile/play/Player.h", "metafile/draw/Clip.h") + "void TPlayer::Gdi() {}\n",
            "pictures/metafile/draw/Clip.cpp": includes("metafile/draw/Clip.h", "metafile/play/Player.h"),
        }
        self.assertFaults(changes, [gdi + ': circle "metafile/draw/Clip.h"',
                                    'pictures/metafile/draw/Clip.cpp: circle "metafile/play/Player.h"'])
        # Defining only free functions, the file is a unit of its own that nobody includes.
        changes[gdi] = includes("metafile/play/Player.h", "metafile/draw/Clip.h") + "void Gdi() {}\n"
        self.assertEqual(self.run_check(changes), ([], 0))

    def test_product_files_over_800_lines(self):
        self.assertFaults({"game/Rules.h": "#pragma once\n" + "//\n" * 800,
                           "windows/Board.cpp": includes("Tile.h") + "//\n" * 801},
                          ["game/Rules.h: size", "windows/Board.cpp: size"])

    def test_the_allow_list_holds_the_known_faults_in_metafile_exactly(self):
        changes = {"pictures/metafile/emfplus/Objects.cpp": includes("metafile/play/Player.h"),
                   "pictures/metafile/play/Player.cpp": includes("metafile/play/Player.h") + "//\n" * 801}
        known = ['folder pictures/metafile/emfplus/Objects.cpp "metafile/play/Player.h"',
                 "size pictures/metafile/play/Player.cpp"]
        self.assertEqual(self.run_check(changes, allow=known), ([], 0))
        # One of them left out: it is reported.
        lines, status = self.run_check(changes, allow=known[1:])
        self.assertEqual(status, 1)
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("pictures/metafile/emfplus/Objects.cpp:1: folder", lines[0])
        # A fault fixed while still listed: the line must go.
        fixed = 'folder pictures/metafile/play/Player.cpp "metafile/read/Reader.h"'
        lines, status = self.run_check(changes, allow=known + [fixed])
        self.assertEqual(status, 1)
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("no longer found", lines[0])

    def test_keys_spell_every_fault_as_the_allow_list_does(self):
        changes = {"pictures/metafile/emfplus/Objects.cpp": includes("metafile/play/Player.h"),
                   "controls/TileGeometry.cpp": includes("TileGeometry.h", "Tile.h")}
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, {**CLEAN, **changes})
            result = subprocess.run([sys.executable, SCRIPT, root, "--keys"], capture_output=True, text=True,
                                    check=False)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout.splitlines(),
                         ['circle controls/Tile.h "TileGeometry.h"',
                          'circle controls/TileGeometry.cpp "Tile.h"',
                          'folder pictures/metafile/emfplus/Objects.cpp "metafile/play/Player.h"'])

    def test_faults_outside_metafile_cannot_be_allowed(self):
        changes = {"controls/TileGeometry.cpp": includes("TileGeometry.h", "Tile.h")}
        allow = ['circle controls/Tile.h "TileGeometry.h"', 'circle controls/TileGeometry.cpp "Tile.h"']
        lines, status = self.run_check(changes, allow=allow)
        self.assertEqual(status, 1)
        self.assertEqual(sum("only faults under pictures/metafile/" in line for line in lines), 2, lines)
        self.assertEqual(sum(line.startswith("controls/") for line in lines), 2, lines)


if __name__ == "__main__":
    unittest.main()
