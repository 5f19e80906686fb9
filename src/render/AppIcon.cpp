#include "render/AppIcon.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/FileUtils.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <vector>

namespace {

// One shape of the icon, in a 256 x 256 box.
struct TShape {
    enum Kind { RoundRect, Circle, Path } kind;
    double x, y, w, h, r; // rectangle and corner radius; circle: centre x, y and radius r
    const char* path;     // Path: "M x y", "Q cx cy x y", "L x y", "Z"
    const char* fill;
    const char* stroke;   // null: none
    double strokeWidth;
};

// A group of shapes turned by `angle` degrees about the centre of the box.
struct TGroup {
    double angle;
    std::vector<TShape> shapes;
};

const std::vector<TGroup>& Icon()
{
    static const std::vector<TGroup> icon = {
        // The card behind.
        {-12, {{TShape::RoundRect, 58, 26, 136, 196, 14, nullptr, "#2b4a7a", "#10213d", 6}}},
        // The card in front: parchment, its art window with the sun and the lark, and
        // the lines of its rules text.
        {8,
         {{TShape::RoundRect, 60, 34, 144, 200, 14, nullptr, "#efe1bb", "#3a2412", 8},
          {TShape::RoundRect, 78, 56, 108, 90, 6, nullptr, "#6fa6cf", "#3a2412", 3},
          {TShape::Circle, 162, 82, 0, 0, 14, nullptr, "#f5c84c", nullptr, 0},
          {TShape::Path, 0, 0, 0, 0, 0, "M 92 118 Q 114 92 132 110 Q 150 90 174 114 Q 150 104 132 126 Q 114 104 92 118 Z",
           "#2a1a0e", nullptr, 0},
          {TShape::RoundRect, 82, 162, 100, 9, 4, nullptr, "#8a6a44", nullptr, 0},
          {TShape::RoundRect, 82, 181, 92, 9, 4, nullptr, "#8a6a44", nullptr, 0},
          {TShape::RoundRect, 82, 200, 68, 9, 4, nullptr, "#8a6a44", nullptr, 0}}},
    };
    return icon;
}

QPainterPath ParsePath(const char* text)
{
    // Numbers in the C form whatever the process's locale ("2.5", never "2,5").
    QPainterPath path;
    const QStringList t = QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto num = [&](qsizetype i) { return t.at(i).toDouble(); };
    for (qsizetype i = 0; i < t.size();) {
        if (t[i] == "M") {
            path.moveTo(num(i + 1), num(i + 2));
            i += 3;
        } else if (t[i] == "L") {
            path.lineTo(num(i + 1), num(i + 2));
            i += 3;
        } else if (t[i] == "Q") {
            path.quadTo(num(i + 1), num(i + 2), num(i + 3), num(i + 4));
            i += 5;
        } else {
            path.closeSubpath();
            ++i;
        }
    }
    return path;
}

std::string Number(double v)
{
    return QString::number(v).toStdString();
}

} // namespace

QImage AppIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    for (const TGroup& g : Icon()) {
        p.save();
        p.translate(128, 128);
        p.rotate(g.angle);
        p.translate(-128, -128);
        for (const TShape& s : g.shapes) {
            p.setBrush(QColor(QString::fromLatin1(s.fill)));
            if (s.stroke)
                p.setPen(QPen(QColor(QString::fromLatin1(s.stroke)), s.strokeWidth, Qt::SolidLine, Qt::RoundCap,
                              Qt::RoundJoin));
            else
                p.setPen(Qt::NoPen);
            switch (s.kind) {
            case TShape::RoundRect:
                p.drawRoundedRect(QRectF(s.x, s.y, s.w, s.h), s.r, s.r);
                break;
            case TShape::Circle:
                p.drawEllipse(QPointF(s.x, s.y), s.r, s.r);
                break;
            case TShape::Path:
                p.drawPath(ParsePath(s.path));
                break;
            }
        }
        p.restore();
    }
    return image;
}

std::string AppIconSvg()
{
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    for (const TGroup& g : Icon()) {
        svg += "  <g transform=\"rotate(" + Number(g.angle) + " 128 128)\">\n";
        for (const TShape& s : g.shapes) {
            std::string paint = " fill=\"" + std::string(s.fill) + "\"";
            if (s.stroke)
                paint += " stroke=\"" + std::string(s.stroke) + "\" stroke-width=\"" + Number(s.strokeWidth)
                         + "\" stroke-linejoin=\"round\"";
            switch (s.kind) {
            case TShape::RoundRect:
                svg += "    <rect x=\"" + Number(s.x) + "\" y=\"" + Number(s.y) + "\" width=\"" + Number(s.w)
                       + "\" height=\"" + Number(s.h) + "\" rx=\"" + Number(s.r) + "\"" + paint + "/>\n";
                break;
            case TShape::Circle:
                svg += "    <circle cx=\"" + Number(s.x) + "\" cy=\"" + Number(s.y) + "\" r=\"" + Number(s.r) + "\""
                       + paint + "/>\n";
                break;
            case TShape::Path:
                svg += "    <path d=\"" + std::string(s.path) + "\"" + paint + "/>\n";
                break;
            }
        }
        svg += "  </g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

void WriteAppIconTheme(const std::string& dir, const std::string& name)
{
    const QString root = QString::fromStdString(dir) + QStringLiteral("/hicolor/");
    auto folder = [&](const QString& sub) {
        const QString f = root + sub + QStringLiteral("/apps");
        if (!QDir().mkpath(f))
            throw Exception("Cannot create the folder " + f.toStdString());
        return f.toStdString() + "/" + name;
    };
    WriteFileReplacing(folder(QStringLiteral("scalable")) + ".svg", AppIconSvg());
    for (int size : AppIconSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!AppIconImage(size).save(&buffer, "PNG"))
            throw Exception("Cannot encode the icon at " + std::to_string(size) + " pixels");
        WriteFileReplacing(folder(QString::number(size) + 'x' + QString::number(size)) + ".png",
                           std::string_view(png.constData(), size_t(png.size())));
    }
}
