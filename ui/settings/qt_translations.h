#pragma once

#include <QObject>
#include <QTranslator>

namespace tessik::ui {

// Qt's own texts (the buttons and labels of its standard dialogs) in the interface language, from the Qt
// translations installed on the system; English where there are none.
class QtTranslations : public QObject
{
    Q_OBJECT

public:
    // Installs the translation of the current language and follows every change of it.
    explicit QtTranslations(QObject* parent = nullptr);
    ~QtTranslations() override;

    // Whether Qt's texts are translated into the language now.
    bool load(const QString& language);

private:
    QTranslator m_translator;
    bool m_installed = false;
};

} // namespace tessik::ui
