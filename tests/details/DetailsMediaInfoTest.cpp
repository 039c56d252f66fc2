// Details read through the real MediaInfo library on files made with ffmpeg
// and on a sound file that Debian ships, checked against the library's own
// command-line tool.
#include "DetailsFixtures.h"
#include "QtPrinting.h"
#include "details/DetailsTextForm.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// The report of the library's own command-line tool, as UTF-8 text.
QString toolReport(const QString &file, const QStringList &options = {})
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("mediainfo"), options + QStringList { file });
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        ADD_FAILURE() << "mediainfo failed on " << file.toStdString();
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The tool's report turned into "heading / name: value / empty line" form by
// reading its padded columns, independently of the program's line rule.
QStringList toolTextForm(const QString &report)
{
    static const QRegularExpression row(QStringLiteral("^(\\S.*?) *: (.*)$"));
    QStringList text;
    bool inGroup = false;
    for (const QString &line : report.split(u'\n')) {
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch match = row.match(line);
        if (match.hasMatch()) {
            text.append(match.captured(1) + QStringLiteral(": ") + match.captured(2).trimmed());
            continue;
        }
        if (inGroup)
            text.append(QString());
        text.append(line);
        inGroup = true;
    }
    if (inGroup)
        text.append(QString());
    return text;
}

class RealLibrary : public testing::Test
{
protected:
    void SetUp() override
    {
        InitializeMediaInfoLibraryFunctions();
        ASSERT_TRUE(MediaInfoLibraryAvailable());
    }
};

TEST_F(RealLibrary, TextFormMatchesToolReport)
{
    const QString files[] = { mp3WithCover(), flacWithCover(), m4aWithCover(), debianSound() };
    for (const QString &file : files) {
        ASSERT_FALSE(file.isEmpty());
        const QStringList expected = toolTextForm(toolReport(file));
        ASSERT_GT(expected.size(), 8) << file.toStdString();
        EXPECT_EQ(programTextForm(file), expected) << file.toStdString();
    }
}

TEST_F(RealLibrary, TagsWithColonsAndNonAsciiSurviveIntact)
{
    const QStringList text = programTextForm(mp3WithCover());
    EXPECT_TRUE(text.contains(QString::fromUtf16(u"Track name: Ünïcödé: Tïtle — 東京")))
        << text.join(u'\n').toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Comment: Recorded at 12:34:56: take 2"))
        || text.contains(QStringLiteral("comment: Recorded at 12:34:56: take 2")))
        << text.join(u'\n').toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("General")));
    EXPECT_TRUE(text.contains(QStringLiteral("Audio")));
}

TEST_F(RealLibrary, NamesWithColonsComeOutWhole)
{
    const struct
    {
        QString file;
        QString line;
    } cases[] = {
        { m4aWithChapters(), QStringLiteral("00:00:00.000: Intro: part one") },
        { m4aWithChapters(), QStringLiteral("00:00:00.500: Outro") },
        { flacWithCustomTag(), QStringLiteral("MY:KEY: custom: value") },
    };
    for (const auto &c : cases) {
        ASSERT_FALSE(c.file.isEmpty());
        const QStringList text = programTextForm(c.file);
        EXPECT_TRUE(text.contains(c.line)) << c.line.toStdString() << " not in:\n" << text.join(u'\n').toStdString();
        // The tool's padded columns read the same rows.
        EXPECT_EQ(text, toolTextForm(toolReport(c.file))) << c.file.toStdString();
    }
}

// Process-wide options set for one test and put back after it.
class LibraryOptions
{
public:
    void set(const wchar_t *option, const wchar_t *value)
    {
        MediaInfoDll::entryPoints().MediaInfo_Option(nullptr, option, value);
        m_reset.push_back(option);
    }
    ~LibraryOptions()
    {
        for (const std::wstring &option : m_reset)
            MediaInfoDll::entryPoints().MediaInfo_Option(nullptr, option.c_str(), L"");
    }

private:
    std::vector<std::wstring> m_reset;
};

TEST_F(RealLibrary, FirstCoverDataLineOfRealReportIsRemoved)
{
    // The library writes a Cover_Data line only in its complete report with
    // the picture as base64; ask for that to get one from real data.
    const QString file = flacWithCover();
    // The tool prints the library's report and one line break of its own;
    // the report's own last break ends its last line.
    QString report = toolReport(file, { QStringLiteral("-f"), QStringLiteral("--Cover_Data=base64") });
    ASSERT_TRUE(report.endsWith(u"\n\n"));
    report.chop(2);
    QStringList expected = report.split(u'\n');
    const auto cover = std::find_if(expected.begin(), expected.end(),
        [](const QString &line) { return line.contains(QStringLiteral("Cover_Data")); });
    ASSERT_NE(cover, expected.end());
    expected.erase(cover);

    LibraryOptions options;
    options.set(L"Complete", L"1");
    options.set(L"Cover_Data", L"base64");
    TDetailsLines lines;
    ReadFileDetails(file, lines);
    EXPECT_EQ(lines, expected);
}

TEST_F(RealLibrary, NonAsciiPathOpensUnderCLocale)
{
    const QString file = mp3WithCover();
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    // What a program started with LANG=C runs under.
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    TDetailsLines lines;
    ReadFileDetails(file, lines);
    const std::string during = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_EQ(during, "C") << "the process locale is left alone";
    QStringList text;
    AppendDetailsTextForm(text, BuildDetailsContents(lines));
    EXPECT_TRUE(text.contains(QStringLiteral("Complete name: ") + file)) << text.join(u'\n').toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Format: MPEG Audio"))) << text.join(u'\n').toStdString();
}

TEST_F(RealLibrary, MissingOrUnknownFileGivesShortReportWithoutFailing)
{
    TempDir dir;
    const QString notAudio = dir.write(QStringLiteral("notes.mp3"), QByteArray(300, 'x'));
    TDetailsLines lines = { QStringLiteral("stale") };
    ReadFileDetails(dir.filePath(QStringLiteral("gone.flac")), lines);
    EXPECT_FALSE(lines.contains(QStringLiteral("stale")));
    ReadFileDetails(notAudio, lines);
    EXPECT_FALSE(lines.contains(QStringLiteral("stale")));
    QStringList text;
    AppendDetailsTextForm(text, BuildDetailsContents(lines));
    EXPECT_EQ(text, toolTextForm(toolReport(notAudio)));
}

} // namespace
