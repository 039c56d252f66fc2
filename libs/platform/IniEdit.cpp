#include "platform/IniEdit.h"

namespace platform {

bool editIniFile(const QString &path, const std::function<void(IniDocument &)> &edit, QString *error,
    IniDocument::LoadStatus *status)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    IniDocument::LoadStatus loaded = IniDocument::LoadStatus::Missing;
    IniDocument doc;
    if (!path.isEmpty())
        doc = IniDocument::load(path, &loaded);
    if (status)
        *status = loaded;
    if (path.isEmpty())
        return fail(QStringLiteral("No file name."));
    if (loaded == IniDocument::LoadStatus::Unreadable || loaded == IniDocument::LoadStatus::TooLarge)
        return fail(IniDocument::describe(loaded));
    edit(doc);
    if (!doc.isModified())
        return true;
    return doc.save(path, error);
}

} // namespace platform
