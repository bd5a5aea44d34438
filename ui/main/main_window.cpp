#include "main_window.h"

#include "app/l10n/handler_explanation_text.h"
#include "app/l10n/platform_texts.h"
#include "app_format_delegate.h"
#include "app_format_model.h"
#include "app_list_model.h"
#include "candidate_delegate.h"
#include "candidate_list_view.h"
#include "candidate_model.h"
#include "elided_label.h"
#include "format_row_delegate.h"
#include "format_tree_model.h"
#include "item_roles.h"
#include "search_filter_proxy.h"
#include "ui/icons/app_icon_cache.h"
#include "ui/icons/system_images.h"
#include "ui/icons/tessik_logo.h"
#include "ui/settings/language_setting.h"
#include "ui/sheets/staged_changes_sheet.h"
#include "platform/file_manager.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSplitter>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessik::ui {

namespace {

constexpr int catalogUpdateInterval = 86400 * 1000;

// Title sizes as multiples of the platform's default font.
QFont scaledFont(const QFont& base, qreal factor, bool bold)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(base.pixelSize() * factor));
    font.setBold(bold);
    return font;
}

QFont captionFont(const QFont& base)
{
    return scaledFont(base, 0.85, false);
}

QLabel* secondaryLabel(const QString& name, QWidget* parent, bool wrap = true)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(wrap);
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// The list with its empty-state text drawn over it.
QWidget* overlay(QWidget* list, QLabel* text, QWidget* parent)
{
    auto* container = new QWidget(parent);
    auto* stack = new QStackedLayout(container);
    stack->setStackingMode(QStackedLayout::StackAll);
    text->setAlignment(Qt::AlignCenter);
    text->setAttribute(Qt::WA_TransparentForMouseEvents);
    stack->addWidget(text);
    stack->addWidget(list);
    text->raise();
    return container;
}

QTreeView* sectionedTree(const QString& name, QAbstractItemModel* model, QWidget* parent)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setIndentation(0);
    view->setUniformRowHeights(false);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setTextElideMode(Qt::ElideRight);
    // Headings stay open whatever the filter shows.
    QObject::connect(model, &QAbstractItemModel::modelReset, view, &QTreeView::expandAll);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, view, &QTreeView::expandAll);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, &QTreeView::expandAll);
    view->expandAll();
    return view;
}

AssociationRole roleAt(const QComboBox* picker, int index)
{
    return AssociationRole(picker->itemData(index).toInt());
}

} // namespace

