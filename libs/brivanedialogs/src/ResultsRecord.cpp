#include "ResultsRecord.h"

#include "Utf16.h"

#include <mutex>
#include <unordered_set>

namespace bd {

namespace {

struct LiveRecords
{
    std::mutex mutex;
    std::unordered_set<TOpenDialogResults *> records;

    ~LiveRecords() { freeAllResults(); }
};

LiveRecords &live()
{
    static LiveRecords instance;
    return instance;
}

void release(TOpenDialogResults *results)
{
    delete[] results->FileName;
    delete[] results->FileNames;
    delete results;
}

} // namespace

TOpenDialogResults *newResults(const QStringList &names, int filterIndex)
{
    auto *results = new TOpenDialogResults {};
    results->Successfull = 1;
    results->FileCount = std::uint32_t(names.size());
    results->FilterIndex = filterIndex;

    qsizetype total = 1; // the final zero of the list
    for (const QString &name : names)
        total += name.size() + 1;
    // An empty selection is still one zero character; the extra zero keeps a
    // reader that expects two of them safe.
    const qsizetype allocated = std::max<qsizetype>(total, 2);
    results->FileNames = new char16_t[std::size_t(allocated)]();
    char16_t *out = results->FileNames;
    for (const QString &name : names) {
        out = std::copy_n(reinterpret_cast<const char16_t *>(name.utf16()), name.size(), out);
        *out++ = 0;
    }
    *out = 0;
    results->FileNamesSize = names.isEmpty() ? 1 : total;

    if (names.size() == 1) {
        results->FileName = newUtf16(names.first());
        results->FileNameSize = names.first().size();
    }

    std::lock_guard lock(live().mutex);
    live().records.insert(results);
    return results;
}

bool freeResults(TOpenDialogResults *results)
{
    {
        std::lock_guard lock(live().mutex);
        if (!results || live().records.erase(results) == 0)
            return false;
    }
    release(results);
    return true;
}

void freeAllResults()
{
    std::unordered_set<TOpenDialogResults *> records;
    {
        std::lock_guard lock(live().mutex);
        records.swap(live().records);
    }
    for (TOpenDialogResults *results : records)
        release(results);
}

} // namespace bd
