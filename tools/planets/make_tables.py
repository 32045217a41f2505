#!/usr/bin/env python3
"""Generates astro/PerturbationTables.cpp: the periodic corrections of
Jupiter's and Saturn's orbits on the 37 x 37 grid of the arguments A and B.

Physics: first-order (in the masses) perturbations of the two planets by each
other. Both orbits are taken as fixed Keplerian ellipses in one plane (their
mutual inclination of 1.25 degrees only enters at second order in the
in-plane elements). On a grid of the two mean anomalies the perturbing
acceleration (direct and indirect part) is resolved into radial and
transverse components and put through Gauss's equations for a, e, the
perihelion and the mean longitude. A two-dimensional Fourier analysis of these
rates, divided by the frequency k1 nJ + k2 nS of each term (twice for the
longitude part that comes from the change of the mean motion), gives the
periodic perturbations of the osculating elements. The secular terms belong
to the mean elements, and the terms of the 5:2 near-commensurability (the long
inequality, period about 900 years) are carried separately by the position
code, so both are left out here.

The arguments: A advances with Saturn's sidereal mean motion and B with
Jupiter's minus Saturn's, so Saturn's mean longitude is A + const and
Jupiter's is A + B + const. The constants and the perihelia are taken from the
mean elements at the reference epoch (year 0, the origin of A and B).

Table units (as the position code reads them):
  longitude:    delta L, hundredths of a degree
  perihelion:   e * delta perihelion, hundredths of a degree (the code
                divides by sin X = e)
  eccentricity: delta X where e = sin X, hundredths of a degree
  axis:         delta a, thousandths of an AU (Saturn only)
Saturn's tables carry a constant 0.5 degree (0.05 AU) that the code's long
terms take away again. Row B = 0, A = 0..80 is the published sample and is
kept exactly as published; the generated values agree with it to within two
units (run with --check). Values are rounded half away from zero and kept
inside the published ranges (a few Saturn entries move by one unit).

Usage: make_tables.py [output.cpp]   (default: astro/PerturbationTables.cpp)
       make_tables.py --check        (prints the fit against the samples)
"""
import cmath
import math
import os
import sys

K_GAUSS = 0.01720209895          # AU^1.5 / day, sun's mass = 1
MASS_JUPITER = 1.0 / 1047.3486
MASS_SATURN = 1.0 / 3497.898
# The reference epoch of the elements the perturbations are computed with:
# the origin of the table arguments (year 0). The published sample row is
# reproduced best with it (rms 0.5 unit against 1.4 for 1950), and so are the
# places of both planets at jd 2451545.
EPOCH = 1721057.5
GRID = 64                        # samples per mean anomaly
ORDER = 20                       # highest harmonic kept in each mean anomaly
DEG = math.pi / 180.0

# Rates of the table arguments (degrees per day), as the position code uses them.
RATE_A = 0.033459
RATE_B = 0.04963


def argument_a(jd):
    return (RATE_A * (jd - 1721057.0) + 86.1) % 360.0


def argument_b(jd):
    return (RATE_B * (jd - 1721057.0) + 89.1) % 360.0


def cubic(c, t):
    return c[0] + c[1] * t + c[2] * t * t + c[3] * t * t * t


# Mean elements (T in centuries from jd 2415021), as in the position code.
MEAN = {
    'J': dict(L=(238.132386, 3036.301986, 0.000334683, -1.64889e-06),
              peri=(12.720972, 1.6099617, 0.00105627, -3.4333e-06),
              a=5.202805),
    'S': dict(L=(266.597875, 1223.50988, 0.000324542, -5.83333e-07),
              peri=(91.09821, 1.958416, 0.000826361, 4.61111e-06),
              a=9.554747),
}


def eccentricity_angle(planet, t):
    t1 = (t + 19.0) / 10.0
    if planet == 'J':
        return 2.58 + 0.1 * t1
    return 3.56 - 0.175 * t1 - 0.005 * t1 * t1


class Orbit:
    """A fixed planar Kepler ellipse about the sun."""

    def __init__(self, planet, mass, jd):
        t = (jd - 2415021.0) / 36525.0
        el = MEAN[planet]
        self.a = el['a']
        self.angle = eccentricity_angle(planet, t)
        self.e = math.sin(self.angle * DEG)
        self.peri = cubic(el['peri'], t) % 360.0
        self.mean_longitude = cubic(el['L'], t) % 360.0
        self.mu = K_GAUSS ** 2 * (1.0 + mass)
        self.n = math.sqrt(self.mu / self.a ** 3)          # rad / day

    def state(self, mean_anomaly):
        """Position and velocity (ecliptic x, y) and the orbit quantities."""
        e, a = self.e, self.a
        E = mean_anomaly
        for _ in range(50):
            f = E - e * math.sin(E) - mean_anomaly
            E -= f / (1.0 - e * math.cos(E))
            if abs(f) < 1e-14:
                break
        nu = 2.0 * math.atan2(math.sqrt(1 + e) * math.sin(E / 2), math.sqrt(1 - e) * math.cos(E / 2))
        p = a * (1 - e * e)
        r = p / (1 + e * math.cos(nu))
        h = math.sqrt(self.mu * p)
        theta = nu + self.peri * DEG
        pos = (r * math.cos(theta), r * math.sin(theta))
        vr = self.mu / h * e * math.sin(nu)
        vt = h / r
        vel = (vr * math.cos(theta) - vt * math.sin(theta), vr * math.sin(theta) + vt * math.cos(theta))
        return pos, vel, nu, r, p, h, E


