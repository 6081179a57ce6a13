#include "slidora/FourCC.h"

#include "platform/win/Codepage.h"

#include <QFile>

namespace slidora {

namespace {

// Lines end with CR LF, a lone CR or a lone LF; the end of the file after a
// line's end starts no further line.
std::vector<QString> Lines(const QByteArray& bytes)
{
    const QString text =
        QString::fromStdString(win::Cp1252ToUtf8(std::string_view(bytes.data(), bytes.size())));
    std::vector<QString> lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines.push_back(line);
    return lines;
}

} // namespace

std::vector<FourCCRecord> ReadFourCCTable(const QString& path)
{
    std::vector<FourCCRecord> table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const std::vector<QString> lines = Lines(file.readAll());
    constexpr std::size_t kHeading = 3;
    for (std::size_t i = kHeading; i < lines.size(); i += 3) {
        FourCCRecord record;
        record.code = lines[i].left(4).leftJustified(4, ' ');
        if (i + 1 < lines.size())
            record.fullName = lines[i + 1];
        if (i + 2 < lines.size())
            record.creator = lines[i + 2];
        table.push_back(record);
    }
    return table;
}

const FourCCRecord* FindFourCC(const std::vector<FourCCRecord>& table, const QString& code)
{
    for (const FourCCRecord& record : table)
        if (record.code == code)
            return &record;
    return nullptr;
}

} // namespace slidora
