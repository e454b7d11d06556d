#include "json/CardDocument.hpp"

#include <ostream>

#include "json/CardJson.hpp"

namespace Vantorn {

CardDocument::CardDocument(std::ostream& out) : out_(out), json_(out) {
    json_.flushAbove(64 * 1024);
    json_.beginObject();
    json_.member("version", cardJsonVersion);
    json_.key("cards");
    json_.beginArray();
    json_.breakLines();
}

void CardDocument::entry(std::string_view json) {
    json_.raw(json);
    json_.flush();
}

void CardDocument::entryFollows() {
    json_.raw({});
    json_.flush();
}

void CardDocument::entry(const std::function<void(JsonWriter&)>& write) {
    write(json_);
    json_.flush();
}

void CardDocument::finish(std::string_view key, const std::function<void(JsonWriter&)>& member) {
    json_.endArray();
    if (member) {
        json_.key(key);
        member(json_);
    }
    json_.endObject();
    json_.flush();
    out_ << '\n';
}

}  // namespace Vantorn