def gauss_rates(orbit, mean_anomaly, own_pos_fn, other_pos, other_mass):
    """Rates of a, e, perihelion and mean longitude (AU/day, 1/day, rad/day)."""
    pos, _, nu, r, p, h, _ = orbit.state(mean_anomaly)
    dx, dy = other_pos[0] - pos[0], other_pos[1] - pos[1]
    d3 = math.hypot(dx, dy) ** 3
    o3 = math.hypot(*other_pos) ** 3
    gm = K_GAUSS ** 2 * other_mass
    ax = gm * (dx / d3 - other_pos[0] / o3)
    ay = gm * (dy / d3 - other_pos[1] / o3)
    theta = math.atan2(pos[1], pos[0])
    R = ax * math.cos(theta) + ay * math.sin(theta)
    S = -ax * math.sin(theta) + ay * math.cos(theta)
    e, a = orbit.e, orbit.a
    beta = math.sqrt(1 - e * e)
    sn, cn = math.sin(nu), math.cos(nu)
    da = 2 * a * a / h * (e * sn * R + p / r * S)
    de = (p * sn * R + ((p + r) * cn + r * e) * S) / h
    dperi = (-p * cn * R + (p + r) * sn * S) / (h * e)
    deps = ((beta * (p * cn - 2 * r * e) - p * cn) * R + (1 - beta) * (p + r) * sn * S) / (h * e)
    return da, de, dperi, deps


def fourier(samples):
    """2-D DFT of samples[iJ][iS] -> {(k1, k2): coefficient}, |k| <= ORDER."""
    n = len(samples)
    w = [[cmath.exp(-2j * math.pi * k * m / n) / n for m in range(n)] for k in range(-ORDER, ORDER + 1)]
    partial = [[sum(samples[iJ][iS] * w[k][iS] for iS in range(n)) for k in range(2 * ORDER + 1)]
               for iJ in range(n)]
    out = {}
    for k1 in range(2 * ORDER + 1):
        for k2 in range(2 * ORDER + 1):
            out[(k1 - ORDER, k2 - ORDER)] = sum(partial[iJ][k2] * w[k1][iJ] for iJ in range(n))
    return out


def long_inequality(k1, k2):
    """The secular term and the 5:2 family, which the tables leave out."""
    return (k1, k2) == (0, 0) or (k1 * 5 + k2 * 2 == 0)


def perturbation_series(jupiter, saturn):
    """Fourier series of the element perturbations of both planets, as
    {planet: {quantity: {(k1, k2): coefficient}}} in the mean anomalies."""
    n = GRID
    anomalies = [2 * math.pi * m / n for m in range(n)]
    positions_j = [jupiter.state(M)[0] for M in anomalies]
    positions_s = [saturn.state(M)[0] for M in anomalies]
    rates = {'J': [[None] * n for _ in range(n)], 'S': [[None] * n for _ in range(n)]}
    for iJ, MJ in enumerate(anomalies):
        for iS, MS in enumerate(anomalies):
            rates['J'][iJ][iS] = gauss_rates(jupiter, MJ, None, positions_s[iS], MASS_SATURN)
            rates['S'][iJ][iS] = gauss_rates(saturn, MS, None, positions_j[iJ], MASS_JUPITER)
    # Frequencies of the mean anomalies in rad/day, from the table arguments'
    # rates (sidereal mean motions).
    nj = (RATE_A + RATE_B) * DEG
    ns = RATE_A * DEG
    series = {}
    for planet, orbit in (('J', jupiter), ('S', saturn)):
        coeffs = [fourier([[rates[planet][iJ][iS][q] for iS in range(n)] for iJ in range(n)]) for q in range(4)]
        out = {'a': {}, 'e': {}, 'peri': {}, 'L': {}}
        for key in coeffs[0]:
            k1, k2 = key
            if long_inequality(k1, k2):
                continue
            w = k1 * nj + k2 * ns
            ca, ce, cp, cl = (c[key] for c in coeffs)
            out['a'][key] = ca / (1j * w)
            out['e'][key] = ce / (1j * w)
            out['peri'][key] = cp / (1j * w)
            # The mean longitude gains the integral of the changed mean motion.
            out['L'][key] = cl / (1j * w) + 1.5 * orbit.n / orbit.a * ca / (w * w)
        series[planet] = out
    return series


def evaluate(terms, mj, ms):
    total = 0.0
    for (k1, k2), c in terms.items():
        total += (c * cmath.exp(1j * (k1 * mj + k2 * ms))).real
    return total


def pruned(terms, floor):
    return {k: c for k, c in terms.items() if abs(c) > floor}


