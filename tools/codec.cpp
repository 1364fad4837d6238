// codec.cpp: the base-64 record-number codec.
#include "tools/codec.h"

namespace {

constexpr char16_t kAlphabet[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kDigits = 6;

// Digit value of `c`, or -1 for a character outside the alphabet.
int digitOf(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'A' && u <= u'Z') return u - u'A';
    if (u >= u'a' && u <= u'z') return u - u'a' + 26;
    if (u >= u'0' && u <= u'9') return u - u'0' + 52;
    if (u == u'+') return 62;
    if (u == u'/') return 63;
    return -1;
}

}  // namespace

QString Encode64(int32_t recNo) {
    // Six digits of 6 bits cover 36 bits, so every 32-bit pattern has a form.
    uint32_t value = static_cast<uint32_t>(recNo);
    QString out(kDigits, u'A');
    for (int k = kDigits - 1; k >= 0; --k) {
        out[k] = QChar(kAlphabet[value & 63u]);
        value >>= 6;
    }
    return out;
}

int32_t TrouverRecNo(const QString& text, RecNoForm form) {
    const qsizetype first = form == RecNoForm::RowId ? 12 : 0;
    uint32_t sum = 0;
    for (int k = 0; k < kDigits; ++k) {
        const qsizetype pos = first + k;
        const int digit = pos < text.size() ? digitOf(text.at(pos)) : -1;
        sum += static_cast<uint32_t>(digit) << (6 * (kDigits - 1 - k));
    }
    return static_cast<int32_t>(sum);
}
