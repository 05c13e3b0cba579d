// Build tool: writes the program's icon as PNG files into a hicolor icon tree, one per size:
// talvoro-icons DIR SIZE... gives DIR/<SIZE>x<SIZE>/apps/talvoro.png.

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

#include "ui/images.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fputs("usage: talvoro-icons DIR SIZE...\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QStringLiteral("/talvoro.png");
        if (size < 1 || !QDir().mkpath(folder) ||
            !talvoro::ui::ProgramIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "talvoro-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
