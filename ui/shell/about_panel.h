#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace tessik::ui {

// The standard about panel: the program's name, version and artwork, and two centred lines of credits.
class AboutPanel
{
public:
    // Opens without blocking and deletes itself when closed.
    static QMessageBox* show(const QString& language, QWidget* parent = nullptr);
};

} // namespace tessik::ui
