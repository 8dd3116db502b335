// Draws the launcher's four pictures so they ship as source, not as binaries.
// Usage: make_images <output directory>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QString>
#include <cstdio>

namespace {

const QColor kInk(0x1f, 0x2a, 0x44);       // dark navy: banner and button faces
const QColor kAccent(0xf2, 0xa6, 0x3b);    // warm amber: play mark and exit edge
const QColor kPaper(0xf4, 0xf6, 0xfa);     // near white: under the list text

// Every picture covers its whole area, so it is saved without an alpha
// channel: the launcher decodes and draws it as an opaque image.
QImage blankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

QFont uiFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Light and almost flat, so the list's default black text stays easy to read;
// a faint wave in its lower part keeps it from looking empty, both behind
// the list (which shows the top 250 rows) and behind the whole screen.
QImage drawBackground()
{
    QImage image = blankImage(240, 320);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wash(0, 0, 0, 320);
    wash.setColorAt(0.0, kPaper);
    wash.setColorAt(1.0, QColor(0xdd, 0xe4, 0xef));
    p.fillRect(image.rect(), wash);

    QPainterPath wave;
    wave.moveTo(0, 215);
    wave.cubicTo(70, 185, 160, 245, 240, 200);
    wave.lineTo(240, 320);
    wave.lineTo(0, 320);
    wave.closeSubpath();
    p.fillPath(wave, QColor(0xc9, 0xd3, 0xe4, 110));
    return image;
}

void drawPlayMark(QPainter& p, const QRectF& box)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(box);
    const qreal cx = box.center().x();
    const qreal cy = box.center().y();
    const qreal r = box.width() / 4.0;
    const QPointF triangle[] = {{cx - r * 0.7, cy - r}, {cx - r * 0.7, cy + r}, {cx + r * 1.1, cy}};
    p.setBrush(kInk);
    p.drawPolygon(triangle, 3);
}

// The banner and the buttons share a navy face, lit from above.
void paintFace(QPainter& p, const QImage& image, int lighterAtTop)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient face(0, 0, 0, image.height());
    face.setColorAt(0.0, kInk.lighter(lighterAtTop));
    face.setColorAt(1.0, kInk);
    p.fillRect(image.rect(), face);
}

QImage drawBanner()
{
    QImage image = blankImage(240, 40);
    QPainter p(&image);
    paintFace(p, image, 135);
    p.fillRect(QRect(0, 38, 240, 2), kAccent);

    drawPlayMark(p, QRectF(10, 8, 22, 22));
    p.setPen(Qt::white);
    p.setFont(uiFont(18, true));
    p.drawText(QRect(40, 0, 196, 38), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Video Launcher"));
    return image;
}

// Both buttons share the face; only the coloured edge tells them apart at a glance.
QImage drawButton(const QString& label, const QColor& edge)
{
    QImage image = blankImage(120, 30);
    QPainter p(&image);
    paintFace(p, image, 150);
    p.fillRect(QRect(0, 0, 120, 2), edge);
    p.setPen(QColor(255, 255, 255, 60));
    p.drawLine(QPointF(119.5, 2), QPointF(119.5, 30));
    p.drawLine(QPointF(0.5, 2), QPointF(0.5, 30));
    p.setPen(Qt::white);
    p.setFont(uiFont(15, true));
    p.drawText(QRect(0, 2, 120, 28), Qt::AlignCenter, label);
    return image;
}

// A picture of few colours is stored with a palette: the same pixels, and
// about half the work to decode when the launcher starts.
QImage withPaletteIfLossless(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(row[x]);
            if (colours.size() > 256)
                return image;
        }
    }
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

bool save(const QImage& image, const QDir& dir, const char* name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (withPaletteIfLossless(image).save(path, "PNG"))
        return true;
    std::fprintf(stderr, "make_images: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Drawing text needs a platform, never a screen: this runs in builds
    // without a display, and under an emulator in cross builds.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_images <output directory>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_images: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = save(drawBackground(), dir, "background.png")
        && save(drawBanner(), dir, "banner.png")
        && save(drawButton(QStringLiteral("About"), QColor(0x7f, 0xb8, 0xe6)), dir, "btn_about.png")
        && save(drawButton(QStringLiteral("Exit"), kAccent), dir, "btn_exit.png");
    return ok ? 0 : 1;
}
