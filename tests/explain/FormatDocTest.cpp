// docs/format.md against the code: its field names are the ones the listing prints
// for the example cards, and its table of content kinds is the kinds' own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "events/ContentFactory.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "explain/Listing.hpp"
#include "format/CardFile.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out;
    std::stringstream in(row.substr(1));
    for (std::string cell; std::getline(in, cell, '|');) {
        const std::size_t first = cell.find_first_not_of(' ');
        out.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    return out;
}

struct FormatDoc {
    std::set<std::string> fields;                 // of the record tables
    std::map<int, std::vector<std::string>> kinds;  // code -> kind, label, family, own fields
};

FormatDoc readFormatDoc() {
    std::ifstream in(MORNSTAVE_FORMAT_DOC);
    FormatDoc doc;
    enum { none, records, kinds } table = none;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| offset | type | field |", 0) == 0) table = records;
        else if (line.rfind("| code | kind |", 0) == 0) table = kinds;
        else if (line.empty() || line[0] != '|') table = none;
        else if (line.rfind("|---", 0) == 0) continue;
        else if (table == records) {
            const std::string field = cells(line).at(2);
            if (field.size() > 2 && field.front() == '`' && field.find(" N`") == std::string::npos) {
                doc.fields.insert(field.substr(1, field.size() - 2));
            }
        } else if (table == kinds) {
            std::vector<std::string> row = cells(line);
            doc.kinds[std::stoi(row.at(0))] = {row.begin() + 1, row.end()};
        }
    }
    return doc;
}

// The field names a listing prints: the last segment of each line's path.
std::set<std::string> listedFields(const std::string& listing) {
    std::set<std::string> names;
    const std::regex line(R"(^0x[0-9A-F]+ +[0-9]+  (?:.* > )?([A-Za-z0-9]+)  )");
    std::stringstream in(listing);
    for (std::string text; std::getline(in, text);) {
        std::smatch match;
        if (std::regex_search(text, match, line)) names.insert(match[1]);
    }
    return names;
}

// A kind's own fields as the table writes them: `name` type, ...
class FieldList final : public FieldVisitor {
public:
    void int32(const char* name, std::int32_t&) override { add(name, "int32"); }
    void byte(const char* name, std::int32_t&) override { add(name, "byte"); }
    void boolean(const char* name, bool&) override { add(name, "bool"); }
    void string(const char* name, std::string&) override { add(name, "string"); }
    std::string text;
    std::set<std::string> names;

private:
    void add(const char* name, const char* type) {
        text += (text.empty() ? "`" : ", `") + std::string(name) + "` " + type;
        names.insert(name);
    }
};

TEST(FormatDoc, TablesMatchTheListingAndTheContentKinds) {
    const FormatDoc doc = readFormatDoc();
    ASSERT_FALSE(doc.fields.empty());
    ASSERT_EQ(doc.kinds.size(), static_cast<std::size_t>(contentKindCount));

    std::set<std::string> ownFields;
    for (int code = 0; code <= maxContentType; ++code) {
        const ContentKindInfo& kind = contentKindInfo(code);
        FieldList fields;
        makeContent(code)->visitFields(fields);
        ownFields.insert(fields.names.begin(), fields.names.end());
        const std::vector<std::string>& row = doc.kinds.at(code);
        EXPECT_EQ(row.at(0), "`" + std::string(kind.name) + "`") << code;
        EXPECT_EQ(row.at(1), cp932ToUtf8(kind.label)) << code;
        EXPECT_EQ(row.at(2), familyName(kind.family)) << code;
        if (kind.readable) {
            EXPECT_EQ(row.at(3), fields.text.empty() ? u8"—" : fields.text) << code;  // the page is UTF-8
        }
    }

    std::set<std::string> listed;
    for (const auto& entry : std::filesystem::directory_iterator(MORNSTAVE_EXAMPLES_DIR)) {
        std::ostringstream listing;
        writeListing(listing, readCardFile(entry.path()));
        const std::set<std::string> names = listedFields(listing.str());
        listed.insert(names.begin(), names.end());
    }
    for (const std::string& name : listed) {
        EXPECT_TRUE(doc.fields.count(name) || ownFields.count(name)) << name << " is listed, not documented";
    }
    for (const std::string& name : doc.fields) {
        EXPECT_TRUE(listed.count(name)) << name << " is documented, never listed for the examples";
    }
}

}  // namespace
}  // namespace Vantorn
