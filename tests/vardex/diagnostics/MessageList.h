#pragma once
// A client exception's message list as one line of text: "id/count" for an identifier entry,
// 'text' for a text entry, separated by blanks.

#include "vardex/diagnostics/GenericClientException.h"

#include <string>

inline std::string Entries(const GenericClientException& e)
{
    std::string line;
    for (const auto& entry : e.Messages()) {
        if (!line.empty())
            line += ' ';
        if (entry._d() == GenericClientException::mt_id)
            line += std::to_string(entry.msgId().msgId) + "/" +
                    std::to_string(entry.msgId().num_strings);
        else
            line += "'" + std::string(entry.msgString().GetString()) + "'";
    }
    return line;
}
