#!/usr/bin/env python3
"""Generates src/core/observations/place_table.inc: where contest contacts are placed
when the log says more than the callsign prefix table knows.

- The centres of the US states and Canadian provinces and territories: the area
  centroid of each one's largest outline in GMT's DCW (Digital Chart of the World)
  country and state outlines, Debian package gmt-dcw.
- The centres of the US call districts: the area-weighted mean of their states'
  centres (the contiguous states only; Alaska, Hawaii and the territories are
  countries of their own in the prefix table).
- The Mexican states, which DCW does not divide: their capitals, to 0.1 degree.
- The radius of every country of the prefix table (cty.dat, Debian package
  hamradio-files): the farthest point of the DCW outline of the country that holds the
  table's point (that outline and the islands within 500 km), from that point, in km.

    apt-get install gmt gmt-dcw hamradio-files
    tools/make_places.py [src/core/observations/place_table.inc]
"""
import math
import os
import subprocess
import sys
import tempfile

DCW_STATES = "/usr/share/gmt-dcw/dcw-states.txt"
DCW_COUNTRIES = "/usr/share/gmt-dcw/dcw-countries.txt"
CTY = "/usr/share/hamradio-files/cty.dat"

US_DISTRICTS = {
    1: "CT MA ME NH RI VT",
    2: "NY NJ",
    3: "PA DE MD DC",
    4: "AL FL GA KY NC SC TN VA",
    5: "AR LA MS NM OK TX",
    6: "CA",
    7: "AZ ID MT NV OR UT WA WY",
    8: "MI OH WV",
    9: "IL IN WI",
    0: "CO IA KS MN MO NE ND SD",
}

# The capitals of the Mexican states, as the ARRL 10-metre contest abbreviates them.
MEXICO = [
    ("AGS", 21.9, -102.3), ("BAC", 32.6, -115.5), ("BCS", 24.1, -110.3),
    ("CAM", 19.8, -90.5), ("CHI", 16.8, -93.1), ("CHH", 28.6, -106.1),
    ("CMX", 19.4, -99.1), ("COA", 25.4, -101.0), ("COL", 19.2, -103.7),
    ("DGO", 24.0, -104.7), ("GTO", 21.0, -101.3), ("GRO", 17.6, -99.5),
    ("HGO", 20.1, -98.7), ("JAL", 20.7, -103.3), ("EMX", 19.3, -99.7),
    ("MIC", 19.7, -101.2), ("MOR", 18.9, -99.2), ("NAY", 21.5, -104.9),
    ("NLE", 25.7, -100.3), ("OAX", 17.1, -96.7), ("PUE", 19.0, -98.2),
    ("QRO", 20.6, -100.4), ("QUI", 18.5, -88.3), ("SLP", 22.2, -101.0),
    ("SIN", 24.8, -107.4), ("SON", 29.1, -111.0), ("TAB", 18.0, -92.9),
    ("TAM", 23.7, -99.1), ("TLX", 19.3, -98.2), ("VER", 19.5, -96.9),
    ("YUC", 21.0, -89.6), ("ZAC", 22.8, -102.6),
]


def outlines(code, work):
    """The outline segments of a DCW country or state as lists of (lon, lat), lon in
    -180 ... 180."""
    out = subprocess.run(["gmt", "coast", "-E" + code, "-M"], capture_output=True, text=True,
                         cwd=work, env=dict(os.environ, HOME=work), check=True).stdout
    segments, current = [], []
    for line in out.splitlines():
        if line.startswith(">"):
            if current:
                segments.append(current)
            current = []
            continue
        lon, lat = map(float, line.split()[:2])
        current.append((lon - 360 if lon > 180 else lon, lat))
    if current:
        segments.append(current)
    return segments


def area_centroid(segment):
    """Planar area and centroid of a ring in (lon cos(lat0), lat)."""
    lat0 = math.radians(sum(p[1] for p in segment) / len(segment))
    k = math.cos(lat0)
    a = cx = cy = 0.0
    for (x0, y0), (x1, y1) in zip(segment, segment[1:] + segment[:1]):
        x0, x1 = x0 * k, x1 * k
        c = x0 * y1 - x1 * y0
        a += c
        cx += (x0 + x1) * c
        cy += (y0 + y1) * c
    if a == 0:
        return 0.0, segment[0]
    return abs(a) / 2, (cx / (3 * a) / k, cy / (3 * a))


def region_centre(segments, keep=lambda segment: True):
    """The centroid of the largest outline (of those kept), and the area of all of them."""
    parts = [area_centroid(s) for s in segments if len(s) > 2 and keep(s)]
    total = sum(a for a, _ in parts)
    return max(parts)[1], total


def to_vector(lat, lon):
    la, lo = math.radians(lat), math.radians(lon)
    return (math.cos(la) * math.cos(lo), math.cos(la) * math.sin(lo), math.sin(la))


