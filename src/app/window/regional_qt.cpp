#include "window/regional_qt.h"

namespace kelvanor {

RegionalSettings RegionalFromLocale(const QLocale& locale) {
    if (locale.language() == QLocale::C) return RegionalSettings::C();
    RegionalSettings s;
    const QString point = locale.decimalPoint();
    s.decimalSeparator = point.size() == 1 && point[0].unicode() < 128 ? point[0].toLatin1() : '.';
    s.shortDatePattern = locale.dateFormat(QLocale::ShortFormat).toStdString();
    s.longTimePattern = locale.timeFormat(QLocale::LongFormat).toStdString();
    return s;
}

}  // namespace kelvanor
