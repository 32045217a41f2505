#!/usr/bin/env python3
"""Compares the planet places of the almanac's own method (mean elements plus
the generated tables, re-done here in Python from astro/PerturbationTables.cpp)
with an independent computation from Keplerian elements fitted to modern
ephemerides over 1800-2050 (elements and rates per century from
J2000, ecliptic and equinox J2000, precessed to the equinox of date).

Usage: check_positions.py   prints the worst differences per planet.
"""
import math
import os
import re

DEG = math.pi / 180.0
HERE = os.path.dirname(os.path.abspath(__file__))


def load_tables():
    path = os.path.join(HERE, '..', '..', 'astro', 'PerturbationTables.cpp')
    text = open(path, encoding='utf-8').read()
    tables = {}
    for name, body in re.findall(r'const PerturbationTable (\w+) = \{(.*?)\n\};', text, re.S):
        rows = re.findall(r'\{([^{}]*)\}', body)
        tables[name] = [[int(v) for v in row.split(',') if v.strip()] for row in rows]
    return tables


TABLES = load_tables()


def cubic(c, t):
    return c[0] + c[1] * t + c[2] * t * t + c[3] * t * t * t


MEAN = {
    1: ((182.27175, 149474.07244, 0.00201944, 0), (75.89717, 1.553469, 0.000308639, 0),
        (0.20561494, 2.03e-05, -4e-08, 0), (47.144736, 1.18476, 0.000223194, 0),
        (7.003014, 0.00173833, -1.55555e-05, 0), 0.3870984),
    2: ((344.36936, 58519.2126, 0.00098055, 0), (130.14057, 1.3723, -0.0016472, 0),
        (0.00681636, -5.384e-05, 1.26e-07, 0), (75.7881, 0.91403, 0.0004189, 0),
        (3.3936, 0.0012522, -4.333e-06, 0), 0.72333015),
    4: ((294.26478, 19141.69625, 0.000315028, 0), (334.21833, 1.840394, 0.000335917, 0),
        (0.0933088, 9.5284e-05, -1.22e-07, 0), (48.7867, 0.776944, -0.000602778, 0),
        (1.8503, -0.000649028, 2.65e-05, 0), 1.5236781),
    5: ((238.132386, 3036.301986, 0.000334683, -1.64889e-06), (12.720972, 1.6099617, 0.00105627, -3.4333e-06),
        (0.0483348, 0.00016418, -4.676e-07, -1.7e-09), (99.443414, 1.01053, 0.000352222, -8.51111e-06),
        (1.308736, -0.00569611, 3.88889e-06, 0), 5.202805),
    6: ((266.597875, 1223.50988, 0.000324542, -5.83333e-07), (91.09821, 1.958416, 0.000826361, 4.61111e-06),
        (0.05589231, -0.0003455, -7.28e-07, 7.4e-10), (112.790414, 0.873195, -0.000152181, -5.30555e-06),
        (2.4925194, -0.00391889, -1.54889e-05, 4.44444e-08), 9.554747),
}


def round_to(x, scale):
    return math.copysign(math.floor(abs(x) * scale + 0.5) / scale, x)


def lookup(name, a, b):
    t = TABLES[name]
    i, j = int(a / 10), int(b / 10)
    u, v = b - 10 * j, a - 10 * i
    g = t[j][i] + (t[j][i + 1] - t[j][i]) * v / 10
    k = t[j + 1][i] + (t[j + 1][i + 1] - t[j + 1][i]) * v / 10
    return g + (k - g) * u / 10


