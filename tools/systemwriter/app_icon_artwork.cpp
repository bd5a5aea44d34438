#include "app_icon_artwork.h"

#include <QBuffer>
#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

// Glyphs are drawn on a 100 × 100 canvas: the tile covers 4…96, the glyph roughly 18…82.
struct Canvas
{
    QPainter& painter;
    QColor base;
    QColor accent;

    // Between the base and the accent, for the second tone of a glyph.
    QColor middle() const
    {
        return QColor::fromRgbF((base.redF() + accent.redF()) / 2, (base.greenF() + accent.greenF()) / 2,
                                (base.blueF() + accent.blueF()) / 2);
    }
    void fill(const QPainterPath& path, const QColor& colour) const { painter.fillPath(path, colour); }
    void fill(const QPainterPath& path) const { fill(path, accent); }
    void fillPolygon(const QList<QPointF>& points, const QColor& colour) const
    {
        QPainterPath path;
        path.addPolygon(QPolygonF(points));
        path.closeSubpath();
        fill(path, colour);
    }
    void fillPolygon(const QList<QPointF>& points) const { fillPolygon(points, accent); }
    void rounded(const QRectF& rect, qreal radius, const QColor& colour) const
    {
        QPainterPath path;
        path.addRoundedRect(rect, radius, radius);
        fill(path, colour);
    }
    void rounded(const QRectF& rect, qreal radius) const { rounded(rect, radius, accent); }
    void stroke(const QPainterPath& path, qreal width, const QColor& colour) const
    {
        painter.strokePath(path, QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    void stroke(const QPainterPath& path, qreal width) const { stroke(path, width, accent); }
    void polyline(const QList<QPointF>& points, qreal width, const QColor& colour) const
    {
        QPainterPath path(points.constFirst());
        for (qsizetype i = 1; i < points.size(); ++i)
            path.lineTo(points[i]);
        stroke(path, width, colour);
    }
    void polyline(const QList<QPointF>& points, qreal width) const { polyline(points, width, accent); }
    void ellipse(const QPointF& centre, qreal rx, qreal ry, const QColor& colour) const
    {
        QPainterPath path;
        path.addEllipse(centre, rx, ry);
        fill(path, colour);
    }
    void ellipse(const QPointF& centre, qreal rx, qreal ry) const { ellipse(centre, rx, ry, accent); }
    void ring(const QPointF& centre, qreal radius, qreal width) const
    {
        QPainterPath path;
        path.addEllipse(centre, radius, radius);
        stroke(path, width);
    }
};

QPainterPath pagePath(const QRectF& page)
{
    const qreal fold = page.width() * 0.3;
    QPainterPath path(page.topLeft());
    path.lineTo(page.right() - fold, page.top());
    path.lineTo(page.right(), page.top() + fold);
    path.lineTo(page.bottomRight());
    path.lineTo(page.bottomLeft());
    path.closeSubpath();
    return path;
}

void page(const Canvas& c, const QRectF& rect)
{
    c.fill(pagePath(rect));
    const qreal fold = rect.width() * 0.3;
    c.fillPolygon({{rect.right() - fold, rect.top()},
                   {rect.right() - fold, rect.top() + fold},
                   {rect.right(), rect.top() + fold}},
                  c.middle());
    for (qreal y = rect.top() + rect.height() * 0.38; y < rect.bottom() - 8; y += rect.height() * 0.15)
        c.rounded({rect.left() + 7, y, rect.width() - 14, 4.5}, 2, c.base);
}

// Draws in a frame turned by `degrees` about the canvas centre.
void turned(const Canvas& c, qreal degrees, const std::function<void()>& draw)
{
    c.painter.save();
    c.painter.translate(50, 50);
    c.painter.rotate(degrees);
    draw();
    c.painter.restore();
}

using Glyph = std::function<void(const Canvas&)>;

const QHash<QString, Glyph>& glyphs()
{
    static const QHash<QString, Glyph> table{
        {u"page"_s,
         [](const Canvas& c) {
             page(c, {28, 16, 44, 68});
         }},
        {u"pages"_s,
         [](const Canvas& c) {
             QPainterPath back = pagePath({38, 14, 40, 58});
             c.fill(back, c.middle());
             page(c, {22, 26, 40, 58});
         }},
        {u"brackets"_s,
         [](const Canvas& c) {
             c.polyline({{36, 30}, {20, 50}, {36, 70}}, 9);
             c.polyline({{64, 30}, {80, 50}, {64, 70}}, 9);
             c.polyline({{56, 26}, {44, 74}}, 8);
         }},
        {u"layers"_s,
         [](const Canvas& c) {
             for (int i = 0; i < 3; ++i) {
                 const qreal y = 24 + i * 18;
                 const qreal rise = i % 2 == 0 ? 8 : -8;
                 c.fillPolygon({{24, y + 8 + rise}, {76, y + 8 - rise}, {76, y + 20 - rise}, {24, y + 20 + rise}});
             }
         }},
        {u"gear"_s,
         [](const Canvas& c) {
             QPainterPath gear;
             gear.addEllipse(QPointF(50, 50), 25, 25);
             for (int i = 0; i < 8; ++i) {
                 QPainterPath tooth;
                 tooth.addRoundedRect(-6.5, -35, 13, 20, 2, 2);
                 gear = gear.united(QTransform().translate(50, 50).rotate(i * 45).map(tooth));
             }
             QPainterPath hole;
             hole.addEllipse(QPointF(50, 50), 10, 10);
             c.fill(gear.subtracted(hole));
         }},
        {u"hammer"_s,
         [](const Canvas& c) {
             turned(c, -40, [&] {
                 c.rounded({-5.5, -14, 11, 50}, 4);
                 c.rounded({-24, -32, 48, 18}, 4);
                 c.rounded({-24, -32, 10, 18}, 2, c.middle());
             });
         }},
        {u"magnifier"_s,
         [](const Canvas& c) {
             c.ring({44, 44}, 19, 9);
             c.polyline({{59, 59}, {76, 76}}, 12);
         }},
        {u"play"_s,
         [](const Canvas& c) {
             QPainterPath triangle(QPointF(36, 26));
             triangle.lineTo(36, 74);
             triangle.lineTo(76, 50);
             triangle.closeSubpath();
             c.fill(triangle);
             c.stroke(triangle, 8);
         }},
        {u"film"_s,
         [](const Canvas& c) {
             c.rounded({22, 18, 56, 64}, 4);
             for (int i = 0; i < 5; ++i) {
                 c.rounded({26, 22 + i * 12.5, 7, 7}, 1.5, c.base);
                 c.rounded({67, 22 + i * 12.5, 7, 7}, 1.5, c.base);
             }
             c.rounded({38, 24, 24, 22}, 2, c.middle());
             c.rounded({38, 54, 24, 22}, 2, c.middle());
         }},
        {u"cone"_s,
         [](const Canvas& c) {
             QPainterPath cone(QPointF(45, 16));
             cone.lineTo(55, 16);
             cone.lineTo(72, 72);
             cone.lineTo(28, 72);
             cone.closeSubpath();
             c.fill(cone);
             c.painter.save();
             c.painter.setClipPath(cone);
             c.painter.fillRect(QRectF(20, 33, 60, 9), Qt::white);
             c.painter.fillRect(QRectF(20, 52, 60, 9), Qt::white);
             c.painter.restore();
             c.rounded({20, 70, 60, 12}, 4, c.accent.darker(125));
         }},
        {u"note"_s,
         [](const Canvas& c) {
             c.rounded({38, 26, 7, 46}, 2);
             c.rounded({68, 20, 7, 44}, 2);
             c.fillPolygon({{38, 26}, {75, 18}, {75, 30}, {38, 38}});
             c.painter.save();
             c.painter.translate(34, 72);
             c.painter.rotate(-20);
             c.ellipse({0, 0}, 12, 9);
             c.painter.restore();
             c.painter.save();
             c.painter.translate(64, 64);
             c.painter.rotate(-20);
             c.ellipse({0, 0}, 12, 9);
             c.painter.restore();
         }},
        {u"waves"_s,
         [](const Canvas& c) {
             c.ellipse({50, 50}, 32, 32);
             for (int i = 0; i < 3; ++i) {
                 const qreal y = 40 + i * 11;
                 const qreal inset = i * 4;
                 QPainterPath wave(QPointF(30 + inset, y));
                 wave.quadTo(50, y - 9 + i * 1.5, 70 - inset, y + 4);
                 c.stroke(wave, 7 - i * 1.2, c.base);
             }
         }},
        {u"table"_s,
         [](const Canvas& c) {
             c.rounded({20, 24, 60, 52}, 4);
             c.rounded({20, 24, 60, 12}, 4, c.middle());
             for (const qreal x : {38.0, 59.0})
                 c.painter.fillRect(QRectF(x, 24, 3, 52), c.base);
             for (const qreal y : {36.0, 49.0, 62.0})
                 c.painter.fillRect(QRectF(20, y, 60, 3), c.base);
         }},
        {u"pie"_s,
         [](const Canvas& c) {
             const QRectF box(20, 24, 56, 56);
             QPainterPath rest(box.center());
             rest.arcTo(box, 90, 270);
             rest.closeSubpath();
             c.fill(rest);
             const QRectF moved = box.translated(6, -6);
             QPainterPath slice(moved.center());
             slice.arcTo(moved, 0, 90);
             slice.closeSubpath();
             c.fill(slice, c.middle());
         }},
        {u"pencil"_s,
         [](const Canvas& c) {
             turned(c, 45, [&] {
                 c.rounded({-9, -38, 18, 10}, 3, c.middle());
                 c.painter.fillRect(QRectF(-9, -26, 18, 40), c.accent);
                 c.fillPolygon({{-9, 16}, {9, 16}, {0, 36}});
                 c.fillPolygon({{-3.5, 28}, {3.5, 28}, {0, 36}}, c.base);
             });
         }},
        {u"bars"_s,
         [](const Canvas& c) {
             c.rounded({22, 52, 14, 26}, 2);
             c.rounded({43, 36, 14, 42}, 2);
             c.rounded({64, 22, 14, 56}, 2);
         }},
        {u"easel"_s,
         [](const Canvas& c) {
             c.polyline({{50, 60}, {50, 82}}, 5);
             c.polyline({{48, 62}, {34, 82}}, 5);
             c.polyline({{52, 62}, {66, 82}}, 5);
             c.rounded({18, 20, 64, 42}, 4);
             c.rounded({28, 44, 8, 10}, 1, c.base);
             c.rounded({40, 36, 8, 18}, 1, c.base);
             c.rounded({52, 30, 8, 24}, 1, c.base);
         }},
        {u"box"_s,
         [](const Canvas& c) {
             c.rounded({18, 24, 64, 16}, 3);
             c.rounded({23, 43, 54, 35}, 3);
             c.rounded({39, 50, 22, 7}, 3.5, c.base);
         }},
        {u"zipper"_s,
         [](const Canvas& c) {
             for (int i = 0; i < 6; ++i)
                 c.rounded({i % 2 == 0 ? 36.0 : 51.0, 14 + i * 9.0, 13, 7}, 1.5);
             c.rounded({38, 64, 24, 22}, 5);
             c.rounded({45, 71, 10, 7}, 3, c.base);
         }},
        {u"flower"_s,
         [](const Canvas& c) {
             for (int i = 0; i < 8; ++i) {
                 QColor petal = c.accent.toHsv();
                 petal.setHsv((petal.hue() + i * 45) % 360, petal.saturation(), petal.value(), 215);
                 turned(c, i * 45, [&] { c.ellipse({0, -17}, 9, 16, petal); });
             }
         }},
        {u"lens"_s,
         [](const Canvas& c) {
             c.ring({50, 50}, 29, 7);
             c.ellipse({50, 50}, 17, 17);
             c.ellipse({50, 50}, 7, 7, c.base);
             c.ellipse({43, 43}, 3.5, 3.5, Qt::white);
         }},
        {u"brush"_s,
         [](const Canvas& c) {
             turned(c, 40, [&] {
                 c.rounded({-5, -42, 10, 34}, 4);
                 c.rounded({-8, -10, 16, 13}, 2, c.middle());
                 QPainterPath tip(QPointF(-8, 3));
                 tip.lineTo(8, 3);
                 tip.cubicTo(8, 18, 4, 28, 0, 38);
                 tip.cubicTo(-4, 28, -8, 18, -8, 3);
                 c.fill(tip);
             });
         }},
        {u"mountains"_s,
         [](const Canvas& c) {
             QPainterPath frame;
             frame.addRoundedRect(18, 22, 64, 56, 5, 5);
             c.stroke(frame, 5);
             c.ellipse({66, 36}, 7, 7);
             c.painter.save();
             c.painter.setClipPath(frame);
             c.fillPolygon({{18, 80}, {40, 44}, {56, 66}, {66, 54}, {84, 80}});
             c.painter.restore();
         }},
        {u"compass"_s,
         [](const Canvas& c) {
             c.ring({50, 50}, 30, 6);
             turned(c, 45, [&] {
                 c.fillPolygon({{0, -25}, {7, 0}, {-7, 0}});
                 c.fillPolygon({{0, 25}, {7, 0}, {-7, 0}}, c.middle());
             });
         }},
        {u"globe"_s,
         [](const Canvas& c) {
             c.ring({50, 50}, 29, 6);
             QPainterPath meridian;
             meridian.addEllipse(QPointF(50, 50), 12, 29);
             c.stroke(meridian, 4.5);
             c.polyline({{50, 21}, {50, 79}}, 4.5);
             c.polyline({{22, 50}, {78, 50}}, 4.5);
             c.polyline({{27, 36}, {73, 36}}, 4);
             c.polyline({{27, 64}, {73, 64}}, 4);
         }},
        {u"flame"_s,
         [](const Canvas& c) {
             QPainterPath outer(QPointF(52, 14));
             outer.cubicTo(66, 30, 78, 42, 74, 62);
             outer.cubicTo(71, 76, 60, 84, 50, 84);
             outer.cubicTo(37, 84, 26, 75, 26, 61);
             outer.cubicTo(26, 49, 34, 42, 39, 33);
             outer.cubicTo(42, 42, 45, 47, 50, 50);
             outer.cubicTo(47, 38, 46, 26, 52, 14);
             c.fill(outer);
             QPainterPath inner(QPointF(51, 46));
             inner.cubicTo(58, 54, 64, 60, 62, 68);
             inner.cubicTo(60, 75, 55, 78, 50, 78);
             inner.cubicTo(43, 78, 38, 73, 38, 66);
             inner.cubicTo(38, 58, 46, 54, 51, 46);
             c.fill(inner, c.accent.lighter(140));
         }},
        {u"envelope"_s,
         [](const Canvas& c) {
             c.rounded({18, 28, 64, 44}, 5);
             c.polyline({{21, 32}, {50, 54}, {79, 32}}, 4.5, c.base);
         }},
        {u"book"_s,
         [](const Canvas& c) {
             for (const qreal side : {-1.0, 1.0}) {
                 QPainterPath leaf(QPointF(50 + side, 30));
                 leaf.cubicTo(50 + side * 10, 24, 50 + side * 22, 23, 50 + side * 31, 26);
                 leaf.lineTo(50 + side * 31, 74);
                 leaf.cubicTo(50 + side * 22, 71, 50 + side * 10, 72, 50 + side, 78);
                 leaf.closeSubpath();
                 c.fill(leaf);
             }
         }},
        {u"nib"_s,
         [](const Canvas& c) {
             c.fillPolygon({{50, 14}, {72, 42}, {62, 70}, {38, 70}, {28, 42}});
             c.polyline({{50, 18}, {50, 44}}, 3, c.base);
             c.ellipse({50, 46}, 4.5, 4.5, c.base);
             c.rounded({37, 73, 26, 11}, 3, c.middle());
         }},
        {u"keypad"_s,
         [](const Canvas& c) {
             c.rounded({22, 16, 56, 14}, 3, c.base.lighter(220));
             for (int row = 0; row < 3; ++row)
                 for (int column = 0; column < 3; ++column)
                     c.rounded({22 + column * 20.0, 35 + row * 17.0, 16, 13}, 3,
                               column == 2 ? c.accent : c.base.lighter(220));
         }},
        {u"cube"_s,
         [](const Canvas& c) {
             c.fillPolygon({{50, 18}, {78, 32}, {50, 46}, {22, 32}}, c.accent.lighter(135));
             c.fillPolygon({{22, 32}, {50, 46}, {50, 80}, {22, 66}});
             c.fillPolygon({{78, 32}, {50, 46}, {50, 80}, {78, 66}}, c.accent.darker(135));
         }},
        {u"download"_s,
         [](const Canvas& c) {
             c.rounded({41, 16, 18, 30}, 2);
             c.fillPolygon({{26, 44}, {74, 44}, {50, 68}});
             c.polyline({{22, 64}, {22, 80}, {78, 80}, {78, 64}}, 7);
         }},
        {u"prompt"_s,
         [](const Canvas& c) {
             c.polyline({{26, 34}, {44, 50}, {26, 66}}, 8);
             c.polyline({{52, 68}, {74, 68}}, 8);
         }},
    };
    return table;
}

// Qt's icns writer puts one image in a file; the image entries of several such files make one file of all sizes.
QByteArray icnsEntries(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "icns");
    if (!writer.write(image))
        throw std::runtime_error("cannot encode an .icns image (is Qt's icns image format plugin installed?): " +
                                 writer.errorString().toStdString());
    const QByteArray file = buffer.data();
    QByteArray entries;
    for (qsizetype offset = 8; offset + 8 <= file.size();) {
        const quint32 length = qFromBigEndian<quint32>(file.constData() + offset + 4);
        if (length < 8 || offset + length > file.size())
            throw std::runtime_error("Qt's icns writer produced a malformed file");
        if (file.mid(offset, 4) != "TOC ")
            entries += file.mid(offset, length);
        offset += length;
    }
    return entries;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

} // namespace

QStringList AppIconArtwork::shapes()
{
    QStringList names = glyphs().keys();
    names.sort();
    return names;
}

QImage AppIconArtwork::render(const Design& design, int pixels)
{
    const auto glyph = glyphs().constFind(design.shape);
    if (glyph == glyphs().cend())
        throw std::runtime_error("unknown icon shape " + design.shape.toStdString());
    if (!design.base.isValid() || !design.accent.isValid())
        throw std::runtime_error("an icon needs a valid base and accent colour");
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / 100.0, pixels / 100.0);
    QLinearGradient gradient(0, 4, 0, 96);
    gradient.setColorAt(0, design.base.lighter(115));
    gradient.setColorAt(1, design.base.darker(108));
    painter.setPen(QPen(design.base.darker(135), 1.2));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(4, 4, 92, 92), 21, 21);
    painter.setPen(Qt::NoPen);
    (*glyph)(Canvas{painter, design.base, design.accent});
    return image;
}

QByteArray AppIconArtwork::icns(const Design& design)
{
    return icnsOf([&](int pixels) { return render(design, pixels); });
}

QByteArray AppIconArtwork::icns(const QImage& picture)
{
    if (picture.isNull() || picture.width() != picture.height())
        throw std::runtime_error("an .icns file needs a square picture");
    return icnsOf([&](int pixels) {
        return picture.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    });
}

QByteArray AppIconArtwork::icnsOf(const std::function<QImage(int pixels)>& imageAt)
{
    QByteArray entries;
    QByteArray contents;
    for (const int pixels : {16, 32, 64, 128, 256, 512}) {
        const QByteArray entry = icnsEntries(imageAt(pixels));
        for (qsizetype offset = 0; offset < entry.size();
             offset += qFromBigEndian<quint32>(entry.constData() + offset + 4)) {
            contents += entry.mid(offset, 4) + entry.mid(offset + 4, 4);
        }
        entries += entry;
    }
    const QByteArray toc = "TOC " + bigEndian(quint32(8 + contents.size())) + contents;
    return "icns" + bigEndian(quint32(8 + toc.size() + entries.size())) + toc + entries;
}

} // namespace tessik::tools
