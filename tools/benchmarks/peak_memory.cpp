#include "peak_memory.h"

#include <QByteArray>
#include <QFile>

using namespace Qt::StringLiterals;

namespace tessik::tools {

long peakResidentKilobytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return 0;
}

} // namespace tessik::tools
