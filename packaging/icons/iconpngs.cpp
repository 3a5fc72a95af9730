// Renders the program's SVG icon into the PNG sizes of the desktop's icon theme, so that menus
// and file managers without an SVG loader show it too: iconpngs ICON.svg OUTDIR SIZE...
// writes OUTDIR/SIZExSIZE/kruskalwallis.png for each SIZE.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: iconpngs ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "iconpngs: %s is not a readable SVG file\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "iconpngs: %s is not a size from 8 to 1024\n", argv[i]);
            return 2;
        }
        const QString folder =
            QStringLiteral("%1/%2x%2").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            svg.render(&painter, QRectF(0, 0, size, size));
        }
        if (!QDir().mkpath(folder) || !image.save(folder + "/kruskalwallis.png", "PNG")) {
            std::fprintf(stderr, "iconpngs: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
