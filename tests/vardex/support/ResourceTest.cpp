// Resource strings of the process (the user's language is French (Canada) here), of threads
// by locale, the resource-library search with its fallbacks, and message templates.

#include "vardex/support/sresmanager.h"

#include "AssertRecorder.h"
#include "SupportFixture.h"
#include "platform/reslib/Kernel.h"
#include "tests/platform/win/FreshProcess.h"
#include "vardex/support/sreshelper.h"
#include "vardex/support/sresstring.h"
#include "vardex/support/sversion.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

constexpr LCID kEnglish = 0x409, kFrench = 0x40C, kFrenchCanada = 0xC0C, kGerman = 0x407,
               kJapanese = 0x411;

class ResourceTest : public SupportFixture
{
protected:
    static void SetUpTestSuite()
    {
        ::setenv("LANG", "fr_CA.UTF-8", 1);
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");
    }
    void SetUp() override
    {
        SupportFixture::SetUp();
        writeText("Software\\Halvorn Software\\8.0\\Shared Tools\\Tests", "Path",
                  FIXTURE_RESOURCE_DIR);
    }

    static SString fileOf(HMODULE module)
    {
        const std::string path = GetModuleFileNameA(module);
        return path.substr(path.find_last_of('/') + 1).c_str();
    }
};

TEST_F(ResourceTest, ProcessTextsComeFromTheUsersLanguage)
{
    // The process loads its strings library on first need: a fresh process.
    testing_support::ExpectInFreshProcess([] {
        AssertRecorder recorder;
        EXPECT_EQ(GetUserLanguageText(), "fr");
        EXPECT_EQ(LoadString(900), "host text") << "without a component, the program's own table";
        SResInitializeProcess("vardex");
        EXPECT_EQ(LoadString(34401), "Aucune bibliothèque de journalisation n'est configurée.");
        EXPECT_EQ(GetStringsLibraryPath(), SString(VARDEX_RESOURCE_DIR "/stringres_fr.so"));
        EXPECT_EQ(LoadString(900), "") << "the component's library takes the program's place";
        EXPECT_TRUE(recorder.Reports().empty());

        SResInitializeProcess("nosuchcomponent");
        ASSERT_EQ(recorder.Reports().size(), 1u);
        EXPECT_EQ(recorder.Reports()[0].expression, "retval");
        EXPECT_EQ(
            recorder.Reports()[0].information,
            "Could not find resource DLL 'nosuchcomponent_res'. Some strings may not appear.");
        EXPECT_EQ(LoadString(900), "host text");
    });
}

TEST_F(ResourceTest, LanguageTextsOfLocales)
{
    EXPECT_EQ(GetLanguageText(kFrenchCanada), "fr");
    EXPECT_EQ(GetLanguageText(kEnglish), "en");
    EXPECT_EQ(GetLanguageText(kJapanese), "ja");
    EXPECT_EQ(GetLanguageText(0x413), "fr") << "a language outside the table: the user's";
    EXPECT_EQ(GetLanguageText(0x400), "fr") << "the user's default locale";
}

TEST_F(ResourceTest, LibrarySearchAndFallbacks)
{
    HMODULE french = SResLoadLibrary("keptres", "FR", "Tests");
    EXPECT_EQ(fileOf(french), "keptres_fr.so") << "English is not newer: the French one is kept";
    EXPECT_EQ(SResLoadLibrary("keptres", "fr", "Tests"), french) << "from the cache";

    EXPECT_EQ(fileOf(SResLoadLibrary("testres", "fr", "Tests")), "testres_en.so")
        << "the English library is newer";
    EXPECT_EQ(fileOf(SResLoadLibrary("testres", "de", "Tests")), "testres_en.so")
        << "a missing language takes English";
    EXPECT_EQ(fileOf(SResLoadLibrary("testres", "ja", "Tests")), "testres_jp.so");
    EXPECT_EQ(SResLoadLibrary("nosuchres", "fr", "Tests"), nullptr);
}

