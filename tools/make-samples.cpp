// Makes PMP files of our own: a 124-byte history header in front of a real
// JPEG picture drawn here.
//
//   ostrel-make-samples samples FOLDER
//       the sample set: PIC00001-style folders with varied histories
//   ostrel-make-samples tree FOLDER FOLDERS FILES BYTES [shared]
//       FOLDERS subfolders of FILES pictures of BYTES bytes each, every one with
//       its own name, or with one shared history ("shared")
//   ostrel-make-samples big FILE BYTES
//       one PMP file of BYTES bytes

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "PmpWriter.h"

namespace {

using ostrel::tools::History;

// The camera's defaults here: no flash.
History NoFlash() {
    History h;
    h.Flash = 0;
    return h;
}

QByteArray Picture(int seed, const QString& caption) {
    QImage image(160, 120, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 160, 120);
    gradient.setColorAt(0, QColor::fromHsv((seed * 47) % 360, 160, 230));
    gradient.setColorAt(1, QColor::fromHsv((seed * 47 + 120) % 360, 200, 120));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, caption);
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return jpeg;
}

bool Write(const QString& path, const History& history, const QByteArray& jpeg,
           std::size_t bytes = 0) {
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    const auto file = ostrel::tools::PmpFile(history, {jpeg.begin(), jpeg.end()});
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    // Pad after the picture's end marker, as far as asked.
    const std::size_t have = file.size();
    if (bytes > have) {
        std::vector<char> block(1 << 20);
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>((i * 131 + 7) & 0xFF);
        }
        for (std::size_t left = bytes - have; left > 0;) {
            const std::size_t n = std::min(left, block.size());
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
    }
    return static_cast<bool>(out);
}

QString Number(const char* prefix, int n) {
    return QString("%1%2").arg(prefix).arg(n, 5, 10, QChar('0'));
}

int Samples(const QString& folder) {
    struct Sample {
        int Album, Shot;
        History H;
    };
    std::vector<Sample> samples;
    const auto add = [&](int album, int shot, auto change) {
        Sample s{album, shot, NoFlash()};
        change(s.H);
        samples.push_back(s);
    };
    add(1, 1, [](History& h) { h.Comment = "Paris"; });
    add(1, 2, [](History& h) {
        h.Flash = 1;
        h.Quality = 51;
        h.Shutter = 300;
        h.Comment = "12:30 <lunch>";
        h.Revised[0] = 99, h.Revised[1] = 7, h.Revised[2] = 5, h.Revised[3] = 10;
        h.Revised[4] = 0, h.Revised[5] = 0;
    });
    add(1, 3, [](History& h) {
        h.Lens = 2;
        h.Quality = 8;
        h.Shutter = 900;
        h.Comment = "  a/b? \"quoted\"  ";
    });
    add(1, 4, [](History& h) {  // the first one again: with --omit shot, a serial number
        h.Comment = "Paris";
    });
    add(2, 1, [](History& h) {
        h.Shutter = 0x8000;
        h.Lens = 1;
        h.Flash = 2;
        h.Quality = 99;
        h.Comment = "Caf\xE9 \x80 5\xB0";
    });
    add(2, 2, [](History& h) {  // month 0 and day 0 carry back
        h.Recorded[0] = 0, h.Recorded[1] = 0, h.Recorded[2] = 0;
        h.Comment = "month 0, day 0";
        h.Shutter = 650;
    });
    add(2, 3, [](History& h) {  // hour 24 and day 32 carry forward
        h.Recorded[0] = 49, h.Recorded[1] = 12, h.Recorded[2] = 32, h.Recorded[3] = 24;
        h.Revised[0] = 50;
        h.Shutter = 800;
        h.Comment = std::string("pad\0ded", 7);
    });
    add(3, 7, [](History& h) {
        h.Flash = 1;
        h.Shutter = 450;
        h.Comment = "@home #1 {x=y}; ~|*";
    });
    int written = 0;
    for (const Sample& s : samples) {
        const QString path =
            QString("%1/%2/%3.PMP").arg(folder, Number("PIC", s.Album), Number("PSN", s.Shot));
        if (!Write(path, s.H, Picture(s.Album * 10 + s.Shot, Number("PSN", s.Shot)))) {
            return 1;
        }
        ++written;
    }
    // Sony's other files, which only the deletion options touch.
    std::ofstream((folder + "/PIC00001/PSN00001.PMX").toStdString()) << "Sony index data";
    std::ofstream((folder + "/PIC00001/PSN00001.PMF").toStdString()) << "Sony folder data";
    std::printf("%d sample pictures in %s\n", written, qPrintable(folder));
    return 0;
}

int Tree(const QString& folder, int folders, int files, std::size_t bytes, bool shared) {
    const QByteArray jpeg = Picture(1, "bench");
    for (int f = 1; f <= folders; ++f) {
        for (int i = 1; i <= files; ++i) {
            History h = NoFlash();
            if (!shared) {
                h.Recorded[3] = static_cast<unsigned char>(f % 24);
                h.Recorded[4] = static_cast<unsigned char>(i % 60);
                h.Recorded[5] = static_cast<unsigned char>(i / 60);
            }
            const QString path =
                QString("%1/%2/%3.PMP").arg(folder, Number("PIC", f), Number("PSN", i));
            if (!Write(path, h, jpeg, bytes)) {
                return 1;
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == "samples") {
        return Samples(args[2]);
    }
    if ((args.size() == 6 || args.size() == 7) && args[1] == "tree") {
        return Tree(args[2], args[3].toInt(), args[4].toInt(), args[5].toULongLong(),
                    args.size() == 7 && args[6] == "shared");
    }
    if (args.size() == 4 && args[1] == "big") {
        return Write(args[2], NoFlash(), Picture(7, "big"), args[3].toULongLong()) ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: ostrel-make-samples samples FOLDER\n"
                 "       ostrel-make-samples tree FOLDER FOLDERS FILES BYTES [shared]\n"
                 "       ostrel-make-samples big FILE BYTES\n");
    return 2;
}
