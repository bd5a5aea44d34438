#include "plain_text.h"

#include <QTextDocument>

namespace tessik::ui {

QString PlainText::asRichText(const QString& text)
{
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

} // namespace tessik::ui
