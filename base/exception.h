#pragma once

#include <exception>
#include <string>

namespace base {

// Root of every exception the system raises. The message is UTF-8 text that the GUI
// shows as it stands in its error box.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message_(std::move(message)) {}

    const std::string& Message() const noexcept { return Message_; }
    const char* what() const noexcept override { return Message_.c_str(); }

private:
    std::string Message_;
};

// Raised by the streams when a read, write, seek or file operation cannot be carried out.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Raised by the text conversions for input that cannot be converted.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace base
