#include "text_metrics.h"

#include <QFontMetrics>
#include <QTextLayout>

#include <cmath>

namespace tessik::ui {

int TextMetrics::lineHeight(const QString& text, const QFont& font)
{
    const int primary = QFontMetrics(font).height();
    if (text.isEmpty())
        return primary;
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return qMax(primary, int(std::ceil(line.height())));
}

} // namespace tessik::ui
