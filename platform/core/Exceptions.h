#pragma once
// The exception classes of the runtime. Every error the layer raises derives from Exception,
// whose Message is the text shown to the user.

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  [[nodiscard]] const char* what() const noexcept override { return Message.c_str(); }

  std::string Message;
};

// A text that is not a number, a date or a value of the expected form.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A list index out of bounds, or a duplicate refused by a sorted list.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// A stream that cannot read, write or seek as asked.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A file operation of the runtime that failed; ErrorCode is the system's error number.
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int errorCode = 0) : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

// A resource that does not exist in the program's resource table.
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

// An invalid argument or state handed to the component framework.
class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// An object that is not of the class the receiver expects.
class EInvalidCast : public Exception {
 public:
  using Exception::Exception;
};

class EThread : public Exception {
 public:
  using Exception::Exception;
};

// A failed assertion, carrying the unit (source file) and line.
class EAssertionFailed : public Exception {
 public:
  EAssertionFailed(std::string message, std::string unit, int line)
      : Exception(message + " (" + unit + ", line " + std::to_string(line) + ")"),
        Unit(std::move(unit)),
        Line(line) {}
  std::string Unit;
  int Line;
};

// Raises EAssertionFailed when the condition does not hold.
#define PLATFORM_ASSERT(cond, msg)                                   \
  do {                                                               \
    if (!(cond)) throw EAssertionFailed((msg), __FILE__, __LINE__);  \
  } while (0)

// A picture whose data is not a valid image of its format (truncated, lying header, too large).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A drawing operation that cannot be done (no canvas handle, bad pixel format).
class EInvalidGraphicOperation : public Exception {
 public:
  using Exception::Exception;
};

// A system call of the layer that failed; the message carries the system's reason.
class EOSError : public Exception {
 public:
  EOSError(std::string message, int errorCode = 0) : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};
