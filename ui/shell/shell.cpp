#include "shell.h"

#include "about_panel.h"
#include "app/l10n/l10n.h"
#include "ui/history/history_window.h"
#include "ui/history/restore_question.h"
#include "ui/icons/tessik_logo.h"
#include "ui/main/main_window.h"
#include "ui/settings/language_setting.h"
#include "ui/settings/settings_window.h"
#include "url_opener.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace tessik::ui {

Shell::Shell(WindowFactory makeMainWindow, QObject* parent)
    : QObject(parent), m_makeMainWindow(std::move(makeMainWindow))
{
    connect(&LanguageSetting::shared(), &LanguageSetting::changed, this, &Shell::retranslate);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Shell::shutdown);
}

Shell::~Shell()
{
    shutdown();
}

void Shell::launch()
{
    if (const QPixmap& artwork = TessikLogo::artwork(); !artwork.isNull())
        QApplication::setWindowIcon(QIcon(artwork));
    m_confirmation.install();
    QMainWindow* window = mainWindow();
    if (window)
        window->show();
}

QMainWindow* Shell::mainWindow()
{
    if (!m_mainWindow && m_makeMainWindow) {
        m_mainWindow.reset(m_makeMainWindow());
        if (m_mainWindow) {
            buildMenus(m_mainWindow.get());
            m_confirmation.setWindow(m_mainWindow.get());
        }
    }
    return m_mainWindow.get();
}

void Shell::buildMenus(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();
    m_applicationMenu = bar->addMenu(QString());
    m_applicationMenu->setObjectName(u"applicationMenu"_s);
    m_about = m_applicationMenu->addAction(QString(), this, &Shell::showAbout);
    m_about->setObjectName(u"about"_s);
    m_about->setMenuRole(QAction::AboutRole);
    m_settings = m_applicationMenu->addAction(QString(), this, [this] { showSettings(); });
    m_settings->setObjectName(u"settings"_s);
    m_settings->setMenuRole(QAction::PreferencesRole);
    m_settings->setShortcut(QKeySequence::Preferences);
    m_quit = m_applicationMenu->addAction(QString(), qApp, &QApplication::quit);
    m_quit->setObjectName(u"quit"_s);
    m_quit->setMenuRole(QAction::QuitRole);
    // Ctrl+Q, which is ⌘Q on a Mac: not every desktop theme binds the standard key.
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    if (auto* main = qobject_cast<MainWindow*>(window)) {
        m_editMenu = bar->addMenu(QString());
        m_editMenu->setObjectName(u"editMenu"_s);
        m_undo = m_editMenu->addAction(QString(), this, [main] { RestoreQuestion::undoLast(main->model(), main); });
        m_undo->setObjectName(u"undoLastChange"_s);
        // Ctrl+Z, ⌘Z on a Mac; a text field with the focus keeps the key for its own text.
        m_undo->setShortcut(QKeySequence::Undo);
        m_history = m_editMenu->addAction(QString(), this, [this] { showHistory(); });
        m_history->setObjectName(u"history"_s);
        // Ctrl+Y, ⌘Y on a Mac, as browsers show their history.
        m_history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
        const AppModel& model = main->model();
        connect(&model, &AppModel::busyChanged, m_undo, [this, &model] { m_undo->setEnabled(!model.busy()); });
    }
    m_helpMenu = bar->addMenu(QString());
    m_helpMenu->setObjectName(u"helpMenu"_s);
    m_website = m_helpMenu->addAction(QString(), this, &Shell::openWebsite);
    m_website->setObjectName(u"website"_s);
    retranslate();
}

void Shell::retranslate()
{
    if (!m_applicationMenu)
        return;
    const QString language = LanguageSetting::shared().code();
    m_applicationMenu->setTitle(u"Tessik"_s);
    m_about->setText(L10n::text(u"关于 Tessik"_s, language));
    m_settings->setText(L10n::text(u"设置…"_s, language));
    m_quit->setText(L10n::text(u"退出 Tessik"_s, language));
    if (m_editMenu) {
        m_editMenu->setTitle(L10n::text(u"编辑"_s, language));
        m_undo->setText(L10n::text(u"撤销上次更改"_s, language));
        m_history->setText(L10n::text(u"历史记录…"_s, language));
    }
    m_helpMenu->setTitle(L10n::text(u"帮助"_s, language));
    m_website->setText(L10n::text(u"Tessik 官网"_s, language));
}

SettingsWindow* Shell::showSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow = std::make_unique<SettingsWindow>();
        // The language does not change under a running operation, as nothing in the main window does.
        if (auto* window = qobject_cast<MainWindow*>(m_mainWindow.get())) {
            const AppModel& model = window->model();
            m_settingsWindow->setBusy(model.busy());
            connect(&model, &AppModel::busyChanged, m_settingsWindow.get(),
                    [settings = m_settingsWindow.get(), &model] { settings->setBusy(model.busy()); });
        }
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    return m_settingsWindow.get();
}

HistoryWindow* Shell::showHistory()
{
    auto* window = qobject_cast<MainWindow*>(mainWindow());
    if (!window)
        return nullptr;
    if (!m_historyWindow)
        m_historyWindow = std::make_unique<HistoryWindow>(window->model());
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
    return m_historyWindow.get();
}

void Shell::showAbout()
{
    AboutPanel::show(LanguageSetting::shared().code(), m_mainWindow.get());
}

void Shell::openWebsite()
{
    if (website.isValid())
        UrlOpener::open(website);
}

void Shell::shutdown()
{
    m_confirmation.shutdown();
    m_settingsWindow.reset();
    // Before the model it shows.
    m_historyWindow.reset();
    m_mainWindow.reset();
}

} // namespace tessik::ui
