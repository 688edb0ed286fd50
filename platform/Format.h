#pragma once
// A printf-like formatter over typed arguments. Specifiers: %[-][width][.precision]type with the
// types d u x (whole numbers), e f g n m (floating point), s (text) and %% for a percent sign; "*"
// for the width or the precision takes the next whole-number argument. f, n and m use the locale's
// decimal separator, n and m its thousand separator, m its currency symbol. A specifier that does not
// fit its argument, a missing argument or an unknown specifier throws EFormatError naming the
// specifier; nothing ever reads past the arguments given.
#include "platform/Error.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <initializer_list>
#include <variant>

namespace plat {

class EFormatError : public Error {
public:
    using Error::Error;
};

class FormatArg {
public:
    struct Int {
        int64_t value;
        bool wide;  // a 64-bit argument: %u and %x use all 64 bits
    };
    FormatArg(int v) : v_(Int{v, false}) {}
    FormatArg(unsigned v) : v_(Int{int64_t(v), true}) {}
    FormatArg(long v) : v_(Int{int64_t(v), true}) {}
    FormatArg(long long v) : v_(Int{int64_t(v), true}) {}
    FormatArg(unsigned long v) : v_(Int{int64_t(v), true}) {}
    FormatArg(unsigned long long v) : v_(Int{int64_t(v), true}) {}
    FormatArg(double v) : v_(v) {}
    FormatArg(const QString& v) : v_(v) {}
    FormatArg(QStringView v) : v_(v.toString()) {}
    FormatArg(const char16_t* v) : v_(QString::fromUtf16(v)) {}
    FormatArg(const char* v) : v_(QString::fromUtf8(v)) {}

    const std::variant<Int, double, QString>& value() const { return v_; }

private:
    std::variant<Int, double, QString> v_;
};

QString Format(QStringView format, std::initializer_list<FormatArg> args);
inline QString Format(QStringView format) { return Format(format, {}); }

}  // namespace plat
