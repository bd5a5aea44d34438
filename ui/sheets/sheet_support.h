#pragma once

#include <QFont>
#include <QFuture>
#include <QLabel>
#include <QObject>

#include <exception>
#include <functional>

class QDialog;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// What both sheets share: how they look and how they wait for the model.
class SheetSupport
{
public:
    // The second-level title: bold, larger than the platform's default font.
    static QFont titleFont(const QFont& base);
    // A wrapped label in red, hidden until it has a text.
    static QLabel* makeErrorLabel(QWidget* parent);
    static void showError(QLabel* label, const QString& text);
    // Window-modal, a sheet where the platform has them.
    static void makeSheet(QDialog* dialog);
    // Disabled while the model is busy, as the window's content is, so nothing changes the catalog meanwhile.
    static void followBusy(QDialog* dialog, const AppModel& model);
    // Calls one of the two on the context's thread once the future ends; nothing when the context is gone.
    static void whenDone(const QFuture<void>& future, QObject* context, std::function<void()> succeeded,
                         std::function<void(const std::exception_ptr&)> failed);
};

} // namespace tessik::ui
