#pragma once
// The error type of the platform layer: an exception that carries the message the general error
// handler shows.
#include <QString>
#include <stdexcept>

namespace plat {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// An index outside a list.
class EListError : public Error {
public:
    using Error::Error;
};

// "List index out of bounds (7)": the one message of every list's index check.
[[noreturn]] void throwListIndexError(int index);

// An object assigned from an object of a class it cannot take.
class EInvalidCast : public Error {
public:
    using Error::Error;
};
// "Invalid class typecast".
[[noreturn]] void throwInvalidCast();

// A resource the program does not carry.
class EResNotFound : public Error {
public:
    using Error::Error;
};
// "Resource LOGO not found".
[[noreturn]] void throwResNotFound(const QString& name);

}  // namespace plat
