// A logging library for the tests: each entry appends one line to the file named by
// $VX_FIXTURE_LOG ("<library> <entry> <arguments>"). Compile definitions choose which entries
// exist and how they answer: WITHOUT_TERM, WITHOUT_ERROR, WITHOUT_ERROR2, INIT_RESULT,
// ERROR_RESULT, ERROR_THROWS.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#ifndef INIT_RESULT
#define INIT_RESULT 1
#endif
#ifndef ERROR_RESULT
#define ERROR_RESULT 1
#endif

namespace {
void Record(const std::string& line)
{
    if (const char* path = std::getenv("VX_FIXTURE_LOG"))
        if (FILE* file = std::fopen(path, "a")) {
            std::fprintf(file, "%s %s\n", FIXTURE_NAME, line.c_str());
            std::fclose(file);
        }
}
} // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t GetDLLVersion()
{
    return 1;
}

__attribute__((visibility("default"))) int32_t Init(int32_t flag, const char* sourceName, int32_t)
{
    Record("Init " + std::to_string(flag) + " " + sourceName);
    return INIT_RESULT;
}

#ifndef WITHOUT_ERROR
__attribute__((visibility("default"))) int32_t
Error(int32_t eventType, int32_t category, uint32_t messageId, int32_t count, const char** texts)
{
    std::string line = "Error " + std::to_string(eventType) + " " + std::to_string(category) + " " +
                       std::to_string(messageId) + " " + std::to_string(count);
    for (int32_t i = 0; i < count; ++i)
        line += std::string(" [") + texts[i] + "]";
    Record(line);
#ifdef ERROR_THROWS
    throw std::runtime_error("logging library failure");
#endif
    return ERROR_RESULT;
}
#endif

#ifndef WITHOUT_ERROR2
__attribute__((visibility("default"))) int32_t Error2(int32_t eventType, int32_t category,
                                                      uint32_t messageId, const char* text)
{
    Record("Error2 " + std::to_string(eventType) + " " + std::to_string(category) + " " +
           std::to_string(messageId) + " [" + text + "]");
    return ERROR_RESULT;
}
#endif

#ifndef WITHOUT_TERM
__attribute__((visibility("default"))) int32_t Term()
{
    Record("Term");
    return 1;
}
#endif
}
