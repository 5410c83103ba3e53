// Paths as the system's own bytes: a folder name need not be valid UTF-8.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace quillon {

// A path as the system gives it, held in a QString without loss: valid UTF-8
// is decoded as UTF-8, and each byte that is not part of it becomes the lone
// surrogate U+DC00 + byte, which EncodePath turns back into that byte.
QString DecodePath(QByteArrayView native);
QByteArray EncodePath(const QString& path);

// Opens file for reading from path, named by its own bytes; false with the
// reason in error when it cannot.
bool OpenForReading(QFile& file, const QString& path, QString& error);

// 0 when path names a folder that can be entered, else the errno that says
// why not.
int FolderErrno(const QString& path);

} // namespace quillon
