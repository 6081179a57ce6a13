#include "platform/report/Ean13.h"

#include "platform/barcode/CheckDigit.h"

#include <QFont>
#include <QPainter>

namespace report {

namespace {

// Codes of the digits in the sets L, G and R, and the parity pattern of the first digit.
const char* const SetL[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                              "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const SetG[10] = {"0100111", "0110011", "0011011", "0100001", "0011101",
                              "0111001", "0000101", "0010001", "0001001", "0010111"};
const char* const SetR[10] = {"1110010", "1100110", "1101100", "1000010", "1011100",
                              "1001110", "1010000", "1000100", "1001000", "1110100"};
const char* const Parity[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

} // namespace

// The digits of the 15-character text an EAN-13 bar-code font prints: the first digit, six
// letters of the left half ("A" to "J" or "K" to "T" by parity), "*", six letters "a" to "j"
// and "+".
std::optional<QString> FontDigits(const QString& t)
{
    if (t.size() != 15 || t[7] != '*' || t[14] != '+' || t[0] < '0' || t[0] > '9')
        return std::nullopt;
    QString digits = t.left(1);
    for (int i = 1; i <= 13; ++i) {
        const char16_t c = t[i].unicode();
        if (i == 7)
            continue;
        if (i < 7 && c >= 'A' && c <= 'J')
            digits += QChar(u'0' + (c - u'A'));
        else if (i < 7 && c >= 'K' && c <= 'T')
            digits += QChar(u'0' + (c - u'K'));
        else if (i > 7 && c >= 'a' && c <= 'j')
            digits += QChar(u'0' + (c - u'a'));
        else
            return std::nullopt;
    }
    return digits;
}

std::optional<QString> Ean13Digits(const QString& text)
{
    const QString t = text.trimmed();
    if (const auto font = FontDigits(t))
        return Ean13Digits(*font);
    if ((t.size() != 12 && t.size() != 13) ||
        std::any_of(t.begin(), t.end(), [](QChar c) { return c < '0' || c > '9'; }))
        return std::nullopt;
    const QString twelve = t.left(12);
    return twelve + QString::number(barcode::Ean13CheckDigit(twelve.toStdString()));
}

QString Ean13Modules(const QString& digits)
{
    QString m = "101";
    const char* parity = Parity[digits[0].digitValue()];
    for (int i = 1; i <= 6; ++i) {
        const int d = digits[i].digitValue();
        m += parity[i - 1] == 'L' ? SetL[d] : SetG[d];
    }
    m += "01010";
    for (int i = 7; i <= 12; ++i)
        m += SetR[digits[i].digitValue()];
    m += "101";
    return m;
}

void DrawEan13(QPainter& painter, const QRectF& rect, const QString& digits)
{
    const QString modules = Ean13Modules(digits);
    // Quiet zones of 11 and 7 modules on either side, as readers expect.
    const double module = rect.width() / (modules.size() + 18);
    const double textHeight = rect.height() * 0.2;
    const double barHeight = rect.height() - textHeight;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (qsizetype i = 0; i < modules.size(); ++i) {
        if (modules[i] == '1')
            painter.drawRect(
                QRectF(rect.left() + (11 + i) * module, rect.top(), module, barHeight));
    }
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(std::max(1, static_cast<int>(textHeight * 0.9)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(rect.left(), rect.top() + barHeight, rect.width(), textHeight),
                     Qt::AlignCenter, digits);
    painter.restore();
}

} // namespace report