MainWindow::MainWindow(FormatCatalogUpdater* updater, QWidget* parent) : QMainWindow(parent), m_model(updater)
{
    setObjectName(u"mainWindow"_s);
    setWindowTitle(u"Tessik"_s);
    setMinimumSize(950, 600);
    resize(1100, 680);
    m_model.setLanguageCode(LanguageSetting::shared().code());

    m_appList = new AppListModel(m_model, this);
    m_formatTree = new FormatTreeModel(m_model, this);
    m_appFormats = new AppFormatModel(m_model, this);
    m_candidates = new CandidateModel(m_model, this);
    m_explanations = new ExplanationLoader(this);
    m_appListProxy = new SearchFilterProxy(this);
    m_appListProxy->setSourceModel(m_appList);
    m_formatTreeProxy = new SearchFilterProxy(this);
    m_formatTreeProxy->setSourceModel(m_formatTree);
    m_appFormatsProxy = new SearchFilterProxy(this);
    m_appFormatsProxy->setSourceModel(m_appFormats);

    m_content = new QWidget(this);
    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(divider(m_content));
    auto* splitter = new QSplitter(Qt::Horizontal, m_content);
    splitter->setObjectName(u"splitter"_s);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildSidebar());
    m_detailPages = new QStackedWidget(splitter);
    m_detailPages->setObjectName(u"detailPages"_s);
    m_placeholder = secondaryLabel(u"placeholderLabel"_s, m_detailPages);
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_detailPages->addWidget(m_placeholder);
    m_detailPages->addWidget(buildAppDetail());
    m_detailPages->addWidget(buildFormatDetail());
    splitter->addWidget(m_detailPages);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 850});
    layout->addWidget(splitter, 1);
    layout->addWidget(divider(m_content));
    layout->addWidget(buildBottomBar());
    setCentralWidget(m_content);

    connect(&m_model, &AppModel::busyChanged, this, [this] {
        // Disabling moves the focus away; it comes back where it was.
        if (m_model.busy() && QApplication::focusWidget() && m_content->isAncestorOf(QApplication::focusWidget()))
            m_focusBeforeBusy = QApplication::focusWidget();
        m_content->setEnabled(!m_model.busy());
        if (!m_model.busy() && m_focusBeforeBusy && m_focusBeforeBusy->isVisible()) {
            m_focusBeforeBusy->setFocus(Qt::OtherFocusReason);
            m_focusBeforeBusy = nullptr;
        }
        updateBottomBar();
        updateDetail();
    });
    connect(&m_model, &AppModel::busyMessageChanged, this, &MainWindow::updateBottomBar);
    connect(&m_model, &AppModel::noticeChanged, this, &MainWindow::updateBottomBar);
    connect(&m_model, &AppModel::pendingChanged, this, &MainWindow::updateBottomBar);
    connect(&m_model, &AppModel::roleChanged, this, [this] {
        m_model.setPending({}); // staged changes belong to one role
        m_rolePicker->setCurrentIndex(m_rolePicker->findData(int(m_model.role())));
        updateDetail();
    });
    // A new catalog follows a refresh or an apply, after which the system may answer otherwise.
    connect(&m_model, &AppModel::indexChanged, m_explanations, &ExplanationLoader::invalidate);
    connect(m_explanations, &ExplanationLoader::changed, this, &MainWindow::updateReason);
    for (auto signal : {&AppModel::selectedAppChanged, &AppModel::indexChanged, &AppModel::appsChanged})
        connect(&m_model, signal, this, &MainWindow::showSelectedApp);
    for (auto signal : {&AppModel::selectedTypeChanged, &AppModel::indexChanged, &AppModel::extraTypesChanged})
        connect(&m_model, signal, this, &MainWindow::showSelectedType);
    connect(&m_model, &AppModel::selectedAppChanged, this, &MainWindow::updateDetail);
    connect(&m_model, &AppModel::selectedTypeChanged, this, &MainWindow::updateDetail);
    connect(&m_model, &AppModel::indexChanged, this, &MainWindow::updateDetail);
    connect(&m_model, &AppModel::pendingChanged, this, &MainWindow::updateDetail);
    connect(&m_model, &AppModel::knowledgeChanged, this, &MainWindow::fillCategoryPickers);
    connect(&m_model, &AppModel::messageChanged, this, &MainWindow::updateAlert);
    connect(&m_model, &AppModel::failureReportChanged, this, &MainWindow::updateAlert);
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, [this](const QString& code) {
        m_model.setLanguageCode(code);
        retranslate();
    });

    m_updateTimer.setInterval(catalogUpdateInterval);
    connect(&m_updateTimer, &QTimer::timeout, &m_model, &AppModel::updateCatalogIfDue);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_started && m_catalogUpdates)
            m_model.updateCatalogIfDue();
    });

    // The search of the view in front.
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, [this] {
        m_sidebarSearch->setFocus(Qt::ShortcutFocusReason);
        m_sidebarSearch->selectAll();
    });

    retranslate();
    setByApp(true);
}

MainWindow::~MainWindow()
{
    if (m_alert)
        m_alert->disconnect(this);
    // The views, their item models and any open sheet use m_model, which goes before QWidget deletes children.
    m_model.disconnect(this);
    delete takeCentralWidget();
    qDeleteAll(findChildren<QDialog*>(Qt::FindDirectChildrenOnly));
    qDeleteAll(findChildren<QAbstractItemModel*>(Qt::FindDirectChildrenOnly));
}

QString MainWindow::tr(const QString& key, const L10n::Values& values) const
{
    return L10n::text(key, m_model.languageCode(), values);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    m_model.refresh();
    if (!m_catalogUpdates)
        return;
    m_model.updateCatalogIfDue();
    m_updateTimer.start();
}

