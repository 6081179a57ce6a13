#pragma once

#include <QString>

#include <vector>

// The table of codec codes of the text file fourcc.txt: three heading lines,
// then three lines per code (code, full name, creator), windows-1252 text.
namespace slidora {

struct FourCCRecord
{
    QString code; // exactly 4 characters, padded with blanks
    QString fullName;
    QString creator;
};

// The records of the file; none when it is missing. A last record cut short
// keeps the lines it has, the missing ones empty.
std::vector<FourCCRecord> ReadFourCCTable(const QString& path);

// The first record whose code equals the given code exactly, or null.
const FourCCRecord* FindFourCC(const std::vector<FourCCRecord>& table, const QString& code);

} // namespace slidora
