#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/quiz_state.h"
#include "platform/memory/memory_ui.h"
#include "platform/resources.h"

#include "content_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using test_support::bytesOf;
using test_support::scrambled;
using test_support::stream;

const std::string linkFailure = "Erreur dans le d\xE9"
                                "cryptage";
const std::string recordFailure = "Erreur dans le d\xE9"
                                  "cryptage des reponses";
const std::string codesFailure = "Erreur dans le d\xE9"
                                 "cryptage des codes";
const std::string noQuiz = "Donn\xE9"
                           "es indisponibles";

// The four bytes that open a decoded quiz record.
std::string head(int modeByte, int count, int answers) {
    return {'\0', static_cast<char>(modeByte), static_cast<char>(count),
            static_cast<char>(answers)};
}

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values)
        text += static_cast<char>(v);
    return text;
}

const std::string fiveTexts = "Titre|Auteur|Explication|Colonne 1|Colonne 2|";

// A small record that every loader test can start from: list mode, two
// questions of one answer, reveal mode 0, colour 1, 2, 3.
std::string simpleRecord(int count = 2) {
    std::string record = head(1, count, 1) + fiveTexts;
    for (int j = 1; j <= count; ++j)
        record += "R" + std::to_string(j) + "|Q" + std::to_string(j) + "|";
    return record + bytes({0, 1, 2, 3});
}

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        clearResources();
        useLinkBlock(test_support::linkBlock("http://lien", "Pied", false));
    }
    void TearDown() override {
        overrideLinkBlock(nullptr);
        clearResources();
        memory::reset();
    }

    void useLinkBlock(std::vector<uint8_t> block) {
        link = std::move(block);
        link.resize(linkBlockSize, 0);
        overrideLinkBlock(link.data());
    }
    void installRecord(const std::vector<uint8_t>& stored) {
        installResource("PATCH", 104, stored);
    }
    void installCodes(const std::vector<uint8_t>& stored) { installResource("PATCH", 105, stored); }

    std::unique_ptr<QuizState> load() {
        auto state = std::make_unique<QuizState>();
        loadContent(*state);
        return state;
    }

    std::vector<std::string> messageTexts() {
        std::vector<std::string> texts;
        for (const memory::MessageRecord& message : memory::messages()) {
            EXPECT_EQ(message.caption, "Zorbe");
            texts.push_back(message.text);
        }
        return texts;
    }

    std::vector<uint8_t> link;
};

std::vector<std::string> answers1(const QuizState& state) {
    std::vector<std::string> texts;
    for (QuestionEntry* e = state.firstQuestion; e; e = e->next)
        texts.push_back(e->answer1);
    return texts;
}

TEST_F(LoaderTest, PlainPackagesFillTheState) {
    std::string record = head(2, 2, 2) + "Titre|Auteur|Expl|Pays|Capitale|" +
                         "Paris|France|Q un|Rome|-|Q deux|" + bytes({2}) + "Ville lumi\xE8re||" +
                         bytes({10, 20, 30}) + "ignored after the colour";
    installRecord(stream(record));
    installCodes(stream("CODE1\r\nCODE2\r\n"));

    auto state = load();
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_STREQ(state->linkText, "http://lien");
    EXPECT_STREQ(state->footerText, "Pied");
    EXPECT_EQ(state->quizMode, 1);
    EXPECT_EQ(state->questionCount, 2);
    EXPECT_EQ(state->answersPerQuestion, 2);
    EXPECT_EQ(state->revealMode, 2);
    EXPECT_STREQ(state->title, "Titre");
    EXPECT_STREQ(state->author, "Auteur");
    EXPECT_STREQ(state->explanation, "Expl");
    EXPECT_STREQ(state->columnLabel1, "Pays");
    EXPECT_STREQ(state->columnLabel2, "Capitale");

    QuestionEntry* first = questionAt(*state, 0);
    QuestionEntry* second = questionAt(*state, 1);
    ASSERT_NE(first, second);
    EXPECT_STREQ(first->answer1, "Paris");
    EXPECT_STREQ(first->answer2, "France");
    EXPECT_STREQ(first->questionText, "Q un");
    EXPECT_STREQ(first->comment, "Ville lumi\xE8re");
    EXPECT_STREQ(second->answer2, "-");
    EXPECT_STREQ(second->comment, "");
    EXPECT_EQ(second, state->lastQuestion);

    EXPECT_EQ(state->backgroundRed, 10);
    EXPECT_EQ(state->backgroundGreen, 20);
    EXPECT_EQ(state->backgroundBlue, 30);
    EXPECT_EQ(ui::brushColour(state->backgroundBrush), ui::rgb(10, 20, 30));
    // The constructed background brush was released when it was replaced.
    EXPECT_EQ(memory::liveBrushes(), 5);
    EXPECT_STREQ(state->codes[0], "CODE1");
    EXPECT_STREQ(state->codes[1], "CODE2");
    EXPECT_STREQ(state->codes[2], "");
}

