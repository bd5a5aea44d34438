#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace tessik::ui {

// The interface language every window shows, stored under "TessikLanguage" and shared by all windows of the
// process: changing it re-translates them at once.
class LanguageSetting : public QObject
{
    Q_OBJECT

public:
    static LanguageSetting& shared();

    // The language of this run: the override, else the stored code, else Chinese.
    QString code() const;
    // Stores the choice; every window follows.
    void setCode(const QString& code);
    // A language for this run only (the program's --language); nothing is stored.
    void setOverride(const std::optional<QString>& code);

Q_SIGNALS:
    void changed(const QString& code);

private:
    LanguageSetting() = default;
    std::optional<QString> m_override;
};

} // namespace tessik::ui
