#include "restore_question.h"

#include "app/l10n/l10n.h"
#include "app/model/app_model.h"
#include "history_texts.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// A question box that fits on the screen; the history lists every change.
constexpr int linesShown = 12;

} // namespace

void RestoreQuestion::restore(AppModel& model, const AssociationSnapshot& snapshot, QWidget* parent)
{
    if (model.busy())
        return;
    model.planRestore(snapshot).then(parent, [&model, parent](const std::optional<RestorePlan>& plan) {
        if (plan)
            ask(model, *plan, false, parent);
    });
}

void RestoreQuestion::undoLast(AppModel& model, QWidget* parent)
{
    if (model.busy())
        return;
    model.planUndo().then(parent, [&model, parent](const std::optional<RestorePlan>& plan) {
        if (plan)
            ask(model, *plan, true, parent);
    });
}

void RestoreQuestion::ask(AppModel& model, const RestorePlan& plan, bool undo, QWidget* parent)
{
    const QString& language = model.languageCode();
    QStringList lines;
    for (const AssociationChange& change : plan.plan.changes)
        lines.append(L10n::text(u"{format}：{from} → {to}"_s, language,
                                {{u"format"_s, HistoryTexts::subject(model, change.typeIdentifier, change.role)},
                                 {u"from"_s, model.appName(change.previousBundleIdentifier)},
                                 {u"to"_s, model.appName(change.targetBundleIdentifier)}}));
    if (lines.size() > linesShown) {
        const auto more = lines.size() - (linesShown - 1);
        lines.resize(linesShown - 1);
        lines.append(L10n::text(u"另有 {count} 项"_s, language, {{u"count"_s, QString::number(more)}}));
    }
    QStringList obstacles;
    for (const SnapshotRestore::Skipped& skipped : plan.restore.skipped)
        obstacles.append(HistoryTexts::obstacle(model, skipped));
    const QString when = HistoryTexts::when(model, plan.snapshot.createdAt);

    auto* box = new QMessageBox(parent);
    box->setObjectName(u"restoreQuestion"_s);
    box->setWindowTitle(u"Tessik"_s);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (plan.plan.changes.isEmpty()) {
        box->setIcon(QMessageBox::Information);
        box->setText(obstacles.isEmpty() ? L10n::text(u"快照记录的默认应用都已在使用，无需更改"_s, language)
                                         : L10n::text(u"没有可以恢复的默认应用。"_s, language));
        box->setInformativeText(obstacles.join(u'\n'));
        box->addButton(L10n::text(u"好"_s, language), QMessageBox::AcceptRole)->setObjectName(u"okButton"_s);
        box->open();
        return;
    }
    box->setIcon(QMessageBox::Question);
    box->setText(undo ? L10n::text(u"撤销上次更改（{time}）？"_s, language, {{u"time"_s, when}})
                      : L10n::text(u"恢复到 {time} 的更改之前？"_s, language, {{u"time"_s, when}}));
    QString details = L10n::text(u"将更改 {count} 项默认应用："_s, language,
                                 {{u"count"_s, QString::number(plan.plan.changes.size())}}) +
                      u'\n' + lines.join(u'\n');
    if (!obstacles.isEmpty())
        details += u"\n\n"_s + obstacles.join(u'\n');
    box->setInformativeText(details);
    QPushButton* restore = box->addButton(L10n::text(u"恢复"_s, language), QMessageBox::AcceptRole);
    restore->setObjectName(u"confirmRestoreButton"_s);
    QPushButton* cancel = box->addButton(L10n::text(u"取消"_s, language), QMessageBox::RejectRole);
    cancel->setObjectName(u"cancelRestoreButton"_s);
    box->setDefaultButton(restore);
    box->setEscapeButton(cancel);
    QObject::connect(box, &QMessageBox::finished, box, [&model, box, restore, plan] {
        if (box->clickedButton() == restore)
            model.restore(plan);
    });
    box->open();
}

} // namespace tessik::ui
