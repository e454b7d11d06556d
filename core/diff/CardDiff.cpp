#include "diff/CardDiff.hpp"

#include <cstring>
#include <map>
#include <stdexcept>
#include <utility>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "format/Hex.hpp"

namespace Vantorn {
namespace {

constexpr std::uint64_t fnvBasis = 14695981039346656037ull;

std::uint64_t mixed(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}
std::uint64_t mixed(std::uint64_t hash, std::uint64_t number) {
    return mixed(hash, std::string_view(reinterpret_cast<const char*>(&number), sizeof number));
}

// The counts of records: the records added or removed say it already.
bool isCount(const char* name) {
    return !std::strcmp(name, "motionCount") || !std::strcmp(name, "eventCount") ||
           !std::strcmp(name, "contentCount") || !std::strcmp(name, "childCount");
}

// One version's listing as a tree of records, each with its own fields, its children
// and a hash of everything in it.
class Tree {
public:
    struct Node {
        std::vector<const ListedField*> fields;
        std::vector<std::size_t> children;
        std::uint64_t hash = fnvBasis;
        const char* kind = "";
    };

    Tree(const CardListing& listing, std::string_view bytes) : listing_(listing), bytes_(bytes) {
        nodes_.resize(listing.records.size() + 1);
        const std::size_t root = rootIndex();
        for (std::size_t i = 0; i < listing.records.size(); ++i) {
            const ListedRecord& record = listing.records[i];
            nodes_[i].kind = record.kind;
            nodes_[record.parent == ListedRecord::none ? root : record.parent].children.push_back(i);
        }
        for (const ListedField& field : listing.fields) {
            nodes_[field.record == ListedRecord::none ? root : field.record].fields.push_back(&field);
        }
        // A record is entered after the one it lies in: children before parents here.
        for (std::size_t i = nodes_.size(); i-- > 0;) {
            Node& node = nodes_[i];
            node.hash = mixed(node.hash, std::string_view(node.kind));
            for (const ListedField* field : node.fields) node.hash = mixed(node.hash, fieldHash(*field));
            for (const std::size_t child : node.children) node.hash = mixed(node.hash, nodes_[child].hash);
        }
    }

    std::size_t rootIndex() const { return nodes_.size() - 1; }
    const Node& node(std::size_t index) const { return nodes_[index]; }
    // The field's bytes in the file: what makes two fields equal.
    std::string_view raw(const ListedField& field) const {
        if (field.offset >= bytes_.size()) return {};
        return bytes_.substr(static_cast<std::size_t>(field.offset),
                             static_cast<std::size_t>(std::min<std::uint64_t>(field.size, bytes_.size() - field.offset)));
    }
    std::uint64_t fieldHash(const ListedField& field) const {
        return mixed(mixed(fnvBasis, std::string_view(field.name)), raw(field));
    }
    // The record's path as the listing writes it: its first field's, without the field.
    std::string path(std::size_t index) const {
        const Node& node = nodes_[index];
        if (node.fields.empty()) return listing_.records[index].kind;
        const ListedField& first = *node.fields.front();
        const std::size_t cut = first.path.size() - std::strlen(first.name);
        return first.path.substr(0, cut >= 3 ? cut - 3 : 0);
    }
    // A record named once: the meanings and texts of its own fields, and its numbers
    // that are not zero.
    std::string summary(std::size_t index) const {
        std::string out;
        for (const ListedField* field : nodes_[index].fields) {
            if (isCount(field->name)) continue;
            std::string part;
            if (field->type == FieldType::string) {
                if (!field->text.empty()) part = field->value;
            } else if (!field->meaning.empty()) {
                part = field->meaning.substr(0, field->meaning.find(", "));
            } else if (field->number != 0) {
                part = std::string(field->name) + ' ' + field->value;
            }
            if (part.empty()) continue;
            if (!out.empty()) out += ", ";
            out += part;
        }
        const std::size_t children = nodes_[index].children.size();
        if (children != 0) out += (out.empty() ? "" : ", ") + std::to_string(children) + (children == 1 ? " record" : " records") + " inside";
        return out;
    }
    std::string_view trailing() const {
        return listing_.end.offset < bytes_.size() ? bytes_.substr(static_cast<std::size_t>(listing_.end.offset))
                                                   : std::string_view();
    }

private:
    const CardListing& listing_;
    std::string_view bytes_;
    std::vector<Node> nodes_;
};

std::string checksum(std::string_view bytes) {
    const std::uint64_t hash = mixed(fnvBasis, bytes);
    return "checksum " + hex(static_cast<std::uint32_t>(hash ^ (hash >> 32)), 8);
}

class Comparison {
public:
    Comparison(const Tree& older, const Tree& newer, std::vector<FieldChange>& changes)
        : old_(older), new_(newer), changes_(changes) {}

