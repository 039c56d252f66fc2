#pragma once

#include <gio/gio.h>

// GIO, the file layer of the program's copy and move and of the browser's
// trash, bound at its first use rather than linked: linked, it and the six libraries behind it (GObject, libmount,
// libselinux, libblkid, libffi, GModule) were mapped before the first paint,
// and every symbol the process looked up afterwards was searched for in them
// too. The functions carry GIO's names and signatures; call them only when
// available() is true. Any thread.
namespace gio {

// Binds GIO on the first call; false when it cannot be loaded.
bool available();

GFile *file_new_for_path(const char *path);
gboolean file_copy(GFile *source, GFile *destination, GFileCopyFlags flags, GCancellable *cancellable,
    GFileProgressCallback progress, gpointer progressData, GError **error);
gboolean file_move(GFile *source, GFile *destination, GFileCopyFlags flags, GCancellable *cancellable,
    GFileProgressCallback progress, gpointer progressData, GError **error);
gboolean file_delete(GFile *file, GCancellable *cancellable, GError **error);
gboolean file_trash(GFile *file, GCancellable *cancellable, GError **error);
gboolean file_copy_attributes(
    GFile *source, GFile *destination, GFileCopyFlags flags, GCancellable *cancellable, GError **error);
GCancellable *cancellable_new();
void cancellable_cancel(GCancellable *cancellable);
// G_IO_ERROR, the domain of GIO's errors.
GQuark io_error_quark();
void object_unref(gpointer object);

} // namespace gio
