#!/usr/bin/env python3
"""Generates sky/FigureStars.cpp, the 360 figure stars of the sky chart.

Inputs are the star and constellation-line files of Debian's kstars-data
package (GPL-2; positions and magnitudes derived from the Hipparcos and
Henry Draper catalogues, J2000):
  namedstars.dat  binary star records (RA, Dec, HD number, magnitude, class)
  starnames.dat   the Bayer/Flamsteed names of the same records
  clines.dat      constellation figures as move/draw lists of HD numbers
  stars.dat       the text star list (Hipparcos/Tycho), for unnamed stars that
                  fill a figure whose named stars run short

Usage: make_figure_stars.py [KSTARS_DATA_DIR] > sky/FigureStars.cpp
(default directory /usr/share/kstars; `apt-get install kstars-data`, or unpack
the .deb with dpkg-deb -x and point at its usr/share/kstars).

Each figure must be one polyline, so the script turns a figure's line graph
into a single walk (an Euler trail after doubling the cheapest set of edges),
trims or pads the figure to the star count the chart expects, and encodes each
star's line positions in the chart's figure-code form. The rows of Andromeda
and Orion and the centre star of Cygnus are fixed by hand below.
"""
import itertools
import math
import os
import struct
import sys

ABBREVS = ("And Ant Aps Aql Aqr Ara Ari Aur Boo Cae Cam Cap Car Cas Cen Cep Cet Cha Cir "
           "CMa CMi Cnc Col Com CrA CrB Crt Cru Crv CVn Cyg Del Dor Dra Equ Eri For Gem "
           "Gru Her Hor Hya Hyi Ind Lac Leo Lep Lib LMi Lup Lyn Lyr Men Mic Mon Mus Nor "
           "Oct Oph Ori Pav Peg Per Phe Pic PsA Psc Pup Pyx Ret Scl Sco Sct Ser Sex Sge "
           "Sgr Tau Tel TrA Tri Tuc UMa UMi Vel Vir Vol Vul").split()
assert len(ABBREVS) == 88

# Figures in record order with their star counts.
FIGURES = [("And", 6), ("Cas", 7), ("Peg", 8), ("Hyi", 3), ("Phe", 3), ("Cet", 8), ("Eri", 8),
           ("Tri", 2), ("Ari", 2), ("UMi", 3), ("Per", 9), ("Ret", 1), ("Tau", 8), ("Ori", 10),
           ("Aur", 7), ("Dor", 2), ("Lep", 4), ("Col", 2), ("Gem", 8), ("CMa", 8), ("Car", 11),
           ("Pup", 8), ("CMi", 2), ("Vel", 6), ("Hya", 9), ("UMa", 15), ("Lyn", 1), ("Leo", 10),
           ("Cen", 13), ("Vir", 8), ("Crv", 4), ("Cru", 4), ("Mus", 2), ("CVn", 1), ("Boo", 7),
           ("Lup", 7), ("Cir", 1), ("Lib", 3), ("TrA", 3), ("CrB", 6), ("Her", 8), ("Sco", 16),
           ("Oph", 9), ("Ser", 16), ("Dra", 12), ("Ara", 4), ("Sgr", 11), ("Lyr", 6), ("Aql", 7),
           ("Pav", 3), ("Cyg", 9), ("Cap", 6), ("Cep", 6), ("Ind", 1), ("Aqr", 5), ("Gru", 4),
           ("Tuc", 2), ("PsA", 1), ("Cnc", 1), ("Psc", 3)]
assert len(FIGURES) == 60 and sum(n for _, n in FIGURES) == 360

# One star drawn as a dot only (figure code 0); Cnc's single star is position 1.
DOT_ONLY = {"Cir", "CVn", "Ind", "Lyn", "PsA", "Ret"}

# (raThousandths, decHundredths, colourCode, magnitudeTenths, figureCode)
FIXED_ROWS = {
    "And": [(140, 2908, 1, 20, 1), (656, 3087, 6, 32, 2), (1162, 3562, 3, 20, 37),
            (946, 3850, 7, 39, 46), (830, 4108, 1, 44, 5), (2065, 4233, 6, 23, 8)],
    "Ori": [(5919, 740, 3, 8, 17), (5679, -195, 5, 21, 2), (5796, -967, 1, 20, 3),
            (5242, -820, 1, 1, 4), (5534, -30, 5, 22, 5), (5419, 635, 1, 16, 6),
            (5591, -592, 5, 28, 0), (5603, -120, 1, 17, 0), (4831, 695, 7, 32, 0),
            (5408, -238, 1, 34, 0)],
}
# Figures whose line is given by hand (Bayer names in walk order); Cygnus's
# centre star sits at positions 3, 5 and 9.
FIXED_WALKS = {
    "Cyg": ["zet Cyg", "eps Cyg", "gam Cyg", "del Cyg", "gam Cyg", "eta Cyg", "bet2Cyg",
            "eta Cyg", "gam Cyg", "alp Cyg"],
    # The claws as one arc, then the body down to the sting.
    "Sco": ["rho Sco", "pi  Sco", "del Sco", "bet2Sco", "del Sco", "sig Sco", "alp Sco",
            "tau Sco", "eps Sco", "mu 1Sco", "zet2Sco", "eta Sco", "the Sco", "iot1Sco",
            "kap Sco", "lam Sco", "ups Sco"],
    # A cross cannot be one line: the kite through its four stars.
    "Cru": ["alp2Cru", "bet Cru", "gam Cru", "del Cru", "alp2Cru"],
}
FIXED_CODE = {"gam Cyg": (20370, 4025, 7, 22, 30509)}
# The one K-type supergiant of the table gets colour code 2.
K_SUPERGIANT = "eps Peg"


