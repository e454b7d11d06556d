#include "Compose.hpp"
#include "Shortcut.hpp"
#include "ConsoleDriver.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "format/Errors.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"
#include "text/Cp932.hpp"
#include "cardwriter/CardWriter.hpp"

namespace Mornstave {
namespace {

namespace fs = std::filesystem;
using Vantorn::ContentKind;
using Vantorn::testing::ContentRecord;
using Vantorn::testing::MotionRecord;
using Vantorn::testing::SkillCardRecord;

// A folder of its own per test, so that tests never see each other's files.
class CardFolder {
public:
    CardFolder() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::path(::testing::TempDir()) / "mornstave-compose" /
                (std::string(test->test_suite_name()) + "." + test->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~CardFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string dir() const { return root_.string() + "/"; }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
        return dir() + name;
    }

private:
    fs::path root_;
};

// A card aimed at enemies, with a motion and an event, so that both the
// description and the estimate have something to say.
std::string cardWithEvent() {
    SkillCardRecord record;
    record.name = "炎の矢";
    record.targetType = 3;
    record.motions = {MotionRecord{0, 1, 5, 0, 4}};
    ContentRecord start{ContentKind::Start};
    start.name = "開始";
    record.events = {{start}};
    return record.bytes().data;
}

std::string cardWithoutEvent() {
    SkillCardRecord record;
    record.name = "癒しの風";
    record.targetType = 2;
    return record.bytes().data;
}

std::string corruptCard() {
    SkillCardRecord record;
    record.events = {{ContentRecord{255}}};
    return record.bytes().data;
}

std::string notACard() {
    return std::string("\x01not a card", 11);
}

// What the core itself writes for the card at path, unframed.
std::string coreText(const std::string& path) {
    Vantorn::SkillCard card;
    card.load(path);
    std::ostringstream out;
    Vantorn::writeDescription(out, card);
    Vantorn::writeEstimate(out, Vantorn::estimateLevel(card));
    return out.str();
}

std::string messageOf(const std::string& path) {
    try {
        composeCard(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error for " << path;
    return {};
}

TEST(ComposeCardTest, IsTheHeaderLineThenDescriptionAndEstimateWithNoEmptyLineAfter) {
    CardFolder folder;
    const std::string path = folder.write("skill1.vnt", cardWithEvent());
    const std::string text = composeCard(path);

    EXPECT_EQ(text, "[" + path + "]\n" + coreText(path));
    EXPECT_NE(text.find("\nlevel: "), std::string::npos);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text[text.size() - 2], '\n');
}

TEST(ComposeCardTest, ReadingErrorsReachTheCallerWithTheirMessage) {
    CardFolder folder;
    EXPECT_EQ(messageOf(folder.dir() + "skill_missing.vnt"), "開けません");
    EXPECT_EQ(messageOf(folder.write("skill_text.vnt", notACard())), "技能カードではありません");
    EXPECT_EQ(messageOf(folder.write("skill_broken.vnt", corruptCard())), "ファイルが壊れています");
    EXPECT_THROW(composeCard(folder.dir() + "skill_missing.vnt"), std::runtime_error);
}

TEST(ComposeFolderTest, BlocksKeepTheGivenOrderAndAFailureStaysInsideItsOwnBlock) {
    CardFolder folder;
    folder.write("skill_a.vnt", cardWithEvent());
    folder.write("skill_bad.vnt", corruptCard());
    folder.write("skill_b.vnt", cardWithoutEvent());
    const std::string dir = folder.dir();

    const std::string text =
        composeFolder(dir, {"skill_a.vnt", "skill_bad.vnt", "skill_missing.vnt", "skill_b.vnt"});

    // The card after the one with events must come from a fresh card, and
    // the estimate's number format must not reach the next description:
    // each block equals the card composed on its own.
    EXPECT_EQ(text, composeCard(dir + "skill_a.vnt") + "\n" +
                        "[" + dir + "skill_bad.vnt]\nファイルが壊れています\n\n" +
                        "[" + dir + "skill_missing.vnt]\n開けません\n\n" +
                        composeCard(dir + "skill_b.vnt") + "\n");
}

TEST(ComposeFolderTest, NoNamesGiveNoText) {
    EXPECT_EQ(composeFolder("C:\\cards\\", {}), "");
}

TEST(FolderPrefixTest, EndsWithExactlyOneSeparatorCharacter) {
    EXPECT_EQ(folderPrefix("C:\\"), "C:\\");
    EXPECT_EQ(folderPrefix("C:\\scenario"), "C:\\scenario\\");
    EXPECT_EQ(folderPrefix("C:\\scenario\\"), "C:\\scenario\\");
    EXPECT_EQ(folderPrefix("\\\\server\\share"), "\\\\server\\share\\");
}

TEST(FolderPrefixTest, ATrailByteOf0x5CIsPartOfACharacterNotASeparator) {
    // 表 and ソ are 0x95 0x5C and 0x83 0x5C in CP932.
    const std::string table = "表";
    ASSERT_EQ(table, "\x95\x5C");
    EXPECT_EQ(folderPrefix("C:\\表"), "C:\\表\\");
    EXPECT_EQ(folderPrefix("C:\\ソ"), "C:\\ソ\\");
    EXPECT_EQ(folderPrefix("C:\\表\\"), "C:\\表\\");
    EXPECT_EQ(folderPrefix("C:\\表表"), "C:\\表表\\");
    // Half-width katakana are single bytes: the 0x5C after one is a separator.
    EXPECT_EQ(folderPrefix("C:\\\xB1\\"), "C:\\\xB1\\");
}

TEST(PublishTest, EveryLineFeedGetsACarriageReturnOfItsOwn) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"no line end", "no line end"},
        {"a\n", "a\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"x\r\ny\n", "x\r\r\ny\r\n"},
        {"\r", "\r"},
        {"名称: 炎\n", "名称: 炎\r\n"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(publish(text), expected) << "for " << ::testing::PrintToString(text);
    }
}

TEST(PublishTest, KeepsEveryOtherByteIncludingZeroBytes) {
    const std::string text("a\0b\n\xFF\x0D", 6);
    EXPECT_EQ(publish(text), std::string("a\0b\r\n\xFF\x0D", 7));
}


// --- the wide form: UTF-16 names, CP932 bytes to save, UTF-16 text to show ----

using Vantorn::cp932ToUtf16;

// A folder of the test's own folder, named in UTF-16 (a UTF-8 name on Linux).
std::u16string wideFolder(const CardFolder& folder, const std::u16string& name) {
    const fs::path path = fs::path(folder.dir()) / fs::path(name);
    fs::create_directories(path);
    return path.u16string() + u'/';
}

void writeWide(const std::u16string& path, const std::string& bytes) {
    std::ofstream(fs::path(path), std::ios::binary) << bytes;
}

TEST(ComposeWideTest, ACardIsTheByteFormsTextAndShowsAsItsDecoding) {
    CardFolder folder;
    const std::string path = folder.write("skill1.vnt", cardWithEvent());
    const Composed ascii = composeCard(cp932ToUtf16(path));
    EXPECT_EQ(ascii.bytes, composeCard(path));
    EXPECT_EQ(ascii.shown, cp932ToUtf16(ascii.bytes));

    // A Japanese name: CP932 in the bytes, the same characters on screen.
    const std::u16string japanese = wideFolder(folder, u"表ソ") + u"skill_炎.vnt";
    writeWide(japanese, cardWithEvent());
    const Composed named = composeCard(japanese);
    EXPECT_EQ(named.bytes.substr(0, named.bytes.find('\n') + 1),
              "[" + Vantorn::utf16ToCp932(japanese) + "]\n");
    EXPECT_EQ(named.bytes.substr(named.bytes.find('\n')), ascii.bytes.substr(ascii.bytes.find('\n')));
    EXPECT_EQ(named.shown, cp932ToUtf16(named.bytes));
}

TEST(ComposeWideTest, ANameOutsideCp932IsOpenedAndShownWhole) {
    CardFolder folder;
    const std::u16string dir = wideFolder(folder, u"한국어");
    writeWide(dir + u"skill1.vnt", cardWithEvent());
    writeWide(dir + u"skill2.vnt", corruptCard());
    const std::string lossyDir = Vantorn::utf16ToCp932(dir);
    ASSERT_NE(lossyDir.find("/" + std::string(3, '?') + "/"), std::string::npos);

    const Composed one = composeCard(dir + u"skill1.vnt");
    // The same card under an ASCII name, for the text after the header.
    const std::string body = composeCard(folder.write("skill_ascii.vnt", cardWithEvent()));
    EXPECT_EQ(one.bytes, "[" + lossyDir + "skill1.vnt]" + body.substr(body.find('\n')));
    EXPECT_EQ(one.shown, u"[" + dir + u"skill1.vnt]" + cp932ToUtf16(body.substr(body.find('\n'))));

    // In a list, a failing card keeps its block; the given order stays.
    const Composed list = composeFolder(dir, {u"skill2.vnt", u"skill_missing.vnt", u"skill1.vnt"});
    EXPECT_EQ(list.bytes, "[" + lossyDir + "skill2.vnt]\nファイルが壊れています\n\n" +
                              "[" + lossyDir + "skill_missing.vnt]\n開けません\n\n" +
                              one.bytes + "\n");
    EXPECT_EQ(list.shown, u"[" + dir + u"skill2.vnt]\nファイルが壊れています\n\n" +
                              u"[" + dir + u"skill_missing.vnt]\n開けません\n\n" + one.shown +
                              u"\n");
    EXPECT_THROW(composeCard(dir + u"skill2.vnt"), std::runtime_error);
}

// A name outside the BMP, two UTF-16 units: whole on screen and in the
// table, one '?' in the bytes.
TEST(ComposeWideTest, AnEmojiInTheNameIsShownWhole) {
    CardFolder folder;
    const std::u16string path = wideFolder(folder, u"\U0001F525") + u"skill1.vnt";
    writeWide(path, cardWithEvent());
    const Composition composition = *Composition::of({path});
    const Composed& list = composition.text;
    const Table& table = composition.table;
    const std::string lossy = Vantorn::utf16ToCp932(path);
    EXPECT_NE(lossy.find("/?/skill1.vnt"), std::string::npos);
    EXPECT_EQ(list.bytes.substr(0, list.bytes.find('\n')), "[" + lossy + "]");
    EXPECT_EQ(list.shown.substr(0, list.shown.find(u'\n')), u"[" + path + u"]");
    EXPECT_EQ(list.shown.substr(list.shown.find(u'\n')), cp932ToUtf16(list.bytes.substr(list.bytes.find('\n'))));
    std::ostringstream csv;
    table.writeCsv(csv);
    EXPECT_NE(csv.str().find("\r\n" + Vantorn::utf16ToUtf8(path) + ","), std::string::npos);
}

TEST(ComposeWideTest, PrefixAndPublishWorkOnCharactersOfBothForms) {
    EXPECT_EQ(folderPrefix(u"C:\\"), u"C:\\");
    EXPECT_EQ(folderPrefix(u"C:\\表"), u"C:\\表\\");
    // Outside the macro: its text of the expression is a CP932 literal.
    const std::u16string korean = u"C:\\한국어\\";
    EXPECT_EQ(folderPrefix(korean), korean);
    EXPECT_EQ(publish(std::u16string(u"a\nb\r\n\n")), u"a\r\nb\r\r\n\r\n");
    const Composed published = publish(Composed{"x\n", u"y\n"});
    EXPECT_EQ(published.bytes, "x\r\n");
    EXPECT_EQ(published.shown, u"y\r\n");
}


TEST(ShortcutTest, TheMenuTextGetsItsKeysAfterATab) {
    EXPECT_EQ(withShortcut(u"技能カードを処理(&O)", {true, false, false, u'O'}),
              u"技能カードを処理(&O)\tCtrl+O");
    EXPECT_EQ(withShortcut(u"フォルダ内技能カードを全て処理(&A)", {true, true, false, u'O'}),
              u"フォルダ内技能カードを全て処理(&A)\tCtrl+Shift+O");
    EXPECT_EQ(withShortcut(u"x\tCtrl+Y", {false, false, true, u'Z'}), u"x\tAlt+Z");
}


// The table of what was composed is the console's summary of the same
// paths, in CSV and HTML alike.
TEST(ComposeTableTest, IsTheConsolesSummaryOfTheSamePaths) {
    CardFolder folder;
    const std::u16string dir = wideFolder(folder, u"한국어");
    writeWide(dir + u"skill1.vnt", cardWithEvent());
    writeWide(dir + u"skill2.vnt", corruptCard());
    writeWide(dir + u"skill3.vnt", cardWithoutEvent());
    const std::vector<std::u16string> paths = {dir + u"skill3.vnt", dir + u"skill2.vnt",
                                               dir + u"skill_missing.vnt", dir + u"skill1.vnt"};
    const Composition composition = *Composition::of(paths);
    const Table& table = composition.table;

    std::vector<std::string> given;
    for (const auto& path : paths) given.push_back(Vantorn::utf16ToUtf8(path));
    auto console = [&](Vantorn::OutputFormat format, bool summary, bool advise, const std::vector<std::string>& of) {
        Vantorn::ConsoleSettings settings;
        settings.format = format;
        settings.summary = summary;
        settings.advise = advise;
        settings.form.pathsAreUtf8 = true;
        settings.form.replaceUnmappable = true;
        std::ostringstream out, err;
        Vantorn::runConsole(of, out, err, settings);
        return out.str();
    };
    std::ostringstream csv, html;
    table.writeCsv(csv);
    table.writeHtml(html);
    EXPECT_EQ(csv.str(), console(Vantorn::OutputFormat::csv, true, false, given));
    EXPECT_EQ(html.str(), console(Vantorn::OutputFormat::html, true, false, given));
    EXPECT_NE(csv.str().find("skill_missing.vnt"), std::string::npos);

    // Advised: the table has the console's advice column, and the cards'
    // blocks the console's 提案 lines.
    const Composition advised = *Composition::of(paths, Composition::Paths::walked, false, nullptr, true);
    std::ostringstream advisedCsv, advisedHtml;
    advised.table.writeCsv(advisedCsv);
    advised.table.writeHtml(advisedHtml);
    EXPECT_EQ(advisedCsv.str(), console(Vantorn::OutputFormat::csv, true, true, given));
    EXPECT_EQ(advisedHtml.str(), console(Vantorn::OutputFormat::html, true, true, given));
    EXPECT_NE(advisedCsv.str().find(Vantorn::utf16ToUtf8(u",提案,")), std::string::npos);
    const std::vector<std::u16string> cards = {dir + u"skill1.vnt", dir + u"skill3.vnt"};
    const std::vector<std::string> cardsGiven = {Vantorn::utf16ToUtf8(cards[0]), Vantorn::utf16ToUtf8(cards[1])};
    const std::string report = Composition::of(cards, Composition::Paths::cards, false, nullptr, true)->text.bytes;
    EXPECT_NE(report.find("\n提案: "), std::string::npos);
    EXPECT_EQ(report, console(Vantorn::OutputFormat::text, false, true, cardsGiven));
    EXPECT_EQ(Composition::of(cards, Composition::Paths::cards)->text.bytes,
              console(Vantorn::OutputFormat::text, false, false, cardsGiven));
}

}  // namespace
}  // namespace Mornstave