QWidget* MainWindow::buildHeader()
{
    auto* header = new QWidget(m_content);
    auto* row = new QHBoxLayout(header);
    auto* logo = new TessikLogo(header);
    logo->setObjectName(u"logo"_s);
    logo->setFixedSize(30, 30);
    row->addWidget(logo);
    auto* name = new QLabel(u"Tessik"_s, header);
    name->setObjectName(u"productName"_s);
    name->setFont(scaledFont(font(), 1.15, true));
    row->addWidget(name);
    row->addStretch(1);

    auto* segments = new QWidget(header);
    segments->setObjectName(u"viewModePicker"_s);
    segments->setFixedWidth(230);
    auto* segmentRow = new QHBoxLayout(segments);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    segmentRow->setSpacing(0);
    m_viewMode = new QButtonGroup(segments);
    m_byAppButton = new QToolButton(segments);
    m_byAppButton->setObjectName(u"byAppButton"_s);
    m_byFormatButton = new QToolButton(segments);
    m_byFormatButton->setObjectName(u"byFormatButton"_s);
    for (QToolButton* button : {m_byAppButton, m_byFormatButton}) {
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_viewMode->addButton(button);
        segmentRow->addWidget(button);
    }
    connect(m_viewMode, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton* button) { setByApp(button == m_byAppButton); });
    row->addWidget(segments);
    row->addStretch(1);

    m_rolePicker = new QComboBox(header);
    m_rolePicker->setObjectName(u"rolePicker"_s);
    m_rolePicker->setFixedWidth(210);
    for (AssociationRole role : {AssociationRole::all, AssociationRole::viewer, AssociationRole::editor})
        m_rolePicker->addItem(QString(), int(role));
    connect(m_rolePicker, &QComboBox::activated, this, [this](int index) { chooseRole(roleAt(m_rolePicker, index)); });
    row->addWidget(m_rolePicker);

    m_refreshButton = new QToolButton(header);
    m_refreshButton->setObjectName(u"refreshButton"_s);
    m_refreshButton->setIcon(SystemImages::icon(SystemImages::Symbol::refresh));
    connect(m_refreshButton, &QToolButton::clicked, &m_model, &AppModel::refresh);
    row->addWidget(m_refreshButton);
    return header;
}

QWidget* MainWindow::buildSidebar()
{
    auto* sidebar = new QWidget(m_content);
    sidebar->setObjectName(u"sidebar"_s);
    sidebar->setMinimumWidth(220);
    sidebar->setMaximumWidth(300);
    sidebar->setAutoFillBackground(true);
    QPalette palette = sidebar->palette();
    QColor tint = palette.color(QPalette::Text);
    tint.setAlphaF(0.04);
    const QColor window = palette.color(QPalette::Window);
    palette.setColor(QPalette::Window,
                     QColor::fromRgbF(window.redF() * (1 - tint.alphaF()) + tint.redF() * tint.alphaF(),
                                      window.greenF() * (1 - tint.alphaF()) + tint.greenF() * tint.alphaF(),
                                      window.blueF() * (1 - tint.alphaF()) + tint.blueF() * tint.alphaF()));
    sidebar->setPalette(palette);
    auto* column = new QVBoxLayout(sidebar);
    column->setSpacing(8);

    m_sidebarSearch = new QLineEdit(sidebar);
    m_sidebarSearch->setObjectName(u"sidebarSearch"_s);
    m_sidebarSearch->setClearButtonEnabled(true);
    connect(m_sidebarSearch, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter([this, text] {
            m_appListProxy->setQuery(text);
            m_formatTreeProxy->setQuery(text);
        });
    });
    column->addWidget(m_sidebarSearch);

    m_sidebarPages = new QStackedWidget(sidebar);
    m_appListView = new QListView(m_sidebarPages);
    m_appListView->setObjectName(u"appList"_s);
    m_appListView->setModel(m_appListProxy);
    m_appListView->setIconSize({28, 28});
    m_appListView->setUniformItemSizes(true);
    m_appListView->setTextElideMode(Qt::ElideRight);
    connect(m_appListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && current.isValid())
                    m_model.setSelectedApp(current.data(IdentifierRole).toString());
            });
    connect(m_appListProxy, &QAbstractItemModel::modelReset, this, &MainWindow::showSelectedApp);
    m_sidebarPages->addWidget(m_appListView);

    auto* formats = new QWidget(m_sidebarPages);
    auto* formatColumn = new QVBoxLayout(formats);
    formatColumn->setContentsMargins(0, 0, 0, 0);
    m_sidebarCategory = new QComboBox(formats);
    m_sidebarCategory->setObjectName(u"sidebarCategoryPicker"_s);
    m_sidebarCategory->setFixedWidth(170);
    formatColumn->addWidget(m_sidebarCategory);
    m_formatTreeView = sectionedTree(u"formatTree"_s, m_formatTreeProxy, formats);
    m_formatTreeView->setHeaderHidden(true);
    m_formatTreeView->setItemDelegate(new FormatRowDelegate(m_formatTreeView));
    m_formatTreeView->setProperty("stacksSecondaryText", true);
    connect(m_formatTreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && current.isValid() && !current.data(SectionRole).toBool())
                    m_model.setSelectedType(current.data(IdentifierRole).toString());
            });
    connect(m_formatTreeProxy, &QAbstractItemModel::modelReset, this, &MainWindow::showSelectedType);
    formatColumn->addWidget(m_formatTreeView, 1);
    m_sidebarPages->addWidget(formats);
    column->addWidget(m_sidebarPages, 1);

    m_sidebarAddFormat = new QPushButton(sidebar);
    m_sidebarAddFormat->setObjectName(u"sidebarAddFormatButton"_s);
    m_sidebarAddFormat->setIcon(SystemImages::icon(SystemImages::Symbol::plus));
    connect(m_sidebarAddFormat, &QPushButton::clicked, this, [this] { Q_EMIT addFormatRequested(m_byApp); });
    column->addWidget(m_sidebarAddFormat, 0, Qt::AlignLeft);

    for (QComboBox* picker : {m_sidebarCategory}) {
        connect(picker, &QComboBox::activated, this,
                [this, picker](int index) { setCategory(picker->itemData(index).toString()); });
    }
    return sidebar;
}

