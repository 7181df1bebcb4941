#include "shell/BrimkitStatusIcon.h"

#include "shell/BrimSymbols.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// A fired alarm sits on a red badge; this red keeps 3:1 against black and white.
const QColor badgeRed(0xd7, 0x00, 0x15);

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

QImage blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

int haloRadius(int size) { return std::max(1, size / 16); }

// Paints layer on a halo: first the layer's shapes in the halo colour,
// shifted to every whole-pixel offset within radius. Narrow gaps inside a
// shape (the check cut out of a filled circle) take the halo colour too.
void drawWithHalo(QPainter &painter, const QImage &layer, const QColor &halo, int radius)
{
    QImage outline = layer;
    QPainter tint(&outline);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(outline.rect(), halo);
    tint.end();
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if ((dx || dy) && dx * dx + dy * dy <= radius * radius + radius)
                painter.drawImage(dx, dy, outline);
        }
    }
    painter.drawImage(0, 0, layer);
}

// The ten digits as outlines in tabular cells: each centred in a cell as wide
// as the widest digit, top at 0, so a number never shifts as it counts down.
struct DigitOutlines {
    QString family;
    std::array<QPainterPath, 10> paths;
    qreal cell = 1;
    qreal height = 1;
};

const DigitOutlines &digitOutlines()
{
    static DigitOutlines digits;
    QFont font = QGuiApplication::font();
    if (digits.family == font.family() && !digits.paths[0].isEmpty())
        return digits;
    digits = {};
    digits.family = font.family();
    font.setWeight(QFont::Bold);
    font.setPixelSize(100);
    const QFontMetricsF metrics(font);
    std::array<qreal, 10> advances{}, tops{}, bottoms{};
    for (int d = 0; d < 10; ++d) {
        const QString text(QChar(u'0' + d));
        digits.paths[d].addText(0, 0, font, text);
        advances[d] = metrics.horizontalAdvance(text);
        tops[d] = digits.paths[d].boundingRect().top();
        bottoms[d] = digits.paths[d].boundingRect().bottom();
    }
    // Flat digits (1, 4, 7…) set the height; round ones overshoot it a little,
    // as they do in print, and the flat edges land on whole pixels.
    std::nth_element(tops.begin(), tops.begin() + 5, tops.end());
    std::nth_element(bottoms.begin(), bottoms.begin() + 5, bottoms.end());
    digits.cell = *std::max_element(advances.begin(), advances.end());
    digits.height = std::max<qreal>(bottoms[5] - tops[5], 1);
    for (int d = 0; d < 10; ++d)
        digits.paths[d].translate((digits.cell - advances[d]) / 2, -tops[5]);
    return digits;
}

// The minutes as a number half the slot's height, narrowed to fit maxWidth,
// after a pause mark of the same height when paused; the row is centred.
QPainterPath numberRow(const BrimkitStatusGlyph &glyph, int size, qreal maxWidth)
{
    const DigitOutlines &digits = digitOutlines();
    const QString text = glyph.minutes > 0 ? QString::number(glyph.minutes) : QString();
    const int height = (size + 1) / 2;
    const qreal bar = std::max(2.0, std::round(size / 11.0));
    const qreal mark = glyph.paused ? 3 * bar : 0;
    const qreal gap = glyph.paused && !text.isEmpty() ? bar : 0;
    const qreal scaleY = height / digits.height;
    const qreal scaleX = text.isEmpty() ? scaleY : std::min(scaleY, (maxWidth - mark - gap) / (text.size() * digits.cell));
    const qreal width = mark + gap + text.size() * digits.cell * scaleX;
    const qreal left = std::round((size - width) / 2);
    const qreal top = std::floor((size - height) / 2.0);
    QPainterPath row;
    if (glyph.paused) {
        row.addRect(QRectF(left, top, bar, height));
        row.addRect(QRectF(left + 2 * bar, top, bar, height));
    }
    QTransform place;
    place.translate(left + mark + gap, top);
    place.scale(scaleX, scaleY);
    for (int i = 0; i < text.size(); ++i)
        row.addPath(place.map(digits.paths[text[i].digitValue()].translated(i * digits.cell, 0)));
    return row;
}

