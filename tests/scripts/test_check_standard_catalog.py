#!/usr/bin/env python3
"""The standard-catalog checker finds the faults it is there for, and accepts the documented
exceptions. Each test damages one thing in a small, clean catalog and looks for the finding."""

import copy
import importlib.util
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
_spec = importlib.util.spec_from_file_location("checker", ROOT / "scripts" / "check-standard-catalog.py")
checker = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(checker)


def profile(dn, od, wall, inner=None, **extra):
    p = {"dn": dn, "od": od, "innerDiameter": inner if inner is not None else od - 2 * wall,
         "wall": wall, "width": 0, "ursMaterial": "", "ursAssembly": ""}
    p.update(extra)
    return p


def material(name, profiles, **extra):
    m = {"name": name, "drawingName": name, "detail": "", "manufacturer": "dle EN 12201",
         "roughness": 0.01, "group": 2, "purposes": 6, "pnIndex": 3, "sdrIndex": 4, "shape": 0,
         "descMode": 1, "prefix": "", "suffix": "", "innerDiameterLabel": False,
         "profiles": profiles}
    m.update(extra)
    return m


def clean_catalog():
    return {"materials": [
        material("PE100 SDR11 voda", [profile(3, 20.0, 2.0), profile(11, 110.0, 10.0),
                                      profile(8, 63.0, 5.8), profile(9, 75.0, 6.8)]),
        material("Měď EN1057", [profile(2, 15.0, 1.0), profile(9, 76.1, 2.0)],
                 pnIndex=0, sdrIndex=0, group=1, purposes=28),
        material("PVC tlak. PN10", [profile(21, 560.0, 26.7), profile(22, 630.0, 30.0)],
                 pnIndex=2, sdrIndex=0),
        material("Litina K9 voda", [profile(11, 118.0, 6.0)], descMode=0, pnIndex=0, sdrIndex=0),
        material("Kamenina EN295 N", [profile(18, 417.0, 34.5, inner=348.0)],
                 descMode=0, pnIndex=0, sdrIndex=0, purposes=1),
        material("Vejčitý vídeňský", [{"dn": 21, "innerDiameter": 750.0, "wall": 0.0, "width": 500,
                                       "ursMaterial": "", "ursAssembly": ""}],
                 descMode=0, pnIndex=0, sdrIndex=0, shape=1, purposes=1),
    ]}