TEST_F(ResourceTest, ThreadsTakeTheTextsOfTheirLocale)
{
    // Back on the user's locale the texts are the process's, loaded once: a fresh process.
    testing_support::ExpectInFreshProcess([] {
        std::thread([] {
            AssertRecorder recorder;
            LCID previous = 0;
            ASSERT_TRUE(ThreadInitialize(kEnglish, previous));
            EXPECT_EQ(previous, kFrenchCanada) << "the thread's locale was the user's";
            EXPECT_EQ(GetThreadLocale(), kEnglish);
            EXPECT_EQ(LoadString(34401), "No logging library is configured.");

            LCID nested = 0;
            ASSERT_TRUE(ThreadInitialize(kEnglish, nested));
            EXPECT_EQ(nested, kEnglish);
            LCID german = 0;
            ASSERT_TRUE(ThreadInitialize(kGerman, german));
            EXPECT_EQ(GetThreadLocale(), kGerman);
            EXPECT_EQ(LoadString(34401), "No logging library is configured.")
                << "German is missing: English";
            ThreadUninitialize(german);
            EXPECT_EQ(GetThreadLocale(), kEnglish);
            ThreadUninitialize(nested);
            EXPECT_EQ(GetThreadLocale(), kEnglish);
            EXPECT_NE(SResHelper::GetThreadRecord(), nullptr);
            ThreadUninitialize(previous);
            EXPECT_EQ(GetThreadLocale(), kFrenchCanada);
            EXPECT_EQ(SResHelper::GetThreadRecord(), nullptr);
            EXPECT_EQ(LoadString(34401), "Aucune bibliothèque de journalisation n'est configurée.");
            EXPECT_TRUE(recorder.Reports().empty());

            ThreadUninitialize(previous);
            EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"pResHandles"});
        }).join();
    });
}

TEST_F(ResourceTest, ARelativeFolderIsTakenFromTheCurrentOneWhenRead)
{
    const std::filesystem::path folder = FIXTURE_RESOURCE_DIR;
    writeText("Software\\Halvorn Software\\8.0\\Shared Tools\\Relative", "Path",
              folder.filename().string());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.parent_path());
    HMODULE module = SResLoadLibrary("noversion", "en", "Relative");
    std::filesystem::current_path(previous);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleFileNameA(module), FIXTURE_RESOURCE_DIR "/noversion_en.so");
}

TEST_F(ResourceTest, ALibraryInAFolderOthersCanWriteIsNotLoaded)
{
    for (const char* base : {"plantedres", "trustedres"}) {
        const std::string folder = m_root + "/" + base;
        std::filesystem::create_directory(folder);
        std::filesystem::copy_file(FIXTURE_RESOURCE_DIR "/testres_en.so",
                                   folder + "/" + base + "_en.so");
        writeText(std::string("Software\\Halvorn Software\\8.0\\Shared Tools\\") + base, "Path",
                  folder);
    }
    ::chmod((m_root + "/plantedres").c_str(), 0777);
    EXPECT_EQ(SResLoadLibrary("plantedres", "en", "plantedres"), nullptr);
    EXPECT_NE(SResLoadLibrary("trustedres", "en", "trustedres"), nullptr);
}