QImage countdownImage(const BrimkitStatusGlyph &glyph, int size, const QColor &ink, const QColor &halo)
{
    const int radius = haloRadius(size);
    const qreal stroke = size / 11.0;
    const qreal ring = size / 2.0 - radius - stroke / 2;
    const QRectF circle(size / 2.0 - ring, size / 2.0 - ring, 2 * ring, 2 * ring);
    const qreal left = std::clamp(double(glyph.ringFilled) / std::max(glyph.ringSteps, 1), 0.0, 1.0);
    // Paused reads like the title: a pause mark before the minutes, no ring.
    const bool ringShown = !(glyph.paused && glyph.minutes > 0);

    QImage result = blank(size);
    QPainter painter(&result);
    if (ringShown) {
        // The spent part as a faint track without a halo, then the part left
        // from twelve o'clock clockwise in ink.
        QImage arcLayer = blank(size);
        QPainter arcPainter(&arcLayer);
        for (QPainter *p : {&painter, &arcPainter})
            p->setRenderHint(QPainter::Antialiasing);
        QColor track = ink;
        track.setAlphaF(0.3f);
        QPainterPath spent, arc;
        spent.arcMoveTo(circle, 90 - 360 * left);
        spent.arcTo(circle, 90 - 360 * left, -360 * (1 - left));
        painter.strokePath(spent, QPen(track, std::max(1.0, stroke / 2), Qt::SolidLine, Qt::FlatCap));
        arc.arcMoveTo(circle, 90);
        arc.arcTo(circle, 90, -360 * left);
        arcPainter.strokePath(arc, QPen(ink, stroke, Qt::SolidLine, Qt::FlatCap));
        arcPainter.end();
        drawWithHalo(painter, arcLayer, halo, radius);
    }
    // After the ring, so the halo cuts the ring where three digits or the
    // pause mark reach over it.
    const qreal inside = 2 * (ring - stroke / 2 - radius);
    QImage rowLayer = blank(size);
    QPainter rowPainter(&rowLayer);
    rowPainter.setRenderHint(QPainter::Antialiasing);
    rowPainter.fillPath(numberRow(glyph, size, glyph.minutes >= 100 || !ringShown ? size - 2.0 * radius : inside), ink);
    rowPainter.end();
    drawWithHalo(painter, rowLayer, halo, radius);
    return result;
}

QImage symbolImage(const BrimkitStatusGlyph &glyph, int size, const QColor &ink, const QColor &halo)
{
    const int radius = haloRadius(size);
    const int inner = size - 2 * radius;
    QImage layer = blank(size);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        if (glyph.kind == BrimkitStatusGlyph::Kind::alarmFired) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(badgeRed);
            painter.drawEllipse(QRectF(radius, radius, inner, inner));
            const int bell = qRound(inner * 0.7);
            const int at = (size - bell) / 2;
            painter.drawPixmap(at, at, BrimSymbols::pixmap(glyph.symbol, bell, Qt::white));
        } else {
            painter.drawPixmap(radius, radius, BrimSymbols::pixmap(glyph.symbol, inner, ink));
        }
    }
    QImage result = blank(size);
    QPainter painter(&result);
    drawWithHalo(painter, layer, halo, radius);
    painter.end();
    return result;
}

// Draws a size when a host first asks for it, exactly at that size: an
// XEmbed tray paints one size, a StatusNotifierItem host takes the listed ones.
class StatusIconEngine final : public QIconEngine {
public:
    StatusIconEngine(BrimkitStatusGlyph glyph, QColor ink) : m_glyph(std::move(glyph)), m_ink(ink) {}

    QIconEngine *clone() const override { return new StatusIconEngine(*this); }
    QString key() const override { return QStringLiteral("BrimkitStatusIcon"); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> list;
        for (int size : BrimkitStatusIcon::sizes)
            list.append(QSize(size, size));
        return list;
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::max(1, std::min(size.width(), size.height()));
        QPixmap &drawn = m_drawn[side];
        if (drawn.isNull())
            drawn = QPixmap::fromImage(BrimkitStatusIcon::image(m_glyph, side, m_ink));
        return drawn;
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const int side = std::min(rect.width(), rect.height());
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap drawn = pixmap(QSize(side, side) * ratio, mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(QPointF(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0), drawn);
    }

private:
    BrimkitStatusGlyph m_glyph;
    QColor m_ink;
    std::map<int, QPixmap> m_drawn;
};

} // namespace

QColor BrimkitStatusIcon::haloFor(const QColor &ink)
{
    // Where contrast with black equals contrast with white.
    return luminance(ink) > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

QImage BrimkitStatusIcon::image(const BrimkitStatusGlyph &glyph, int size, const QColor &ink)
{
    const QColor halo = haloFor(ink);
    if (glyph.kind == BrimkitStatusGlyph::Kind::countdown)
        return countdownImage(glyph, size, ink, halo);
    return symbolImage(glyph, size, ink, halo);
}

QIcon BrimkitStatusIcon::icon(const BrimkitStatusGlyph &glyph, const QColor &ink)
{
    return QIcon(new StatusIconEngine(glyph, ink));
}
