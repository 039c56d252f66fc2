#include "platform/GioLibrary.h"

#include <dlfcn.h>
#include <mutex>

namespace gio {
namespace {

struct Functions
{
    decltype(&::g_file_new_for_path) fileNewForPath = nullptr;
    decltype(&::g_file_copy) fileCopy = nullptr;
    decltype(&::g_file_move) fileMove = nullptr;
    decltype(&::g_file_delete) fileDelete = nullptr;
    decltype(&::g_file_copy_attributes) fileCopyAttributes = nullptr;
    decltype(&::g_cancellable_new) cancellableNew = nullptr;
    decltype(&::g_cancellable_cancel) cancellableCancel = nullptr;
    decltype(&::g_io_error_quark) ioErrorQuark = nullptr;
    decltype(&::g_object_unref) objectUnref = nullptr;
    decltype(&::g_file_trash) fileTrash = nullptr;
};

template<typename F> bool resolve(void *library, const char *name, F &function)
{
    function = reinterpret_cast<F>(::dlsym(library, name));
    return function != nullptr;
}

// Bound once per process and kept: GIO registers GObject types, which a
// library once unloaded would leave dangling.
const Functions *functions()
{
    static std::once_flag once;
    static Functions bound;
    static bool complete = false;
    std::call_once(once, [] {
        void *library = ::dlopen("libgio-2.0.so.0", RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
        if (!library)
            return;
        // GObject's own function comes through GIO's handle, which GIO needs.
        complete = resolve(library, "g_file_new_for_path", bound.fileNewForPath)
            && resolve(library, "g_file_copy", bound.fileCopy) && resolve(library, "g_file_move", bound.fileMove)
            && resolve(library, "g_file_delete", bound.fileDelete)
            && resolve(library, "g_file_copy_attributes", bound.fileCopyAttributes)
            && resolve(library, "g_cancellable_new", bound.cancellableNew)
            && resolve(library, "g_cancellable_cancel", bound.cancellableCancel)
            && resolve(library, "g_io_error_quark", bound.ioErrorQuark)
            && resolve(library, "g_object_unref", bound.objectUnref)
            && resolve(library, "g_file_trash", bound.fileTrash);
    });
    return complete ? &bound : nullptr;
}

} // namespace

bool available()
{
    return functions() != nullptr;
}

GFile *file_new_for_path(const char *path)
{
    return functions()->fileNewForPath(path);
}

gboolean file_copy(GFile *source, GFile *destination, GFileCopyFlags flags, GCancellable *cancellable,
    GFileProgressCallback progress, gpointer progressData, GError **error)
{
    return functions()->fileCopy(source, destination, flags, cancellable, progress, progressData, error);
}

gboolean file_move(GFile *source, GFile *destination, GFileCopyFlags flags, GCancellable *cancellable,
    GFileProgressCallback progress, gpointer progressData, GError **error)
{
    return functions()->fileMove(source, destination, flags, cancellable, progress, progressData, error);
}

gboolean file_delete(GFile *file, GCancellable *cancellable, GError **error)
{
    return functions()->fileDelete(file, cancellable, error);
}

gboolean file_copy_attributes(
    GFile *source, GFile *destination, GFileCopyFlags flags, GCancellable *cancellable, GError **error)
{
    return functions()->fileCopyAttributes(source, destination, flags, cancellable, error);
}

gboolean file_trash(GFile *file, GCancellable *cancellable, GError **error)
{
    return functions()->fileTrash(file, cancellable, error);
}

GCancellable *cancellable_new()
{
    return functions()->cancellableNew();
}

void cancellable_cancel(GCancellable *cancellable)
{
    functions()->cancellableCancel(cancellable);
}

GQuark io_error_quark()
{
    return functions()->ioErrorQuark();
}

void object_unref(gpointer object)
{
    functions()->objectUnref(object);
}

} // namespace gio