QWidget* MainWindow::buildAppDetail()
{
    m_appDetail = new QWidget(m_detailPages);
    m_appDetail->setObjectName(u"appDetail"_s);
    auto* column = new QVBoxLayout(m_appDetail);
    column->setContentsMargins(22, 22, 22, 22);
    column->setSpacing(16);

    auto* title = new QHBoxLayout;
    m_appIcon = new QLabel(m_appDetail);
    m_appIcon->setObjectName(u"appDetailIcon"_s);
    m_appIcon->setFixedSize(48, 48);
    title->addWidget(m_appIcon);
    auto* names = new QVBoxLayout;
    m_appName = new QLabel(m_appDetail);
    m_appName->setObjectName(u"appDetailName"_s);
    m_appName->setTextFormat(Qt::PlainText);
    m_appName->setFont(scaledFont(font(), 1.7, true));
    // Long names wrap instead of being cut at the pane's edge or widening the window.
    m_appName->setWordWrap(true);
    m_appName->setMinimumWidth(1);
    m_appSubtitle = secondaryLabel(u"appDetailSubtitle"_s, m_appDetail);
    names->addWidget(m_appName);
    names->addWidget(m_appSubtitle);
    title->addLayout(names, 1);
    column->addLayout(title);

    auto* searchRow = new QHBoxLayout;
    m_detailSearch = new QLineEdit(m_appDetail);
    m_detailSearch->setObjectName(u"detailSearch"_s);
    m_detailSearch->setClearButtonEnabled(true);
    connect(m_detailSearch, &QLineEdit::textChanged, this,
            [this](const QString& text) { filter([this, text] { m_appFormatsProxy->setQuery(text); }); });
    searchRow->addWidget(m_detailSearch, 1);
    m_detailAddFormat = new QPushButton(m_appDetail);
    m_detailAddFormat->setObjectName(u"detailAddFormatButton"_s);
    m_detailAddFormat->setIcon(SystemImages::icon(SystemImages::Symbol::plus));
    connect(m_detailAddFormat, &QPushButton::clicked, this, [this] { Q_EMIT addFormatRequested(m_byApp); });
    searchRow->addWidget(m_detailAddFormat);
    column->addLayout(searchRow);

    m_detailCategory = new QComboBox(m_appDetail);
    m_detailCategory->setObjectName(u"detailCategoryPicker"_s);
    m_detailCategory->setFixedWidth(170);
    connect(m_detailCategory, &QComboBox::activated, this,
            [this](int index) { setCategory(m_detailCategory->itemData(index).toString()); });
    column->addWidget(m_detailCategory);

    m_appFormatView = sectionedTree(u"appFormatTree"_s, m_appFormatsProxy, m_appDetail);
    m_appFormatView->setItemDelegate(new AppFormatDelegate(m_appFormatView));
    m_appFormatView->setSelectionMode(QAbstractItemView::NoSelection);
    QHeaderView* header = m_appFormatView->header();
    header->setObjectName(u"appFormatHeader"_s);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(1, 220);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFont(scaledFont(font(), 1.0, true));
    header->setSectionsClickable(false);
    // Headings span the row.
    auto spanHeadings = [this] {
        for (int row = 0; row < m_appFormatsProxy->rowCount(); ++row)
            m_appFormatView->setFirstColumnSpanned(row, {}, true);
    };
    connect(m_appFormatsProxy, &QAbstractItemModel::modelReset, this, spanHeadings);
    connect(m_appFormatsProxy, &QAbstractItemModel::layoutChanged, this, spanHeadings);
    connect(m_appFormatsProxy, &QAbstractItemModel::rowsInserted, this, spanHeadings);
    m_appFormatsEmpty = secondaryLabel(u"appFormatsEmptyLabel"_s, m_appDetail);
    column->addWidget(overlay(m_appFormatView, m_appFormatsEmpty, m_appDetail), 1);

    m_appCaption = secondaryLabel(u"appDetailCaption"_s, m_appDetail);
    m_appCaption->setFont(captionFont(font()));
    column->addWidget(m_appCaption);
    return m_appDetail;
}

