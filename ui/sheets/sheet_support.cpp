#include "sheet_support.h"

#include "app/model/app_model.h"

#include <QDialog>

namespace tessik::ui {

QFont SheetSupport::titleFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 1.35);
    font.setBold(true);
    return font;
}

QLabel* SheetSupport::makeErrorLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    label->hide();
    return label;
}

void SheetSupport::showError(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

void SheetSupport::makeSheet(QDialog* dialog)
{
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowFlag(Qt::Sheet);
}

void SheetSupport::followBusy(QDialog* dialog, const AppModel& model)
{
    dialog->setEnabled(!model.busy());
    QObject::connect(&model, &AppModel::busyChanged, dialog, [dialog, &model] { dialog->setEnabled(!model.busy()); });
}

void SheetSupport::whenDone(const QFuture<void>& future, QObject* context, std::function<void()> succeeded,
                            std::function<void(const std::exception_ptr&)> failed)
{
    QFuture<void>(future).then(context, [succeeded, failed](QFuture<void> done) {
        try {
            done.waitForFinished();
        } catch (...) {
            failed(std::current_exception());
            return;
        }
        succeeded();
    });
}

} // namespace tessik::ui
