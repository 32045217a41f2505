#include "sky/Stars.h"

#include <cmath>

#include "astro/TimeScales.h"

const char* const ConstellationNames[kConstellationCount] = {
    "And.ｱﾝﾄﾞﾛﾒﾀﾞ", "Ant.ﾎﾟﾝﾌﾟ", "Aps.ﾌｳﾁｮｳ", "Aql.ﾜｼ", "Aqr.ﾐｽﾞｶﾞﾒ", "Ara.ｻｲﾀﾞﾝ",
    "Ari.ｵﾋﾂｼﾞ", "Aur.ｷﾞｮｼｬ", "Boo.ｳｼｶｲ", "Cae.ﾁｮｳｺｸｸﾞ", "Cam.ｷﾘﾝ", "Cap.ﾔｷﾞ",
    "Car.ﾘｭｳｺﾂ", "Cas.ｶｼｵﾍﾟｱ", "Cen.ｹﾝﾀｳﾙｽ", "Cep.ｹﾌｪｳｽ", "Cet.ｸｼﾞﾗ", "Cha.ｶﾒﾚｵﾝ",
    "Cir.ｺﾝﾊﾟｽ", "CMa.ｵｵｲﾇ", "CMi.ｺｲﾇ", "Cnc.ｶﾆ", "Col.ﾊﾄ", "Com.ｶﾐﾉｹ",
    "CrA.ﾐﾅﾐﾉｶﾝﾑﾘ", "CrB.ｶﾝﾑﾘ", "Crt.ｺｯﾌﾟ", "Cru.ﾐﾅﾐｼﾞｭｳｼﾞ", "Crv.ｶﾗｽ", "CVn.ﾘｮｳｹﾝ",
    "Cyg.ﾊｸﾁｮｳ", "Del.ｲﾙｶ", "Dor.ｶｼﾞｷ", "Dra.ﾘｭｳ", "Equ.ｺｳﾏ", "Eri.ｴﾘﾀﾞﾇｽ",
    "For.ﾛ", "Gem.ﾌﾀｺﾞ", "Gru.ﾂﾙ", "Her.ﾍﾙｸﾚｽ", "Hor.ﾄｹｲ", "Hya.ｳﾐﾍﾋﾞ",
    "Hyi.ﾐｽﾞﾍﾋﾞ", "Ind.ｲﾝﾃﾞｱﾝ", "Lac.ﾄｶｹﾞ", "Leo.ｼｼ", "Lep.ｳｻｷﾞ", "Lib.ﾃﾝﾋﾞﾝ",
    "LMi.ｺｼﾞｼ", "Lup.ｵｵｶﾐ", "Lyn.ﾔﾏﾈｺ", "Lyr.ｺﾄ", "Men.ﾃｰﾌﾞﾙｻﾝ", "Mic.ｹﾝﾋﾞｷｮｳ",
    "Mon.ｲｯｶｸｼﾞｭｳ", "Mus.ﾊｴ", "Nor.ｼﾞｮｳｷﾞ", "Oct.ﾊﾁﾌﾞﾝｷﾞ", "Oph.ﾍﾋﾞﾂｶｲ", "Ori.ｵﾘｵﾝ",
    "Pav.ｸｼﾞｬｸ", "Peg.ﾍﾟｶﾞｻｽ", "Per.ﾍﾟﾙｾｳｽ", "Phe.ﾎｳｵｳ", "Pic.ｶﾞｶ", "PsA.ﾐﾅﾐﾉｳｵ",
    "Psc.ｳｵ", "Pup.ﾄﾓ", "Pyx.ﾗｼﾝﾊﾞﾝ", "Ret.ﾚｸﾁﾙ", "Scl.ﾁｮｳｺｸｼﾂ", "Sco.ｻｿﾘ",
    "Sct.ﾀﾃ", "Ser.ﾍﾋﾞ", "Sex.ﾛｸﾌﾞﾝｷﾞ", "Sge.ﾔ", "Sgr.ｲﾃ", "Tau.ｵｳｼ",
    "Tel.ﾎﾞｳｴﾝｷｮｳ", "TrA.ﾐﾅﾐﾉｻﾝｶｸ", "Tri.ｻﾝｶｸ", "Tuc.ｷｮｼﾁｮｳ", "UMa.ｵｵｸﾞﾏ", "UMi.ｺｸﾞﾏ",
    "Vel.ﾎ", "Vir.ｵﾄﾒ", "Vol.ﾄﾋﾞｳｵ", "Vul.ｺｷﾞﾂﾈ",
};