def read_kstars_binary(path):
    data = open(path, "rb").read()
    if data[124:126] != b"SK":
        sys.exit(f"{path}: not a star data file of the expected byte order")
    nfields = struct.unpack_from("<H", data, 127)[0]
    pos = 129
    fields = []
    for _ in range(nfields):
        fields.append(data[pos:pos + 10].split(b"\0")[0].decode())
        pos += 16
    ntrixels = struct.unpack_from("<I", data, pos)[0]
    pos += 4
    index = [struct.unpack_from("<III", data, pos + 12 * i) for i in range(ntrixels)]
    return data, fields, index


def load_stars(directory):
    ndata, nfields, nindex = read_kstars_binary(os.path.join(directory, "namedstars.dat"))
    sdata, sfields, sindex = read_kstars_binary(os.path.join(directory, "starnames.dat"))
    assert nfields[:8] == ["RA", "Dec", "dRA", "dDec", "parallax", "HD", "mag", "bv_index"]
    assert sfields == ["bayerName", "longName"]
    count = sum(n for _, _, n in nindex)
    start = min(off for _, off, n in nindex if n)
    sstart = sindex[0][1]
    stars = []
    for i in range(count):
        o = start + 32 * i
        ra, dec, _, _, _, hd, mag, _ = struct.unpack_from("<iiiiiihh", ndata, o)
        spectral = ndata[o + 28:o + 30].decode("latin1")
        so = sstart + 40 * i
        bayer = sdata[so:so + 8].split(b"\0")[0].decode("latin1")
        stars.append({"hd": hd, "ra": ra / 1e6, "dec": dec / 1e5, "mag": mag / 100.0,
                      "spectral": spectral, "bayer": bayer, "con": bayer[-3:]})
    return stars


def load_unnamed(directory, named, faintest=4.6):
    """Bright stars of stars.dat without a name, each given the constellation
    of its nearest named star (good enough for a dot inside a figure)."""
    out = []
    for line in open(os.path.join(directory, "stars.dat"), encoding="latin1"):
        if line.startswith("#") or len(line) < 58:
            continue
        mag = float(line[45:51])
        if mag > faintest:
            continue
        if line[58:].split(",")[1:2] and line[58:].split(",")[1].strip():
            continue
        ra = int(line[0:2]) + int(line[2:4]) / 60 + float(line[4:9]) / 3600
        sign = -1 if line[10] == "-" else 1
        dec = sign * (int(line[11:13]) + int(line[13:15]) / 60 + float(line[15:19]) / 3600)
        star = {"hd": -(len(out) + 1), "ra": ra, "dec": dec, "mag": mag, "spectral": line[56:58],
                "bayer": ""}
        nearest = min(named, key=lambda s: angular_distance(s, star))
        star["con"] = nearest["con"]
        out.append(star)
    return out


def load_lines(directory):
    """Edges per constellation from the Western culture of clines.dat."""
    edges = []
    culture = None
    prev = None
    for line in open(os.path.join(directory, "clines.dat"), encoding="latin1"):
        parts = line.split()
        if not parts or parts[0].startswith("#"):
            continue
        if parts[0] == "C":
            culture = parts[1]
            continue
        if culture != "Western":
            continue
        hd = int(parts[1])
        if parts[0] == "D" and prev is not None and prev != hd:
            edges.append((prev, hd))
        prev = hd
    return edges


def colour_code(star):
    if star["bayer"] == K_SUPERGIANT:
        return 2
    return {"O": 5, "B": 1, "A": 7, "F": 7, "G": 6, "K": 6, "M": 3}.get(star["spectral"][:1], 7)


