// nimbal-iconmaker: draws the pictures the application compiles in (resources/ICON).
//
// Usage: QT_QPA_PLATFORM=offscreen nimbal-iconmaker OUTDIR
//
// Everything is drawn with QPainter so the pictures can be regenerated on any machine with Qt;
// no timestamps or text chunks are written, so a rerun on the same machine gives the same bytes.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QColorSpace>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdio>
#include <functional>

namespace {

// 96 dpi, fixed so the pHYs/JFIF density does not depend on the screen the tool runs on.
const int kDotsPerMeter = 3780;

const QColor kWhite(255, 255, 255);
const QColor kGearGrey(128, 132, 138);
const QColor kDark(38, 41, 46);

// Icons keep an alpha channel: the application paints them over its own dark widgets.
QImage transparentImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    img.fill(Qt::transparent);
    return img;
}

QImage opaqueImage(int w, int h, const QColor &bg)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    img.fill(bg);
    return img;
}

void beginPainting(QPainter &p, QImage &img)
{
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

// A gear centred on `centre` whose teeth reach `radius`. The teeth are short and wide and the hole
// is large so the shape still reads as a gear when the window manager shrinks it to 16-24 px.
QPainterPath gearPath(const QPointF &centre, qreal radius)
{
    const int teeth = 8;
    const qreal bodyR = radius * 0.74;
    const qreal holeR = radius * 0.30;
    const qreal toothW = radius * 0.34;
    const qreal toothLen = radius - bodyR;

    QPainterPath body;
    body.addEllipse(centre, bodyR, bodyR);

    QPainterPath gear = body;
    for (int i = 0; i < teeth; ++i) {
        QPainterPath tooth;
        // Reaches a little inside the body so the union has no seam at the root of the tooth.
        const QRectF r(-toothW / 2, -radius, toothW, toothLen + radius * 0.08);
        tooth.addRoundedRect(r, toothW * 0.18, toothW * 0.18);
        QTransform t;
        t.translate(centre.x(), centre.y());
        t.rotate(360.0 * i / teeth);
        gear = gear.united(t.map(tooth));
    }

    QPainterPath hole;
    hole.addEllipse(centre, holeR, holeR);
    return gear.subtracted(hole);
}

void drawGear(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(gearPath(centre, radius));
}

QImage drawWindowIcon()
{
    QImage img = transparentImage(200, 200);
    QPainter p;
    beginPainting(p, img);
    drawGear(p, QPointF(100, 100), 94, kGearGrey);
    p.end();
    return img;
}

// The same gear at the 256 x 256 of a desktop's application icon.
QImage drawApplicationIcon()
{
    QImage img = transparentImage(256, 256);
    QPainter p;
    beginPainting(p, img);
    drawGear(p, QPointF(128, 128), 120, kGearGrey);
    p.end();
    return img;
}

// The station's icon: four gears, one a lane, the last one done.
QImage drawStationIcon()
{
    QImage img = transparentImage(256, 256);
    QPainter p;
    beginPainting(p, img);
    const QColor done(46, 125, 50);
    const QPointF centres[] = {{66, 66}, {190, 66}, {66, 190}, {190, 190}};
    for (int i = 0; i < 4; ++i)
        drawGear(p, centres[i], 58, i == 3 ? done : kGearGrey);
    p.end();
    return img;
}

// Spin-box buttons: thick bars with slightly rounded ends, shown at about 20 px.
const qreal kSignLength = 140;
const qreal kSignThickness = 30;

void drawBar(QPainter &p, const QRectF &r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRoundedRect(r, kSignThickness * 0.2, kSignThickness * 0.2);
}

QImage drawMinus()
{
    QImage img = transparentImage(200, 200);
    QPainter p;
    beginPainting(p, img);
    drawBar(p,
            QRectF(100 - kSignLength / 2, 100 - kSignThickness / 2, kSignLength, kSignThickness));
    p.end();
    return img;
}

QImage drawPlus()
{
    QImage img = transparentImage(200, 200);
    QPainter p;
    beginPainting(p, img);
    // One path for both bars so the overlap in the middle is not painted twice.
    QPainterPath plus;
    const qreal r = kSignThickness * 0.2;
    plus.addRoundedRect(
        QRectF(100 - kSignLength / 2, 100 - kSignThickness / 2, kSignLength, kSignThickness), r, r);
    QPainterPath vertical;
    vertical.addRoundedRect(
        QRectF(100 - kSignThickness / 2, 100 - kSignLength / 2, kSignThickness, kSignLength), r, r);
    plus = plus.united(vertical);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPath(plus);
    p.end();
    return img;
}

// Check box frame. The stroke is thick (about 8 % of the side) so it survives the scale-down
// to the 20-30 px indicator size.
void drawCheckFrame(QPainter &p)
{
    const qreal stroke = 36;
    const qreal margin = 30 + stroke / 2;
    QPen pen(kWhite, stroke);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(margin, margin, 450 - 2 * margin, 450 - 2 * margin), 60, 60);
}

