#include "terminal_text.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

bool isUnsafe(char32_t scalar)
{
    // C0 and C1 controls, DEL, and the explicit bidirectional embeddings, overrides and isolates.
    return scalar < 0x20 || (scalar >= 0x7f && scalar <= 0x9f) || (scalar >= 0x202a && scalar <= 0x202e) ||
           (scalar >= 0x2066 && scalar <= 0x2069) || scalar == 0x200e || scalar == 0x200f || scalar == 0x061c;
}

} // namespace

QString TerminalText::escaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const char32_t scalar : text.toUcs4()) {
        if (!isUnsafe(scalar))
            result.append(QString::fromUcs4(&scalar, 1));
        else if (scalar < 0x100)
            result.append(u"\\x%1"_s.arg(uint(scalar), 2, 16, QChar(u'0')));
        else
            result.append(u"\\u%1"_s.arg(uint(scalar), 4, 16, QChar(u'0')));
    }
    return result;
}

} // namespace tessik::cli
