#include "strings_file.h"

#include "property_list.h"

#include <QStringDecoder>

#include <optional>

namespace tessik::platform {
namespace {

QString decodeText(const QByteArray& data)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF") || data.startsWith("\xEF\xBB\xBF")) {
        auto encoding = QStringConverter::encodingForData(data);
        QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
        return decoder(data);
    }
    // UTF-16 without a byte order mark still shows a zero byte beside every ASCII character.
    if (data.size() >= 2 && data[0] != 0 && data[1] == 0)
        return QStringDecoder(QStringConverter::Utf16LE)(data);
    if (data.size() >= 2 && data[0] == 0 && data[1] != 0)
        return QStringDecoder(QStringConverter::Utf16BE)(data);
    return QString::fromUtf8(data);
}

class Scanner
{
public:
    explicit Scanner(QString text) : m_text(std::move(text)) {}

    QVariantMap entries()
    {
        QVariantMap result;
        for (;;) {
            skipSpaceAndComments();
            if (atEnd())
                break;
            const std::optional<QString> key = token();
            if (!key)
                break;
            skipSpaceAndComments();
            if (peek() == u';') {
                ++m_pos;
                result.insert(*key, *key);
                continue;
            }
            if (peek() != u'=')
                break;
            ++m_pos;
            skipSpaceAndComments();
            const std::optional<QString> value = token();
            skipSpaceAndComments();
            if (!value || peek() != u';')
                break;
            ++m_pos;
            result.insert(*key, *value);
        }
        return result;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }

    void skipSpaceAndComments()
    {
        while (!atEnd()) {
            if (peek().isSpace()) {
                ++m_pos;
            } else if (m_text.mid(m_pos, 2) == u"/*") {
                const qsizetype end = m_text.indexOf(u"*/", m_pos + 2);
                m_pos = end < 0 ? m_text.size() : end + 2;
            } else if (m_text.mid(m_pos, 2) == u"//") {
                const qsizetype end = m_text.indexOf(u'\n', m_pos);
                m_pos = end < 0 ? m_text.size() : end + 1;
            } else {
                return;
            }
        }
    }

    std::optional<QString> token()
    {
        if (peek() == u'"')
            return quoted();
        const qsizetype start = m_pos;
        while (!atEnd() && (peek().isLetterOrNumber() || QStringView(u"_$+/:.-").contains(peek())))
            ++m_pos;
        if (m_pos == start)
            return std::nullopt;
        return m_text.mid(start, m_pos - start);
    }

    std::optional<QString> quoted()
    {
        ++m_pos;
        QString value;
        while (!atEnd()) {
            const QChar c = m_text[m_pos++];
            if (c == u'"')
                return value;
            if (c != u'\\') {
                value.append(c);
                continue;
            }
            if (atEnd())
                return std::nullopt;
            const QChar e = m_text[m_pos++];
            switch (e.unicode()) {
            case 'n':
                value.append(u'\n');
                break;
            case 't':
                value.append(u'\t');
                break;
            case 'r':
                value.append(u'\r');
                break;
            case 'a':
                value.append(QChar(7));
                break;
            case 'b':
                value.append(QChar(8));
                break;
            case 'f':
                value.append(QChar(12));
                break;
            case 'v':
                value.append(QChar(11));
                break;
            case 'U':
            case 'u': {
                bool ok = false;
                const uint code = m_text.mid(m_pos, 4).toUInt(&ok, 16);
                if (!ok || m_text.mid(m_pos, 4).size() != 4)
                    return std::nullopt;
                m_pos += 4;
                value.append(QChar(char16_t(code)));
                break;
            }
            default:
                if (e >= u'0' && e <= u'7') {
                    uint code = e.unicode() - '0';
                    for (int i = 0; i < 2 && !atEnd() && peek() >= u'0' && peek() <= u'7'; ++i)
                        code = code * 8 + (m_text[m_pos++].unicode() - '0');
                    value.append(QChar(char16_t(code)));
                } else {
                    value.append(e);
                }
            }
        }
        return std::nullopt;
    }

    QString m_text;
    qsizetype m_pos = 0;
};

} // namespace

QVariantMap StringsFile::parse(const QByteArray& data)
{
    if (data.startsWith("bplist") || data.trimmed().startsWith("<?xml") || data.trimmed().startsWith("<plist")) {
        const std::optional<QVariant> list = PropertyList::read(data);
        return list && list->typeId() == QMetaType::QVariantMap ? list->toMap() : QVariantMap();
    }
    return Scanner(decodeText(data)).entries();
}

} // namespace tessik::platform