QImage drawUnchecked()
{
    QImage img = transparentImage(450, 450);
    QPainter p;
    beginPainting(p, img);
    drawCheckFrame(p);
    p.end();
    return img;
}

QImage drawChecked()
{
    QImage img = transparentImage(450, 450);
    QPainter p;
    beginPainting(p, img);
    drawCheckFrame(p);
    QPen pen(kWhite, 52);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF tick[] = {QPointF(128, 232), QPointF(198, 302), QPointF(326, 152)};
    p.drawPolyline(tick, 3);
    p.end();
    return img;
}

// Combo box arrow: the full width of the image is the base, so the style sheet controls its size
// only through the image rectangle.
QImage drawDropArrow()
{
    QImage img = transparentImage(400, 200);
    QPainter p;
    beginPainting(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    QPolygonF tri;
    tri << QPointF(0, 0) << QPointF(400, 0) << QPointF(200, 200);
    p.drawPolygon(tri);
    p.end();
    return img;
}

QFont boldSans(qreal pixelSize)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPixelSize(qRound(pixelSize));
    // Fixed hinting keeps glyph placement the same from run to run.
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QImage drawGearTile()
{
    QImage img = opaqueImage(140, 140, kDark);
    QPainter p;
    beginPainting(p, img);
    drawGear(p, QPointF(70, 70), 58, QColor(200, 204, 210));
    p.end();
    return img;
}

// Left-to-right dark gradient used behind the two smaller banners.
void fillBannerBackground(QPainter &p, const QRect &r)
{
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0.0, QColor(30, 33, 38));
    g.setColorAt(1.0, QColor(58, 63, 72));
    p.fillRect(r, g);
}

