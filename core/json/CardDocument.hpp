#pragma once

// The frame of the JSON document of many cards:
//   {"version": 1, "cards": [ entry, ... ], "summary": {...}}
// with one entry per path, each on a line of its own.

#include <functional>
#include <string_view>

#include "json/JsonWriter.hpp"

namespace Vantorn {

class CardDocument {
public:
    // Writes the document's start.
    explicit CardDocument(std::ostream& out);
    CardDocument(const CardDocument&) = delete;
    CardDocument& operator=(const CardDocument&) = delete;

    // One entry, written as JSON text by writeCardJson or writeCardErrorJson.
    void entry(std::string_view json);
    // The place of one entry whose JSON text the caller writes to the stream next.
    void entryFollows();
    // One entry written here by `write`, reaching the stream in pieces as it grows.
    void entry(const std::function<void(JsonWriter&)>& write);
    // Closes the cards' array; `member`, where given, writes one more member after it
    // (its value, after the key written here), and the document ends with a line end.
    void finish(std::string_view key = {}, const std::function<void(JsonWriter&)>& member = {});

private:
    std::ostream& out_;
    JsonWriter json_;
};

}  // namespace Vantorn
