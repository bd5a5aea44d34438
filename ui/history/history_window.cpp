#include "history_window.h"

#include "app/model/app_model.h"
#include "history_change_model.h"
#include "history_list_model.h"
#include "history_texts.h"
#include "restore_question.h"
#include "ui/sheets/sheet_support.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedLayout>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// Room between the two-line rows, so one run does not run into the next.
class SpacedRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, option.fontMetrics.height() / 2);
    }
};

} // namespace

HistoryWindow::HistoryWindow(AppModel& model, QWidget* parent) : QWidget(parent, Qt::Window), m_model(model)
{
    setObjectName(u"historyWindow"_s);
    setMinimumSize(560, 360);
    resize(820, 480);

    m_heading = new QLabel(this);
    m_heading->setObjectName(u"heading"_s);
    m_heading->setFont(SheetSupport::titleFont(font()));

    m_entries = new HistoryListModel(m_model, this);
    m_list = new QTreeView(this);
    m_list->setObjectName(u"historyList"_s);
    m_list->setModel(m_entries);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    // Every row has two lines, so the view never measures the rows of a long history one by one.
    m_list->setUniformRowHeights(true);
    m_list->setItemDelegate(new SpacedRowDelegate(m_list));
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setMinimumWidth(200);

    auto* detail = new QWidget(this);
    m_summary = new QLabel(detail);
    m_summary->setObjectName(u"historySummary"_s);
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    m_changes = new HistoryChangeModel(m_model, this);
    m_table = new QTreeView(detail);
    m_table->setObjectName(u"historyChanges"_s);
    m_table->setModel(m_changes);
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->header()->setSectionsClickable(false);
    // Every column in view; a long name is elided and its cell's tooltip has it whole.
    m_table->header()->setStretchLastSection(false);
    m_table->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->header()->setSectionResizeMode(HistoryChangeModel::outcomeColumn, QHeaderView::ResizeToContents);
    auto* detailColumn = new QVBoxLayout(detail);
    detailColumn->setContentsMargins(0, 0, 0, 0);
    detailColumn->addWidget(m_summary);
    detailColumn->addWidget(m_table, 1);

    m_splitter = new QSplitter(this);
    m_splitter->setObjectName(u"historySplitter"_s);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_list);
    m_splitter->addWidget(detail);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({220, 600});

    m_empty = new QLabel(this);
    m_empty->setObjectName(u"historyEmpty"_s);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setForegroundRole(QPalette::PlaceholderText);
    auto* pages = new QStackedLayout;
    pages->addWidget(m_splitter);
    pages->addWidget(m_empty);

    m_status = new QLabel(this);
    m_status->setObjectName(u"historyStatus"_s);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    m_restore = new QPushButton(this);
    m_restore->setObjectName(u"restoreButton"_s);
    m_undo = new QPushButton(this);
    m_undo->setObjectName(u"undoButton"_s);
    m_undo->setShortcut(QKeySequence::Undo);
    m_close = new QPushButton(this);
    m_close->setObjectName(u"closeButton"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_restore);
    buttons->addWidget(m_undo);
    buttons->addWidget(m_close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(12);
    column->addWidget(m_heading);
    column->addLayout(pages, 1);
    column->addLayout(buttons);

    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &HistoryWindow::showSelected);
    connect(m_entries, &QAbstractItemModel::modelReset, this, [this, pages] {
        pages->setCurrentWidget(m_entries->rowCount() == 0 ? static_cast<QWidget*>(m_empty) : m_splitter);
    });
    connect(m_restore, &QPushButton::clicked, this, [this] {
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid())
            RestoreQuestion::restore(m_model, m_entries->entries().at(current.row()).snapshot, this);
    });
    connect(m_undo, &QPushButton::clicked, this, [this] { RestoreQuestion::undoLast(m_model, this); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this), &QShortcut::activated, this, &QWidget::close);
    connect(&m_model, &AppModel::busyChanged, this, &HistoryWindow::updateButtons);
    connect(&m_model, &AppModel::historyChanged, this, [this] {
        if (isVisible())
            reload();
    });
    connect(&m_model, &AppModel::languageCodeChanged, this, &HistoryWindow::retranslate);
    retranslate();
}

QString HistoryWindow::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, m_model.languageCode(), values);
}

void HistoryWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

// Escape closes the window, as it closes a dialog.
void HistoryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QFuture<void> HistoryWindow::reload()
{
    m_loading = true;
    updateButtons();
    m_loaded = m_model.loadHistory().then(this, [this](const ChangeHistory& history) {
        const QModelIndex current = m_list->currentIndex();
        const QUuid selected = current.isValid() ? m_entries->entries().at(current.row()).snapshot.id : QUuid();
        m_entries->setHistory(history.entries);
        m_unreadable = history.unreadable;
        m_loading = false;
        QModelIndex row = m_entries->indexOf(selected);
        if (!row.isValid())
            row = m_entries->index(0);
        m_list->setCurrentIndex(row);
        showSelected();
        updateButtons();
    });
    return m_loaded;
}

void HistoryWindow::showSelected()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid()) {
        m_changes->setEntry(std::nullopt);
        m_summary->clear();
        return;
    }
    const HistoryEntry& entry = m_entries->entries().at(current.row());
    m_changes->setEntry(entry);
    QString summary = HistoryTexts::when(m_model, entry.snapshot.createdAt) + u" · "_s +
                      HistoryTexts::summary(m_model, entry);
    if (entry.goneCount() > 0)
        summary += u'\n' + tr(u"已不在此电脑上的应用无法恢复，其余更改仍可恢复。"_s);
    if (!entry.recorded)
        summary += u'\n' + tr(u"这次更改的目标和结果没有记录，只知道更改前的默认应用。"_s);
    m_summary->setText(summary);
    updateButtons();
}

void HistoryWindow::updateButtons()
{
    const bool idle = !m_model.busy() && !m_loading;
    m_restore->setEnabled(idle && m_list->currentIndex().isValid());
    m_undo->setEnabled(idle && m_entries->rowCount() > 0);
    if (m_loading)
        m_status->setText(tr(u"正在读取历史记录…"_s));
    else if (m_model.busy())
        m_status->setText(tr(m_model.busyMessage()));
    else if (m_unreadable > 0)
        m_status->setText(tr(u"{count} 个无法读取的文件已跳过"_s, {{u"count"_s, QString::number(m_unreadable)}}));
    else
        m_status->clear();
}

void HistoryWindow::retranslate()
{
    setWindowTitle(tr(u"历史记录"_s));
    m_heading->setText(tr(u"历史记录"_s));
    m_list->setAccessibleName(tr(u"历史记录"_s));
    m_table->setAccessibleName(tr(u"此次更改"_s));
    m_empty->setText(tr(u"还没有更改记录。每次应用更改都会在这里留下一条，可以随时恢复。"_s));
    m_restore->setText(tr(u"恢复到此更改之前…"_s));
    m_restore->setToolTip(tr(u"将所选更改涉及的格式恢复为更改前的默认应用"_s));
    m_undo->setText(tr(u"撤销上次更改"_s));
    m_undo->setToolTip(m_undo->shortcut().toString(QKeySequence::NativeText));
    m_close->setText(tr(u"关闭"_s));
    m_entries->retranslate();
    m_changes->retranslate();
    showSelected();
    updateButtons();
}

} // namespace tessik::ui