QWidget* MainWindow::buildFormatDetail()
{
    m_formatDetail = new QWidget(m_detailPages);
    m_formatDetail->setObjectName(u"formatDetail"_s);
    auto* column = new QVBoxLayout(m_formatDetail);
    column->setContentsMargins(22, 22, 22, 22);
    column->setSpacing(16);

    m_formatLabel = new ElidedLabel(m_formatDetail);
    m_formatLabel->setObjectName(u"formatDetailLabel"_s);
    m_formatLabel->setTextFormat(Qt::PlainText);
    m_formatLabel->setFont(scaledFont(font(), 2.0, true));
    column->addWidget(m_formatLabel);
    m_formatDescription = secondaryLabel(u"formatDetailDescription"_s, m_formatDetail);
    column->addWidget(m_formatDescription);
    m_formatDefault = secondaryLabel(u"formatDetailDefault"_s, m_formatDetail);
    column->addWidget(m_formatDefault);
    m_formatReason = secondaryLabel(u"formatDetailReason"_s, m_formatDetail);
    m_formatReason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_formatReason);

    auto* headingRow = new QHBoxLayout;
    m_candidatesHeading = new QLabel(m_formatDetail);
    m_candidatesHeading->setObjectName(u"candidatesHeading"_s);
    m_candidatesHeading->setFont(scaledFont(font(), 1.0, true));
    headingRow->addWidget(m_candidatesHeading);
    headingRow->addStretch(1);
    m_chooseOtherApp = new QPushButton(m_formatDetail);
    m_chooseOtherApp->setObjectName(u"chooseOtherAppButton"_s);
    m_chooseOtherApp->setIcon(SystemImages::icon(SystemImages::Symbol::plus));
    connect(m_chooseOtherApp, &QPushButton::clicked, this, &MainWindow::chooseAppRequested);
    headingRow->addWidget(m_chooseOtherApp);
    column->addLayout(headingRow);

    m_candidateView = new CandidateListView(m_formatDetail);
    m_candidateView->setObjectName(u"candidateList"_s);
    m_candidateView->setModel(m_candidates);
    m_candidateView->setItemDelegate(new CandidateDelegate(m_candidateView));
    m_candidateView->setMouseTracking(true);
    m_candidateView->setProperty("stacksSecondaryText", true);
    connect(m_candidateView, &CandidateListView::chosen, m_candidates, &CandidateModel::choose);
    m_candidatesEmpty = secondaryLabel(u"candidatesEmptyLabel"_s, m_formatDetail);
    column->addWidget(overlay(m_candidateView, m_candidatesEmpty, m_formatDetail), 1);

    m_formatCaption = secondaryLabel(u"formatDetailCaption"_s, m_formatDetail);
    m_formatCaption->setFont(captionFont(font()));
    column->addWidget(m_formatCaption);
    return m_formatDetail;
}

