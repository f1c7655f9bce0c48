#include "player/compact/sst.h"

#include <cmath>

QString sst(double n)
{
    long long minutes = 0;
    double seconds = n;
    if (n >= 60) {
        // Whole-number division after rounding to the nearest whole number, halves to even.
        const long long whole = static_cast<long long>(std::nearbyint(n));
        minutes = whole / 60;
        seconds = n - 60.0 * double(minutes);
    }
    const auto two = [](long long v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    const long long s = static_cast<long long>(std::nearbyint(seconds));
    return two(minutes) + QLatin1Char(':') + two(s);
}

QString sst(const QString& n) { return sst(n.trimmed().toDouble()); }
