#include "browser/BrivaneDialogsBinding.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "support/TempDir.h"
#include "util/ProgramFolders.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString stubPath(const char *name)
{
    return binaryDir() + QStringLiteral("/bin/") + QString::fromLatin1(name);
}

const QString kFullStub = stubPath("libStubBrivaneDialogsFull.so");
const QString kPartialStub = stubPath("libStubBrivaneDialogsNoSave.so");

TEST(BindingTest, TheProgramFindsTheLibraryBesideItsExecutable)
{
    const QStringList candidates = BrivaneDialogsLibraryCandidates();
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_EQ(candidates.at(0), binaryDir() + QStringLiteral("/bin/libBrivaneDialogs.so"));
    // The installed layout's private folder, relative to the executable.
    EXPECT_EQ(candidates.at(1),
        PrivateLibraryFolder(binaryDir() + QStringLiteral("/bin")) + QStringLiteral("/libBrivaneDialogs.so"));
    EXPECT_TRUE(candidates.at(1).endsWith(QStringLiteral("/vantrel/libBrivaneDialogs.so")));
    EXPECT_FALSE(candidates.at(1).contains(QStringLiteral("..")));
    EXPECT_EQ(candidates.at(2), QStringLiteral("libBrivaneDialogs.so"));

    BrivaneDialogsBinding binding(BrivaneDialogsBinding::Policy::AllOrNothing);
    ASSERT_TRUE(binding.Load());
    EXPECT_TRUE(binding.IsComplete());
    binding.Release();
    EXPECT_FALSE(binding.IsLoaded());
    EXPECT_EQ(binding.OpenDialog(), nullptr);
}

struct PolicyCase
{
    const char *name;
    BrivaneDialogsBinding::Policy policy;
    bool partialLoaded;
};

class PolicyTest : public ::testing::TestWithParam<PolicyCase>
{
};

TEST_P(PolicyTest, MissingFileLeavesEverythingAbsent)
{
    TempDir dir;
    BrivaneDialogsBinding binding(GetParam().policy);
    EXPECT_FALSE(binding.LoadFrom(dir.filePath(QStringLiteral("libBrivaneDialogs.so"))));
    EXPECT_FALSE(binding.IsLoaded());
    EXPECT_FALSE(binding.IsComplete());
    EXPECT_EQ(binding.OpenDialog(), nullptr);
    EXPECT_EQ(binding.FreeDialogResults(), nullptr);

    // A file that is not a library at all is just as absent.
    const QString junk = dir.write(QStringLiteral("libBrivaneDialogs.so"), "not a library");
    EXPECT_FALSE(binding.LoadFrom(junk));
    EXPECT_EQ(binding.SettingsWindow(), nullptr);
}

TEST_P(PolicyTest, MissingEntryPointFollowsThePolicy)
{
    ASSERT_TRUE(QFile::exists(kPartialStub));
    BrivaneDialogsBinding binding(GetParam().policy);
    EXPECT_EQ(binding.LoadFrom(kPartialStub), GetParam().partialLoaded);
    EXPECT_FALSE(binding.IsComplete());
    EXPECT_EQ(binding.SaveDialog(), nullptr);
    if (GetParam().partialLoaded) {
        // The integrated browser keeps and calls what resolved.
        EXPECT_NE(binding.OpenDialog(), nullptr);
        EXPECT_NE(binding.FolderDialog(), nullptr);
        EXPECT_NE(binding.FreeDialogResults(), nullptr);
        ASSERT_NE(binding.SettingsWindow(), nullptr);
        EXPECT_EQ(binding.SettingsWindow()(0), 7);
    } else {
        EXPECT_FALSE(binding.IsLoaded());
        EXPECT_EQ(binding.OpenDialog(), nullptr);
        EXPECT_EQ(binding.FolderDialog(), nullptr);
        EXPECT_EQ(binding.FreeDialogResults(), nullptr);
        EXPECT_EQ(binding.SettingsWindow(), nullptr);
    }
}

TEST_P(PolicyTest, CompleteLibraryResolvesAllFive)
{
    BrivaneDialogsBinding binding(GetParam().policy);
    ASSERT_TRUE(binding.LoadFrom(kFullStub));
    EXPECT_TRUE(binding.IsComplete());
    // Loading again replaces the first library: the partial one has no save dialog.
    binding.LoadFrom(kPartialStub);
    EXPECT_EQ(binding.SaveDialog(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Policies, PolicyTest,
    ::testing::Values(PolicyCase { "browser", BrivaneDialogsBinding::Policy::KeepResolved, true },
        PolicyCase { "component", BrivaneDialogsBinding::Policy::AllOrNothing, false }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BindingTest, ProgramBindingsAreMadeAndReleasedTogether)
{
    {
        const BrivaneDialogsBindings bindings;
        EXPECT_TRUE(BrivaneDialogsDynamic().IsComplete());
        EXPECT_TRUE(BrivaneDialogsDefsBinding().IsComplete());
    }
    EXPECT_FALSE(BrivaneDialogsDynamic().IsLoaded());
    EXPECT_FALSE(BrivaneDialogsDefsBinding().IsLoaded());
}

} // namespace