QImage drawProductBanner()
{
    QImage img = opaqueImage(290, 60, kDark);
    QPainter p;
    beginPainting(p, img);
    fillBannerBackground(p, img.rect());
    drawGear(p, QPointF(30, 30), 22, QColor(200, 204, 210));
    p.setPen(kWhite);
    p.setFont(boldSans(22));
    p.drawText(QRectF(62, 0, 220, 60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("NIMBAL SERVO"));
    p.end();
    return img;
}

QImage drawToolBanner()
{
    QImage img = opaqueImage(290, 50, kDark);
    QPainter p;
    beginPainting(p, img);
    fillBannerBackground(p, img.rect());
    // A thin accent line under the text, like a ruler.
    p.fillRect(QRectF(14, 40, 262, 3), QColor(90, 160, 220));
    p.setPen(kWhite);
    p.setFont(boldSans(18));
    p.drawText(QRectF(14, 4, 262, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Servo Configuration"));
    p.end();
    return img;
}

// The header banner: plain white on black so it matches the black title area it sits in.
QImage drawHeaderBanner()
{
    QImage img = opaqueImage(290, 50, Qt::black);
    img.setColorSpace(QColorSpace(QColorSpace::SRgb));
    QPainter p;
    beginPainting(p, img);
    p.setPen(kWhite);

    const QFont brand = boldSans(26);
    p.setFont(brand);
    const QRectF brandRect(12, 0, 150, 50);
    QRectF used;
    p.drawText(brandRect, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("NIMBAL"), &used);

    QFont web = boldSans(13);
    web.setBold(false);
    p.setFont(web);
    // Share the brand's baseline so the two words read as one line.
    const qreal baseline = used.top() + QFontMetricsF(brand).ascent();
    p.drawText(QPointF(used.right() + 12, baseline), QStringLiteral("www.nimbal.example"));
    p.end();
    return img;
}

bool encode(const QImage &img, const char *format, int quality, QByteArray *out)
{
    QBuffer buf(out);
    if (!buf.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&buf, format);
    writer.setQuality(quality);
    return writer.write(img);
}

// True if the JPEG already has an APP2 ICC_PROFILE segment before the scan data.
bool hasIccSegment(const QByteArray &jpeg, const QByteArray &tag)
{
    const auto *d = reinterpret_cast<const unsigned char *>(jpeg.constData());
    int pos = 2;
    while (pos + 4 <= jpeg.size() && d[pos] == 0xFF) {
        const unsigned char marker = d[pos + 1];
        if (marker == 0xDA) // start of scan: no more header segments
            break;
        const int len = (d[pos + 2] << 8) | d[pos + 3];
        if (marker == 0xE2 && jpeg.mid(pos + 4, tag.size()) == tag)
            return true;
        pos += 2 + len;
    }
    return false;
}

// Makes sure the JPEG carries an sRGB profile. Qt 5.15's JPEG writer embeds the image's colour
// space itself; if a writer does not, a single APP2 "ICC_PROFILE" segment is added by hand right
// after the JFIF APP0 segment.
bool insertIccProfile(QByteArray *jpeg, const QByteArray &icc)
{
    const QByteArray tag("ICC_PROFILE", 12); // including the terminating NUL
    const int payload = tag.size() + 2 + icc.size();
    if (icc.isEmpty() || payload + 2 > 0xFFFF)
        return false;
    if (hasIccSegment(*jpeg, tag))
        return true; // the writer already embedded it
    const auto *d = reinterpret_cast<const unsigned char *>(jpeg->constData());
    // SOI followed by APP0 (FF E0 len_hi len_lo ...)
    if (jpeg->size() < 6 || d[0] != 0xFF || d[1] != 0xD8 || d[2] != 0xFF || d[3] != 0xE0)
        return false;
    const int app0End = 4 + ((d[4] << 8) | d[5]);
    if (app0End > jpeg->size())
        return false;

    QByteArray seg;
    seg.append(char(0xFF)).append(char(0xE2));
    seg.append(char((payload + 2) >> 8)).append(char((payload + 2) & 0xFF));
    seg.append(tag);
    seg.append(char(1)).append(char(1)); // chunk 1 of 1
    seg.append(icc);
    jpeg->insert(app0End, seg);
    return true;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size() && f.flush();
}

// A Windows icon file holding the application icon at the sizes Windows
// shows (Explorer, the Start menu, the task bar, title bars), each as a
// PNG, which Windows reads in icon files since Vista.
bool encodeWindowsIcon(const std::function<QImage()> &draw, QByteArray *out)
{
    const int sizes[] = {16, 24, 32, 48, 64, 256};
    QList<QByteArray> images;
    for (int size : sizes) {
        QByteArray png;
        const QImage icon = draw()
                                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
        if (!encode(icon, "png", -1, &png))
            return false;
        images.append(png);
    }
    QDataStream ico(out, QIODevice::WriteOnly);
    ico.setByteOrder(QDataStream::LittleEndian);
    const int count = int(images.size());
    ico << quint16(0) << quint16(1) << quint16(count); // reserved, type 1 (icon), count
    quint32 offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        // Width and height 0 stand for 256.
        const quint8 side = quint8(sizes[i] == 256 ? 0 : sizes[i]);
        ico << side << side << quint8(0) << quint8(0) // no palette, reserved
            << quint16(1) << quint16(32)              // colour planes, bits per pixel
            << quint32(images.at(i).size()) << offset;
        offset += quint32(images.at(i).size());
    }
    for (const QByteArray &png : images)
        ico.writeRawData(png.constData(), int(png.size()));
    return ico.status() == QDataStream::Ok;
}

struct Picture
{
    const char *name;
    std::function<QImage()> draw;
    bool withIcc;
};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 4 && args.size() != 6) {
        std::fprintf(stderr, "usage: nimbal-iconmaker OUTDIR [WINDOW_PNG WINDOW_ICO "
                             "[STATION_PNG STATION_ICO]]\n");
        return 2;
    }
    const QDir outDir(args.at(1));
    if (!outDir.exists() && !QDir().mkpath(outDir.path())) {
        std::fprintf(stderr, "nimbal-iconmaker: cannot create %s\n", qPrintable(outDir.path()));
        return 1;
    }

    const Picture pictures[] = {
        {"000_Set.png", drawWindowIcon, false}, {"002_jian.png", drawMinus, false},
        {"003_jia.png", drawPlus, false},       {"005_.png", drawUnchecked, false},
        {"006_.png", drawChecked, false},       {"007.png", drawDropArrow, false},
        {"008.jpg", drawGearTile, false},       {"009.jpg", drawProductBanner, false},
        {"010.jpg", drawToolBanner, false},     {"011.jpeg", drawHeaderBanner, true},
    };

    // The text in the banners depends on the fonts installed: say which.
    const QFontInfo font(boldSans(26));
    std::printf("nimbal-iconmaker: banner text in %s, %s\n", qPrintable(font.family()),
                qPrintable(font.styleName()));

    int failures = 0;
    for (const Picture &pic : pictures) {
        const QString name = QString::fromLatin1(pic.name);
        const bool isPng = name.endsWith(QLatin1String(".png"));
        QImage img = pic.draw();
        QByteArray data;
        bool ok;
        if (isPng) {
            // ARGB32 makes the PNG writer emit 8-bit RGBA even where every pixel is opaque.
            ok = encode(img.convertToFormat(QImage::Format_ARGB32), "png", -1, &data);
        } else {
            ok = encode(img.convertToFormat(QImage::Format_RGB32), "jpeg", 90, &data);
            if (ok && pic.withIcc)
                ok = insertIccProfile(&data, QColorSpace(QColorSpace::SRgb).iccProfile());
        }
        const QString path = outDir.filePath(name);
        if (!ok || !writeFile(path, data)) {
            std::fprintf(stderr, "nimbal-iconmaker: failed to write %s\n", qPrintable(path));
            ++failures;
        }
    }
    // The programs' icons that desktop menus show, installed beside them,
    // and the same for Windows, its Start-menu entries and the installer:
    // the window's, then the station's.
    const std::function<QImage()> icons[] = {drawApplicationIcon, drawStationIcon};
    for (int i = 2; i + 1 < args.size(); i += 2) {
        const std::function<QImage()> &draw = icons[(i - 2) / 2];
        QByteArray png, ico;
        if (!encode(draw().convertToFormat(QImage::Format_ARGB32), "png", -1, &png) ||
            !writeFile(args.at(i), png) || !encodeWindowsIcon(draw, &ico) ||
            !writeFile(args.at(i + 1), ico)) {
            std::fprintf(stderr, "nimbal-iconmaker: failed to write %s or %s\n",
                         qPrintable(args.at(i)), qPrintable(args.at(i + 1)));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
