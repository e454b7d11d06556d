#pragma once

#include <iosfwd>

namespace Vantorn {

class Content;
class TextOut;

// A content's own line without indentation or line end: "name: " when it has a name,
// then the line of its kind.
void writeContentLine(std::ostream& out, const Content& content);
void writeContentLine(TextOut& out, const Content& content);

}  // namespace Vantorn