def corrections(body, jd, T):
    """dL, dperi (times e), dX, da and X of the almanac's method."""
    t1 = (T + 19) / 10
    a = (0.033459 * (jd - 1721057) + 86.1) % 360
    b = (0.04963 * (jd - 1721057) + 89.1) % 360
    s = lambda phase, period: math.sin((t1 - phase) * 360 / period * DEG)
    tab = lambda name, scale: round_to(lookup(name, a, b) / scale, scale)
    if body == 5:
        return (round_to((0.42 - 0.075 * t1 + 0.015 * t1 ** 2 - 0.003 * t1 ** 3) * s(0.62, 0.925), 100)
                + tab('JupiterLongitudeTable', 100),
                round_to(0.02 * s(-0.1, 0.925), 100) + tab('JupiterPerihelionTable', 100),
                round_to(0.03 * s(-0.36, 0.925), 100) + tab('JupiterEccentricityTable', 100),
                0.0, 2.58 + 0.1 * t1)
    slow = 0.1 - 0.005 * t1
    return (round_to((0.88 - 0.0633 * t1 + 0.03 * t1 ** 2 - 0.0006 * t1 ** 3) * s(0.145, 0.95) - 0.5, 100)
            + tab('SaturnLongitudeTable', 100),
            round_to(slow * s(0.54, 0.95) - 0.5, 100) + tab('SaturnPerihelionTable', 100),
            round_to(slow * s(0.32, 0.95) - 0.5, 100) + tab('SaturnEccentricityTable', 100),
            round_to((0.004 - 0.0005 * t1) * s(0.35, 0.95) - 0.05, 1000) + tab('SaturnAxisTable', 1000),
            3.56 - 0.175 * t1 - 0.005 * t1 * t1)


def almanac_heliocentric(body, jd):
    """Heliocentric ecliptic x, y, z (AU, equinox of date) by the almanac's method."""
    L, P, E, N, I, axis = MEAN[body]
    T = (jd - 2415021) / 36525
    lon = cubic(L, T) % 360
    peri = cubic(P, T) % 360
    e = cubic(E, T)
    if body in (5, 6):
        dl, dp, de, da, x = corrections(body, jd, T)
        lon += dl
        peri += dp / math.sin(x * DEG)
        e = math.sin((x + de) * DEG)
        axis += da
    node = cubic(N, T) % 360
    inc = cubic(I, T)
    m = (lon - peri) * DEG
    c = (2 * e - e ** 3 / 4) * math.sin(m) + 1.25 * e * e * math.sin(2 * m) + 13 / 12 * e ** 3 * math.sin(3 * m)
    nu = m + c
    u = nu + (peri - node) * DEG
    r = axis * (1 - e * e) / (1 + e * math.cos(nu))
    n, i = node * DEG, inc * DEG
    return (r * (math.cos(u) * math.cos(n) - math.sin(u) * math.sin(n) * math.cos(i)),
            r * (math.cos(u) * math.sin(n) + math.sin(u) * math.cos(n) * math.cos(i)),
            r * math.sin(u) * math.sin(i))


# Reference: Keplerian elements and rates per Julian century from J2000
# (a, e, i, mean longitude, longitude of perihelion, node), J2000 frame.
REFERENCE = {
    1: ((0.38709927, 0.20563593, 7.00497902, 252.25032350, 77.45779628, 48.33076593),
        (0.00000037, 0.00001906, -0.00594749, 149472.67411175, 0.16047689, -0.12534081)),
    2: ((0.72333566, 0.00677672, 3.39467605, 181.97909950, 131.60246718, 76.67984255),
        (0.00000390, -0.00004107, -0.00078890, 58517.81538729, 0.00268329, -0.27769418)),
    3: ((1.00000261, 0.01671123, -0.00001531, 100.46457166, 102.93768193, 0.0),
        (0.00000562, -0.00004392, -0.01294668, 35999.37244981, 0.32327364, 0.0)),
    4: ((1.52371034, 0.09339410, 1.84969142, -4.55343205, -23.94362959, 49.55953891),
        (0.00001847, 0.00007882, -0.00813131, 19140.30268499, 0.44441088, -0.29257343)),
    5: ((5.20288700, 0.04838624, 1.30439695, 34.39644051, 14.72847983, 100.47390909),
        (-0.00011607, -0.00013253, -0.00183714, 3034.74612775, 0.21252668, 0.20469106)),
    6: ((9.53667594, 0.05386179, 2.48599187, 49.95424423, 92.59887831, 113.66242448),
        (-0.00125060, -0.00050991, 0.00193609, 1222.49362201, -0.41897216, -0.28867794)),
}


