#include "platform/vb/ResumeNext.h"

namespace vb {

void ResumeNext::Clear()
{
    number_ = 0;
    description_.clear();
    source_.clear();
}

void ResumeNext::Record(int32_t number, std::string description, std::string source)
{
    number_ = number;
    description_ = std::move(description);
    source_ = std::move(source);
}

} // namespace vb
