#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tessik {

// A language the interface can be shown in; its raw value is the code stored under "TessikLanguage".
class AppLanguage
{
public:
    enum Value
    {
        zh,
        en,
        fr,
        de,
        es,
        ja,
        ko
    };

    static inline const QString defaultsKey = QStringLiteral("TessikLanguage");

    constexpr AppLanguage(Value value) : m_value(value) {}

    // In declaration order, which is also the picker's order.
    static const QList<AppLanguage>& allCases();
    static std::optional<AppLanguage> fromRawValue(const QString& rawValue);

    Value value() const { return m_value; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    // The language's own name for itself.
    QString name() const;

    bool operator==(const AppLanguage&) const = default;

private:
    Value m_value;
};

} // namespace tessik