TEST_F(ResourceTest, TheThreadKeyIsSharedByEveryCopy)
{
    const uint32_t key = SResHelper::ThreadKey();
    ASSERT_GT(key, 0u);
    EXPECT_EQ(std::getenv("JTCTLSK"), std::to_string(key) + ":" + std::to_string(::getpid()));
    void* second = dlopen(SECOND_COPY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(second, nullptr) << dlerror();
    auto secondKey = reinterpret_cast<uint32_t (*)()>(dlsym(second, "SecondCopyThreadKey"));
    ASSERT_NE(secondKey, nullptr);
    EXPECT_EQ(secondKey(), key);
    dlclose(second);
}

// A program started by the host inherits its JTCTLSK; the key it names was never made there.
TEST_F(ResourceTest, AChildStartedByExecMakesAKeyOfItsOwn)
{
    ASSERT_GT(SResHelper::ThreadKey(), 0u);
    ::setenv("RESOURCE_TEST_CHILD", std::getenv("JTCTLSK"), 1);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/proc/self/exe", "child", "--gtest_filter=*ChildProcessKey*",
                "--gtest_also_run_disabled_tests", nullptr);
        ::_exit(127);
    }
    ::unsetenv("RESOURCE_TEST_CHILD");
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Run only as the child of the test above (disabled otherwise).
TEST(ResourceTestChild, DISABLED_ChildProcessKey)
{
    const char* inherited = std::getenv("RESOURCE_TEST_CHILD");
    if (!inherited)
        GTEST_SKIP() << "run by AChildStartedByExecMakesAKeyOfItsOwn";
    EXPECT_STRNE(std::getenv("JTCTLSK"), inherited);
    const uint32_t key = SResHelper::ThreadKey();
    ASSERT_GT(key, 0u);
    EXPECT_EQ(std::getenv("JTCTLSK"), std::to_string(key) + ":" + std::to_string(::getpid()));
    SResHandles record;
    SResHelper::SetThreadRecord(&record);
    EXPECT_EQ(SResHelper::GetThreadRecord(), &record) << "the slot is this process's own";
    SResHelper::SetThreadRecord(nullptr);
}

TEST(sresstring, PlaceholdersAreFilledByNumber)
{
    AssertRecorder recorder;
    sresstring twoArguments(901);
    twoArguments.AddArgument("a").AddArgument("b");
    EXPECT_EQ(twoArguments.Format(), "a b%") << "a final % stays";

    sresstring missing(902);
    missing.AddArgument("a").AddArgument("b");
    EXPECT_EQ(missing.Format(), " and a");
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].information,
              "Error printing out correct message for id: 902 Check number of variables and "
              "/%%i is matched or not.");

    sresstring many(903);
    for (const char* text : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"})
        many.AddArgument(text);
    EXPECT_EQ(many.Format(), "1234567 ten.");
}

TEST(Version, ResourceVersionOfModules)
{
    SString version;
    HMODULE module = LoadLibraryA(FIXTURE_RESOURCE_DIR "/testres_en.so");
    EXPECT_TRUE(GetResourceVersion(module, version));
    EXPECT_EQ(version, "8.0.0.2");
    FreeLibrary(module);
    module = LoadLibraryA(FIXTURE_RESOURCE_DIR "/noversion_en.so");
    EXPECT_FALSE(GetResourceVersion(module, version)) << "no ResourceVersion string";
    EXPECT_EQ(version, "");
    FreeLibrary(module);
    module = LoadLibraryA(SECOND_COPY);
    EXPECT_FALSE(GetResourceVersion(module, version)) << "no version resource";
    FreeLibrary(module);
}

TEST(Version, Comparisons)
{
    AssertRecorder recorder;
    struct Case
    {
        const char* left;
        const char* right;
        int result;
    };
    const Case cases[] = {
        {"8, 0, 0, 1", "8.0.0.1", 0}, {"8.0.1", "8.0", 1},       {"8.0.0", "8.0", 1},
        {"8.0", "8.0.0", -1},         {"10.0", "9.9", 1},        {"9.9", "10.0", -1},
        {" 8..0,,1 ", "8.0.1", 0},    {"8.0.0.2", "8.0.0.1", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareVersions(c.left, c.right), c.result) << c.left << " / " << c.right;
    EXPECT_TRUE(recorder.Reports().empty());

    EXPECT_EQ(CompareVersions("8.1b", "8.2"), -1) << "the numeric prefix of a token";
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].information,
              "Could not compare version strings \"8.1b\" and \"8.2\"");
}

TEST(Version, SplitWithQuotes)
{
    SIArray<SString> tokens;
    Split("a \"b c\",d", tokens, " ,", true);
    ASSERT_EQ(tokens.GetSize(), 3);
    EXPECT_EQ(tokens[1], "b c");
    Split(",,", tokens, " ,", false);
    EXPECT_EQ(tokens.GetSize(), 0);
}

} // namespace