namespace Mornstave {
namespace {

// A dropped folder is walked as the folder command walks it: the entries
// a search for skill*.vnt finds, in the system's order, a folder of that
// name too (its block says it cannot be opened); nothing of its
// subfolders, and a folder without cards gives no entry at all.
TEST(ComposeWalkTest, AFolderStandsForItsEntriesNamedLikeCardsAsListed) {
    CardFolder folder;
    folder.write("skill1.vnt", cardWithEvent());
    folder.write("SKILL2.VNT", cardWithoutEvent());
    folder.write("notes.txt", cardWithEvent());
    fs::create_directories(fs::path(folder.dir()) / "skill_dir.vnt");
    fs::create_directories(fs::path(folder.dir()) / "sub");
    folder.write("sub/skill9.vnt", cardWithEvent());
    std::vector<std::u16string> names;
    for (const auto& entry : fs::directory_iterator(folder.dir())) {
        const std::string name = entry.path().filename().string();
        if (name != "notes.txt" && name != "sub") names.push_back(cp932ToUtf16(name));
    }
    ASSERT_EQ(names.size(), 3u);
    const std::u16string dir = cp932ToUtf16(folder.dir());
    const std::u16string top = dir.substr(0, dir.size() - 1);

    const Composition walked = *Composition::of({top, dir + u"skill_missing.vnt"});
    Composed expected = composeFolder(dir, names);
    composeEntry(expected, dir + u"skill_missing.vnt");
    EXPECT_EQ(walked.text.bytes, expected.bytes);
    EXPECT_EQ(walked.text.shown, expected.shown);
    EXPECT_EQ(walked.cards, 4u);
    // Windows cannot open it; elsewhere reading it fails.
    EXPECT_NE(walked.text.bytes.find("skill_dir.vnt]\n"), std::string::npos);
    EXPECT_EQ(walked.table.starts().size(), 4u);
    EXPECT_EQ(walked.text.shown.compare(walked.table.starts()[3], dir.size() + 1, u"[" + dir), 0);

    EXPECT_EQ(Composition::of({dir + u"sub/skill9.vnt"}, Composition::Paths::cards, true)->text.bytes,
              composeCard(folder.dir() + "sub/skill9.vnt"));
    EXPECT_EQ(Composition::of({dir + u"sub/none"})->cards, 1u);
    fs::remove(fs::path(folder.dir()) / "sub" / "skill9.vnt");
    EXPECT_EQ(Composition::of({dir + u"sub"})->cards, 0u);
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(Composition::of({top}, Composition::Paths::walked, false, &stop));
}

}  // namespace
}  // namespace Mornstave
