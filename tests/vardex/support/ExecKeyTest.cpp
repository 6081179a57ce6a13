// The resource manager's thread key in a program started by exec without fork: the process id
// stays, the key named by the inherited JTCTLSK was never made in the new image, and another
// library of that image may get the same key for its own data.

#include "vardex/support/sreshelper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kAfterExec = "--after-exec";

// The image after exec: another library makes keys of its own and keeps data there; the
// resource manager's record must go elsewhere. The exit status says which went wrong.
int AfterExec()
{
    constexpr int kKeys = 8;
    pthread_key_t keys[kKeys];
    int data[kKeys];
    for (int i = 0; i < kKeys; ++i) {
        if (pthread_key_create(&keys[i], nullptr) != 0)
            return 2;
        pthread_setspecific(keys[i], &data[i]);
    }
    SResHandles record;
    SResHelper::SetThreadRecord(&record);
    if (SResHelper::GetThreadRecord() != &record)
        return 3;
    for (int i = 0; i < kKeys; ++i)
        if (pthread_getspecific(keys[i]) != &data[i])
            return 4;
    return 0;
}

// The host publishes its key as a host's copy of the library does, then executes itself in
// place (a child of the test, so that the test sees its exit status).
TEST(ExecKey, AProgramExecutedInPlaceMakesAKeyOfItsOwn)
{
    const uint32_t key = SResHelper::ThreadKey();
    ASSERT_GT(key, 0u);
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string published = std::to_string(key) + ":" + std::to_string(::getpid());
        ::setenv("JTCTLSK", published.c_str(), 1);
        ::execl("/proc/self/exe", "exec-key", kAfterExec, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no key, 3: no record, 4: another library's data lost";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kAfterExec) == 0)
        return AfterExec();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
