// Writing small exposure series as BMP files for the window tests.
#pragma once

#include "image/bitmap.h"
#include "image/bmp_codec.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// A series of `n` w x h exposures named exp0.bmp, exp1.bmp, ...; byte k of row y of exposure
// i is fill(i, y, k).
inline QStringList writeSeries(const QTemporaryDir& dir, int n, int w, int h,
                               fringel::PixelFormat format,
                               const std::function<std::uint8_t(int, int, int)>& fill) {
    QStringList files;
    for (int i = 0; i < n; ++i) {
        fringel::Bitmap b(w, h, format);
        for (int y = 0; y < h; ++y)
            for (std::int64_t k = 0; k < b.stride(); ++k)
                b.row(y)[k] = fill(i, y, static_cast<int>(k));
        const QString path = dir.filePath(QString("exp%1.bmp").arg(i));
        fringel::writeBmp(b, path.toStdString());
        files << path;
    }
    return files;
}

// Exposure i filled with the byte 10 * (i + 1).
inline QStringList writeSeries(const QTemporaryDir& dir, int n, int w = 40, int h = 30,
                               fringel::PixelFormat format = fringel::PixelFormat::Gray8) {
    return writeSeries(dir, n, w, h, format,
                       [](int i, int, int) { return static_cast<std::uint8_t>(10 * (i + 1)); });
}
