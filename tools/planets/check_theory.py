#!/usr/bin/env python3
"""Checks the perturbation series behind the tables against a direct numerical
integration of the sun, Jupiter and Saturn (planar, heliocentric, RK4 with a
4-day step over 60 years).

The integration starts from the osculating elements that the series gives at
the reference epoch. Along the way the osculating mean longitude, eccentricity
and semi-major axis are computed from the integrated state, the series'
periodic part is taken away, and a cubic in time (the mean motion, the long
inequality and the secular change, which the tables do not carry) is fitted to
what is left. The worst remaining deviation is the error of the series; it is
printed beside the size of the periodic perturbation itself.

Usage: check_theory.py
"""
import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_tables as mt  # noqa: E402

DEG = mt.DEG


def kepler_state(orbit, a, e, peri, lam):
    """Planar position and velocity for the given osculating elements (radians)."""
    m = lam - peri
    E = m
    for _ in range(50):
        E -= (E - e * math.sin(E) - m) / (1 - e * math.cos(E))
    nu = 2 * math.atan2(math.sqrt(1 + e) * math.sin(E / 2), math.sqrt(1 - e) * math.cos(E / 2))
    p = a * (1 - e * e)
    r = p / (1 + e * math.cos(nu))
    h = math.sqrt(orbit.mu * p)
    th = nu + peri
    vr, vt = orbit.mu / h * e * math.sin(nu), h / r
    return [r * math.cos(th), r * math.sin(th),
            vr * math.cos(th) - vt * math.sin(th), vr * math.sin(th) + vt * math.cos(th)]


def osculating(state, mu):
    """a, e, mean longitude (radians) of a planar state."""
    x, y, vx, vy = state
    r = math.hypot(x, y)
    a = 1 / (2 / r - (vx * vx + vy * vy) / mu)
    h = x * vy - y * vx
    ex, ey = vy * h / mu - x / r, -vx * h / mu - y / r
    e = math.hypot(ex, ey)
    peri = math.atan2(ey, ex)
    nu = math.atan2(y, x) - peri
    E = 2 * math.atan2(math.sqrt(1 - e) * math.sin(nu / 2), math.sqrt(1 + e) * math.cos(nu / 2))
    return a, e, E - e * math.sin(E) + peri


def derivative(s):
    k2 = mt.K_GAUSS ** 2
    mj, ms = mt.MASS_JUPITER, mt.MASS_SATURN
    xj, yj, xs, ys = s[0], s[1], s[4], s[5]
    rj3, rs3 = math.hypot(xj, yj) ** 3, math.hypot(xs, ys) ** 3
    dx, dy = xs - xj, ys - yj
    d3 = math.hypot(dx, dy) ** 3
    return [s[2], s[3],
            -k2 * (1 + mj) * xj / rj3 + k2 * ms * (dx / d3 - xs / rs3),
            -k2 * (1 + mj) * yj / rj3 + k2 * ms * (dy / d3 - ys / rs3),
            s[6], s[7],
            -k2 * (1 + ms) * xs / rs3 + k2 * mj * (-dx / d3 - xj / rj3),
            -k2 * (1 + ms) * ys / rs3 + k2 * mj * (-dy / d3 - yj / rj3)]


def rk4(s, h):
    k1 = derivative(s)
    k2 = derivative([a + h / 2 * b for a, b in zip(s, k1)])
    k3 = derivative([a + h / 2 * b for a, b in zip(s, k2)])
    k4 = derivative([a + h * b for a, b in zip(s, k3)])
    return [a + h / 6 * (b + 2 * c + 2 * d + e) for a, b, c, d, e in zip(s, k1, k2, k3, k4)]


def cubic_residual(ts, ys):
    """Worst deviation of ys from their least-squares cubic in ts."""
    n = 4
    A = [[sum(t ** (i + j) for t in ts) for j in range(n)] for i in range(n)]
    b = [sum(y * t ** i for t, y in zip(ts, ys)) for i in range(n)]
    for i in range(n):
        for j in range(i + 1, n):
            f = A[j][i] / A[i][i]
            A[j] = [x - f * y for x, y in zip(A[j], A[i])]
            b[j] -= f * b[i]
    c = [0.0] * n
    for i in reversed(range(n)):
        c[i] = (b[i] - sum(A[i][k] * c[k] for k in range(i + 1, n))) / A[i][i]
    return max(abs(y - sum(c[i] * t ** i for i in range(n))) for t, y in zip(ts, ys))


def unwrap(values):
    out, offset = [], 0.0
    for v in values:
        if out:
            while v + offset - out[-1] > math.pi:
                offset -= 2 * math.pi
            while v + offset - out[-1] < -math.pi:
                offset += 2 * math.pi
        out.append(v + offset)
    return out


def main():
    jupiter = mt.Orbit('J', mt.MASS_JUPITER, mt.EPOCH)
    saturn = mt.Orbit('S', mt.MASS_SATURN, mt.EPOCH)
    series = mt.perturbation_series(jupiter, saturn)
    series = {p: {q: mt.pruned(t, 1e-9) for q, t in s.items()} for p, s in series.items()}
    orbits = {'J': jupiter, 'S': saturn}
    mj0 = (jupiter.mean_longitude - jupiter.peri) * DEG
    ms0 = (saturn.mean_longitude - saturn.peri) * DEG
    nj, ns = (mt.RATE_A + mt.RATE_B) * DEG, mt.RATE_A * DEG

    def periodic(planet, quantity, t):
        return mt.evaluate(series[planet][quantity], mj0 + nj * t, ms0 + ns * t)

    def start(planet):
        o = orbits[planet]
        own = mj0 if planet == 'J' else ms0
        return kepler_state(o, o.a + periodic(planet, 'a', 0), o.e + periodic(planet, 'e', 0),
                            o.peri * DEG + periodic(planet, 'peri', 0),
                            o.peri * DEG + own + periodic(planet, 'L', 0))

    state = start('J') + start('S')
    step, years = 4.0, 60
    samples = {q: [] for q in ('JL', 'SL', 'Se', 'Sa', 'JLraw', 'SLraw')}
    times = []
    for k in range(int(years * 365.25 / step) + 1):
        t = k * step
        if k % 10 == 0:
            aj, ej, lj = osculating(state[0:4], jupiter.mu)
            as_, es, ls = osculating(state[4:8], saturn.mu)
            times.append(t / 36525.0)
            samples['JL'].append(lj - periodic('J', 'L', t))
            samples['SL'].append(ls - periodic('S', 'L', t))
            samples['Se'].append(es - periodic('S', 'e', t))
            samples['Sa'].append(as_ - periodic('S', 'a', t))
            samples['JLraw'].append(lj)
            samples['SLraw'].append(ls)
        state = rk4(state, step)
    for key in ('JL', 'SL', 'JLraw', 'SLraw'):
        samples[key] = unwrap(samples[key])
    print('worst deviation from a smooth curve over %d years:' % years)
    for planet, name in (('J', 'Jupiter'), ('S', 'Saturn')):
        print('  %s mean longitude: %.4f deg with the series taken away, %.4f deg without'
              % (name, cubic_residual(times, samples[planet + 'L']) / DEG,
                 cubic_residual(times, samples[planet + 'Lraw']) / DEG))
    print('  Saturn eccentricity: %.6f; semi-major axis: %.5f AU'
          % (cubic_residual(times, samples['Se']), cubic_residual(times, samples['Sa'])))


if __name__ == '__main__':
    main()