def reference_heliocentric(body, jd):
    """Heliocentric ecliptic x, y, z of the reference, equinox of date."""
    t = (jd - 2451545.0) / 36525
    a, e, inc, lon, peri, node = (c0 + c1 * t for c0, c1 in zip(*REFERENCE[body]))
    m = math.radians((lon - peri) % 360)
    E = m
    for _ in range(60):
        E -= (E - e * math.sin(E) - m) / (1 - e * math.cos(E))
    xp, yp = a * (math.cos(E) - e), a * math.sqrt(1 - e * e) * math.sin(E)
    w, n, i = math.radians(peri - node), math.radians(node), math.radians(inc)
    cw, sw, cn, sn, ci, si = math.cos(w), math.sin(w), math.cos(n), math.sin(n), math.cos(i), math.sin(i)
    x = (cw * cn - sw * sn * ci) * xp + (-sw * cn - cw * sn * ci) * yp
    y = (cw * sn + sw * cn * ci) * xp + (-sw * sn + cw * cn * ci) * yp
    z = sw * si * xp + cw * si * yp
    # General precession in longitude to the equinox of date; the slow turn
    # of the ecliptic itself stays below 0.02 degree here.
    p = math.radians(1.396971 * t + 0.0003086 * t * t)
    return x * math.cos(p) - y * math.sin(p), x * math.sin(p) + y * math.cos(p), z


def to_equatorial(x, y, z, jd):
    t = (jd - 2451545.0) / 36525
    eps = math.radians(23.439291 - 0.0130042 * t)
    ye = y * math.cos(eps) - z * math.sin(eps)
    ze = y * math.sin(eps) + z * math.cos(eps)
    return math.degrees(math.atan2(ye, x)) % 360, math.degrees(math.atan2(ze, math.hypot(x, ye)))


def angle_diff(a, b):
    return (a - b + 180) % 360 - 180


def geocentric(helio, earth, jd):
    x, y, z = (h - e for h, e in zip(helio, earth))
    return to_equatorial(x, y, z, jd)


def main():
    names = {1: 'Mercury', 2: 'Venus', 4: 'Mars', 5: 'Jupiter', 6: 'Saturn'}
    years = range(1800, 2101, 5)
    print('%-8s  %s' % ('', 'worst difference 1800-2100, degrees (heliocentric longitude; geocentric RA, Dec)'))
    for body, name in names.items():
        worst_h = worst_ra = worst_dec = 0.0
        for year in years:
            for day in range(0, 365, 73):
                jd = 2378497.0 + (year - 1800) * 365.2425 + day
                mine = almanac_heliocentric(body, jd)
                ref = reference_heliocentric(body, jd)
                lon_m = math.degrees(math.atan2(mine[1], mine[0]))
                lon_r = math.degrees(math.atan2(ref[1], ref[0]))
                worst_h = max(worst_h, abs(angle_diff(lon_m, lon_r)))
                earth = reference_heliocentric(3, jd)
                ra_m, dec_m = geocentric(mine, earth, jd)
                ra_r, dec_r = geocentric(ref, earth, jd)
                worst_ra = max(worst_ra, abs(angle_diff(ra_m, ra_r)) * math.cos(math.radians(dec_r)))
                worst_dec = max(worst_dec, abs(dec_m - dec_r))
        print('%-8s  helio %.3f   RA*cos(Dec) %.3f   Dec %.3f' % (name, worst_h, worst_ra, worst_dec))
    for body in (5, 6):
        h = almanac_heliocentric(body, 2451545.0)
        r = reference_heliocentric(body, 2451545.0)
        print('%s at jd 2451545: heliocentric longitude almanac %.3f, reference %.3f'
              % (names[body], math.degrees(math.atan2(h[1], h[0])) % 360, math.degrees(math.atan2(r[1], r[0])) % 360))


if __name__ == '__main__':
    main()