class CheckerTest(unittest.TestCase):
    def findings_after(self, change):
        data = copy.deepcopy(clean_catalog())
        change({m["name"]: m for m in data["materials"]})
        return checker.check_catalog(data)

    def assertFinds(self, change, *fragments):
        findings = self.findings_after(change)
        for fragment in fragments:
            self.assertTrue(any(fragment in f for f in findings),
                            f"no finding with {fragment!r} in {findings}")

    def test_clean_catalog_with_documented_exceptions_passes(self):
        # Copper 15 on DN 12, PVC PN 10 560 on DN 500, ductile iron on its own DN, clay by
        # bore, an egg section by its width, PE d20 at the 2.0 mm minimum wall.
        self.assertEqual(checker.check_catalog(clean_catalog()), [])

    def test_shipped_catalog_passes(self):
        self.assertEqual(checker.main(["checker", str(ROOT / "data" / "standard-catalog.json")]), 0)

    def test_text_limits(self):
        def lengthen(ms):
            m = ms["Měď EN1057"]
            m["drawingName"] = "x" * 21
            m["manufacturer"] = "y" * 26
            m["prefix"] = "ABCDE"
            m["profiles"][0]["ursMaterial"] = "1234567890"
        self.assertFinds(lengthen, "drawing name", "manufacturer", "prefix", "URS material code")
        self.assertFinds(lambda ms: ms["Měď EN1057"].update(name="Měděné trubky EN 1057 x"),
                         "has 23 characters, at most 20")

    def test_duplicate_names_also_by_case(self):
        self.assertFinds(lambda ms: ms["Měď EN1057"].update(name="PE100 SDR11 voda"), "used 2 times")
        self.assertFinds(lambda ms: ms["Měď EN1057"].update(name="pe100 sdr11 voda"), "only in case")

    def test_flags_indexes_and_roughness_out_of_range(self):
        def damage(ms):
            ms["Měď EN1057"].update(group=0, purposes=32, pnIndex=7, sdrIndex=8, shape=5,
                                    descMode=3, roughness=0.0015)
        self.assertFinds(damage, "group flags 0", "purpose flags 32", "pnIndex 7", "sdrIndex 8",
                         "shape 5", "descMode 3", "roughness 0.0015")

    def test_profile_dimensions(self):
        def damage(ms):
            p = ms["PE100 SDR11 voda"]["profiles"]
            p[1]["innerDiameter"] = 91.0     # od 110 but 91 + 2 x 10 = 111
            p[2]["dn"] = 28
            p[3]["dn"] = 3                   # a second profile on DN 15
        self.assertFinds(damage, "od 110.0 but inner 91.0", "dn 28 not in 0..27",
                         "a second profile on the same DN row")
        self.assertFinds(lambda ms: ms["Litina K9 voda"]["profiles"][0].update(
            innerDiameter=-1.0, wall=-0.5, od=-2.0), "not positive", "negative")

    def test_profile_on_wrong_dn_row(self):
        self.assertFinds(lambda ms: ms["PE100 SDR11 voda"]["profiles"][1].update(dn=10),
                         "DN 80: belongs on DN 100")
        # 560 takes DN 500 only in the PVC PN 10 series; elsewhere it is nearest DN 600.
        self.assertFinds(lambda ms: ms["PVC tlak. PN10"].update(name="PVC tlak. PN16", pnIndex=3),
                         "DN 500: belongs on DN 600")
        self.assertFinds(lambda ms: ms["Měď EN1057"]["profiles"][0].update(dn=3),
                         "belongs on DN 12")
        self.assertFinds(lambda ms: ms["Kamenina EN295 N"]["profiles"][0].update(dn=19),
                         "belongs on DN 350")
        self.assertFinds(lambda ms: ms["Vejčitý vídeňský"]["profiles"][0].update(dn=22),
                         "belongs on DN 500")

    def test_designated_od_must_be_the_standards(self):
        self.assertFinds(lambda ms: ms["Litina K9 voda"]["profiles"][0].update(
            od=119.0, innerDiameter=107.0), "no size of the series' standard")

    def test_sdr_walls(self):
        # Thinner than the series allows (the SDR would be 11.2), and thicker by far.
        self.assertFinds(lambda ms: ms["PE100 SDR11 voda"]["profiles"][1].update(
            wall=9.8, innerDiameter=90.4), "wall 9.8 does not fit SDR 11")
        self.assertFinds(lambda ms: ms["PE100 SDR11 voda"]["profiles"][1].update(
            wall=10.3, innerDiameter=89.4), "wall 10.3 does not fit SDR 11")
        # Below the 2.0 mm minimum of PE even where od/SDR is smaller.
        self.assertFinds(lambda ms: ms["PE100 SDR11 voda"]["profiles"][0].update(
            wall=1.9, innerDiameter=16.2), "wall 1.9 does not fit SDR 11")

    def test_name_and_pressure_class_agree_with_the_series(self):
        self.assertFinds(lambda ms: ms["PE100 SDR11 voda"].update(pnIndex=2),
                         "PN 10 but SDR 11 of this PE gives PN 16")
        self.assertFinds(lambda ms: ms["PE100 SDR11 voda"].update(sdrIndex=6),
                         "the name says SDR 11, sdrIndex selects 17")

    def test_labels_that_do_not_fit(self):
        def long_affixes(ms):
            m = ms["Měď EN1057"]
            m.update(descMode=2, prefix="ABCD", suffix="WXYZ", innerDiameterLabel=True)
            m["profiles"][0].update(innerDiameter=1234567.0, od=1234569.0)
        self.assertFinds(long_affixes, "label \"ABCD1234567WXYZ\" does not fit 14")
        self.assertFinds(lambda ms: ms["Litina K9 voda"].update(descMode=1)
                         or ms["Litina K9 voda"]["profiles"][0].update(innerDiameter=9990.0, od=10002.0),
                         "short label \"d10002\" does not fit 5")

    def test_egg_section_proportions_and_width(self):
        self.assertFinds(lambda ms: ms["Vejčitý vídeňský"]["profiles"][0].update(innerDiameter=800.0),
                         "is not 2 : 3")
        self.assertFinds(lambda ms: ms["Vejčitý vídeňský"]["profiles"][0].update(width=0),
                         "without a width")
        self.assertFinds(lambda ms: ms["Měď EN1057"]["profiles"][0].update(width=5),
                         "a circular profile with width 5")


if __name__ == "__main__":
    sys.exit(0 if unittest.main(exit=False).result.wasSuccessful() else 1)
