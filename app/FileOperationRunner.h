#pragma once

#include "util/FileOperation.h"

class QWidget;

// Runs a copy or move on a worker thread while the GUI stays live: the owner
// window takes no input until it ends, a progress window appears when it
// takes a while, and conflicts and errors are asked in dialogs. Returns once
// the operation has finished or has been cancelled.
FileOperationResult RunFileOperation(
    QWidget *owner, FileOperationKind kind, const QStringList &sources, const QString &folder);
