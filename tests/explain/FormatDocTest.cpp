// docs/format.md against the code: its record tables are the record layouts the reader
// and the card writer follow, with the coded fields' codes and names and the reader's
// limits, its field names are the ones the listing prints for the example cards, and
// its table of content kinds is the kinds' own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cardwriter/CardWriter.hpp"
#include "cards/CodedFields.hpp"
#include "cards/Layouts.hpp"
#include "events/ContentFactory.hpp"
#include "events/ContentHeader.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "explain/Listing.hpp"
#include "format/CardFile.hpp"
#include "format/Limits.hpp"
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

// A row of a record table, or a field of a layout: offset (where fixed), type, field
// name and its bounds (and, from the doc, its meaning).
struct FieldRow {
    std::string offset, type, field, bounds, meaning;
};

// The page writes a minus sign where the code writes a hyphen.
std::string withHyphens(const std::string& text) {
    return std::regex_replace(text, std::regex("\xE2\x88\x92"), "-");
}

struct FormatDoc {
    std::string text;
    std::set<std::string> fields;                 // of the record tables
    std::map<std::string, std::vector<FieldRow>> records;  // by section title: its named fields
    std::map<int, std::vector<std::string>> kinds;  // code -> kind, label, family, own fields
};

FormatDoc readFormatDoc() {
    std::ifstream in(MORNSTAVE_FORMAT_DOC);
    FormatDoc doc;
    enum { none, records, kinds } table = none;
    std::string section;
    for (std::string line; std::getline(in, line);) {
        doc.text += line + '\n';
        if (line.rfind("## ", 0) == 0) section = line.substr(3);
        if (line.rfind("| offset | type | field |", 0) == 0) table = records;
        else if (line.rfind("| code | kind |", 0) == 0) table = kinds;
        else if (line.empty() || line[0] != '|') table = none;
        else if (line.rfind("|---", 0) == 0) continue;
        else if (table == records) {
            const std::vector<std::string> row = cells(line);
            const std::string& field = row.at(2);
            if (field.size() > 2 && field.front() == '`') {
                const std::string name = field.substr(1, field.size() - 2);
                doc.records[section].push_back({row.at(0), row.at(1), name, withHyphens(row.at(4)), withHyphens(row.at(3))});
                if (name.find(" N") == std::string::npos) doc.fields.insert(name);
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

// The fields a record layout lists, as rows: the offset while the fields before are
// of fixed width, the type and name, and the bounds.
class LayoutList {
public:
    explicit LayoutList(std::string offsetPrefix = "+") : prefix_(std::move(offsetPrefix)) {}
    template <class T>
    void int32(const char* name, T&, Range range = unbounded) { add("int32", name, 4, range); }
    template <class T>
    void byte(const char* name, T&, Range range = unbounded) { add("byte", name, 1, range); }
    void boolean(const char* name, bool&) { add("bool", name, 1); }
    template <class T>
    void string(const char* name, T&) { add("string", name, -1); }
    template <class T>
    void childCount(const char* name, T&) { add("int32", name, 4); }
    void tag(const char* name, std::int32_t&) { add("byte", name, 1); }
    void picture(const char* size, const char* signature, const char* picture, std::string&) {
        add("int32", size, 4);
        add("int16", signature, 2);
        add("bytes", picture, -1);
    }
    template <class List>
    void motions(const char* count, const char* record, List&) { list(count, "motion", record); }
    template <class Card>
    void events(const char* count, const char* record, Card&) { list(count, "event", record); }
    void unreadableCategory(const char*, std::int32_t) {}

    std::vector<FieldRow> rows;

private:
    void add(const char* type, const char* name, int width, Range range = unbounded) {
        rows.push_back({offset_ < 0 ? "" : prefix_ + std::to_string(offset_), type, name,
                        range.checked() ? range.text() : "", ""});
        offset_ = offset_ < 0 || width < 0 ? -1 : offset_ + width;
    }
    void list(const char* count, const char* type, const char* record) {
        add("int32", count, 4);
        add(type, (std::string(record) + " N").c_str(), -1);
    }

    std::string prefix_;
    long offset_ = 0;
};

// The doc's rows against a layout's, in order: type and name, the offset where the doc
// gives one, and the bounds' start (the doc goes on to say what the values mean).
void expectRows(const std::vector<FieldRow>& documented, const std::vector<FieldRow>& listed, const char* record) {
    EXPECT_EQ(documented.size(), listed.size()) << record;
    for (std::size_t i = 0; i < std::min(documented.size(), listed.size()); ++i) {
        const FieldRow& doc = documented[i];
        const FieldRow& layout = listed[i];
        EXPECT_EQ(doc.type + " " + doc.field, layout.type + " " + layout.field) << record << " row " << i + 1;
        if (!doc.offset.empty()) {
            EXPECT_EQ(doc.offset, layout.offset) << record << " " << layout.field;
        }
        EXPECT_EQ(doc.bounds.substr(0, layout.bounds.size()), layout.bounds) << record << " " << layout.field;
    }
}

TEST(FormatDoc, RecordTablesAreTheRecordLayouts) {
    const FormatDoc doc = readFormatDoc();

    testing::SkillCardRecord card;
    card.picture = "BM";
    LayoutList cardFields("");
    visitCardFields(card, static_cast<UnkeptCardFields&>(card), cardFields);
    expectRows(doc.records.at("The card"), cardFields.rows, "card");

    // The fixed part, then each category's tail from the same offset on.
    std::vector<FieldRow> motionRows;
    for (std::uint8_t category : {2, 0, 3, 5}) {
        testing::MotionRecord motion(category);
        LayoutList fields;
        visitMotionFields(motion, static_cast<UnkeptMotionFields&>(motion), fields);
        motionRows.insert(motionRows.end(), fields.rows.begin() + (motionRows.empty() ? 0 : 5), fields.rows.end());
    }
    expectRows(doc.records.at("A motion"), motionRows, "motion");

    std::int32_t type = 0, childCount = 0;
    std::string name;
    LayoutList header;
    visitContentHeader(type, name, childCount, header);
    header.rows.push_back({"", "content", "child N", "", ""});
    expectRows(doc.records.at("A content"), header.rows, "content");
}

const FieldRow& documentedRow(const FormatDoc& doc, const char* section, const std::string& field) {
    static const FieldRow none;
    for (const FieldRow& row : doc.records.at(section)) {
        if (row.field == field) return row;
    }
    ADD_FAILURE() << field << " is not in " << section;
    return none;
}

// Each coded field's row gives its codes and their names in the table's order, and the
// reader's limits are the ones the page states.
TEST(FormatDoc, CodedFieldsAndLimitsAreTheTablesOwn) {
    const FormatDoc doc = readFormatDoc();
    for (const CodedField* coded : codedFields) {
        std::string names;
        for (std::int32_t code = coded->lowest; code <= coded->highest(); ++code) {
            names += (names.empty() ? "" : ", ") + cp932ToUtf8(coded->name(code));
        }
        const char* section = std::string(coded->field) == "element" || std::string(coded->field) == "valueType"
                                  ? "A motion" : "The card";
        const FieldRow& row = documentedRow(doc, section, coded->field);
        const std::string said = row.meaning + " | " + row.bounds;
        EXPECT_NE(said.find(coded->range().text() + ": " + names), std::string::npos) << said;
    }

    const std::string atMostList = "at most " + std::to_string(maxListCount);
    EXPECT_EQ(documentedRow(doc, "The card", "eventCount").bounds, atMostList);
    EXPECT_EQ(documentedRow(doc, "An event", "contentCount").bounds, atMostList);
    const FieldRow& childCount = documentedRow(doc, "A content", "childCount");
    const std::string bias = std::to_string(childCountBias) + " + ";
    EXPECT_EQ(childCount.meaning.rfind(bias, 0), 0u) << childCount.meaning;
    EXPECT_EQ(childCount.bounds, "at most " + bias + std::to_string(maxChildCount));
    EXPECT_EQ(documentedRow(doc, "A content", "child N").bounds,
              "a tree at most " + std::to_string(maxContentDepth) + " levels deep");
    EXPECT_NE(doc.text.find("(at most " + std::to_string(maxStringLength) + ")"), std::string::npos);
    EXPECT_NE(doc.text.find("at most " + std::to_string(maxCardFileSize) + " bytes"), std::string::npos);
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