QWidget* MainWindow::buildBottomBar()
{
    auto* bar = new QWidget(m_content);
    bar->setObjectName(u"bottomBar"_s);
    auto* row = new QHBoxLayout(bar);
    m_busyIndicator = new QProgressBar(bar);
    m_busyIndicator->setObjectName(u"busyIndicator"_s);
    m_busyIndicator->setRange(0, 0);
    m_busyIndicator->setTextVisible(false);
    m_busyIndicator->setFixedWidth(60);
    row->addWidget(m_busyIndicator);
    m_status = new QLabel(bar);
    m_status->setObjectName(u"statusLabel"_s);
    row->addWidget(m_status);
    // The count opens the list of staged changes, where each can be reviewed and removed.
    m_stagedButton = new QPushButton(bar);
    m_stagedButton->setObjectName(u"stagedChangesButton"_s);
    m_stagedButton->setFlat(true);
    m_stagedButton->setAutoDefault(false);
    connect(m_stagedButton, &QPushButton::clicked, this, &MainWindow::showStagedChanges);
    row->addWidget(m_stagedButton);
    m_notice = new ElidedLabel(bar);
    m_notice->setObjectName(u"noticeLabel"_s);
    row->addWidget(m_notice, 1);
    m_cancel = new QPushButton(bar);
    m_cancel->setObjectName(u"cancelButton"_s);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_model.setPending({}); });
    row->addWidget(m_cancel);
    m_apply = new QPushButton(bar);
    m_apply->setObjectName(u"applyButton"_s);
    m_apply->setDefault(true);
    connect(m_apply, &QPushButton::clicked, &m_model, &AppModel::applyPending);
    row->addWidget(m_apply);
    return bar;
}

void MainWindow::retranslate()
{
    m_byAppButton->setText(tr(u"按应用"_s));
    m_byFormatButton->setText(tr(u"按格式"_s));
    m_byAppButton->parentWidget()->setToolTip(tr(u"查看方式"_s));
    m_rolePicker->setToolTip(tr(u"角色"_s));
    m_rolePicker->setItemText(0, tr(u"默认打开方式"_s));
    m_rolePicker->setItemText(1, tr(u"默认查看器"_s));
    m_rolePicker->setItemText(2, tr(u"默认编辑器"_s));
    m_refreshButton->setToolTip(tr(u"刷新应用与关联"_s));
    m_refreshButton->setAccessibleName(tr(u"刷新应用与关联"_s));
    // A combo box is named by its value on some platforms; the description keeps what it chooses.
    m_rolePicker->setAccessibleName(tr(u"角色"_s));
    m_rolePicker->setAccessibleDescription(tr(u"角色"_s));
    m_detailSearch->setAccessibleName(tr(u"搜索格式"_s));
    m_formatTreeView->setAccessibleName(tr(u"格式"_s));
    m_appFormatView->setAccessibleName(tr(u"格式"_s));
    m_candidateView->setAccessibleName(tr(u"打开此格式的应用"_s));
    m_appListView->setAccessibleName(tr(u"应用"_s));
    m_sidebarSearch->setPlaceholderText(m_byApp ? tr(u"搜索应用"_s) : tr(u"搜索格式"_s));
    m_sidebarSearch->setAccessibleName(m_sidebarSearch->placeholderText());
    m_sidebarAddFormat->setText(tr(u"添加格式…"_s));
    m_detailSearch->setPlaceholderText(tr(u"搜索格式"_s));
    m_detailAddFormat->setText(tr(u"添加格式…"_s));
    m_appFormatsEmpty->setText(tr(u"暂无格式，点击“添加格式…”自定义关联。"_s));
    m_appCaption->setText(tr(u"可手动添加应用未声明支持的格式。"_s));
    m_candidatesHeading->setText(tr(u"打开此格式的应用"_s));
    m_chooseOtherApp->setText(tr(u"选择其他应用…"_s));
    m_candidatesEmpty->setText(tr(u"暂无候选应用，请选择其他应用。"_s));
    m_formatCaption->setText(
        PlatformTexts::isMac()
            ? tr(u"推荐来自可更新的格式目录；“需扩展”表示相关功能可能依赖插件。也可浏览 .app 文件。"_s)
            : tr(u"推荐来自可更新的格式目录；“需扩展”表示相关功能可能依赖插件。也可浏览 .desktop 文件。"_s));
    m_cancel->setText(tr(u"取消"_s));
    m_apply->setText(tr(u"应用更改"_s));
    for (QComboBox* picker : {m_sidebarCategory, m_detailCategory})
        picker->setToolTip(tr(u"分类"_s));
    fillCategoryPickers();
    updateDetail();
    updateBottomBar();
    updateAlert();
}

void MainWindow::fillCategoryPickers()
{
    for (QComboBox* picker : {m_sidebarCategory, m_detailCategory}) {
        picker->clear();
        picker->addItem(tr(u"全部分类"_s), u"all"_s);
        for (const FormatCategory& category : m_model.categoryOptions())
            picker->addItem(m_model.categoryName(category.id), category.id);
        picker->addItem(tr(u"其他格式"_s), u"other"_s);
    }
    // A category the new catalog lacks falls back to all.
    setCategory(m_sidebarCategory->findData(m_category) >= 0 ? m_category : u"all"_s);
}

