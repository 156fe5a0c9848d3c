#include "common/TimeZone.h"

#include <QFileInfo>
#include <QtGlobal>

namespace ret {

void readTimeZoneOnce() {
    // the C library's own default, named: the same zone, read once
    static const char kSystemZone[] = "/etc/localtime";
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QLatin1String(kSystemZone)))
        return;
    qputenv("TZ", QByteArray(":") + kSystemZone);
}

} // namespace ret
