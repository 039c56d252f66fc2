// Feeds arbitrary bytes to the INI layer as a file and as the names and
// value of one write, and checks what every caller relies on:
//  - a document read from bytes, saved and read again, gives the same text;
//  - a write either is refused and changes nothing, or reads back as written
//    (line breaks flattened, cut at NUL), also after a save and a new read,
//    adds at most one section, and leaves every other value as it was.
#include "platform/IniDocument.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <vector>

using platform::IniDocument;

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

QString reread(const IniDocument &doc)
{
    return IniDocument::fromText(IniDocument::decode(IniDocument::encode(doc.toText()))).toText();
}

bool sameName(const QString &a, const QString &b)
{
    return platform::flattenIniText(a).trimmed().compare(platform::flattenIniText(b).trimmed(), Qt::CaseInsensitive)
        == 0;
}

struct Entry
{
    QString section;
    QString key;
    std::optional<QString> value;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The section name, the key name and the value of one write come first
    // (UTF-8, each of a length the input chooses); the rest is the file.
    FuzzedDataProvider provider(data, size);
    const QString section = QString::fromStdString(provider.ConsumeRandomLengthString(64));
    const QString key = QString::fromStdString(provider.ConsumeRandomLengthString(64));
    const QString value = QString::fromStdString(provider.ConsumeRandomLengthString(256));
    const std::vector<char> rest = provider.ConsumeRemainingBytes<char>();
    const QByteArray file(rest.data(), qsizetype(rest.size()));

    IniDocument doc = IniDocument::fromText(IniDocument::decode(file));
    const QString text = doc.toText();
    check(reread(doc) == text, "saving and reading again changes the text");
    check(!text.contains(QChar(u'\0')), "a NUL survived reading");

    std::vector<Entry> before;
    for (const QString &s : doc.sections()) {
        for (const QString &k : doc.keys(s))
            before.push_back({ s, k, doc.value(s, k) });
    }
    const qsizetype sectionsBefore = doc.sections().size();

    if (!doc.setValue(section, key, value)) {
        check(doc.toText() == text, "a refused write changed the document");
        check(!doc.isModified(), "a refused write marked the document changed");
        return 0;
    }
    const QString expected = platform::flattenIniText(value);
    check(doc.value(section, key) == expected, "set then get differs");
    check(doc.sections().size() <= sectionsBefore + 1, "a write added more than one section");

    const IniDocument saved = IniDocument::fromText(IniDocument::decode(IniDocument::encode(doc.toText())));
    check(saved.value(section, key) == expected, "set, save, read again then get differs");
    check(reread(saved) == saved.toText(), "a second save changes the text");
    for (const Entry &e : before) {
        if (sameName(e.section, section) && sameName(e.key, key))
            continue;
        check(saved.value(e.section, e.key) == e.value, "a write changed another value");
    }
    return 0;
}