def mean_place(places):
    """The weighted mean of (lat, lon, weight) on the sphere."""
    x = y = z = 0.0
    for lat, lon, w in places:
        vx, vy, vz = to_vector(lat, lon)
        x, y, z = x + w * vx, y + w * vy, z + w * vz
    return math.degrees(math.atan2(z, math.hypot(x, y))), math.degrees(math.atan2(y, x))


def distance_km(lat1, lon1, lat2, lon2):
    p1, p2, dl = math.radians(lat1), math.radians(lat2), math.radians(lon2 - lon1)
    c = math.sin(p1) * math.sin(p2) + math.cos(p1) * math.cos(p2) * math.cos(dl)
    return 6371 * math.acos(max(-1.0, min(1.0, c)))


def inside(segment, lon, lat):
    hit = False
    for (x0, y0), (x1, y1) in zip(segment, segment[1:] + segment[:1]):
        if (y0 > lat) != (y1 > lat) and lon < x0 + (lat - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def cty_entities():
    """(name, lat, lon east) of every entity of cty.dat."""
    entities = []
    with open(CTY, encoding="latin-1") as f:
        for line in f:
            if line.startswith(" ") or ":" not in line:
                continue
            fields = [p.strip() for p in line.split(":")]
            entities.append((fields[0], float(fields[4]), -float(fields[5])))
    return entities


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "src", "core", "observations", "place_table.inc")
    work = tempfile.mkdtemp()
    rows = ["// Generated by tools/make_places.py from GMT's DCW outlines (gmt-dcw, LGPL-3+),",
            "// the capitals of the Mexican states and the prefix table of hamradio-files.",
            "// Do not edit: run the script again.", ""]

    states = {}
    for line in open(DCW_STATES, encoding="utf-8"):
        parts = line.split()
        if len(parts) >= 2 and parts[0] in ("US", "CA"):
            segments = outlines(parts[0] + "." + parts[1], work)
            if (parts[0], parts[1]) == ("CA", "NL"):
                # Newfoundland and Labrador: the island, where VO1 calls are, and
                # Labrador (VO2, section LB) apart. Labrador is the larger outline.
                def south(s):
                    return sum(p[1] for p in s) / len(s) < 52

                (lon, lat), _ = region_centre(segments, lambda s: not south(s))
                rows.append('SKYWAVE_REGION("CA", "LB", %.2f, %.2f)' % (lat, lon))
                (lon, lat), area = region_centre(segments, south)
            else:
                (lon, lat), area = region_centre(segments)
            states[(parts[0], parts[1])] = (lat, lon, area)
            rows.append('SKYWAVE_REGION("%s", "%s", %.2f, %.2f)' % (parts[0], parts[1], lat, lon))
    for code, lat, lon in MEXICO:
        rows.append('SKYWAVE_REGION("MX", "%s", %.2f, %.2f)' % (code, lat, lon))
    rows.append("")

    for digit, members in sorted(US_DISTRICTS.items()):
        lat, lon = mean_place([states[("US", s)] for s in members.split()])
        rows.append("SKYWAVE_US_DISTRICT(%d, %.2f, %.2f)" % (digit, lat, lon))
    rows.append("")

    countries = {}
    for line in open(DCW_COUNTRIES, encoding="utf-8"):
        parts = line.split()
        if len(parts) >= 3 and not line.startswith("#"):
            segments = outlines(parts[1], work)
            # Every fourth point is plenty for a radius of hundreds of km.
            countries[parts[1]] = [s[::4] + s[-1:] for s in segments if len(s) > 2]
    boxes = {code: [(min(p[0] for p in s), max(p[0] for p in s), min(p[1] for p in s),
                     max(p[1] for p in s)) for s in segs] for code, segs in countries.items()}
    for name, lat, lon in cty_entities():
        holder = None
        for code, segs in countries.items():
            for s, (x0, x1, y0, y1) in zip(segs, boxes[code]):
                if x0 <= lon <= x1 and y0 <= lat <= y1 and inside(s, lon, lat):
                    holder = code
                    break
            if holder:
                break
        if not holder:  # a point just off the coast: the nearest country within 300 km
            best = None
            for code, segs in countries.items():
                for s, (x0, x1, y0, y1) in zip(segs, boxes[code]):
                    if not (x0 - 4 <= lon <= x1 + 4 and y0 - 3 <= lat <= y1 + 3):
                        continue
                    for x, y in s:
                        d = distance_km(lat, lon, y, x)
                        if best is None or d < best[0]:
                            best = (d, code)
            if best and best[0] <= 300:
                holder = best[1]
        if not holder:
            continue
        # The outlines of the country near the point: the one that holds it and the
        # islands within 500 km. Hawaii is not as wide as the United States, nor Madeira
        # as Portugal.
        near = [s for s in countries[holder]
                if inside(s, lon, lat) or min(distance_km(lat, lon, y, x) for x, y in s) <= 500]
        radius = max(distance_km(lat, lon, y, x) for s in near or countries[holder] for x, y in s)
        rows.append('SKYWAVE_COUNTRY_RADIUS("%s", %.0f)' % (name.replace('"', '\\"'), radius))

    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(rows) + "\n")
    print("wrote", target)


if __name__ == "__main__":
    main()