// The quiz record is descrambled from where the link block's descrambling
// stopped; the code list always from the start of the key.
TEST_F(LoaderTest, ScrambledPackagesUseTheirKeyPositions) {
    const struct {
        bool linkScrambled;
        int recordKey; // -1: stored plain
        int codesKey;  // -1: stored plain
        bool recordLoads;
        bool codesLoad;
    } cases[] = {
        {false, -1, -1, true, true}, {false, 0, 0, true, true},  {true, 6, 0, true, true},
        {true, -1, 0, true, true},   {true, 0, 0, false, false}, {false, 6, 0, false, false},
        {true, 6, 6, true, false},   {false, 0, 6, true, false},
    };
    const std::string codes = "premier\r\nsecond\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "link scrambled " << c.linkScrambled << ", record key "
                                        << c.recordKey << ", codes key " << c.codesKey);
        memory::reset();
        clearResources();
        useLinkBlock(test_support::linkBlock("http://lien", "Pied", c.linkScrambled));
        std::vector<uint8_t> record = stream(simpleRecord());
        installRecord(c.recordKey < 0 ? record : scrambled(record, c.recordKey));
        std::vector<uint8_t> codeList = stream(codes);
        installCodes(c.codesKey < 0 ? codeList : scrambled(codeList, c.codesKey));

        auto state = load();
        EXPECT_STREQ(state->linkText, "http://lien");
        EXPECT_STREQ(state->footerText, "Pied");
        std::vector<std::string> expectedMessages;
        if (!c.recordLoads)
            expectedMessages.push_back(recordFailure);
        else if (!c.codesLoad)
            expectedMessages.push_back(codesFailure);
        EXPECT_EQ(messageTexts(), expectedMessages);
        EXPECT_EQ(state->questionCount, c.recordLoads ? 2 : 0);
        EXPECT_STREQ(state->title, c.recordLoads ? "Titre" : "nom du zorbe");
        EXPECT_STREQ(state->codes[0], c.codesLoad ? "premier" : "");
    }
}

TEST_F(LoaderTest, AcceptsStreamsThatWidenAndResetEarly) {
    std::string record = head(1, 40, 1) + fiveTexts;
    for (int j = 0; j < 40; ++j)
        record += "reponse numero " + std::to_string(j * 7919 % 1000) + "|question " +
                  std::to_string(j) + "|";
    record += bytes({0, 4, 5, 6});
    LzwEncodeOptions early;
    early.resetAt = 300;
    early.widenEarlyBy = 600;
    early.widenBefore = {1, 5, 5};
    installRecord(scrambled(stream(record, early), 0));
    installCodes(stream("x\r\n"));

    auto state = load();
    EXPECT_TRUE(messageTexts().empty());
    ASSERT_EQ(answers1(*state).size(), 40u);
    EXPECT_STREQ(questionAt(*state, 39)->questionText, "question 39");
    EXPECT_EQ(state->backgroundBlue, 6);
}

