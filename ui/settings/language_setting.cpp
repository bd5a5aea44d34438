#include "language_setting.h"

#include "app/l10n/app_language.h"
#include "platform/user_defaults.h"

namespace tessik::ui {

LanguageSetting& LanguageSetting::shared()
{
    static LanguageSetting setting;
    return setting;
}

QString LanguageSetting::code() const
{
    if (m_override)
        return *m_override;
    const QVariant stored = platform::UserDefaults::objectForKey(AppLanguage::defaultsKey);
    return stored.typeId() == QMetaType::QString ? stored.toString() : AppLanguage(AppLanguage::zh).rawValue();
}

void LanguageSetting::setCode(const QString& code)
{
    const QString before = this->code();
    m_override.reset();
    platform::UserDefaults::setObject(AppLanguage::defaultsKey, code);
    if (this->code() != before)
        Q_EMIT changed(code);
}

void LanguageSetting::setOverride(const std::optional<QString>& code)
{
    const QString before = this->code();
    m_override = code;
    if (this->code() != before)
        Q_EMIT changed(this->code());
}

} // namespace tessik::ui
