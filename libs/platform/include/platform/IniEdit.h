#pragma once

#include "platform/IniDocument.h"

#include <QString>

#include <functional>

namespace platform {

// The one way every writer changes an INI file: load it once, let `edit`
// change the document, and replace the file atomically once when anything
// changed. A file that exists but cannot be read, or is over the size cap,
// is never replaced (writing would lose what it holds): a failure with the
// reason, and `status` says which case it was.
Result<> editIniFile(
    const QString &path, const std::function<void(IniDocument &)> &edit, IniDocument::LoadStatus *status = nullptr);

} // namespace platform
