#pragma once

#include <QtGlobal>

#include <functional>

// Copies one open file into another inside the kernel (copy_file_range), so
// the data never passes through user space: on one file system this is as
// fast as `cp`, and file systems that can share blocks do so. The copy runs
// in chunks so that the caller can show progress and stop between two.

enum class KernelCopyStatus {
    Done,
    // Nothing was copied and this pair of files cannot be copied this way
    // (different file systems, a file system or kernel without support):
    // copy them in user space instead.
    Unsupported,
    Stopped,
    Failed,
};

struct KernelCopyResult
{
    KernelCopyStatus status = KernelCopyStatus::Done;
    int error = 0; // errno, when Failed or Unsupported
    qint64 copied = 0;
};

// One call of copy_file_range moves at most this much: about 10 ms of work
// on a local disk, so a cancel is noticed at once and the progress bar moves
// smoothly, while a 1 GB file still takes only some 60 calls.
inline constexpr qint64 kKernelCopyChunk = qint64(16) << 20;

// Copies from the current position of `from` to its end into `to`. After
// every chunk `onChunk` gets the number of bytes copied so far and returns
// false to stop. A source that yields nothing at all (an empty file, or a
// virtual one whose content only read() sees) is Unsupported: the caller
// copies it in user space.
KernelCopyResult KernelCopyFile(
    int from, int to, const std::function<bool(qint64)> &onChunk, qint64 chunk = kKernelCopyChunk);

enum class PlaceStatus {
    Done,
    // Something is already at the target (a file, a folder, a dangling link):
    // nothing changed.
    Exists,
    // This file system can neither rename without replacing nor make hard
    // links: nothing changed.
    Unsupported,
    Failed,
};

struct PlaceResult
{
    PlaceStatus status = PlaceStatus::Done;
    int error = 0; // errno, when Failed or Unsupported
};

// How PlaceWithoutReplacing works; tests pick the fallback to try it on any
// file system.
enum class PlaceMethod { Rename, LinkThenUnlink };

// Gives a file the name `to`, which it takes only if nothing is there: the
// check and the rename are one step in the kernel (RENAME_NOREPLACE), so a
// file that appears at `to` after an earlier look is never replaced. A file
// system that lacks the flag gets a hard link at `to` and then loses the old
// name, which never replaces either. Never follows a link at either name.
PlaceResult PlaceWithoutReplacing(const char *from, const char *to, PlaceMethod method = PlaceMethod::Rename);
