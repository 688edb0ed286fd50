#pragma once
// The built-in English texts, kept as data: one record per entry that carries a text, in entry
// order. Every entry not listed holds a single blank.
#include <cstddef>

namespace ulanguage_detail {

struct BuiltInText {
    int number;
    const char16_t* text;
};

extern const BuiltInText kBuiltInTexts[];
extern const std::size_t kBuiltInTextCount;

}  // namespace ulanguage_detail