const MansionStarRecord MansionStars[kMansionCount] = {
    {39, 0.08051, 14.374, 2.83, 0.003, -0.007, "r Peg", "壁"},
    {215, 0.42021, 23.4324, 4.06, -0.1, -0.078, "ζAnd", "奎"},
    {553, 1.49068, 20.1909, 2.64, 0.097, -0.108, "βAri", "婁"},
    {801, 2.37348, 27.1654, 4.66, 0.008, -0.007, "Ari", "胃"},
    {1142, 3.38561, 23.4757, 3.7, 0.019, -0.042, "Tau", "昴"},
    {1409, 4.22465, 18.5731, 3.53, 0.108, -0.036, "εTau", "畢"},
    {1852, 5.26538, -0.2223, 2.23, -0.003, -0.001, "δOri", "参"},
    {1876, 5.29198, 9.2519, 4.41, 0.0, -0.003, "φ1Ori", "觜"},
    {2286, 6.16546, 22.3354, 2.88, 0.055, -0.112, "μGem", "井"},
    {3357, 8.25536, 18.2557, 5.35, -0.057, -0.06, "θCnc", "鬼"},
    {3410, 8.32217, 6.0309, 4.16, -0.067, -0.012, "δHya", "柳"},
    {3748, 9.22404, -8.133, 1.98, -0.018, 0.028, "αHya", "星"},
    {3903, 9.464, -14.2239, 4.12, 0.016, -0.031, "υ1Hya", "張"},
    {4287, 10.54541, -17.4558, 4.08, -0.465, 0.124, "αCrt", "翼"},
    {4662, 12.10397, -16.5912, 2.59, -0.163, 0.018, "γCrv", "軫"},
    {5056, 13.19554, -10.3822, 0.98, -0.043, -0.033, "αVir", "角"},
    {5315, 14.07336, -9.483, 4.19, 0.006, 0.136, "κVir", "亢"},
    {5531, 14.45207, -15.3734, 2.75, -0.108, -0.071, "α2Lib", "氏"},
    {5944, 15.5248, -25.4934, 2.89, -0.009, -0.027, "πSco", "房"},
    {6084, 16.15065, -25.211, 2.89, -0.009, -0.023, "σSco", "心"},
    {6247, 16.45056, -37.5232, 3.08, -0.012, -0.029, "μ1Sco", "尾"},
    {6746, 17.5923, -30.2531, 2.99, -0.053, -0.185, "γ2Sgr", "箕"},
    {7039, 18.39245, -27.0537, 3.17, 0.053, 0.001, "φSgr", "斗"},
    {7776, 20.15236, -15.055, 3.08, 0.039, 0.003, "βCap", "牛"},
    {7950, 20.42158, -9.5143, 3.77, 0.033, -0.032, "εAqr", "女"},
    {8232, 21.26177, -6.004, 2.91, 0.019, -0.005, "βAqr", "虚"},
    {8414, 22.00389, -0.4821, 2.96, 0.016, -0.004, "αAqr", "危"},
    {8781, 22.59467, 14.4002, 2.49, 0.062, -0.038, "αPeg", "室"},
};


int FigurePositions(double figureCode, int positions[3]) {
  // Codes are whole numbers below 200000; anything else names no position.
  if (!(figureCode >= 0.0 && figureCode < 1e6)) return 0;
  const int v = static_cast<int>(figureCode);
  int parts[3] = {0, 0, 0};
  if (v < 14) {
    parts[0] = v;
  } else if (v < 999) {
    parts[0] = v / 10;
    parts[1] = v - 10 * (v / 10);
  } else if (v <= 9999) {
    parts[0] = v / 100;
    parts[1] = v - 100 * (v / 100);
  } else {
    const int a = v / 10000;
    const int b = (v - 10000 * a) / 100;
    parts[0] = a;
    parts[1] = b;
    parts[2] = v - 100 * b - 10000 * a;
  }
  int n = 0;
  for (int p : parts) {
    if (p >= 1 && p <= kMaxFigurePositions) positions[n++] = p;
  }
  return n;
}

void PrecessStar(JulianDay jd, double epochYear, double rightAscension0, double declination0,
                 double properMotionRa, double properMotionDec, double& rightAscension,
                 double& declination) {
  const double jd0 = DateToJulianDay(epochYear, 1.0, 1.0, 12.0, DateClock{CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), 0.0}});
  const double T = (jd0 - 2451545.0) / 36525.0;
  const double t = (jd - jd0) / 36525.0;
  const double base = 2306.2181 + 1.39656 * T - 0.000139 * T * T;
  const double zeta = (base * t + (0.30188 - 0.000344 * T) * t * t + 0.017998 * t * t * t) / 3600.0;
  const double z = (base * t + (1.09468 + 0.000066 * T) * t * t + 0.018203 * t * t * t) / 3600.0;
  const double theta = ((2004.3109 - 0.8533 * T - 0.000217 * T * T) * t -
                        (0.42665 + 0.000217 * T) * t * t - 0.041833 * t * t * t) /
                       3600.0;
  const double rad = 0.017453292519943295;
  const double a1 =
      rightAscension0 + (properMotionRa * 100.0 * t / 3600.0) / std::cos(declination0 * rad);
  const double d1 = declination0 + properMotionDec * 100.0 * t / 3600.0;
  const double A = (a1 + zeta) * rad;
  const double sd1 = std::sin(d1 * rad), cd1 = std::cos(d1 * rad);
  const double st = std::sin(theta * rad), ct = std::cos(theta * rad);
  declination = std::asin(ct * sd1 + st * cd1 * std::cos(A)) / rad;
  rightAscension = std::atan2(cd1 * std::sin(A), ct * cd1 * std::cos(A) - st * sd1) / rad + z;
  if (rightAscension < 0.0) rightAscension += 360.0;
}

std::optional<MansionStarPlace> MansionStarPosition(JulianDay jd, int index) {
  if (index < 0 || index >= kMansionCount) return std::nullopt;
  const MansionStarRecord& row = MansionStars[index];
  const double ra0 = SexagesimalHoursToDegrees(row.rightAscension);
  const double dec0 = SexagesimalToDecimalCarry(row.declination);
  MansionStarPlace place;
  PrecessStar(jd, 1900.0, ra0, dec0, row.properMotionRa, row.properMotionDec, place.rightAscension,
              place.declination);
  place.mansion = row.mansion;
  place.designation = row.designation;
  place.magnitude = row.magnitude;
  place.catalogueNumber = row.catalogueNumber;
  return place;
}