def encode_positions(positions):
    if not positions:
        return 0
    candidates = []
    for order in itertools.permutations(positions):
        if len(order) == 1:
            a, = order
            candidates += [a, a * 100]
        elif len(order) == 2:
            a, b = order
            candidates += [a * 10 + b, a * 100 + b]
        else:
            a, b, c = order
            candidates.append(a * 10000 + b * 100 + c)
    for v in candidates:
        if sorted(decode_positions(v)) == sorted(positions):
            return v
    raise ValueError(f"positions {positions} cannot be encoded")


def decode_positions(v):
    """The chart's reading of a figure code (kept in step with sky/Stars.cpp)."""
    if v < 14:
        out = [v]
    elif v < 999:
        out = [v // 10, v - 10 * (v // 10)]
    elif v <= 9999:
        out = [v // 100, v - 100 * (v // 100)]
    else:
        a = v // 10000
        b = (v - 10000 * a) // 100
        out = [a, b, v - 100 * b - 10000 * a]
    return [p for p in out if p]


def euler_walk(nodes, edges, mag):
    """A walk covering every edge, repeating the fewest; nodes by brightness."""
    adj = {n: [] for n in nodes}
    for a, b in edges:
        adj[a].append(b)
        adj[b].append(a)

    def bfs(src):
        prev = {src: None}
        queue = [src]
        for u in queue:
            for v in sorted(adj[u], key=lambda n: mag[n]):
                if v not in prev:
                    prev[v] = u
                    queue.append(v)
        return prev

    def path(a, b):
        prev = bfs(a)
        out = [b]
        while out[-1] != a:
            out.append(prev[out[-1]])
        return out[::-1]

    odd = [n for n in nodes if len(adj[n]) % 2]
    dist = {a: {b: len(path(a, b)) - 1 for b in odd} for a in odd}

    def matching(rest):
        if not rest:
            return 0, []
        first, others = rest[0], rest[1:]
        best = None
        for i, other in enumerate(others):
            cost, pairs = matching(others[:i] + others[i + 1:])
            cost += dist[first][other]
            if best is None or cost < best[0]:
                best = (cost, [(first, other)] + pairs)
        return best

    multi = list(edges)
    if odd:
        best = None
        for a, b in itertools.combinations(odd, 2):
            rest = [n for n in odd if n not in (a, b)]
            cost, pairs = matching(rest)
            key = (cost, min(mag[a], mag[b]))
            if best is None or key < best[0]:
                best = (key, a if mag[a] <= mag[b] else b, pairs)
        _, start, pairs = best
        for a, b in pairs:
            p = path(a, b)
            multi += list(zip(p, p[1:]))
    else:
        start = min(nodes, key=lambda n: mag[n])
    # Hierholzer over the multigraph.
    remaining = {n: [] for n in nodes}
    for i, (a, b) in enumerate(multi):
        remaining[a].append((b, i))
        remaining[b].append((a, i))
    used = set()
    stack, trail = [start], []
    while stack:
        u = stack[-1]
        options = [(v, i) for v, i in remaining[u] if i not in used]
        if options:
            v, i = min(options, key=lambda vi: (mag[vi[0]], vi[1]))
            used.add(i)
            stack.append(v)
        else:
            trail.append(stack.pop())
    return trail[::-1]


def build_figure(con, count, stars, edges_all):
    by_hd = {s["hd"]: s for s in stars}
    mag = {s["hd"]: s["mag"] for s in stars}
    if con in FIXED_WALKS:
        by_bayer = {s["bayer"]: s for s in stars}
        walk = [by_bayer[b]["hd"] for b in FIXED_WALKS[con]]
        return walk, extra_dots(con, count, set(walk), stars)
    # The figure's graph, with stars of other constellations contracted away.
    edges = set()
    for a, b in edges_all:
        if a in by_hd and b in by_hd and con in (by_hd[a]["con"], by_hd[b]["con"]):
            edges.add(tuple(sorted((a, b))))
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set()).add(a)
    for n in [n for n in graph if by_hd[n]["con"] != con]:
        neighbours = graph.pop(n)
        for m in neighbours:
            graph[m].discard(n)
        own = [m for m in neighbours if by_hd[m]["con"] == con]
        for a, b in itertools.combinations(own, 2):
            graph[a].add(b)
            graph[b].add(a)
    graph, strays = join_components(graph, by_hd)
    if con in DOT_ONLY or count == 1:
        keep = {min(graph, key=lambda n: mag[n])} if graph else set()
        if con in DOT_ONLY:
            return [], extra_dots(con, count, set(), stars, keep)
        return list(keep), []
    dots = list(strays)
    while True:
        while len(graph) > count:
            prune_leaf(graph, mag)
        edge_list = sorted({tuple(sorted((a, b))) for a in graph for b in graph[a]})
        walk = euler_walk(sorted(graph), edge_list, mag)
        per_star = {n: walk.count(n) for n in graph}
        if len(walk) <= 20 and max(per_star.values()) <= 3:
            break
        leaf = prune_leaf(graph, mag)
        dots.append(leaf)
    used = set(walk)
    return walk, extra_dots(con, count, used, stars, set(dots))


def angular_distance(a, b):
    ra1, ra2 = math.radians(a["ra"] * 15), math.radians(b["ra"] * 15)
    d1, d2 = math.radians(a["dec"]), math.radians(b["dec"])
    c = math.sin(d1) * math.sin(d2) + math.cos(d1) * math.cos(d2) * math.cos(ra1 - ra2)
    return math.degrees(math.acos(max(-1.0, min(1.0, c))))


def components(graph):
    seen, out = set(), []
    for n in sorted(graph):
        if n in seen:
            continue
        comp, queue = {n}, [n]
        for u in queue:
            for v in graph[u]:
                if v not in comp:
                    comp.add(v)
                    queue.append(v)
        seen |= comp
        out.append(comp)
    return sorted(out, key=len, reverse=True)


def join_components(graph, by_hd, max_gap=15.0):
    """Joins the parts of a figure by their shortest gap; far parts become dots."""
    strays = []
    while True:
        parts = components(graph)
        if len(parts) <= 1:
            return graph, strays
        main = parts[0]
        gap, a, b, part = min((angular_distance(by_hd[a], by_hd[b]), a, b, i)
                              for i, p in enumerate(parts[1:], start=1)
                              for a in main for b in p)
        if gap <= max_gap:
            graph[a].add(b)
            graph[b].add(a)
        else:
            for n in parts[part]:
                strays.append(n)
                graph.pop(n)


def prune_leaf(graph, mag):
    leaves = [n for n in graph if len(graph[n]) <= 1]
    if not leaves:
        leaves = list(graph)
    leaf = max(leaves, key=lambda n: mag[n])
    for m in graph.pop(leaf):
        graph[m].discard(leaf)
    return leaf


def extra_dots(con, count, used, stars, preferred=frozenset()):
    """Off-line stars that fill the figure up to its count, brightest first."""
    want = count - len(used)
    pool = sorted(preferred, key=lambda hd: next(s["mag"] for s in stars if s["hd"] == hd))
    pool += [s["hd"] for s in sorted(stars, key=lambda s: s["mag"])
             if s["con"] == con and s["hd"] not in used and s["hd"] not in preferred]
    return pool[:want]


def rows_for(con, count, stars, edges):
    if con in FIXED_ROWS:
        return FIXED_ROWS[con]
    by_hd = {s["hd"]: s for s in stars}
    walk, dots = build_figure(con, count, stars, edges)
    positions = {}
    for i, hd in enumerate(walk, start=1):
        positions.setdefault(hd, []).append(i)
    order = list(dict.fromkeys(walk)) + dots
    assert len(order) == count, (con, len(order), count)
    rows = []
    for hd in order:
        s = by_hd[hd]
        if s["bayer"] in FIXED_CODE:
            rows.append(FIXED_CODE[s["bayer"]])
            continue
        rows.append((round(s["ra"] * 1000), round(s["dec"] * 100), colour_code(s),
                     round(s["mag"] * 10), encode_positions(positions.get(hd, []))))
    return rows


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/kstars"
    stars = load_stars(directory)
    stars += load_unnamed(directory, [s for s in stars if s["con"] in ABBREVS])
    edges = load_lines(directory)
    out = sys.stdout
    out.write("// Generated by tools/stars/make_figure_stars.py from the star and\n"
              "// constellation-line files of kstars-data (GPL-2; Hipparcos/HD based,\n"
              "// J2000). Do not edit by hand: change the script and run it again.\n"
              "#include \"sky/Stars.h\"\n\n"
              "// constellation, raThousandths, decHundredths, colourCode,\n"
              "// magnitudeTenths, figureCode\n"
              "const FigureStarRecord FigureStars[kFigureStarCount] = {\n")
    first = {}
    record = 1
    colours = {}
    for con, count in FIGURES:
        rows = rows_for(con, count, stars, edges)
        first[con] = record
        out.write(f"    // {con}\n")
        for ra, dec, colour, mag, code in rows:
            colours[colour] = colours.get(colour, 0) + 1
            out.write(f"    {{{ABBREVS.index(con) + 1}, {ra}, {dec}, {colour}, {mag}, {code}}},\n")
        record += len(rows)
    assert record == 361
    out.write("};\n\nconst int FigureStarIndex[kConstellationCount] = {\n")
    for i in range(0, 88, 8):
        chunk = ABBREVS[i:i + 8]
        out.write("    " + " ".join(f"{first.get(a, 0)}," for a in chunk) +
                  "  // " + " ".join(chunk) + "\n")
    out.write("};\n")
    sys.stderr.write("colour codes: " + ", ".join(f"{k}: {v}" for k, v in sorted(colours.items())) + "\n")


if __name__ == "__main__":
    main()
