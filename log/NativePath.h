// Paths as the system's own bytes: a folder name need not be valid UTF-8.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quillon {

// A path as the system gives it, held in a QString without loss: valid UTF-8
// is decoded as UTF-8, and each byte that is not part of it becomes the lone
// surrogate U+DC00 + byte, which EncodePath turns back into that byte.
QString DecodePath(QByteArrayView native);
QByteArray EncodePath(const QString& path);

// 0 when path names a folder that can be entered, else the errno that says
// why not.
int FolderErrno(const QString& path);

} // namespace quillon
