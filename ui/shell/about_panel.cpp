#include "about_panel.h"

#include "app/l10n/l10n.h"
#include "platform/bundle.h"
#include "ui/icons/tessik_logo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace tessik::ui {

QMessageBox* AboutPanel::show(const QString& language, QWidget* parent)
{
    const QVariant version = platform::Bundle::mainBundle().infoDictionary().value(u"CFBundleShortVersionString"_s);
    const QString name =
        QGuiApplication::applicationDisplayName().isEmpty() ? u"Tessik"_s : QGuiApplication::applicationDisplayName();
    const QString secondary = QApplication::palette().color(QPalette::PlaceholderText).name();

    auto* panel = new QMessageBox(parent);
    panel->setObjectName(u"aboutPanel"_s);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowTitle(L10n::text(u"关于 Tessik"_s, language));
    panel->setTextFormat(Qt::RichText);
    panel->setText(u"<p align=\"center\"><b>%1</b><br>%2</p>"_s.arg(
        name.toHtmlEscaped(), version.typeId() == QMetaType::QString ? version.toString().toHtmlEscaped() : QString()));
    panel->setInformativeText(u"<p align=\"center\" style=\"color:%1\">%2<br>%3</p>"_s.arg(
        secondary, L10n::text(u"按照自己的方式打开文件。"_s, language).toHtmlEscaped(),
        L10n::text(u"按格式或应用选择默认打开方式。"_s, language).toHtmlEscaped()));
    if (const QPixmap& artwork = TessikLogo::artwork(); !artwork.isNull())
        panel->setIconPixmap(artwork.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    panel->setStandardButtons(QMessageBox::Ok);
    panel->button(QMessageBox::Ok)->setText(L10n::text(u"好"_s, language));
    panel->open();
    return panel;
}

} // namespace tessik::ui
