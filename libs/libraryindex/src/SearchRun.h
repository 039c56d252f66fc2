#pragma once

#include "AudioPatterns.h"
#include "WriteOperation.h"
#include "libraryindex/LibraryIndex.h"
#include "libraryindex/SearchQuery.h"

#include <functional>

namespace libraryindex {

class IndexDatabase;

struct SearchJob
{
    quint64 generation = 0;
    QString root; // absolute, clean
    SearchQuery query;
    AudioPatterns patterns;
};

// What one search may use: the index (or nullptr, and the walk reads every
// folder), a question whether it is still wanted, where its batches go and
// where what it found in the folders goes to be written.
struct SearchServices
{
    IndexDatabase *db = nullptr;
    std::function<bool()> cancelled;
    std::function<void(SearchBatch &&)> deliver;
    std::function<void(WriteOperation &&)> write;
    // Said in the final batch: why the index is not used, say.
    QString note;
};

// Runs one search on the calling thread: the index's answer first, then the
// walk that corrects it. Returns false when the index failed on the way (the
// walk then read every folder).
bool runSearch(const SearchJob &job, SearchServices &services);

} // namespace libraryindex
