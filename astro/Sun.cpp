#include "astro/Sun.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/TimeScales.h"

BodyPosition SunPosition(JulianDay jd, const Place& observer) {
  BodyPosition record;
  const double T = CenturiesFrom1900(jd);
  const double T2 = T * T;
  const double meanLongitude = PositiveModulo(280.6824 + 36000.769325 * T + 0.000722222 * T2, 360.0);
  const double perigee =
      PositiveModulo(281.2206 + 1.717697 * T + 0.000483333 * T2 + 2.77777e-6 * T2 * T, 360.0);
  const double e = 0.0167498 - 4.258e-5 * T - 1.37e-7 * T2;
  const double a = 1.00000129;
  const double m = meanLongitude - perigee;
  const double sm = SinDeg(m);
  const double centre = 1.91946 * sm + 0.0200939 * SinDeg(2.0 * m) - 0.00478889 * T * sm - 1.44444e-5 * T2 * sm;
  double lambda = meanLongitude + centre;
  const double nu = lambda - perigee;
  const double r = a * (1.0 - e * e) / (1.0 + e * CosDeg(nu));

  record.latitude = 0.0;
  record.semiDiameter = 0.2666 / r;
  record.distance = r;
  record.x = r * CosDeg(lambda);
  record.y = r * SinDeg(lambda);
  record.z = 0.0;
  // L is below 360 and the equation of centre below 2 degrees, so one step
  // brings the longitude back into range.
  if (lambda > 360.0) lambda -= 360.0;
  record.longitude = lambda;
  EclipticToEquatorial(jd, lambda, 0.0, record.rightAscension, record.declination);
  EquatorialToHorizontal(jd, record.rightAscension, record.declination, observer.latitude,
                         observer.longitude, record.azimuth, record.altitude);
  return record;
}
