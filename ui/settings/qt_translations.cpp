#include "qt_translations.h"

#include "language_setting.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace tessik::ui {

QtTranslations::QtTranslations(QObject* parent) : QObject(parent)
{
    load(LanguageSetting::shared().code());
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &QtTranslations::load);
}

QtTranslations::~QtTranslations()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

bool QtTranslations::load(const QString& language)
{
    if (m_installed) {
        QCoreApplication::removeTranslator(&m_translator);
        m_installed = false;
    }
    // "zh" is simplified Chinese: the locale names the file qtbase_zh_CN.
    const QLocale locale(language == u"zh"_s ? u"zh_CN"_s : language);
    if (language == u"en"_s ||
        !m_translator.load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    m_installed = QCoreApplication::installTranslator(&m_translator);
    return m_installed;
}

} // namespace tessik::ui
