#pragma once

#include <cstdint>
#include <string>

namespace Vantorn {

// Sees the own fields of a content in file order, each with its name and file type.
// The reader fills them, the card writer and the outputs only look.
class FieldVisitor {
public:
    virtual void int32(const char* name, std::int32_t& value) = 0;
    virtual void byte(const char* name, std::int32_t& value) = 0;  // 0..255 in an int32
    virtual void boolean(const char* name, bool& value) = 0;
    virtual void string(const char* name, std::string& value) = 0;

protected:
    ~FieldVisitor() = default;
};

}  // namespace Vantorn