void MainWindow::setCategory(const QString& category)
{
    m_category = category;
    for (QComboBox* picker : {m_sidebarCategory, m_detailCategory})
        picker->setCurrentIndex(picker->findData(category));
    filter([this, category] {
        m_formatTreeProxy->setCategory(category);
        m_appFormatsProxy->setCategory(category);
    });
    updateDetail();
}

void MainWindow::setByApp(bool byApp)
{
    const bool changed = byApp != m_byApp;
    m_byApp = byApp;
    m_byAppButton->setChecked(byApp);
    m_byFormatButton->setChecked(!byApp);
    if (changed) {
        m_sidebarSearch->clear();
        m_detailSearch->clear();
        setCategory(u"all"_s);
    }
    m_sidebarPages->setCurrentIndex(byApp ? 0 : 1);
    m_sidebarSearch->setPlaceholderText(byApp ? tr(u"搜索应用"_s) : tr(u"搜索格式"_s));
    m_sidebarSearch->setAccessibleName(m_sidebarSearch->placeholderText());
    showSelectedApp();
    showSelectedType();
    updateDetail();
}

// A filter only hides rows: the views' current rows, which it moves, never change the selection, and the
// selected row is highlighted again as soon as it shows.
void MainWindow::filter(const std::function<void()>& change)
{
    {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        change();
    }
    showSelectedApp();
    showSelectedType();
}

void MainWindow::showFirst(bool byApp, const std::optional<QString>& selection)
{
    setByApp(byApp);
    if (!selection)
        return;
    if (byApp)
        m_model.setSelectedApp(selection);
    else
        m_model.setSelectedType(selection);
}

void MainWindow::showSelectedApp()
{
    const QModelIndex source = m_appList->indexOfApp(m_model.selectedApp().value_or(QString()));
    const QModelIndex row = m_appListProxy->mapFromSource(source);
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    if (row.isValid()) {
        m_appListView->setCurrentIndex(row);
        m_appListView->scrollTo(row);
    } else {
        m_appListView->selectionModel()->clear();
    }
}

void MainWindow::showSelectedType()
{
    const QModelIndex source = m_formatTree->indexOfType(m_model.selectedType().value_or(QString()));
    const QModelIndex row = m_formatTreeProxy->mapFromSource(source);
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    if (row.isValid()) {
        m_formatTreeView->setCurrentIndex(row);
        m_formatTreeView->scrollTo(row);
    } else {
        m_formatTreeView->selectionModel()->clear();
    }
}

void MainWindow::updateDetail()
{
    const std::optional<InstalledApp> app = m_model.currentApp();
    const std::optional<QString> type = m_model.selectedType();
    if (m_byApp && app) {
        m_appIcon->setPixmap(AppIconCache::icon(*app, 48, devicePixelRatioF()));
        m_appName->setText(app->name);
        m_appSubtitle->setText(tr(u"选择格式，将 {app} 设为默认打开应用"_s, {{u"app"_s, app->name}}));
        const auto types = m_model.index().typesByAppAndCategory.constFind(app->bundleIdentifier);
        const bool empty = types == m_model.index().typesByAppAndCategory.cend() || types->isEmpty();
        m_appFormatsEmpty->setVisible(empty);
        m_detailPages->setCurrentWidget(m_appDetail);
    } else if (!m_byApp && type) {
        m_formatLabel->setFullText(m_model.label(*type));
        m_formatDescription->setText(m_model.description(*type));
        m_formatDefault->setText(tr(u"当前默认：{app}"_s, {{u"app"_s, m_model.defaultName(*type)}}));
        m_explanations->request(*type, m_model.role());
        updateReason();
        m_candidatesEmpty->setVisible(m_candidates->rowCount() == 0);
        m_detailPages->setCurrentWidget(m_formatDetail);
    } else {
        m_placeholder->setText(m_model.busy() ? tr(u"正在扫描…"_s) : tr(u"从左侧选择应用或格式"_s));
        m_detailPages->setCurrentWidget(m_placeholder);
    }
}

