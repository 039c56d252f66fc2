#include "platform/IniEdit.h"

namespace platform {

Result<> editIniFile(
    const QString &path, const std::function<void(IniDocument &)> &edit, IniDocument::LoadStatus *status)
{
    auto fail = [](const QString &reason) { return Result<>::failure(reason); };
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
        return {};
    return doc.save(path);
}

} // namespace platform