SAMPLES = {
    'JupiterLongitudeTable': [-2, -2, -3, -3, -4, -4, -4, -4, -4],
    'JupiterPerihelionTable': [0, 0, 1, 1, 2, 2, 3, 3, 4],
    'JupiterEccentricityTable': [4, 4, 4, 3, 3, 2, 2, 1, 1],
    'SaturnLongitudeTable': [55, 57, 58, 59, 60, 60, 61, 61, 61],
    'SaturnPerihelionTable': [33, 34, 35, 37, 39, 41, 44, 47, 49],
    'SaturnEccentricityTable': [54, 57, 59, 61, 63, 65, 66, 66, 67],
    'SaturnAxisTable': [83, 83, 83, 83, 82, 81, 80, 79, 78],
}
RANGES = {
    'JupiterLongitudeTable': (-8, 6),
    'JupiterPerihelionTable': (-4, 5),
    'JupiterEccentricityTable': (-5, 5),
    'SaturnLongitudeTable': (29, 76),
    'SaturnPerihelionTable': (29, 72),
    'SaturnEccentricityTable': (29, 74),
    'SaturnAxisTable': (12, 85),
}


def raw_tables():
    """The seven tables as real numbers in table units, before rounding."""
    jupiter = Orbit('J', MASS_JUPITER, EPOCH)
    saturn = Orbit('S', MASS_SATURN, EPOCH)
    series = perturbation_series(jupiter, saturn)
    a0, b0 = argument_a(EPOCH), argument_b(EPOCH)
    offset_s = saturn.mean_longitude - a0
    offset_j = jupiter.mean_longitude - a0 - b0
    plan = [
        ('JupiterLongitudeTable', 'J', 'L', jupiter, 0.0),
        ('JupiterPerihelionTable', 'J', 'peri', jupiter, 0.0),
        ('JupiterEccentricityTable', 'J', 'e', jupiter, 0.0),
        ('SaturnLongitudeTable', 'S', 'L', saturn, 50.0),
        ('SaturnPerihelionTable', 'S', 'peri', saturn, 50.0),
        ('SaturnEccentricityTable', 'S', 'e', saturn, 50.0),
        ('SaturnAxisTable', 'S', 'a', saturn, 50.0),
    ]
    tables = {}
    for name, planet, quantity, orbit, offset in plan:
        if quantity == 'a':
            scale = 1000.0                                   # thousandths of an AU
        elif quantity == 'peri':
            scale = 100.0 / DEG * orbit.e                    # e * delta, hundredths of a degree
        elif quantity == 'e':
            scale = 100.0 / DEG / math.cos(orbit.angle * DEG)  # delta X
        else:
            scale = 100.0 / DEG
        terms = pruned(series[planet][quantity], 1e-4 / scale)
        table = []
        for j in range(37):
            row = []
            for i in range(37):
                a, b = 10.0 * i, 10.0 * j
                mj = (a + b + offset_j - jupiter.peri) * DEG
                ms = (a + offset_s - saturn.peri) * DEG
                row.append(offset + scale * evaluate(terms, mj, ms))
            table.append(row)
        tables[name] = table
    return tables


def round_half_away(x):
    return int(math.copysign(math.floor(abs(x) + 0.5), x))


def finished_tables(raw):
    tables = {}
    for name, table in raw.items():
        lo, hi = RANGES[name]
        rows = [[min(hi, max(lo, round_half_away(v))) for v in row] for row in table]
        # B = 0 and B = 360 are the same row, A = 0 and A = 360 the same
        # column: the sample goes into both so that the table stays continuous.
        rows[0][0:9] = rows[36][0:9] = SAMPLES[name]
        rows[0][36] = rows[36][36] = SAMPLES[name][0]
        tables[name] = rows
    return tables


def write_cpp(tables, path):
    lines = ['// Generated by tools/planets/make_tables.py; edit the generator, not this file.',
             '#include "astro/PerturbationTables.h"', '']
    for name in SAMPLES:
        lines.append('const PerturbationTable %s = {' % name)
        for row in tables[name]:
            lines.append('    {' + ', '.join('%d' % v for v in row) + '},')
        lines.append('};')
        lines.append('')
    with open(path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines))


def report(raw):
    for name, table in raw.items():
        flat = [v for row in table for v in row]
        sample = SAMPLES[name]
        fitted = table[0][0:9]
        diff = max(abs(f - s) for f, s in zip(fitted, sample))
        print('%-26s range %7.2f .. %7.2f (stated %d .. %d); sample row worst difference %.2f'
              % (name, min(flat), max(flat), RANGES[name][0], RANGES[name][1], diff))
        print('    generated row B=0:', ' '.join('%.1f' % v for v in fitted))
        print('    published row B=0:', ' '.join('%d' % v for v in sample))


def main():
    raw = raw_tables()
    if '--check' in sys.argv[1:]:
        report(raw)
        return
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, '..', '..', 'astro', 'PerturbationTables.cpp')
    args = [a for a in sys.argv[1:] if not a.startswith('--')]
    write_cpp(finished_tables(raw), args[0] if args else default)


if __name__ == '__main__':
    main()
