#include "platform/X11ColorSampler.h"

#include "platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace {

// The frozen screen, shown 1:1, with a magnifier beside the pointer.
class ColorOverlay final : public QWidget {
public:
    using Finished = std::function<void(const BrimSampledColor &)>;

    ColorOverlay(QImage shot, const QRect &geometry, Finished finished)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               | Qt::X11BypassWindowManagerHint)
        , m_shot(std::move(shot))
        , m_finished(std::move(finished))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setWindowTitle(QCoreApplication::translate("X11ColorSampler", "Pick a color"));
        setAccessibleName(windowTitle());
        setCursor(Qt::CrossCursor);
        setMouseTracking(true);
        setGeometry(geometry);
    }

    // Override-redirect windows get no focus from a window manager, so the
    // keyboard (for Escape) and the pointer are grabbed once the window is
    // viewable, which happens a little after show().
    void grabInput(int attemptsLeft = 50)
    {
        QWindow *window = windowHandle();
        const bool grabbed = window && window->setKeyboardGrabEnabled(true) && window->setMouseGrabEnabled(true);
        if (grabbed)
            return;
        if (attemptsLeft == 0) {
            qCWarning(lcPlatform) << "color overlay: cannot grab the keyboard and pointer";
            return;
        }
        QTimer::singleShot(20, this, [this, attemptsLeft] { grabInput(attemptsLeft - 1); });
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), m_shot);
        if (m_pointer)
            paintMagnifier(painter, *m_pointer);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        m_pointer = event->position().toPoint();
        update();
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const QRgb pixel = pixelAt(event->position().toPoint());
        finish({BrimSampledColor::Outcome::picked,
                std::array{qRed(pixel) / 255.0, qGreen(pixel) / 255.0, qBlue(pixel) / 255.0}});
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            finish({BrimSampledColor::Outcome::cancelled, std::nullopt});
    }

private:
    QRgb pixelAt(const QPoint &point) const
    {
        const QPoint pixel = (QPointF(point) * m_shot.devicePixelRatio()).toPoint();
        return m_shot.pixel(std::clamp(pixel.x(), 0, m_shot.width() - 1), std::clamp(pixel.y(), 0, m_shot.height() - 1));
    }

    void paintMagnifier(QPainter &painter, const QPoint &point)
    {
        constexpr int cells = 11;
        constexpr int cell = 9;
        constexpr int side = cells * cell;
        QRect box(point + QPoint(16, 16), QSize(side, side));
        // Keep it on screen: flip to the other side of the pointer near an edge.
        if (box.right() > width())
            box.moveRight(point.x() - 16);
        if (box.bottom() > height())
            box.moveBottom(point.y() - 16);
        const QPoint pixel = (QPointF(point) * m_shot.devicePixelRatio()).toPoint();
        const QRect source(pixel - QPoint(cells / 2, cells / 2), QSize(cells, cells));
        painter.fillRect(box, Qt::black);
        painter.drawImage(box, m_shot.copy(source));
        // Two-tone frames stay visible on light and dark pixels alike.
        const QRect centre(box.topLeft() + QPoint(cells / 2 * cell, cells / 2 * cell), QSize(cell, cell));
        for (const auto &[color, inset] : {std::pair{Qt::black, 0}, std::pair{Qt::white, 1}}) {
            painter.setPen(QPen(color, 1));
            painter.drawRect(box.adjusted(inset, inset, -1 - inset, -1 - inset));
            painter.drawRect(centre.adjusted(-1 + inset, -1 + inset, -inset, -inset));
        }
    }

    void finish(const BrimSampledColor &sample)
    {
        if (!m_finished)
            return;
        hide();
        std::exchange(m_finished, {})(sample);
    }

    QImage m_shot;
    Finished m_finished;
    std::optional<QPoint> m_pointer;
};

} // namespace

X11ColorSampler::X11ColorSampler() = default;

X11ColorSampler::~X11ColorSampler()
{
    delete m_overlay.data();
}

void X11ColorSampler::pick(Done done)
{
    if (m_overlay) {
        answerLater(std::move(done), {BrimSampledColor::Outcome::cancelled, std::nullopt});
        return;
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        qCWarning(lcPlatform) << "no screen color picking on platform" << QGuiApplication::platformName();
        answerLater(std::move(done), {BrimSampledColor::Outcome::unavailable, std::nullopt});
        return;
    }
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QPixmap shot = screen ? screen->grabWindow(0) : QPixmap();
    if (shot.isNull()) {
        qCWarning(lcPlatform) << "cannot grab the screen to pick a color";
        answerLater(std::move(done), {BrimSampledColor::Outcome::unavailable, std::nullopt});
        return;
    }
    m_done = std::move(done);
    auto *overlay = new ColorOverlay(shot.toImage().convertToFormat(QImage::Format_RGB32), screen->geometry(),
                                     [this](const BrimSampledColor &sample) { finish(sample); });
    m_overlay = overlay;
    overlay->show();
    overlay->raise();
    overlay->grabInput();
}

void X11ColorSampler::finish(const BrimSampledColor &sample)
{
    // Called from the overlay's own event handler: it goes away later, and
    // the answer (which may end our owner, and us) waits for the event loop.
    if (m_overlay)
        m_overlay->deleteLater();
    m_overlay.clear();
    answerLater(std::exchange(m_done, {}), sample);
}

void X11ColorSampler::answerLater(Done done, const BrimSampledColor &sample)
{
    if (!done)
        return;
    QMetaObject::invokeMethod(this, [done = std::move(done), sample] { done(sample); }, Qt::QueuedConnection);
}
