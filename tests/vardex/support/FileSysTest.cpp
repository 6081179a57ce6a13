#include "vardex/support/sfilesys.h"

#include "SupportFixture.h"

#include <filesystem>

namespace {

TEST(SFileSys, BuildAndSplitPaths)
{
    EXPECT_EQ(SMakePath(nullptr, "/opt/logs", "event", "log"), "/opt/logs/event.log");
    EXPECT_EQ(SMakePath(nullptr, "/opt/logs/", "event", ".log"), "/opt/logs/event.log");
    EXPECT_EQ(SMakePath(nullptr, nullptr, "event", nullptr), "event");
    EXPECT_EQ(SMakePath(nullptr, std::string(600, 'd').c_str(), "f", "x").GetLength(), 604)
        << "no fixed buffer";

    struct Case
    {
        const char* path;
        const char* folder;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"/usr/lib/report.server.so", "/usr/lib/", "report.server", ".so"},
        {"C:\\Program Files\\report", "C:\\Program Files\\", "report", ""},
        {"report", "", "report", ""},
        {"/a.b/c", "/a.b/", "c", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SString drive("x"), folder, name, extension;
        SSplitPath(c.path, &drive, &folder, &name, &extension);
        EXPECT_EQ(drive, "");
        EXPECT_EQ(folder, c.folder) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
        EXPECT_EQ(extension, c.extension) << c.path;
    }
}

TEST(SFileSys, ModuleNamesGainTheModulesExtension)
{
    EXPECT_EQ(SModuleNameWithDefaultExtension("/opt/vxlogger"), "/opt/vxlogger.so");
    EXPECT_EQ(SModuleNameWithDefaultExtension("/opt.d/vxlogger"), "/opt.d/vxlogger");
    EXPECT_EQ(SModuleNameWithDefaultExtension("vxlogger.dll"), "vxlogger.dll");
}

TEST(SFileSys, LongCurrentDirectory)
{
    const std::filesystem::path start = std::filesystem::current_path();
    char pattern[] = "/tmp/vardex-cwd-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    std::filesystem::path deep = pattern;
    for (int i = 0; i < 8; ++i)
        deep /= std::string(60, char('a' + i));
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    EXPECT_EQ(SGetCurrentDirectory(), deep.c_str());
    std::filesystem::current_path(start);
    std::filesystem::remove_all(pattern);
}

class SFileSysExceptionTest : public SupportFixture
{
protected:
    static void SetUpTestSuite() { useEnglishTexts(); }
};

TEST_F(SFileSysExceptionTest, MessagesByKind)
{
    try {
        throw SFileSysException(5, "a.txt", "(busy)", "b.txt", " more");
    } catch (const SFileSysException& e) {
        EXPECT_EQ(e.GetMessageText(), "The file a.txt could not be renamed to b.txt. (busy)");
        EXPECT_EQ(e.GetFullText(),
                  "The file a.txt could not be renamed to b.txt. (busy):b.txt more");
    }
    EXPECT_EQ(SFileSysException(0, "a", "b", "c", "").GetMessageText(),
              "The file a could not be opened. b");
    EXPECT_EQ(SFileSysException(99, "a", "b", "c", "").GetMessageText(),
              "A file-system operation failed on a. b");
}

} // namespace