void MainWindow::updateReason()
{
    const std::optional<QString> type = m_model.selectedType();
    const auto explanation = type ? m_explanations->explanation(*type, m_model.role()) : std::nullopt;
    // Empty rather than hidden while the answer is on its way, so the list below does not jump.
    if (!explanation) {
        m_formatReason->clear();
        return;
    }
    const HandlerExplanationText::Names names{
        [this](const QString& id) { return m_model.appName(id); },
        [this](const QString& identifier) { return m_model.description(identifier); },
        platform::FileManager::homeDirectoryForCurrentUser().toLocalFile()};
    m_formatReason->setText(HandlerExplanationText::line(*explanation, *type, names, m_model.languageCode()));
}

void MainWindow::updateBottomBar()
{
    const bool busy = m_model.busy();
    m_busyIndicator->setVisible(busy);
    m_status->setVisible(busy);
    m_status->setText(busy ? tr(m_model.busyMessage()) : QString());
    m_stagedButton->setVisible(!busy);
    m_stagedButton->setText(tr(u"待修改 {count} 种格式"_s, {{u"count"_s, QString::number(m_model.pending().size())}}));
    m_stagedButton->setToolTip(tr(u"待修改的格式"_s));
    m_notice->setFullText(busy ? QString() : m_model.notice().value_or(QString()));
    m_cancel->setEnabled(!m_model.pending().isEmpty());
    m_apply->setEnabled(!m_model.pending().isEmpty());
}

// Staged changes belong to one role: changing it with some staged asks before they are dropped.
void MainWindow::chooseRole(AssociationRole role)
{
    if (role == m_model.role())
        return;
    if (m_model.pending().isEmpty()) {
        m_model.setRole(role);
        return;
    }
    m_rolePicker->setCurrentIndex(m_rolePicker->findData(int(m_model.role())));
    auto* question = new QMessageBox(
        QMessageBox::Question, u"Tessik"_s,
        tr(u"更改角色会放弃 {count} 项待修改。要继续吗？"_s, {{u"count"_s, QString::number(m_model.pending().size())}}),
        QMessageBox::NoButton, this);
    question->setObjectName(u"roleQuestion"_s);
    question->setTextFormat(Qt::PlainText);
    question->setWindowModality(Qt::WindowModal);
    question->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* discard = question->addButton(tr(u"放弃并更改角色"_s), QMessageBox::DestructiveRole);
    discard->setObjectName(u"discardButton"_s);
    QPushButton* keep = question->addButton(tr(u"取消"_s), QMessageBox::RejectRole);
    keep->setObjectName(u"keepButton"_s);
    question->setDefaultButton(keep);
    question->setEscapeButton(keep);
    connect(question, &QMessageBox::finished, this, [this, question, discard, role] {
        if (question->clickedButton() == discard)
            m_model.setRole(role);
    });
    question->open();
}

void MainWindow::showStagedChanges()
{
    auto* sheet = new StagedChangesSheet(m_model, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
}

void MainWindow::updateAlert()
{
    if (!m_model.message()) {
        if (m_alert) {
            m_alert->disconnect(this);
            m_alert->close();
            m_alert->deleteLater();
        }
        return;
    }
    if (m_alert) { // the offer of the mail may have changed with the report
        m_alert->disconnect(this);
        m_alert->close();
        m_alert->deleteLater();
    }
    auto* alert =
        new QMessageBox(QMessageBox::Information, u"Tessik"_s, *m_model.message(), QMessageBox::NoButton, this);
    alert->setObjectName(u"messageAlert"_s);
    alert->setTextFormat(Qt::PlainText);
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* mail = nullptr;
    if (m_model.failureReport()) {
        mail = alert->addButton(tr(u"用邮件反馈"_s), QMessageBox::ActionRole);
        mail->setObjectName(u"mailReportButton"_s);
    }
    QPushButton* ok = alert->addButton(tr(u"好"_s), QMessageBox::AcceptRole);
    ok->setObjectName(u"okButton"_s);
    alert->setDefaultButton(ok);
    connect(alert, &QMessageBox::finished, this, [this, alert, mail, ok] {
        m_alert = nullptr;
        QAbstractButton* clicked = alert->clickedButton();
        if (mail && clicked == mail)
            m_model.composeFailureEmail();
        else if (clicked == ok)
            m_model.dismissMessage();
        else
            m_model.clearMessage();
        // A mail that could not be handed over leaves a message to show.
        if (m_model.message() && !m_alert)
            updateAlert();
    });
    m_alert = alert;
    alert->open();
}

} // namespace tessik::ui