    void records(std::size_t a, std::size_t b) {
        fields(old_.node(a), new_.node(b));
        children(old_.node(a).children, new_.node(b).children);
    }

private:
    using Key = std::pair<std::string_view, std::size_t>;  // a field's name and its occurrence

    static std::vector<std::pair<Key, const ListedField*>> keyed(const Tree::Node& node) {
        std::vector<std::pair<Key, const ListedField*>> out;
        std::map<std::string_view, std::size_t> seen;
        for (const ListedField* field : node.fields) {
            if (!isCount(field->name)) out.push_back({{field->name, seen[field->name]++}, field});
        }
        return out;
    }

    void fields(const Tree::Node& a, const Tree::Node& b) {
        if (a.hash == b.hash) return;
        const auto oldFields = keyed(a);
        const auto newFields = keyed(b);
        std::map<Key, const ListedField*> olds(oldFields.begin(), oldFields.end());
        for (const auto& [key, field] : newFields) {
            const auto found = olds.find(key);
            if (found == olds.end()) {
                changes_.push_back({field->path, std::nullopt, field->value, {}, field->meaning});
                continue;
            }
            const ListedField& was = *found->second;
            olds.erase(found);
            const std::string_view before = old_.raw(was), after = new_.raw(*field);
            if (before == after) continue;
            FieldChange change{field->path, was.value, field->value, was.meaning, field->meaning};
            if (was.value == field->value) {  // a picture, or bytes after a text's end
                *change.oldValue += ", " + checksum(before);
                *change.newValue += ", " + checksum(after);
            }
            changes_.push_back(std::move(change));
        }
        for (const auto& [key, field] : oldFields) {
            if (olds.count(key)) changes_.push_back({field->path, field->value, std::nullopt, field->meaning, {}});
        }
    }

    void children(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b) {
        std::vector<std::uint64_t> oldKeys, newKeys;
        for (const std::size_t i : a) oldKeys.push_back(old_.node(i).hash);
        for (const std::size_t j : b) newKeys.push_back(new_.node(j).hash);
        std::size_t i = 0, j = 0;
        for (const auto& [mi, mj] : commonSubsequence(oldKeys, newKeys)) {
            unmatched(a, i, mi, b, j, mj);
            i = mi + 1;
            j = mj + 1;
        }
        unmatched(a, i, a.size(), b, j, b.size());
    }

    // Between two matched records: those of a kind on both sides pair in order and
    // are compared inside; the rest were removed or added.
    void unmatched(const std::vector<std::size_t>& a, std::size_t i, std::size_t iEnd, const std::vector<std::size_t>& b,
                   std::size_t j, std::size_t jEnd) {
        while (i < iEnd || j < jEnd) {
            if (i < iEnd && j < jEnd && !std::strcmp(old_.node(a[i]).kind, new_.node(b[j]).kind)) {
                records(a[i++], b[j++]);
            } else if (i < iEnd && (j == jEnd || !kindAhead(new_, b, j, jEnd, old_.node(a[i]).kind))) {
                changes_.push_back({old_.path(a[i]), old_.summary(a[i]), std::nullopt, {}, {}});
                ++i;
            } else {
                changes_.push_back({new_.path(b[j]), std::nullopt, new_.summary(b[j]), {}, {}});
                ++j;
            }
        }
    }
    static bool kindAhead(const Tree& tree, const std::vector<std::size_t>& list, std::size_t from, std::size_t end,
                          const char* kind) {
        for (; from < end; ++from) {
            if (!std::strcmp(tree.node(list[from]).kind, kind)) return true;
        }
        return false;
    }

