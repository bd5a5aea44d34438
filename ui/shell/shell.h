#pragma once

#include "confirmation_prompt.h"
#include "ui/settings/qt_translations.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QMainWindow;
class QMenu;

namespace tessik::ui {

class HistoryWindow;
class SettingsWindow;

// What the operating system starts: the one main window, the menus, the about panel, the settings window and the
// system's confirmation question.
class Shell : public QObject
{
    Q_OBJECT

public:
    using WindowFactory = std::function<QMainWindow*()>;

    static inline const QUrl website = QUrl(QStringLiteral("https://tessik.app"));

    // The factory is called once, for the only main window there is.
    explicit Shell(WindowFactory makeMainWindow, QObject* parent = nullptr);
    ~Shell() override;

    // Sets the application icon, installs the confirmation and shows the main window.
    void launch();
    QMainWindow* mainWindow();
    // The one settings window, created on first use.
    SettingsWindow* showSettings();
    void showAbout();
    // The one history window of the main window's model, created on first use.
    HistoryWindow* showHistory();
    void openWebsite();
    // Answers every waiting question no and closes the main window with its model, so no thread is left waiting.
    void shutdown();

    ConfirmationPrompt& confirmation() { return m_confirmation; }
    QAction* aboutAction() const { return m_about; }
    QAction* settingsAction() const { return m_settings; }
    QAction* quitAction() const { return m_quit; }
    QAction* websiteAction() const { return m_website; }
    QAction* undoAction() const { return m_undo; }
    QAction* historyAction() const { return m_history; }

private:
    void buildMenus(QMainWindow* window);
    void retranslate();

    WindowFactory m_makeMainWindow;
    std::unique_ptr<QMainWindow> m_mainWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<HistoryWindow> m_historyWindow;
    ConfirmationPrompt m_confirmation;
    QtTranslations m_qtTranslations;
    QMenu* m_applicationMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_about = nullptr;
    QAction* m_settings = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_website = nullptr;
    QMenu* m_editMenu = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_history = nullptr;
};

} // namespace tessik::ui
