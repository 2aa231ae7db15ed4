#include "core/NaturalOrder.h"

namespace {

// Compares two runs of digits by value without converting them (they may be arbitrarily long).
int compareDigitRuns(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

qsizetype digitRunEnd(const QString& s, qsizetype from) {
    while (from < s.size() && s.at(from).isDigit())
        ++from;
    return from;
}

} // namespace

bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const qsizetype ie = digitRunEnd(a, i), je = digitRunEnd(b, j);
            const int c =
                compareDigitRuns(QStringView(a).mid(i, ie - i), QStringView(b).mid(j, je - j));
            if (c != 0)
                return c < 0;
            i = ie;
            j = je;
            continue;
        }
        const QChar ca = a.at(i).toCaseFolded(), cb = b.at(j).toCaseFolded();
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}