TEST_F(LoaderTest, RevealModesDecideTheTextsAfterTheQuestions) {
    const struct {
        int revealMode;
        std::string afterRevealByte;
        const char* comment1;
        const char* comment2;
    } cases[] = {
        {0, "", "", ""},
        {1, "", "", ""},
        {2, "premier|second|", "premier", "second"},
        {3, "premier|image1|second|image2|", "premier", "second"},
        {4, "premier|second|", "premier", "second"},
        {5, "", "", ""},
        {9, "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.revealMode);
        memory::reset();
        clearResources();
        std::string record = head(1, 2, 1) + fiveTexts + "R1|Q1|R2|Q2|" + bytes({c.revealMode}) +
                             c.afterRevealByte + bytes({7, 8, 9});
        installRecord(stream(record));
        installCodes(stream("\r\n"));
        auto state = load();
        EXPECT_TRUE(messageTexts().empty());
        EXPECT_EQ(state->revealMode, c.revealMode);
        EXPECT_STREQ(questionAt(*state, 0)->comment, c.comment1);
        EXPECT_STREQ(questionAt(*state, 1)->comment, c.comment2);
        // The colour is read right after the texts the mode carries.
        EXPECT_EQ(state->backgroundRed, 7);
        EXPECT_EQ(state->backgroundBlue, 9);
    }
}

TEST_F(LoaderTest, RecordLayoutsAreReadAsStored) {
    const struct {
        const char* name;
        std::string record;
        int quizMode;
        int answersPerQuestion;
        std::vector<std::string> firstEntry; // answer1, answer2, question text
        const char* author;
    } cases[] = {
        {"one answer: two texts per question",
         head(1, 1, 1) + fiveTexts + "A|Q|" + bytes({0, 1, 1, 1}),
         0,
         1,
         {"A", "", "Q"},
         "Auteur"},
        {"two answers: three texts per question",
         head(2, 1, 2) + fiveTexts + "A|B|Q|" + bytes({0, 1, 1, 1}),
         1,
         2,
         {"A", "B", "Q"},
         "Auteur"},
        {"empty texts",
         head(4, 1, 1) + "T||E|||" + "||" + bytes({0, 1, 1, 1}),
         3,
         1,
         {"", "", ""},
         ""},
        {"mode and count bytes as stored",
         head(0, 1, 3) + fiveTexts + "A|Q|" + bytes({0, 1, 1, 1}),
         -1,
         3,
         {"A", "", "Q"},
         "Auteur"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        memory::reset();
        clearResources();
        installRecord(stream(c.record));
        installCodes(stream("\r\n"));
        auto state = load();
        EXPECT_TRUE(messageTexts().empty());
        EXPECT_EQ(state->quizMode, c.quizMode);
        EXPECT_EQ(state->answersPerQuestion, c.answersPerQuestion);
        EXPECT_STREQ(state->author, c.author);
        ASSERT_NE(state->firstQuestion, nullptr);
        EXPECT_EQ(state->firstQuestion->answer1, c.firstEntry[0]);
        EXPECT_EQ(state->firstQuestion->answer2, c.firstEntry[1]);
        EXPECT_EQ(state->firstQuestion->questionText, c.firstEntry[2]);
    }
}

TEST_F(LoaderTest, CodeLinesEndAtCarriageReturns) {
    const struct {
        std::string decoded;
        std::vector<std::string> codes; // for three questions
    } cases[] = {
        {"a\r\nb\r\nc\r\n", {"a", "b", "c"}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\r\nb\r\nc\r\nd\r\n", {"a", "b", "c"}},
        {"a\r\nb", {"a", "b", ""}},
        {"a\r", {"a", "", ""}},
        {"\r\n\r\nz\r\n", {"", "", "z"}},
        {"a\rXb\r\nc", {"a", "b", "c"}}, // two bytes are skipped after a return, whatever they are
        {"a\nb\r\nc\r\n", {"a\nb", "c", ""}},
        {std::string(259, 'k') + "\r\n", {std::string(259, 'k'), "", ""}},
        {"a\r\nb\r\nc\r\n" + std::string(400, 'x'), {"a", "b", "c"}}, // never read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.decoded));
        memory::reset();
        clearResources();
        installRecord(stream(simpleRecord(3)));
        installCodes(stream(c.decoded));
        auto state = load();
        EXPECT_TRUE(messageTexts().empty());
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(state->codes[i], c.codes[i]) << i;
    }
}

TEST_F(LoaderTest, AFailedLinkBlockStopsEverything) {
    useLinkBlock(std::vector<uint8_t>(linkBlockSize, 0));
    installRecord(stream(simpleRecord()));
    installCodes(stream("a\r\n"));
    auto state = load();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{linkFailure});
    EXPECT_EQ(state->questionCount, 0);
    EXPECT_EQ(state->firstQuestion, nullptr);
    EXPECT_STREQ(state->linkText, "");
    EXPECT_STREQ(state->title, "nom du zorbe");
    EXPECT_EQ(ui::brushColour(state->backgroundBrush), ui::rgb(90, 95, 150));
}

TEST_F(LoaderTest, AMissingQuizRecordGivesTheSampleQuiz) {
    for (bool emptyResource : {false, true}) {
        SCOPED_TRACE(emptyResource);
        memory::reset();
        clearResources();
        if (emptyResource)
            installRecord({});
        installCodes(stream("jamais lu\r\n"));
        auto state = load();
        EXPECT_EQ(messageTexts(), std::vector<std::string>{noQuiz});
        EXPECT_STREQ(state->linkText, "http://lien");
        EXPECT_STREQ(state->title, "Nom du zorbe");
        EXPECT_STREQ(state->author, "Createur zorbe");
        EXPECT_STREQ(state->explanation, "Explications du zorbe");
        EXPECT_STREQ(state->columnLabel1, "TEST");
        EXPECT_STREQ(state->columnLabel2, "TEST");
        EXPECT_EQ(state->questionCount, 7);
        EXPECT_EQ(state->revealMode, 3);
        EXPECT_EQ(state->quizMode, 1);
        EXPECT_EQ(state->answersPerQuestion, 1);
        EXPECT_EQ(ui::brushColour(state->backgroundBrush), ui::rgb(51, 102, 255));
        EXPECT_EQ(state->backgroundGreen, 102);
        EXPECT_EQ(answers1(*state), (std::vector<std::string>{"TEST", "TEST"}));
        EXPECT_STREQ(state->firstQuestion->answer2, "TEST");
        EXPECT_STREQ(state->firstQuestion->questionText, "emplacement");
        EXPECT_EQ(questionAt(*state, 6), state->lastQuestion);
        EXPECT_STREQ(state->codes[0], "");
    }
}

TEST_F(LoaderTest, TheProgramsOwnLinkBlockDecodes) {
    overrideLinkBlock(nullptr);
    auto state = load();
    EXPECT_STREQ(state->linkText, "https://zorbe.eu");
    EXPECT_STREQ(state->footerText, "Zorbe");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{noQuiz});
}

TEST_F(LoaderTest, UnreadableRecordOrCodeListIsReported) {
    const struct {
        const char* name;
        std::vector<uint8_t> record; // empty: none installed
        std::vector<uint8_t> codes;  // empty: none installed
        std::string message;
        int questionCount;
    } cases[] = {
        {"record not a stream", {0xFF, 0xFF, 0xFF, 0xFF}, stream("a\r\n"), recordFailure, 0},
        {"record of one byte", {0x41}, stream("a\r\n"), recordFailure, 0},
        {"code list absent", stream(simpleRecord()), {}, codesFailure, 2},
        {"code list not a stream", stream(simpleRecord()), {0xFF, 0xFF, 0xFF}, codesFailure, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        memory::reset();
        clearResources();
        if (!c.record.empty())
            installRecord(c.record);
        if (!c.codes.empty())
            installCodes(c.codes);
        auto state = load();
        EXPECT_EQ(messageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(state->questionCount, c.questionCount);
        EXPECT_STREQ(state->linkText, "http://lien");
        EXPECT_STREQ(state->codes[0], "");
    }
}

// Records that do not fit the state are refused whole, with the failure
// message of their package, rather than cut.
TEST_F(LoaderTest, RecordsThatDoNotFitAreRefused) {
    std::string ninetySeven = head(1, 97, 1) + fiveTexts;
    std::string ninetySix = head(1, 96, 1) + fiveTexts;
    for (int j = 0; j < 97; ++j) {
        ninetySeven += "R|Q|";
        if (j < 96)
            ninetySix += "R|Q|";
    }
    ninetySeven += bytes({0, 1, 1, 1});
    ninetySix += bytes({0, 1, 1, 1});
    const std::string long259(259, 'x');
    const std::string long260(260, 'x');
    const struct {
        const char* name;
        std::string record;
        bool loads;
    } cases[] = {
        {"96 questions", ninetySix, true},
        {"97 questions", ninetySeven, false},
        {"texts of 259 characters",
         head(1, 1, 2) + long259 + "|A|E|C|D|" + long259 + "|" + long259 + "|" + long259 + "|" +
             bytes({2}) + long259 + "|" + bytes({1, 1, 1}),
         true},
        {"title of 260", head(1, 1, 1) + long260 + "|A|E|C|D|R|Q|" + bytes({0, 1, 1, 1}), false},
        {"answer of 260", head(1, 1, 1) + fiveTexts + long260 + "|Q|" + bytes({0, 1, 1, 1}), false},
        {"second answer of 260",
         head(1, 1, 2) + fiveTexts + "R|" + long260 + "|Q|" + bytes({0, 1, 1, 1}), false},
        {"comment of 260",
         head(1, 1, 1) + fiveTexts + "R|Q|" + bytes({4}) + long260 + "|" + bytes({1, 1, 1}), false},
        {"skipped text of any length",
         head(1, 1, 1) + fiveTexts + "R|Q|" + bytes({3}) + "C|" + long260 + long260 + "|" +
             bytes({1, 1, 1}),
         true},
        {"shorter than its counts", std::string("\0\x01", 2), false},
        {"header text without separator", head(1, 1, 1) + "T|A|E|C1|C2", false},
        {"question missing", head(1, 2, 1) + fiveTexts + "R|Q|" + bytes({0, 1, 1, 1}), false},
        {"reveal byte missing", head(1, 1, 1) + fiveTexts + "R|Q|", false},
        {"comment missing", head(1, 1, 1) + fiveTexts + "R|Q|" + bytes({2}), false},
        {"skipped text missing",
         head(1, 1, 1) + fiveTexts + "R|Q|" + bytes({3}) + "C|" + bytes({1, 1, 1}), false},
        {"colour cut short", head(1, 1, 1) + fiveTexts + "R|Q|" + bytes({0, 1, 1}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        memory::reset();
        clearResources();
        installRecord(stream(c.record));
        installCodes(stream("a\r\n"));
        auto state = load();
        if (c.loads) {
            EXPECT_TRUE(messageTexts().empty());
            continue;
        }
        EXPECT_EQ(messageTexts(), std::vector<std::string>{recordFailure});
        EXPECT_EQ(state->questionCount, 0);
        EXPECT_EQ(state->firstQuestion, nullptr);
        EXPECT_STREQ(state->title, "nom du zorbe");
        EXPECT_EQ(state->answersPerQuestion, 1);
        EXPECT_EQ(state->backgroundRed, 90);
        EXPECT_STREQ(state->linkText, "http://lien");
    }
}

// Parsing stays within the decoded bytes: a record cut anywhere before its
// colour is refused, and one that reaches it loads.
TEST_F(LoaderTest, EveryCutOfARecordIsRefused) {
    const std::string record =
        head(2, 2, 2) + fiveTexts + "a|b|q|c|d|r|" + bytes({3}) + "un|x|deux|y|" + bytes({4, 5, 6});
    for (size_t size = 1; size <= record.size(); ++size) {
        SCOPED_TRACE(size);
        memory::reset();
        clearResources();
        installRecord(stream(record.substr(0, size)));
        installCodes(stream("a\r\n"));
        auto state = load();
        bool whole = size == record.size();
        EXPECT_EQ(messageTexts().empty(), whole);
        EXPECT_EQ(state->questionCount, whole ? 2 : 0);
    }
}

TEST_F(LoaderTest, LinkBlocksThatDoNotFitAreRefused) {
    const struct {
        const char* name;
        std::string decoded;
        bool loads;
    } cases[] = {
        {"link of 24", std::string("\0\0", 2) + std::string(24, 'l') + "|f|", true},
        {"link of 25", std::string("\0\0", 2) + std::string(25, 'l') + "|f|", false},
        {"footer of 42", std::string("\0\0", 2) + "l|" + std::string(42, 'f') + "|", true},
        {"footer of 43", std::string("\0\0", 2) + "l|" + std::string(43, 'f') + "|", false},
        {"empty texts", std::string("\0\0||", 4), true},
        {"footer without separator", std::string("\0\0", 2) + "l|f", false},
        {"no texts at all", std::string("\0\0", 2), false},
        {"one byte", std::string("\0", 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        memory::reset();
        clearResources();
        std::vector<uint8_t> block = stream(c.decoded);
        ASSERT_LE(block.size(), linkBlockSize);
        useLinkBlock(block);
        installRecord(stream(simpleRecord()));
        installCodes(stream("a\r\n"));
        auto state = load();
        if (c.loads) {
            EXPECT_TRUE(messageTexts().empty());
            EXPECT_EQ(state->questionCount, 2);
            continue;
        }
        EXPECT_EQ(messageTexts(), std::vector<std::string>{linkFailure});
        EXPECT_EQ(state->questionCount, 0);
        EXPECT_STREQ(state->linkText, "");
        EXPECT_STREQ(state->footerText, "");
    }
}

TEST_F(LoaderTest, CodesLongerThanTheirFieldRefuseTheCodeList) {
    installRecord(stream(simpleRecord(2)));
    installCodes(stream("ok\r\n" + std::string(260, 'k') + "\r\n"));
    auto state = load();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{codesFailure});
    EXPECT_EQ(state->questionCount, 2);
    EXPECT_STREQ(state->codes[0], "");
    EXPECT_STREQ(state->title, "Titre");
}

TEST(Scramble, IsItsOwnInverseAndLeavesTheFirstByte) {
    std::vector<uint8_t> original = bytesOf(std::string(50, '\0') + "abc");
    std::vector<uint8_t> bytes = original;
    EXPECT_EQ(scrambleBytes(bytes.data(), bytes.size(), 6), (6 + 52) % 21);
    EXPECT_EQ(bytes, scrambled(original, 6));
    EXPECT_EQ(bytes[0], 0);
    scrambleBytes(bytes.data(), bytes.size(), 6);
    EXPECT_EQ(bytes, original);
    EXPECT_EQ(quizRecordKeyAfterScrambledLink, 6);
}

} // namespace