    const Tree& old_;
    const Tree& new_;
    std::vector<FieldChange>& changes_;
};

// A version read whole: its listing, level and estimate, or its failure.
struct Read {
    CardListing listing;
    DiffSide side;
};

Read readVersion(const CardVersion& version) {
    Read read;
    read.side.present = true;
    if (!version.bytes) {
        read.side.failure = version.failure;
        return read;
    }
    read.listing = listCard(*version.bytes);
    if (read.listing.end.stop) {
        read.side.failure = read.listing.end.stop;
        return read;
    }
    try {
        const SkillCard card = readSkillCard(*version.bytes);
        read.side.level = card.cardLevel;
        read.side.estimate = estimateLevel(card).level;
    } catch (const std::runtime_error& error) {
        const ReadLocation* at = locationOf(error);
        read.side.failure = ListingStop{error.what(), at ? std::optional<ReadLocation>(*at) : std::nullopt};
    }
    return read;
}

}  // namespace

const char* diffStatusName(DiffStatus status) {
    switch (status) {
    case DiffStatus::added: return "added";
    case DiffStatus::removed: return "removed";
    case DiffStatus::changed: return "changed";
    case DiffStatus::unchanged: return "unchanged";
    case DiffStatus::unreadable: return "unreadable";
    }
    return "";
}

const char* diffStatusWord(DiffStatus status) {
    switch (status) {
    case DiffStatus::added: return "追加";
    case DiffStatus::removed: return "削除";
    case DiffStatus::changed: return "変更";
    case DiffStatus::unchanged: return "変更なし";
    case DiffStatus::unreadable: return "読込失敗";
    }
    return "";
}

std::optional<double> CardDiff::move() const {
    if (!oldSide.estimate || !newSide.estimate) return std::nullopt;
    return *newSide.estimate - *oldSide.estimate;
}

std::vector<std::pair<std::size_t, std::size_t>> commonSubsequence(const std::vector<std::uint64_t>& a,
                                                                   const std::vector<std::uint64_t>& b,
                                                                   std::size_t maxCells) {
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) pairs.push_back({head, head}), ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    const std::size_t n = a.size() - head - tail, m = b.size() - head - tail;
    if (n != 0 && m != 0 && n <= maxCells / m) {
        // lengths[i][j]: the longest common subsequence of a[head+i..] and b[head+j..].
        std::vector<std::uint32_t> lengths((n + 1) * (m + 1), 0);
        const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return lengths[i * (m + 1) + j]; };
        for (std::size_t i = n; i-- > 0;) {
            for (std::size_t j = m; j-- > 0;) {
                at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
            }
        }
        for (std::size_t i = 0, j = 0; i < n && j < m;) {
            if (a[head + i] == b[head + j]) {
                pairs.push_back({head + i++, head + j++});
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
    }
    for (std::size_t k = tail; k-- > 0;) pairs.push_back({a.size() - 1 - k, b.size() - 1 - k});
    return pairs;
}

CardDiff compareCards(std::string path, const CardVersion* oldVersion, const CardVersion* newVersion) {
    CardDiff diff;
    diff.path = std::move(path);
    diff.oldSide.present = oldVersion != nullptr;
    diff.newSide.present = newVersion != nullptr;
    if (oldVersion && newVersion && oldVersion->bytes && newVersion->bytes && *oldVersion->bytes == *newVersion->bytes) {
        return diff;  // unchanged, whatever the bytes hold
    }
    std::optional<Read> older, newer;
    if (oldVersion) {
        older = readVersion(*oldVersion);
        diff.oldSide = older->side;
    }
    if (newVersion) {
        newer = readVersion(*newVersion);
        diff.newSide = newer->side;
    }
    if (!older) {
        diff.status = DiffStatus::added;
        return diff;
    }
    if (!newer) {
        diff.status = DiffStatus::removed;
        return diff;
    }
    if (diff.oldSide.failure || diff.newSide.failure) {
        diff.status = DiffStatus::unreadable;
        return diff;
    }
    diff.status = DiffStatus::changed;
    const Tree oldTree(older->listing, *oldVersion->bytes);
    const Tree newTree(newer->listing, *newVersion->bytes);
    Comparison(oldTree, newTree, diff.changes).records(oldTree.rootIndex(), newTree.rootIndex());
    const std::string_view oldTrail = oldTree.trailing(), newTrail = newTree.trailing();
    if (oldTrail != newTrail) {
        const auto text = [](std::string_view trail) {
            return std::to_string(trail.size()) + (trail.size() == 1 ? " byte" : " bytes") + " not read" +
                   (trail.empty() ? "" : ", " + checksum(trail));
        };
        diff.changes.push_back({"end", text(oldTrail), text(newTrail), {}, {}});
    }
    return diff;
}

}  // namespace Vantorn
