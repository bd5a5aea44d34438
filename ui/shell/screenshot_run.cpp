#include "screenshot_run.h"

#include "core/support/start_timeline.h"
#include "ui/main/main_window.h"

#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>

namespace tessik::ui {
namespace {

// Qt maps a PNG's quality onto zlib's levels; 80 is level 1.
constexpr int fastPngQuality = 80;

} // namespace

ScreenshotRun::ScreenshotRun(MainWindow& window, ProgramOptions options, SheetOpener openSheet, QObject* parent)
    : QObject(parent), m_window(window), m_options(std::move(options)), m_openSheet(std::move(openSheet))
{
}

void ScreenshotRun::start()
{
    m_window.setCatalogUpdatesEnabled(false);
    m_window.resize(1100, 680);
    m_window.showFirst(!m_options.byFormat, m_options.select);
    // The first refresh may be under way already.
    m_started = m_window.model().busy();
    connect(&m_window.model(), &AppModel::busyChanged, this, [this] {
        if (m_window.model().busy())
            m_started = true;
        else if (m_started)
            loaded();
    });
    m_window.show();
}

void ScreenshotRun::loaded()
{
    disconnect(&m_window.model(), nullptr, this, nullptr);
    // Views follow the model on the next turn of the event loop; the sheet opens over what they show.
    QTimer::singleShot(0, this, [this] {
        // The format detail's reason arrives from the background; the picture waits for it.
        if (m_window.explanations().isLoading()) {
            connect(&m_window.explanations(), &ExplanationLoader::changed, this, &ScreenshotRun::loaded,
                    Qt::SingleShotConnection);
            return;
        }
        if (m_options.sheet == ProgramOptions::Sheet::none) {
            capture(nullptr);
            return;
        }
        m_openSheet(m_options.sheet).then(this, [this](QWidget* sheet) {
            QTimer::singleShot(0, this, [this, sheet] { capture(sheet); });
        });
    });
}

void ScreenshotRun::capture(QWidget* sheet)
{
    markStart("catalog shown");
    QPixmap picture = m_window.grab();
    markStart("picture grabbed");
    if (sheet) {
        const QPixmap over = sheet->grab();
        QPainter painter(&picture);
        const qreal ratio = picture.devicePixelRatio();
        const QSizeF window = QSizeF(picture.size()) / ratio;
        const QSizeF size = QSizeF(over.size()) / over.devicePixelRatio();
        const QRectF target(QPointF((window.width() - size.width()) / 2, (window.height() - size.height()) / 2), size);
        painter.fillRect(QRectF(QPointF(), window), QColor(0, 0, 0, 40));
        painter.fillRect(target.translated(0, 3).adjusted(-2, -2, 2, 2), QColor(0, 0, 0, 50));
        painter.drawPixmap(target, over, over.rect());
    }
    // An image, unlike a pixmap, may be used on another thread.
    m_saved = QtConcurrent::run([image = picture.toImage(), file = m_options.screenshot] {
        // The fastest compression level: the default takes half again as long for a picture of a window no smaller.
        const bool saved = image.save(file, "PNG", fastPngQuality);
        markStart("picture saved");
        return saved;
    });
    Q_EMIT captured();
}

int ScreenshotRun::waitForPicture()
{
    if (m_saved.isValid() && m_saved.result())
        return 0;
    std::fprintf(stderr, "tessik: could not write %s\n", qPrintable(m_options.screenshot));
    return 1;
}

} // namespace tessik::ui
