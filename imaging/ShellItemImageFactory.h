#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

// A file's picture as the desktop shows it, at a requested size; for
// applications this is their icon (util/AppIconLookup.h). Result codes follow
// the shell's: 0 for success, negative for failure.
using ShellResult = std::int32_t;
constexpr ShellResult ShellOk = 0;
constexpr ShellResult ShellFail = std::int32_t(0x80004005u);          // E_FAIL
constexpr ShellResult ShellFileNotFound = std::int32_t(0x80070002u);  // no such file
constexpr ShellResult ShellNoImage = std::int32_t(0x8000FFFFu);       // nothing to show

// The picture of path at width x height; it may come larger or smaller than
// asked (it is not scaled here). On success image holds a new ARGB32 image.
ShellResult GetShellItemImage(const QString &path, int width, int height, QImage &image);

// Only on exactly ShellOk: bitmap holds the new picture and true is returned;
// otherwise bitmap is reset to none.
bool GetShellItemBitmap(const QString &path, int width, int height, std::unique_ptr<QImage> &bitmap);
