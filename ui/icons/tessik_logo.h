#pragma once

#include <QPixmap>
#include <QWidget>

namespace tessik::ui {

// The product's artwork, scaled to fit; a tile with the initial when the artwork is missing.
class TessikLogo : public QWidget
{
    Q_OBJECT

public:
    explicit TessikLogo(QWidget* parent = nullptr);

    // The artwork from the program's resources, loaded once; null when missing.
    static const QPixmap& artwork();

    QSize sizeHint() const override { return {30, 30}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tessik::ui
