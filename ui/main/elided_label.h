#pragma once

#include <QLabel>

namespace tessik::ui {

// One line that never cuts a text silently: what does not fit ends in an ellipsis, and the tooltip and the
// accessible name carry the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    const QString& fullText() const { return m_text; }
    void setFullText(const QString& text);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString m_text;
};

} // namespace tessik::ui
